// "Save as Flash" driven through a scripted platform: the fields, the save dialog, the
// name check, progress and selection, the messages and the launch.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "app/deferred_run_host.h"
#include "app/fake_platform.h"
#include "app/main_dialog.h"
#include "app/recording_listener.h"
#include "image/drawing_surface.h"
#include "support/file_bytes.h"
#include "support/outside_programs.h"
#include "support/scratch_folder.h"
#include "support/swf_tag_reader.h"

namespace {

using namespace test_support;

namespace fs = std::filesystem;

const char* const kCaption = "Reelwright 1.9 by www.reelwright.example";

class MainDialogBuildTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(scratch_.Path().empty());
        tmpdir_.emplace(tmp_.Path());
        dialog_.SetListener(&listener_);
    }
    void TearDown() override { tmpdir_.reset(); }

    RecordedMessage Exclamation(const std::string& text) const {
        return {text, MessageIcon::kExclamation, kCaption};
    }
    SwfTestMovie ReadMovie(const std::string& path) const {
        SwfTestMovie movie = ParseTestMovie(ReadFileBytes(path));
        EXPECT_EQ(movie.error, "") << path;
        return movie;
    }

    ScratchFolder scratch_;
    ScratchFolder tmp_;
    std::optional<TemporaryFolderOverride> tmpdir_;
    FakePlatform platform_;
    RecordingListener listener_;
    MainDialog dialog_{platform_};
};

TEST_F(MainDialogBuildTest, CancelledSaveDialogEndsTheCommandSilently) {
    dialog_.OnSaveAsFlash();

    ASSERT_EQ(platform_.saveRequests.size(), 1u);
    const SaveFileRequest& request = platform_.saveRequests[0];
    EXPECT_EQ(request.title, "Save Flash file");
    EXPECT_EQ(request.filter, "Flash Files|*.swf|ALL (*.*)|*.*||");
    EXPECT_EQ(ParseFileFilter(request.filter),
              (std::vector<FileFilter>{{"Flash Files", "*.swf"}, {"ALL (*.*)", "*.*"}}));
    EXPECT_EQ(request.defaultExtension, "swf");
    EXPECT_TRUE(request.confirmOverwrite);
    EXPECT_EQ(request.initialName, "");
    EXPECT_TRUE(platform_.messages.empty());
    EXPECT_TRUE(platform_.launches.empty());
    EXPECT_EQ(dialog_.GetPercentLabel(), "0%");
}

TEST_F(MainDialogBuildTest, LowerCaseNameIsWrittenUnderTheUpperCasedFileNameAndOpened) {
    for (int i = 0; i < 3; ++i) {
        dialog_.AppendRow(scratch_.File("missing" + std::to_string(i)));
    }
    // Look at the dialog each time the list is repainted, after the progress moved.
    std::vector<std::string> labels;
    std::vector<int32_t> positions;
    std::vector<DialogControl> focus;
    listener_.onReveal = [&] {
        labels.push_back(dialog_.GetPercentLabel());
        positions.push_back(dialog_.GetProgressPosition());
        focus.push_back(dialog_.GetFocus());
    };
    platform_.saveAnswers.push_back(scratch_.File("show.swf"));
    dialog_.OnSaveAsFlash();

    EXPECT_TRUE(platform_.messages.empty());
    EXPECT_TRUE(fs::exists(scratch_.File("SHOW.SWF")));
    EXPECT_FALSE(fs::exists(scratch_.File("show.swf")));
    EXPECT_EQ(platform_.launches,
              (std::vector<RecordedLaunch>{{"open", scratch_.File("SHOW.SWF"), 5}}));
    EXPECT_EQ(ReadMovie(scratch_.File("SHOW.SWF")).frameCount, 3);

    EXPECT_EQ(labels, (std::vector<std::string>{"33%", "66%", "100%"}));
    EXPECT_EQ(positions, (std::vector<int32_t>{33, 66, 100}));
    EXPECT_EQ(focus, std::vector<DialogControl>(3, DialogControl::kPictureList));
    EXPECT_EQ(listener_.revealed, (std::vector<int32_t>{0, 1, 2}));
    EXPECT_EQ(listener_.runningChanges, 2);  // started and ended
    EXPECT_FALSE(dialog_.IsRunning());
    // Every row ends selected; only the last keeps the focus mark.
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_TRUE(dialog_.GetRows()[i].selected);
        EXPECT_EQ(dialog_.GetRows()[i].focused, i == 2);
    }
    EXPECT_EQ(dialog_.GetVisibleRow(), 2);
    EXPECT_EQ(dialog_.GetProgressPosition(), 100);
    EXPECT_EQ(dialog_.GetPercentLabel(), "100%");
    EXPECT_EQ(dialog_.GetPictureSizeText(), "0*0 pixels");
    EXPECT_TRUE(fs::is_empty(tmp_.Path()));
}

TEST_F(MainDialogBuildTest, NameWithoutExtensionGetsSwfAppended) {
    platform_.saveAnswers.push_back(scratch_.File("movie"));
    dialog_.OnSaveAsFlash();
    EXPECT_TRUE(platform_.messages.empty());
    EXPECT_TRUE(fs::exists(scratch_.File("MOVIE.SWF")));
    ASSERT_EQ(platform_.launches.size(), 1u);
    EXPECT_EQ(platform_.launches[0].target, scratch_.File("MOVIE.SWF"));
}

TEST_F(MainDialogBuildTest, OtherNamesAreRefusedAndNothingIsWritten) {
    {
        std::ofstream notes(scratch_.File("notes.txt"));
        notes << "keep me";
    }
    dialog_.AppendRow(scratch_.File("missing"));
    for (const char* name : {"movie.swf.txt", "movie.gif", "notes.txt"}) {
        platform_.saveAnswers.push_back(scratch_.File(name));
        dialog_.OnSaveAsFlash();
    }
    EXPECT_EQ(platform_.messages,
              (std::vector<RecordedMessage>(3, Exclamation("Please input Flash filename"))));
    EXPECT_TRUE(platform_.launches.empty());
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(scratch_.Path())) {
        names.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(names, std::vector<std::string>{"notes.txt"});
    EXPECT_EQ(ReadFileText(scratch_.File("notes.txt")), "keep me");
    EXPECT_EQ(dialog_.GetPercentLabel(), "0%");
}

TEST_F(MainDialogBuildTest, FieldWithoutIntegerIsReportedAndTheBuildGoesOn) {
    dialog_.AppendRow(scratch_.File("missing"));
    // Height is read first and is taken; the width fails; the rate is not read.
    dialog_.SetFieldText(DialogControl::kHeightField, "100");
    dialog_.SetFieldText(DialogControl::kWidthField, "");
    dialog_.SetFieldText(DialogControl::kRateField, "25");
    std::vector<DialogControl> focusAtDialog;
    platform_.saveAnswers.push_back(scratch_.File("a.swf"));
    dialog_.OnSaveAsFlash();

    EXPECT_EQ(platform_.messages,
              (std::vector<RecordedMessage>{Exclamation("Please enter an integer.")}));
    EXPECT_EQ(dialog_.GetSettings().height, 100);
    EXPECT_EQ(dialog_.GetSettings().width, 280);
    EXPECT_EQ(dialog_.GetSettings().rate, 10);
    const SwfTestMovie movie = ReadMovie(scratch_.File("A.SWF"));
    EXPECT_EQ(movie.xMax, 280 * 20);
    EXPECT_EQ(movie.yMax, 100 * 20);
    EXPECT_EQ(movie.rateWhole, 10);
    // The build wrote the held values back over the rejected text.
    EXPECT_EQ(dialog_.GetFieldText(DialogControl::kWidthField), "280");
    EXPECT_EQ(dialog_.GetFieldText(DialogControl::kRateField), "10");
    EXPECT_EQ(platform_.launches.size(), 1u);
}

TEST_F(MainDialogBuildTest, FailingFieldGetsTheFocusWithItsTextSelected) {
    dialog_.SetFieldText(DialogControl::kRateField, "ten");
    EXPECT_FALSE(dialog_.ReadFieldsFromControls());
    EXPECT_EQ(dialog_.GetFocus(), DialogControl::kRateField);
    EXPECT_TRUE(dialog_.IsFocusedTextSelected());
    EXPECT_EQ(platform_.messages,
              (std::vector<RecordedMessage>{Exclamation("Please enter an integer.")}));
}

// Players refuse such a movie: it is written all the same, after a warning.
TEST_F(MainDialogBuildTest, ZeroSizesAndRateArePassedOnWithAWarning) {
    dialog_.AppendRow(scratch_.File("missing"));
    dialog_.SetFieldText(DialogControl::kWidthField, "0");
    dialog_.SetFieldText(DialogControl::kHeightField, "0");
    dialog_.SetFieldText(DialogControl::kRateField, "0");
    platform_.saveAnswers.push_back(scratch_.File("zero.swf"));
    dialog_.OnSaveAsFlash();

    EXPECT_EQ(platform_.messages,
              (std::vector<RecordedMessage>{
                  Exclamation("Players will not show a movie with a frame of 0*0 pixels and a "
                              "frame rate of 0; it is written all the same.")}));
    EXPECT_EQ(platform_.saveRequests.size(), 1u);
    const SwfTestMovie movie = ReadMovie(scratch_.File("ZERO.SWF"));
    EXPECT_EQ(movie.xMax, 0);
    EXPECT_EQ(movie.yMax, 0);
    EXPECT_EQ(movie.rateWhole, 0);
    EXPECT_EQ(movie.frameCount, 1);
    EXPECT_EQ(platform_.launches.size(), 1u);
}

TEST_F(MainDialogBuildTest, EmptyListStillAsksValidatesWritesAndOpens) {
    platform_.saveAnswers.push_back(scratch_.File("empty.swf"));
    dialog_.OnSaveAsFlash();
    const SwfTestMovie movie = ReadMovie(scratch_.File("EMPTY.SWF"));
    EXPECT_EQ(movie.frameCount, 0);
    EXPECT_EQ(platform_.launches.size(), 1u);
    // Progress is not reset by a build.
    EXPECT_EQ(dialog_.GetPercentLabel(), "0%");
    EXPECT_EQ(dialog_.GetProgressPosition(), 0);
}

TEST_F(MainDialogBuildTest, UnwritableOutputGivesOneMessageNamingTheFileAndNoLaunch) {
    dialog_.AppendRow(scratch_.File("missing"));
    const std::string movie = scratch_.File("no-folder/SHOW.SWF");
    platform_.saveAnswers.push_back(scratch_.File("no-folder/show.swf"));
    dialog_.OnSaveAsFlash();
    ASSERT_EQ(platform_.messages.size(), 1u);
    EXPECT_EQ(platform_.messages[0].text,
              "Cannot create the movie \"" + movie + "\": No such file or directory");
    EXPECT_EQ(platform_.messages[0].icon, MessageIcon::kExclamation);
    EXPECT_TRUE(platform_.launches.empty());
    EXPECT_TRUE(fs::is_empty(tmp_.Path()));

    if (geteuid() != 0) {  // root writes anywhere
        const std::string locked = scratch_.File("locked");
        fs::create_directory(locked);
        fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
        platform_.saveAnswers.push_back(locked + "/show.swf");
        dialog_.OnSaveAsFlash();
        ASSERT_EQ(platform_.messages.size(), 2u);
        EXPECT_EQ(platform_.messages[1].text,
                  "Cannot create the movie \"" + locked + "/SHOW.SWF\": Permission denied");
        EXPECT_TRUE(platform_.launches.empty());
    }
}

TEST_F(MainDialogBuildTest, FrameTooLargeIsRefusedBeforeTheSaveDialog) {
    dialog_.SetFieldText(DialogControl::kWidthField, "1639");
    platform_.saveAnswers.push_back(scratch_.File("big.swf"));
    dialog_.OnSaveAsFlash();
    EXPECT_EQ(platform_.messages,
              (std::vector<RecordedMessage>{Exclamation(
                  "The frame size 1639*210 pixels is too large: a Flash movie frame can be at "
                  "most 1638*1638 pixels.")}));
    EXPECT_TRUE(platform_.saveRequests.empty());
    EXPECT_TRUE(fs::is_empty(scratch_.Path()));
    EXPECT_TRUE(platform_.launches.empty());
}

TEST_F(MainDialogBuildTest, PreviewShowsTheFittedPicture) {
    const std::string red = scratch_.File("red.png");
    ASSERT_EQ(RunProgramToFile({"convert", "-size", "50x40", "xc:red", red}), 0);
    dialog_.AppendRow(red);
    platform_.saveAnswers.push_back(scratch_.File("red.swf"));
    dialog_.OnSaveAsFlash();
    EXPECT_EQ(dialog_.GetPictureSizeText(), "280*210 pixels");
    const DrawingSurface* preview = dialog_.GetPreviewSurface();
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(preview->Width(), 327);
    EXPECT_EQ(preview->Height(), 303);
    // JPEG loss aside, red everywhere, corners included.
    for (auto [x, y] : {std::pair{0, 0}, {326, 302}, {163, 151}}) {
        const SurfaceColor color = preview->GetPixel(x, y);
        EXPECT_GT(color.red, 230) << x << "," << y;
        EXPECT_LT(color.green, 25) << x << "," << y;
        EXPECT_LT(color.blue, 25) << x << "," << y;
    }
}

TEST_F(MainDialogBuildTest, AWindowBusyDuringTheBuildShowsItsLatestStateNotABacklog) {
    DeferredRunHost host;
    MainDialog dialog(platform_, &host);
    RecordingListener listener;
    dialog.SetListener(&listener);
    const std::string picture = std::string(REELWRIGHT_SOURCE_DIR) + "/examples/03-checker.bmp";
    for (int i = 0; i < 50; ++i) {
        dialog.AppendRow(picture);
    }
    platform_.saveAnswers.push_back(scratch_.File("busy.swf"));
    dialog.OnSaveAsFlash();
    host.RunJobs();
    // The whole run waited for the window: one piece shows its latest state, one
    // finishes it.
    EXPECT_EQ(host.RunPosted(), 2);
    EXPECT_EQ(dialog.GetProgressPosition(), 100);
    EXPECT_EQ(dialog.GetPercentLabel(), "100%");
    EXPECT_EQ(listener.previewChanges, 1);
    EXPECT_EQ(listener.revealed, std::vector<int32_t>{49});
    int selected = 0;
    for (const ImageListRow& row : dialog.GetRows()) {
        selected += row.selected ? 1 : 0;
    }
    EXPECT_EQ(selected, 50);
    EXPECT_TRUE(dialog.GetRows()[49].focused);
    EXPECT_EQ(dialog.GetPictureSizeText(), "280*210 pixels");
    EXPECT_FALSE(dialog.IsRunning());
    EXPECT_EQ(platform_.launches,
              (std::vector<RecordedLaunch>{{"open", scratch_.File("BUSY.SWF"), 5}}));
}

}  // namespace
