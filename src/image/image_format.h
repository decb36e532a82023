// Picture type codes and their per-format table index.
#pragma once

#include <cstdint>

enum ImageFormat : uint32_t {
    kFormatUnknown = 0,  // detect by content
    kFormatBmp = 1,
    kFormatGif = 2,
    kFormatJpeg = 3,
    kFormatPng = 4,
    kFormatIco = 5,  // ICO and CUR
    kFormatTga = 7,
};

// Per-format tables have one slot per type index: codes 0 to 5 map to themselves,
// TGA (7) to 6, anything else to 0.
inline constexpr int kTypeIndexCount = 7;

constexpr int TypeIndex(uint32_t type) {
    if (type <= kFormatIco) {
        return static_cast<int>(type);
    }
    if (type == kFormatTga) {
        return 6;
    }
    return 0;
}
