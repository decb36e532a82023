// Depth conversion: palette pictures to 4, 8 and 24 bits.
#include <gtest/gtest.h>

#include <cstring>

#include "image/picture.h"

namespace {

// A 3 x 2 eight-bit picture with a small colour palette and distinct pixels.
void MakePalettePicture(Picture& picture) {
    ASSERT_NE(picture.Create(3, 2, 8, kFormatGif), nullptr);
    picture.SetPaletteColor(0, RgbQuad{0, 0, 0, 0});
    picture.SetPaletteColor(1, RgbQuad{255, 0, 0, 0});
    picture.SetPaletteColor(2, RgbQuad{0, 128, 0, 0});
    picture.SetPaletteColor(3, RgbQuad{10, 20, 30, 0});
    const uint8_t indexes[2][3] = {{1, 2, 3}, {3, 0, 1}};
    for (uint32_t y = 0; y < 2; ++y) {
        for (uint32_t x = 0; x < 3; ++x) {
            picture.SetPixelIndex(x, y, indexes[y][x]);
        }
    }
}

TEST(PictureIncreaseBpp, PaletteTo24GivesEachPixelItsColour) {
    Picture picture;
    MakePalettePicture(picture);
    picture.SetXDpi(150);
    ASSERT_TRUE(picture.IncreaseBpp(24));
    EXPECT_EQ(picture.GetBpp(), 24);
    EXPECT_EQ(picture.GetNumColors(), 0u);
    EXPECT_EQ(picture.GetType(), 2u);
    EXPECT_EQ(picture.GetXDpi(), 150);
    EXPECT_FALSE(picture.HasAlpha());
    const uint8_t bottom[] = {255, 0, 0, 0, 128, 0, 10, 20, 30, 0, 0, 0};  // padded to 12
    const uint8_t top[] = {10, 20, 30, 0, 0, 0, 255, 0, 0, 0, 0, 0};
    EXPECT_EQ(0, std::memcmp(picture.GetBits(0), bottom, sizeof bottom));
    EXPECT_EQ(0, std::memcmp(picture.GetBits(1), top, sizeof top));
}

TEST(PictureIncreaseBpp, PackedDepthsReachTwentyFourBits) {
    Picture one;
    ASSERT_NE(one.Create(9, 1, 1, 0), nullptr);
    one.SetPaletteColor(1, RgbQuad{1, 2, 3, 0});
    one.SetPixelIndex(8, 0, 1);
    ASSERT_TRUE(one.IncreaseBpp(24));
    EXPECT_EQ(one.GetPixelColor(8, 0, false), (RgbQuad{1, 2, 3, 0}));
    EXPECT_EQ(one.GetPixelColor(7, 0, false), RgbQuad{});

    Picture four;
    ASSERT_NE(four.Create(3, 1, 4, 0), nullptr);
    four.SetPaletteColor(14, RgbQuad{4, 5, 6, 0});
    four.SetPixelIndex(1, 0, 14);
    ASSERT_TRUE(four.IncreaseBpp(24));
    EXPECT_EQ(four.GetPixelColor(1, 0, false), (RgbQuad{4, 5, 6, 0}));
}

TEST(PictureIncreaseBpp, TransparentIndexBecomesTheTransparentColour) {
    Picture picture;
    MakePalettePicture(picture);
    picture.SetTransparentIndex(3);
    ASSERT_TRUE(picture.IncreaseBpp(24));
    EXPECT_EQ(picture.GetTransparentIndex(), 3);
    EXPECT_EQ(picture.GetTransparentColor(), (RgbQuad{10, 20, 30, 0}));
}

TEST(PictureIncreaseBpp, AlphaComesFromThePlaneOrFromThePalette) {
    Picture withPlane;
    MakePalettePicture(withPlane);
    ASSERT_TRUE(withPlane.CreateAlpha());
    withPlane.GetAlphaPlane()[4] = 17;
    withPlane.SetAlphaMax(200);
    ASSERT_TRUE(withPlane.IncreaseBpp(24));
    ASSERT_TRUE(withPlane.HasAlpha());
    EXPECT_EQ(withPlane.GetAlphaPlane()[4], 17);
    EXPECT_EQ(withPlane.GetAlphaPlane()[0], 255);
    EXPECT_EQ(withPlane.GetAlphaMax(), 200);

    Picture alphaPalette;
    MakePalettePicture(alphaPalette);
    alphaPalette.SetPaletteColor(2, RgbQuad{0, 128, 0, 64});
    ASSERT_TRUE(alphaPalette.IncreaseBpp(24));
    ASSERT_TRUE(alphaPalette.HasAlpha());
    const uint8_t expected[] = {0, 64, 0, 0, 0, 0};  // fourth bytes of 1 2 3 / 3 0 1
    EXPECT_EQ(0, std::memcmp(alphaPalette.GetAlphaPlane(), expected, 6));
}

TEST(PictureIncreaseBpp, TwentyFourBitsStayAsTheyAre) {
    Picture picture;
    ASSERT_NE(picture.Create(2, 2, 24, 0), nullptr);
    picture.SetPixelColor(1, 1, RgbQuad{5, 6, 7, 0});
    const uint8_t* block = picture.GetDib();
    ASSERT_TRUE(picture.IncreaseBpp(24));
    EXPECT_EQ(picture.GetDib(), block);
    EXPECT_EQ(picture.GetPixelColor(1, 1, false), (RgbQuad{5, 6, 7, 0}));
    EXPECT_FALSE(picture.IncreaseBpp(8));
    EXPECT_FALSE(Picture().IncreaseBpp(24));
}

TEST(PictureIncreaseBpp, FourAndEightBitsKeepIndexesAndPalette) {
    Picture picture;
    ASSERT_NE(picture.Create(5, 2, 1, 0), nullptr);
    picture.SetPaletteColor(1, RgbQuad{9, 8, 7, 0});
    picture.SetPixelIndex(4, 1, 1);
    ASSERT_TRUE(picture.IncreaseBpp(4));
    EXPECT_EQ(picture.GetBpp(), 4);
    EXPECT_EQ(picture.GetNumColors(), 16u);
    EXPECT_EQ(picture.GetPixelIndex(4, 1), 1);
    EXPECT_EQ(picture.GetBits(1)[2], 0x10);
    EXPECT_EQ(picture.GetPaletteColor(1), (RgbQuad{9, 8, 7, 0}));
    ASSERT_TRUE(picture.IncreaseBpp(8));
    EXPECT_EQ(picture.GetBits(1)[4], 1);
    EXPECT_EQ(picture.GetBits(0)[4], 0);
    EXPECT_FALSE(picture.IncreaseBpp(4));
    EXPECT_FALSE(picture.IncreaseBpp(16));
    EXPECT_EQ(picture.GetBpp(), 8);
}

TEST(PictureIncreaseBpp, EscapeStopsTheRowsButInstallsThePicture) {
    Picture picture;
    MakePalettePicture(picture);
    picture.SetEscape(1);
    ASSERT_TRUE(picture.IncreaseBpp(24));
    EXPECT_EQ(picture.GetBpp(), 24);
    EXPECT_EQ(picture.GetPixelColor(0, 0, false), RgbQuad{});
}

// The row-based conversion must give exactly what converting pixel by pixel gives.
TEST(PictureIncreaseBpp, MatchesThePixelByPixelConversion) {
    for (uint32_t bpp : {1u, 4u, 8u}) {
        Picture source;
        ASSERT_NE(source.Create(13, 5, bpp, 0), nullptr);
        for (uint32_t i = 0; i < source.GetNumColors(); ++i) {
            source.SetPaletteColor(i, RgbQuad{static_cast<uint8_t>(i * 5), static_cast<uint8_t>(i),
                                              static_cast<uint8_t>(255 - i),
                                              static_cast<uint8_t>(i % 3 == 0 ? 0 : i)});
        }
        for (uint32_t y = 0; y < 5; ++y) {
            for (uint32_t x = 0; x < source.GetEffectiveWidth(); ++x) {
                source.GetBits(y)[x] = static_cast<uint8_t>(x * 37 + y * 101);
            }
        }
        Picture expected;
        ASSERT_NE(expected.Create(13, 5, 24, 0), nullptr);
        ASSERT_TRUE(expected.CreateAlpha());
        for (uint32_t y = 0; y < 5; ++y) {
            for (uint32_t x = 0; x < 13; ++x) {
                expected.SetPixelColor(x, y, source.GetPixelColor(x, y, true), true);
            }
        }
        ASSERT_TRUE(source.IncreaseBpp(24));
        ASSERT_TRUE(source.HasAlpha());
        EXPECT_EQ(0, std::memcmp(source.GetBits(0), expected.GetBits(0), 5 * 40)) << bpp;
        EXPECT_EQ(0, std::memcmp(source.GetAlphaPlane(), expected.GetAlphaPlane(), 65)) << bpp;
    }
}

}  // namespace
