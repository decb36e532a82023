#include "slideshow/picture_file_name.h"

#include <cctype>

namespace {

bool EndsWithIgnoringCase(std::string_view name, std::string_view upperSuffix) {
    if (name.size() < upperSuffix.size()) {
        return false;
    }
    const std::string_view tail = name.substr(name.size() - upperSuffix.size());
    for (size_t i = 0; i < tail.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(tail[i])) != upperSuffix[i]) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool IsPictureFileName(std::string_view name) {
    for (std::string_view suffix :
         {".JPG", ".BMP", ".PNG", ".TGA", ".ICO", ".JPEG", ".WEBP", ".HEIC", ".HEIF", ".AVIF"}) {
        if (EndsWithIgnoringCase(name, suffix)) {
            return true;
        }
    }
    return false;
}
