// Turning pictures upright by EXIF's orientation: each of the eight on a picture of
// six distinct pixels at every depth, against layouts worked out by hand from the
// tag's definition; and the JPEG fixtures of a camera held eight ways, which must all
// come out as the picture taken.
#include "image/ops/picture_orientation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/image_test_support.h"
#include "image/picture.h"

namespace {

using namespace image_test;

// The stored picture, rows from the top: A B C / D E F. Each pixel's value is its
// letter's number, 1 to 6, as a palette index and as a grey colour (40 x value) with
// an alpha of 10 x value.
constexpr int kStored[2][3] = {{1, 2, 3}, {4, 5, 6}};

void MakeStoredPicture(Picture& picture, uint32_t bpp) {
    EXPECT_NE(picture.Create(3, 2, bpp, 0), nullptr);
    EXPECT_TRUE(picture.CreateAlpha());
    if (bpp < 24) {
        for (uint32_t i = 0; i < picture.GetNumColors(); ++i) {
            const auto level = static_cast<uint8_t>(40 * i);
            picture.SetPaletteColor(i, RgbQuad{level, level, level, 0});
        }
    }
    for (uint32_t y = 0; y < 2; ++y) {
        for (uint32_t x = 0; x < 3; ++x) {
            const int value = kStored[y][x];
            const uint32_t row = 1 - y;
            if (bpp < 24) {
                picture.SetPixelIndex(x, row, static_cast<uint8_t>(value));
            } else {
                const auto level = static_cast<uint8_t>(40 * value);
                picture.SetPixelColor(x, row, RgbQuad{level, level, level, 0});
            }
            picture.GetAlphaPlane()[row * 3 + x] = static_cast<uint8_t>(10 * value);
        }
    }
}

// What each pixel of the turned picture holds, as the letters' numbers, rows from the
// top.
std::vector<std::vector<int>> UprightValues(const Picture& picture) {
    std::vector<std::vector<int>> rows(picture.GetHeight());
    for (uint32_t y = 0; y < picture.GetHeight(); ++y) {
        for (uint32_t x = 0; x < picture.GetWidth(); ++x) {
            const int value = ColorFromTop(picture, x, y).red / 40;
            EXPECT_EQ(AlphaFromTop(picture, x, y), 10 * value) << x << "," << y;
            rows[y].push_back(value);
        }
    }
    return rows;
}

TEST(TurnUpright, EachOrientationLaysThePixelsOutAsTheTagDefinesAtEveryDepth) {
    // EXIF: 2 mirrored, 3 a half turn, 4 flipped, 5 transposed (stored row 0 becomes
    // the left column), 6 stored row 0 at the right with column 0 at the top (turn
    // clockwise), 7 transverse, 8 stored row 0 at the left with column 0 at the
    // bottom (turn anticlockwise).
    const std::vector<std::vector<int>> upright[9] = {
        {},
        {{1, 2, 3}, {4, 5, 6}},
        {{3, 2, 1}, {6, 5, 4}},
        {{6, 5, 4}, {3, 2, 1}},
        {{4, 5, 6}, {1, 2, 3}},
        {{1, 4}, {2, 5}, {3, 6}},
        {{4, 1}, {5, 2}, {6, 3}},
        {{6, 3}, {5, 2}, {4, 1}},
        {{3, 6}, {2, 5}, {1, 4}},
    };
    for (uint32_t bpp : {24u, 8u, 4u}) {
        for (uint8_t orientation = 1; orientation <= 8; ++orientation) {
            SCOPED_TRACE(testing::Message() << bpp << " bits, orientation " << int{orientation});
            Picture picture;
            MakeStoredPicture(picture, bpp);
            picture.SetXDpi(300);
            picture.SetOrientation(orientation);
            ASSERT_TRUE(TurnUpright(picture));
            EXPECT_EQ(UprightValues(picture), upright[orientation]);
            EXPECT_EQ(picture.GetOrientation(), 1);
            EXPECT_EQ(picture.GetBpp(), bpp);
            // A quarter turn swaps the resolutions with the sides.
            EXPECT_EQ(picture.GetXDpi(), OrientationSwapsSides(orientation) ? 96 : 300);
        }
    }
}

TEST(TurnUpright, OtherValuesLeaveThePictureAndTheLimitRefusesTheTurnedCopy) {
    for (uint8_t orientation : {0, 9, 255}) {
        Picture picture;
        MakeStoredPicture(picture, 24);
        picture.SetOrientation(orientation);
        ASSERT_TRUE(TurnUpright(picture));
        EXPECT_EQ(UprightValues(picture), (std::vector<std::vector<int>>{{1, 2, 3}, {4, 5, 6}}));
    }
    Picture empty;
    empty.SetOrientation(6);
    EXPECT_FALSE(TurnUpright(empty));

    Picture large;
    MakeStoredPicture(large, 24);
    large.SetOrientation(6);
    large.SetMemoryLimit(8);  // the turned rows need 2 x 12 bytes
    EXPECT_FALSE(TurnUpright(large));
    EXPECT_STREQ(large.GetLastError(), "PICTURE_MAX_MEMORY exceeded");
    EXPECT_EQ(large.GetWidth(), 3u);
    EXPECT_EQ(large.GetOrientation(), 6);
}

TEST(TurnUpright, JpegPhotosOfEveryOrientationStandAsTheBlocksWereDrawn) {
    // The fixtures hold colour.jpg's blocks turned by the inverse of their tag: red at
    // the top left, green at the top right, blue at the bottom left, grey at the
    // bottom right once upright (JPEG blurs the blocks' edges; their middles are
    // compared).
    for (int orientation = 1; orientation <= 8; ++orientation) {
        SCOPED_TRACE(orientation);
        Picture picture;
        ASSERT_TRUE(picture.Load(
            DataFilePath("jpeg", "orientation_" + std::to_string(orientation) + ".jpg").c_str(),
            kFormatUnknown));
        EXPECT_EQ(picture.GetOrientation(), orientation);
        EXPECT_EQ(picture.GetWidth(), OrientationSwapsSides(orientation) ? 30u : 45u);
        ASSERT_TRUE(TurnUpright(picture));
        ASSERT_EQ(picture.GetWidth(), 45u);
        ASSERT_EQ(picture.GetHeight(), 30u);
        const struct {
            uint32_t x, y;
            Rgb colour;
        } blocks[] = {{8, 5, {220, 30, 40}},
                      {36, 5, {30, 200, 60}},
                      {8, 24, {40, 50, 210}},
                      {36, 24, {200, 200, 200}}};
        for (const auto& block : blocks) {
            const Rgb got = ColorFromTop(picture, block.x, block.y);
            EXPECT_NEAR(got.red, block.colour.red, 12) << block.x << "," << block.y;
            EXPECT_NEAR(got.green, block.colour.green, 12) << block.x << "," << block.y;
            EXPECT_NEAR(got.blue, block.colour.blue, 12) << block.x << "," << block.y;
        }
    }
    // Another decode into the same picture starts as stored again.
    Picture reused;
    ASSERT_TRUE(reused.Load(DataFilePath("jpeg", "orientation_6.jpg").c_str(), kFormatUnknown));
    ASSERT_TRUE(reused.Load(DataFilePath("png", "rgb8.png").c_str(), kFormatUnknown));
    EXPECT_EQ(reused.GetOrientation(), 1);
}

}  // namespace
