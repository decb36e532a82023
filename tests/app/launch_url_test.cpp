// Opening a link: the browser fall-back's command line, the order of the attempts
// and their codes, and the message of every failure code.
#include "app/launch_url.h"

#include <gtest/gtest.h>

#include "app/fake_platform.h"
#include "app/launch_error.h"
#include "platform/desktop_entry.h"

namespace {

const char* const kCaption = "Reelwright 1.9 by www.reelwright.example";
const std::string kUrl = "http://www.reelwright.example/";

TEST(LaunchUrl, TheBrowserCommandIsCutAtItsPlaceholderAndGetsTheAddress) {
    struct Case {
        std::string command;
        std::string url;
        std::optional<std::string> line;
    };
    const std::string longUrl = "http://a.example/" + std::string(500, 'x');  // 517 characters
    const Case cases[] = {
        {"\"C:\\Browser\\browser.exe\" -nohome \"%1\" -x", kUrl,
         "\"C:\\Browser\\browser.exe\" -nohome  http://www.reelwright.example/"},
        {"browser %1 --new-tab", kUrl, "browser  http://www.reelwright.example/"},
        {"browser %1 \"%1\"", kUrl, "browser %1  http://www.reelwright.example/"},
        {"browser --new-window", kUrl, "browser --new-window http://www.reelwright.example/"},
        {"", "www.reelwright.example", " www.reelwright.example"},
        // 1 + 1 + 517 = 519 characters fit the buffer with its zero; one more does not.
        {"b", longUrl, "b " + longUrl},
        {"br", longUrl, std::nullopt},
        // What follows the placeholder is cut off before the length counts.
        {"b %1" + std::string(600, ' '), kUrl, "b  http://www.reelwright.example/"},
    };
    for (const Case& test : cases) {
        EXPECT_EQ(BuildBrowserCommandLine(test.command, test.url), test.line)
            << test.command.substr(0, 40);
    }

    // A desktop entry's field code is the placeholder.
    const std::optional<std::string> command =
        ExecToOpenCommand("firefox-esr -P \"my profile\" %u");
    ASSERT_TRUE(command);
    EXPECT_EQ(BuildBrowserCommandLine(*command, kUrl),
              "firefox-esr -P \"my profile\"  http://www.reelwright.example/");
}

TEST(LaunchUrl, TheBrowserIsRunOnlyWhenTheShellFails) {
    struct Case {
        int shellResult;
        std::optional<std::string> browserCommand;
        std::string url;
        int result;
        std::vector<RecordedCommandLine> commandLines;
    };
    const Case cases[] = {
        {42, "browser %1", kUrl, 42, {}},
        {31, std::nullopt, kUrl, 31, {}},
        {2, "browser \"%1\"", kUrl, 7, {{"browser  http://www.reelwright.example/", 5}}},
        {31, "browser %1", std::string(600, 'u'), 8, {}},
    };
    for (const Case& test : cases) {
        FakePlatform platform;
        platform.shellResult = test.shellResult;
        platform.browserCommand = test.browserCommand;
        platform.runResult = 7;
        EXPECT_EQ(LaunchUrl(platform, test.url, 5), test.result);
        EXPECT_EQ(platform.launches, (std::vector<RecordedLaunch>{{"open", test.url, 5}}));
        EXPECT_EQ(platform.commandLines, test.commandLines);
        EXPECT_TRUE(platform.messages.empty());
    }
}

TEST(LaunchError, EveryCodeHasItsTextAfterTheIntroduction) {
    struct Case {
        int code;
        const char* message;
    };
    const Case cases[] = {
        {0, "Unable to open hyperlink:\n\nThe operating system is out\nof memory or resources."},
        {2, "Unable to open hyperlink:\n\nThe specified file was not found."},
        {3, "Unable to open hyperlink:\n\nThe specified path was not found."},
        {5,
         "Unable to open hyperlink:\n\nThe operating system denied\naccess to the specified "
         "file."},
        {8, "Unable to open hyperlink:\n\nThere was not enough memory to complete the operation."},
        {11,
         "Unable to open hyperlink:\n\nThe .EXE file is invalid\n(non-Win32 .EXE or error in "
         ".EXE image)."},
        {26, "Unable to open hyperlink:\n\nA sharing violation occurred. "},
        {27, "Unable to open hyperlink:\n\nThe filename association is\nincomplete or invalid."},
        {28,
         "Unable to open hyperlink:\n\nThe DDE transaction could not\nbe completed because "
         "the request timed out."},
        {29, "Unable to open hyperlink:\n\nThe DDE transaction failed."},
        {30,
         "Unable to open hyperlink:\n\nThe DDE transaction could not\nbe completed because "
         "other DDE transactions\nwere being processed."},
        {31,
         "Unable to open hyperlink:\n\nThere is no application associated\nwith the given "
         "filename extension."},
        {32, "Unable to open hyperlink:\n\nThe specified dynamic-link library was not found."},
        {4, "Unable to open hyperlink:\n\nUnknown Error (4) occurred."},
        {1, "Unable to open hyperlink:\n\nUnknown Error (1) occurred."},
        {33, "Unable to open hyperlink:\n\nUnknown Error (33) occurred."},
        {-7, "Unable to open hyperlink:\n\nUnknown Error (-7) occurred."},
    };
    for (const Case& test : cases) {
        FakePlatform platform;
        ReportLaunchError(platform, test.code);
        EXPECT_EQ(
            platform.messages,
            (std::vector<RecordedMessage>{{test.message, MessageIcon::kExclamation, kCaption}}));
    }
}

}  // namespace
