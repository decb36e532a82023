// reelwright-screenshot OUTPUT.png PICTURE...: the main window as a user sees it
// after adding the pictures and clicking the first row, drawn without a display and
// saved as a PNG (for the README). Not installed.
#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QTableView>
#include <cstdio>

#include "app/dialog_ids.h"
#include "platform/linux_platform.h"
#include "qt/main_window.h"

namespace {

// Answers the open-file dialog with the pictures named on the command line.
class ScriptedPlatform final : public LinuxPlatform {
  public:
    explicit ScriptedPlatform(std::vector<std::string> pictures) : pictures_(std::move(pictures)) {}
    std::optional<std::vector<std::string>> ShowOpenFilesDialog(const OpenFilesRequest&) override {
        return pictures_;
    }

  private:
    std::vector<std::string> pictures_;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: reelwright-screenshot OUTPUT.png PICTURE...\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ScriptedPlatform platform(std::vector<std::string>(argv + 2, argv + argc));
    MainWindow window(platform);
    window.show();
    MainDialog& dialog = window.Dialog();
    dialog.OnCommand(kIdAddImages);
    window.PictureList()->selectRow(0);
    dialog.OnListClick(0);
    // The clicked picture is read on the window's picture worker: wait for it.
    QElapsedTimer waited;
    waited.start();
    while (dialog.GetPreviewSurface() == nullptr && waited.elapsed() < 20000) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    QApplication::processEvents();
    if (!window.grab().save(argv[1], "PNG")) {
        std::fprintf(stderr, "reelwright-screenshot: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
