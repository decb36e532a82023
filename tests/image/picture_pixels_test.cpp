// Pixel and palette access, nearest palette colour, grey palettes and the grey test.
#include <gtest/gtest.h>

#include "image/picture.h"

namespace {

TEST(PicturePixels, PacksIndexesAsTheBitmapFormatDoes) {
    Picture four;
    ASSERT_NE(four.Create(3, 1, 4, 0), nullptr);
    four.SetPixelIndex(0, 0, 0xA);
    four.SetPixelIndex(1, 0, 0x5);
    four.SetPixelIndex(2, 0, 0x1F);  // only the low nibble fits
    EXPECT_EQ(four.GetBits(0)[0], 0xA5);
    EXPECT_EQ(four.GetBits(0)[1], 0xF0);
    EXPECT_EQ(four.GetPixelIndex(1, 0), 5);

    Picture one;
    ASSERT_NE(one.Create(10, 2, 1, 0), nullptr);
    one.SetPixelIndex(0, 1, 1);
    one.SetPixelIndex(9, 1, 1);
    EXPECT_EQ(one.GetBits(1)[0], 0x80);
    EXPECT_EQ(one.GetBits(1)[1], 0x40);
    one.SetPixelIndex(0, 1, 0);
    EXPECT_EQ(one.GetBits(1)[0], 0x00);
    EXPECT_EQ(one.GetPixelIndex(9, 1), 1);

    Picture colour;
    ASSERT_NE(colour.Create(2, 1, 24, 0), nullptr);
    colour.SetPixelColor(1, 0, RgbQuad{0x11, 0x22, 0x33, 0x44});
    const uint8_t* row = colour.GetBits(0);
    EXPECT_EQ(row[3], 0x11);  // blue, green, red in that order
    EXPECT_EQ(row[4], 0x22);
    EXPECT_EQ(row[5], 0x33);
}

TEST(PicturePixels, IndexOutsideReadsTransparentIndexOrFirstByte) {
    Picture picture;
    ASSERT_NE(picture.Create(4, 4, 8, 0), nullptr);
    picture.SetPixelIndex(0, 0, 9);
    EXPECT_EQ(picture.GetPixelIndex(-1, 0), 9);
    EXPECT_EQ(picture.GetPixelIndex(4, 2), 9);
    picture.SetTransparentIndex(3);
    EXPECT_EQ(picture.GetPixelIndex(0, 4), 3);
    picture.SetPixelIndex(-1, 0, 7);  // ignored
    picture.SetPixelIndex(0, 100, 7);
    EXPECT_EQ(picture.GetPixelIndex(0, 0), 9);
}

TEST(PicturePixels, ColourOutsideFollowsTheTransparencyRules) {
    Picture palette;
    ASSERT_NE(palette.Create(2, 2, 8, 0), nullptr);
    palette.SetPaletteColor(1, RgbQuad{1, 1, 1, 0});
    palette.SetPaletteColor(2, RgbQuad{2, 2, 2, 0});
    palette.SetPixelIndex(0, 0, 1);
    EXPECT_EQ(palette.GetPixelColor(5, 5), (RgbQuad{1, 1, 1, 0}));  // pixel (0, 0)
    palette.SetTransparentIndex(2);
    EXPECT_EQ(palette.GetPixelColor(-1, -1), (RgbQuad{2, 2, 2, 0}));

    Picture colour;
    ASSERT_NE(colour.Create(2, 2, 24, 0), nullptr);
    colour.SetPixelColor(0, 0, RgbQuad{7, 8, 9, 0});
    EXPECT_EQ(colour.GetPixelColor(2, 0), (RgbQuad{7, 8, 9, 0}));
    colour.SetTransparentIndex(0);
    colour.SetTransparentColor(RgbQuad{50, 60, 70, 0});
    EXPECT_EQ(colour.GetPixelColor(2, 0), (RgbQuad{50, 60, 70, 0}));
    colour.SetPixelColor(2, 0, RgbQuad{1, 2, 3, 0});  // ignored
    EXPECT_EQ(colour.GetPixelColor(1, 0), RgbQuad{});

    Picture empty;
    EXPECT_EQ(empty.GetPixelColor(0, 0), RgbQuad{});
    EXPECT_EQ(empty.GetPixelIndex(0, 0), 0);
    empty.SetPixelColor(0, 0, RgbQuad{1, 2, 3, 4});
}

TEST(PicturePixels, AlphaTravelsInTheFourthByteOnlyWhenAsked) {
    Picture picture;
    ASSERT_NE(picture.Create(2, 2, 24, 0), nullptr);
    picture.SetPixelColor(1, 1, RgbQuad{1, 2, 3, 99}, true);  // no plane yet: dropped
    ASSERT_TRUE(picture.CreateAlpha());
    EXPECT_EQ(picture.GetPixelColor(1, 1, true), (RgbQuad{1, 2, 3, 255}));
    picture.SetPixelColor(1, 1, RgbQuad{1, 2, 3, 40}, true);
    EXPECT_EQ(picture.GetAlphaPlane()[3], 40);
    EXPECT_EQ(picture.GetPixelColor(1, 1, true), (RgbQuad{1, 2, 3, 40}));
    EXPECT_EQ(picture.GetPixelColor(1, 1, false), (RgbQuad{1, 2, 3, 0}));
    picture.SetPixelColor(1, 1, RgbQuad{1, 2, 3, 10}, false);
    EXPECT_EQ(picture.GetAlphaPlane()[3], 40);
    picture.DeleteAlpha();
    EXPECT_FALSE(picture.HasAlpha());
}

TEST(PicturePalette, SetPaletteCopiesAtMostThePaletteSize) {
    Picture picture;
    ASSERT_NE(picture.Create(1, 1, 1, 0), nullptr);
    const RgbQuad entries[3] = {{1, 1, 1, 0}, {2, 2, 2, 0}, {3, 3, 3, 0}};
    picture.SetPalette(entries, 3);
    EXPECT_EQ(picture.GetPaletteColor(1), (RgbQuad{2, 2, 2, 0}));
    EXPECT_EQ(picture.GetPaletteColor(2), RgbQuad{});  // past the palette
    // The pixel rows, right after the two entries, are untouched.
    EXPECT_EQ(picture.GetBits(0)[0], 0);
    Picture colour;
    ASSERT_NE(colour.Create(1, 1, 24, 0), nullptr);
    EXPECT_EQ(colour.GetPalette(), nullptr);
    colour.SetPalette(entries, 3);
}

TEST(PicturePalette, NearestIndexPrefersTheLowerIndexOnTies) {
    Picture picture;
    ASSERT_NE(picture.Create(1, 1, 8, 0), nullptr);
    for (uint32_t i = 0; i < 256; ++i) {
        picture.SetPaletteColor(i, RgbQuad{0, 0, 255, 0});
    }
    picture.SetPaletteColor(3, RgbQuad{0, 0, 100, 0});
    picture.SetPaletteColor(5, RgbQuad{0, 0, 120, 0});
    EXPECT_EQ(picture.NearestPaletteIndex(RgbQuad{0, 0, 110, 0}), 3);
    EXPECT_EQ(picture.NearestPaletteIndex(RgbQuad{0, 0, 118, 0}), 5);
    EXPECT_EQ(picture.NearestPaletteIndex(RgbQuad{0, 0, 255, 0}), 0);
    // A palette change must not be answered from the cache.
    picture.SetPaletteColor(5, RgbQuad{0, 0, 118, 0});
    EXPECT_EQ(picture.NearestPaletteIndex(RgbQuad{0, 0, 118, 0}), 5);
    picture.SetPaletteColor(5, RgbQuad{0, 0, 0, 0});
    EXPECT_EQ(picture.NearestPaletteIndex(RgbQuad{0, 0, 118, 0}), 3);
}

TEST(PicturePalette, ColoursImportantLimitsTheSearch) {
    Picture picture;
    ASSERT_NE(picture.Create(1, 1, 8, 0), nullptr);
    picture.SetPaletteColor(0, RgbQuad{0, 0, 0, 0});
    picture.SetPaletteColor(1, RgbQuad{100, 100, 100, 0});
    picture.SetPaletteColor(2, RgbQuad{200, 200, 200, 0});
    picture.SetColorsImportant(2);
    EXPECT_EQ(picture.GetDib()[36], 2);
    EXPECT_EQ(picture.NearestPaletteIndex(RgbQuad{200, 200, 200, 0}), 1);
    picture.SetColorsImportant(1000);  // more than the palette holds: the palette
    EXPECT_EQ(picture.NearestPaletteIndex(RgbQuad{199, 200, 200, 0}), 2);
    Picture colour;
    ASSERT_NE(colour.Create(1, 1, 24, 0), nullptr);
    EXPECT_EQ(colour.NearestPaletteIndex(RgbQuad{9, 9, 9, 0}), 0);
}

TEST(PicturePalette, SetPixelColorStoresTheNearestIndex) {
    Picture picture;
    ASSERT_NE(picture.Create(2, 1, 4, 0), nullptr);
    picture.SetPaletteColor(9, RgbQuad{0, 200, 0, 0});
    picture.SetPixelColor(1, 0, RgbQuad{10, 190, 5, 0});
    EXPECT_EQ(picture.GetPixelIndex(1, 0), 9);
    EXPECT_EQ(picture.GetPixelIndex(0, 0), 0);
}

TEST(PicturePalette, GreyPalettesSpreadEvenly) {
    Picture eight;
    ASSERT_NE(eight.Create(1, 1, 8, 0), nullptr);
    eight.MakeGreyPalette();
    EXPECT_EQ(eight.GetPaletteColor(77), (RgbQuad{77, 77, 77, 0}));
    Picture four;
    ASSERT_NE(four.Create(1, 1, 4, 0), nullptr);
    four.MakeGreyPalette();
    EXPECT_EQ(four.GetPaletteColor(1), (RgbQuad{17, 17, 17, 0}));
    EXPECT_EQ(four.GetPaletteColor(15), (RgbQuad{255, 255, 255, 0}));
    Picture one;
    ASSERT_NE(one.Create(1, 1, 1, 0), nullptr);
    one.MakeGreyPalette();
    EXPECT_EQ(one.GetPaletteColor(0), (RgbQuad{0, 0, 0, 0}));
    EXPECT_EQ(one.GetPaletteColor(1), (RgbQuad{255, 255, 255, 0}));
}

TEST(PictureGreyScale, OnlyAnIdentityRampCountsAsGrey) {
    // One entry of the 256-entry identity ramp changed (blue, green, red, fourth byte).
    struct Case {
        const char* what;
        uint32_t index;
        RgbQuad entry;
        bool grey;
    };
    const Case cases[] = {
        {"unchanged", 200, {200, 200, 200, 0}, true},
        {"green one up", 200, {200, 201, 200, 0}, false},
        {"only red differs", 7, {7, 7, 8, 0}, false},
        {"only blue differs, last entry", 255, {254, 255, 255, 0}, false},
        {"first entry grey but not 0", 0, {1, 1, 1, 0}, false},
        {"a fourth byte (alpha) is no colour", 9, {9, 9, 9, 128}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Picture picture;
        ASSERT_NE(picture.Create(2, 2, 8, 0), nullptr);
        picture.MakeGreyPalette();
        picture.SetPaletteColor(c.index, c.entry);
        EXPECT_EQ(picture.IsGrayScale(), c.grey);
    }

    Picture twoGreys;  // black and white, but entry 1 is 255, not 1
    ASSERT_NE(twoGreys.Create(2, 2, 1, 0), nullptr);
    twoGreys.MakeGreyPalette();
    EXPECT_FALSE(twoGreys.IsGrayScale());

    Picture colour;
    ASSERT_NE(colour.Create(2, 2, 24, 0), nullptr);
    EXPECT_FALSE(colour.IsGrayScale());
    EXPECT_FALSE(Picture().IsGrayScale());
}

}  // namespace
