// The dialog program's own command-line options: --help and --version print and end
// the program before any window opens, as GNU programs do. Every other argument is
// left to the toolkit (-platform, -display ...).
#pragma once

#include <string>
#include <vector>

enum class DialogArgumentsAction { kRunDialog, kShowHelp, kShowVersion };

// `arguments` without the program's name. The first of -h/--help and -V/--version
// decides; "--" ends the options.
DialogArgumentsAction ReadDialogArguments(const std::vector<std::string>& arguments);

// The text --help prints.
std::string DialogUsage();
// The line --version prints: "reelwright 1.9".
std::string DialogVersionLine();
