// Pixel and palette access: rows, single pixels by index or colour, the palette and
// its nearest-colour search, and the grey-scale test.
#include <algorithm>
#include <cstring>

#include "image/packed_pixels.h"
#include "image/picture.h"

uint8_t* Picture::GetBits(uint32_t row) {
    if (!block_ || row >= GetHeight()) {
        return nullptr;
    }
    return pixels_ + static_cast<size_t>(row) * info_.effectiveWidth;
}

const uint8_t* Picture::GetBits(uint32_t row) const {
    if (!block_ || row >= GetHeight()) {
        return nullptr;
    }
    return pixels_ + static_cast<size_t>(row) * info_.effectiveWidth;
}

uint8_t Picture::GetPixelIndex(int64_t x, int64_t y) const {
    if (!block_) {
        return 0;
    }
    if (!IsInside(x, y)) {
        // Outside the picture reads as transparent when there is a transparent index.
        if (info_.transparentIndex >= 0) {
            return static_cast<uint8_t>(info_.transparentIndex);
        }
        return pixels_[0];
    }
    if (GetBpp() == 24) {
        return 0;
    }
    return PackedIndex(pixels_ + static_cast<size_t>(y) * info_.effectiveWidth,
                       static_cast<uint64_t>(x), GetBpp());
}

void Picture::SetPixelIndex(int64_t x, int64_t y, uint8_t index) {
    if (!IsInside(x, y) || GetBpp() == 24) {
        return;
    }
    StorePackedIndex(pixels_ + static_cast<size_t>(y) * info_.effectiveWidth,
                     static_cast<uint64_t>(x), GetBpp(), index);
}

RgbQuad Picture::GetPixelColor(int64_t x, int64_t y, bool withAlpha) const {
    if (!block_) {
        return {};
    }
    if (!IsInside(x, y)) {
        if (info_.transparentIndex < 0) {
            return GetPixelColor(0, 0, withAlpha);
        }
        if (GetBpp() < 24) {
            return GetPaletteColor(static_cast<uint32_t>(info_.transparentIndex));
        }
        return info_.transparentColor;
    }
    RgbQuad color;
    if (GetBpp() == 24) {
        const uint8_t* pixel =
            pixels_ + static_cast<size_t>(y) * info_.effectiveWidth + 3 * static_cast<size_t>(x);
        color.blue = pixel[0];
        color.green = pixel[1];
        color.red = pixel[2];
    } else {
        color = GetPaletteColor(GetPixelIndex(x, y));
    }
    if (withAlpha && alpha_) {
        color.reserved = alpha_[static_cast<size_t>(y) * GetWidth() + static_cast<size_t>(x)];
    }
    return color;
}

void Picture::SetPixelColor(int64_t x, int64_t y, RgbQuad color, bool withAlpha) {
    if (!IsInside(x, y)) {
        return;
    }
    if (GetBpp() == 24) {
        uint8_t* pixel =
            pixels_ + static_cast<size_t>(y) * info_.effectiveWidth + 3 * static_cast<size_t>(x);
        pixel[0] = color.blue;
        pixel[1] = color.green;
        pixel[2] = color.red;
    } else {
        SetPixelIndex(x, y, NearestPaletteIndex(color));
    }
    if (withAlpha && alpha_) {
        alpha_[static_cast<size_t>(y) * GetWidth() + static_cast<size_t>(x)] = color.reserved;
    }
}

RgbQuad* Picture::GetPalette() {
    if (!block_ || header_.colorsUsed == 0) {
        return nullptr;
    }
    return reinterpret_cast<RgbQuad*>(block_ + kBitmapInfoHeaderSize);
}

const RgbQuad* Picture::GetPalette() const {
    if (!block_ || header_.colorsUsed == 0) {
        return nullptr;
    }
    return reinterpret_cast<const RgbQuad*>(block_ + kBitmapInfoHeaderSize);
}

void Picture::SetPalette(const RgbQuad* entries, uint32_t count) {
    RgbQuad* palette = GetPalette();
    if (!palette || !entries) {
        return;
    }
    std::memcpy(palette, entries, sizeof(RgbQuad) * std::min(count, header_.colorsUsed));
    info_.nearestCacheValid = false;
}

void Picture::SetPaletteColor(uint32_t index, RgbQuad color) {
    RgbQuad* palette = GetPalette();
    if (!palette || index >= header_.colorsUsed) {
        return;
    }
    palette[index] = color;
    info_.nearestCacheValid = false;
}

RgbQuad Picture::GetPaletteColor(uint32_t index) const {
    const RgbQuad* palette = GetPalette();
    if (!palette || index >= header_.colorsUsed) {
        return {};
    }
    return palette[index];
}

uint8_t Picture::NearestPaletteIndex(RgbQuad color) {
    const RgbQuad* palette = GetPalette();
    if (!palette) {
        return 0;
    }
    const RgbQuad& cached = info_.nearestCacheColor;
    if (info_.nearestCacheValid && cached.blue == color.blue && cached.green == color.green &&
        cached.red == color.red) {
        return info_.nearestCacheIndex;
    }
    info_.nearestCacheColor = color;

    uint32_t count = header_.colorsUsed;
    if (header_.colorsImportant != 0) {
        count = std::min(header_.colorsImportant, count);
    }
    // Only a strictly closer entry wins, so of two equally near entries the lower
    // index is kept.
    int32_t best = 200000;
    uint32_t bestIndex = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const int32_t dr = palette[i].red - color.red;
        const int32_t dg = palette[i].green - color.green;
        const int32_t db = palette[i].blue - color.blue;
        const int32_t distance = dr * dr + dg * dg + db * db;
        if (distance < best) {
            best = distance;
            bestIndex = i;
            if (distance == 0) {
                break;
            }
        }
    }
    info_.nearestCacheIndex = static_cast<uint8_t>(bestIndex);
    info_.nearestCacheValid = true;
    return info_.nearestCacheIndex;
}

void Picture::MakeGreyPalette() {
    RgbQuad* palette = GetPalette();
    const uint32_t count = header_.colorsUsed;
    if (!palette || count < 2) {
        return;
    }
    const uint32_t step = 255 / (count - 1);
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t level = static_cast<uint8_t>(i * step);
        palette[i] = RgbQuad{level, level, level, 0};
    }
    info_.nearestCacheValid = false;
}

bool Picture::IsGrayScale() const {
    const RgbQuad* palette = GetPalette();
    if (!palette) {
        return false;
    }
    for (uint32_t i = 0; i < header_.colorsUsed; ++i) {
        if (palette[i].blue != i || palette[i].green != i || palette[i].red != i) {
            return false;
        }
    }
    return true;
}
