// Windows and OS/2 bitmaps: every header form, depth and compression the decoder
// takes, against pictures drawn by tests/data/bmp/make_fixtures.py, plus damaged and
// foreign data built in memory.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "image/codecs/picture_bmp.h"
#include "image/image_stream.h"
#include "image/image_test_support.h"
#include "image/picture.h"

namespace {

using namespace image_test;

constexpr uint32_t kWidth = 13;
constexpr uint32_t kHeight = 7;

std::string Fixture(const char* name) {
    return DataFilePath("bmp", name);
}

// The generator's rules (see make_fixtures.py).
Rgb TwoColours(int x, int y) {
    return (3 * x + y) % 5 < 2 ? Rgb{255, 255, 255} : Rgb{0, 0, 0};
}
Rgb SixteenColours(int x, int y) {
    return FixturePaletteColour((x + 2 * y) % 12);
}
Rgb ManyColours(int x, int y) {
    return FixturePaletteColour((7 * x + 11 * y) % 40);
}
// 5-5-5 and 5-6-5 levels come back with each channel's top bit at bit 7.
Rgb Levels555(int x, int y) {
    return {((2 * x + y) % 32) << 3, ((x + 3 * y) % 32) << 3, (((31 - x - y) % 32 + 32) % 32) << 3};
}
Rgb Levels565(int x, int y) {
    return {((2 * x + y) % 32) << 3, ((5 * x + 3 * y) % 64) << 2,
            (((31 - x - y) % 32 + 32) % 32) << 3};
}

template <typename Rule>
void ExpectPicture(const Picture& picture, Rule rule) {
    ExpectPictureFromTop(picture, kWidth, kHeight, rule);
}

// A bitmap built in memory: file header, 40-byte header, palette, pixel bytes.
std::vector<uint8_t> MakeBmp(int32_t width, int32_t height, uint16_t bpp, uint32_t compression,
                             const std::vector<uint8_t>& palette,
                             const std::vector<uint8_t>& pixels, uint32_t colours = 0) {
    std::vector<uint8_t> out(54 + palette.size() + pixels.size(), 0);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) {
            out[at + i] = static_cast<uint8_t>(v >> (8 * i));
        }
    };
    out[0] = 'B';
    out[1] = 'M';
    put32(2, static_cast<uint32_t>(54 + palette.size() + pixels.size()));
    put32(10, static_cast<uint32_t>(54 + palette.size()));
    put32(14, 40);
    put32(18, static_cast<uint32_t>(width));
    put32(22, static_cast<uint32_t>(height));
    out[26] = 1;
    out[28] = static_cast<uint8_t>(bpp);
    put32(30, compression);
    put32(46, colours);
    std::copy(palette.begin(), palette.end(), out.begin() + 54);
    std::copy(pixels.begin(), pixels.end(), out.begin() + 54 + palette.size());
    return out;
}

// --- palette pictures ---------------------------------------------------------------

TEST(BmpDecoder, PalettePicturesKeepTheirDepthAndColours) {
    Picture one;
    ASSERT_TRUE(one.Load(Fixture("bits1.bmp").c_str(), 0));
    EXPECT_EQ(one.GetBpp(), 1);
    EXPECT_EQ(one.GetType(), 1u);
    ExpectPicture(one, TwoColours);

    Picture four;
    ASSERT_TRUE(four.Load(Fixture("bits4.bmp").c_str(), 0));
    EXPECT_EQ(four.GetBpp(), 4);
    ExpectPicture(four, SixteenColours);

    // ImageMagick's default flavour: the 124-byte header with a 16-colour palette.
    Picture fourV5;
    ASSERT_TRUE(fourV5.Load(Fixture("bits4_v5.bmp").c_str(), 0)) << fourV5.GetLastError();
    EXPECT_EQ(fourV5.GetBpp(), 4);
    ExpectPicture(fourV5, SixteenColours);

    Picture eight;
    ASSERT_TRUE(eight.Load(Fixture("bits8.bmp").c_str(), 0));
    EXPECT_EQ(eight.GetBpp(), 8);
    EXPECT_EQ(eight.GetNumColors(), 256u);
    ExpectPicture(eight, ManyColours);
    EXPECT_EQ(ColorFromTop(eight, 1, 0), (Rgb{3, 220, 94}));
}

TEST(BmpDecoder, RunLength8FromImageMagickDropsPixelsPastTheRightEdge) {
    // ImageMagick encodes each 13-pixel row's padding as 3 more pixels; they must
    // not spill into the next row.
    Picture picture;
    ASSERT_TRUE(picture.Load(Fixture("rle8_magick.bmp").c_str(), 0));
    EXPECT_EQ(picture.GetBpp(), 8);
    ExpectPicture(picture, ManyColours);
}

TEST(BmpDecoder, RunLengthHonoursEndOfLineDeltaAbsoluteRunsAndEndOfBitmap) {
    const uint8_t expected[4][8] = {
        {0, 0, 0, 0, 3, 3, 0, 0},
        {9, 9, 9, 9, 0, 0, 0, 0},
        {0, 0, 0, 5, 5, 0, 0, 0},
        {1, 2, 3, 4, 5, 6, 7, 7},
    };
    for (const char* name : {"rle8_escapes.bmp", "rle4_escapes.bmp"}) {
        SCOPED_TRACE(name);
        Picture picture;
        ASSERT_TRUE(picture.Load(Fixture(name).c_str(), 0));
        ASSERT_EQ(picture.GetWidth(), 8u);
        ASSERT_EQ(picture.GetHeight(), 4u);
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 8; ++x) {
                EXPECT_EQ(picture.GetPixelIndex(x, 3 - y), expected[y][x]) << x << ", " << y;
            }
        }
        EXPECT_EQ(ColorFromTop(picture, 0, 1), (Rgb{77, 210, 194}));  // palette entry 9
    }
}

// --- true-colour pictures -------------------------------------------------------------

TEST(BmpDecoder, TwentyFourBitPicturesInEveryHeaderForm) {
    // 40-byte header (ImageMagick and ours), the 124-byte header, the OS/2 12-byte
    // header with 3-byte palette entries, and a bare DIB without file header.
    for (const char* name :
         {"bits24.bmp", "bits24_bottom_up.bmp", "bits24_v5.bmp", "os2_core.bmp", "bare_dib.dib"}) {
        SCOPED_TRACE(name);
        Picture picture;
        ASSERT_TRUE(picture.Load(Fixture(name).c_str(), 0));
        EXPECT_EQ(picture.GetBpp(), 24);
        EXPECT_EQ(picture.GetType(), 1u);
        ExpectPicture(picture, FixtureTrueColour);
    }
    Picture picture;
    ASSERT_TRUE(picture.Load(Fixture("bare_dib.dib").c_str(), 1));
    EXPECT_EQ(ColorFromTop(picture, 12, 6), (Rgb{245, 219, 122}));
    // 2835 pixels per metre is 72 dots per inch.
    EXPECT_EQ(picture.GetXDpi(), 72);
    EXPECT_EQ(picture.GetYDpi(), 72);
}

TEST(BmpDecoder, TopDownAndBottomUpRowsLoadToIdenticalPixelMemory) {
    Picture bottomUp;
    Picture topDown;
    ASSERT_TRUE(bottomUp.Load(Fixture("bits24_bottom_up.bmp").c_str(), 0));
    ASSERT_TRUE(topDown.Load(Fixture("bits24_top_down.bmp").c_str(), 0));
    ASSERT_EQ(topDown.GetHeight(), kHeight);
    ASSERT_EQ(topDown.GetHeader().height, 7);
    ASSERT_EQ(bottomUp.GetDibSize(), topDown.GetDibSize());
    EXPECT_EQ(std::memcmp(bottomUp.GetBits(0), topDown.GetBits(0),
                          bottomUp.GetEffectiveWidth() * kHeight),
              0);
    ExpectPicture(topDown, FixtureTrueColour);
}

TEST(BmpDecoder, SixteenBitPixelsPutEachChannelsTopBitAtBitSeven) {
    Picture plain;  // no masks: 5-5-5
    ASSERT_TRUE(plain.Load(Fixture("bits16_555.bmp").c_str(), 0));
    EXPECT_EQ(plain.GetBpp(), 24);
    ExpectPicture(plain, Levels555);
    EXPECT_EQ(ColorFromTop(plain, 0, 0), (Rgb{0, 0, 248}));

    Picture masked;  // masks 0xF800, 0x07E0, 0x001F from the file
    ASSERT_TRUE(masked.Load(Fixture("bits16_565.bmp").c_str(), 0));
    ExpectPicture(masked, Levels565);
    EXPECT_EQ(ColorFromTop(masked, 1, 1), (Rgb{24, 32, 232}));
}

TEST(BmpDecoder, ThirtyTwoBitFourthBytesBecomeAlphaUnlessAllZero) {
    Picture withAlpha;
    ASSERT_TRUE(withAlpha.Load(Fixture("bits32_alpha.bmp").c_str(), 0));
    EXPECT_EQ(withAlpha.GetBpp(), 24);
    ExpectPicture(withAlpha, FixtureTrueColour);
    ASSERT_TRUE(withAlpha.HasAlpha());
    const uint8_t* alpha = withAlpha.GetAlphaPlane();
    for (uint32_t y = 0; y < kHeight; ++y) {
        for (uint32_t x = 0; x < kWidth; ++x) {
            EXPECT_EQ(alpha[y * kWidth + x], std::min<uint32_t>(40 * x + 10, 255));
        }
    }
    EXPECT_EQ(alpha[5], 210);

    Picture zeroAlpha;
    ASSERT_TRUE(zeroAlpha.Load(Fixture("bits32_zero_alpha.bmp").c_str(), 0));
    ExpectPicture(zeroAlpha, FixtureTrueColour);
    ASSERT_TRUE(zeroAlpha.HasAlpha());
    for (uint32_t i = 0; i < kWidth * kHeight; ++i) {
        ASSERT_EQ(zeroAlpha.GetAlphaPlane()[i], 255) << i;
    }
}

// Little-endian bytes of each pixel value, rows padded to 4 bytes (one row).
std::vector<uint8_t> PixelBytes(const std::vector<uint32_t>& values, int bytesEach) {
    std::vector<uint8_t> out;
    for (uint32_t v : values) {
        for (int i = 0; i < bytesEach; ++i) {
            out.push_back(static_cast<uint8_t>(v >> (8 * i)));
        }
    }
    out.resize((out.size() + 3) / 4 * 4, 0);
    return out;
}

TEST(BmpDecoder, BitFieldsOfAnyLayoutPutEachChannelsTopBitAtBitSeven) {
    // Masks red, green, blue (and alpha): each channel's bits moved so that its top
    // bit is bit 7, lower bits zero, wider fields cut to their top 8 bits; alpha
    // scaled so that its largest value is 255. Worked by hand for each pixel.
    struct Case {
        const char* what;
        uint16_t bpp;
        uint32_t headerSize;   // 56: the masks (with alpha) belong to the header
        uint32_t compression;  // 3 bit fields, 6 bit fields with alpha
        std::vector<uint32_t> masks;
        std::vector<uint32_t> pixels;
        std::vector<RgbQuad> expected;  // blue, green, red, alpha (255 without a plane)
    };
    const Case cases[] = {
        {"16-bit 2-3-1: 10 101 1", 16, 40, 3, {0x30, 0x0E, 0x01}, {0x2B}, {{128, 160, 128, 255}}},
        {"16-bit 3-10-3: 101 0010110100 101",
         16,
         40,
         3,
         {0xE000, 0x1FF8, 0x0007},
         {0xA5A5},
         {{160, 45, 160, 255}}},
        {"16-bit 5-6-5 keeps its levels times 8 and 4",
         16,
         40,
         3,
         {0xF800, 0x07E0, 0x001F},
         {0xFFFF, 0x0821},
         {{248, 252, 248, 255}, {8, 4, 8, 255}}},
        {"16-bit 4-4-4-4 with alpha in a 56-byte header",
         16,
         56,
         3,
         {0x0F00, 0x00F0, 0x000F, 0xF000},
         {0x8C3F, 0xF000},
         {{240, 48, 192, 136}, {0, 0, 0, 255}}},
        {"32-bit 4-8-4", 32, 40, 3, {0xF000, 0x0FF0, 0x000F}, {0x9A5C}, {{192, 165, 144, 255}}},
        {"32-bit 10-10-10-2 with alpha",
         32,
         40,
         6,
         {0x3FF00000, 0x000FFC00, 0x000003FF, 0xC0000000},
         {0xFFF80001, 0x40000000},
         {{0, 128, 255, 255}, {0, 0, 0, 85}}},
        {"32-bit whole bytes, red low",
         32,
         40,
         3,
         {0x0000FF, 0x00FF00, 0xFF0000},
         {0x281E140A},
         {{30, 20, 10, 255}}},
        {"32-bit alpha mask, every alpha 0: opaque",
         32,
         56,
         3,
         {0xFF0000, 0x00FF00, 0x0000FF, 0xFF000000},
         {0x00102030},
         {{48, 32, 16, 255}}},
        // Whole-byte colours beside a two-bit alpha field: the byte-copying path must
        // not take it (its alpha byte would be read from before the row).
        {"32-bit whole-byte colours, alpha 0xC0000000",
         32,
         56,
         3,
         {0xFF0000, 0x00FF00, 0x0000FF, 0xC0000000},
         {0xC0102030, 0x40000000, 0x80FFFFFF},
         {{48, 32, 16, 255}, {0, 0, 0, 85}, {255, 255, 255, 170}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> masks;
        for (uint32_t mask : c.masks) {
            masks.insert(masks.end(),
                         {static_cast<uint8_t>(mask), static_cast<uint8_t>(mask >> 8),
                          static_cast<uint8_t>(mask >> 16), static_cast<uint8_t>(mask >> 24)});
        }
        const int32_t width = static_cast<int32_t>(c.pixels.size());
        std::vector<uint8_t> bytes =
            MakeBmp(width, 1, c.bpp, c.compression, masks, PixelBytes(c.pixels, c.bpp / 8));
        bytes[14] = static_cast<uint8_t>(c.headerSize);
        PictureBMP picture;
        ASSERT_TRUE(DecodeBytes(picture, bytes)) << picture.GetLastError();
        ASSERT_EQ(picture.HasAlpha(), c.masks.size() == 4);
        for (int x = 0; x < width; ++x) {
            RgbQuad got = picture.GetPixelColor(x, 0, true);
            if (!picture.HasAlpha()) {
                got.reserved = 255;
            }
            EXPECT_EQ(got, c.expected[x])
                << "pixel " << x << ": " << int{got.blue} << " " << int{got.green} << " "
                << int{got.red} << " " << int{got.reserved};
        }
    }
}

TEST(BmpDecoder, TwoBitPixelsLoadAsFourBitIndexes) {
    // Pixels 0 1 2 3 3 (one row), four palette entries.
    const std::vector<uint8_t> palette = {10, 0, 0, 0, 0, 20, 0, 0, 0, 0, 30, 0, 40, 40, 40, 0};
    PictureBMP picture;
    ASSERT_TRUE(DecodeBytes(picture, MakeBmp(5, 1, 2, 0, palette, {0x1B, 0xC0, 0, 0})));
    EXPECT_EQ(picture.GetBpp(), 4);
    const uint8_t indexes[] = {0, 1, 2, 3, 3};
    for (int x = 0; x < 5; ++x) {
        EXPECT_EQ(picture.GetPixelIndex(x, 0), indexes[x]) << x;
    }
    EXPECT_EQ(picture.GetPaletteColor(2), (RgbQuad{0, 0, 30, 0}));
    EXPECT_EQ(picture.GetPaletteColor(4), (RgbQuad{0, 0, 0, 0}));
}

// --- detection and damaged data ---------------------------------------------------------

TEST(BmpDecoder, JpegNamedBmpLoadsByContent) {
    Picture picture;
    ASSERT_TRUE(picture.Load(Fixture("jpeg_named.bmp").c_str(), 0));
    EXPECT_EQ(picture.GetType(), 3u);
    EXPECT_EQ(picture.GetWidth(), kWidth);
    EXPECT_EQ(picture.GetHeight(), kHeight);

    StdioImageStream file(Fixture("jpeg_named.bmp").c_str(), "rb");
    ASSERT_TRUE(file.IsOpen());
    PictureBMP bmp;
    EXPECT_FALSE(bmp.Decode(&file));
    EXPECT_STREQ(bmp.GetLastError(), "Error reading BMP info");
}

TEST(BmpDecoder, RefusesHeadersAndCompressionsItCannotRead) {
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* message;
    };
    std::vector<uint8_t> twentyByteHeader = MakeBmp(1, 1, 24, 0, {}, {0, 0, 0, 0});
    twentyByteHeader[14] = 20;
    std::vector<uint8_t> zeroWidth = MakeBmp(0, 1, 24, 0, {}, {0, 0, 0, 0});
    const Case cases[] = {
        {"shorter than a file header", {'B', 'M', 0, 0}, "Not a BMP"},
        {"header size 20", twentyByteHeader, "Error reading BMP info"},
        {"3 bits per pixel", MakeBmp(4, 1, 3, 0, {}, {0, 0, 0, 0}), "Error reading BMP info"},
        {"RLE4 on 2 bits", MakeBmp(4, 1, 2, 2, {}, {0, 0, 0, 0}), "compression type not supported"},
        {"zero width", zeroWidth, "Error reading BMP info"},
        {"RLE8 on 4 bits", MakeBmp(2, 1, 4, 1, {}, {0, 1}), "compression type not supported"},
        {"bit fields on 8 bits", MakeBmp(2, 1, 8, 3, {}, {0, 1}), "compression type not supported"},
        {"RLE on 24 bits", MakeBmp(1, 1, 24, 1, {}, {0, 1}), "unknown compression"},
        {"RLE on 32 bits", MakeBmp(1, 1, 32, 2, {}, {0, 1}), "unknown compression"},
        {"300 MB of pixels", MakeBmp(100000, 1000, 24, 0, {}, {}), "PICTURE_MAX_MEMORY exceeded"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PictureBMP picture;
        EXPECT_FALSE(DecodeBytes(picture, c.bytes));
        EXPECT_STREQ(picture.GetLastError(), c.message);
        EXPECT_FALSE(picture.IsValid());
    }
}

TEST(BmpDecoder, TruncatedPixelsLeaveTheMissingRowsBlack) {
    // Two of four 24-bit rows present: the bottom two load, the top two are black.
    std::vector<uint8_t> rows = {1, 2, 3, 0, 4, 5, 6, 0};
    PictureBMP picture;
    ASSERT_TRUE(DecodeBytes(picture, MakeBmp(1, 4, 24, 0, {}, rows)));
    EXPECT_EQ(ColorFromTop(picture, 0, 3), (Rgb{3, 2, 1}));
    EXPECT_EQ(ColorFromTop(picture, 0, 2), (Rgb{6, 5, 4}));
    EXPECT_EQ(ColorFromTop(picture, 0, 1), (Rgb{0, 0, 0}));
    EXPECT_EQ(ColorFromTop(picture, 0, 0), (Rgb{0, 0, 0}));
}

TEST(BmpDecoder, HostileRunLengthDataStaysInsideThePicture) {
    const std::vector<uint8_t> palette(16 * 4, 0x40);
    const std::vector<std::vector<uint8_t>> streams = {
        {255, 7, 255, 7, 0, 0, 255, 7},              // runs far past the right edge
        {0, 2, 255, 0, 3, 9, 0, 2, 0, 255, 3, 9},    // deltas past the edge and the top
        {0, 255, 1, 2, 3},                           // absolute run cut short
        {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 4, 1, 0, 0},  // more rows than the picture has
    };
    for (uint32_t compression : {1u, 2u}) {
        for (const std::vector<uint8_t>& data : streams) {
            PictureBMP picture;
            const uint16_t bpp = compression == 1 ? 8 : 4;
            ASSERT_TRUE(DecodeBytes(picture, MakeBmp(3, 2, bpp, compression, palette, data, 16)));
            EXPECT_EQ(picture.GetWidth(), 3u);
        }
    }
}

TEST(BmpDecoder, OddSixteenBitMasksDecodeWithoutOverflow) {
    // Empty, single-bit and overlapping masks all give some colour and no fault.
    const std::vector<std::vector<uint8_t>> maskSets = {
        std::vector<uint8_t>(12, 0),
        {1, 0, 0, 0, 2, 0, 0, 0, 4, 0, 0, 0},
        {0xFF, 0xFF, 0, 0, 0xFF, 0xFF, 0, 0, 0xFF, 0xFF, 0, 0},
    };
    for (const std::vector<uint8_t>& masks : maskSets) {
        PictureBMP picture;
        ASSERT_TRUE(DecodeBytes(picture, MakeBmp(2, 1, 16, 3, masks, {0xFF, 0xFF, 0x01, 0x80})));
        EXPECT_EQ(picture.GetBpp(), 24);
    }
}

}  // namespace
