#include "app/dialog_arguments.h"

#include "reelwright_version.h"

DialogArgumentsAction ReadDialogArguments(const std::vector<std::string>& arguments) {
    for (const std::string& argument : arguments) {
        if (argument == "--") {
            break;
        }
        if (argument == "-h" || argument == "--help") {
            return DialogArgumentsAction::kShowHelp;
        }
        if (argument == "-V" || argument == "--version") {
            return DialogArgumentsAction::kShowVersion;
        }
    }
    return DialogArgumentsAction::kRunDialog;
}

std::string DialogUsage() {
    return "Usage: reelwright [-h|--help] [-V|--version]\n"
           "Opens the Reelwright dialog, which turns an ordered list of pictures into an\n"
           "SWF slideshow movie. Add pictures with \"Add Image(s)\", \"Add folder\" or by\n"
           "dropping files and folders on the list; \"Save as Flash\" writes the movie.\n"
           "\n"
           "  -h, --help     show this help and exit\n"
           "  -V, --version  show the version and exit\n"
           "\n"
           "Other arguments go to Qt (for instance -platform or -display).\n"
           "reelwright-cli makes the same movies from the command line.\n";
}

std::string DialogVersionLine() {
    return std::string("reelwright ") + kReelwrightVersion + "\n";
}
