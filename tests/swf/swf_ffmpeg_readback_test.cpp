// An outside reader checks our movies: ffmpeg (Debian's build) reads a two-frame
// slideshow written the way the program writes it, and hands back each frame's
// JPEG data and decoded pixels. A missing ffmpeg fails these tests.

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "support/byte_builder.h"
#include "support/file_bytes.h"
#include "support/outside_programs.h"
#include "support/scratch_folder.h"
#include "swf/swf_jpeg_bitmap.h"
#include "swf/swf_shape.h"
#include "swf/swf_writer.h"

namespace {

using namespace test_support;

// The slideshow's frame i from a JPEG file, exactly as the build produces it.
void AddPictureFrame(SwfWriter& writer, int i, const std::string& jpegPath, float width,
                     float height) {
    SwfJpegBitmap bitmap(static_cast<uint16_t>(2 * i + 2), jpegPath);
    writer.AddCharacter(&bitmap, kSwfNoDepth, false);
    SwfShape shape(static_cast<uint16_t>(2 * i + 1), 0, 0, width, height,
                   static_cast<uint16_t>(i + 1));
    shape.AddLineStyle(0, 0xFF000000);
    shape.AddBitmapFill(static_cast<uint16_t>(2 * i + 2), 0x41, 0, 0, width, height, 0, 0, width,
                        height);
    shape.AddStyleChange(1, 1, 0, SwfPoint{0, 0});
    shape.AddStraightEdge(width, 0);
    shape.AddStraightEdge(0, height);
    shape.AddStraightEdge(-width, 0);
    shape.AddStraightEdge(0, -height);
    writer.AddCharacter(&shape, static_cast<uint16_t>(i + 1), true);
    writer.ShowFrame();
}

class SwfFfmpegReadback : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.Valid());
        moviePath_ = folder_.File("slideshow.swf");
        SwfWriter writer;
        ASSERT_EQ(writer.Open(moviePath_, 64, 48, 10), 1);
        writer.SetBackgroundColor(0x000000);
        AddPictureFrame(writer, 0, DataFilePath("swf", "picture_red_blue.jpg"), 64, 48);
        AddPictureFrame(writer, 1, DataFilePath("swf", "picture_yellow_green.jpg"), 64, 48);
        ASSERT_TRUE(writer.Close()) << writer.GetError();
    }

    ScratchFolder folder_;
    std::string moviePath_;
};

TEST_F(SwfFfmpegReadback, ProbeSeesTwoFramesOfTheFrameSize) {
    const ProgramRun probe =
        RunProgram({"ffprobe", "-v", "error", "-count_frames", "-select_streams", "v:0",
                    "-show_entries", "stream=codec_name,width,height,nb_read_frames", "-of",
                    "default=noprint_wrappers=1", moviePath_},
                   folder_.Path());
    ASSERT_TRUE(probe.started) << "ffprobe could not be started; install Debian's ffmpeg";
    ASSERT_EQ(probe.exitStatus, 0) << probe.errors;
    // The demuxer takes the size from the bitmaps, which the program always makes
    // at the frame's size.
    EXPECT_EQ(probe.output, "codec_name=mjpeg\nwidth=64\nheight=48\nnb_read_frames=2\n");
}

TEST_F(SwfFfmpegReadback, EachFrameCarriesItsJpegFileUnchanged) {
    const ProgramRun copy = RunProgram({"ffmpeg", "-v", "error", "-i", moviePath_, "-c", "copy",
                                        "-f", "image2", folder_.File("frame%d.jpg")},
                                       folder_.Path());
    ASSERT_TRUE(copy.started) << "ffmpeg could not be started; install Debian's ffmpeg";
    ASSERT_EQ(copy.exitStatus, 0) << copy.errors;

    const char* sources[] = {"picture_red_blue.jpg", "picture_yellow_green.jpg"};
    for (int frame = 1; frame <= 2; ++frame) {
        SCOPED_TRACE(frame);
        const std::vector<uint8_t> source = ReadFileBytes(DataFilePath("swf", sources[frame - 1]));
        const std::vector<uint8_t> extracted =
            ReadFileBytes(folder_.File("frame" + std::to_string(frame) + ".jpg"));
        ASSERT_FALSE(source.empty());
        // ffmpeg drops the leading FF D9 FF D8 of the bitmap data and hands back
        // everything after it: the file's bytes, then the tag's closing FF D9.
        ASSERT_EQ(extracted.size(), source.size() + 2);
        EXPECT_TRUE(std::equal(source.begin(), source.end(), extracted.begin()));
        EXPECT_EQ(extracted[source.size()], 0xFF);
        EXPECT_EQ(extracted[source.size() + 1], 0xD9);
    }
    EXPECT_TRUE(ReadFileBytes(folder_.File("frame3.jpg")).empty());
}

TEST_F(SwfFfmpegReadback, DecodedFramesShowWhatImageMagickDrew) {
    const ProgramRun decode =
        RunProgram({"ffmpeg", "-v", "error", "-i", moviePath_, "-f", "image2", "-c:v", "ppm",
                    "-pix_fmt", "rgb24", folder_.File("frame%d.ppm")},
                   folder_.Path());
    ASSERT_TRUE(decode.started) << "ffmpeg could not be started; install Debian's ffmpeg";
    ASSERT_EQ(decode.exitStatus, 0) << decode.errors;

    // A binary PPM of 64x48: "P6\n64 48\n255\n" then rows of red, green, blue.
    const auto pixel = [](const std::vector<uint8_t>& ppm, int x, int y) {
        const size_t header = std::string("P6\n64 48\n255\n").size();
        const size_t at = header + (static_cast<size_t>(y) * 64 + x) * 3;
        return std::vector<int>{ppm.at(at), ppm.at(at + 1), ppm.at(at + 2)};
    };
    const auto near = [](const std::vector<int>& got, std::vector<int> want) {
        for (size_t c = 0; c < 3; ++c) {
            if (std::abs(got[c] - want[c]) > 24) {
                return false;
            }
        }
        return true;
    };
    const std::vector<uint8_t> first = ReadFileBytes(folder_.File("frame1.ppm"));
    const std::vector<uint8_t> second = ReadFileBytes(folder_.File("frame2.ppm"));
    ASSERT_EQ(first.size(), 13u + 64 * 48 * 3);
    ASSERT_EQ(second.size(), 13u + 64 * 48 * 3);
    // Frame 1: red at the top fading to blue at the bottom.
    EXPECT_TRUE(near(pixel(first, 32, 1), {255, 0, 0}));
    EXPECT_TRUE(near(pixel(first, 32, 46), {0, 0, 255}));
    // Frame 2: a green rectangle on yellow.
    EXPECT_TRUE(near(pixel(second, 24, 20), {0, 128, 0}));
    EXPECT_TRUE(near(pixel(second, 56, 40), {255, 255, 0}));
}

}  // namespace
