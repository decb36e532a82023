#include "image/codecs/picture_bmp.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>

#include "image/buffered_stream_bytes.h"
#include "image/byte_order.h"
#include "image/packed_pixels.h"
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

// Reads the header's fields, in whichever of its sizes the file uses, into the 40-byte
// form. False when the header cannot be read or is shorter than any known form.
bool ReadHeaderFields(StreamReader& reader, BmpLayout& layout) {
    uint8_t raw[40] = {};
    if (!reader.ReadBytes(raw, 4)) {
        return false;
    }
    layout.headerSize = LoadU32LE(raw);
    BitmapInfoHeader& h = layout.header;
    h.size = kBitmapInfoHeaderSize;
    if (layout.headerSize == kCoreHeaderSize) {
        if (!reader.ReadBytes(raw + 4, 8)) {
            return false;
        }
        layout.coreHeader = true;
        h.width = LoadU16LE(raw + 4);
        h.height = LoadU16LE(raw + 6);
        h.planes = LoadU16LE(raw + 8);
        h.bitCount = LoadU16LE(raw + 10);
        return true;
    }
    if (layout.headerSize < kBitmapInfoHeaderSize || !reader.ReadBytes(raw + 4, 36)) {
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
    return true;
}

bool IsKnownBitCount(uint16_t bitCount) {
    return bitCount == 1 || bitCount == 2 || bitCount == 4 || bitCount == 8 || bitCount == 16 ||
           bitCount == 24 || bitCount == 32;
}

// How many bytes of a header longer than 40 bytes are still to be passed over once
// the masks are read; false for a header of an unknown size that does not describe
// plain, complete pixel data.
bool MeasureHeaderRest(BmpLayout& layout, uint64_t computedSize) {
    const BitmapInfoHeader& h = layout.header;
    if (layout.headerSize == kOs2HeaderSize) {
        layout.headerBytesLeft = kOs2HeaderSize - kBitmapInfoHeaderSize;
        return true;
    }
    if (layout.headerSize <= kBitmapInfoHeaderSize) {
        return true;
    }
    // The later Windows headers (52, 56, 108 and 124 bytes) only add masks and
    // colour-space data after the first 40 bytes, so they are read like it, with their
    // palettes and a zero image size (ImageMagick's default BMP is one).
    if (!IsLaterWindowsHeader(layout.headerSize) &&
        (h.sizeImage < computedSize || h.planes != 1 || h.colorsUsed != 0)) {
        return false;
    }
    // The later headers hold the bit-field masks right after the first 40 bytes, where
    // they would follow a 40-byte header, so the masks are read from there.
    const uint64_t rest = layout.headerSize - kBitmapInfoHeaderSize;
    const uint64_t maskBytes = MaskBytes(layout.headerSize, h.compression);
    layout.headerBytesLeft = rest > maskBytes ? rest - maskBytes : 0;
    return true;
}

// Reads the bitmap header in whichever of its sizes the file uses and brings it to
// the 40-byte form. False when the header cannot be read or is refused.
bool ReadBitmapHeader(StreamReader& reader, BmpLayout& layout) {
    if (!ReadHeaderFields(reader, layout)) {
        return false;
    }
    BitmapInfoHeader& h = layout.header;
    if (h.width <= 0 || h.height == 0 || h.height == INT32_MIN || !IsKnownBitCount(h.bitCount)) {
        return false;
    }
    layout.topDown = h.height < 0;
    layout.height =
        static_cast<uint32_t>(layout.topDown ? -static_cast<int64_t>(h.height) : h.height);
    const uint64_t computedSize =
        DibRowBytes(static_cast<uint64_t>(h.width), h.bitCount) * layout.height;
    if (!MeasureHeaderRest(layout, computedSize)) {
        return false;
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
            picture.SetDamage(PictureError::kRowsMissing);
            break;
        }
    }
}

// Where run-length data lands: a column and a row of the picture. Pixels that a run
// or delta puts beyond the right edge are dropped; rows beyond the top end the data.
class RunLengthTarget {
  public:
    RunLengthTarget(Picture& picture, bool fourBit)
        : picture_(picture),
          fourBit_(fourBit),
          width_(picture.GetWidth()),
          height_(picture.GetHeight()),
          row_(picture.GetBits(0)) {}

    bool InPicture() const { return y_ < height_; }

    // An encoded run: one index repeated, or two alternating nibbles.
    void Repeat(uint8_t count, uint8_t value) {
        if (!fourBit_) {
            const uint64_t end = std::min<uint64_t>(x_ + count, width_);
            if (x_ < end) {
                std::memset(row_ + x_, value, static_cast<size_t>(end - x_));
            }
        } else {
            for (uint32_t i = 0; i < count; ++i) {
                Put(x_ + i, (i & 1) ? (value & 0x0F) : static_cast<uint8_t>(value >> 4));
            }
        }
        x_ += count;
    }

    // An absolute run of `count` indexes, bytes or nibbles as the depth packs them.
    void Copy(const uint8_t* data, uint8_t count) {
        if (!fourBit_) {
            const uint64_t end = std::min<uint64_t>(x_ + count, width_);
            if (x_ < end) {
                std::memcpy(row_ + x_, data, static_cast<size_t>(end - x_));
            }
        } else {
            for (uint32_t i = 0; i < count; ++i) {
                const uint8_t b = data[i / 2];
                Put(x_ + i, (i & 1) ? (b & 0x0F) : static_cast<uint8_t>(b >> 4));
            }
        }
        x_ += count;
    }

    void EndOfLine() {
        x_ = 0;
        MoveToRow(y_ + 1);
    }

    // Moves right and up.
    void Delta(uint8_t dx, uint8_t dy) {
        x_ += dx;
        if (dy > 0) {
            MoveToRow(y_ + dy);
        }
    }

  private:
    void Put(uint64_t x, uint8_t value) {
        if (x >= width_) {
            return;
        }
        uint8_t& byte = row_[x / 2];
        byte = (x & 1) == 0 ? static_cast<uint8_t>((byte & 0x0F) | (value << 4))
                            : static_cast<uint8_t>((byte & 0xF0) | (value & 0x0F));
    }
    void MoveToRow(uint64_t row) {
        y_ = row;
        if (y_ < height_) {
            row_ = picture_.GetBits(static_cast<uint32_t>(y_));
        }
    }

    Picture& picture_;
    bool fourBit_;
    uint64_t width_;
    uint64_t height_;
    uint8_t* row_;
    uint64_t x_ = 0;
    uint64_t y_ = 0;
};

// Run-length escapes: a run of 0 followed by one of these.
constexpr uint8_t kEndOfLine = 0;
constexpr uint8_t kEndOfBitmap = 1;
constexpr uint8_t kDelta = 2;

// Decodes run-length data (8 or 4 bits per pixel) into cleared pixel memory. A file
// that ends early leaves the rest black.
void DecodeRunLength(StreamReader& reader, Picture& picture, bool fourBit, bool& cancelled) {
    BufferedStreamBytes bytes(reader);
    RunLengthTarget target(picture, fourBit);
    uint8_t absolute[256];
    while (target.InPicture()) {
        uint8_t count;
        uint8_t value;
        if (!bytes.Next(count) || !bytes.Next(value)) {
            return;
        }
        if (count > 0) {
            target.Repeat(count, value);
        } else if (value == kEndOfLine) {
            target.EndOfLine();
            if (picture.GetEscape() != 0) {
                cancelled = true;
                return;
            }
        } else if (value == kEndOfBitmap) {
            return;
        } else if (value == kDelta) {
            uint8_t dx;
            uint8_t dy;
            if (!bytes.Next(dx) || !bytes.Next(dy)) {
                return;
            }
            target.Delta(dx, dy);
        } else {
            // An absolute run of `value` pixels, padded to 16 bits.
            const uint32_t dataBytes = fourBit ? (value + 1u) / 2 : value;
            if (!bytes.Take(absolute, (dataBytes + 1u) & ~1u)) {
                return;
            }
            target.Copy(absolute, value);
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
            picture.SetDamage(PictureError::kRowsMissing);
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
            picture.SetDamage(PictureError::kRowsMissing);
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

// Which compressions each depth may have: run-length for 8 and 4 bits, bit fields
// for 16 and 32.
PictureError CheckCompression(const BitmapInfoHeader& header) {
    const uint32_t bpp = header.bitCount;
    const uint32_t compression = header.compression;
    if (bpp <= 8) {
        const bool supported = compression == kCompressionNone ||
                               (compression == kCompressionRle8 && bpp == 8) ||
                               (compression == kCompressionRle4 && bpp == 4);
        return supported ? PictureError::kNone : PictureError::kBmpCompressionNotSupported;
    }
    const bool known = bpp == 24 ? compression == kCompressionNone
                                 : compression == kCompressionNone ||
                                       compression == kCompressionBitFields ||
                                       compression == kCompressionAlphaBitFields;
    return known ? PictureError::kNone : PictureError::kBmpUnknownCompression;
}

// The bit-field masks of 16- and 32-bit pictures: from the file when it has them,
// else 5-5-5 for 16 bits and one byte each (the fourth byte alpha, when a writer
// filled it) for 32. False when the file ends inside them.
bool ReadMasks(StreamReader& reader, BmpLayout& layout) {
    const uint32_t bpp = layout.header.bitCount;
    if (bpp != 16 && bpp != 32) {
        return true;
    }
    const uint32_t maskBytes = MaskBytes(layout.headerSize, layout.header.compression);
    if (maskBytes > 0) {
        uint8_t raw[16];
        if (!reader.ReadBytes(raw, maskBytes)) {
            return false;
        }
        for (uint32_t i = 0; i < maskBytes / 4; ++i) {
            layout.masks[i] = LoadU32LE(raw + 4 * i);
        }
    } else if (bpp == 16) {
        layout.masks[0] = 0x7C00;
        layout.masks[1] = 0x03E0;
        layout.masks[2] = 0x001F;
    } else {
        layout.masks[0] = 0x00FF0000;
        layout.masks[1] = 0x0000FF00;
        layout.masks[2] = 0x000000FF;
        layout.masks[3] = 0xFF000000;
    }
    return true;
}

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
    if (const PictureError refusal = CheckCompression(layout.header);
        refusal != PictureError::kNone) {
        return refusal;
    }
    if (!ReadMasks(reader, layout)) {
        return PictureError::kBmpHeaderUnreadable;
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
    DecodeCost cost;
    cost.width = static_cast<uint32_t>(h.width);
    cost.height = layout.height;
    cost.bpp = h.bitCount;
    cost.alpha = layout.masks[3] != 0;
    if (!AdmitDecode(cost) ||
        Create(static_cast<uint32_t>(h.width), layout.height, h.bitCount, kFormatBmp) == nullptr) {
        return false;
    }
    SetXDpi(static_cast<int32_t>(std::floor(h.xPelsPerMeter * kMetresPerInch + 0.5)));
    SetYDpi(static_cast<int32_t>(std::floor(h.yPelsPerMeter * kMetresPerInch + 0.5)));
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
