#include "image/codecs/picture_gif.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "image/codecs/gif_lzw_decoder.h"
#include "image/packed_pixels.h"
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
void PackIndexes(const uint8_t* indexes, size_t count, uint8_t* row, uint32_t x, uint32_t bpp) {
    if (bpp == 8) {
        std::memcpy(row + x, indexes, count);
        return;
    }
    for (size_t i = 0; i < count; ++i) {
        StorePackedIndex(row, x + i, bpp, indexes[i]);
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

// The colour table an image is shown with: its own, or the screen's; no bits for
// none.
struct GifColors {
    const RgbQuad* table = nullptr;
    int bits = 0;
};

// Makes the picture the screen (grown to hold the image), with the image's palette and
// transparency, every pixel filled with the transparent index when there is one, else
// the background index. False, with the reason in the picture, when it cannot be made.
bool PrepareScreen(Picture& picture, const GifImageDescriptor& image, const GifColors& colors,
                   const GifScreen& screen, int32_t transparentIndex) {
    const uint32_t width = std::max<uint32_t>(screen.width, uint32_t{image.left} + image.width);
    const uint32_t height = std::max<uint32_t>(screen.height, uint32_t{image.top} + image.height);
    // Without a colour table the indexes are shown as greys.
    const int bits = colors.bits ? colors.bits : 8;
    DecodeCost cost;
    cost.width = width;
    cost.height = height;
    cost.bpp = static_cast<uint32_t>(bits);
    cost.grey = colors.bits == 0;
    if (!picture.AdmitDecode(cost) ||
        picture.Create(width, height, static_cast<uint32_t>(bits), kFormatGif) == nullptr) {
        return false;
    }
    const uint32_t paletteSize = picture.GetNumColors();
    if (colors.bits) {
        picture.SetPalette(colors.table,
                           std::min<uint32_t>(paletteSize, uint32_t{1} << colors.bits));
    } else {
        picture.MakeGreyPalette();
    }
    const bool transparent =
        transparentIndex >= 0 && static_cast<uint32_t>(transparentIndex) < paletteSize;
    if (transparent) {
        picture.SetTransparentIndex(transparentIndex);
        picture.SetTransparentColor(
            picture.GetPaletteColor(static_cast<uint32_t>(transparentIndex)));
    }
    const uint8_t fill = transparent
                             ? static_cast<uint8_t>(transparentIndex)
                             : (screen.backgroundIndex < paletteSize ? screen.backgroundIndex : 0);
    std::memset(picture.GetBits(0), FillByte(fill, picture.GetBpp()),
                uint64_t{picture.GetEffectiveWidth()} * height);
    return true;
}

// Decodes one image into the picture, drawn on a screen of at least the screen's size.
bool DecodeImage(Picture& picture, GifSubBlockReader& blocks, const GifImageDescriptor& image,
                 int minimumCodeSize, const GifColors& colors, const GifScreen& screen,
                 int32_t transparentIndex) {
    if (image.width == 0 || image.height == 0 ||
        !GifLzwDecoder::IsValidMinimumCodeSize(minimumCodeSize)) {
        picture.SetError(PictureError::kGifCorrupted);
        return false;
    }
    if (!PrepareScreen(picture, image, colors, screen, transparentIndex)) {
        return false;
    }
    const uint32_t height = picture.GetHeight();
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
        PackIndexes(indexes.data(), got, row, image.left, picture.GetBpp());
        // Damaged or missing data leaves the rest of the frame filled: a partial
        // picture is more use than none.
        if (got < indexes.size()) {
            picture.SetDamage(PictureError::kRowsMissing);
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

// How the walk through the file's blocks goes on after one block.
enum class BlockOutcome { kGoOn, kEnd, kFailed };

// One image: its descriptor, local colour table and data, decoded into the picture
// when it is the wanted one (the image at `wanted`, counted by imageCount), passed
// over otherwise. kFailed leaves the reason in the picture.
BlockOutcome ReadImage(StreamReader& reader, Picture& picture, const GifScreen& screen,
                       int32_t transparentIndex, int32_t wanted, int32_t& imageCount,
                       bool& decoded) {
    GifImageDescriptor image;
    if (!ReadImageDescriptor(reader, image)) {
        return BlockOutcome::kEnd;
    }
    RgbQuad localTable[256] = {};
    if (image.localTableBits != 0 && !ReadColorTable(reader, image.localTableBits, localTable)) {
        return BlockOutcome::kEnd;
    }
    uint8_t minimumCodeSize = 0;
    if (!reader.ReadU8(minimumCodeSize)) {
        return BlockOutcome::kEnd;
    }
    GifSubBlockReader blocks(reader);
    if (imageCount == wanted && !decoded) {
        const GifColors colors = image.localTableBits ? GifColors{localTable, image.localTableBits}
                                                      : GifColors{screen.table, screen.tableBits};
        if (!DecodeImage(picture, blocks, image, static_cast<int>(minimumCodeSize), colors, screen,
                         transparentIndex)) {
            return BlockOutcome::kFailed;
        }
        decoded = true;
    }
    ++imageCount;
    return blocks.SkipRest() ? BlockOutcome::kGoOn : BlockOutcome::kEnd;
}

// Walks the blocks after the screen: extensions and images, until the trailer, the end
// of the file or a byte that starts no block, all of which end the file; whatever was
// counted so far stands. Decodes the image at `wanted`.
BlockOutcome ReadBlocks(StreamReader& reader, Picture& picture, const GifScreen& screen,
                        int32_t wanted, int32_t& imageCount, bool& decoded) {
    int32_t transparentIndex = -1;  // from the graphic control extension of the next image
    BlockOutcome outcome = BlockOutcome::kGoOn;
    while (outcome == BlockOutcome::kGoOn) {
        uint8_t introducer = 0;
        if (!reader.ReadU8(introducer) || introducer == kTrailer) {
            return BlockOutcome::kEnd;
        }
        if (introducer == kExtensionIntroducer) {
            uint8_t label = 0;
            if (!reader.ReadU8(label) || !ReadExtension(reader, label, transparentIndex)) {
                return BlockOutcome::kEnd;
            }
        } else if (introducer == kImageSeparator) {
            outcome =
                ReadImage(reader, picture, screen, transparentIndex, wanted, imageCount, decoded);
            transparentIndex = -1;
        } else {
            return BlockOutcome::kEnd;
        }
    }
    return outcome;
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
    if (screenOutcome == ScreenOutcome::kNotGif) {
        return false;
    }
    SetFormatRecognition(FormatRecognition::kStrong);
    if (screenOutcome == ScreenOutcome::kCorrupted) {
        SetError(PictureError::kGifCorrupted);
        return false;
    }
    int32_t imageCount = 0;
    bool decoded = false;
    if (ReadBlocks(reader, *this, screen, GetFrameNumber(), imageCount, decoded) ==
        BlockOutcome::kFailed) {
        return false;
    }
    SetFrameCount(imageCount);
    if (!decoded) {
        SetError(imageCount == 0 ? PictureError::kGifCorrupted : PictureError::kGifFrameOutOfRange);
        return false;
    }
    return true;
}
