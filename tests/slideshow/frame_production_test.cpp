// What the build itself writes for a frame, against hand-worked values rather than a
// retyped copy of its recipe: the shape's bytes (clipped bitmap fill 0x41, a line of
// width 0), the placement, the JPEG's quality-80 tables, and the area-averaged pixels
// of a picture shrunk to the frame.
#include <gtest/gtest.h>

#include <array>

#include "image/picture.h"
#include "slideshow/slideshow_build.h"
#include "support/byte_builder.h"
#include "support/file_bytes.h"
#include "support/scratch_folder.h"
#include "support/swf_tag_reader.h"

namespace {

using namespace test_support;

// A 24-bit BMP of width x height whose pixel (x, y), y counted from the bottom row,
// is colour(x, y) as red, green, blue.
template <typename Colour>
std::vector<uint8_t> Bmp24(uint32_t width, uint32_t height, Colour colour) {
    const uint32_t rowBytes = (width * 3 + 3) / 4 * 4;
    LittleEndianBytes bytes;
    bytes.Text("BM").U32(54 + rowBytes * height).U32(0).U32(54);
    bytes.U32(40).U32(width).U32(height).U16(1).U16(24).U32(0).U32(rowBytes * height);
    bytes.U32(2835).U32(2835).U32(0).U32(0);
    std::vector<uint8_t> row(rowBytes, 0);
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            const auto [red, green, blue] = colour(x, y);
            row[3 * x] = blue;
            row[3 * x + 1] = green;
            row[3 * x + 2] = red;
        }
        bytes.Bytes(row);
    }
    return bytes.Take();
}

struct Keeper : SlideshowEvents {
    std::vector<std::shared_ptr<Picture>> previews;
    void OnFrameProduced(FrameProduced event) override { previews.push_back(event.preview); }
};

class FrameProductionTest : public ::testing::Test {
  protected:
    SwfTestMovie Build(const std::vector<uint8_t>& picture, const MovieSettings& settings,
                       Keeper* keeper = nullptr) {
        EXPECT_TRUE(WriteFileBytes(scratch_.File("picture.bmp"), picture));
        SlideshowBuildRequest request{
            {scratch_.File("picture.bmp")}, settings, scratch_.File("MOVIE.SWF")};
        request.keepPreview = keeper != nullptr;
        const SlideshowBuildResult result = RunSlideshowBuild(request, keeper, nullptr);
        EXPECT_TRUE(result.ok) << result.error;
        return ParseTestMovie(ReadFileBytes(scratch_.File("MOVIE.SWF")));
    }

    ScratchFolder scratch_;
};

TEST_F(FrameProductionTest, ShapeAndPlacementBytesAreThoseOfAClippedBitmapFillWithAHairline) {
    const SwfTestMovie movie = Build(Bmp24(4, 3,
                                           [](uint32_t, uint32_t) {
                                               return std::array<uint8_t, 3>{9, 9, 9};
                                           }),
                                     MovieSettings{320, 240, 10});
    ASSERT_EQ(movie.error, "");
    const auto shapes = movie.TagsWithCode(kTestTagDefineShape3);
    ASSERT_EQ(shapes.size(), 1u);
    // Id 1, bounds 0-6400 x 0-4800 twips; one fill 0x41 (clipped bitmap 2, scale 20);
    // one line of width 0, opaque black; move to 0,0 with fill 1 and line 1; four edges.
    EXPECT_EQ(ToHex(shapes[0]->body),
              "01 00 70 00 0C 80 00 00 96 00 01 41 02 00 D9 40 00 05 00 00 00 01 00 00 00 00 00 "
              "FF 11 3C 25 F2 C8 00 00 1E 40 00 4B 03 CC E0 00 00 79 00 02 D4 00 00");
    const auto placements = movie.TagsWithCode(kTestTagPlaceObject2);
    ASSERT_EQ(placements.size(), 1u);
    // A new character (0x02) with a matrix (0x04) at depth 1: character 1, identity
    // matrix (one byte of zero bits).
    EXPECT_EQ(ToHex(placements[0]->body), "06 01 00 01 00 00");
}

TEST_F(FrameProductionTest, FrameJpegCarriesTheQuality80Tables) {
    const SwfTestMovie movie =
        Build(Bmp24(64, 48,
                    [](uint32_t x, uint32_t y) {
                        return std::array<uint8_t, 3>{static_cast<uint8_t>(x * 4),
                                                      static_cast<uint8_t>(y * 5), 128};
                    }),
              MovieSettings{64, 48, 10});
    const auto bitmaps = movie.TagsWithCode(kTestTagDefineBitsJpeg2);
    ASSERT_EQ(bitmaps.size(), 1u);
    const std::vector<uint8_t> jpeg = TestJpegData(*bitmaps[0]);
    // The IJG tables scaled to quality 80 (factor 40%), in zig-zag order, worked out
    // from the standard's tables: luminance, then chrominance.
    std::vector<std::string> tables;
    for (size_t at = 0; at + 4 < jpeg.size(); ++at) {
        if (jpeg[at] == 0xFF && jpeg[at + 1] == 0xDB) {
            const size_t length = static_cast<size_t>(jpeg[at + 2] << 8 | jpeg[at + 3]);
            for (size_t table = at + 4; table + 65 <= at + 2 + length; table += 65) {
                tables.push_back(ToHex({jpeg.begin() + table, jpeg.begin() + table + 65}));
            }
        }
    }
    EXPECT_EQ(tables,
              (std::vector<std::string>{
                  "00 06 04 05 06 05 04 06 06 05 06 07 07 06 08 0A 10 0A 0A 09 09 0A 14 0E 0F 0C "
                  "10 17 14 18 18 17 14 16 16 1A 1D 25 1F 1A 1B 23 1C 16 16 20 2C 20 23 26 27 29 "
                  "2A 29 19 1F 2D 30 2D 28 30 25 28 29 28",
                  "01 07 07 07 0A 08 0A 13 0A 0A 13 28 1A 16 1A 28 28 28 28 28 28 28 28 28 28 28 "
                  "28 28 28 28 28 28 28 28 28 28 28 28 28 28 28 28 28 28 28 28 28 28 28 28 28 28 "
                  "28 28 28 28 28 28 28 28 28 28 28 28 28"}));
}

TEST_F(FrameProductionTest, ShrinkingAveragesEachAreaOfThePicture) {
    // 840 x 630 into 280 x 210: every frame pixel is the mean of a 3 x 3 block. Red is
    // 255 in the block's first pixel only, so the area mean is 255 / 9 = 28, where a
    // sampler at the block's centre (bilinear, nearest) would give 0.
    Keeper keeper;
    Build(Bmp24(840, 630,
                [](uint32_t x, uint32_t y) {
                    return std::array<uint8_t, 3>{
                        static_cast<uint8_t>(x % 3 == 0 && y % 3 == 0 ? 255 : 0),
                        static_cast<uint8_t>(90 * (x % 3) + 30 * (y % 3)),
                        static_cast<uint8_t>((x / 3 + y / 3) % 2 == 0 ? 200 : 20)};
                }),
          MovieSettings{280, 210, 10}, &keeper);
    ASSERT_EQ(keeper.previews.size(), 1u);
    ASSERT_NE(keeper.previews[0], nullptr);
    const Picture& fitted = *keeper.previews[0];
    ASSERT_EQ(fitted.GetWidth(), 280u);
    ASSERT_EQ(fitted.GetHeight(), 210u);
    for (uint32_t y : {0u, 1u, 104u, 209u}) {
        for (uint32_t x : {0u, 1u, 140u, 279u}) {
            const RgbQuad colour = fitted.GetPixelColor(x, y, false);
            EXPECT_NEAR(colour.red, 28, 1) << x << "," << y;
            EXPECT_NEAR(colour.green, 120, 1) << x << "," << y;  // 90 * 1 + 30 * 1
            EXPECT_NEAR(colour.blue, (x + y) % 2 == 0 ? 200 : 20, 1) << x << "," << y;
        }
    }
}

}  // namespace
