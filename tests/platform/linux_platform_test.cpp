// The Linux shell launch: the opener is started without a shell and not waited for,
// and failures come back as the shell's codes.
#include "platform/linux_platform.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "support/file_bytes.h"
#include "support/scratch_folder.h"

namespace {

using namespace test_support;

// Waits (bounded) until the fake opener has written its record.
std::string WaitForText(const std::string& path) {
    for (int attempt = 0; attempt < 500; ++attempt) {
        const std::string text = ReadFileText(path);
        if (!text.empty() && text.back() == '\n') {
            return text;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return {};
}

class LinuxPlatformTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(scratch_.Path().empty());
        opener_ = scratch_.File("fake-opener");
        std::ofstream script(opener_);
        script << "#!/bin/sh\nprintf '%s|%s\\n' \"$#\" \"$1\" > \"" << scratch_.File("opened.txt")
               << ".tmp\" && mv \"" << scratch_.File("opened.txt") << ".tmp\" \""
               << scratch_.File("opened.txt") << "\"\n";
        script.close();
        chmod(opener_.c_str(), 0700);
        document_ = scratch_.File("SHOW.SWF");
        std::ofstream(document_) << "FWS";
    }

    ScratchFolder scratch_;
    std::string opener_;
    std::string document_;
};

TEST_F(LinuxPlatformTest, OpenStartsTheOpenerWithThePathAsItsOnlyArgument) {
    LinuxPlatform platform(opener_);
    EXPECT_EQ(platform.ShellOpen("open", document_, 5), 42);
    EXPECT_EQ(WaitForText(scratch_.File("opened.txt")), "1|" + document_ + "\n");
}

TEST_F(LinuxPlatformTest, AddressesAreHandedOnWithoutLookingForAFile) {
    LinuxPlatform platform(opener_);
    // No verb is the default verb, "open".
    EXPECT_EQ(platform.ShellOpen("", "https://www.reelwright.example/a b", 3), 42);
    EXPECT_EQ(WaitForText(scratch_.File("opened.txt")), "1|https://www.reelwright.example/a b\n");
}

TEST_F(LinuxPlatformTest, FileNamesStartingWithADashAreNotTakenForOptions) {
    LinuxPlatform platform(opener_);
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(scratch_.Path());
    std::ofstream("-movie.swf") << "FWS";
    const int code = platform.ShellOpen("open", "-movie.swf", 5);
    std::filesystem::current_path(before);
    EXPECT_EQ(code, 42);
    EXPECT_EQ(WaitForText(scratch_.File("opened.txt")), "1|./-movie.swf\n");
}

TEST_F(LinuxPlatformTest, FailuresComeBackAsTheShellsCodes) {
    LinuxPlatform platform(opener_);
    EXPECT_EQ(platform.ShellOpen("open", scratch_.File("missing.swf"), 5), 2);
    EXPECT_EQ(platform.ShellOpen("open", document_ + "/inside.swf", 5), 3);
    EXPECT_EQ(platform.ShellOpen("open", "", 5), 2);
    EXPECT_EQ(platform.ShellOpen("print", document_, 5), 31);

    LinuxPlatform withoutOpener(scratch_.File("no-such-opener"));
    EXPECT_EQ(withoutOpener.ShellOpen("open", document_, 5), 31);
    LinuxPlatform notOnPath("reelwright-no-such-opener");
    EXPECT_EQ(notOnPath.ShellOpen("open", document_, 5), 31);
}

TEST_F(LinuxPlatformTest, TheOpenersExitStatusSaysWhetherAnythingOpenedTheTarget) {
    // xdg-open: 0 opened, 1 bad arguments, 2 no such file, 3 no tool for it, 4 the
    // tool failed. An opener still running at the time limit has opened the target.
    const std::pair<std::string, int> cases[] = {
        {"exit 0", 42},
        {"exit 1", 31},
        {"exit 2", 2},
        {"exit 3", 31},
        {"exit 4", 31},
        {"kill $$", 31},
        {"read line; exit 3", 31},
        {"sleep 2", 42},
    };
    for (const auto& [body, code] : cases) {
        const std::string opener = scratch_.File("opener");
        WriteFileText(opener, "#!/bin/sh\n" + body + "\n");
        chmod(opener.c_str(), 0700);
        LinuxPlatform platform(opener, std::chrono::milliseconds(300));
        EXPECT_EQ(platform.ShellOpen("open", "mailto:someone@reelwright.example", 1), code) << body;
    }
}

TEST_F(LinuxPlatformTest, DialogsAndMenusWithoutAToolkitAreCancelled) {
    LinuxPlatform platform(opener_);
    EXPECT_EQ(platform.ShowSaveFileDialog(SaveFileRequest{}), std::nullopt);
    EXPECT_EQ(platform.ShowOpenFilesDialog(OpenFilesRequest{}), std::nullopt);
    EXPECT_EQ(platform.ShowFolderDialog("Open", ""), std::nullopt);
    EXPECT_EQ(platform.TrackPopupMenu({{1, "Item"}}, 0, 0), 0);
}

TEST(FileFilterTest, SplitsLabelPatternPairsUpToTheEmptyLabel) {
    EXPECT_EQ(ParseFileFilter("Flash Files|*.swf|ALL (*.*)|*.*||"),
              (std::vector<FileFilter>{{"Flash Files", "*.swf"}, {"ALL (*.*)", "*.*"}}));
    EXPECT_EQ(ParseFileFilter("Pictures|*.jpg;*.png"),
              (std::vector<FileFilter>{{"Pictures", "*.jpg;*.png"}}));
    EXPECT_EQ(ParseFileFilter(""), std::vector<FileFilter>{});
    EXPECT_EQ(ParseFileFilter("Dangling"), std::vector<FileFilter>{});
}

TEST(FileFilterTest, ASelectionTakesItsFolderOnceAndEveryNameInTheNameBuffer) {
    // One file: its path and two zeros. Several: the folder, each name, each with its
    // zero, and a last zero.
    EXPECT_EQ(OpenFilesNameLength({"/p/a.jpg"}), 10u);
    EXPECT_EQ(OpenFilesNameLength({"/pics/a.jpg", "/pics/bb.png"}), 5u + 1 + 6 + 7 + 1);
    EXPECT_EQ(OpenFilesNameLength({"/a.jpg", "/b.jpg"}), 1u + 1 + 6 + 6 + 1);
    // 1000 names of 8 characters in a 5-character folder take 9007 characters: they
    // fit the 10000 the dialog gives; 1200 do not.
    EXPECT_EQ(OpenFilesNameLength(std::vector<std::string>(1000, "/pics/1234.jpg")), 9007u);
    EXPECT_GT(OpenFilesNameLength(std::vector<std::string>(1200, "/pics/1234.jpg")), 10000u);
}

}  // namespace

namespace {

TEST(LinuxPlatformWaits, SleepEndsWhenTheStopIsRaisedFromAnotherThread) {
    LinuxPlatform platform;
    std::atomic<bool> stop{false};
    EXPECT_TRUE(platform.Sleep(1, stop));
    std::thread raiser([&stop] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        stop = true;
    });
    EXPECT_FALSE(platform.Sleep(60000, stop));
    raiser.join();
}

TEST(LinuxPlatformStartUp, MissingSkinLibraryIsNoFailure) {
    LinuxPlatform platform;
    EXPECT_EQ(platform.LoadLibrary("USkin.dll"), nullptr);
    EXPECT_EQ(platform.FindSkinInit(nullptr, "USkinInit"), nullptr);
    // A Linux kernel is never Windows 5.2.
    const OperatingSystemVersion version = platform.GetOperatingSystemVersion();
    EXPECT_GE(version.major, 3);
}

}  // namespace
