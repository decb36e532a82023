#include "slideshow/folder_scan.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "slideshow/picture_file_name.h"

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Compares the digit runs starting at a[i] and b[j] by value, whatever their length;
// moves both past their runs. Leading zeros do not count.
int CompareDigitRuns(std::string_view a, size_t& i, std::string_view b, size_t& j) {
    while (i < a.size() && a[i] == '0' && i + 1 < a.size() && IsDigit(a[i + 1])) {
        ++i;
    }
    while (j < b.size() && b[j] == '0' && j + 1 < b.size() && IsDigit(b[j + 1])) {
        ++j;
    }
    size_t endA = i;
    size_t endB = j;
    while (endA < a.size() && IsDigit(a[endA])) {
        ++endA;
    }
    while (endB < b.size() && IsDigit(b[endB])) {
        ++endB;
    }
    int order = 0;
    if (endA - i != endB - j) {
        order = endA - i < endB - j ? -1 : 1;
    } else {
        order = a.substr(i, endA - i).compare(b.substr(j, endB - j));
    }
    i = endA;
    j = endB;
    return order;
}

// Name order without the byte-order tie break.
int CompareNames(std::string_view a, std::string_view b) {
    size_t i = 0;
    size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            if (const int order = CompareDigitRuns(a, i, b, j); order != 0) {
                return order < 0 ? -1 : 1;
            }
            continue;
        }
        const unsigned char ca = static_cast<unsigned char>(Lower(a[i]));
        const unsigned char cb = static_cast<unsigned char>(Lower(b[j]));
        if (ca != cb) {
            return ca < cb ? -1 : 1;
        }
        ++i;
        ++j;
    }
    if (i < a.size()) {
        return 1;
    }
    return j < b.size() ? -1 : 0;
}

}  // namespace

bool NameOrderLess(std::string_view a, std::string_view b) {
    const int order = CompareNames(a, b);
    return order != 0 ? order < 0 : a < b;
}

bool IsNoRegularFile(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode);
}

FolderScan ScanFolderForPictures(const std::string& folder) {
    FolderScan scan;
    DIR* directory = opendir(folder.c_str());
    if (directory == nullptr) {
        scan.error = std::strerror(errno);
        return scan;
    }
    const std::string prefix = (!folder.empty() && folder.back() == '/') ? folder : folder + "/";
    std::vector<std::string> names;
    while (const dirent* entry = readdir(directory)) {
        const std::string name = entry->d_name;
        if (!IsPictureFileName(name)) {
            continue;
        }
        if (IsNoRegularFile(prefix + name)) {
            continue;
        }
        names.push_back(name);
    }
    closedir(directory);
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return NameOrderLess(a, b); });
    scan.paths.reserve(names.size());
    for (const std::string& name : names) {
        scan.paths.push_back(prefix + name);
    }
    return scan;
}
