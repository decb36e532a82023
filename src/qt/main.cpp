// reelwright: the dialog program. --help and --version print and exit; otherwise
// start-up loads the optional skin, then runs the main dialog modally; when it ends,
// the program ends.
#include <QApplication>
#include <cstdio>

#include "app/dialog_arguments.h"
#include "app/start_up.h"
#include "qt/main_window.h"
#include "qt/qt_platform.h"

int main(int argc, char** argv) {
    // Read before Qt starts, so they work without a display.
    switch (ReadDialogArguments(std::vector<std::string>(argv + 1, argv + argc))) {
        case DialogArgumentsAction::kShowHelp:
            std::fputs(DialogUsage().c_str(), stdout);
            return 0;
        case DialogArgumentsAction::kShowVersion:
            std::fputs(DialogVersionLine().c_str(), stdout);
            return 0;
        case DialogArgumentsAction::kRunDialog:
            break;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName("reelwright");
    QApplication::setDesktopFileName("reelwright");

    QtPlatform platform;
    LoadOptionalSkin(platform);
    MainWindow window(platform);
    QApplication::setWindowIcon(window.windowIcon());
    platform.SetWindow(&window);
    window.exec();
    return 0;
}
