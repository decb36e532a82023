// ICO and CUR decoding: icons written by ImageMagick and byte-exact variants written
// by tests/data/ico/make_fixtures.py (AND masks, cursors, damaged entries).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "image/image_stream.h"
#include "image/image_test_support.h"
#include "image/picture.h"

namespace {

using namespace image_test;

std::string FixturePath(const char* name) {
    return DataFilePath("ico", name);
}

std::vector<uint8_t> ReadFixture(const char* name) {
    return ReadFileBytes(FixturePath(name));
}

bool DecodeIco(Picture& picture, const std::vector<uint8_t>& bytes) {
    return DecodeBytes(picture, bytes, kFormatIco);
}

// --- entries -----------------------------------------------------------------------

TEST(IcoDecoder, FirstOfSeveralEntriesLoadsByContentAndAllAreCounted) {
    Picture picture;
    ASSERT_TRUE(picture.Load(FixturePath("three_entries.ico").c_str(), kFormatUnknown))
        << picture.GetLastError();
    EXPECT_EQ(picture.GetType(), 5u);
    EXPECT_EQ(picture.GetFrameCount(), 3);
    EXPECT_EQ(picture.GetWidth(), 16u);
    EXPECT_EQ(picture.GetHeight(), 16u);
    EXPECT_EQ(picture.GetBpp(), 24);  // ImageMagick wrote 32 bits
    EXPECT_RGB(ColorFromTop(picture, 0, 0), 255, 0, 0);
    EXPECT_RGB(ColorFromTop(picture, 4, 0), 255, 255, 255);
    EXPECT_EQ(
        CountMismatches(picture,
                        [](uint32_t x, uint32_t y) {
                            return (x / 4 + y / 4) % 2 == 0 ? Rgb{255, 0, 0} : Rgb{255, 255, 255};
                        }),
        0);
}

TEST(IcoDecoder, FrameNumberChoosesTheEntry) {
    Picture ramp;
    ramp.SetFrameNumber(1);
    ASSERT_TRUE(ramp.Load(FixturePath("three_entries.ico").c_str(), kFormatIco));
    EXPECT_EQ(ramp.GetWidth(), 32u);
    EXPECT_EQ(ramp.GetFrameNumber(), 1);
    EXPECT_EQ(ramp.GetFrameCount(), 3);
    EXPECT_RGB(ColorFromTop(ramp, 31, 2), 248, 16, 128);
    EXPECT_EQ(CountMismatches(ramp,
                              [](uint32_t x, uint32_t y) {
                                  return Rgb{static_cast<int>(x * 8), static_cast<int>(y * 8), 128};
                              }),
              0);

    Picture beyond;
    beyond.SetFrameNumber(3);
    EXPECT_FALSE(DecodeIco(beyond, ReadFixture("three_entries.ico")));
    EXPECT_STREQ(beyond.GetLastError(), "ICO frame number out of range");
    EXPECT_FALSE(beyond.IsValid());
}

TEST(IcoDecoder, PngEntryIsDecodedAsPngAndTypedIco) {
    Picture picture;
    picture.SetFrameNumber(2);
    ASSERT_TRUE(picture.Load(FixturePath("three_entries.ico").c_str(), kFormatUnknown))
        << picture.GetLastError();
    EXPECT_EQ(picture.GetType(), 5u);
    EXPECT_EQ(picture.GetFrameCount(), 3);
    EXPECT_EQ(picture.GetWidth(), 256u);
    EXPECT_EQ(picture.GetHeight(), 256u);
    EXPECT_RGB(ColorFromTop(picture, 10, 200), 10, 200, 245);
    EXPECT_EQ(
        CountMismatches(
            picture,
            [](uint32_t x, uint32_t y) {
                return Rgb{static_cast<int>(x), static_cast<int>(y), 255 - static_cast<int>(x)};
            }),
        0);
}

TEST(IcoDecoder, PngEntryThatFailsIsAFailureNotAnEmptySuccess) {
    Picture picture;
    EXPECT_FALSE(DecodeIco(picture, ReadFixture("broken_png_entry.ico")));
    EXPECT_FALSE(picture.IsValid());
    EXPECT_NE(picture.GetErrorCode(), PictureError::kNone);
    EXPECT_STRNE(picture.GetLastError(), "");
}

TEST(IcoDecoder, WidthAndHeightBytesOfZeroMean256) {
    Picture picture;
    ASSERT_TRUE(DecodeIco(picture, ReadFixture("bitmap_256.ico"))) << picture.GetLastError();
    EXPECT_EQ(picture.GetWidth(), 256u);
    EXPECT_EQ(picture.GetHeight(), 256u);
    EXPECT_EQ(picture.GetBpp(), 1);
    EXPECT_RGB(ColorFromTop(picture, 7, 7), 0, 0, 255);
    EXPECT_EQ(CountMismatches(picture,
                              [](uint32_t x, uint32_t y) {
                                  return x == y ? Rgb{0, 0, 255} : Rgb{0, 0, 0};
                              }),
              0);
}

TEST(IcoDecoder, CursorLoadsLikeAnIcon) {
    Picture picture;
    ASSERT_TRUE(picture.Load(FixturePath("arrow.cur").c_str(), kFormatUnknown))
        << picture.GetLastError();
    EXPECT_EQ(picture.GetType(), 5u);
    EXPECT_EQ(picture.GetBpp(), 24);
    EXPECT_RGB(ColorFromTop(picture, 0, 0), 0, 0, 0);
    EXPECT_RGB(ColorFromTop(picture, 1, 0), 255, 255, 255);
    EXPECT_RGB(ColorFromTop(picture, 0, 1), 255, 255, 255);
    EXPECT_FALSE(picture.HasAlpha());
    EXPECT_EQ(picture.GetTransparentIndex(), -1);
}

// --- alpha and masks -------------------------------------------------------------------

TEST(IcoDecoder, ThirtyTwoBitEntryKeepsItsAlphaChannel) {
    Picture picture;
    ASSERT_TRUE(picture.Load(FixturePath("alpha32.ico").c_str(), kFormatUnknown));
    EXPECT_EQ(picture.GetBpp(), 24);
    ASSERT_TRUE(picture.HasAlpha());
    for (uint32_t y = 0; y < 16; ++y) {
        for (uint32_t x = 0; x < 16; ++x) {
            EXPECT_EQ(AlphaFromTop(picture, x, y), x * 17) << x << "," << y;
            if (x > 0) {
                EXPECT_RGB(ColorFromTop(picture, x, y), 0, 0, 255);
            }
        }
    }
    EXPECT_EQ(picture.GetTransparentIndex(), -1);
}

TEST(IcoDecoder, MaskedPixelsOfOneColourNoOtherPixelHasMakeItTheTransparentColour) {
    struct Case {
        const char* fixture;
        Rgb transparent;
        uint32_t x, y;  // a visible pixel, y from the top
        Rgb visible;
    };
    const Case cases[] = {
        {"mask_one_color_24.ico", {255, 0, 255}, 3, 2, {180, 120, 7}},
        // Every alpha byte 0: the picture is opaque but for the one masked pixel.
        {"alpha_zero_32.ico", {140, 150, 60}, 0, 0, {40, 50, 60}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.fixture);
        Picture picture;
        ASSERT_TRUE(DecodeIco(picture, ReadFixture(test.fixture)));
        EXPECT_FALSE(picture.HasAlpha());
        EXPECT_EQ(picture.GetTransparentIndex(), 0);
        const RgbQuad transparent = picture.GetTransparentColor();
        EXPECT_EQ((Rgb{transparent.red, transparent.green, transparent.blue}), test.transparent);
        EXPECT_EQ(ColorFromTop(picture, test.x, test.y), test.visible);
    }
}

TEST(IcoDecoder, MaskEntirelySetGivesTheNegativeWithTransparentIndexZero) {
    Picture palette;
    ASSERT_TRUE(DecodeIco(palette, ReadFixture("mask_all_set.ico")));
    EXPECT_EQ(palette.GetBpp(), 8);
    EXPECT_EQ(palette.GetTransparentIndex(), 0);
    EXPECT_RGB(ColorFromTop(palette, 0, 0), 55, 225, 215);  // 255 - (200, 30, 40)
    EXPECT_RGB(ColorFromTop(palette, 3, 0), 5, 15, 245);    // 255 - (250, 240, 10)
    EXPECT_EQ(IndexFromTop(palette, 2, 1), 3);              // indexes stay
    EXPECT_FALSE(palette.HasAlpha());

    Picture rgb;
    ASSERT_TRUE(DecodeIco(rgb, ReadFixture("mask_all_set_24.ico")));
    EXPECT_EQ(rgb.GetTransparentIndex(), 0);
    EXPECT_RGB(ColorFromTop(rgb, 0, 0), 255, 155, 55);
    EXPECT_RGB(ColorFromTop(rgb, 2, 1), 235, 154, 55);
    const RgbQuad transparent = rgb.GetTransparentColor();
    EXPECT_EQ(transparent.red, 255);
    EXPECT_EQ(transparent.green, 255);
    EXPECT_EQ(transparent.blue, 255);
}

TEST(IcoDecoder, MaskWithClearPaddingIsTransparencyNotTheNegative) {
    // Every pixel's bit is set but the row padding is 0: all four indexes are used by
    // masked pixels, so the highest free one (255) takes them all over.
    Picture picture;
    ASSERT_TRUE(DecodeIco(picture, ReadFixture("mask_pixels_set.ico")));
    EXPECT_EQ(picture.GetTransparentIndex(), 255);
    EXPECT_EQ(IndexFromTop(picture, 2, 1), 255);
    EXPECT_RGB(ColorFromTop(picture, 0, 0), 0, 0, 0);
    EXPECT_EQ(picture.GetPaletteColor(1), (RgbQuad{60, 160, 20, 0}));  // not inverted
}

TEST(IcoDecoder, BitmapHeaderSizeWinsOverTheDirectorys) {
    // The directory says 16 x 16, the bitmap header 4 x 2 (4 rows of pixels and mask).
    Picture picture;
    ASSERT_TRUE(DecodeIco(picture, ReadFixture("directory_size_wrong.ico")))
        << picture.GetLastError();
    EXPECT_EQ(picture.GetWidth(), 4u);
    EXPECT_EQ(picture.GetHeight(), 2u);
    EXPECT_EQ(IndexFromTop(picture, 3, 1), 1);  // (3 + 2) % 4
    EXPECT_FALSE(picture.HasAlpha());
}

TEST(IcoDecoder, MaskedPixelsTakeTheHighestUnusedIndex) {
    // Masked pixels (column 0) hold index 2, which visible pixels use too; indexes 6 to
    // 15 are free, so 15 takes over the masked pixels.
    Picture picture;
    ASSERT_TRUE(DecodeIco(picture, ReadFixture("mask_partial_4bit.ico")));
    EXPECT_EQ(picture.GetBpp(), 4);
    EXPECT_EQ(picture.GetTransparentIndex(), 15);
    EXPECT_FALSE(picture.HasAlpha());
    for (uint32_t y = 0; y < 4; ++y) {
        EXPECT_EQ(IndexFromTop(picture, 0, y), 15);
        for (uint32_t x = 1; x < 6; ++x) {
            EXPECT_EQ(IndexFromTop(picture, x, y), (x + y) % 6);
        }
    }
    EXPECT_RGB(ColorFromTop(picture, 2, 0), 10, 20, 220);
}

TEST(IcoDecoder, MaskedPixelsOfSeveralColoursBecomeAlphaZero) {
    Picture picture;
    ASSERT_TRUE(DecodeIco(picture, ReadFixture("mask_mixed_24.ico")));
    ASSERT_TRUE(picture.HasAlpha());
    EXPECT_EQ(picture.GetTransparentIndex(), -1);
    for (uint32_t x = 0; x < 4; ++x) {
        EXPECT_EQ(AlphaFromTop(picture, x, 0), 0);
        for (uint32_t y = 1; y < 4; ++y) {
            EXPECT_EQ(AlphaFromTop(picture, x, y), 255);
        }
    }
}

TEST(IcoDecoder, VisiblePixelsNeverShareTheTransparentIndex) {
    // Both colours of a 1-bit icon are visible and the masked pixel is black: making
    // black transparent would hide visible pixels, so the alpha plane stays instead.
    Picture picture;
    ASSERT_TRUE(DecodeIco(picture, ReadFixture("mask_full_palette_1bit.ico")));
    EXPECT_EQ(picture.GetTransparentIndex(), -1);
    ASSERT_TRUE(picture.HasAlpha());
    EXPECT_EQ(AlphaFromTop(picture, 0, 0), 0);
    EXPECT_EQ(AlphaFromTop(picture, 2, 0), 255);
    EXPECT_EQ(AlphaFromTop(picture, 0, 1), 255);
    EXPECT_EQ(IndexFromTop(picture, 1, 0), 1);
    EXPECT_EQ(IndexFromTop(picture, 2, 1), 0);
}

// --- damaged files ---------------------------------------------------------------------

TEST(IcoDecoder, RefusesForeignAndDamagedFiles) {
    Picture picture;
    picture.SetError(PictureError::kSystem, "earlier");
    // A directory that does not match says nothing of its own.
    EXPECT_FALSE(DecodeIco(picture, {0, 0, 3, 0, 1, 0}));          // type 3
    EXPECT_FALSE(DecodeIco(picture, {0, 0, 2, 0, 0, 0, 0, 0}));    // no entries (as many TGAs)
    EXPECT_FALSE(DecodeIco(picture, {0, 0, 1, 0, 2, 0, 16, 16}));  // entries cut short
    EXPECT_STREQ(picture.GetLastError(), "earlier");

    std::vector<uint8_t> bytes = ReadFixture("mask_mixed_24.ico");
    // Pixels cut short: no picture.
    std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + 22 + 40 + 20);
    EXPECT_FALSE(DecodeIco(picture, cut));
    EXPECT_STREQ(picture.GetLastError(), "corrupted ICO");
    EXPECT_FALSE(picture.IsValid());

    // Mask cut short: the picture without transparency.
    cut.assign(bytes.begin(), bytes.end() - 4);
    ASSERT_TRUE(DecodeIco(picture, cut));
    EXPECT_FALSE(picture.HasAlpha());
    EXPECT_EQ(picture.GetTransparentIndex(), -1);

    // A bit count icons never use.
    bytes[22 + 14] = 16;
    EXPECT_FALSE(DecodeIco(picture, bytes));
    EXPECT_STREQ(picture.GetLastError(), "corrupted ICO");
}

TEST(IcoDecoder, DamagedFilesNeverReadOutOfBounds) {
    for (const char* name : {"three_entries.ico", "mask_partial_4bit.ico", "alpha32.ico"}) {
        const std::vector<uint8_t> original = ReadFixture(name);
        ASSERT_FALSE(original.empty());
        uint32_t seed = 777;
        auto random = [&seed] {
            seed = seed * 1103515245u + 12345u;
            return seed >> 8;
        };
        for (int round = 0; round < 200; ++round) {
            std::vector<uint8_t> bytes = original;
            const int changes = 1 + static_cast<int>(random() % 6);
            for (int i = 0; i < changes; ++i) {
                // Mostly the directory and headers, where the decisions are made.
                const size_t limit = round % 2 ? bytes.size() : std::min<size_t>(bytes.size(), 80);
                bytes[random() % limit] = static_cast<uint8_t>(random());
            }
            if (round % 4 == 0) {
                bytes.resize(random() % bytes.size());
            }
            Picture picture;
            picture.SetFrameNumber(static_cast<int32_t>(random() % 3));
            if (DecodeIco(picture, bytes)) {
                EXPECT_TRUE(picture.IsValid());
            }
        }
    }
}

}  // namespace
