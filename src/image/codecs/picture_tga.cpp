#include "image/codecs/picture_tga.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "image/buffered_stream_bytes.h"
#include "image/byte_order.h"
#include "image/stream_reader.h"

namespace {

constexpr uint32_t kHeaderSize = 18;
constexpr uint8_t kDescriptorMirrored = 0x10;  // rows run right to left
constexpr uint8_t kDescriptorTopFirst = 0x20;  // the first row in the file is the top row

struct TgaHeader {
    uint8_t idLength = 0;
    uint8_t colorMapType = 0;
    uint8_t imageType = 0;
    uint16_t colorMapFirst = 0;
    uint16_t colorMapLength = 0;
    uint8_t colorMapEntryBits = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    uint8_t pixelDepth = 0;
    uint8_t descriptor = 0;
};

bool IsRunLength(uint8_t imageType) {
    return imageType >= 9;
}
bool IsGrey(uint8_t imageType) {
    return imageType == 3 || imageType == 11;
}
bool HasColorMap(const TgaHeader& h) {
    return h.colorMapType == 1 && h.colorMapLength > 0;
}
// Grey pictures of 16 bits a pixel: a grey level, then an alpha value.
bool IsGreyWithAlpha(const TgaHeader& h) {
    return IsGrey(h.imageType) && h.pixelDepth == 16;
}

// A 15/16-bit pixel: five bits each of red, green and blue, the top bit ignored.
inline void Store555(uint16_t p, uint8_t* out) {
    out[0] = static_cast<uint8_t>((p & 0x1F) * 8);
    out[1] = static_cast<uint8_t>((p >> 2) & 0xF8);
    out[2] = static_cast<uint8_t>((p >> 7) & 0xF8);
}

// Turns one row of file pixels into a stored row (and its alpha bytes).
void ConvertRow(const uint8_t* in, uint32_t width, const TgaHeader& h, uint8_t* out,
                uint8_t* alpha) {
    if (IsGreyWithAlpha(h)) {
        for (uint32_t x = 0; x < width; ++x, in += 2) {
            out[x] = in[0];
            alpha[x] = in[1];
        }
        return;
    }
    switch (h.pixelDepth) {
        case 8:
            std::memcpy(out, in, width);
            break;
        case 15:
        case 16:
            for (uint32_t x = 0; x < width; ++x, in += 2, out += 3) {
                Store555(LoadU16LE(in), out);
            }
            break;
        case 24:
            std::memcpy(out, in, static_cast<size_t>(width) * 3);
            break;
        case 32:
            for (uint32_t x = 0; x < width; ++x, in += 4, out += 3) {
                out[0] = in[0];
                out[1] = in[1];
                out[2] = in[2];
                alpha[x] = in[3];
            }
            break;
    }
}

// Run-length packets: a header byte whose high bit says "repeat the next pixel" or
// "copy the next pixels", count + 1 of them. A packet may run on into the next row,
// so its state outlives one call.
class RunLengthRows {
  public:
    RunLengthRows(StreamReader& reader, uint32_t pixelBytes)
        : bytes_(reader), pixelBytes_(pixelBytes) {}

    // Fills one row of `width` file pixels; false when the data ends first.
    bool FillRow(uint8_t* row, uint32_t width) {
        uint32_t filled = 0;
        while (filled < width) {
            if (left_ == 0) {
                uint8_t packet;
                if (!bytes_.Next(packet)) {
                    return false;
                }
                left_ = (packet & 0x7Fu) + 1;
                repeat_ = (packet & 0x80) != 0;
                if (repeat_ && !bytes_.Take(pixel_, pixelBytes_)) {
                    return false;
                }
            }
            const uint32_t n = std::min(left_, width - filled);
            uint8_t* out = row + static_cast<size_t>(filled) * pixelBytes_;
            if (repeat_) {
                for (uint32_t i = 0; i < n; ++i, out += pixelBytes_) {
                    std::memcpy(out, pixel_, pixelBytes_);
                }
            } else if (!bytes_.Take(out, static_cast<size_t>(n) * pixelBytes_)) {
                return false;
            }
            filled += n;
            left_ -= n;
        }
        return true;
    }

  private:
    BufferedStreamBytes bytes_;
    uint32_t pixelBytes_;
    uint32_t left_ = 0;  // pixels still owed by the current packet
    bool repeat_ = false;
    uint8_t pixel_[4] = {};
};

// Reads the colour map into the palette. Entries are stored at their index (the map
// may start past index 0); for pictures without a palette the map is passed over.
bool ReadColorMap(StreamReader& reader, const TgaHeader& h, Picture& picture) {
    const uint32_t entryBytes = (h.colorMapEntryBits + 7u) / 8;
    uint8_t raw[256 * 4];
    if (!reader.ReadBytes(raw, static_cast<size_t>(h.colorMapLength) * entryBytes)) {
        return false;
    }
    const uint32_t paletteSize = picture.GetNumColors();
    if (paletteSize == 0) {
        return true;
    }
    RgbQuad palette[256] = {};
    std::memcpy(palette, picture.GetPalette(), paletteSize * sizeof(RgbQuad));
    for (uint32_t i = 0; i < h.colorMapLength; ++i) {
        const uint32_t index = h.colorMapFirst + i;
        if (index >= paletteSize) {
            break;
        }
        const uint8_t* e = raw + i * entryBytes;
        if (entryBytes == 1) {
            palette[index] = RgbQuad{e[0], e[0], e[0], 0};  // a grey level
        } else if (entryBytes == 2) {
            uint8_t bgr[3];
            Store555(LoadU16LE(e), bgr);
            palette[index] = RgbQuad{bgr[0], bgr[1], bgr[2], 0};
        } else {
            palette[index] = RgbQuad{e[0], e[1], e[2], 0};
        }
    }
    picture.SetPalette(palette, paletteSize);
    return true;
}

// Step 1: the 18-byte header. Returns the refusal, or kNone for a header this
// decoder reads.
PictureError ReadHeader(StreamReader& reader, TgaHeader& h) {
    uint8_t raw[kHeaderSize];
    if (!reader.ReadBytes(raw, sizeof raw)) {
        return PictureError::kNotTga;
    }
    h.idLength = raw[0];
    h.colorMapType = raw[1];
    h.imageType = raw[2];
    h.colorMapFirst = LoadU16LE(raw + 3);
    h.colorMapLength = LoadU16LE(raw + 5);
    h.colorMapEntryBits = raw[7];
    h.width = LoadU16LE(raw + 12);
    h.height = LoadU16LE(raw + 14);
    h.pixelDepth = raw[16];
    h.descriptor = raw[17];

    switch (h.imageType) {
        case 1:
        case 2:
        case 3:
        case 9:
        case 10:
        case 11:
            break;
        default:
            return PictureError::kTgaImageType;
    }
    const uint32_t depth = h.pixelDepth;
    const bool depthKnown = depth == 8 || depth == 15 || depth == 16 || depth == 24 || depth == 32;
    // A colour map is read only when the header says one is there; its entries must
    // have a size we know how to read.
    const bool colorMapKnown = !HasColorMap(h) || h.colorMapEntryBits == 8 ||
                               h.colorMapEntryBits == 15 || h.colorMapEntryBits == 16 ||
                               h.colorMapEntryBits == 24 || h.colorMapEntryBits == 32;
    if (h.width == 0 || h.height == 0 || !depthKnown || h.colorMapLength > 256 || !colorMapKnown) {
        return PictureError::kTgaBadHeader;
    }
    return PictureError::kNone;
}

// Step 3: the rows, uncompressed or in run-length packets, each stored where the
// descriptor's row order puts it. Returns the failure, or kNone.
PictureError ReadRows(StreamReader& reader, const TgaHeader& h, Picture& picture) {
    const uint32_t width = h.width;
    const uint32_t height = h.height;
    const uint32_t depth = h.pixelDepth;
    const uint32_t pixelBytes = (depth + 7) / 8;
    const bool topFirst = (h.descriptor & kDescriptorTopFirst) != 0;
    // 8 and 24 bits are stored as they come; other depths go through a row buffer.
    const bool direct = depth == 8 || depth == 24;
    std::unique_ptr<uint8_t[]> fileRow(new (std::nothrow) uint8_t[static_cast<size_t>(width) * 4]);
    if (!fileRow) {
        return PictureError::kOutOfMemory;
    }
    std::unique_ptr<RunLengthRows> packets;
    if (IsRunLength(h.imageType)) {
        packets.reset(new (std::nothrow) RunLengthRows(reader, pixelBytes));
        if (!packets) {
            return PictureError::kOutOfMemory;
        }
    }

    uint8_t* alphaPlane = picture.GetAlphaPlane();
    for (uint32_t i = 0; i < height; ++i) {
        if (picture.GetEscape() != 0) {
            return PictureError::kCancelled;
        }
        const uint32_t stored = topFirst ? height - 1 - i : i;
        uint8_t* out = picture.GetBits(stored);
        uint8_t* in = direct ? out : fileRow.get();
        const bool ok = packets ? packets->FillRow(in, width)
                                : reader.ReadBytes(in, static_cast<size_t>(width) * pixelBytes);
        if (!ok) {
            return PictureError::kTgaCorrupted;
        }
        if (!direct) {
            uint8_t* alpha =
                alphaPlane ? alphaPlane + static_cast<size_t>(stored) * width : nullptr;
            ConvertRow(in, width, h, out, alpha);
        }
    }
    return PictureError::kNone;
}

}  // namespace

bool PictureTGA::Decode(ImageStream* file) {
    if (file == nullptr) {
        SetError(PictureError::kNullFile);
        return false;
    }
    StreamReader reader(*file);
    TgaHeader h;
    if (const PictureError refusal = ReadHeader(reader, h); refusal != PictureError::kNone) {
        SetError(refusal);
        return false;
    }
    SetFormatRecognition(FormatRecognition::kWeak);  // TGA has no signature
    if (!reader.Skip(h.idLength)) {
        SetError(PictureError::kTgaCorrupted);
        return false;
    }
    const uint32_t bpp = IsGreyWithAlpha(h) ? 8 : h.pixelDepth;
    DecodeCost cost;
    cost.width = h.width;
    cost.height = h.height;
    cost.bpp = bpp;
    cost.alpha = h.pixelDepth == 32 || IsGreyWithAlpha(h);
    cost.grey = IsGrey(h.imageType) && bpp == 8;
    // Past the memory limit the decoder says what it always said, that its Create
    // failed; a stop keeps "Cancelled".
    if (!AdmitDecode(cost)) {
        if (GetErrorCode() == PictureError::kMemoryLimit) {
            SetError(PictureError::kTgaCreateFailed);
        }
        return false;
    }
    if (Create(h.width, h.height, bpp, kFormatTga) == nullptr) {
        SetError(PictureError::kTgaCreateFailed);
        return false;
    }
    if ((h.pixelDepth == 32 || IsGreyWithAlpha(h)) && !CreateAlpha()) {
        Destroy();
        SetError(PictureError::kTgaCreateFailed);
        return false;
    }
    // Step 2: the palette, from the colour map or the grey ramp.
    if (HasColorMap(h) && !ReadColorMap(reader, h, *this)) {
        Destroy();
        SetError(PictureError::kTgaCorrupted);
        return false;
    }
    if (IsGrey(h.imageType) && GetNumColors() > 0) {
        MakeGreyPalette();
    }
    if (const PictureError failure = ReadRows(reader, h, *this); failure != PictureError::kNone) {
        Destroy();
        SetError(failure);
        return false;
    }
    if (h.descriptor & kDescriptorMirrored) {
        Mirror();
    }
    return true;
}
