#include "qt/qt_platform.h"

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>

#include "qt/about_box.h"
#include "qt/movie_options_box.h"
#include "qt/options_file.h"
#include "qt/window_log.h"

namespace {

// "*.jpg" -> "*.[jJ][pP][gG]": the dialog's own matching may mind the case, a
// bracket class never does.
QString AnyCasePattern(const QString& pattern) {
    if (pattern == "*.*") {
        return "*";
    }
    QString result;
    for (const QChar c : pattern) {
        if (c.isLetter()) {
            result += QString("[%1%2]").arg(c.toLower(), c.toUpper());
        } else {
            result += c;
        }
    }
    return result;
}

QString FromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

QStringList QtNameFilters(const std::string& filter) {
    QStringList filters;
    for (const FileFilter& entry : ParseFileFilter(filter)) {
        QStringList patterns;
        for (const QString& pattern : FromUtf8(entry.pattern).split(';', Qt::SkipEmptyParts)) {
            patterns << AnyCasePattern(pattern.trimmed());
        }
        filters << FromUtf8(entry.label) + " (" + patterns.join(' ') + ")";
    }
    return filters;
}

void QtPlatform::ShowMessageBox(const std::string& text, MessageIcon icon,
                                const std::string& caption) {
    const QMessageBox::Icon shown = icon == MessageIcon::kExclamation   ? QMessageBox::Warning
                                    : icon == MessageIcon::kInformation ? QMessageBox::Information
                                                                        : QMessageBox::NoIcon;
    QMessageBox box(shown, FromUtf8(caption), FromUtf8(text), QMessageBox::Ok, window_);
    // Laid out and shown first, so the log can say where its button stands.
    box.show();
    LogMessageBox(box);
    box.exec();
}

std::optional<std::string> QtPlatform::ShowSaveFileDialog(const SaveFileRequest& request) {
    QFileDialog dialog(window_, FromUtf8(request.title));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    dialog.setNameFilters(QtNameFilters(request.filter));
    dialog.setDefaultSuffix(FromUtf8(request.defaultExtension));
    if (!request.initialFolder.empty()) {
        dialog.setDirectory(FromUtf8(request.initialFolder));
    }
    if (!request.initialName.empty()) {
        dialog.selectFile(FromUtf8(request.initialName));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().first().toStdString();
}

std::optional<std::vector<std::string>> QtPlatform::ShowOpenFilesDialog(
    const OpenFilesRequest& request) {
    QFileDialog dialog(window_);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilters(QtNameFilters(request.filter));
    if (!request.initialFolder.empty()) {
        dialog.setDirectory(FromUtf8(request.initialFolder));
    }
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    std::vector<std::string> paths;
    for (const QString& path : dialog.selectedFiles()) {
        paths.push_back(path.toStdString());
    }
    // A selection too long for the dialog's name buffer is no selection at all.
    if (paths.empty() || OpenFilesNameLength(paths) > request.nameBufferCapacity) {
        return std::nullopt;
    }
    return paths;
}

std::optional<std::string> QtPlatform::ShowFolderDialog(const std::string& title,
                                                        const std::string& initialFolder) {
    const QString folder =
        QFileDialog::getExistingDirectory(window_, FromUtf8(title), FromUtf8(initialFolder));
    if (folder.isEmpty()) {
        return std::nullopt;
    }
    return folder.toStdString();
}

int QtPlatform::TrackPopupMenu(const std::vector<MenuItem>& items, int x, int y) {
    QMenu menu(window_);
    for (const MenuItem& item : items) {
        if (item.IsSeparator()) {
            menu.addSeparator();
        } else {
            menu.addAction(FromUtf8(item.text))->setData(item.id);
        }
    }
    const QAction* chosen = menu.exec(QPoint(x, y));
    return chosen != nullptr ? chosen->data().toInt() : 0;
}

void QtPlatform::WhileWaitingForOpener() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void QtPlatform::Beep(unsigned) {
    QApplication::beep();
}

RgbColor QtPlatform::GetHighlightColor() {
    const QColor highlight = QApplication::palette().color(QPalette::Highlight);
    return RgbColor{static_cast<uint8_t>(highlight.red()), static_cast<uint8_t>(highlight.green()),
                    static_cast<uint8_t>(highlight.blue())};
}

void QtPlatform::RunAboutDialog(AboutDialog& dialog) {
    ShowAboutBox(dialog, window_);
}

void QtPlatform::RunMovieOptionsDialog(MovieOptionsDialog& dialog) {
    ShowMovieOptionsBox(dialog, window_);
}

std::map<std::string, std::string> QtPlatform::ReadOptionsFile() {
    return ReadOptionsSettings();
}

bool QtPlatform::WriteOptionsFile(const std::map<std::string, std::string>& texts,
                                  std::string& error) {
    return WriteOptionsSettings(texts, error);
}
