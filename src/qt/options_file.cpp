#include "qt/options_file.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace {

constexpr const char* kGroup = "movie";
// The file this program writes is a few hundred bytes; one past this is no file of
// ours, and is not read.
constexpr std::uintmax_t kLargestOptionsFile = 64 * 1024;

QString Folder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/reelwright";
}

}  // namespace

QString OptionsFilePath() {
    return Folder() + "/reelwright.conf";
}

std::map<std::string, std::string> ReadOptionsSettings() {
    const QString path = OptionsFilePath();
    // Only a regular file of a sensible size: a pipe would never end, a huge file is
    // no settings file.
    std::error_code error;
    const std::filesystem::path file(path.toStdString());
    if (!std::filesystem::is_regular_file(file, error) ||
        std::filesystem::file_size(file, error) > kLargestOptionsFile || error) {
        return {};
    }
    QSettings settings(path, QSettings::IniFormat);
    settings.beginGroup(kGroup);
    std::map<std::string, std::string> texts;
    for (const QString& key : settings.childKeys()) {
        const QVariant value = settings.value(key);
        // A list ("a, b"), a byte array or a serialised variant is no text of ours.
        if (value.typeId() == QMetaType::QString) {
            texts[key.toStdString()] = value.toString().toStdString();
        }
    }
    if (settings.status() != QSettings::NoError) {
        return {};
    }
    return texts;
}

bool WriteOptionsSettings(const std::map<std::string, std::string>& texts, std::string& error) {
    const QString path = OptionsFilePath();
    const auto failed = [&error, &path](const QString& reason) {
        error = "cannot write " + path.toStdString() + ": " + reason.toStdString();
        return false;
    };
    if (!QDir().mkpath(Folder())) {
        return failed("its folder cannot be made");
    }
    // Written whole beside the file, then renamed over it: a damaged file is never
    // read to be written back, and a failed write leaves the old file as it was.
    QTemporaryFile fresh(path + ".XXXXXX");
    if (!fresh.open()) {
        return failed(fresh.errorString());
    }
    fresh.close();
    {
        QSettings settings(fresh.fileName(), QSettings::IniFormat);
        settings.beginGroup(kGroup);
        for (const auto& [key, text] : texts) {
            settings.setValue(QString::fromStdString(key), QString::fromStdString(text));
        }
        settings.endGroup();
        settings.sync();
        if (settings.status() != QSettings::NoError) {
            return failed("the settings could not be written");
        }
    }
    if (std::rename(fresh.fileName().toLocal8Bit().constData(), path.toLocal8Bit().constData()) !=
        0) {
        return failed(QString::fromLocal8Bit(std::strerror(errno)));
    }
    fresh.setAutoRemove(false);
    return true;
}
