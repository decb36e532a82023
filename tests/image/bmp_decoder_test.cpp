// Windows and OS/2 bitmaps: every header form, depth and compression the decoder
// takes, against pictures drawn by tests/data/bmp/make_fixtures.py, plus damaged and
// foreign data built in memory.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "image/image_stream.h"
#include "image/image_test_support.h"
#include "image/picture.h"
#include "image/picture_bmp.h"

namespace {

using namespace image_test;

constexpr uint32_t kWidth = 13;
constexpr uint32_t kHeight = 7;

std::string Fixture(const char* name) {
    return DataFilePath("bmp", name);
}

// The generator's rules (see make_fixtures.py).
Rgb TrueColour(int x, int y) {
    return {20 * x + 5, 36 * y + 3, (17 * x + 29 * y) % 256};
}
Rgb PaletteColour(int k) {
    return {(37 * k) % 256, 255 - 5 * k, (50 * k) % 256};
}
Rgb TwoColours(int x, int y) {
    return (3 * x + y) % 5 < 2 ? Rgb{255, 255, 255} : Rgb{0, 0, 0};
}
Rgb SixteenColours(int x, int y) {
    return PaletteColour((x + 2 * y) % 12);
}
Rgb ManyColours(int x, int y) {
    return PaletteColour((7 * x + 11 * y) % 40);
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
    ASSERT_TRUE(picture.IsValid());
    ASSERT_EQ(picture.GetWidth(), kWidth);
    ASSERT_EQ(picture.GetHeight(), kHeight);
    for (uint32_t y = 0; y < kHeight; ++y) {
        for (uint32_t x = 0; x < kWidth; ++x) {
            ASSERT_EQ(ColorFromTop(picture, x, y), rule(x, y)) << "at " << x << ", " << y;
        }
    }
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
        ExpectPicture(picture, TrueColour);
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
    ExpectPicture(topDown, TrueColour);
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
    ExpectPicture(withAlpha, TrueColour);
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
    ExpectPicture(zeroAlpha, TrueColour);
    ASSERT_TRUE(zeroAlpha.HasAlpha());
    for (uint32_t i = 0; i < kWidth * kHeight; ++i) {
        ASSERT_EQ(zeroAlpha.GetAlphaPlane()[i], 255) << i;
    }
}

TEST(BmpDecoder, ThirtyTwoBitMasksPickTheBytesTheyLieIn) {
    // Compression 3 with red in the low byte and blue in the third: no alpha plane.
    std::vector<uint8_t> pixels = {10, 20, 30, 40, 50, 60, 70, 80};
    std::vector<uint8_t> masks = {0xFF, 0, 0, 0, 0, 0xFF, 0, 0, 0, 0, 0xFF, 0};
    std::vector<uint8_t> bytes = MakeBmp(2, 1, 32, 3, masks, pixels);
    PictureBMP picture;
    ASSERT_TRUE(DecodeBytes(picture, bytes));
    EXPECT_FALSE(picture.HasAlpha());
    EXPECT_EQ(ColorFromTop(picture, 0, 0), (Rgb{10, 20, 30}));
    EXPECT_EQ(ColorFromTop(picture, 1, 0), (Rgb{50, 60, 70}));
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
    std::vector<uint8_t> twoBit = MakeBmp(4, 1, 2, 0, {}, {0, 0, 0, 0});
    std::vector<uint8_t> zeroWidth = MakeBmp(0, 1, 24, 0, {}, {0, 0, 0, 0});
    const Case cases[] = {
        {"shorter than a file header", {'B', 'M', 0, 0}, "Not a BMP"},
        {"header size 20", twentyByteHeader, "Error reading BMP info"},
        {"2 bits per pixel", twoBit, "Error reading BMP info"},
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
