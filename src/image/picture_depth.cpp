// Depth conversion upwards: palette pictures to 4 or 8 bits by copying the indexes,
// and to 24 bits by looking every pixel's colour up in the palette.
#include <cstring>

#include "image/packed_pixels.h"
#include "image/picture.h"

namespace {

// Indexes keep their numbers on the way to 4 or 8 bits; the palette comes along.
void CopyIndexes(const Picture& source, Picture& target, uint32_t bpp) {
    const uint32_t current = source.GetBpp();
    target.SetPalette(source.GetPalette(), source.GetNumColors());
    target.SetColorsImportant(source.GetColorsImportant());
    for (uint32_t y = 0; y < source.GetHeight() && source.GetEscape() == 0; ++y) {
        const uint8_t* from = source.GetBits(y);
        uint8_t* to = target.GetBits(y);
        for (uint32_t x = 0; x < source.GetWidth(); ++x) {
            StorePackedIndex(to, x, bpp, PackedIndex(from, x, current));
        }
    }
}

// Every pixel becomes its palette colour; `paletteAlpha` (a plane of the target's, or
// null) takes the entries' alpha values. An index past a short palette reads as
// black, as GetPaletteColor gives.
void LookUpColors(const Picture& source, Picture& target, uint8_t* paletteAlpha) {
    const RgbQuad* palette = source.GetPalette();  // every picture under 24 bits has one
    const uint32_t paletteSize = source.GetNumColors();
    const uint32_t width = source.GetWidth();
    const uint32_t bpp = source.GetBpp();
    for (uint32_t y = 0; y < source.GetHeight() && source.GetEscape() == 0; ++y) {
        const uint8_t* from = source.GetBits(y);
        uint8_t* to = target.GetBits(y);
        uint8_t* alphaRow = paletteAlpha ? paletteAlpha + static_cast<size_t>(y) * width : nullptr;
        for (uint32_t x = 0; x < width; ++x) {
            const uint8_t index = PackedIndex(from, x, bpp);
            const RgbQuad color = index < paletteSize ? palette[index] : RgbQuad{};
            to[3 * x] = color.blue;
            to[3 * x + 1] = color.green;
            to[3 * x + 2] = color.red;
            if (alphaRow) {
                alphaRow[x] = color.reserved;
            }
        }
    }
}

bool PaletteHasAlpha(const Picture& picture) {
    const RgbQuad* palette = picture.GetPalette();
    for (uint32_t i = 0; i < picture.GetNumColors(); ++i) {
        if (palette[i].reserved != 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool Picture::IncreaseBpp(uint32_t bpp) {
    if (!block_) {
        return false;
    }
    const uint32_t current = GetBpp();
    if (bpp == current) {
        return true;
    }
    if (bpp < current || (bpp != 4 && bpp != 8 && bpp != 24)) {
        return false;
    }
    const uint32_t width = GetWidth();
    const uint32_t height = GetHeight();
    Picture converted(info_.type);
    converted.SetMemoryLimit(info_.memoryLimit);
    if (!converted.Create(width, height, bpp, info_.type)) {
        SetError(converted.GetErrorCode(), converted.GetLastError());
        return false;
    }
    converted.CopyInformation(*this);
    if (alpha_) {
        if (!converted.CreateAlpha()) {
            SetError(converted.GetErrorCode(), converted.GetLastError());
            return false;
        }
        std::memcpy(converted.alpha_, alpha_, static_cast<size_t>(width) * height);
    }
    if (bpp < 24) {
        CopyIndexes(*this, converted, bpp);
        TakeOver(converted);
        return true;
    }
    if (info_.transparentIndex >= 0) {
        converted.info_.transparentColor =
            GetPaletteColor(static_cast<uint32_t>(info_.transparentIndex));
    }
    // A palette that carries alpha values needs a plane to keep them. With a plane of
    // its own the picture's alpha is already in place (it was copied above); otherwise
    // the plane, if any, takes the palette entries' alpha.
    if (!alpha_ && PaletteHasAlpha(*this) && !converted.CreateAlpha()) {
        SetError(converted.GetErrorCode(), converted.GetLastError());
        return false;
    }
    LookUpColors(*this, converted, alpha_ ? nullptr : converted.alpha_);
    TakeOver(converted);
    return true;
}
