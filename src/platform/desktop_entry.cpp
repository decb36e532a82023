#include "platform/desktop_entry.h"

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <string_view>

namespace {

constexpr const char* kDesktopEntryGroup = "[Desktop Entry]";
constexpr const char* kDesktopSuffix = ".desktop";
// Far above any real entry (a browser's with all its translations is some tens of
// kilobytes); a larger file is not read.
constexpr size_t kMaxDesktopEntryBytes = 1024 * 1024;

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

std::string TrimSpaces(const std::string& text) {
    size_t first = 0;
    while (first < text.size() && (text[first] == ' ' || text[first] == '\t')) {
        ++first;
    }
    size_t end = text.size();
    while (end > first && (text[end - 1] == ' ' || text[end - 1] == '\t')) {
        --end;
    }
    return text.substr(first, end - first);
}

// The general escapes of a string value; an unknown escape keeps its backslash, so
// that the quoting rules of an Exec line still see it.
std::string UndoStringEscapes(const std::string& value) {
    std::string text;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            text += value[i];
            continue;
        }
        switch (value[i + 1]) {
            case 's':
                text += ' ';
                break;
            case 'n':
                text += '\n';
                break;
            case 't':
                text += '\t';
                break;
            case 'r':
                text += '\r';
                break;
            case '\\':
                text += '\\';
                break;
            default:
                text += '\\';
                continue;
        }
        ++i;
    }
    return text;
}

bool IsRegularFile(const std::string& path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

void AddFolder(std::vector<std::string>& folders, std::string base) {
    if (base.empty() || base[0] != '/') {
        return;
    }
    while (base.size() > 1 && base.back() == '/') {
        base.pop_back();
    }
    folders.push_back(base == "/" ? "/applications" : base + "/applications");
}

}  // namespace

std::optional<std::string> ReadDesktopEntryExec(const std::string& fileText) {
    bool inEntryGroup = false;
    size_t start = 0;
    while (start < fileText.size()) {
        size_t end = fileText.find('\n', start);
        if (end == std::string::npos) {
            end = fileText.size();
        }
        std::string line = fileText.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty() || line[0] == '#') {
            continue;
        }
        if (line[0] == '[') {
            inEntryGroup = line == kDesktopEntryGroup;
            continue;
        }
        const size_t equals = line.find('=');
        if (!inEntryGroup || equals == std::string::npos) {
            continue;
        }
        // "Exec[de]=" would be a translation; Exec is never translated, so only the
        // plain key counts.
        if (TrimSpaces(line.substr(0, equals)) == "Exec") {
            return UndoStringEscapes(TrimSpaces(line.substr(equals + 1)));
        }
    }
    return std::nullopt;
}

std::optional<std::string> ExecToOpenCommand(const std::string& exec) {
    std::string command;
    for (size_t i = 0; i < exec.size(); ++i) {
        if (exec[i] != '%') {
            command += exec[i];
            continue;
        }
        if (i + 1 == exec.size()) {
            return std::nullopt;
        }
        const char code = exec[++i];
        switch (code) {
            case 'f':
            case 'F':
            case 'u':
            case 'U':
                command += "%1";
                break;
            case '%':
                command += '%';
                break;
            case 'i':
            case 'c':
            case 'k':
            case 'd':
            case 'D':
            case 'n':
            case 'N':
            case 'v':
            case 'm':
                break;
            default:
                return std::nullopt;
        }
    }
    return command;
}

std::optional<std::vector<std::string>> SplitCommandLine(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"') {
                quoted = false;
            } else if (c == '\\' && i + 1 < line.size() &&
                       std::string_view("\"`$\\").find(line[i + 1]) != std::string_view::npos) {
                word += line[++i];
            } else {
                word += c;
            }
        } else if (IsBlank(c)) {
            if (inWord) {
                words.push_back(std::move(word));
                word.clear();
                inWord = false;
            }
        } else {
            inWord = true;
            if (c == '"') {
                quoted = true;
            } else {
                word += c;
            }
        }
    }
    if (quoted) {
        return std::nullopt;
    }
    if (inWord) {
        words.push_back(std::move(word));
    }
    return words;
}

std::vector<std::string> ApplicationFolders() {
    std::vector<std::string> folders;
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome != nullptr && dataHome[0] != '\0') {
        AddFolder(folders, dataHome);
    } else if (const char* home = std::getenv("HOME"); home != nullptr) {
        AddFolder(folders, std::string(home) + "/.local/share");
    }
    const char* dataDirs = std::getenv("XDG_DATA_DIRS");
    const std::string dirs =
        (dataDirs != nullptr && dataDirs[0] != '\0') ? dataDirs : "/usr/local/share:/usr/share";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t colon = dirs.find(':', start);
        if (colon == std::string::npos) {
            colon = dirs.size();
        }
        AddFolder(folders, dirs.substr(start, colon - start));
        start = colon + 1;
    }
    return folders;
}

std::optional<std::string> FindDesktopEntry(const std::string& id,
                                            const std::vector<std::string>& folders) {
    const std::string suffix = kDesktopSuffix;
    // A plain file name only: anything with a '/' (or a NUL) could reach outside the
    // applications folders.
    if (id.size() <= suffix.size() ||
        id.compare(id.size() - suffix.size(), suffix.size(), suffix) != 0 ||
        id.find('/') != std::string::npos || id.find('\0') != std::string::npos) {
        return std::nullopt;
    }
    for (const std::string& folder : folders) {
        if (IsRegularFile(folder + "/" + id)) {
            return folder + "/" + id;
        }
        for (size_t dash = id.find('-'); dash != std::string::npos; dash = id.find('-', dash + 1)) {
            const std::string path = folder + "/" + id.substr(0, dash) + "/" + id.substr(dash + 1);
            if (IsRegularFile(path)) {
                return path;
            }
        }
    }
    return std::nullopt;
}

std::optional<std::string> DesktopEntryOpenCommand(const std::string& id,
                                                   const std::vector<std::string>& folders) {
    const std::optional<std::string> path = FindDesktopEntry(id, folders);
    if (!path) {
        return std::nullopt;
    }
    std::ifstream file(*path, std::ios::binary);
    std::string text;
    char buffer[4096];
    while (file.read(buffer, sizeof buffer) || file.gcount() > 0) {
        text.append(buffer, static_cast<size_t>(file.gcount()));
        if (text.size() > kMaxDesktopEntryBytes) {
            return std::nullopt;
        }
    }
    if (file.bad()) {
        return std::nullopt;
    }
    const std::optional<std::string> exec = ReadDesktopEntryExec(text);
    if (!exec) {
        return std::nullopt;
    }
    return ExecToOpenCommand(*exec);
}
