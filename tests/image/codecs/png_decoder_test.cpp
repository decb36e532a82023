// PNG decoding: every colour type and bit depth against the rule the fixture
// script drew with (exact), transparency chunks, physical size, and damaged or
// foreign input.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "image/codecs/picture_png.h"
#include "image/image_stream.h"
#include "image/image_test_support.h"
#include "image/picture.h"

namespace {

using namespace image_test;

std::string PngFixture(const std::string& name) {
    return DataFilePath("png", name);
}

// The drawing rules of make_fixtures.sh; x from the left, y from the top.
int GreyLevel(int x, int y, int depth) {
    return (3 * x + 5 * y) % (1 << depth);
}
int Wide(int x, int y) {
    return (9000 * x + 3001 * y) % 65536;
}
RgbQuad Rgb8(int x, int y) {
    return RgbQuad{static_cast<uint8_t>((71 * x + 3 * y + 100) % 256),
                   static_cast<uint8_t>((5 * x + 50 * y) % 256),
                   static_cast<uint8_t>((37 * x + 11 * y) % 256), 0};
}
RgbQuad Rgb16HighBytes(int x, int y) {
    return RgbQuad{static_cast<uint8_t>(((777 * x + 8888 * y + 40000) % 65536) >> 8),
                   static_cast<uint8_t>(((1234 * x + 4321 * y + 500) % 65536) >> 8),
                   static_cast<uint8_t>(Wide(x, y) >> 8), 0};
}
uint8_t Alpha8(int x, int y) {
    return static_cast<uint8_t>((30 * x + 40 * y) % 256);
}
RgbQuad PaletteColor(int k) {
    return RgbQuad{static_cast<uint8_t>(k * 91 % 256), static_cast<uint8_t>(255 - k),
                   static_cast<uint8_t>(k * 37 % 256), 0};
}

// Pixel at (x, y from the top), colour only.
RgbQuad ColorAt(const Picture& picture, int x, int y) {
    return picture.GetPixelColor(x, picture.GetHeight() - 1 - y, false);
}

Picture* LoadPng(Picture& picture, const std::string& name) {
    EXPECT_TRUE(picture.Load(PngFixture(name).c_str(), 0))
        << name << ": " << picture.GetLastError();
    EXPECT_EQ(picture.GetType(), 4u) << name;
    return picture.IsValid() ? &picture : nullptr;
}

template <typename Expected>
void ExpectEveryPixel(const Picture& picture, Expected expected) {
    for (int y = 0; y < static_cast<int>(picture.GetHeight()); ++y) {
        for (int x = 0; x < static_cast<int>(picture.GetWidth()); ++x) {
            ASSERT_EQ(ColorAt(picture, x, y), expected(x, y)) << "x " << x << " y " << y;
        }
    }
}

TEST(PngDecoder, GreyOfEveryDepthKeepsLevelsAsIndexes) {
    struct Case {
        int depth;
        uint16_t bpp;
        uint8_t greyOfLevelThree;
    };
    for (const Case c : {Case{1, 1, 255}, Case{2, 4, 255}, Case{4, 4, 51}, Case{8, 8, 3}}) {
        SCOPED_TRACE(c.depth);
        Picture picture;
        ASSERT_TRUE(LoadPng(picture, "grey" + std::to_string(c.depth) + ".png"));
        EXPECT_EQ(picture.GetBpp(), c.bpp);
        const int levels = 1 << c.depth;
        const int top = std::min(levels, 4) - 1;
        EXPECT_EQ(picture.GetPaletteColor(top).red, c.depth == 1 ? 255 : c.greyOfLevelThree);
        for (int y = 0; y < 5; ++y) {
            for (int x = 0; x < 7; ++x) {
                const int level = GreyLevel(x, y, c.depth);
                ASSERT_EQ(picture.GetPixelIndex(x, 4 - y), level) << x << "," << y;
                const uint8_t grey = static_cast<uint8_t>(level * 255 / (levels - 1));
                ASSERT_EQ(ColorAt(picture, x, y), (RgbQuad{grey, grey, grey, 0}));
            }
        }
    }
    // Two-bit grey is widened to four bits: pixel (1, 0) is level 3, pixel (2, 0)
    // level 2; the second stored byte of the top row holds pixels 2 and 3.
    Picture grey2;
    ASSERT_TRUE(LoadPng(grey2, "grey2.png"));
    EXPECT_EQ(grey2.GetBits(4)[0], 0x03);
    EXPECT_EQ(grey2.GetBits(4)[1], 0x21);
    EXPECT_EQ(grey2.GetPaletteColor(1), (RgbQuad{85, 85, 85, 0}));
}

TEST(PngDecoder, SixteenBitSamplesKeepTheirHighByte) {
    Picture grey;
    ASSERT_TRUE(LoadPng(grey, "grey16.png"));
    EXPECT_EQ(grey.GetBpp(), 8);
    EXPECT_TRUE(grey.IsGrayScale());
    // Pixel (1, 1): 9000 + 3001 = 12001 = 0x2EE1.
    EXPECT_EQ(grey.GetPixelIndex(1, 3), 0x2E);
    ExpectEveryPixel(grey, [](int x, int y) {
        const uint8_t level = static_cast<uint8_t>(Wide(x, y) >> 8);
        return RgbQuad{level, level, level, 0};
    });

    Picture rgb;
    ASSERT_TRUE(LoadPng(rgb, "rgb16.png"));
    EXPECT_EQ(rgb.GetBpp(), 24);
    ExpectEveryPixel(rgb, Rgb16HighBytes);
}

TEST(PngDecoder, ColourRowsAreStoredBottomUpInBlueGreenRedOrder) {
    for (const char* name : {"rgb8.png", "rgb8_interlaced.png"}) {
        SCOPED_TRACE(name);
        Picture picture;
        ASSERT_TRUE(LoadPng(picture, name));
        EXPECT_EQ(picture.GetBpp(), 24);
        EXPECT_FALSE(picture.HasAlpha());
        ExpectEveryPixel(picture, Rgb8);
    }
    Picture picture;
    ASSERT_TRUE(LoadPng(picture, "rgb8.png"));
    // Top-left pixel: red 0, green 0, blue 100; its right neighbour 37, 5, 171.
    const uint8_t expectedTopRow[] = {100, 0, 0, 171, 5, 37};
    EXPECT_EQ(std::vector<uint8_t>(picture.GetBits(4), picture.GetBits(4) + 6),
              std::vector<uint8_t>(std::begin(expectedTopRow), std::end(expectedTopRow)));
    EXPECT_EQ(picture.GetBits(4)[21], 0);  // padding after 7 pixels
}

TEST(PngDecoder, AlphaSamplesGoToTheAlphaPlane) {
    for (const char* name : {"rgba8.png", "rgba8_interlaced.png"}) {
        SCOPED_TRACE(name);
        Picture picture;
        ASSERT_TRUE(LoadPng(picture, name));
        EXPECT_EQ(picture.GetBpp(), 24);
        ASSERT_TRUE(picture.HasAlpha());
        ExpectEveryPixel(picture, Rgb8);
        for (int y = 0; y < static_cast<int>(picture.GetHeight()); ++y) {
            for (int x = 0; x < static_cast<int>(picture.GetWidth()); ++x) {
                ASSERT_EQ(AlphaFromTop(picture, x, y), Alpha8(x, y)) << x << "," << y;
            }
        }
    }

    Picture rgba16;
    ASSERT_TRUE(LoadPng(rgba16, "rgba16.png"));
    ExpectEveryPixel(rgba16, Rgb16HighBytes);
    EXPECT_EQ(AlphaFromTop(rgba16, 1, 1), (30000 + 7000) >> 8);

    Picture greyAlpha;
    ASSERT_TRUE(LoadPng(greyAlpha, "greyalpha8.png"));
    EXPECT_EQ(greyAlpha.GetBpp(), 8);
    EXPECT_TRUE(greyAlpha.IsGrayScale());
    ASSERT_TRUE(greyAlpha.HasAlpha());
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 7; ++x) {
            ASSERT_EQ(greyAlpha.GetPixelIndex(x, 4 - y), (37 * x + 11 * y) % 256);
            ASSERT_EQ(AlphaFromTop(greyAlpha, x, y), Alpha8(x, y));
        }
    }

    Picture greyAlpha16;
    ASSERT_TRUE(LoadPng(greyAlpha16, "greyalpha16.png"));
    EXPECT_EQ(greyAlpha16.GetPixelIndex(1, 3), 0x2E);
    EXPECT_EQ(AlphaFromTop(greyAlpha16, 1, 1), (1234 + 4321 + 500) >> 8);
}

TEST(PngDecoder, PalettesOfEveryDepthKeepTheirColours) {
    struct Case {
        const char* file;
        int colors;
        uint16_t bpp;
        uint32_t colorsImportant;
    };
    const Case cases[] = {
        {"palette1.png", 2, 1, 2},
        {"palette2.png", 4, 4, 4},
        {"palette2_interlaced.png", 4, 4, 4},
        {"palette4.png", 16, 4, 16},
        {"palette8.png", 40, 8, 21},  // 9 x 7 pixels use colours 0 to 20
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        Picture picture;
        ASSERT_TRUE(LoadPng(picture, c.file));
        EXPECT_EQ(picture.GetBpp(), c.bpp);
        EXPECT_EQ(picture.GetColorsImportant(), c.colorsImportant);
        EXPECT_FALSE(picture.IsAlphaPaletteEnabled());
        const int colors = c.colors;
        ExpectEveryPixel(picture,
                         [colors](int x, int y) { return PaletteColor((x + 2 * y) % colors); });
    }
}

TEST(PngDecoder, PaletteTransparencyMarksIndexOrAlphaEntries) {
    Picture binary;
    ASSERT_TRUE(LoadPng(binary, "palette_transparent.png"));
    EXPECT_EQ(binary.GetTransparentIndex(), 0);
    EXPECT_FALSE(binary.IsAlphaPaletteEnabled());

    Picture partial;
    ASSERT_TRUE(LoadPng(partial, "palette_alpha.png"));
    EXPECT_EQ(partial.GetTransparentIndex(), -1);
    EXPECT_TRUE(partial.IsAlphaPaletteEnabled());
    EXPECT_EQ(partial.GetPaletteColor(0), (RgbQuad{0, 255, 0, 0}));
    EXPECT_EQ(partial.GetPaletteColor(1), (RgbQuad{91, 254, 37, 128}));
    EXPECT_EQ(partial.GetPaletteColor(2).reserved, 255);

    // A single entry that is not zero is an alpha value, not "index 0 is clear".
    Picture single;
    ASSERT_TRUE(LoadPng(single, "palette_single_alpha.png"));
    EXPECT_EQ(single.GetTransparentIndex(), -1);
    EXPECT_TRUE(single.IsAlphaPaletteEnabled());
    EXPECT_EQ(single.GetPaletteColor(0).reserved, 128);
    EXPECT_EQ(single.GetPaletteColor(5).reserved, 255);
}

// A fixture with one more chunk before its image data, with a correct checksum.
std::vector<uint8_t> WithChunkBeforeImageData(const std::string& name, const char* type,
                                              const std::vector<uint8_t>& body) {
    std::vector<uint8_t> data = ReadFileBytes(PngFixture(name));
    size_t at = 8;
    while (at + 8 <= data.size() &&
           std::string(data.begin() + at + 4, data.begin() + at + 8) != "IDAT") {
        at += 12 + (size_t{data[at]} << 24 | size_t{data[at + 1]} << 16 |
                    size_t{data[at + 2]} << 8 | data[at + 3]);
    }
    // Length (big-endian), type, body, checksum of type and body.
    std::vector<uint8_t> chunk(12 + body.size(), 0);
    chunk[3] = static_cast<uint8_t>(body.size());
    for (size_t k = 0; k < 4; ++k) {
        chunk[4 + k] = static_cast<uint8_t>(type[k]);
    }
    std::copy(body.begin(), body.end(), chunk.begin() + 8);
    const uLong crc = crc32(0, chunk.data() + 4, static_cast<uInt>(4 + body.size()));
    for (size_t k = 0; k < 4; ++k) {
        chunk[8 + body.size() + k] = static_cast<uint8_t>(crc >> (24 - 8 * k));
    }
    data.insert(data.begin() + static_cast<std::ptrdiff_t>(at), chunk.begin(), chunk.end());
    return data;
}

TEST(PngDecoder, GreyAndColourTransparencyScaleToEightBits) {
    struct Case {
        const char* what;
        std::vector<uint8_t> file;
        int32_t transparentIndex;
        RgbQuad transparentColor;
    };
    const Case cases[] = {
        {"grey 8 bits, level 13", ReadFileBytes(PngFixture("grey8_trns.png")), 13, {}},
        {"grey 16 bits, level 0x1234", ReadFileBytes(PngFixture("grey16_trns.png")), 0x12, {}},
        {"grey 4 bits, level 5", WithChunkBeforeImageData("grey4.png", "tRNS", {0, 5}), 5, {}},
        // A level past what 4 or 8 bits can hold matches no pixel.
        {"grey 4 bits, level 16", WithChunkBeforeImageData("grey4.png", "tRNS", {0, 16}), -1, {}},
        {"grey 8 bits, level 300", WithChunkBeforeImageData("grey8.png", "tRNS", {1, 44}), -1, {}},
        {"colour 8 bits", ReadFileBytes(PngFixture("rgb8_trns.png")), 0, {0x91, 0x37, 0x25, 0}},
        {"colour 16 bits", ReadFileBytes(PngFixture("rgb16_trns.png")), 0, {0xEF, 0xCD, 0xAB, 0}},
        {"no transparency", ReadFileBytes(PngFixture("rgb8.png")), -1, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PicturePNG picture;
        MemoryImageStream stream(c.file.data(), c.file.size());
        ASSERT_TRUE(picture.Decode(&stream)) << picture.GetLastError();
        EXPECT_EQ(picture.GetTransparentIndex(), c.transparentIndex);
        EXPECT_EQ(picture.GetTransparentColor(), c.transparentColor);
    }
}

TEST(PngDecoder, PhysicalSizeSetsResolution) {
    Picture metric;
    ASSERT_TRUE(LoadPng(metric, "rgb8_300dpi.png"));  // 11811 per metre
    EXPECT_EQ(metric.GetXDpi(), 300);
    EXPECT_EQ(metric.GetYDpi(), 300);

    Picture aspect;
    ASSERT_TRUE(LoadPng(aspect, "rgb8_aspect.png"));  // unit 0: as it stands
    EXPECT_EQ(aspect.GetXDpi(), 2);
    EXPECT_EQ(aspect.GetYDpi(), 3);

    Picture none;
    ASSERT_TRUE(LoadPng(none, "rgb8.png"));
    EXPECT_EQ(none.GetXDpi(), 96);
}

TEST(PngDecoder, ForeignAndTruncatedFilesFail) {
    Picture foreign;
    EXPECT_FALSE(foreign.Load(PngFixture("not_png.png").c_str(), 4));
    EXPECT_STREQ(foreign.GetLastError(), "Not a PNG file");

    Picture truncated;
    EXPECT_FALSE(truncated.Load(PngFixture("truncated.png").c_str(), 4));
    EXPECT_FALSE(truncated.IsValid());
    EXPECT_STREQ(truncated.GetLastError(), "Read Error");
}

// Rewrites the IHDR of a fixture, with a correct checksum.
std::vector<uint8_t> WithDimensions(std::vector<uint8_t> data, uint32_t width, uint32_t height) {
    uint8_t* ihdr = data.data() + 8 + 8;
    for (int i = 0; i < 4; ++i) {
        ihdr[i] = static_cast<uint8_t>(width >> (24 - 8 * i));
        ihdr[4 + i] = static_cast<uint8_t>(height >> (24 - 8 * i));
    }
    const uLong crc = crc32(0, data.data() + 12, 4 + 13);
    for (int i = 0; i < 4; ++i) {
        ihdr[13 + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
    }
    return data;
}

TEST(PngDecoder, HugeDimensionsAreRefusedBeforeAllocating) {
    const std::vector<uint8_t> data =
        WithDimensions(ReadFileBytes(PngFixture("rgb8.png")), 100000, 100000);
    MemoryImageStream stream(data.data(), data.size());
    PicturePNG decoder;
    EXPECT_FALSE(decoder.Decode(&stream));
    EXPECT_STREQ(decoder.GetLastError(), "PICTURE_MAX_MEMORY exceeded");
}

TEST(PngDecoder, MissingEndChunkAfterCompleteRowsStillLoads) {
    std::vector<uint8_t> data = ReadFileBytes(PngFixture("rgb8.png"));
    ASSERT_GT(data.size(), 12u);
    data.resize(data.size() - 12);  // drop IEND
    MemoryImageStream stream(data.data(), data.size());
    PicturePNG decoder;
    ASSERT_TRUE(decoder.Decode(&stream)) << decoder.GetLastError();
    ExpectEveryPixel(decoder, Rgb8);
}

TEST(PngDecoder, EscapeValueCancelsDecoding) {
    Picture picture;
    picture.SetEscape(1);
    EXPECT_FALSE(picture.Load(PngFixture("rgb8.png").c_str(), 4));
    EXPECT_STREQ(picture.GetLastError(), "Cancelled");
}

}  // namespace
