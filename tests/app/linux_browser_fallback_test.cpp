// The Linux side of the browser fall-back: the default browser named by the real
// xdg-mime in a scratch desktop tree, its desktop entry's Exec line, and command
// lines run without a shell against a fake browser.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "app/environment_override.h"
#include "platform/linux_platform.h"
#include "support/file_bytes.h"
#include "support/outside_programs.h"
#include "support/scratch_folder.h"

namespace {

using namespace test_support;

// A desktop of its own: the XDG configuration and data folders point into a scratch
// folder, so only the entries a test writes exist.
class ScratchDesktop {
  public:
    ScratchDesktop()
        : configHome_("XDG_CONFIG_HOME", scratch_.File("config")),
          configDirs_("XDG_CONFIG_DIRS", scratch_.File("config")),
          dataHome_("XDG_DATA_HOME", scratch_.File("home")),
          dataDirs_("XDG_DATA_DIRS", scratch_.File("system")),
          desktop_("XDG_CURRENT_DESKTOP", std::nullopt) {
        for (const char* folder : {"config", "home/applications", "system/applications"}) {
            std::filesystem::create_directories(scratch_.File(folder));
        }
    }

    const ScratchFolder& Scratch() const { return scratch_; }
    // Makes `id` the default application of `type` (as mimeapps.list says it).
    void SetDefault(const std::string& type, const std::string& id) {
        WriteFileText(scratch_.File("config/mimeapps.list"),
                      "[Default Applications]\n" + type + "=" + id + "\n");
    }
    void WriteEntry(const std::string& folder, const std::string& id, const std::string& exec) {
        WriteFileText(scratch_.File(folder + "/applications/" + id),
                      "[Desktop Entry]\nType=Application\nName=Fake\nExec=" + exec + "\n");
    }
    // An executable script that writes its argument count and arguments, one a line.
    std::string WriteRecorder(const std::string& name) {
        const std::string path = scratch_.File(name);
        const std::string record = scratch_.File("record.txt");
        WriteFileText(path,
                      "#!/bin/sh\n{ echo \"$#\"; for a in \"$@\"; do echo \"$a\"; done; } > '" +
                          record + ".tmp' && mv '" + record + ".tmp' '" + record + "'\n");
        chmod(path.c_str(), 0700);
        return path;
    }
    // Waits (bounded) for the recorder's record.
    std::string Record() const {
        const std::string path = scratch_.File("record.txt");
        for (int attempt = 0; attempt < 500; ++attempt) {
            if (std::filesystem::exists(path)) {
                return ReadFileText(path);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return {};
    }

  private:
    ScratchFolder scratch_;
    EnvironmentOverride configHome_;
    EnvironmentOverride configDirs_;
    EnvironmentOverride dataHome_;
    EnvironmentOverride dataDirs_;
    EnvironmentOverride desktop_;
};

TEST(LinuxBrowserFallback, TheDefaultBrowsersExecLineIsTheOpenCommand) {
    REQUIRE_PROGRAM("xdg-mime");
    ScratchDesktop desktop;
    const std::string browser = desktop.WriteRecorder("browser");
    LinuxPlatform platform;
    EXPECT_EQ(platform.LookUpBrowserCommand(), std::nullopt);

    // The user's own entry wins over the system's of the same name.
    desktop.SetDefault("text/html", "fake-browser.desktop");
    desktop.WriteEntry("system", "fake-browser.desktop", browser + " --system %u");
    desktop.WriteEntry("home", "fake-browser.desktop", browser + " --new-window %U --icon %i");
    EXPECT_EQ(platform.LookUpBrowserCommand(), browser + " --new-window %1 --icon ");

    desktop.WriteEntry("home", "fake-browser.desktop", browser + " %x");
    EXPECT_EQ(platform.LookUpBrowserCommand(), std::nullopt);
}

TEST(LinuxBrowserFallback, CommandLinesRunWithoutAShellAndFailWithTheirCodes) {
    ScratchDesktop desktop;
    const std::string browser = desktop.WriteRecorder("fake browser");
    LinuxPlatform platform;
    EXPECT_EQ(platform.RunCommandLine(
                  "\"" + browser + "\" --new \"$HOME;`id`\" http://a.example/?q=1&r=2", 5),
              33);
    EXPECT_EQ(desktop.Record(), "3\n--new\n$HOME;`id`\nhttp://a.example/?q=1&r=2\n");

    const std::string text = desktop.Scratch().File("text");
    WriteFileText(text, "no program\n");
    const std::string script = desktop.Scratch().File("script");
    WriteFileText(script, "echo no interpreter line\n");
    chmod(script.c_str(), 0700);
    struct Case {
        std::string line;
        int code;
    };
    const Case cases[] = {
        {"reelwright-no-such-browser http://a", 2},
        {desktop.Scratch().File("missing") + " http://a", 2},
        {text + "/inside http://a", 3},
        {text + " http://a", 5},
        {script + " http://a", 11},
        {"\"" + browser + " http://a", 11},
        {"  ", 2},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.line);
        EXPECT_EQ(platform.RunCommandLine(test.line, 5), test.code);
    }
}

}  // namespace
