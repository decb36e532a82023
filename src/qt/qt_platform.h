// The platform operations of the Qt front end: message boxes, file and folder
// dialogs, pop-up menus and the beep as Qt shows them; everything else (the shell,
// sleeping, the skin library) as on any Linux desktop.
#pragma once

#include <QPointer>
#include <QStringList>
#include <QWidget>

#include "platform/linux_platform.h"

// A file dialog's filters as Qt takes them: "Label (pattern pattern)" with each
// extension matching in any case ("*.jpg" becomes "*.[jJ][pP][gG]") and "*.*"
// matching every file. The labels are shown as they are.
QStringList QtNameFilters(const std::string& filter);

class QtPlatform final : public LinuxPlatform {
  public:
    // Dialogs and menus are shown over `window` once it is set.
    void SetWindow(QWidget* window) { window_ = window; }

    void ShowMessageBox(const std::string& text, MessageIcon icon,
                        const std::string& caption) override;
    std::optional<std::string> ShowSaveFileDialog(const SaveFileRequest& request) override;
    std::optional<std::vector<std::string>> ShowOpenFilesDialog(
        const OpenFilesRequest& request) override;
    std::optional<std::string> ShowFolderDialog(const std::string& title,
                                                const std::string& initialFolder) override;
    int TrackPopupMenu(const std::vector<MenuItem>& items, int x, int y) override;
    void Beep(unsigned kind) override;
    // The palette's highlight, the colour a link shows while the pointer is over it.
    RgbColor GetHighlightColor() override;
    void RunAboutDialog(AboutDialog& dialog) override;
    void RunMovieOptionsDialog(MovieOptionsDialog& dialog) override;
    // The options file through QSettings (options_file.h).
    std::map<std::string, std::string> ReadOptionsFile() override;
    bool WriteOptionsFile(const std::map<std::string, std::string>& texts,
                          std::string& error) override;

  protected:
    // The windows keep painting while a link or the movie is being opened; input
    // waits until the opener has answered.
    void WhileWaitingForOpener() override;

  private:
    QPointer<QWidget> window_;
};
