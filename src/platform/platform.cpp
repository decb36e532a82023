#include "platform/platform.h"

std::vector<FileFilter> ParseFileFilter(const std::string& filter) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= filter.size()) {
        const size_t bar = filter.find('|', start);
        const size_t end = bar == std::string::npos ? filter.size() : bar;
        parts.push_back(filter.substr(start, end - start));
        if (bar == std::string::npos) {
            break;
        }
        start = bar + 1;
    }
    // An empty label ends the list ("||"); a label without pattern is dropped.
    std::vector<FileFilter> filters;
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].empty()) {
            break;
        }
        filters.push_back({parts[i], parts[i + 1]});
    }
    return filters;
}

size_t OpenFilesNameLength(const std::vector<std::string>& paths) {
    if (paths.empty()) {
        return 1;
    }
    if (paths.size() == 1) {
        return paths[0].size() + 2;
    }
    const size_t slash = paths[0].rfind('/');
    const size_t folderLength = slash == std::string::npos ? 0 : (slash == 0 ? 1 : slash);
    size_t length = folderLength + 1;
    for (const std::string& path : paths) {
        const size_t nameStart = path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1;
        length += path.size() - nameStart + 1;
    }
    return length + 1;
}
