#include "image/picture_bmp.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>

#include "image/buffered_stream_bytes.h"
#include "image/byte_order.h"
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

// Everything the header tells about the pixel data, widened to the 40-byte form.
struct BmpLayout {
    int64_t start = 0;         // stream position of the file's first byte
    uint32_t pixelOffset = 0;  // from the start; 0: the pixels follow the palette
    BitmapInfoHeader header;
    uint32_t headerSize = 0;
    uint64_t headerBytesLeft = 0;  // header bytes still to skip after the masks
    bool coreHeader = false;
    bool topDown = false;
    uint32_t height = 0;     // absolute row count
    uint32_t masks[3] = {};  // red, green, blue for 16 and 32 bits per pixel
};

// A working buffer of count bytes, held to the picture's memory limit.
std::unique_ptr<uint8_t[]> AllocateBytes(uint64_t count, const Picture& picture) {
    if (count == 0 || count > picture.GetMemoryLimit()) {
        return nullptr;
    }
    return std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[count]);
}

// Moves value right by shift bits, or left for a negative shift; shifts of 32 or
// more bits leave nothing. Hostile masks can ask for any shift.
uint32_t ShiftRight(uint32_t value, int shift) {
    if (shift >= 32 || shift <= -32) {
        return 0;
    }
    return shift >= 0 ? value >> shift : value << -shift;
}

// The byte of a 32-bit pixel in which the mask's most significant bit lies.
int MaskByte(uint32_t mask) {
    return mask == 0 ? -1 : (31 - std::countl_zero(mask)) / 8;
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
        if (h.compression == kCompressionBitFields) {
            layout.headerBytesLeft = layout.headerBytesLeft > 12 ? layout.headerBytesLeft - 12 : 0;
        }
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

// 16-bit pixels through the red, green and blue masks. Each channel's top bit goes
// to bit 7 of its byte; the low bits stay zero.
void Convert16BitRows(StreamReader& reader, Picture& picture, const uint32_t masks[3],
                      bool& cancelled, bool& outOfMemory) {
    const uint32_t width = picture.GetWidth();
    const uint32_t height = picture.GetHeight();
    const uint64_t sourceRowBytes = DibRowBytes(width, 16);
    std::unique_ptr<uint8_t[]> source = AllocateBytes(sourceRowBytes, picture);
    if (!source) {
        outOfMemory = true;
        return;
    }
    const int r = std::popcount(masks[0]);
    const int g = std::popcount(masks[1]);
    const int b = std::popcount(masks[2]);
    const int blueShift = r - 8;  // a negative shift moves left
    const int greenShift = r + g - 8;
    const int redShift = r + g + b - 8;

    uint32_t row = 0;
    for (; row < height; ++row) {
        if (picture.GetEscape() != 0) {
            cancelled = true;
            return;
        }
        if (!reader.ReadBytes(source.get(), static_cast<size_t>(sourceRowBytes))) {
            break;
        }
        const uint8_t* in = source.get();
        uint8_t* out = picture.GetBits(row);
        for (uint32_t x = 0; x < width; ++x, in += 2, out += 3) {
            const uint32_t w = LoadU16LE(in);
            out[0] = static_cast<uint8_t>(ShiftRight(w & masks[2], blueShift));
            out[1] = static_cast<uint8_t>(ShiftRight(w & masks[1], greenShift));
            out[2] = static_cast<uint8_t>(ShiftRight(w & masks[0], redShift));
        }
    }
}

// 32-bit pixels: each channel is the byte its mask lies in. With `keepAlpha` the
// fourth byte goes to the alpha plane; a plane that came out all 0 was never meant
// as alpha (most writers leave the byte empty), so it becomes fully opaque.
void Convert32BitRows(StreamReader& reader, Picture& picture, const uint32_t masks[3],
                      bool keepAlpha, bool& cancelled, bool& outOfMemory) {
    const uint32_t width = picture.GetWidth();
    const uint32_t height = picture.GetHeight();
    std::unique_ptr<uint8_t[]> source = AllocateBytes(static_cast<uint64_t>(width) * 4, picture);
    if (!source || (keepAlpha && !picture.CreateAlpha())) {
        outOfMemory = true;
        return;
    }
    const int redByte = MaskByte(masks[0]);
    const int greenByte = MaskByte(masks[1]);
    const int blueByte = MaskByte(masks[2]);
    uint8_t* alpha = keepAlpha ? picture.GetAlphaPlane() : nullptr;
    bool anyAlpha = false;

    uint32_t row = 0;
    for (; row < height; ++row) {
        if (picture.GetEscape() != 0) {
            cancelled = true;
            return;
        }
        if (!reader.ReadBytes(source.get(), static_cast<size_t>(width) * 4)) {
            break;
        }
        const uint8_t* in = source.get();
        uint8_t* out = picture.GetBits(row);
        for (uint32_t x = 0; x < width; ++x, in += 4, out += 3) {
            out[0] = blueByte < 0 ? 0 : in[blueByte];
            out[1] = greenByte < 0 ? 0 : in[greenByte];
            out[2] = redByte < 0 ? 0 : in[redByte];
        }
        if (alpha) {
            uint8_t* a = alpha + static_cast<size_t>(row) * width;
            in = source.get() + 3;
            for (uint32_t x = 0; x < width; ++x, in += 4) {
                a[x] = *in;
                anyAlpha |= *in != 0;
            }
        }
    }
    const uint32_t rowsRead = row;
    if (alpha) {
        const size_t readBytes = static_cast<size_t>(rowsRead) * width;
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
// and the bit-field masks. Returns the refusal message, or null when the layout is
// one this decoder reads; nothing is allocated before that is known.
const char* ReadLayout(StreamReader& reader, BmpLayout& layout) {
    layout.start = reader.Position();
    uint8_t fileHeader[kFileHeaderSize];
    if (!reader.ReadBytes(fileHeader, sizeof fileHeader)) {
        return "Not a BMP";
    }
    if (LoadU16LE(fileHeader) == kBmpSignature) {
        layout.pixelOffset = LoadU32LE(fileHeader + 10);
    } else if (!reader.SeekTo(layout.start)) {
        // No file header: the bitmap header starts the data (a bare DIB).
        return "Not a BMP";
    }

    if (!ReadBitmapHeader(reader, layout)) {
        return "Error reading BMP info";
    }
    const uint32_t bpp = layout.header.bitCount;
    const uint32_t compression = layout.header.compression;
    if (bpp <= 8) {
        const bool supported = compression == kCompressionNone ||
                               (compression == kCompressionRle8 && bpp == 8) ||
                               (compression == kCompressionRle4 && bpp == 4);
        if (!supported) {
            return "compression type not supported";
        }
    } else if (bpp == 24
                   ? compression != kCompressionNone
                   : compression != kCompressionNone && compression != kCompressionBitFields) {
        return "unknown compression";
    }

    if (bpp == 16 || bpp == 32) {
        if (compression == kCompressionBitFields) {
            uint8_t raw[12];
            if (!reader.ReadBytes(raw, sizeof raw)) {
                return "Error reading BMP info";
            }
            for (int i = 0; i < 3; ++i) {
                layout.masks[i] = LoadU32LE(raw + 4 * i);
            }
        } else if (bpp == 16) {
            layout.masks[0] = 0x7C00;
            layout.masks[1] = 0x03E0;
            layout.masks[2] = 0x001F;
        } else {
            layout.masks[0] = 0xFF0000;
            layout.masks[1] = 0x00FF00;
            layout.masks[2] = 0x0000FF;
        }
    }
    if (layout.headerBytesLeft > 0) {
        reader.Skip(static_cast<int64_t>(layout.headerBytesLeft));
    }
    return nullptr;
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
        case 16:
            Convert16BitRows(reader, picture, layout.masks, cancelled, outOfMemory);
            break;
        case 32:
            Convert32BitRows(reader, picture, layout.masks, compression == kCompressionNone,
                             cancelled, outOfMemory);
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
        SetLastError("null file handler");
        return false;
    }
    StreamReader reader(*file);
    BmpLayout layout;
    if (const char* refusal = ReadLayout(reader, layout)) {
        SetLastError(refusal);
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
            SetLastError("can't allocate memory");
            return false;
        case RowsOutcome::kCancelled:
            Destroy();
            SetLastError("Cancelled");
            return false;
        case RowsOutcome::kDone:
            break;
    }
    if (layout.topDown) {
        Flip();
    }
    return true;
}
