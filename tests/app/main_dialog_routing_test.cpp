// The dialog's command routing, how it ends, how it refuses commands while a run is
// on another thread, and the optional skin at start-up.
#include <gtest/gtest.h>

#include <functional>

#include "app/dialog_ids.h"
#include "app/fake_platform.h"
#include "app/main_dialog.h"
#include "app/recording_listener.h"
#include "app/start_up.h"
#include "support/scratch_folder.h"

namespace {

const char* const kCaption = "Reelwright 1.9 by www.reelwright.example";

// Keeps the job instead of running it, the way a worker thread would still be busy;
// RunNow runs it and delivers what it posted.
class HeldRunHost final : public RunHost {
  public:
    void Start(RunJob job) override { job_ = std::move(job); }
    void Wait() override { waits++; }
    void RunNow() {
        RunJob job = std::move(job_);
        job_ = nullptr;
        job([](const std::function<void()>& piece) { piece(); });
    }
    bool Holding() const { return static_cast<bool>(job_); }
    int waits = 0;

  private:
    RunJob job_;
};

TEST(MainDialogRouting, EveryButtonAndMenuItemReachesItsHandler) {
    // Each command leaves a trace in the fake platform that only its handler leaves.
    struct Case {
        int id;
        std::function<size_t(const FakePlatform&)> trace;
    };
    const Case cases[] = {
        {kIdSaveAsFlash, [](const FakePlatform& p) { return p.saveRequests.size(); }},
        {kIdMenuSaveAsFlash, [](const FakePlatform& p) { return p.saveRequests.size(); }},
        {kIdAddImages, [](const FakePlatform& p) { return p.openRequests.size(); }},
        {kIdMenuAddFiles, [](const FakePlatform& p) { return p.openRequests.size(); }},
        {kIdAddFolder, [](const FakePlatform& p) { return p.folderTitles.size(); }},
        {kIdMenuAddFolder, [](const FakePlatform& p) { return p.folderTitles.size(); }},
        {kIdPreview, [](const FakePlatform& p) { return p.messages.size(); }},
        {kIdMenuPreview, [](const FakePlatform& p) { return p.messages.size(); }},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.id);
        FakePlatform platform;
        MainDialog dialog(platform);
        dialog.OnCommand(test.id);
        EXPECT_EQ(test.trace(platform), 1u);
    }

    // Remove, Remove All and the moves act on the list.
    FakePlatform platform;
    MainDialog dialog(platform);
    for (const char* path : {"/a", "/b", "/c"}) {
        dialog.AppendRow(path);
    }
    dialog.SetRowSelected(2, true);
    dialog.OnCommand(kIdMenuRemove);
    EXPECT_EQ(dialog.GetRows().size(), 2u);
    dialog.OnCommand(kIdRemove);  // nothing selected
    dialog.SetRowSelected(0, true);
    dialog.OnListClick(0);
    dialog.OnCommand(kIdMoveDown);
    EXPECT_EQ(dialog.GetRows()[1].path, "/a");
    dialog.OnCommand(kIdMoveUp);
    EXPECT_EQ(dialog.GetRows()[0].path, "/a");
    dialog.OnCommand(kIdMenuRemoveAll);
    EXPECT_TRUE(dialog.GetRows().empty());
    dialog.AppendRow("/d");
    dialog.OnCommand(kIdRemoveAll);
    EXPECT_TRUE(dialog.GetRows().empty());
}

TEST(MainDialogRouting, ExitNeedsIntegersButTheCloseButtonEndsAtOnce) {
    FakePlatform platform;
    RecordingListener listener;
    MainDialog dialog(platform);
    dialog.SetListener(&listener);
    dialog.SetFieldText(DialogControl::kWidthField, "wide");
    dialog.OnCommand(kIdExit);
    EXPECT_EQ(platform.messages,
              (std::vector<RecordedMessage>{
                  {"Please enter an integer.", MessageIcon::kExclamation, kCaption}}));
    EXPECT_EQ(dialog.GetEndResult(), 0);
    EXPECT_EQ(dialog.GetFocus(), DialogControl::kWidthField);
    EXPECT_TRUE(dialog.IsFocusedTextSelected());

    dialog.SetFieldText(DialogControl::kWidthField, " 300 ");
    dialog.OnCommand(kIdExit);
    EXPECT_EQ(dialog.GetEndResult(), kDialogConfirmed);
    EXPECT_EQ(dialog.GetSettings().width, 300);
    EXPECT_EQ(listener.ends, 1);

    MainDialog other(platform);
    other.SetFieldText(DialogControl::kRateField, "");
    other.OnClose();
    EXPECT_EQ(other.GetEndResult(), kDialogCancelled);
    EXPECT_EQ(platform.messages.size(), 1u);
}

TEST(MainDialogRouting, WhileARunIsOnItsThreadEveryCommandIsRefusedAndClosingStopsIt) {
    test_support::ScratchFolder scratch;
    FakePlatform platform;
    HeldRunHost host;
    RecordingListener listener;
    MainDialog dialog(platform, &host);
    dialog.SetListener(&listener);
    dialog.AppendRow("/nonexistent/a.png");
    platform.saveAnswers.push_back(scratch.File("held.swf"));
    dialog.OnCommand(kIdSaveAsFlash);
    ASSERT_TRUE(host.Holding());
    EXPECT_TRUE(dialog.IsRunning());
    EXPECT_EQ(listener.runningChanges, 1);

    for (int id : {kIdSaveAsFlash, kIdAddImages, kIdAddFolder, kIdRemoveAll, kIdPreview, kIdExit,
                   kIdMenuRemoveAll, kIdBuyNow, kIdHelp, kIdBanner, kIdPartnerLink,
                   kIdHomePageLabel, kIdAbout, kIdSystemMenuAbout}) {
        dialog.OnCommand(id);
    }
    dialog.OnListClick(0);
    dialog.OnListRightClick(0, 1, 1);
    dialog.ShowSelectedPicture();
    EXPECT_EQ(platform.saveRequests.size(), 1u);
    EXPECT_TRUE(platform.openRequests.empty());
    EXPECT_TRUE(platform.folderTitles.empty());
    EXPECT_TRUE(platform.menus.empty());
    EXPECT_EQ(platform.aboutDialogs, 0);
    EXPECT_EQ(dialog.GetRows().size(), 1u);
    EXPECT_EQ(dialog.GetEndResult(), 0);

    // The job runs (on its thread), its events arrive; then the dialog takes commands.
    host.RunNow();
    EXPECT_FALSE(dialog.IsRunning());
    EXPECT_EQ(dialog.GetPercentLabel(), "100%");
    EXPECT_EQ(platform.launches.size(), 1u);
    dialog.OnCommand(kIdRemoveAll);
    EXPECT_TRUE(dialog.GetRows().empty());

    // Closing during a run stops it and waits for it; its late report says nothing.
    dialog.AppendRow("/nonexistent/b.png");
    platform.saveAnswers.push_back(scratch.File("closed.swf"));
    dialog.OnCommand(kIdSaveAsFlash);
    ASSERT_TRUE(host.Holding());
    dialog.OnClose();
    EXPECT_EQ(host.waits, 1);
    host.RunNow();
    EXPECT_EQ(dialog.GetEndResult(), kDialogCancelled);
    EXPECT_EQ(platform.launches.size(), 1u);
    EXPECT_TRUE(platform.messages.empty());
}

int skinCalls = 0;
std::string skinFile;
int RecordSkinInit(void* first, void* second, const char* file) {
    skinCalls += (first == nullptr && second == nullptr) ? 1 : 100;
    skinFile = file;
    return 0;
}

TEST(StartUp, SkinLibraryIsOptionalAndSkippedOnVersionFivePointTwo) {
    int handle = 0;
    struct Case {
        OperatingSystemVersion version;
        void* library;
        SkinInitFunction init;
        std::vector<std::string> loaded;
        std::vector<std::string> lookedUp;
        bool called;
    };
    const Case cases[] = {
        {{5, 2}, &handle, RecordSkinInit, {}, {}, false},
        {{6, 1}, nullptr, RecordSkinInit, {"USkin.dll"}, {}, false},
        {{6, 1}, &handle, nullptr, {"USkin.dll"}, {"USkinInit"}, false},
        {{5, 1}, &handle, RecordSkinInit, {"USkin.dll"}, {"USkinInit"}, true},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(std::to_string(test.version.major) + "." + std::to_string(test.version.minor));
        FakePlatform platform;
        platform.version = test.version;
        platform.library = test.library;
        platform.skinInit = test.init;
        skinCalls = 0;
        EXPECT_EQ(LoadOptionalSkin(platform), test.called);
        EXPECT_EQ(platform.loadedLibraries, test.loaded);
        EXPECT_EQ(platform.lookedUpExports, test.lookedUp);
        EXPECT_EQ(skinCalls, test.called ? 1 : 0);
        EXPECT_TRUE(platform.messages.empty());
    }
    EXPECT_EQ(skinFile, "soft.u3");
}

}  // namespace
