// Desktop entries: the Exec line, its field codes, its quoting, where an entry is
// found; and reading another program's answer.
#include "platform/desktop_entry.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/child_process.h"
#include "platform/environment_override.h"
#include "support/file_bytes.h"
#include "support/scratch_folder.h"

namespace {

using test_support::ScratchFolder;
using test_support::WriteFileText;
using Words = std::vector<std::string>;

TEST(DesktopEntry, ExecIsReadFromTheEntryGroupWithItsStringEscapesUndone) {
    struct Case {
        const char* file;
        std::optional<std::string> exec;
    };
    const Case cases[] = {
        {"[Desktop Entry]\nName=B\nExec=browser %u\n", "browser %u"},
        {"Exec=before-any-group\n[Desktop Entry]\n# Exec=comment\nExec =  spaced %U \n",
         "spaced %U"},
        {"[Desktop Action new]\nExec=action\n[Desktop Entry]\nExec[de]=x\nExec=right\r\n", "right"},
        {"[Desktop Entry]\nExec=say\\shi \"a\\\\\"b\" \\$x\\t\\\\\\\\",
         "say hi \"a\\\"b\" \\$x\t\\\\"},
        {"[Desktop Entry]\nName=No command\n", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& test : cases) {
        EXPECT_EQ(ReadDesktopEntryExec(test.file), test.exec) << test.file;
    }
}

TEST(DesktopEntry, FileAndAddressFieldCodesBecomeThePlaceholder) {
    struct Case {
        const char* exec;
        std::optional<std::string> command;
    };
    const Case cases[] = {
        {"browser %u", "browser %1"},
        {"b %U %f %F", "b %1 %1 %1"},
        {"browser %i %c %k --new %u", "browser    --new %1"},
        {"old%d%D%n%N%v%m %u", "old %1"},
        {"run 100%% %u", "run 100% %1"},
        {"browser", "browser"},
        {"browser %z", std::nullopt},
        {"browser %", std::nullopt},
    };
    for (const Case& test : cases) {
        EXPECT_EQ(ExecToOpenCommand(test.exec), test.command) << test.exec;
    }
}

TEST(DesktopEntry, CommandLinesSplitByTheExecQuotingRules) {
    struct Case {
        const char* line;
        std::optional<Words> words;
    };
    const Case cases[] = {
        {"browser  http://a.example/", Words{"browser", "http://a.example/"}},
        {"\"/opt/My Browser/run\" --new http://a",
         Words{"/opt/My Browser/run", "--new", "http://a"}},
        {"sh -c \"echo \\\"a\\\\b\\$\\`\\n\"", Words{"sh", "-c", "echo \"a\\b$`\\n"}},
        {"\"\" x", Words{"", "x"}},
        {"--opt=\"a b\"c", Words{"--opt=a bc"}},
        {"a\\b 'c d'", Words{"a\\b", "'c", "d'"}},
        {"\t x \n", Words{"x"}},
        {"", Words{}},
        {"\"open", std::nullopt},
        {"a \"b\\\"", std::nullopt},
    };
    for (const Case& test : cases) {
        EXPECT_EQ(SplitCommandLine(test.line), test.words) << test.line;
    }
}

TEST(DesktopEntry, FoldersFollowTheBaseDirectoryVariablesAndTheFirstHolderWins) {
    {
        EnvironmentOverride home("XDG_DATA_HOME", "/home/u/data/");
        EnvironmentOverride dirs("XDG_DATA_DIRS", "relative/share::/opt/share");
        EXPECT_EQ(ApplicationFolders(),
                  (Words{"/home/u/data/applications", "/opt/share/applications"}));
    }
    {
        EnvironmentOverride home("HOME", "/home/u");
        EnvironmentOverride dataHome("XDG_DATA_HOME", "");
        EnvironmentOverride dirs("XDG_DATA_DIRS", std::nullopt);
        EXPECT_EQ(ApplicationFolders(),
                  (Words{"/home/u/.local/share/applications", "/usr/local/share/applications",
                         "/usr/share/applications"}));
    }

    ScratchFolder scratch;
    const std::string user = scratch.File("user");
    const std::string system = scratch.File("system");
    std::filesystem::create_directories(user);
    std::filesystem::create_directories(system + "/vendor");
    std::filesystem::create_directories(system + "/dir.desktop");
    WriteFileText(user + "/b.desktop", "");
    WriteFileText(system + "/b.desktop", "");
    WriteFileText(system + "/vendor/web-b.desktop", "");
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {"b.desktop", user + "/b.desktop"},
        {"vendor-web-b.desktop", system + "/vendor/web-b.desktop"},
        {"missing.desktop", std::nullopt},
        {"dir.desktop", std::nullopt},
        {".desktop", std::nullopt},
        {"../system/b.desktop", std::nullopt},
    };
    for (const auto& [id, path] : cases) {
        EXPECT_EQ(FindDesktopEntry(id, {user, system}), path) << id;
    }
}

TEST(ChildProcess, OutputIsReadOnlyFromAProgramThatEndsWellInTime) {
    using std::chrono::milliseconds;
    EXPECT_EQ(ReadProgramOutput({"printf", "abcdef"}, milliseconds(5000), 4), "abcd");
    EXPECT_EQ(ReadProgramOutput({"false"}, milliseconds(5000)), std::nullopt);
    EXPECT_EQ(ReadProgramOutput({"reelwright-no-such-program"}, milliseconds(5000)), std::nullopt);
    // Killed at the time limit, whether or not it still holds its output.
    EXPECT_EQ(ReadProgramOutput({"sleep", "30"}, milliseconds(100)), std::nullopt);
    EXPECT_EQ(ReadProgramOutput({"sh", "-c", "exec >&-; exec sleep 30"}, milliseconds(100)),
              std::nullopt);
}

}  // namespace
