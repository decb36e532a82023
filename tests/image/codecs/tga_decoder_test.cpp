// Truevision TGA: image types 1, 2, 3, 9, 10 and 11 at every depth, the descriptor's
// row order and mirror bits, and run-length packets that cross rows, against
// pictures drawn by tests/data/tga/make_fixtures.py; damaged data built in memory.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "image/codecs/picture_tga.h"
#include "image/image_stream.h"
#include "image/image_test_support.h"
#include "image/picture.h"

namespace {

using namespace image_test;

constexpr uint32_t kWidth = 13;
constexpr uint32_t kHeight = 7;

std::string Fixture(const char* name) {
    return DataFilePath("tga", name);
}

// The generator's rules (see make_fixtures.py); y counts from the top.
int Alpha(int x) {
    return std::min(40 * x + 10, 255);
}
int Grey(int x, int y) {
    return (19 * x + 31 * y) % 256;
}
Rgb ManyColours(int x, int y) {
    return FixturePaletteColour((7 * x + 11 * y) % 40);
}
// 5-bit levels come back multiplied by 8.
Rgb Levels555(int x, int y) {
    return {((2 * x + y) % 32) * 8, ((x + 3 * y) % 32) * 8, (((31 - x - y) % 32 + 32) % 32) * 8};
}
// Bands run in file order (bottom row first), five pixels each, across row ends.
int BandIndex(int x, int y) {
    return ((6 - y) * 13 + x) / 5 % 12;
}
Rgb Band(int x, int y) {
    return FixturePaletteColour(BandIndex(x, y));
}

template <typename Rule>
void ExpectPicture(const Picture& picture, Rule rule) {
    ExpectPictureFromTop(picture, kWidth, kHeight, rule);
}

Picture* LoadTga(Picture& picture, const char* name) {
    EXPECT_TRUE(picture.Load(Fixture(name).c_str(), 0)) << name;
    EXPECT_EQ(picture.GetType(), 7u) << name;
    return &picture;
}

// An 18-byte header followed by the given bytes.
std::vector<uint8_t> MakeTga(uint8_t type, uint16_t width, uint16_t height, uint8_t depth,
                             const std::vector<uint8_t>& data, uint16_t mapLength = 0) {
    std::vector<uint8_t> out(18 + data.size(), 0);
    out[1] = mapLength ? 1 : 0;
    out[2] = type;
    out[5] = static_cast<uint8_t>(mapLength);
    out[6] = static_cast<uint8_t>(mapLength >> 8);
    out[7] = 24;
    out[12] = static_cast<uint8_t>(width);
    out[13] = static_cast<uint8_t>(width >> 8);
    out[14] = static_cast<uint8_t>(height);
    out[15] = static_cast<uint8_t>(height >> 8);
    out[16] = depth;
    std::copy(data.begin(), data.end(), out.begin() + 18);
    return out;
}

TEST(TgaDecoder, ColourMappedTypesTakeTheirColourMap) {
    for (const char* name : {"type1_8.tga", "type9_8.tga"}) {
        SCOPED_TRACE(name);
        Picture picture;
        LoadTga(picture, name);
        EXPECT_EQ(picture.GetBpp(), 8);
        ExpectPicture(picture, ManyColours);
    }
    Picture picture;
    LoadTga(picture, "type9_8.tga");
    EXPECT_EQ(ColorFromTop(picture, 1, 0), (Rgb{3, 220, 94}));
}

TEST(TgaDecoder, FifteenBitColourMapFillsThePaletteFromItsFirstIndex) {
    // Map entry k (k < 12) is red k, green 31 - k, blue 2k in 5-bit levels and
    // describes palette entry k + 4; the pixels are band indexes + 4.
    Picture picture;
    LoadTga(picture, "type9_8_map15.tga");
    ExpectPicture(picture, [](int x, int y) {
        const int k = BandIndex(x, y);
        return Rgb{k * 8, (31 - k) * 8, 2 * k * 8};
    });
    EXPECT_EQ(picture.GetPixelIndex(0, 0), 4);
    EXPECT_EQ(picture.GetPaletteColor(5), (RgbQuad{16, 240, 8, 0}));
}

TEST(TgaDecoder, GreyTypesGetTheGreyPalette) {
    for (const char* name : {"type3_8.tga", "type11_8.tga"}) {
        SCOPED_TRACE(name);
        Picture picture;
        LoadTga(picture, name);
        EXPECT_EQ(picture.GetBpp(), 8);
        EXPECT_TRUE(picture.IsGrayScale());
        ExpectPicture(picture, [](int x, int y) {
            const int v = Grey(x, y);
            return Rgb{v, v, v};
        });
        EXPECT_EQ(picture.GetPixelIndex(1, kHeight - 1 - 1), 50);
    }
}

TEST(TgaDecoder, TrueColourTypesAtTwentyFourAndThirtyTwoBits) {
    for (const char* name : {"type2_24.tga", "type10_24.tga", "type2_32.tga", "type10_32.tga"}) {
        SCOPED_TRACE(name);
        Picture picture;
        LoadTga(picture, name);
        EXPECT_EQ(picture.GetBpp(), 24);
        ExpectPicture(picture, FixtureTrueColour);
        EXPECT_EQ(ColorFromTop(picture, 12, 6), (Rgb{245, 219, 122}));
        const bool thirtyTwo = std::string(name).find("_32") != std::string::npos;
        ASSERT_EQ(picture.HasAlpha(), thirtyTwo);
        if (thirtyTwo) {
            for (uint32_t y = 0; y < kHeight; ++y) {
                for (uint32_t x = 0; x < kWidth; ++x) {
                    ASSERT_EQ(AlphaFromTop(picture, x, y), Alpha(x)) << x << ", " << y;
                }
            }
            EXPECT_EQ(AlphaFromTop(picture, 3, 0), 130);
        }
    }
}

TEST(TgaDecoder, FifteenAndSixteenBitPixelsIgnoreTheTopBit) {
    for (const char* name : {"type2_16.tga", "type10_15.tga"}) {
        SCOPED_TRACE(name);
        Picture picture;
        LoadTga(picture, name);
        EXPECT_EQ(picture.GetBpp(), 24);
        EXPECT_FALSE(picture.HasAlpha());
        ExpectPicture(picture, Levels555);
        EXPECT_EQ(ColorFromTop(picture, 0, 0), (Rgb{0, 0, 248}));
    }
}

TEST(TgaDecoder, SixteenBitGreyIsAGreyLevelAndAnAlphaValue) {
    // Two pixels, each a grey level then an alpha value: raw, and as one literal
    // packet and one repeat packet.
    const std::vector<uint8_t> raw = MakeTga(3, 3, 1, 16, {10, 200, 30, 0, 255, 255});
    const std::vector<uint8_t> runs = MakeTga(11, 3, 1, 16, {0x00, 10, 200, 0x81, 30, 0});
    const std::vector<int> greys[] = {{10, 30, 255}, {10, 30, 30}};
    const std::vector<int> alphas[] = {{200, 0, 255}, {200, 0, 0}};
    int i = 0;
    for (const std::vector<uint8_t>& bytes : {raw, runs}) {
        SCOPED_TRACE(i == 0 ? "type 3" : "type 11");
        PictureTGA picture;
        MemoryImageStream stream(bytes.data(), bytes.size());
        ASSERT_TRUE(picture.Decode(&stream)) << picture.GetLastError();
        EXPECT_EQ(picture.GetBpp(), 8);
        EXPECT_TRUE(picture.IsGrayScale());
        ASSERT_TRUE(picture.HasAlpha());
        for (uint32_t x = 0; x < 3; ++x) {
            EXPECT_EQ(picture.GetPixelIndex(x, 0), greys[i][x]) << x;
            EXPECT_EQ(AlphaFromTop(picture, x, 0), alphas[i][x]) << x;
        }
        ++i;
    }
}

TEST(TgaDecoder, ColourMapOfEightBitEntriesHoldsGreys) {
    // Map entries 0, 100, 255; pixels 1 and 2.
    std::vector<uint8_t> bytes = MakeTga(1, 2, 1, 8, {0, 100, 255, 1, 2}, 3);
    bytes[7] = 8;
    PictureTGA picture;
    MemoryImageStream stream(bytes.data(), bytes.size());
    ASSERT_TRUE(picture.Decode(&stream)) << picture.GetLastError();
    EXPECT_EQ(ColorFromTop(picture, 0, 0), (Rgb{100, 100, 100}));
    EXPECT_EQ(ColorFromTop(picture, 1, 0), (Rgb{255, 255, 255}));
}

TEST(TgaDecoder, RowOrderBitClearStoresTheFirstFileRowAtTheBottom) {
    const std::vector<uint8_t> file = ReadFileBytes(Fixture("type2_24_bottom_first.tga"));
    ASSERT_GT(file.size(), 18u + kWidth * 3);
    ASSERT_EQ(file[17] & 0x30, 0);
    Picture picture;
    LoadTga(picture, "type2_24_bottom_first.tga");
    ExpectPicture(picture, FixtureTrueColour);
    EXPECT_TRUE(std::equal(file.begin() + 18, file.begin() + 18 + kWidth * 3, picture.GetBits(0)));
}

TEST(TgaDecoder, DescriptorBitsFlipAndMirrorToTheSamePicture) {
    for (const char* name :
         {"type2_24_top_first.tga", "type2_24_mirrored.tga", "type2_24_top_first_mirrored.tga"}) {
        SCOPED_TRACE(name);
        Picture picture;
        LoadTga(picture, name);
        ExpectPicture(picture, FixtureTrueColour);
    }
}

TEST(TgaDecoder, RunLengthPacketsContinueAcrossRows) {
    Picture bottomFirst;
    LoadTga(bottomFirst, "type10_24_bands.tga");
    ExpectPicture(bottomFirst, Band);
    // The bottom row ends inside band 2, which goes on at the start of the next row.
    EXPECT_EQ(ColorFromTop(bottomFirst, 12, 6), (Rgb{74, 245, 100}));
    EXPECT_EQ(ColorFromTop(bottomFirst, 1, 5), (Rgb{74, 245, 100}));

    // 32 bits, top row first: the alpha plane turns with the rows.
    Picture topFirst;
    LoadTga(topFirst, "type10_32_bands_top_first.tga");
    ExpectPicture(topFirst, Band);
    ASSERT_TRUE(topFirst.HasAlpha());
    for (uint32_t y = 0; y < kHeight; ++y) {
        for (uint32_t x = 0; x < kWidth; ++x) {
            ASSERT_EQ(AlphaFromTop(topFirst, x, y), Alpha(x));
        }
    }
}

TEST(TgaDecoder, RefusesDamagedHeadersWithTheirMessages) {
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* message;
    };
    std::vector<uint8_t> longMap = MakeTga(1, 2, 2, 8, {}, 257);
    std::vector<uint8_t> mapOf12Bits = MakeTga(1, 2, 2, 8, {}, 2);
    mapOf12Bits[7] = 12;
    const Case cases[] = {
        {"shorter than a header", std::vector<uint8_t>(17, 0), "Not a TGA"},
        {"image type 0", MakeTga(0, 2, 2, 24, {}), "Unknown TGA image type"},
        {"image type 32", MakeTga(32, 2, 2, 24, {}), "Unknown TGA image type"},
        {"zero width", MakeTga(2, 0, 2, 24, {}), "bad TGA header"},
        {"zero height", MakeTga(2, 2, 0, 24, {}), "bad TGA header"},
        {"12 bits per pixel", MakeTga(2, 2, 2, 12, {}), "bad TGA header"},
        {"257 map entries", longMap, "bad TGA header"},
        {"12-bit map entries", mapOf12Bits, "bad TGA header"},
        {"too large", MakeTga(2, 65535, 65535, 32, {}), "TGA Create failed"},
        {"pixels cut short", MakeTga(2, 2, 2, 24, std::vector<uint8_t>(9, 7)), "corrupted TGA"},
        {"packets cut short", MakeTga(10, 2, 2, 24, {0x82, 1, 2, 3}), "corrupted TGA"},
        {"literal packet cut short", MakeTga(10, 2, 2, 24, {0x03, 1, 2, 3, 4}), "corrupted TGA"},
        {"colour map cut short", MakeTga(1, 2, 2, 8, {1, 2, 3}, 2), "corrupted TGA"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PictureTGA picture;
        MemoryImageStream stream(c.bytes.data(), c.bytes.size());
        EXPECT_FALSE(picture.Decode(&stream));
        EXPECT_STREQ(picture.GetLastError(), c.message);
        EXPECT_FALSE(picture.IsValid());
    }
}

TEST(TgaDecoder, RunLengthPacketsLongerThanThePictureStopAtItsEnd) {
    // One packet of 128 grey pixels for a 2 x 2 picture.
    const std::vector<uint8_t> bytes = MakeTga(11, 2, 2, 8, {0xFF, 77});
    PictureTGA picture;
    MemoryImageStream stream(bytes.data(), bytes.size());
    ASSERT_TRUE(picture.Decode(&stream));
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 2; ++x) {
            EXPECT_EQ(picture.GetPixelIndex(x, y), 77);
        }
    }
}

}  // namespace
