#include "image/codecs/picture_bmp.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>

#include "image/buffered_stream_bytes.h"
#include "image/byte_order.h"
#include "image/codecs/two_bit_pixels.h"
#include "image/stream_reader.h"

namespace {

constexpr uint16_t kBmpSignature = 0x4D42;  // "BM"
constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12;  // OS/2 1.x: 16-bit width and height
constexpr uint32_t kOs2HeaderSize = 64;   // OS/2 2.x

constexpr uint32_t kCompressionNone = 0;
constexpr uint32_t kCompressionRle8 = 1;
constexpr uint32_t kCompressionRle4 = 2;
constexpr uint32_t kCompressionBitFields = 3;
constexpr uint32_t kCompressionAlphaBitFields = 6;  // red, green, blue and alpha masks
// Headers of this size and longer hold an alpha mask after the three colour masks.
constexpr uint32_t kFirstHeaderWithAlphaMask = 56;

// Everything the header tells about the pixel data, widened to the 40-byte form.
struct BmpLayout {
    FormatRecognition recognition = FormatRecognition::kNone;
    int64_t start = 0;         // stream position of the file's first byte
    uint32_t pixelOffset = 0;  // from the start; 0: the pixels follow the palette
    BitmapInfoHeader header;
    uint32_t headerSize = 0;
    uint64_t headerBytesLeft = 0;  // header bytes still to skip after the masks
    bool coreHeader = false;
    bool topDown = false;
    uint32_t height = 0;     // absolute row count
    uint32_t masks[4] = {};  // red, green, blue, alpha (0: none) for 16 and 32 bits
};

// A working buffer of count bytes, held to the picture's memory limit.
std::unique_ptr<uint8_t[]> AllocateBytes(uint64_t count, const Picture& picture) {
    if (count == 0 || count > picture.GetMemoryLimit()) {
        return nullptr;
    }
    return std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[count]);
}

// Where one channel of a bit-field pixel lies: its mask, and how far to move the
// masked bits right (left for a negative shift) so that the mask's top bit lands on
// bit 7. Masks wider than 8 bits lose their low bits; narrower ones leave zeros below
// (no bit replication), so 5-5-5 and 5-6-5 give their levels times 8 or 4 and masks
// on whole bytes give those bytes.
struct ChannelField {
    uint32_t mask = 0;
    int right = 0;  // one of the two shifts is 0
    int left = 0;

    explicit ChannelField(uint32_t m) : mask(m) {
        const int shift = m == 0 ? 0 : 24 - std::countl_zero(m);
        right = shift > 0 ? shift : 0;
        left = shift < 0 ? -shift : 0;
    }
    uint8_t From(uint32_t pixel) const {
        return static_cast<uint8_t>(((pixel & mask) >> right) << left);
    }
    // The byte of a 32-bit pixel the mask covers exactly, or -1.
    int WholeByte() const {
        for (int k = 0; k < 4; ++k) {
            if (mask == 0xFFu << (8 * k)) {
                return k;
            }
        }
        return -1;
    }
};

// An alpha field scaled to the whole range, so that its largest value is 255 (fully
// opaque) however few bits it has; an 8-bit field keeps its bytes.
struct AlphaField {
    uint32_t mask = 0;
    int low = 0;  // the mask's lowest bit
    uint32_t largest = 0;

    explicit AlphaField(uint32_t m)
        : mask(m), low(m == 0 ? 0 : std::countr_zero(m)), largest(m == 0 ? 0 : m >> low) {}
    uint8_t From(uint32_t pixel) const {
        if (largest == 0) {
            return 0;
        }
        return static_cast<uint8_t>(uint64_t{(pixel & mask) >> low} * 255 / largest);
    }
};

// Bytes of bit-field masks after the first 40 bytes of the header: red, green and
// blue, and alpha where the header has room for it or the compression asks for it.
uint32_t MaskBytes(uint32_t headerSize, uint32_t compression) {
    if (compression == kCompressionAlphaBitFields ||
        (compression == kCompressionBitFields && headerSize >= kFirstHeaderWithAlphaMask)) {
        return 16;
    }
    return compression == kCompressionBitFields ? 12 : 0;
}

bool IsLaterWindowsHeader(uint32_t headerSize) {
    return headerSize == 52 || headerSize == 56 || headerSize == 108 || headerSize == 124;
}

// Reads the bitmap header in whichever of its sizes the file uses and brings it to
// the 40-byte form. False when the header cannot be read or is refused.
bool ReadBitmapHeader(StreamReader& reader, BmpLayout& layout) {
    uint8_t raw[40] = {};
    if (!reader.ReadBytes(raw, 4)) {
        return false;
    }
    layout.headerSize = LoadU32LE(raw);
    BitmapInfoHeader& h = layout.header;
    if (layout.headerSize == kCoreHeaderSize) {
        if (!reader.ReadBytes(raw + 4, 8)) {
            return false;
        }
        layout.coreHeader = true;
        h.width = LoadU16LE(raw + 4);
        h.height = LoadU16LE(raw + 6);
        h.planes = LoadU16LE(raw + 8);
        h.bitCount = LoadU16LE(raw + 10);
    } else if (layout.headerSize >= kBitmapInfoHeaderSize) {
        if (!reader.ReadBytes(raw + 4, 36)) {
            return false;
        }
        h.width = LoadI32LE(raw + 4);
        h.height = LoadI32LE(raw + 8);
        h.planes = LoadU16LE(raw + 12);
        h.bitCount = LoadU16LE(raw + 14);
        h.compression = LoadU32LE(raw + 16);
        h.sizeImage = LoadU32LE(raw + 20);
        h.xPelsPerMeter = LoadI32LE(raw + 24);
        h.yPelsPerMeter = LoadI32LE(raw + 28);
        h.colorsUsed = LoadU32LE(raw + 32);
        h.colorsImportant = LoadU32LE(raw + 36);
    } else {
        return false;
    }
    h.size = kBitmapInfoHeaderSize;

    if (h.width <= 0 || h.height == 0 || h.height == INT32_MIN) {
        return false;
    }
    switch (h.bitCount) {
        case 1:
        case 2:
        case 4:
        case 8:
        case 16:
        case 24:
        case 32:
            break;
        default:
            return false;
    }
    layout.topDown = h.height < 0;
    layout.height =
        static_cast<uint32_t>(layout.topDown ? -static_cast<int64_t>(h.height) : h.height);
    const uint64_t computedSize =
        DibRowBytes(static_cast<uint64_t>(h.width), h.bitCount) * layout.height;

    if (layout.headerSize == kOs2HeaderSize) {
        layout.headerBytesLeft = kOs2HeaderSize - kBitmapInfoHeaderSize;
    } else if (layout.headerSize > kBitmapInfoHeaderSize) {
        // The later Windows headers (52, 56, 108 and 124 bytes) only add masks and
        // colour-space data after the first 40 bytes, so they are read like it, with
        // their palettes and a zero image size (ImageMagick's default BMP is one).
        // Any other size is taken only when it describes plain, complete pixel data.
        if (!IsLaterWindowsHeader(layout.headerSize) &&
            (h.sizeImage < computedSize || h.planes != 1 || h.colorsUsed != 0)) {
            return false;
        }
        layout.headerBytesLeft = layout.headerSize - kBitmapInfoHeaderSize;
        // The later headers hold the bit-field masks right after the first 40 bytes,
        // where they would follow a 40-byte header, so the masks are read from there.
        const uint64_t maskBytes = MaskBytes(layout.headerSize, h.compression);
        layout.headerBytesLeft =
            layout.headerBytesLeft > maskBytes ? layout.headerBytesLeft - maskBytes : 0;
    }
    if (h.sizeImage == 0) {
        h.sizeImage = static_cast<uint32_t>(computedSize);
    }
    if (h.colorsUsed == 0 && h.bitCount <= 8) {
        h.colorsUsed = 1u << h.bitCount;
    }
    return true;
}

// Reads the stored rows of an uncompressed picture straight into the pixel memory.
// A file that ends early leaves the missing rows black.
void ReadStoredRows(StreamReader& reader, Picture& picture, uint32_t height, bool& cancelled) {
    const uint32_t rowBytes = picture.GetEffectiveWidth();
    uint32_t row = 0;
    for (; row < height; ++row) {
        if (picture.GetEscape() != 0) {
            cancelled = true;
            return;
        }
        // Rows a short file does not reach stay black: Create hands out cleared
        // memory, so a tiny file claiming a huge picture costs no writes here.
        if (!reader.ReadBytes(picture.GetBits(row), rowBytes)) {
            break;
        }
    }
}

// Decodes run-length data (8 or 4 bits per pixel) into cleared pixel memory.
// Pixels that a run or delta puts beyond the right edge are dropped, rows beyond the
// top end the picture, and a file that ends early leaves the rest black.
void DecodeRunLength(StreamReader& reader, Picture& picture, bool fourBit, bool& cancelled) {
    const uint64_t width = picture.GetWidth();
    const uint32_t height = picture.GetHeight();

    BufferedStreamBytes bytes(reader);
    uint8_t absolute[256];
    uint64_t x = 0;
    uint64_t y = 0;
    uint8_t* row = picture.GetBits(0);

    auto put = [&](uint64_t px, uint8_t value) {
        if (px >= width) {
            return;
        }
        if (!fourBit) {
            row[px] = value;
        } else if ((px & 1) == 0) {
            row[px / 2] = static_cast<uint8_t>((row[px / 2] & 0x0F) | (value << 4));
        } else {
            row[px / 2] = static_cast<uint8_t>((row[px / 2] & 0xF0) | (value & 0x0F));
        }
    };
    auto moveToRow = [&](uint64_t newRow) {
        y = newRow;
        if (y < height) {
            row = picture.GetBits(static_cast<uint32_t>(y));
        }
    };

    while (y < height) {
        uint8_t count;
        uint8_t value;
        if (!bytes.Next(count) || !bytes.Next(value)) {
            return;
        }
        if (count > 0) {
            // Encoded run: one index repeated, or two alternating nibbles.
            if (!fourBit) {
                const uint64_t end = std::min<uint64_t>(x + count, width);
                if (x < end) {
                    std::memset(row + x, value, static_cast<size_t>(end - x));
                }
            } else {
                const uint8_t high = value >> 4;
                const uint8_t low = value & 0x0F;
                for (uint32_t i = 0; i < count; ++i) {
                    put(x + i, (i & 1) ? low : high);
                }
            }
            x += count;
            continue;
        }
        switch (value) {
            case 0:  // end of line
                x = 0;
                moveToRow(y + 1);
                if (picture.GetEscape() != 0) {
                    cancelled = true;
                    return;
                }
                break;
            case 1:  // end of bitmap
                return;
            case 2: {  // delta: move right and up
                uint8_t dx;
                uint8_t dy;
                if (!bytes.Next(dx) || !bytes.Next(dy)) {
                    return;
                }
                x += dx;
                if (dy > 0) {
                    moveToRow(y + dy);
                }
                break;
            }
            default: {  // absolute run of `value` pixels, padded to 16 bits
                const uint32_t dataBytes = fourBit ? (value + 1u) / 2 : value;
                const uint32_t padded = (dataBytes + 1u) & ~1u;
                if (!bytes.Take(absolute, padded)) {
                    return;
                }
                if (!fourBit) {
                    const uint64_t end = std::min<uint64_t>(x + value, width);
                    if (x < end) {
                        std::memcpy(row + x, absolute, static_cast<size_t>(end - x));
                    }
                } else {
                    for (uint32_t i = 0; i < value; ++i) {
                        const uint8_t b = absolute[i / 2];
                        put(x + i, (i & 1) ? (b & 0x0F) : (b >> 4));
                    }
                }
                x += value;
                break;
            }
        }
    }
}

// Rows of two-bit pixels, widened to the picture's four bits. A file that ends early
// leaves the missing rows black.
void ReadTwoBitRows(StreamReader& reader, Picture& picture, bool& cancelled, bool& outOfMemory) {
    const uint32_t width = picture.GetWidth();
    const uint64_t sourceRowBytes = DibRowBytes(width, 2);
    std::unique_ptr<uint8_t[]> source = AllocateBytes(sourceRowBytes, picture);
    if (!source) {
        outOfMemory = true;
        return;
    }
    for (uint32_t row = 0; row < picture.GetHeight(); ++row) {
        if (picture.GetEscape() != 0) {
            cancelled = true;
            return;
        }
        if (!reader.ReadBytes(source.get(), static_cast<size_t>(sourceRowBytes))) {
            break;
        }
        WidenTwoBitRow(source.get(), picture.GetBits(row), width);
    }
}

struct BitFields {
    ChannelField red;
    ChannelField green;
    ChannelField blue;
    AlphaField alpha;
};

// One row of 2- or 4-byte pixels through their fields; alpha (when not null) gets the
// alpha field, and anyAlpha learns whether some alpha value was not 0.
template <int PixelBytes>
void ConvertFieldRow(const uint8_t* in, uint32_t width, const BitFields& fields, uint8_t* out,
                     uint8_t* alpha, bool& anyAlpha) {
    // Copies the compiler can keep in registers: the byte stores below could alias
    // the fields otherwise, which would be reloaded for every pixel.
    const ChannelField red = fields.red;
    const ChannelField green = fields.green;
    const ChannelField blue = fields.blue;
    for (uint32_t x = 0; x < width; ++x, in += PixelBytes, out += 3) {
        const uint32_t pixel = PixelBytes == 2 ? LoadU16LE(in) : LoadU32LE(in);
        out[0] = blue.From(pixel);
        out[1] = green.From(pixel);
        out[2] = red.From(pixel);
    }
    if (alpha) {
        const AlphaField alphaField = fields.alpha;
        in -= static_cast<size_t>(width) * PixelBytes;
        uint8_t any = 0;
        for (uint32_t x = 0; x < width; ++x, in += PixelBytes) {
            alpha[x] = alphaField.From(PixelBytes == 2 ? LoadU16LE(in) : LoadU32LE(in));
            any |= alpha[x];
        }
        anyAlpha |= any != 0;
    }
}

// One row of 32-bit pixels whose blue, green, red and alpha masks each cover one
// whole byte, byteOf[] saying which.
void ConvertWholeByteRow(const uint8_t* in, uint32_t width, const int byteOf[4], uint8_t* out,
                         uint8_t* alpha, bool& anyAlpha) {
    for (uint32_t x = 0; x < width; ++x, in += 4, out += 3) {
        out[0] = in[byteOf[0]];
        out[1] = in[byteOf[1]];
        out[2] = in[byteOf[2]];
    }
    if (alpha) {
        in -= static_cast<size_t>(width) * 4;
        uint8_t any = 0;
        for (uint32_t x = 0; x < width; ++x, in += 4) {
            alpha[x] = in[byteOf[3]];
            any |= alpha[x];
        }
        anyAlpha |= any != 0;
    }
}

// 16- and 32-bit pixels through their masks (see ChannelField). With an alpha mask
// the alpha values go to the alpha plane (see AlphaField); a plane that came out all
// 0 was never meant as alpha (most writers leave the bits empty), so it becomes fully
// opaque.
void ConvertBitFieldRows(StreamReader& reader, Picture& picture, uint32_t fileBpp,
                         const uint32_t masks[4], bool& cancelled, bool& outOfMemory) {
    const uint32_t width = picture.GetWidth();
    const uint32_t height = picture.GetHeight();
    const uint64_t sourceRowBytes = DibRowBytes(width, fileBpp);
    std::unique_ptr<uint8_t[]> source = AllocateBytes(sourceRowBytes, picture);
    if (!source || (masks[3] != 0 && !picture.CreateAlpha())) {
        outOfMemory = true;
        return;
    }
    const BitFields fields{ChannelField(masks[0]), ChannelField(masks[1]), ChannelField(masks[2]),
                           AlphaField(masks[3])};
    // Masks on whole bytes of a 32-bit pixel (the usual layout) are copied byte by byte.
    const int byteOf[4] = {fields.blue.WholeByte(), fields.green.WholeByte(),
                           fields.red.WholeByte(),
                           masks[3] == 0 ? 3 : ChannelField(masks[3]).WholeByte()};
    const bool wholeBytes =
        fileBpp == 32 && byteOf[0] >= 0 && byteOf[1] >= 0 && byteOf[2] >= 0 && byteOf[3] >= 0;
    uint8_t* alpha = picture.GetAlphaPlane();
    bool anyAlpha = false;

    uint32_t row = 0;
    for (; row < height; ++row) {
        if (picture.GetEscape() != 0) {
            cancelled = true;
            return;
        }
        if (!reader.ReadBytes(source.get(), static_cast<size_t>(sourceRowBytes))) {
            break;
        }
        uint8_t* a = alpha ? alpha + static_cast<size_t>(row) * width : nullptr;
        if (wholeBytes) {
            ConvertWholeByteRow(source.get(), width, byteOf, picture.GetBits(row), a, anyAlpha);
        } else if (fileBpp == 16) {
            ConvertFieldRow<2>(source.get(), width, fields, picture.GetBits(row), a, anyAlpha);
        } else {
            ConvertFieldRow<4>(source.get(), width, fields, picture.GetBits(row), a, anyAlpha);
        }
    }
    if (alpha) {
        const size_t readBytes = static_cast<size_t>(row) * width;
        const size_t allBytes = static_cast<size_t>(height) * width;
        std::memset(alpha + readBytes, anyAlpha ? 0 : 255, allBytes - readBytes);
        if (!anyAlpha) {
            std::memset(alpha, 255, readBytes);
        }
    }
}

// How the rows step ended.
enum class RowsOutcome { kDone, kCancelled, kOutOfMemory };

// Step 1: the file header (when there is one), the bitmap header in any of its sizes
// and the bit-field masks. Returns the refusal, or kNone when the layout is
// one this decoder reads; nothing is allocated before that is known.
PictureError ReadLayout(StreamReader& reader, BmpLayout& layout) {
    layout.start = reader.Position();
    uint8_t fileHeader[kFileHeaderSize];
    if (!reader.ReadBytes(fileHeader, sizeof fileHeader)) {
        return PictureError::kNotBmp;
    }
    if (LoadU16LE(fileHeader) == kBmpSignature) {
        layout.recognition = FormatRecognition::kStrong;
        layout.pixelOffset = LoadU32LE(fileHeader + 10);
    } else if (!reader.SeekTo(layout.start)) {
        // No file header: the bitmap header starts the data (a bare DIB).
        return PictureError::kNotBmp;
    }

    if (!ReadBitmapHeader(reader, layout)) {
        return PictureError::kBmpHeaderUnreadable;
    }
    if (layout.recognition == FormatRecognition::kNone) {
        layout.recognition = FormatRecognition::kWeak;  // a bare DIB's header
    }
    const uint32_t bpp = layout.header.bitCount;
    const uint32_t compression = layout.header.compression;
    if (bpp <= 8) {
        const bool supported = compression == kCompressionNone ||
                               (compression == kCompressionRle8 && bpp == 8) ||
                               (compression == kCompressionRle4 && bpp == 4);
        if (!supported) {
            return PictureError::kBmpCompressionNotSupported;
        }
    } else if (bpp == 24
                   ? compression != kCompressionNone
                   : compression != kCompressionNone && compression != kCompressionBitFields &&
                         compression != kCompressionAlphaBitFields) {
        return PictureError::kBmpUnknownCompression;
    }

    if (bpp == 16 || bpp == 32) {
        const uint32_t maskBytes = MaskBytes(layout.headerSize, compression);
        if (maskBytes > 0) {
            uint8_t raw[16];
            if (!reader.ReadBytes(raw, maskBytes)) {
                return PictureError::kBmpHeaderUnreadable;
            }
            for (uint32_t i = 0; i < maskBytes / 4; ++i) {
                layout.masks[i] = LoadU32LE(raw + 4 * i);
            }
        } else if (bpp == 16) {
            layout.masks[0] = 0x7C00;
            layout.masks[1] = 0x03E0;
            layout.masks[2] = 0x001F;
        } else {
            // The fourth byte is alpha, when a writer filled it.
            layout.masks[0] = 0x00FF0000;
            layout.masks[1] = 0x0000FF00;
            layout.masks[2] = 0x000000FF;
            layout.masks[3] = 0xFF000000;
        }
    }
    if (layout.headerBytesLeft > 0) {
        reader.Skip(static_cast<int64_t>(layout.headerBytesLeft));
    }
    return PictureError::kNone;
}

// Step 2: the palette. The whole stated table is passed over, even the entries beyond
// what the picture holds, so the pixels that follow it are found.
void ReadPalette(StreamReader& reader, const BmpLayout& layout, Picture& picture) {
    const BitmapInfoHeader& h = layout.header;
    const uint32_t entrySize = layout.coreHeader ? 3 : 4;
    const uint32_t kept = std::min(h.colorsUsed, picture.GetNumColors());
    if (kept > 0) {
        uint8_t raw[256 * 4];
        if (reader.ReadBytes(raw, static_cast<size_t>(kept) * entrySize)) {
            RgbQuad palette[256];
            for (uint32_t i = 0; i < kept; ++i) {
                const uint8_t* e = raw + i * entrySize;
                palette[i] = RgbQuad{e[0], e[1], e[2], 0};
            }
            picture.SetPalette(palette, kept);
        }
    }
    if (h.colorsUsed > kept) {
        reader.Skip(static_cast<int64_t>(h.colorsUsed - kept) * entrySize);
    }
}

// Step 3: the pixel rows, from the pixel offset when the file gives one.
RowsOutcome ReadRows(StreamReader& reader, const BmpLayout& layout, Picture& picture) {
    if (layout.pixelOffset != 0) {
        reader.SeekTo(layout.start + static_cast<int64_t>(layout.pixelOffset));
    }
    const uint32_t compression = layout.header.compression;
    bool cancelled = false;
    bool outOfMemory = false;
    switch (layout.header.bitCount) {
        case 2:
            ReadTwoBitRows(reader, picture, cancelled, outOfMemory);
            break;
        case 16:
        case 32:
            ConvertBitFieldRows(reader, picture, layout.header.bitCount, layout.masks, cancelled,
                                outOfMemory);
            break;
        default:
            if (compression == kCompressionNone) {
                ReadStoredRows(reader, picture, layout.height, cancelled);
            } else {
                DecodeRunLength(reader, picture, compression == kCompressionRle4, cancelled);
            }
            break;
    }
    if (outOfMemory) {
        return RowsOutcome::kOutOfMemory;
    }
    return cancelled ? RowsOutcome::kCancelled : RowsOutcome::kDone;
}

}  // namespace

bool PictureBMP::Decode(ImageStream* file) {
    if (file == nullptr) {
        SetError(PictureError::kNullFile);
        return false;
    }
    StreamReader reader(*file);
    BmpLayout layout;
    const PictureError refusal = ReadLayout(reader, layout);
    SetFormatRecognition(layout.recognition);
    if (refusal != PictureError::kNone) {
        SetError(refusal);
        return false;
    }
    const BitmapInfoHeader& h = layout.header;
    if (Create(static_cast<uint32_t>(h.width), layout.height, h.bitCount, kFormatBmp) == nullptr) {
        return false;
    }
    SetXDpi(static_cast<int32_t>(std::floor(h.xPelsPerMeter * 0.0254 + 0.5)));
    SetYDpi(static_cast<int32_t>(std::floor(h.yPelsPerMeter * 0.0254 + 0.5)));
    ReadPalette(reader, layout, *this);

    switch (ReadRows(reader, layout, *this)) {
        case RowsOutcome::kOutOfMemory:
            Destroy();
            SetError(PictureError::kOutOfMemory);
            return false;
        case RowsOutcome::kCancelled:
            Destroy();
            SetError(PictureError::kCancelled);
            return false;
        case RowsOutcome::kDone:
            break;
    }
    if (layout.topDown) {
        Flip();
    }
    return true;
}
