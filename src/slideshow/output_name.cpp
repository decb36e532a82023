#include "slideshow/output_name.h"

bool HasSwfExtension(std::string_view path) {
    if (path.size() < 4) {
        return false;
    }
    const std::string_view tail = path.substr(path.size() - 4);
    static constexpr char kUpper[] = ".SWF";
    for (size_t i = 0; i < 4; ++i) {
        char c = tail[i];
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
        if (c != kUpper[i]) {
            return false;
        }
    }
    return true;
}

std::string UpperCaseFileName(std::string_view path) {
    std::string result(path);
    const size_t slash = result.rfind('/');
    const size_t start = slash == std::string::npos ? 0 : slash + 1;
    for (size_t i = start; i < result.size(); ++i) {
        const char c = result[i];
        if (c >= 'a' && c <= 'z') {
            result[i] = static_cast<char>(c - 'a' + 'A');
        }
    }
    return result;
}
