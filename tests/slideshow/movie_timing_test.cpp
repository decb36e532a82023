// Seconds per picture, crossfades and the stop at the end, read back from the movies
// with the test-side SWF reader: held frames are bare ShowFrames, each fade frame
// moves the incoming picture to its alpha, the picture below goes when the new one
// is opaque, and the Stop action stands on the last frame. ffmpeg still reads them.
#include <gtest/gtest.h>

#include <filesystem>

#include "slideshow/movie_timing.h"
#include "slideshow/slideshow_build.h"
#include "support/file_bytes.h"
#include "support/outside_programs.h"
#include "support/scratch_folder.h"
#include "support/swf_tag_reader.h"

namespace {

using namespace test_support;

const std::string kExamples = std::string(REELWRIGHT_SOURCE_DIR) + "/examples/";
const std::vector<std::string> kThreePictures = {
    kExamples + "01-sunrise.jpg", kExamples + "02-blocks.png", kExamples + "03-checker.bmp"};

MovieOptions Timing(int32_t pictureMilliseconds, int32_t crossfadeMilliseconds, bool stopAtEnd) {
    MovieOptions options;
    options.pictureMilliseconds = pictureMilliseconds;
    options.crossfadeMilliseconds = crossfadeMilliseconds;
    options.stopAtEnd = stopAtEnd;
    return options;
}

// The movie frame by frame, "|" between frames: each tag but ShowFrame in short
// form, "-" for a frame of nothing but its ShowFrame.
std::string DescribeFrames(const SwfTestMovie& movie) {
    std::string text;
    std::string frame;
    for (const SwfTestTag& tag : movie.tags) {
        if (tag.code == kTestTagShowFrame) {
            text += (text.empty() ? "" : " | ") + (frame.empty() ? std::string("-") : frame);
            frame.clear();
            continue;
        }
        std::string described;
        if (tag.code == kTestTagDefineBitsJpeg2) {
            described = "JPEG " + std::to_string(TestCharacterId(tag));
        } else if (tag.code == kTestTagDefineShape3) {
            described = "shape " + std::to_string(TestCharacterId(tag));
        } else if (tag.code == kTestTagPlaceObject2) {
            described = ReadTestPlacement(tag.body);
            // Every placement keeps the shape's identity matrix.
            const std::string identity = ", MATRIX translate 0 0";
            const size_t at = described.find(identity);
            described = at == std::string::npos ? described + " (not the identity)"
                                                : described.erase(at, identity.size());
        } else if (tag.code == kTestTagEnd || tag.code == kTestTagSetBackgroundColor) {
            continue;
        } else {
            described = DescribeTestTag(tag);
        }
        frame += (frame.empty() ? "" : ", ") + described;
    }
    return text;
}

class MovieTimingTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(scratch_.Valid()); }

    std::vector<uint8_t> Build(const std::vector<std::string>& pictures, int32_t rate,
                               const MovieOptions& options,
                               SlideshowBuildResult* result = nullptr) {
        SlideshowBuildRequest request{pictures, MovieSettings{32, 24, rate}, Movie()};
        request.options = options;
        const SlideshowBuildResult built = RunSlideshowBuild(request, nullptr, nullptr);
        if (result != nullptr) {
            *result = built;
        } else {
            EXPECT_TRUE(built.ok) << built.error;
        }
        return ReadFileBytes(Movie());
    }
    std::string Movie() { return scratch_.File("TIMING.SWF"); }

    ScratchFolder scratch_;
};

TEST_F(MovieTimingTest, FadeFramesRaiseTheAlphaEvenlyThenRemoveThePictureBelow) {
    // 0.4 s at 10 fps is 4 frames a picture, 0.3 s of fade 3 of them: alphas 85, 171
    // and 256 (round(256 k / 3)).
    const SwfTestMovie movie = ParseTestMovie(Build(kThreePictures, 10, Timing(400, 300, true)));
    ASSERT_EQ(movie.error, "");
    EXPECT_EQ(movie.frameCount, 12);
    EXPECT_EQ(
        DescribeFrames(movie),
        "JPEG 2, shape 1, place depth 1 id 1 | - | - | - | "
        "JPEG 4, shape 3, place depth 2 id 3, CXFORM mult 256 256 256 85 add 0 0 0 0 | "
        "move depth 2, CXFORM mult 256 256 256 171 add 0 0 0 0 | "
        "move depth 2, CXFORM mult 256 256 256 256 add 0 0 0 0, RemoveObject2 long: depth 1 | - | "
        "JPEG 6, shape 5, place depth 3 id 5, CXFORM mult 256 256 256 85 add 0 0 0 0 | "
        "move depth 3, CXFORM mult 256 256 256 171 add 0 0 0 0 | "
        "move depth 3, CXFORM mult 256 256 256 256 add 0 0 0 0, RemoveObject2 long: depth 2 | "
        "DoAction long: 07");
}

TEST_F(MovieTimingTest, FramesRoundHalvesUpAndAFadeOfOneFrameIsAnOpaquePlacement) {
    struct Case {
        int32_t rate;
        MovieOptions options;
        const char* frames;
    };
    const Case cases[] = {
        // 0.25 s at 10 fps: 2.5 frames, rounded up to 3, and a fade of 0.04 s rounds
        // to none. Then 0.04 s a picture, 0.4 of a frame, is shown once all the same.
        {10, Timing(250, 40, false),
         "JPEG 2, shape 1, place depth 1 id 1 | - | - | JPEG 4, shape 3, place depth 2 id 3 | - | "
         "-"},
        {10, Timing(40, 0, true),
         "JPEG 2, shape 1, place depth 1 id 1 | JPEG 4, shape 3, place depth 2 id 3, DoAction "
         "long: 07"},
        {10, Timing(200, 150, false),
         "JPEG 2, shape 1, place depth 1 id 1 | - | JPEG 4, shape 3, place depth 2 id 3, "
         "CXFORM mult 256 256 256 128 add 0 0 0 0 | move depth 2, CXFORM mult 256 256 256 256 "
         "add 0 0 0 0, RemoveObject2 long: depth 1"},
        {2, Timing(500, 500, false),
         "JPEG 2, shape 1, place depth 1 id 1 | JPEG 4, shape 3, place depth 2 id 3, "
         "CXFORM mult 256 256 256 256 add 0 0 0 0, RemoveObject2 long: depth 1"},
        // A rate of 0 shows every picture once and fades nothing.
        {0, Timing(3000, 1000, false),
         "JPEG 2, shape 1, place depth 1 id 1 | JPEG 4, shape 3, place depth 2 id 3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("rate " + std::to_string(c.rate) + ", " +
                     std::to_string(c.options.pictureMilliseconds) + " ms, fade " +
                     std::to_string(c.options.crossfadeMilliseconds) + " ms");
        const SwfTestMovie movie =
            ParseTestMovie(Build({kThreePictures[0], kThreePictures[1]}, c.rate, c.options));
        ASSERT_EQ(movie.error, "");
        EXPECT_EQ(DescribeFrames(movie), c.frames);
    }
}

TEST_F(MovieTimingTest, HeldFramesCostTwoBytesEachAndTheHeaderCountsThem) {
    const std::vector<uint8_t> plain = Build(kThreePictures, 10, MovieOptions{});
    const std::vector<uint8_t> held = Build(kThreePictures, 10, Timing(3000, 0, false));
    // 29 more frames a picture, each a bare ShowFrame (40 00).
    EXPECT_EQ(held.size(), plain.size() + 3 * 29 * 2);
    const SwfTestMovie movie = ParseTestMovie(held);
    EXPECT_EQ(movie.frameCount, 90);
    EXPECT_EQ(movie.TagsWithCode(kTestTagShowFrame).size(), 90u);
    EXPECT_EQ(movie.TagsWithCode(kTestTagDefineBitsJpeg2).size(), 3u);
    EXPECT_EQ(movie.TagsWithCode(kTestTagPlaceObject2).size(), 3u);
}

TEST_F(MovieTimingTest, AMoviePastTheFrameCountIsRefusedBeforeAnythingIsWritten) {
    // 3 pictures of 2200 s at 10 fps: 66000 frames.
    SlideshowBuildResult result;
    Build(kThreePictures, 10, Timing(2200 * 1000, 0, false), &result);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, "The movie \"" + Movie() +
                                "\" was not written: it would have 66000 frames and a movie "
                                "holds at most 65535.");
    EXPECT_FALSE(std::filesystem::exists(Movie()));
    EXPECT_TRUE(std::filesystem::is_empty(std::filesystem::path(Movie()).parent_path()));

    Build(kThreePictures, 10, Timing(1000, 1500, false), &result);
    EXPECT_EQ(result.error, "The movie \"" + Movie() +
                                "\" was not written: the crossfade (1.5 s) is longer than the "
                                "seconds per picture (1 s).");
    EXPECT_FALSE(std::filesystem::exists(Movie()));
}

TEST(MovieTiming, FrameCountsPastThePlayersLimitAreWarnedAbout) {
    // 16000 frames, 16010, and movies refused anyway: 65540 frames, 32767 pictures.
    EXPECT_EQ(FrameCountWarning(1600, Timing(1000, 0, false), 10), "");
    EXPECT_EQ(FrameCountWarning(1601, Timing(1000, 0, false), 10),
              "The movie has 16010 frames: the classic Flash Player plays at most 16000.");
    EXPECT_EQ(FrameCountWarning(6554, Timing(1000, 0, false), 10), "");
    EXPECT_EQ(FrameCountWarning(32767, MovieOptions{}, 10), "");
    EXPECT_EQ(FrameCountRefusal(65535), "");
    EXPECT_EQ(MovieFrameCount(100, Timing(3000, 1000, false), 10), 3000);
}

TEST_F(MovieTimingTest, FfmpegReadsOnePictureForEachBitmapOfATimedMovie) {
    REQUIRE_PROGRAM("ffmpeg");
    REQUIRE_PROGRAM("convert");
    Build(kThreePictures, 10, Timing(400, 300, true));
    ASSERT_EQ(RunProgramToFile({"ffmpeg", "-v", "error", "-y", "-i", Movie(), "-c", "copy", "-f",
                                "image2", scratch_.File("frame%d.jpg")}),
              0);
    for (int k = 1; k <= 3; ++k) {
        SCOPED_TRACE("frame " + std::to_string(k));
        EXPECT_EQ(DecodeWithImageMagick(scratch_.File("frame" + std::to_string(k) + ".jpg"), 32, 24,
                                        scratch_.File("frame.rgb"))
                      .size(),
                  32u * 24u * 3u);
    }
    EXPECT_FALSE(std::filesystem::exists(scratch_.File("frame4.jpg")));
}

}  // namespace
