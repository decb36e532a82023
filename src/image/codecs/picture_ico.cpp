#include "image/codecs/picture_ico.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "image/codecs/picture_png.h"
#include "image/packed_pixels.h"
#include "image/stream_reader.h"

namespace {

constexpr uint16_t kIconType = 1;
constexpr uint16_t kCursorType = 2;
constexpr size_t kDirectoryEntrySize = 16;
constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
// Bitmap headers of later versions are longer; anything beyond this is not a header.
constexpr uint32_t kLongestBitmapHeader = 1024;

struct IconEntry {
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t offset = 0;
};

// The AND mask: one bit per pixel, most significant bit first, rows padded to 4
// bytes, bottom row first, as the pixel rows are stored.
struct AndMask {
    const uint8_t* bits = nullptr;
    size_t rowBytes = 0;
    size_t size = 0;  // all rows

    bool IsMasked(uint32_t x, uint32_t y) const {
        return (bits[y * rowBytes + (x >> 3)] >> (7 - (x & 7))) & 1;
    }
};

RgbQuad Inverted(RgbQuad color) {
    return RgbQuad{static_cast<uint8_t>(~color.blue), static_cast<uint8_t>(~color.green),
                   static_cast<uint8_t>(~color.red), color.reserved};
}

// An icon masked everywhere is drawn as its negative, index 0 transparent: 24-bit
// pixels and the transparent colour inverted, palette entries inverted, or for grey
// pictures the indexes.
void MakeNegative(Picture& picture) {
    const uint32_t width = picture.GetWidth();
    const uint32_t height = picture.GetHeight();
    const int bpp = picture.GetBpp();
    picture.SetTransparentIndex(0);
    if (bpp == 24) {
        const size_t payload = size_t{width} * 3;
        for (uint32_t y = 0; y < height; ++y) {
            uint8_t* row = picture.GetBits(y);
            for (size_t i = 0; i < payload; ++i) {
                row[i] = static_cast<uint8_t>(~row[i]);
            }
        }
        picture.SetTransparentColor(Inverted(picture.GetTransparentColor()));
    } else if (!picture.IsGrayScale()) {
        RgbQuad* palette = picture.GetPalette();
        for (uint32_t i = 0; i < picture.GetNumColors(); ++i) {
            palette[i] = Inverted(palette[i]);
        }
        picture.SetPalette(palette, picture.GetNumColors());  // drops the nearest-colour cache
    } else {
        const size_t payload = (size_t{width} * bpp + 7) / 8;
        for (uint32_t y = 0; y < height; ++y) {
            uint8_t* row = picture.GetBits(y);
            for (size_t i = 0; i < payload; ++i) {
                row[i] = static_cast<uint8_t>(~row[i]);
            }
        }
    }
}

// A 24-bit icon whose masked pixels all share one colour that no visible pixel has:
// that colour becomes the transparent colour and the alpha plane goes.
void MakeOneMaskedColourTransparent(Picture& picture, const AndMask& mask) {
    const uint32_t width = picture.GetWidth();
    const uint32_t height = picture.GetHeight();
    bool haveColor = false;
    uint8_t color[3] = {};
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* row = picture.GetBits(y);
        for (uint32_t x = 0; x < width; ++x) {
            if (!mask.IsMasked(x, y)) {
                continue;
            }
            const uint8_t* pixel = row + size_t{x} * 3;
            if (!haveColor) {
                std::memcpy(color, pixel, 3);
                haveColor = true;
            } else if (std::memcmp(color, pixel, 3) != 0) {
                return;
            }
        }
    }
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* row = picture.GetBits(y);
        for (uint32_t x = 0; x < width; ++x) {
            if (!mask.IsMasked(x, y) && std::memcmp(color, row + size_t{x} * 3, 3) == 0) {
                return;
            }
        }
    }
    picture.SetTransparentIndex(0);
    picture.SetTransparentColor(RgbQuad{color[0], color[1], color[2], 0});
    picture.DeleteAlpha();
}

// A palette icon: the one index all masked pixels share (when no visible pixel uses
// it) becomes transparent; then the highest index no pixel uses takes over every
// masked pixel, so no visible pixel can share the transparent index. Either way the
// alpha plane goes.
void MakeMaskedIndexTransparent(Picture& picture, const AndMask& mask) {
    const uint32_t width = picture.GetWidth();
    const uint32_t height = picture.GetHeight();
    const int bpp = picture.GetBpp();
    bool usedVisible[256] = {};
    bool usedMasked[256] = {};
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* row = picture.GetBits(y);
        for (uint32_t x = 0; x < width; ++x) {
            const uint8_t index = PackedIndex(row, x, bpp);
            (mask.IsMasked(x, y) ? usedMasked : usedVisible)[index] = true;
        }
    }
    const uint32_t colors = picture.GetNumColors();
    int maskedIndexCount = 0;
    int maskedIndex = -1;
    for (uint32_t i = 0; i < colors; ++i) {
        if (usedMasked[i]) {
            ++maskedIndexCount;
            maskedIndex = static_cast<int>(i);
        }
    }
    if (maskedIndexCount == 1 && !usedVisible[maskedIndex]) {
        picture.SetTransparentIndex(maskedIndex);
        picture.SetTransparentColor(picture.GetPaletteColor(static_cast<uint32_t>(maskedIndex)));
        picture.DeleteAlpha();
    }
    for (int i = static_cast<int>(colors) - 1; i >= 0; --i) {
        if (usedMasked[i] || usedVisible[i]) {
            continue;
        }
        const uint8_t index = static_cast<uint8_t>(i);
        for (uint32_t y = 0; y < height; ++y) {
            uint8_t* row = picture.GetBits(y);
            for (uint32_t x = 0; x < width; ++x) {
                if (mask.IsMasked(x, y)) {
                    StorePackedIndex(row, x, bpp, index);
                }
            }
        }
        picture.SetTransparentIndex(i);
        picture.SetTransparentColor(picture.GetPaletteColor(index));
        picture.DeleteAlpha();
        break;
    }
}

// Applies the AND mask: the negative when every byte of it is 0xFF; otherwise masked
// pixels get alpha 0, and unless the icon brought an alpha channel of its own (finer
// than any single transparent colour), a transparent colour or index replaces the
// plane where one can stand for every masked pixel.
void ApplyMask(Picture& picture, const AndMask& mask, bool alphaFromFile) {
    const uint32_t width = picture.GetWidth();
    const uint32_t height = picture.GetHeight();

    // The negative takes a mask set to the last bit, row padding included: an icon
    // whose pixels are all masked but whose padding is clear is meant transparent.
    if (std::all_of(mask.bits, mask.bits + mask.size, [](uint8_t b) { return b == 0xFF; })) {
        MakeNegative(picture);
        return;
    }
    bool anyMasked = false;
    for (uint32_t y = 0; y < height && !anyMasked; ++y) {
        for (uint32_t x = 0; x < width && !anyMasked; ++x) {
            anyMasked = mask.IsMasked(x, y);
        }
    }
    if (!anyMasked) {
        return;
    }

    if (!picture.CreateAlpha()) {
        return;
    }
    uint8_t* alpha = picture.GetAlphaPlane();
    for (uint32_t y = 0; y < height; ++y) {
        uint8_t* alphaRow = alpha + size_t{y} * width;
        for (uint32_t x = 0; x < width; ++x) {
            if (mask.IsMasked(x, y)) {
                alphaRow[x] = 0;
            }
        }
    }
    if (alphaFromFile) {
        return;
    }
    if (picture.GetBpp() == 24) {
        MakeOneMaskedColourTransparent(picture, mask);
    } else {
        MakeMaskedIndexTransparent(picture, mask);
    }
}

bool ReadPixels32(Picture& picture, StreamReader& reader, bool& alphaFromFile) {
    if (!picture.CreateAlpha()) {
        picture.SetError(PictureError::kOutOfMemory);
        return false;
    }
    const uint32_t width = picture.GetWidth();
    const uint32_t height = picture.GetHeight();
    std::vector<uint8_t> source(size_t{width} * 4);
    uint8_t* alpha = picture.GetAlphaPlane();
    bool anyAlpha = false;
    for (uint32_t y = 0; y < height; ++y) {
        if (!reader.ReadBytes(source.data(), source.size())) {
            picture.SetError(PictureError::kIcoCorrupted);
            return false;
        }
        uint8_t* row = picture.GetBits(y);
        uint8_t* alphaRow = alpha + size_t{y} * width;
        const uint8_t* in = source.data();
        for (uint32_t x = 0; x < width; ++x, in += 4, row += 3) {
            row[0] = in[0];
            row[1] = in[1];
            row[2] = in[2];
            alphaRow[x] = in[3];
            anyAlpha |= in[3] != 0;
        }
    }
    if (!anyAlpha) {
        std::memset(alpha, 0xFF, size_t{width} * height);
    }
    alphaFromFile = anyAlpha;
    return true;
}

// The entry's bitmap header, and the size the picture gets: the directory's size
// bytes are only a summary (and 0 stands for 256); where they disagree with a usable
// header, the header describes the rows that follow. False for a header that cannot
// be read or used.
bool ReadEntryHeader(StreamReader& reader, const IconEntry& entry, uint32_t& width,
                     uint32_t& height, uint16_t& bitCount, uint32_t& colorsInFile) {
    uint8_t header[kBitmapInfoHeaderSize];
    if (!reader.ReadBytes(header, sizeof header)) {
        return false;
    }
    const uint32_t headerSize = LoadU32LE(header);
    const int32_t headerWidth = LoadI32LE(header + 4);
    const int32_t headerHeight = LoadI32LE(header + 8);  // pixel rows and mask rows
    bitCount = LoadU16LE(header + 14);
    colorsInFile = LoadU32LE(header + 32);
    if (headerSize < kBitmapInfoHeaderSize || headerSize > kLongestBitmapHeader ||
        (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32) ||
        !reader.Skip(headerSize - kBitmapInfoHeaderSize)) {
        return false;
    }
    width = entry.width;
    height = entry.height;
    if (headerWidth > 0 && headerHeight >= 2 &&
        (static_cast<uint32_t>(headerWidth) != width ||
         static_cast<uint32_t>(headerHeight) / 2 != height)) {
        width = static_cast<uint32_t>(headerWidth);
        height = static_cast<uint32_t>(headerHeight) / 2;
    }
    return true;
}

// The palette: the stated count, or the picture's own when the header says 0; entries
// past the picture's palette are skipped, entries the file lacks stay black.
bool ReadEntryPalette(StreamReader& reader, Picture& picture, uint32_t colorsInFile) {
    const uint32_t ownColors = picture.GetNumColors();
    const uint64_t stated = colorsInFile ? colorsInFile : ownColors;
    const uint32_t kept = static_cast<uint32_t>(std::min<uint64_t>(stated, ownColors));
    if (kept > 0) {
        RgbQuad palette[256];
        if (!reader.ReadBytes(palette, size_t{kept} * sizeof(RgbQuad))) {
            return false;
        }
        for (uint32_t i = 0; i < kept; ++i) {
            palette[i].reserved = 0;
        }
        picture.SetPalette(palette, kept);
    }
    return stated <= kept || reader.Skip(static_cast<int64_t>((stated - kept) * sizeof(RgbQuad)));
}

bool DecodeBitmapEntry(Picture& picture, StreamReader& reader, const IconEntry& entry) {
    uint32_t width = 0;
    uint32_t height = 0;
    uint16_t bitCount = 0;
    uint32_t colorsInFile = 0;
    if (!ReadEntryHeader(reader, entry, width, height, bitCount, colorsInFile)) {
        picture.SetError(PictureError::kIcoCorrupted);
        return false;
    }
    // The AND mask is read whole after the pixels; a mask that hides pixels gives the
    // picture an alpha plane.
    DecodeCost cost;
    cost.width = width;
    cost.height = height;
    cost.bpp = bitCount;
    cost.alpha = true;
    cost.workingBytes = SaturatingProduct(DibRowBytes(width, 1), height);
    if (!picture.AdmitDecode(cost) ||
        picture.Create(width, height, bitCount, kFormatIco) == nullptr) {
        return false;
    }
    if (!ReadEntryPalette(reader, picture, colorsInFile)) {
        picture.SetError(PictureError::kIcoCorrupted);
        return false;
    }
    bool alphaFromFile = false;
    if (bitCount == 32) {
        if (!ReadPixels32(picture, reader, alphaFromFile)) {
            return false;
        }
    } else if (!reader.ReadBytes(picture.GetBits(0),
                                 uint64_t{picture.GetEffectiveWidth()} * height)) {
        picture.SetError(PictureError::kIcoCorrupted);
        return false;
    }
    // The AND mask: one bit per pixel, rows padded to 4 bytes, bottom row first. A
    // file that ends before it still gives the picture.
    const size_t maskRowBytes = static_cast<size_t>(DibRowBytes(width, 1));
    std::vector<uint8_t> mask(maskRowBytes * height);
    if (reader.ReadBytes(mask.data(), mask.size())) {
        ApplyMask(picture, AndMask{mask.data(), maskRowBytes, mask.size()}, alphaFromFile);
    }
    return true;
}

bool DecodePngEntry(Picture& picture, ImageStream* file) {
    PicturePNG png;
    png.CopyInformation(picture);
    png.SetType(kFormatPng);
    png.ClearLastError();  // what it says is its own
    if (!png.Decode(file) || !png.IsValid()) {
        // An icon whose picture cannot be decoded is a failure, not an empty success.
        if (png.GetErrorCode() != PictureError::kNone) {
            picture.SetError(png.GetErrorCode(), png.GetLastError());
        } else {
            picture.SetError(PictureError::kIcoCorrupted);
        }
        return false;
    }
    picture.TakeOver(png);
    picture.SetType(kFormatIco);
    return true;
}

}  // namespace

// Decodes the entry at the frame number. An entry is read as PNG when its data starts
// with the PNG signature (whatever its size bytes say), else as a bitmap with an AND
// mask; a 256-pixel bitmap entry thus loads too.
bool PictureICO::Decode(ImageStream* file) {
    if (file == nullptr) {
        return false;
    }
    StreamReader reader(*file);
    const int64_t start = reader.Position();

    // Directory: reserved (0), type (1 icon, 2 cursor), entry count, then the entries.
    uint8_t header[6];
    if (!reader.ReadBytes(header, sizeof header)) {
        return false;
    }
    const uint16_t type = LoadU16LE(header + 2);
    const uint16_t count = LoadU16LE(header + 4);
    if (LoadU16LE(header) != 0 || (type != kIconType && type != kCursorType) || count == 0) {
        return false;
    }
    std::vector<uint8_t> directory(size_t{count} * kDirectoryEntrySize);
    if (!reader.ReadBytes(directory.data(), directory.size())) {
        return false;
    }
    SetFormatRecognition(FormatRecognition::kWeak);
    SetFrameCount(count);

    const int32_t frame = GetFrameNumber();
    if (frame < 0 || frame >= count) {
        SetError(PictureError::kIcoFrameOutOfRange);
        return false;
    }
    const uint8_t* bytes = directory.data() + size_t(frame) * kDirectoryEntrySize;
    // A width or height byte of 0 stands for 256 pixels.
    IconEntry entry;
    entry.width = bytes[0] ? bytes[0] : 256;
    entry.height = bytes[1] ? bytes[1] : 256;
    entry.offset = LoadU32LE(bytes + 12);

    const int64_t entryStart = start + int64_t{entry.offset};
    uint8_t signature[sizeof kPngSignature];
    if (!reader.SeekTo(entryStart) || !reader.ReadBytes(signature, sizeof signature)) {
        SetError(PictureError::kIcoCorrupted);
        return false;
    }
    const bool holdsPng = std::memcmp(signature, kPngSignature, sizeof signature) == 0;
    if (!reader.SeekTo(entryStart)) {
        SetError(PictureError::kIcoCorrupted);
        return false;
    }
    const bool decoded =
        holdsPng ? DecodePngEntry(*this, file) : DecodeBitmapEntry(*this, reader, entry);
    SetFrameCount(count);
    SetFrameNumber(frame);
    return decoded;
}
