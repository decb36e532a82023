// The "picture size" field's text, as every operation that shows a picture writes it.
#pragma once

#include <cstdint>
#include <string>

// "640*480 pixels"; a picture that did not load reads "0*0 pixels".
inline std::string PictureSizeText(int64_t width, int64_t height) {
    return std::to_string(width) + "*" + std::to_string(height) + " pixels";
}
