#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <vector>

#include "image/drawing_surface.h"
#include "image/picture.h"

namespace {

// Fills a 24-bit picture from color(x, row), row 0 being the bottom stored row.
void Make24(Picture& picture, uint32_t width, uint32_t height,
            const std::function<SurfaceColor(uint32_t, uint32_t)>& color) {
    ASSERT_NE(picture.Create(width, height, 24, 0), nullptr);
    for (uint32_t row = 0; row < height; ++row) {
        uint8_t* bits = picture.GetBits(row);
        for (uint32_t x = 0; x < width; ++x) {
            const SurfaceColor c = color(x, row);
            bits[x * 3] = c.blue;
            bits[x * 3 + 1] = c.green;
            bits[x * 3 + 2] = c.red;
        }
    }
}

// An 8-bit picture, one row, with the given palette entries (blue, green, red,
// palette alpha).
void MakeIndexedRow(Picture& picture, const std::vector<uint8_t>& indexes,
                    const std::vector<RgbQuad>& palette) {
    ASSERT_NE(picture.Create(static_cast<uint32_t>(indexes.size()), 1, 8, 0), nullptr);
    std::copy(indexes.begin(), indexes.end(), picture.GetBits(0));
    std::copy(palette.begin(), palette.end(), picture.GetPalette());
}

// The stored 2 x 2 picture the bilinear cases sample: red and green vary, blue 9.
void MakeBilinearSquare(Picture& picture) {
    const SurfaceColor stored[2][2] = {{{0, 255, 9}, {100, 155, 9}},   // bottom row
                                       {{200, 55, 9}, {40, 215, 9}}};  // top row
    Make24(picture, 2, 2, [&](uint32_t x, uint32_t row) { return stored[row][x]; });
}

constexpr SurfaceColor kBlack{0, 0, 0};
constexpr SurfaceColor kRed{255, 0, 0};
constexpr SurfaceColor kBlue{0, 0, 255};
constexpr SurfaceColor kBackground{10, 20, 30};

TEST(PictureDrawTest, RefusesWithoutSomethingToPaint) {
    DrawingSurface surface(4, 4);
    Picture picture;
    EXPECT_EQ(picture.Draw(&surface, 0, 0, 4, 4, nullptr, true), 0);  // no bitmap
    Make24(picture, 2, 2, [](uint32_t, uint32_t) { return kRed; });
    EXPECT_EQ(picture.Draw(nullptr, 0, 0, 4, 4, nullptr, true), 0);
    EXPECT_EQ(picture.Draw(&surface, 0, 0, 0, 4, nullptr, true), 0);
    EXPECT_EQ(picture.Draw(&surface, 0, 0, 4, 0, nullptr, true), 0);
    picture.SetEnabled(false);
    EXPECT_EQ(picture.Draw(&surface, 0, 0, 4, 4, nullptr, true), 0);
    picture.SetEnabled(true);
    surface.SetSaveLimit(0);  // the state cannot be saved
    EXPECT_EQ(picture.Draw(&surface, 0, 0, 4, 4, nullptr, true), 0);
    EXPECT_EQ(surface.Counters().saves, 0);
    EXPECT_EQ(surface.Counters().dibCopies + surface.Counters().sectionPaints, 0);
    EXPECT_EQ(surface.GetPixel(0, 0), kBlack);
}

TEST(PictureDrawTest, OwnSizeGoesStraightToTheSurface) {
    Picture picture;
    Make24(picture, 3, 2, [](uint32_t x, uint32_t row) {
        return SurfaceColor{static_cast<uint8_t>(x * 50 + 1), static_cast<uint8_t>(row * 70 + 2),
                            3};
    });
    DrawingSurface surface(5, 4);
    EXPECT_EQ(picture.Draw(&surface, 1, 1, 3, 2, nullptr, true), 1);
    EXPECT_EQ(surface.GetPixel(1, 1), (SurfaceColor{1, 72, 3}));  // top-left: top stored row
    EXPECT_EQ(surface.GetPixel(3, 1), (SurfaceColor{101, 72, 3}));
    EXPECT_EQ(surface.GetPixel(2, 2), (SurfaceColor{51, 2, 3}));
    EXPECT_EQ(surface.GetPixel(0, 1), kBlack);
    EXPECT_EQ(surface.GetPixel(4, 3), kBlack);
    EXPECT_EQ(surface.Counters().dibCopies, 1);
    EXPECT_EQ(surface.Counters().sectionPaints, 0);
    EXPECT_EQ(surface.Counters().saves, 1);
    EXPECT_EQ(surface.Counters().restores, 1);

    // A negative width or height stands for the picture's own.
    EXPECT_EQ(picture.Draw(&surface, -1, 2, -1, -5, nullptr, false), 1);
    EXPECT_EQ(surface.GetPixel(0, 2), (SurfaceColor{51, 72, 3}));
    EXPECT_EQ(surface.GetPixel(1, 3), (SurfaceColor{101, 2, 3}));
    EXPECT_EQ(surface.Counters().dibCopies, 2);
    EXPECT_EQ(surface.Counters().sectionPaints, 0);

    Picture indexed;
    MakeIndexedRow(indexed, {1, 0}, {{0, 0, 255, 0}, {255, 0, 0, 0}});
    EXPECT_EQ(indexed.Draw(&surface, 3, 0, 2, 1, nullptr, true), 1);
    EXPECT_EQ(surface.GetPixel(3, 0), kBlue);
    EXPECT_EQ(surface.GetPixel(4, 0), kRed);
    EXPECT_EQ(surface.Counters().dibCopies, 3);
}

TEST(PictureDrawTest, OtherSizesGoThroughTheSection) {
    Picture picture;
    Make24(picture, 3, 2, [](uint32_t, uint32_t) { return kRed; });
    DrawingSurface surface(8, 8);
    EXPECT_EQ(picture.Draw(&surface, 0, 0, 6, 4, nullptr, true), 1);
    EXPECT_EQ(surface.Counters().dibCopies, 0);
    EXPECT_EQ(surface.Counters().sectionPaints, 1);
    EXPECT_EQ(surface.Counters().backgroundReads, 0);  // opaque: no blending
    EXPECT_EQ(surface.GetPixel(5, 3), kRed);
    EXPECT_EQ(surface.GetPixel(6, 3), kBlack);
    EXPECT_EQ(surface.GetPixel(5, 4), kBlack);
}

TEST(PictureDrawTest, SmoothingOffTakesTheNearestPixel) {
    Picture picture;
    Make24(picture, 4, 4, [](uint32_t x, uint32_t row) {
        return SurfaceColor{static_cast<uint8_t>(x * 60), static_cast<uint8_t>(row * 60), 5};
    });
    DrawingSurface surface(5, 5);
    ASSERT_EQ(picture.Draw(&surface, 0, 0, 2, 2, nullptr, false), 1);
    EXPECT_EQ(surface.GetPixel(0, 0), (SurfaceColor{0, 120, 5}));
    EXPECT_EQ(surface.GetPixel(1, 0), (SurfaceColor{120, 120, 5}));
    EXPECT_EQ(surface.GetPixel(0, 1), (SurfaceColor{0, 0, 5}));
    EXPECT_EQ(surface.GetPixel(1, 1), (SurfaceColor{120, 0, 5}));

    // Enlarged 2 x 2 -> 5 x 5: columns 0,0,0,1,1; the two top rows from the top row.
    Picture small;
    const uint8_t reds[2][2] = {{10, 20}, {30, 40}};
    Make24(small, 2, 2, [&](uint32_t x, uint32_t row) { return SurfaceColor{reds[row][x], 0, 0}; });
    ASSERT_EQ(small.Draw(&surface, 0, 0, 5, 5, nullptr, false), 1);
    EXPECT_EQ(surface.GetPixel(2, 1), (SurfaceColor{30, 0, 0}));
    EXPECT_EQ(surface.GetPixel(3, 1), (SurfaceColor{40, 0, 0}));
    EXPECT_EQ(surface.GetPixel(3, 2), (SurfaceColor{20, 0, 0}));
    EXPECT_EQ(surface.GetPixel(0, 4), (SurfaceColor{10, 0, 0}));

    // A 1-bit picture through its palette: pixels 0, 2, 4, 6 of 11001010.
    Picture mono;
    ASSERT_NE(mono.Create(8, 1, 1, 0), nullptr);
    mono.GetBits(0)[0] = 0b11001010;
    mono.GetPalette()[0] = {0, 0, 0, 0};
    mono.GetPalette()[1] = {255, 255, 255, 0};
    ASSERT_EQ(mono.Draw(&surface, 0, 0, 4, 1, nullptr, false), 1);
    EXPECT_EQ(surface.GetPixel(0, 0), (SurfaceColor{255, 255, 255}));
    EXPECT_EQ(surface.GetPixel(1, 0), kBlack);
    EXPECT_EQ(surface.GetPixel(2, 0), (SurfaceColor{255, 255, 255}));
    EXPECT_EQ(surface.GetPixel(3, 0), (SurfaceColor{255, 255, 255}));
}

TEST(PictureDrawTest, EnlargingUsesTheBilinearSampler) {
    Picture picture;
    MakeBilinearSquare(picture);
    DrawingSurface surface(4, 4);
    ASSERT_EQ(picture.Draw(&surface, 0, 0, 4, 4, nullptr, true), 1);
    EXPECT_EQ(surface.GetPixel(0, 3), (SurfaceColor{0, 255, 9}));    // beyond the edge
    EXPECT_EQ(surface.GetPixel(1, 2), (SurfaceColor{0, 255, 9}));    // on pixel (0, 0)
    EXPECT_EQ(surface.GetPixel(2, 1), (SurfaceColor{85, 170, 9}));   // fixed-point middle
    EXPECT_EQ(surface.GetPixel(3, 0), (SurfaceColor{40, 215, 9}));   // top-right corner
    EXPECT_EQ(surface.GetPixel(2, 0), (SurfaceColor{120, 135, 9}));  // along the top edge
    EXPECT_EQ(surface.GetPixel(3, 1), (SurfaceColor{70, 185, 9}));   // along the right edge
}

TEST(PictureDrawTest, NotLargerInBothDirectionsUsesBilinear) {
    // 4 x 1 into 3 x 2: narrower but taller. Column 1 samples x = 0.8333 between 0 and
    // 255: bilinear gives 212, an area average would give 191.
    Picture picture;
    const uint8_t reds[4] = {0, 255, 255, 255};
    Make24(picture, 4, 1, [&](uint32_t x, uint32_t) { return SurfaceColor{reds[x], 0, 0}; });
    DrawingSurface surface(3, 2);
    ASSERT_EQ(picture.Draw(&surface, 0, 0, 3, 2, nullptr, true), 1);
    EXPECT_EQ(surface.GetPixel(0, 0), kBlack);
    EXPECT_EQ(surface.GetPixel(1, 0), (SurfaceColor{212, 0, 0}));
    EXPECT_EQ(surface.GetPixel(1, 1), (SurfaceColor{212, 0, 0}));
    EXPECT_EQ(surface.GetPixel(2, 1), (SurfaceColor{255, 0, 0}));
}

TEST(PictureDrawTest, ShrinkingBothWaysAveragesTheFootprint) {
    // 8 x 4 into 2 x 1: scales of exactly 4, footprints of whole pixels. Column 0
    // covers x -2..1 (the left edge repeats), column 1 covers 2..5; the row covers
    // stored rows -2..1.
    Picture picture;
    Make24(picture, 8, 4, [](uint32_t x, uint32_t row) {
        return SurfaceColor{static_cast<uint8_t>(x * 20), static_cast<uint8_t>(row * 40), 7};
    });
    DrawingSurface surface(2, 1);
    ASSERT_EQ(picture.Draw(&surface, 0, 0, 2, 1, nullptr, true), 1);
    EXPECT_EQ(surface.GetPixel(0, 0), (SurfaceColor{5, 10, 7}));
    EXPECT_EQ(surface.GetPixel(1, 0), (SurfaceColor{70, 10, 7}));
    EXPECT_EQ(picture.AverageArea(3.5f, -0.5f, 4.0f, 4.0f), (RgbQuad{7, 10, 70, 0}));
}

TEST(PictureDrawTest, AreaAverageKeepsAPlainColourAtTheEdges) {
    // Scale 3: the first footprint starts at x = -2, half-way into the repeated
    // pixel -2. Every pixel of a white picture must stay white.
    Picture picture;
    Make24(picture, 6, 6, [](uint32_t, uint32_t) { return SurfaceColor{255, 255, 255}; });
    DrawingSurface surface(2, 2);
    ASSERT_EQ(picture.Draw(&surface, 0, 0, 2, 2, nullptr, true), 1);
    for (int32_t y = 0; y < 2; ++y) {
        for (int32_t x = 0; x < 2; ++x) {
            EXPECT_EQ(surface.GetPixel(x, y), (SurfaceColor{255, 255, 255})) << x << "," << y;
        }
    }
}

// The average of the footprint centred on (cx, cy), worked out pixel by pixel.
double ReferenceAverage(const std::function<int(int, int)>& value, int width, int height, double cx,
                        double cy, double sx, double sy) {
    const double x0 = cx - sx / 2, x1 = cx + sx / 2, y0 = cy - sy / 2, y1 = cy + sy / 2;
    double sum = 0;
    for (int j = static_cast<int>(std::floor(y0 + 0.5)); j <= std::floor(y1 + 0.5); ++j) {
        const double wy = std::max(0.0, std::min(y1, j + 0.5) - std::max(y0, j - 0.5));
        for (int i = static_cast<int>(std::floor(x0 + 0.5)); i <= std::floor(x1 + 0.5); ++i) {
            const double wx = std::max(0.0, std::min(x1, i + 0.5) - std::max(x0, i - 0.5));
            sum += wx * wy * value(std::clamp(i, 0, width - 1), std::clamp(j, 0, height - 1));
        }
    }
    return sum / (sx * sy);
}

TEST(PictureDrawTest, WidePictureIntoThePreviewIsAreaAveraged) {
    auto red = [](int x, int row) { return (x * 7 + row * 13) % 256; };
    auto green = [](int x, int row) { return (x * x + row) % 256; };
    auto blue = [](int x, int row) { return (x ^ row) & 255; };
    Picture picture;
    Make24(picture, 1000, 400, [&](uint32_t x, uint32_t row) {
        const int xi = static_cast<int>(x), yi = static_cast<int>(row);
        return SurfaceColor{static_cast<uint8_t>(red(xi, yi)), static_cast<uint8_t>(green(xi, yi)),
                            static_cast<uint8_t>(blue(xi, yi))};
    });
    DrawingSurface surface(300, 250);
    ASSERT_EQ(picture.Draw(&surface, 0, 0, 300, 250, nullptr, true), 1);
    EXPECT_EQ(surface.Counters().sectionPaints, 1);

    const float fx = 1000.0f / 300.0f, fy = 400.0f / 250.0f;
    for (auto [c, d] : {std::pair{0, 0}, std::pair{299, 249}, std::pair{150, 100},
                        std::pair{17, 233}, std::pair{288, 3}, std::pair{0, 249}}) {
        const double cx = static_cast<float>(c) * fx - 0.5;
        const double cy = 400.0f - static_cast<float>(d + 1) * fy - 0.5;
        const SurfaceColor got = surface.GetPixel(c, d);
        SCOPED_TRACE(testing::Message() << "pixel " << c << "," << d);
        EXPECT_NEAR(got.red, std::trunc(ReferenceAverage(red, 1000, 400, cx, cy, fx, fy)), 1);
        EXPECT_NEAR(got.green, std::trunc(ReferenceAverage(green, 1000, 400, cx, cy, fx, fy)), 1);
        EXPECT_NEAR(got.blue, std::trunc(ReferenceAverage(blue, 1000, 400, cx, cy, fx, fy)), 1);
    }
}

TEST(PictureDrawTest, SamplersWeighNeighboursAndAlpha) {
    Picture picture;
    MakeBilinearSquare(picture);
    // ix 64, iy 192: weights 48, 16, 144, 48.
    EXPECT_EQ(picture.InterpolateBilinear(0.25f, 0.75f), (RgbQuad{9, 128, 126, 0}));
    EXPECT_EQ(picture.InterpolateBilinear(-5.0f, 10.0f), (RgbQuad{9, 55, 200, 0}));
    ASSERT_TRUE(picture.CreateAlpha());
    const uint8_t alpha[4] = {0, 100, 200, 40};
    std::copy(alpha, alpha + 4, picture.GetAlphaPlane());
    EXPECT_EQ(picture.InterpolateBilinear(0.25f, 0.75f).reserved, 126);
    EXPECT_EQ(picture.AverageArea(0.5f, 0.5f, 2.0f, 2.0f), (RgbQuad{9, 170, 85, 85}));

    // Palette pictures take the floating-point path through their palette.
    Picture grey;
    ASSERT_NE(grey.Create(2, 2, 8, 0), nullptr);
    grey.MakeGreyPalette();
    grey.GetBits(0)[0] = 0;
    grey.GetBits(0)[1] = 100;
    grey.GetBits(1)[0] = 200;
    grey.GetBits(1)[1] = 40;
    EXPECT_EQ(grey.InterpolateBilinear(0.5f, 0.5f), (RgbQuad{85, 85, 85, 0}));
    EXPECT_EQ(grey.AverageArea(0.5f, 0.5f, 2.0f, 2.0f), (RgbQuad{85, 85, 85, 0}));

    // Nonsense coordinates and scales give a colour, never a crash.
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(picture.InterpolateBilinear(nan, inf).red, 200);
    EXPECT_EQ(picture.AverageArea(1e30f, -1e30f, 1e30f, 0.0f).red, 100);
    EXPECT_EQ(picture.AverageArea(1e30f, -1e30f, 4.0f, 4.0f).red, 100);
    picture.AverageArea(0.0f, 0.0f, 1e30f, 1e30f);
    picture.AverageArea(nan, nan, nan, nan);
    EXPECT_EQ(Picture().InterpolateBilinear(0, 0), RgbQuad{});
}

TEST(PictureDrawTest, AlphaBlendsOverWhatTheSurfaceShows) {
    // a = ((alpha max + 1) x alpha) >> 8; channel = (c x a + bg x (255 - a)) >> 8.
    // Colour (200, 100, 0) at a = 128 over (10, 20, 30): (104, 59, 14).
    Picture picture;
    Make24(picture, 3, 1, [](uint32_t, uint32_t) { return SurfaceColor{200, 100, 0}; });
    ASSERT_TRUE(picture.CreateAlpha());
    const uint8_t alpha[3] = {128, 0, 255};
    std::copy(alpha, alpha + 3, picture.GetAlphaPlane());
    DrawingSurface surface(3, 2);
    surface.Fill(kBackground);
    ASSERT_EQ(picture.Draw(&surface, 0, 0, 3, 1, nullptr, true), 1);
    EXPECT_EQ(surface.GetPixel(0, 0), (SurfaceColor{104, 59, 14}));
    EXPECT_EQ(surface.GetPixel(1, 0), kBackground);
    EXPECT_EQ(surface.GetPixel(2, 0), (SurfaceColor{200, 100, 0}));
    EXPECT_EQ(surface.GetPixel(2, 1), kBackground);
    EXPECT_EQ(surface.Counters().dibCopies, 0);
    EXPECT_EQ(surface.Counters().backgroundReads, 1);
    EXPECT_EQ(surface.Counters().sectionPaints, 1);

    // Alpha maximum 128 scales a full 255 down to a = 128.
    surface.Fill(kBackground);
    picture.SetAlphaMax(128);
    ASSERT_EQ(picture.Draw(&surface, 0, 0, 3, 1, nullptr, true), 1);
    EXPECT_EQ(surface.GetPixel(2, 0), (SurfaceColor{104, 59, 14}));

    // Stretched: a 1 x 1 picture of alpha 64 over 2 x 2 gives (57, 39, 22) everywhere.
    Picture dot;
    Make24(dot, 1, 1, [](uint32_t, uint32_t) { return SurfaceColor{200, 100, 0}; });
    ASSERT_TRUE(dot.CreateAlpha());
    dot.GetAlphaPlane()[0] = 64;
    surface.Fill(kBackground);
    ASSERT_EQ(dot.Draw(&surface, 1, 0, 2, 2, nullptr, true), 1);
    EXPECT_EQ(surface.GetPixel(1, 0), (SurfaceColor{57, 39, 22}));
    EXPECT_EQ(surface.GetPixel(2, 1), (SurfaceColor{57, 39, 22}));
    EXPECT_EQ(surface.GetPixel(0, 0), kBackground);
}

TEST(PictureDrawTest, TransparentPixelsLeaveTheBackground) {
    DrawingSurface surface(3, 1);
    surface.Fill(kBackground);
    Picture indexed;
    MakeIndexedRow(indexed, {0, 1, 2}, {{0, 0, 255, 0}, {0, 255, 0, 0}, {255, 0, 0, 0}});
    indexed.SetTransparentIndex(1);
    ASSERT_EQ(indexed.Draw(&surface, 0, 0, 3, 1, nullptr, true), 1);
    EXPECT_EQ(surface.GetPixel(0, 0), kRed);
    EXPECT_EQ(surface.GetPixel(1, 0), kBackground);
    EXPECT_EQ(surface.GetPixel(2, 0), kBlue);
    EXPECT_EQ(surface.Counters().dibCopies, 0);

    // 24 bits: any index >= 0 makes the transparent colour active.
    Picture picture;
    const SurfaceColor colours[3] = {{0, 255, 0}, {1, 255, 0}, {0, 255, 0}};
    Make24(picture, 3, 1, [&](uint32_t x, uint32_t) { return colours[x]; });
    picture.SetTransparentColor({0, 255, 0, 0});
    picture.SetTransparentIndex(0);
    surface.Fill(kBackground);
    ASSERT_EQ(picture.Draw(&surface, 0, 0, -1, -1, nullptr, true), 1);
    EXPECT_EQ(surface.GetPixel(0, 0), kBackground);
    EXPECT_EQ(surface.GetPixel(1, 0), (SurfaceColor{1, 255, 0}));
    EXPECT_EQ(surface.GetPixel(2, 0), kBackground);

    // Palette alpha: 0 hides, 128 blends, 255 covers.
    Picture faded;
    MakeIndexedRow(faded, {0, 1, 2}, {{0, 0, 255, 0}, {0, 255, 0, 128}, {255, 0, 0, 255}});
    faded.SetAlphaPaletteEnabled(true);
    surface.Fill(kBackground);
    ASSERT_EQ(faded.Draw(&surface, 0, 0, 3, 1, nullptr, true), 1);
    EXPECT_EQ(surface.GetPixel(0, 0), kBackground);
    EXPECT_EQ(surface.GetPixel(1, 0), (SurfaceColor{4, 137, 14}));
    EXPECT_EQ(surface.GetPixel(2, 0), kBlue);
}

TEST(PictureDrawTest, ClipRectangleLimitsThePaintAndIsRestored) {
    Picture picture;
    Make24(picture, 10, 10, [](uint32_t, uint32_t) { return kRed; });
    DrawingSurface surface(10, 10);
    const SurfaceRect clip{2, 2, 5, 5};
    ASSERT_EQ(picture.Draw(&surface, 0, 0, -1, -1, &clip, true), 1);
    EXPECT_EQ(surface.GetPixel(2, 2), kRed);
    EXPECT_EQ(surface.GetPixel(4, 4), kRed);
    EXPECT_EQ(surface.GetPixel(1, 1), kBlack);
    EXPECT_EQ(surface.GetPixel(5, 5), kBlack);
    EXPECT_EQ(surface.GetClipBox(), (SurfaceRect{0, 0, 10, 10}));
    EXPECT_EQ(surface.Save(), 1);  // nothing left on the state stack
    ASSERT_TRUE(surface.Restore(1));

    // The caller's own clip box narrows the paint too, and stays after the call.
    surface.Fill(kBlack);
    surface.IntersectClipRect({1, 1, 8, 8});
    const SurfaceRect corner{0, 0, 3, 3};
    ASSERT_EQ(picture.Draw(&surface, 0, 0, 10, 10, &corner, true), 1);
    EXPECT_EQ(surface.GetPixel(0, 0), kBlack);
    EXPECT_EQ(surface.GetPixel(1, 1), kRed);
    EXPECT_EQ(surface.GetPixel(2, 2), kRed);
    EXPECT_EQ(surface.GetPixel(3, 3), kBlack);
    EXPECT_EQ(surface.GetClipBox(), (SurfaceRect{1, 1, 8, 8}));

    // Clipped stretch: the visible part samples as in the whole destination.
    Picture coded;
    Make24(coded, 4, 4, [](uint32_t x, uint32_t row) {
        return SurfaceColor{static_cast<uint8_t>(10 * x), static_cast<uint8_t>(10 * row), 0};
    });
    DrawingSurface big(8, 8);
    const SurfaceRect lowerRight{4, 4, 8, 8};
    ASSERT_EQ(coded.Draw(&big, 0, 0, 8, 8, &lowerRight, false), 1);
    EXPECT_EQ(big.GetPixel(4, 4), (SurfaceColor{20, 10, 0}));
    EXPECT_EQ(big.GetPixel(5, 5), (SurfaceColor{20, 10, 0}));
    EXPECT_EQ(big.GetPixel(7, 7), (SurfaceColor{30, 0, 0}));
    EXPECT_EQ(big.GetPixel(3, 3), kBlack);
    EXPECT_EQ(big.GetClipBox(), (SurfaceRect{0, 0, 8, 8}));

    // A clip rectangle beside the destination paints nothing but is still a success.
    const SurfaceRect away{20, 20, 30, 30};
    big.Fill(kBlack);
    EXPECT_EQ(coded.Draw(&big, 0, 0, 8, 8, &away, true), 1);
    EXPECT_EQ(big.GetPixel(4, 4), kBlack);
}

TEST(PictureDrawTest, FarOffDestinationsDoNotOverflow) {
    Picture picture;
    Make24(picture, 3, 3, [](uint32_t, uint32_t) { return kRed; });
    DrawingSurface surface(4, 4);
    EXPECT_EQ(picture.Draw(&surface, INT32_MAX - 1, INT32_MIN, INT32_MAX, INT32_MAX, nullptr, true),
              1);
    EXPECT_EQ(surface.GetPixel(3, 3), kBlack);
    EXPECT_EQ(picture.Draw(&surface, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, nullptr, true), 1);
    EXPECT_EQ(surface.GetPixel(3, 3), kBlack);  // the destination ends at -1
    EXPECT_EQ(
        picture.Draw(&surface, INT32_MIN + 10, INT32_MIN + 10, INT32_MAX, INT32_MAX, nullptr, true),
        1);
    EXPECT_EQ(surface.GetPixel(3, 3), kRed);
    surface.Fill(kBlack);
    EXPECT_EQ(picture.Draw(&surface, 0, 0, INT32_MAX, INT32_MAX, nullptr, false), 1);
    EXPECT_EQ(surface.GetPixel(3, 3), kRed);
}

}  // namespace
