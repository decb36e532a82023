// Resampling: the area-average shrink of 24-bit pictures, the bilinear path for
// everything else, the alpha plane, refusals, and the two modes the slideshow never uses.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "image/picture.h"

namespace {

// A reproducible jumble of bytes, so that neighbouring pixels differ in every channel.
uint8_t Generated(uint32_t x, uint32_t y, uint32_t channel) {
    uint32_t h = x * 73856093u ^ y * 19349663u ^ (channel + 1) * 83492791u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return static_cast<uint8_t>(h);
}

// Byte `channel` (0 blue, 1 green, 2 red) of 24-bit pixel (x, y), y = 0 the bottom row.
uint8_t Byte(const Picture& picture, uint32_t x, uint32_t y, uint32_t channel) {
    return picture.GetBits(y)[3 * x + channel];
}

void FillGenerated(Picture& picture) {
    for (uint32_t y = 0; y < picture.GetHeight(); ++y) {
        uint8_t* row = picture.GetBits(y);
        for (uint32_t x = 0; x < picture.GetWidth(); ++x) {
            for (uint32_t c = 0; c < 3; ++c) {
                row[3 * x + c] = Generated(x, y, c);
            }
        }
    }
}

void MakeGenerated(Picture& picture, uint32_t width, uint32_t height) {
    ASSERT_NE(picture.Create(width, height, 24, 0), nullptr);
    FillGenerated(picture);
}

void MakeUniform(Picture& picture, uint32_t width, uint32_t height, uint8_t value) {
    ASSERT_NE(picture.Create(width, height, 24, 0), nullptr);
    for (uint32_t y = 0; y < height; ++y) {
        std::fill_n(picture.GetBits(y), 3 * width, value);
    }
}

void MakeGreyRamp(Picture& picture, uint32_t width, uint32_t height) {
    ASSERT_NE(picture.Create(width, height, 8, 0), nullptr);
    picture.MakeGreyPalette();
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            picture.GetBits(y)[x] = Generated(x, y, 0);
        }
    }
}

// The bilinear formula, worked here on one channel of a generated picture.
uint8_t BilinearOf(uint32_t oldWidth, uint32_t oldHeight, uint32_t newWidth, uint32_t newHeight,
                   uint32_t x, uint32_t y, uint32_t channel) {
    const float xScale = static_cast<float>(oldWidth) / static_cast<float>(newWidth);
    const float yScale = static_cast<float>(oldHeight) / static_cast<float>(newHeight);
    const float fx = static_cast<float>(x) * xScale;
    const float fy = static_cast<float>(y) * yScale;
    const uint32_t ix = static_cast<uint32_t>(fx);
    const uint32_t iy = static_cast<uint32_t>(fy);
    const uint32_t ix1 = std::min(oldWidth - 1, ix + 1);
    const uint32_t iy1 = std::min(oldHeight - 1, iy + 1);
    const float dx = fx - static_cast<float>(ix);
    const float dy = fy - static_cast<float>(iy);
    const int c1 = Generated(ix, iy, channel);
    const int c2 = Generated(ix1, iy, channel);
    const int c3 = Generated(ix, iy1, channel);
    const int c4 = Generated(ix1, iy1, channel);
    const float a = static_cast<float>(c1) + static_cast<float>(c3 - c1) * dy;
    const float b = static_cast<float>(c2) + static_cast<float>(c4 - c2) * dy;
    return static_cast<uint8_t>(a + (b - a) * dx);
}

void ExpectBilinearAt(const Picture& picture, uint32_t oldWidth, uint32_t oldHeight,
                      const std::vector<std::pair<uint32_t, uint32_t>>& points) {
    for (auto [x, y] : points) {
        for (uint32_t c = 0; c < 3; ++c) {
            EXPECT_EQ(Byte(picture, x, y, c), BilinearOf(oldWidth, oldHeight, picture.GetWidth(),
                                                         picture.GetHeight(), x, y, c))
                << "pixel " << x << "," << y << " channel " << c;
        }
    }
}

}  // namespace

TEST(ResampleAreaAverage, HalvingGivesTruncatedMeanOfEachTwoByTwoBlock) {
    Picture picture;
    MakeGenerated(picture, 640, 480);
    ASSERT_TRUE(picture.Resample(320, 240));
    ASSERT_EQ(picture.GetWidth(), 320u);
    ASSERT_EQ(picture.GetHeight(), 240u);
    ASSERT_EQ(picture.GetBpp(), 24);
    int mismatches = 0;
    for (uint32_t y = 0; y < 240; ++y) {
        for (uint32_t x = 0; x < 320; ++x) {
            for (uint32_t c = 0; c < 3; ++c) {
                const int sum = Generated(2 * x, 2 * y, c) + Generated(2 * x + 1, 2 * y, c) +
                                Generated(2 * x, 2 * y + 1, c) + Generated(2 * x + 1, 2 * y + 1, c);
                if (Byte(picture, x, y, c) != sum / 4 && ++mismatches < 5) {
                    ADD_FAILURE() << "pixel " << x << "," << y << " channel " << c << ": "
                                  << int{Byte(picture, x, y, c)} << " != " << sum / 4;
                }
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(ResampleAreaAverage, ThreeByThreeToTwoByTwoSharesTheMiddleRowAndColumn) {
    // Scale 1.5: the middle source column and row are split half and half, the middle
    // pixel a quarter to each destination pixel; the divisor is 1.5 x 1.5 x 1000 = 2250.
    Picture picture;
    MakeGenerated(picture, 3, 3);
    ASSERT_TRUE(picture.Resample(2, 2));
    auto p = [](uint32_t x, uint32_t y, uint32_t c) { return int{Generated(x, y, c)}; };
    for (uint32_t c = 0; c < 3; ++c) {
        EXPECT_EQ(
            Byte(picture, 0, 0, c),
            (1000 * p(0, 0, c) + 500 * p(1, 0, c) + 500 * p(0, 1, c) + 250 * p(1, 1, c)) / 2250);
        EXPECT_EQ(
            Byte(picture, 1, 0, c),
            (500 * p(1, 0, c) + 1000 * p(2, 0, c) + 250 * p(1, 1, c) + 500 * p(2, 1, c)) / 2250);
        EXPECT_EQ(
            Byte(picture, 0, 1, c),
            (500 * p(0, 1, c) + 250 * p(1, 1, c) + 1000 * p(0, 2, c) + 500 * p(1, 2, c)) / 2250);
        EXPECT_EQ(
            Byte(picture, 1, 1, c),
            (250 * p(1, 1, c) + 500 * p(2, 1, c) + 500 * p(1, 2, c) + 1000 * p(2, 2, c)) / 2250);
    }
}

TEST(ResampleAreaAverage, UniformPictureStaysUniformAtAwkwardScales) {
    // Every destination byte must be written (the new block is not a colour anyone
    // drew) and stay within the truncation of the weights; run under AddressSanitizer
    // this also proves the two accumulator rows are never overrun.
    struct Case {
        uint32_t oldWidth, oldHeight, newWidth, newHeight;
    };
    const Case cases[] = {{4000, 3000, 280, 210},
                          {1920, 1080, 280, 210},
                          {641, 479, 320, 240},
                          {3, 3, 2, 2},
                          {2, 2, 1, 1},
                          {5, 1000, 1, 999},
                          {1001, 7, 1000, 3},
                          {997, 991, 13, 11},
                          {300, 300, 299, 101},
                          // Strong shrinks: each sum gathers 10,000 and more weighted pixels.
                          {2000, 1500, 20, 15},
                          {1200, 900, 2, 2}};
    for (const Case& test : cases) {
        SCOPED_TRACE(testing::Message() << test.oldWidth << "x" << test.oldHeight << " -> "
                                        << test.newWidth << "x" << test.newHeight);
        Picture picture;
        MakeUniform(picture, test.oldWidth, test.oldHeight, 200);
        ASSERT_TRUE(picture.Resample(test.newWidth, test.newHeight));
        ASSERT_EQ(picture.GetWidth(), test.newWidth);
        ASSERT_EQ(picture.GetHeight(), test.newHeight);
        int outliers = 0;
        for (uint32_t y = 0; y < test.newHeight; ++y) {
            const uint8_t* row = picture.GetBits(y);
            for (uint32_t k = 0; k < 3 * test.newWidth; ++k) {
                if (row[k] < 199 || row[k] > 200) {
                    ++outliers;
                }
            }
        }
        EXPECT_EQ(outliers, 0);
    }
}

TEST(ResampleBilinear, GrowingFollowsTheFormulaFromTheBottomLeftCorner) {
    Picture picture;
    MakeGenerated(picture, 640, 480);
    ASSERT_TRUE(picture.Resample(800, 600));
    ASSERT_EQ(picture.GetWidth(), 800u);
    ASSERT_EQ(picture.GetHeight(), 600u);
    ExpectBilinearAt(picture, 640, 480,
                     {{0, 0}, {1, 0}, {1, 1}, {3, 7}, {400, 300}, {799, 0}, {0, 599}, {799, 599}});
    // Sample points are not centred: pixel (0, 0) is the old pixel (0, 0) itself, and
    // the new (5, 5) lands exactly on the old (4, 4).
    for (uint32_t c = 0; c < 3; ++c) {
        EXPECT_EQ(Byte(picture, 0, 0, c), Generated(0, 0, c));
        EXPECT_EQ(Byte(picture, 5, 5, c), Generated(4, 4, c));
    }
}

TEST(ResampleBilinear, ShrinkingOneWayAndGrowingTheOtherIsBilinear) {
    Picture picture;
    MakeGenerated(picture, 640, 480);
    ASSERT_TRUE(picture.Resample(320, 600));
    ExpectBilinearAt(picture, 640, 480, {{0, 0}, {1, 1}, {319, 1}, {100, 250}, {319, 599}});
    // Horizontally every other column is taken, not averaged.
    for (uint32_t c = 0; c < 3; ++c) {
        EXPECT_EQ(Byte(picture, 7, 0, c), Generated(14, 0, c));
    }
}

TEST(ResampleBilinear, SmallCasesWorkedByHand) {
    Picture row;
    ASSERT_NE(row.Create(2, 1, 24, 0), nullptr);
    const uint8_t pixels[6] = {0, 10, 20, 200, 110, 21};
    std::copy_n(pixels, 6, row.GetBits(0));
    ASSERT_TRUE(row.Resample(4, 1));
    // Columns sample at 0, 0.5, 1 and 1 (the last is held at the last source column).
    const uint8_t expected[12] = {0, 10, 20, 100, 60, 20, 200, 110, 21, 200, 110, 21};
    EXPECT_EQ(std::vector<uint8_t>(row.GetBits(0), row.GetBits(0) + 12),
              std::vector<uint8_t>(expected, expected + 12));

    Picture column;
    ASSERT_NE(column.Create(1, 2, 24, 0), nullptr);
    std::fill_n(column.GetBits(0), 3, 0);
    std::fill_n(column.GetBits(1), 3, 255);
    ASSERT_TRUE(column.Resample(1, 4));
    EXPECT_EQ(column.GetBits(0)[0], 0);
    EXPECT_EQ(column.GetBits(1)[0], 127);  // 127.5 truncated
    EXPECT_EQ(column.GetBits(2)[0], 255);
    EXPECT_EQ(column.GetBits(3)[0], 255);
}

TEST(ResampleBilinear, GreyPictureStaysEightBitAndSamplesInsteadOfAveraging) {
    Picture picture;
    MakeGreyRamp(picture, 640, 480);
    ASSERT_TRUE(picture.Resample(320, 240));
    ASSERT_EQ(picture.GetBpp(), 8);
    ASSERT_TRUE(picture.IsGrayScale());
    for (uint32_t y : {0u, 1u, 100u, 239u}) {
        for (uint32_t x : {0u, 1u, 77u, 319u}) {
            EXPECT_EQ(picture.GetBits(y)[x], Generated(2 * x, 2 * y, 0)) << x << "," << y;
        }
    }

    // Growing interpolates grey levels exactly as a 24-bit picture would.
    Picture grey;
    MakeGreyRamp(grey, 640, 480);
    ASSERT_TRUE(grey.Resample(800, 600));
    ASSERT_EQ(grey.GetBpp(), 8);
    for (auto [x, y] : std::vector<std::pair<uint32_t, uint32_t>>{{1, 1}, {3, 7}, {799, 599}}) {
        EXPECT_EQ(grey.GetBits(y)[x], BilinearOf(640, 480, 800, 600, x, y, 0)) << x << "," << y;
    }
}

TEST(ResampleBilinear, ColourPalettePictureStoresTheNearestEntry) {
    Picture picture;
    ASSERT_NE(picture.Create(2, 1, 1, 0), nullptr);
    const RgbQuad palette[2] = {{0, 0, 255, 0}, {255, 255, 255, 0}};  // red, white
    picture.SetPalette(palette, 2);
    picture.SetPixelIndex(0, 0, 0);
    picture.SetPixelIndex(1, 0, 1);
    ASSERT_TRUE(picture.Resample(8, 1));
    ASSERT_EQ(picture.GetBpp(), 1);
    EXPECT_EQ(picture.GetPaletteColor(1), (RgbQuad{255, 255, 255, 0}));
    // Positions 0, .25, .5, .75 blend red into white: up to the middle red is nearer.
    const uint8_t expected[8] = {0, 0, 0, 1, 1, 1, 1, 1};
    for (uint32_t x = 0; x < 8; ++x) {
        EXPECT_EQ(picture.GetPixelIndex(x, 0), expected[x]) << x;
    }
}

TEST(ResampleBilinear, ColourPalettePictureGrowsOverSeveralRows) {
    // 2 x 2 to 4 x 4: rows sample old rows 0, .5, 1, 1 (the last one clamped), columns
    // likewise. Red (0, 0) and blue (1, 0) below, green (0, 1) and white (1, 1) above;
    // the nearest palette entry is stored, ties to the lower index.
    Picture picture;
    ASSERT_NE(picture.Create(2, 2, 8, 0), nullptr);
    // Red, blue, green, then white to the end (so that no unused black entry is nearer).
    RgbQuad palette[256];
    std::fill_n(palette, 256, RgbQuad{255, 255, 255, 0});
    palette[0] = {0, 0, 255, 0};
    palette[1] = {255, 0, 0, 0};
    palette[2] = {0, 255, 0, 0};
    picture.SetPalette(palette, 256);
    picture.SetPixelIndex(0, 0, 0);
    picture.SetPixelIndex(1, 0, 1);
    picture.SetPixelIndex(0, 1, 2);
    picture.SetPixelIndex(1, 1, 3);
    ASSERT_TRUE(picture.Resample(4, 4));
    ASSERT_EQ(picture.GetBpp(), 8);
    // Row 1 lies at old row .5: (0, .5) mixes red and green into red 127, green 127,
    // as near to either, so the lower index (red) wins; (.5, .5) is the mean of all
    // four, grey 127, as near to red, blue and green: red again; (1, .5) mixes blue and
    // white into blue 255 with red and green 127, nearer blue.
    const uint8_t expected[4][4] = {
        {0, 0, 1, 1},
        {0, 0, 1, 1},
        {2, 2, 3, 3},
        {2, 2, 3, 3},
    };
    for (uint32_t y = 0; y < 4; ++y) {
        for (uint32_t x = 0; x < 4; ++x) {
            EXPECT_EQ(picture.GetPixelIndex(x, y), expected[y][x]) << x << ", " << y;
        }
    }
}

TEST(Resample, SameSizeLeavesPixelsUntouched) {
    Picture picture;
    MakeGenerated(picture, 31, 17);
    const std::vector<uint8_t> before(picture.GetDib(), picture.GetDib() + picture.GetDibSize());
    ASSERT_TRUE(picture.Resample(31, 17));
    EXPECT_EQ(std::vector<uint8_t>(picture.GetDib(), picture.GetDib() + picture.GetDibSize()),
              before);

    Picture copy;
    ASSERT_TRUE(picture.Resample(31, 17, ResampleMode::kAreaAverageOrBilinear, &copy));
    ASSERT_TRUE(copy.IsValid());
    EXPECT_EQ(std::vector<uint8_t>(copy.GetDib(), copy.GetDib() + copy.GetDibSize()), before);
}

TEST(Resample, ZeroOrNegativeSizeIsRefusedAndChangesNothing) {
    Picture picture;
    MakeGenerated(picture, 40, 30);
    const std::vector<uint8_t> before(picture.GetDib(), picture.GetDib() + picture.GetDibSize());
    for (ResampleMode mode :
         {ResampleMode::kAreaAverageOrBilinear, ResampleMode::kNearest, ResampleMode::kBicubic}) {
        EXPECT_FALSE(picture.Resample(0, 30, mode));
        EXPECT_FALSE(picture.Resample(40, 0, mode));
        EXPECT_FALSE(picture.Resample(-20, 15, mode));
        EXPECT_FALSE(picture.Resample(20, -15, mode));
    }
    EXPECT_EQ(picture.GetWidth(), 40u);
    EXPECT_EQ(picture.GetHeight(), 30u);
    EXPECT_EQ(std::vector<uint8_t>(picture.GetDib(), picture.GetDib() + picture.GetDibSize()),
              before);

    Picture empty;
    EXPECT_FALSE(empty.Resample(10, 10));
}

TEST(Resample, TooLargeSizeFailsWithTheCreateMessageAndKeepsThePicture) {
    Picture picture;
    MakeGenerated(picture, 40, 30);
    EXPECT_FALSE(picture.Resample(10000, 10000));
    EXPECT_STREQ(picture.GetLastError(), "PICTURE_MAX_MEMORY exceeded");
    EXPECT_FALSE(picture.Resample(int64_t{1} << 32, 2));
    EXPECT_STREQ(picture.GetLastError(), "PICTURE_MAX_MEMORY exceeded");
    EXPECT_EQ(picture.GetWidth(), 40u);
    EXPECT_EQ(Byte(picture, 3, 4, 1), Generated(3, 4, 1));
}

TEST(Resample, AlphaPlaneIsSampledFromTheNearestCornerPixel) {
    Picture picture;
    MakeGenerated(picture, 640, 480);
    ASSERT_TRUE(picture.CreateAlpha());
    for (uint32_t y = 0; y < 480; ++y) {
        for (uint32_t x = 0; x < 640; ++x) {
            picture.GetAlphaPlane()[y * 640 + x] = Generated(x, y, 7);
        }
    }
    Picture smaller;
    ASSERT_TRUE(picture.Resample(320, 240, ResampleMode::kAreaAverageOrBilinear, &smaller));
    ASSERT_TRUE(smaller.HasAlpha());
    for (uint32_t y : {0u, 1u, 120u, 239u}) {
        for (uint32_t x : {0u, 1u, 200u, 319u}) {
            EXPECT_EQ(smaller.GetAlphaPlane()[y * 320 + x], Generated(2 * x, 2 * y, 7));
        }
    }
    Picture larger;
    ASSERT_TRUE(picture.Resample(800, 600, ResampleMode::kAreaAverageOrBilinear, &larger));
    ASSERT_TRUE(larger.HasAlpha());
    // 0.8 source pixels per new pixel: new 4 -> old 3, new 5 -> old 4, new 799 -> old 639.
    EXPECT_EQ(larger.GetAlphaPlane()[4 * 800 + 5], Generated(4, 3, 7));
    EXPECT_EQ(larger.GetAlphaPlane()[599 * 800 + 799], Generated(639, 479, 7));
}

TEST(Resample, DestinationGetsTheResultAndTheSourceKeepsItsPixels) {
    Picture picture;
    MakeGenerated(picture, 64, 48);
    picture.SetJpegQuality(80);
    picture.SetXDpi(300);
    picture.SetYDpi(72);
    Picture destination;
    MakeUniform(destination, 5, 5, 9);
    ASSERT_TRUE(picture.Resample(32, 24, ResampleMode::kAreaAverageOrBilinear, &destination));
    EXPECT_EQ(picture.GetWidth(), 64u);
    EXPECT_EQ(Byte(picture, 5, 6, 2), Generated(5, 6, 2));
    ASSERT_EQ(destination.GetWidth(), 32u);
    ASSERT_EQ(destination.GetHeight(), 24u);
    // Quality and resolution travel with the picture.
    EXPECT_EQ(destination.GetJpegQuality(), 80);
    EXPECT_EQ(destination.GetXDpi(), 300);
    EXPECT_EQ(destination.GetYDpi(), 72);
    EXPECT_EQ(destination.GetHeader().xPelsPerMeter, 11811);
}

TEST(Resample, EscapeStopsEarlyButStillInstallsThePicture) {
    Picture picture;
    MakeGenerated(picture, 64, 48);
    picture.SetEscape(1);
    EXPECT_TRUE(picture.Resample(32, 24));
    EXPECT_EQ(picture.GetWidth(), 32u);
    EXPECT_EQ(picture.GetHeight(), 24u);
    EXPECT_EQ(picture.GetEscape(), 1);
}

TEST(ResampleNearest, TakesThePixelUnderEachCentre) {
    Picture picture;
    MakeGenerated(picture, 4, 4);
    ASSERT_TRUE(picture.CreateAlpha());
    for (uint32_t k = 0; k < 16; ++k) {
        picture.GetAlphaPlane()[k] = static_cast<uint8_t>(k);
    }
    ASSERT_TRUE(picture.Resample(2, 2, ResampleMode::kNearest));
    for (uint32_t c = 0; c < 3; ++c) {
        EXPECT_EQ(Byte(picture, 0, 0, c), Generated(1, 1, c));
        EXPECT_EQ(Byte(picture, 1, 0, c), Generated(3, 1, c));
        EXPECT_EQ(Byte(picture, 1, 1, c), Generated(3, 3, c));
    }
    EXPECT_EQ(picture.GetAlphaPlane()[3], 15);

    Picture indexed;
    ASSERT_NE(indexed.Create(3, 1, 4, 0), nullptr);
    for (uint32_t x = 0; x < 3; ++x) {
        indexed.SetPixelIndex(x, 0, static_cast<uint8_t>(x + 5));
    }
    ASSERT_TRUE(indexed.Resample(6, 2, ResampleMode::kNearest));
    const uint8_t expected[6] = {5, 5, 6, 6, 7, 7};
    for (uint32_t x = 0; x < 6; ++x) {
        EXPECT_EQ(indexed.GetPixelIndex(x, 0), expected[x]);
        EXPECT_EQ(indexed.GetPixelIndex(x, 1), expected[x]);
    }
}

TEST(ResampleBicubic, KeepsAFlatColourAndALinearRamp) {
    Picture flat;
    MakeUniform(flat, 50, 40, 123);
    ASSERT_TRUE(flat.Resample(77, 23, ResampleMode::kBicubic));
    for (uint32_t y = 0; y < 23; ++y) {
        for (uint32_t k = 0; k < 3 * 77; ++k) {
            ASSERT_EQ(flat.GetBits(y)[k], 123);
        }
    }

    // A ramp 0, 4, 8, ... doubled in width: the centred samples fall a quarter of a
    // step either side of the old centres, and a cubic convolution keeps straight lines.
    Picture ramp;
    ASSERT_NE(ramp.Create(20, 4, 24, 0), nullptr);
    for (uint32_t y = 0; y < 4; ++y) {
        for (uint32_t x = 0; x < 20; ++x) {
            std::fill_n(ramp.GetBits(y) + 3 * x, 3, 4 * x);
        }
    }
    ASSERT_TRUE(ramp.Resample(40, 4, ResampleMode::kBicubic));
    EXPECT_EQ(Byte(ramp, 10, 2, 0), 19);  // old position 4.75
    EXPECT_EQ(Byte(ramp, 11, 2, 1), 21);  // 5.25
    EXPECT_EQ(Byte(ramp, 20, 0, 2), 39);  // 9.75
}

TEST(ResampleAreaAverage, SmallPicturesWorkedByHand) {
    // Each destination pixel is the mean of the source area under it, truncated; the
    // scales here are exact binary fractions. Blue is the level, green twice it, red
    // 255 less it, so that the channels stay apart.
    struct Case {
        const char* what;
        uint32_t oldWidth, oldHeight, newWidth, newHeight;
        std::vector<int> rows;      // source levels, bottom row first
        std::vector<double> means;  // exact mean level of each destination pixel
    };
    const Case cases[] = {
        // Scale 2.5 x 2: the middle column is split half and half.
        // (10 + 20 + 60 + 70 + (30 + 80) / 2) / 5 = 43; ((30 + 80) / 2 + 280) / 5 = 67.
        {"5 x 2 to 2 x 1", 5, 2, 2, 1, {10, 20, 30, 40, 50, 60, 70, 80, 90, 100}, {43, 67}},
        // Scale 1.25 both ways, levels 8 x along each row: a destination column takes
        // quarters of its neighbours. (8 x 0.25) / 1.25 = 1.6; (6 + 8) / 1.25 = 11.2;
        // (8 + 18) / 1.25 = 20.8; (6 + 32) / 1.25 = 30.4.
        {"5 x 5 to 4 x 4",
         5,
         5,
         4,
         4,
         {0, 8, 16, 24, 32, 0, 8, 16, 24, 32, 0, 8, 16, 24, 32, 0, 8, 16, 24, 32, 0, 8, 16, 24, 32},
         {1.6, 11.2, 20.8, 30.4, 1.6, 11.2, 20.8, 30.4, 1.6, 11.2, 20.8, 30.4, 1.6, 11.2, 20.8,
          30.4}},
        // Scale 4 x 2: (1 + 2 + 3 + 4 + 5 + 6 + 7 + 9) / 8 = 4.625.
        {"4 x 2 to 1 x 1", 4, 2, 1, 1, {1, 2, 3, 4, 5, 6, 7, 9}, {4.625}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        Picture picture;
        ASSERT_NE(picture.Create(test.oldWidth, test.oldHeight, 24, 0), nullptr);
        for (uint32_t y = 0; y < test.oldHeight; ++y) {
            for (uint32_t x = 0; x < test.oldWidth; ++x) {
                const int level = test.rows[y * test.oldWidth + x];
                uint8_t* pixel = picture.GetBits(y) + 3 * x;
                pixel[0] = static_cast<uint8_t>(level);
                pixel[1] = static_cast<uint8_t>(2 * level);
                pixel[2] = static_cast<uint8_t>(255 - level);
            }
        }
        ASSERT_TRUE(picture.Resample(test.newWidth, test.newHeight));
        for (uint32_t y = 0; y < test.newHeight; ++y) {
            for (uint32_t x = 0; x < test.newWidth; ++x) {
                const double mean = test.means[y * test.newWidth + x];
                EXPECT_EQ(Byte(picture, x, y, 0), static_cast<int>(mean)) << x << ", " << y;
                EXPECT_EQ(Byte(picture, x, y, 1), static_cast<int>(2 * mean)) << x << ", " << y;
                EXPECT_EQ(Byte(picture, x, y, 2), static_cast<int>(255 - mean)) << x << ", " << y;
            }
        }
    }
}

namespace {

// The exact area average of a generated picture, in doubles: destination pixel (u, v)
// covers source columns [u sx, (u + 1) sx) and rows [v sy, (v + 1) sy), each source
// pixel a unit square weighted by how much of it lies inside.
double ExactAreaAverage(uint32_t oldWidth, uint32_t oldHeight, uint32_t newWidth,
                        uint32_t newHeight, uint32_t u, uint32_t v, uint32_t channel) {
    const double sx = static_cast<double>(oldWidth) / newWidth;
    const double sy = static_cast<double>(oldHeight) / newHeight;
    auto overlap = [](double low, double high, uint32_t i) {
        return std::max(0.0, std::min(high, i + 1.0) - std::max(low, static_cast<double>(i)));
    };
    double sum = 0.0;
    const auto firstRow = static_cast<uint32_t>(v * sy);
    const auto firstColumn = static_cast<uint32_t>(u * sx);
    for (uint32_t y = firstRow; y < oldHeight && y < (v + 1) * sy; ++y) {
        const double wy = overlap(v * sy, (v + 1) * sy, y);
        for (uint32_t x = firstColumn; x < oldWidth && x < (u + 1) * sx; ++x) {
            sum += wy * overlap(u * sx, (u + 1) * sx, x) * Generated(x, y, channel);
        }
    }
    return sum / (sx * sy);
}

}  // namespace

TEST(ResampleAreaAverage, FollowsTheExactAreaAverageAtOddScales) {
    // The shrink places column and row ends in single-precision steps and weighs in
    // thousandths, so where the scale is no exact binary fraction a byte drifts from
    // the exact mean: by about 0.3 at 1920 -> 280 and up to 2.2 at 1000 -> 999, where
    // every pixel is split. Any other filter, or a pixel put in the wrong place, is
    // off by tens on this random picture.
    struct Case {
        uint32_t oldWidth, oldHeight, newWidth, newHeight;
    };
    const Case cases[] = {{1920, 1080, 280, 210}, {641, 479, 320, 240}, {100, 75, 33, 41},
                          {7, 5, 6, 4},           {3, 3, 2, 2},         {1000, 10, 999, 3}};
    for (const Case& test : cases) {
        SCOPED_TRACE(testing::Message() << test.oldWidth << "x" << test.oldHeight << " -> "
                                        << test.newWidth << "x" << test.newHeight);
        Picture picture;
        MakeGenerated(picture, test.oldWidth, test.oldHeight);
        ASSERT_TRUE(picture.Resample(test.newWidth, test.newHeight));
        int outliers = 0;
        for (uint32_t y = 0; y < test.newHeight; ++y) {
            for (uint32_t x = 0; x < test.newWidth; ++x) {
                for (uint32_t c = 0; c < 3; ++c) {
                    const double exact = ExactAreaAverage(test.oldWidth, test.oldHeight,
                                                          test.newWidth, test.newHeight, x, y, c);
                    const double got = Byte(picture, x, y, c);
                    if (std::fabs(got - exact) > 3.0 && ++outliers < 5) {
                        ADD_FAILURE() << "pixel " << x << "," << y << " channel " << c << ": "
                                      << got << " for " << exact;
                    }
                }
            }
        }
        EXPECT_EQ(outliers, 0);
    }
}
