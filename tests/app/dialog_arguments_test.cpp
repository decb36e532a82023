// The dialog program's own options: --help and --version decide before the window.
#include "app/dialog_arguments.h"

#include <gtest/gtest.h>

namespace {

TEST(DialogArguments, HelpAndVersionEndTheProgramAndEverythingElseGoesToTheToolkit) {
    const std::pair<std::vector<std::string>, DialogArgumentsAction> cases[] = {
        {{}, DialogArgumentsAction::kRunDialog},
        {{"-platform", "xcb"}, DialogArgumentsAction::kRunDialog},
        {{"--help"}, DialogArgumentsAction::kShowHelp},
        {{"-display", ":3", "-h"}, DialogArgumentsAction::kShowHelp},
        {{"--version", "--help"}, DialogArgumentsAction::kShowVersion},
        {{"-V"}, DialogArgumentsAction::kShowVersion},
        {{"--", "--help"}, DialogArgumentsAction::kRunDialog},
        {{"--helpful"}, DialogArgumentsAction::kRunDialog},
    };
    for (const auto& [arguments, action] : cases) {
        EXPECT_EQ(ReadDialogArguments(arguments), action) << testing::PrintToString(arguments);
    }
    EXPECT_EQ(DialogVersionLine(), "reelwright 1.9\n");
    EXPECT_EQ(DialogUsage().rfind("Usage: reelwright [-h|--help] [-V|--version]\n", 0), 0u);
}

}  // namespace
