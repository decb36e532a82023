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
    kFormatWebp = 8,
    kFormatHeif = 9,  // HEIC and the other HEIF pictures but AVIF
    kFormatAvif = 10,
};

// Per-format tables have one slot per type index: codes 0 to 5 map to themselves,
// TGA (7) to 6, WebP, HEIF and AVIF (8 to 10) to 7 to 9, anything else to 0.
inline constexpr int kTypeIndexCount = 10;

constexpr int TypeIndex(uint32_t type) {
    if (type <= kFormatIco) {
        return static_cast<int>(type);
    }
    if (type >= kFormatTga && type <= kFormatAvif) {
        return static_cast<int>(type) - 1;
    }
    return 0;
}
