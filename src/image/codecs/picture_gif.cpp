#include "image/codecs/picture_gif.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "image/codecs/gif_lzw_decoder.h"
#include "image/stream_reader.h"

namespace {

struct GifImageDescriptor {
    uint16_t left = 0;
    uint16_t top = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    bool interlaced = false;
    int localTableBits = 0;  // 0: none
};

constexpr uint8_t kImageSeparator = 0x2C;
constexpr uint8_t kExtensionIntroducer = 0x21;
constexpr uint8_t kTrailer = 0x3B;
constexpr uint8_t kGraphicControlLabel = 0xF9;

struct GifScreen {
    uint16_t width = 0;
    uint16_t height = 0;
    uint8_t backgroundIndex = 0;
    int tableBits = 0;  // 0: no global colour table
    RgbQuad table[256] = {};
};

// Reads a colour table of 2^bits red-green-blue triples into blue-green-red entries.
bool ReadColorTable(StreamReader& reader, int bits, RgbQuad* table) {
    const size_t count = size_t{1} << bits;
    uint8_t triples[256 * 3];
    if (!reader.ReadBytes(triples, count * 3)) {
        return false;
    }
    for (size_t i = 0; i < count; ++i) {
        table[i] = RgbQuad{triples[3 * i + 2], triples[3 * i + 1], triples[3 * i], 0};
    }
    return true;
}

bool ReadImageDescriptor(StreamReader& reader, GifImageDescriptor& image) {
    uint8_t bytes[9];
    if (!reader.ReadBytes(bytes, sizeof bytes)) {
        return false;
    }
    image.left = LoadU16LE(bytes);
    image.top = LoadU16LE(bytes + 2);
    image.width = LoadU16LE(bytes + 4);
    image.height = LoadU16LE(bytes + 6);
    image.interlaced = (bytes[8] & 0x40) != 0;
    image.localTableBits = (bytes[8] & 0x80) ? (bytes[8] & 0x07) + 1 : 0;
    return true;
}

// Image row y of the order in which rows arrive: interlaced pictures send every 8th
// row from 0, every 8th from 4, every 4th from 2, then every 2nd from 1.
class InterlacedRowOrder {
  public:
    explicit InterlacedRowOrder(uint32_t height) : height_(height) {}
    // Next row, or false when all passes are done.
    bool Next(uint32_t& row) {
        static constexpr uint32_t kStart[4] = {0, 4, 2, 1};
        static constexpr uint32_t kStep[4] = {8, 8, 4, 2};
        while (pass_ < 4) {
            if (!started_) {
                current_ = kStart[pass_];
                started_ = true;
            } else {
                current_ += kStep[pass_];
            }
            if (current_ < height_) {
                row = current_;
                return true;
            }
            ++pass_;
            started_ = false;
        }
        return false;
    }

  private:
    uint32_t height_;
    int pass_ = 0;
    bool started_ = false;
    uint32_t current_ = 0;
};

// Writes count palette indexes into a packed row of 1, 4 or 8 bits per pixel,
// starting at pixel x. Indexes wider than the pixel keep their low bits.
void PackIndexes(const uint8_t* indexes, size_t count, uint8_t* row, uint32_t x, int bpp) {
    if (bpp == 8) {
        std::memcpy(row + x, indexes, count);
        return;
    }
    if (bpp == 4) {
        for (size_t i = 0; i < count; ++i, ++x) {
            uint8_t& byte = row[x >> 1];
            const uint8_t value = indexes[i] & 0x0F;
            byte = (x & 1) ? static_cast<uint8_t>((byte & 0xF0) | value)
                           : static_cast<uint8_t>((byte & 0x0F) | (value << 4));
        }
        return;
    }
    for (size_t i = 0; i < count; ++i, ++x) {
        const uint8_t bit = static_cast<uint8_t>(0x80 >> (x & 7));
        uint8_t& byte = row[x >> 3];
        byte =
            (indexes[i] & 1) ? static_cast<uint8_t>(byte | bit) : static_cast<uint8_t>(byte & ~bit);
    }
}

uint8_t FillByte(uint8_t index, int bpp) {
    if (bpp == 8) {
        return index;
    }
    if (bpp == 4) {
        return static_cast<uint8_t>((index & 0x0F) * 0x11);
    }
    return (index & 1) ? 0xFF : 0x00;
}

// Decodes one image into the picture, drawn on a screen of at least the given size.
bool DecodeImage(Picture& picture, GifSubBlockReader& blocks, const GifImageDescriptor& image,
                 int minimumCodeSize, const RgbQuad* table, int tableBits, uint32_t screenWidth,
                 uint32_t screenHeight, uint8_t backgroundIndex, int32_t transparentIndex) {
    if (image.width == 0 || image.height == 0 ||
        !GifLzwDecoder::IsValidMinimumCodeSize(minimumCodeSize)) {
        picture.SetError(PictureError::kGifCorrupted);
        return false;
    }
    const uint32_t width = std::max<uint32_t>(screenWidth, uint32_t{image.left} + image.width);
    const uint32_t height = std::max<uint32_t>(screenHeight, uint32_t{image.top} + image.height);
    // Without a colour table the indexes are shown as greys.
    const int bits = tableBits ? tableBits : 8;
    if (picture.Create(width, height, static_cast<uint32_t>(bits), kFormatGif) == nullptr) {
        return false;
    }
    const int bpp = picture.GetBpp();
    const uint32_t colors = picture.GetNumColors();
    if (tableBits) {
        picture.SetPalette(table, std::min<uint32_t>(colors, uint32_t{1} << tableBits));
    } else {
        picture.MakeGreyPalette();
    }
    if (transparentIndex >= 0 && static_cast<uint32_t>(transparentIndex) < colors) {
        picture.SetTransparentIndex(transparentIndex);
        picture.SetTransparentColor(
            picture.GetPaletteColor(static_cast<uint32_t>(transparentIndex)));
    }

    const uint8_t fill = transparentIndex >= 0 && static_cast<uint32_t>(transparentIndex) < colors
                             ? static_cast<uint8_t>(transparentIndex)
                             : (backgroundIndex < colors ? backgroundIndex : 0);
    const uint32_t rowBytes = picture.GetEffectiveWidth();
    std::memset(picture.GetBits(0), FillByte(fill, bpp), uint64_t{rowBytes} * height);

    GifLzwDecoder lzw(blocks, minimumCodeSize);
    std::vector<uint8_t> indexes(image.width);
    InterlacedRowOrder interlaced(image.height);
    for (uint32_t arrival = 0; arrival < image.height; ++arrival) {
        if (picture.GetEscape() != 0) {
            picture.SetError(PictureError::kCancelled);
            return false;
        }
        uint32_t y = arrival;
        if (image.interlaced && !interlaced.Next(y)) {
            break;
        }
        const size_t got = lzw.Read(indexes.data(), indexes.size());
        // Stored rows are bottom-up: image row y sits top + y rows below the top.
        uint8_t* row = picture.GetBits(height - 1 - (image.top + y));
        PackIndexes(indexes.data(), got, row, image.left, bpp);
        // Damaged or missing data leaves the rest of the frame filled: a partial
        // picture is more use than none.
        if (got < indexes.size()) {
            break;
        }
    }
    return true;
}

enum class ScreenOutcome { kRead, kNotGif, kCorrupted };

// The signature, the logical screen descriptor and the global colour table.
ScreenOutcome ReadScreen(StreamReader& reader, GifScreen& screen) {
    uint8_t signature[6];
    if (!reader.ReadBytes(signature, sizeof signature) || std::memcmp(signature, "GIF8", 4) != 0) {
        return ScreenOutcome::kNotGif;
    }
    uint8_t logical[7];
    if (!reader.ReadBytes(logical, sizeof logical)) {
        return ScreenOutcome::kCorrupted;
    }
    screen.width = LoadU16LE(logical);
    screen.height = LoadU16LE(logical + 2);
    screen.backgroundIndex = logical[5];
    if (logical[4] & 0x80) {
        screen.tableBits = (logical[4] & 0x07) + 1;
        if (!ReadColorTable(reader, screen.tableBits, screen.table)) {
            return ScreenOutcome::kCorrupted;
        }
    }
    return ScreenOutcome::kRead;
}

// One extension block after its label. A graphic control extension sets the
// transparent index of the image that follows it; the others are passed over. False
// when the file ends inside the block.
bool ReadExtension(StreamReader& reader, uint8_t label, int32_t& transparentIndex) {
    GifSubBlockReader blocks(reader);
    if (label == kGraphicControlLabel) {
        int bytes[4];
        int count = 0;
        while (count < 4 && (bytes[count] = blocks.NextByte()) >= 0) {
            ++count;
        }
        if (count == 4) {
            transparentIndex = (bytes[0] & 0x01) ? bytes[3] : -1;
        }
    }
    return blocks.SkipRest();
}

}  // namespace

// The picture is the logical screen: the chosen frame is drawn at its offset and the
// rest of the screen shows the frame's transparent index when it has one, else the
// background index. A frame reaching past the screen grows the picture to hold it.
bool PictureGIF::Decode(ImageStream* file) {
    if (file == nullptr) {
        return false;
    }
    StreamReader reader(*file);
    GifScreen screen;
    const ScreenOutcome screenOutcome = ReadScreen(reader, screen);
    if (screenOutcome != ScreenOutcome::kNotGif) {
        SetFormatRecognition(FormatRecognition::kStrong);
    }
    switch (screenOutcome) {
        case ScreenOutcome::kNotGif:
            return false;
        case ScreenOutcome::kCorrupted:
            SetError(PictureError::kGifCorrupted);
            return false;
        case ScreenOutcome::kRead:
            break;
    }

    const int32_t wanted = GetFrameNumber();
    int32_t imageCount = 0;
    bool decoded = false;
    int32_t transparentIndex = -1;  // from the graphic control extension of the next image

    for (;;) {
        uint8_t introducer = 0;
        // The end of the file, the trailer or a byte that starts no block all end the
        // file: whatever was counted so far stands.
        if (!reader.ReadU8(introducer) || introducer == kTrailer) {
            break;
        }
        if (introducer == kExtensionIntroducer) {
            uint8_t label = 0;
            if (!reader.ReadU8(label)) {
                break;
            }
            if (!ReadExtension(reader, label, transparentIndex)) {
                break;
            }
            continue;
        }
        if (introducer != kImageSeparator) {
            break;
        }

        GifImageDescriptor image;
        if (!ReadImageDescriptor(reader, image)) {
            break;
        }
        RgbQuad localTable[256] = {};
        if (image.localTableBits != 0 &&
            !ReadColorTable(reader, image.localTableBits, localTable)) {
            break;
        }
        uint8_t minimumCodeSize = 0;
        if (!reader.ReadU8(minimumCodeSize)) {
            break;
        }
        GifSubBlockReader blocks(reader);
        if (imageCount == wanted && !decoded) {
            const RgbQuad* table = image.localTableBits ? localTable : screen.table;
            const int tableBits = image.localTableBits ? image.localTableBits : screen.tableBits;
            if (!DecodeImage(*this, blocks, image, static_cast<int>(minimumCodeSize), table,
                             tableBits, screen.width, screen.height, screen.backgroundIndex,
                             transparentIndex)) {
                return false;
            }
            decoded = true;
        }
        ++imageCount;
        transparentIndex = -1;
        if (!blocks.SkipRest()) {
            break;
        }
    }

    SetFrameCount(imageCount);
    if (!decoded) {
        SetError(imageCount == 0 ? PictureError::kGifCorrupted : PictureError::kGifFrameOutOfRange);
        return false;
    }
    return true;
}
