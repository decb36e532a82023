// reelwright: the dialog program. Start-up loads the optional skin, then runs the
// main dialog modally; when it ends, the program ends.
#include <QApplication>

#include "app/start_up.h"
#include "qt/main_window.h"
#include "qt/qt_platform.h"

int main(int argc, char** argv) {
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
