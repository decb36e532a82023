// Fitting a picture to a frame of another shape: the contained and covered
// rectangles against values worked out by hand (the rounding DESIGN.md states), and
// the pixels of small pictures whose every step can be followed: borders in the
// background colour, the crop's columns, depths kept or widened.
#include "image/ops/picture_fit.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "image/image_test_support.h"
#include "image/picture.h"

namespace {

using namespace image_test;

TEST(FitGeometry, ContainedAndCoveredRectanglesRoundAsStated) {
    struct Case {
        int64_t pictureWidth, pictureHeight, frameWidth, frameHeight;
        FitRect contained;  // scaled size and place in the frame
        FitRect covered;    // the part of the picture shown
    };
    const Case cases[] = {
        // The frame's own shape: whole in both.
        {800, 600, 280, 210, {0, 0, 280, 210}, {0, 0, 800, 600}},
        {40, 30, 280, 210, {0, 0, 280, 210}, {0, 0, 40, 30}},
        // HD into 4:3: 1080 x 280 / 1920 = 157.5 -> 158, (210 - 158) / 2 = 26; the
        // covered width 1080 x 280 / 210 = 1440, from (1920 - 1440) / 2 = 240.
        {1920, 1080, 280, 210, {0, 26, 280, 158}, {240, 0, 1440, 1080}},
        // Portrait into landscape: 1080 x 210 / 1920 = 118.125 -> 118 at x 81; the
        // covered height 1080 x 210 / 280 = 810 from (1920 - 810) / 2 = 555.
        {1080, 1920, 280, 210, {81, 0, 118, 210}, {0, 555, 1080, 810}},
        // Landscape into portrait: 118 high at y 81; 1080 x 210 / 280 = 810 wide.
        {1920, 1080, 210, 280, {0, 81, 210, 118}, {555, 0, 810, 1080}},
        // Halves round up; an odd border pixel goes right or down: 52.5 -> 53 at
        // (280 - 53) / 2 = 113; 100 x 210 / 280 = 75 high from (400 - 75) / 2 = 162.
        {100, 400, 280, 210, {113, 0, 53, 210}, {0, 162, 100, 75}},
        {45, 30, 30, 45, {0, 12, 30, 20}, {12, 0, 20, 30}},
        {3, 1, 4, 4, {0, 1, 4, 1}, {1, 0, 1, 1}},
        // A sliver is never thinner than a pixel.
        {10000, 1, 280, 210, {0, 104, 280, 1}, {4999, 0, 1, 1}},
        {1, 10000, 280, 210, {139, 0, 1, 210}, {0, 4999, 1, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.pictureWidth << "x" << c.pictureHeight << " in "
                                        << c.frameWidth << "x" << c.frameHeight);
        const FitRect contained =
            ContainedRect(c.pictureWidth, c.pictureHeight, c.frameWidth, c.frameHeight);
        EXPECT_EQ(contained, c.contained) << contained.x << " " << contained.y << " "
                                          << contained.width << " " << contained.height;
        const FitRect covered =
            CoveredPart(c.pictureWidth, c.pictureHeight, c.frameWidth, c.frameHeight);
        EXPECT_EQ(covered, c.covered)
            << covered.x << " " << covered.y << " " << covered.width << " " << covered.height;
    }
}

// A 24-bit picture whose pixel (x, y), y from the top, is (10 x + 1, 10 y + 1, 99).
void MakeNumbered(Picture& picture, uint32_t width, uint32_t height) {
    ASSERT_NE(picture.Create(width, height, 24, 0), nullptr);
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            picture.SetPixelColor(
                x, height - 1 - y,
                RgbQuad{99, static_cast<uint8_t>(10 * y + 1), static_cast<uint8_t>(10 * x + 1), 0});
        }
    }
}

Rgb Numbered(uint32_t x, uint32_t y) {
    return {static_cast<int>(10 * x + 1), static_cast<int>(10 * y + 1), 99};
}

TEST(FitPicture, ContainPutsTheWholePictureOnBordersOfTheBackground) {
    // 4 x 2 in 4 x 5: the width limits, the picture keeps its size and stands at
    // y (5 - 2) / 2 = 1: one border row above it, two below.
    Picture picture;
    MakeNumbered(picture, 4, 2);
    ASSERT_TRUE(picture.CreateAlpha());
    ASSERT_TRUE(FitPicture(picture, PictureFit::kContain, 4, 5, RgbQuad{30, 20, 10, 0}));
    EXPECT_FALSE(picture.HasAlpha());
    ExpectPictureFromTop(picture, 4, 5, [](uint32_t x, uint32_t y) {
        return y == 1 || y == 2 ? Numbered(x, y - 1) : Rgb{10, 20, 30};
    });
}

TEST(FitPicture, CoverStretchesTheMiddlePartOverTheFrame) {
    // 6 x 2 in 2 x 2: the middle two columns, 2 and 3, at their own size.
    Picture picture;
    MakeNumbered(picture, 6, 2);
    ASSERT_TRUE(FitPicture(picture, PictureFit::kCover, 2, 2, RgbQuad{}));
    ExpectPictureFromTop(picture, 2, 2, [](uint32_t x, uint32_t y) { return Numbered(x + 2, y); });
    // 2 x 6 in 4 x 4: rows 2 and 3 grow to the frame, as Resample grows them.
    Picture tall;
    MakeNumbered(tall, 2, 6);
    Picture middle;
    MakeNumbered(middle, 2, 2);
    for (uint32_t y = 0; y < 2; ++y) {
        for (uint32_t x = 0; x < 2; ++x) {
            middle.SetPixelColor(x, 1 - y, tall.GetPixelColor(x, 5 - (y + 2), false));
        }
    }
    ASSERT_TRUE(middle.Resample(4, 4));
    ASSERT_TRUE(FitPicture(tall, PictureFit::kCover, 4, 4, RgbQuad{}));
    ExpectPictureFromTop(tall, 4, 4,
                         [&middle](uint32_t x, uint32_t y) { return ColorFromTop(middle, x, y); });
}

TEST(FitPicture, StretchAndTheFramesOwnShapeAreResampleItself) {
    for (PictureFit fit : {PictureFit::kStretch, PictureFit::kContain, PictureFit::kCover}) {
        SCOPED_TRACE(static_cast<int>(fit));
        Picture fitted;
        MakeNumbered(fitted, 12, 9);
        Picture resampled;
        MakeNumbered(resampled, 12, 9);
        ASSERT_TRUE(FitPicture(fitted, fit, 8, 6, RgbQuad{255, 255, 255, 0}));
        ASSERT_TRUE(resampled.Resample(8, 6));
        ASSERT_EQ(fitted.GetDibSize(), resampled.GetDibSize());
        EXPECT_EQ(
            std::vector<uint8_t>(fitted.GetDib(), fitted.GetDib() + fitted.GetDibSize()),
            std::vector<uint8_t>(resampled.GetDib(), resampled.GetDib() + resampled.GetDibSize()));
    }
}

TEST(FitPicture, GreyStaysGreyOnAGreyBackgroundAndBecomesColourOnAnother) {
    struct Case {
        RgbQuad background;
        uint32_t bpp;
        Rgb border;
    };
    const Case cases[] = {{RgbQuad{77, 77, 77, 0}, 8, {77, 77, 77}},
                          {RgbQuad{0, 0, 200, 0}, 24, {200, 0, 0}}};
    for (const Case& c : cases) {
        Picture grey;
        ASSERT_NE(grey.Create(2, 1, 8, 0), nullptr);
        grey.MakeGreyPalette();
        grey.SetPixelIndex(0, 0, 10);
        grey.SetPixelIndex(1, 0, 250);
        ASSERT_TRUE(FitPicture(grey, PictureFit::kContain, 2, 3, c.background));
        EXPECT_EQ(grey.GetBpp(), c.bpp);
        EXPECT_EQ(grey.IsGrayScale(), c.bpp == 8);
        ExpectPictureFromTop(grey, 2, 3, [&c](uint32_t x, uint32_t y) {
            return y == 1 ? Rgb{x == 0 ? 10 : 250, x == 0 ? 10 : 250, x == 0 ? 10 : 250} : c.border;
        });
    }
}

TEST(FitPicture, WhatResampleRefusesEveryFitRefusesLeavingThePicture) {
    for (PictureFit fit : {PictureFit::kStretch, PictureFit::kContain, PictureFit::kCover}) {
        SCOPED_TRACE(static_cast<int>(fit));
        using Size = std::pair<int64_t, int64_t>;
        for (const auto& [width, height] :
             {Size{0, 10}, Size{10, -1}, Size{int64_t{1} << 32, 10}}) {
            Picture picture;
            MakeNumbered(picture, 3, 2);
            EXPECT_FALSE(FitPicture(picture, fit, width, height, RgbQuad{}));
            ExpectPictureFromTop(picture, 3, 2, Numbered);
        }
        // A frame past the memory limit.
        Picture limited;
        MakeNumbered(limited, 3, 2);
        limited.SetMemoryLimit(100);
        EXPECT_FALSE(FitPicture(limited, fit, 40, 30, RgbQuad{}));
        EXPECT_STREQ(limited.GetLastError(), "PICTURE_MAX_MEMORY exceeded");
        ExpectPictureFromTop(limited, 3, 2, Numbered);
    }
}

TEST(CropPicture, KeepsThePartOfPackedAndByteRowsAndTheAlphaPlane) {
    for (uint32_t bpp : {1u, 4u, 8u}) {
        SCOPED_TRACE(bpp);
        Picture picture;
        ASSERT_NE(picture.Create(11, 3, bpp, 0), nullptr);
        ASSERT_TRUE(picture.CreateAlpha());
        const uint32_t mask = (1u << bpp) - 1;
        for (uint32_t y = 0; y < 3; ++y) {
            for (uint32_t x = 0; x < 11; ++x) {
                picture.SetPixelIndex(x, 2 - y, static_cast<uint8_t>((x + 3 * y) & mask));
                picture.GetAlphaPlane()[(2 - y) * 11 + x] = static_cast<uint8_t>(x + 20 * y);
            }
        }
        ASSERT_TRUE(CropPicture(picture, FitRect{3, 1, 7, 2}));
        ASSERT_EQ(picture.GetWidth(), 7u);
        ASSERT_EQ(picture.GetHeight(), 2u);
        for (uint32_t y = 0; y < 2; ++y) {
            for (uint32_t x = 0; x < 7; ++x) {
                EXPECT_EQ(IndexFromTop(picture, x, y), (x + 3 + 3 * (y + 1)) & mask);
                EXPECT_EQ(AlphaFromTop(picture, x, y), x + 3 + 20 * (y + 1));
            }
        }
    }
}

}  // namespace
