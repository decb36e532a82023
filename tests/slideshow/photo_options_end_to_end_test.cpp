// Movies built with the photo options, read back by outside programs: ffmpeg takes
// each frame's JPEG out of the movie and ImageMagick decodes it, against references
// ImageMagick makes on its own (-auto-orient; -resize with -extent for contain and
// cover). With every option at its default the movie is the plain one, byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "image/picture.h"
#include "slideshow/movie_option_fields.h"
#include "slideshow/slideshow_build.h"
#include "support/file_bytes.h"
#include "support/outside_programs.h"
#include "support/scratch_folder.h"
#include "support/swf_tag_reader.h"

namespace {

using namespace test_support;

const std::string kJpegFixtures = std::string(REELWRIGHT_TEST_DATA_DIR) + "/jpeg/";
const std::string kExamples = std::string(REELWRIGHT_SOURCE_DIR) + "/examples/";

struct Keeper : SlideshowEvents {
    std::vector<std::shared_ptr<Picture>> fitted;
    void OnFrameProduced(FrameProduced event) override { fitted.push_back(event.preview); }
};

class PhotoOptionsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(scratch_.Valid());
        REQUIRE_PROGRAM("ffmpeg");
        REQUIRE_PROGRAM("convert");
    }

    // Builds the pictures into MOVIE.SWF with the options; the fitted pictures are
    // kept in `keeper` when one is given.
    std::vector<uint8_t> Build(const std::vector<std::string>& pictures, MovieSettings settings,
                               const MovieOptions& options, Keeper* keeper = nullptr) {
        SlideshowBuildRequest request{pictures, settings, scratch_.File("MOVIE.SWF")};
        request.options = options;
        request.keepPreview = keeper != nullptr;
        const SlideshowBuildResult result = RunSlideshowBuild(request, keeper, nullptr);
        EXPECT_TRUE(result.ok) << result.error;
        return ReadFileBytes(scratch_.File("MOVIE.SWF"));
    }

    // Frame k's JPEG as ffmpeg takes it out of the movie (as stored), decoded by
    // ImageMagick into width x height RGB bytes.
    std::vector<uint8_t> FfmpegFrame(int k, int width, int height) {
        const std::string pattern = scratch_.File("frame%d.jpg");
        EXPECT_EQ(RunProgramToFile({"ffmpeg", "-v", "error", "-y", "-i", scratch_.File("MOVIE.SWF"),
                                    "-c", "copy", "-f", "image2", pattern}),
                  0);
        return DecodeWithImageMagick(scratch_.File("frame" + std::to_string(k) + ".jpg"), width,
                                     height, scratch_.File("frame.rgb"));
    }

    // What ImageMagick makes of a picture with `operations`, as RGB bytes.
    std::vector<uint8_t> ImageMagick(const std::string& picture,
                                     const std::vector<std::string>& operations, int width,
                                     int height) {
        const std::string made = scratch_.File("reference.png");
        std::vector<std::string> arguments{"convert", picture};
        arguments.insert(arguments.end(), operations.begin(), operations.end());
        arguments.push_back(made);
        EXPECT_EQ(RunProgramToFile(arguments), 0);
        return DecodeWithImageMagick(made, width, height, scratch_.File("reference.rgb"));
    }

    std::string Draw(const std::string& name, const std::vector<std::string>& drawing) {
        std::vector<std::string> arguments{"convert"};
        arguments.insert(arguments.end(), drawing.begin(), drawing.end());
        arguments.push_back(scratch_.File(name));
        EXPECT_EQ(RunProgramToFile(arguments), 0);
        return scratch_.File(name);
    }

    ScratchFolder scratch_;
};

TEST_F(PhotoOptionsTest, EveryOrientationComesOutUprightInTheMovie) {
    // Each fixture holds the same blocks stored another way; turned upright, each is
    // 45 x 30 and is what ImageMagick's -auto-orient makes of the file.
    for (int orientation = 1; orientation <= 8; ++orientation) {
        SCOPED_TRACE(orientation);
        const std::string photo =
            kJpegFixtures + "orientation_" + std::to_string(orientation) + ".jpg";
        MovieOptions upright;
        upright.upright = true;
        Build({photo}, MovieSettings{45, 30, 10}, upright);
        const std::vector<uint8_t> frame = FfmpegFrame(1, 45, 30);
        const std::vector<uint8_t> reference =
            ImageMagick(photo, {"-auto-orient", "+repage"}, 45, 30);
        ASSERT_FALSE(reference.empty());
        // The blocks' sharp edges through the frame's JPEG (quality 80, chroma halved)
        // cost every orientation alike, 6.3 levels on average; a picture turned the
        // wrong way is over 30 levels away.
        EXPECT_LT(MeanAbsoluteDifference(frame, reference), 8.0);
    }
    // Without the option a sideways photo stays sideways, squeezed into the frame.
    Build({kJpegFixtures + "orientation_6.jpg"}, MovieSettings{45, 30, 10}, MovieOptions{});
    EXPECT_GT(MeanAbsoluteDifference(FfmpegFrame(1, 45, 30),
                                     ImageMagick(kJpegFixtures + "orientation_6.jpg",
                                                 {"-auto-orient", "+repage"}, 45, 30)),
              30.0);
}

// The smallest rectangle holding every pixel that is not the background, as
// left, top, right, bottom (rows from the top).
std::array<int, 4> PictureBounds(const std::vector<uint8_t>& rgb, int width, int height,
                                 std::array<uint8_t, 3> background) {
    std::array<int, 4> bounds{width, height, -1, -1};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint8_t* pixel = &rgb[3 * (static_cast<size_t>(y) * width + x)];
            if (pixel[0] != background[0] || pixel[1] != background[1] ||
                pixel[2] != background[2]) {
                bounds = {std::min(bounds[0], x), std::min(bounds[1], y), std::max(bounds[2], x),
                          std::max(bounds[3], y)};
            }
        }
    }
    return bounds;
}

// A fitted picture's pixels, top row first, as RGB bytes.
std::vector<uint8_t> RgbOf(const Picture& picture) {
    std::vector<uint8_t> rgb;
    for (uint32_t y = picture.GetHeight(); y-- > 0;) {
        for (uint32_t x = 0; x < picture.GetWidth(); ++x) {
            const RgbQuad c = picture.GetPixelColor(x, y, false);
            rgb.insert(rgb.end(), {c.red, c.green, c.blue});
        }
    }
    return rgb;
}

TEST_F(PhotoOptionsTest, ContainAndCoverAgreeWithImageMagicksResizeAndExtent) {
    // Red grows to the right and green downwards, so a crop or a border in the wrong
    // place shows. A landscape and a portrait picture, in a landscape and a portrait
    // frame; the background is a colour no picture holds.
    const std::string landscape =
        Draw("landscape.png", {"-size", "320x180", "xc:", "-channel", "R", "-fx", "i/w", "-channel",
                               "G", "-fx", "j/h", "-channel", "B", "-fx", "0.5"});
    const std::string portrait =
        Draw("portrait.png", {"-size", "150x260", "xc:", "-channel", "R", "-fx", "i/w", "-channel",
                              "G", "-fx", "j/h", "-channel", "B", "-fx", "0.5"});
    const std::array<uint8_t, 3> kBackground{0x33, 0x66, 0xCC};
    MovieOptions options;
    options.background = 0x3366CC;
    for (const auto& [width, height] : {std::pair{280, 210}, std::pair{150, 200}}) {
        for (const std::string& picture : {landscape, portrait}) {
            for (PictureFit fit : {PictureFit::kContain, PictureFit::kCover}) {
                const bool contain = fit == PictureFit::kContain;
                SCOPED_TRACE(testing::Message() << picture << " in " << width << "x" << height
                                                << (contain ? " contain" : " cover"));
                const std::string size = std::to_string(width) + "x" + std::to_string(height);
                const std::vector<uint8_t> reference =
                    contain ? ImageMagick(picture,
                                          {"-resize", size, "-background", "#3366CC", "-gravity",
                                           "center", "-extent", size},
                                          width, height)
                            : ImageMagick(
                                  picture,
                                  {"-resize", size + "^", "-gravity", "center", "-extent", size},
                                  width, height);
                ASSERT_FALSE(reference.empty());
                options.fit = fit;
                Keeper keeper;
                Build({picture}, MovieSettings{width, height, 10}, options, &keeper);
                ASSERT_EQ(keeper.fitted.size(), 1u);
                ASSERT_NE(keeper.fitted[0], nullptr);
                const std::vector<uint8_t> fitted = RgbOf(*keeper.fitted[0]);
                ASSERT_EQ(fitted.size(), reference.size());
                // The picture's place: each edge within the one pixel the two
                // roundings of a centring offset may differ by.
                const auto ours = PictureBounds(fitted, width, height, kBackground);
                const auto theirs = PictureBounds(reference, width, height, kBackground);
                for (int edge = 0; edge < 4; ++edge) {
                    EXPECT_NEAR(ours[edge], theirs[edge], 1) << "edge " << edge;
                }
                // The pixels: the two resamplers differ a little on smooth ramps (0.4 to
                // 2.1 levels on average, the most where a border column falls on the
                // other side of the one-pixel rounding).
                EXPECT_LT(MeanAbsoluteDifference(fitted, reference), 2.5);
                // And the movie as ffmpeg reads it.
                EXPECT_LT(MeanAbsoluteDifference(FfmpegFrame(1, width, height), reference), 3.5);
            }
        }
    }
}

TEST_F(PhotoOptionsTest, TheBackgroundColourIsTheMoviesAndTheBordersOfContainedPictures) {
    MovieOptions options;
    options.fit = PictureFit::kContain;
    options.background = 0xFF8000;
    const std::vector<uint8_t> movie =
        Build({kExamples + "01-sunrise.jpg"}, MovieSettings{200, 300, 10}, options);
    const SwfTestMovie parsed = ParseTestMovie(movie);
    ASSERT_EQ(parsed.error, "");
    const auto backgrounds = parsed.TagsWithCode(kTestTagSetBackgroundColor);
    ASSERT_EQ(backgrounds.size(), 1u);
    EXPECT_EQ(ToHex(backgrounds[0]->body), "FF 80 00");
    // 640 x 480 in 200 x 300: 200 x 150 at y 75, borders of 75 rows above and below.
    const std::vector<uint8_t> frame = FfmpegFrame(1, 200, 300);
    ASSERT_EQ(frame.size(), 200u * 300 * 3);
    for (int y : {0, 30, 70, 230, 299}) {
        for (int x : {0, 100, 199}) {
            const uint8_t* pixel = &frame[3 * (static_cast<size_t>(y) * 200 + x)];
            EXPECT_NEAR(pixel[0], 0xFF, 3) << x << "," << y;
            EXPECT_NEAR(pixel[1], 0x80, 3) << x << "," << y;
            EXPECT_NEAR(pixel[2], 0x00, 3) << x << "," << y;
        }
    }
}

// The first quantisation table of the movie's first frame: its precision and first
// three values.
std::string FirstQuantisationTable(const std::vector<uint8_t>& movie) {
    const SwfTestMovie parsed = ParseTestMovie(movie);
    const auto bitmaps = parsed.TagsWithCode(kTestTagDefineBitsJpeg2);
    if (bitmaps.empty()) {
        return "no bitmap";
    }
    const std::vector<uint8_t> jpeg = TestJpegData(*bitmaps[0]);
    for (size_t at = 0; at + 10 < jpeg.size(); ++at) {
        if (jpeg[at] == 0xFF && jpeg[at + 1] == 0xDB) {
            return ToHex({jpeg.begin() + at + 4, jpeg.begin() + at + 11});
        }
    }
    return "no table";
}

TEST_F(PhotoOptionsTest, QualityGivesTheLibrarysTablesAndFfmpegReadsEveryOne) {
    // The luminance table's first values (16, 11, 10 in the standard) scaled: by
    // 5000% at quality 1, which needs 16-bit values (precision 1); by 40% at 80; to 1
    // at 100. A coarser table loses more of the picture.
    struct Case {
        int quality;
        const char* table;
    };
    const Case cases[] = {
        {1, "10 03 20 02 26 02 58"}, {80, "00 06 04 05 06 05 04"}, {100, "00 01 01 01 01 01 01"}};
    const std::string photo = kExamples + "01-sunrise.jpg";
    const std::vector<uint8_t> reference = ImageMagick(photo, {"-resize", "280x210!"}, 280, 210);
    double lastDifference = 1e9;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.quality);
        MovieOptions options;
        options.jpegQuality = c.quality;
        const std::vector<uint8_t> movie = Build({photo}, MovieSettings{280, 210, 10}, options);
        EXPECT_EQ(FirstQuantisationTable(movie), c.table);
        const std::vector<uint8_t> frame = FfmpegFrame(1, 280, 210);
        ASSERT_EQ(frame.size(), reference.size());
        const double difference = MeanAbsoluteDifference(frame, reference);
        EXPECT_LT(difference, lastDifference);
        lastDifference = difference;
    }
}

TEST_F(PhotoOptionsTest, ExplicitDefaultsMakeThePlainMovieByteForByte) {
    const std::vector<std::string> pictures{
        kExamples + "01-sunrise.jpg", kExamples + "02-blocks.png", kExamples + "03-checker.bmp",
        kJpegFixtures + "orientation_6.jpg"};
    const std::vector<uint8_t> plain = Build(pictures, MovieSettings{}, MovieOptions{});
    const MovieOptions explicitDefaults = MovieOptionsFromTexts({{"upright", "false"},
                                                                 {"fit", "stretch"},
                                                                 {"background", "000000"},
                                                                 {"quality", "80"},
                                                                 {"seconds", "0"},
                                                                 {"crossfade", "0"},
                                                                 {"stop-at-end", "false"}});
    SlideshowBuildRequest request{pictures, MovieSettings{}, scratch_.File("DEFAULTS.SWF")};
    request.options = explicitDefaults;
    ASSERT_TRUE(RunSlideshowBuild(request, nullptr, nullptr).ok);
    EXPECT_EQ(ReadFileBytes(scratch_.File("DEFAULTS.SWF")), plain);
}

}  // namespace
