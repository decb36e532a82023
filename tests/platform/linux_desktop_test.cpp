// What LinuxPlatform asks of the desktop, in a scratch desktop tree with the real
// xdg-mime: the default browser's Exec line, whether a file has an application; and
// command lines run without a shell against a fake browser.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/environment_override.h"
#include "platform/linux_platform.h"
#include "support/file_bytes.h"
#include "support/outside_programs.h"
#include "support/scratch_folder.h"

namespace {

using namespace test_support;

const char* const kMimeDatabase = "/usr/share/mime";

// The XDG configuration and data folders point into a scratch folder, so only the
// entries a test writes exist. `Recorder` is an executable script that writes its
// argument count and arguments, one a line, to record.txt.
class LinuxDesktopTest : public ::testing::Test {
  protected:
    LinuxDesktopTest()
        : configHome_("XDG_CONFIG_HOME", scratch_.File("config")),
          configDirs_("XDG_CONFIG_DIRS", scratch_.File("config")),
          dataHome_("XDG_DATA_HOME", scratch_.File("home")),
          dataDirs_("XDG_DATA_DIRS", scratch_.File("system")),
          currentDesktop_("XDG_CURRENT_DESKTOP", std::nullopt) {
        for (const char* folder : {"config", "home/applications", "system/applications"}) {
            std::filesystem::create_directories(scratch_.File(folder));
        }
        // The system's MIME database belongs to a complete desktop: xdg-mime finds file
        // types through it when `mimetype` (libfile-mimeinfo-perl) is installed.
        std::error_code error;
        std::filesystem::create_directory_symlink(kMimeDatabase, scratch_.File("system/mime"),
                                                  error);
        WriteFileText(recorder_,
                      "#!/bin/sh\n{ echo \"$#\"; for a in \"$@\"; do echo \"$a\"; done; } >'" +
                          record_ + ".tmp' && mv '" + record_ + ".tmp' '" + record_ + "'\n");
        chmod(recorder_.c_str(), 0700);
    }

    // `id` becomes the default application of `type`, and its entry runs `exec`.
    void Register(const std::string& type, const std::string& folder, const std::string& id,
                  const std::string& exec) {
        WriteFileText(scratch_.File("config/mimeapps.list"),
                      "[Default Applications]\n" + type + "=" + id + "\n");
        WriteFileText(scratch_.File(folder + "/applications/" + id),
                      "[Desktop Entry]\nType=Application\nName=Fake\nExec=" + exec + "\n");
    }
    std::string Record() const {
        for (int attempt = 0; attempt < 500 && !std::filesystem::exists(record_); ++attempt) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return ReadFileText(record_);
    }

    ScratchFolder scratch_;
    EnvironmentOverride configHome_;
    EnvironmentOverride configDirs_;
    EnvironmentOverride dataHome_;
    EnvironmentOverride dataDirs_;
    EnvironmentOverride currentDesktop_;
    const std::string recorder_ = scratch_.File("fake browser");
    const std::string record_ = scratch_.File("record.txt");
    LinuxPlatform platform_;
};

TEST_F(LinuxDesktopTest, TheDefaultBrowsersExecLineIsTheOpenCommand) {
    REQUIRE_PROGRAM("xdg-mime");
    EXPECT_EQ(platform_.LookUpBrowserCommand(), std::nullopt);
    const std::string browser = scratch_.File("browser");
    std::filesystem::copy_file(recorder_, browser);
    // The user's own entry wins over the system's of the same name.
    Register("text/html", "system", "fake-browser.desktop", browser + " --system %u");
    Register("text/html", "home", "fake-browser.desktop", browser + " --new-window %U --icon %i");
    EXPECT_EQ(platform_.LookUpBrowserCommand(), browser + " --new-window %1 --icon ");
    Register("text/html", "home", "fake-browser.desktop", browser + " %x");
    EXPECT_EQ(platform_.LookUpBrowserCommand(), std::nullopt);
}

TEST_F(LinuxDesktopTest, AFileHasAnApplicationWhenItsTypeHasADefaultOne) {
    REQUIRE_PROGRAM("xdg-mime");
    REQUIRE_PROGRAM("file");
    const std::string notes = scratch_.File("notes.txt");
    WriteFileText(notes, "plain words\n");
    const std::string help = scratch_.File("Moxwell_Reelwright.chm");
    WriteFileBytes(help, {'I', 'T', 'S', 'F', 3, 0, 0, 0, 0x60, 0, 0, 0, 1, 0, 0, 0});
    EXPECT_FALSE(platform_.HasApplicationFor(notes));
    const std::string viewer = scratch_.File("viewer");
    std::filesystem::copy_file(recorder_, viewer);
    Register("text/plain", "system", "viewer.desktop", viewer + " %f");
    EXPECT_TRUE(platform_.HasApplicationFor(notes));
    EXPECT_FALSE(platform_.HasApplicationFor(help));
    EXPECT_FALSE(platform_.HasApplicationFor(scratch_.File("missing.txt")));
}

TEST_F(LinuxDesktopTest, CommandLinesRunWithoutAShellAndFailWithTheirCodes) {
    EXPECT_EQ(platform_.RunCommandLine(
                  "\"" + recorder_ + "\" --new \"$HOME;`id`\" http://a.example/?q=1&r=2", 5),
              33);
    EXPECT_EQ(Record(), "3\n--new\n$HOME;`id`\nhttp://a.example/?q=1&r=2\n");

    const std::string text = scratch_.File("text");
    WriteFileText(text, "no program\n");
    const std::string script = scratch_.File("script");
    WriteFileText(script, "echo no interpreter line\n");
    chmod(script.c_str(), 0700);
    const std::pair<std::string, int> cases[] = {
        {"reelwright-no-such-browser http://a", 2},
        {scratch_.File("missing") + " http://a", 2},
        {text + "/inside http://a", 3},
        {text + " http://a", 5},
        {script + " http://a", 11},
        {"\"" + recorder_ + " http://a", 11},
        {"  ", 2},
    };
    for (const auto& [line, code] : cases) {
        EXPECT_EQ(platform_.RunCommandLine(line, 5), code) << line;
    }
}

}  // namespace
