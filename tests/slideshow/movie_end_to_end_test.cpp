// Whole builds read back by outside programs: ffprobe sees the frame size and one
// frame per picture, ffmpeg extracts each frame's JPEG, and ImageMagick decodes it to
// pixels that match the source picture stretched to the frame.
#include <gtest/gtest.h>

#include <fstream>

#include "slideshow/slideshow_build.h"
#include "support/file_bytes.h"
#include "support/outside_programs.h"
#include "support/scratch_folder.h"
#include "support/swf_tag_reader.h"

namespace {

using namespace test_support;

// A picture of the movie: drawn by ImageMagick as a PNG master (`drawing` is what
// follows `convert`), then written in its format by `encoder`, in which "MASTER" and
// "FILE" stand for the two paths.
struct SourcePicture {
    std::string name;
    std::vector<std::string> drawing;
    std::vector<std::string> encoder = {"convert", "MASTER", "-type", "TrueColor", "FILE"};
};

TEST(MovieEndToEndTest, FfmpegReadsEveryFrameAsTheStretchedPicture) {
    ScratchFolder scratch;
    ASSERT_FALSE(scratch.Path().empty());
    // Smooth pictures of every format read and of several sizes: some shrink, some
    // grow, some are squeezed in one direction and stretched in the other. ImageMagick
    // marks its TGA files bottom-up yet stores them top row first, so TGA files are
    // made with ffmpeg; the GIF's gradient has fewer than 256 colours, so its palette
    // keeps it whole; WebP, HEIC and AVIF come from their own encoders.
    const std::vector<SourcePicture> sources{
        {"one.png", {"-size", "800x600", "gradient:red-blue"}},
        {"two.bmp", {"-size", "100x400", "gradient:yellow-navy"}},
        {"three.jpg", {"-size", "320x240", "radial-gradient:white-darkgreen"}},
        {"four.tga",
         {"-size", "64x48", "gradient:black-orange"},
         {"ffmpeg", "-v", "error", "-i", "MASTER", "-pix_fmt", "bgr24", "FILE"}},
        {"five.gif", {"-size", "120x90", "gradient:green-white"}, {"convert", "MASTER", "FILE"}},
        {"six.ico", {"-size", "48x48", "gradient:purple-yellow"}, {"convert", "MASTER", "FILE"}},
        {"seven.webp",
         {"-size", "640x480", "radial-gradient:orange-blue"},
         {"cwebp", "-quiet", "-q", "90", "MASTER", "-o", "FILE"}},
        {"eight.heic",
         {"-size", "500x300", "gradient:cyan-maroon"},
         {"heif-enc", "-q", "90", "MASTER", "-o", "FILE"}},
        {"nine.avif",
         {"-size", "300x500", "gradient:pink-darkblue"},
         {"avifenc", "--jobs", "1", "MASTER", "FILE"}},
    };
    // The master is what the frame is compared with.
    std::vector<std::string> paths;
    std::vector<std::string> masters;
    for (const SourcePicture& source : sources) {
        const std::string master = scratch.File(source.name + ".master.png");
        std::vector<std::string> arguments{"convert"};
        arguments.insert(arguments.end(), source.drawing.begin(), source.drawing.end());
        arguments.push_back(master);
        ASSERT_EQ(RunProgramToFile(arguments), 0) << "ImageMagick could not draw " << source.name;
        const std::string path = scratch.File(source.name);
        std::vector<std::string> encoder = source.encoder;
        for (std::string& argument : encoder) {
            argument = argument == "MASTER" ? master : argument == "FILE" ? path : argument;
        }
        ASSERT_EQ(RunProgramToFile(encoder), 0) << encoder[0] << " could not write " << source.name;
        paths.push_back(path);
        masters.push_back(master);
    }

    constexpr int kWidth = 280;
    constexpr int kHeight = 210;
    const std::string movie = scratch.File("SHOW.SWF");
    const SlideshowBuildResult result =
        RunSlideshowBuild({paths, MovieSettings{kWidth, kHeight, 10}, movie}, nullptr, nullptr);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.unreadablePictures, 0);

    // ffprobe: the frame size and one frame per picture. A missing ffprobe fails.
    REQUIRE_PROGRAM("ffprobe");
    const std::string probe = scratch.File("probe.txt");
    ASSERT_EQ(RunProgramToFile(
                  {"ffprobe", "-v", "error", "-select_streams", "v:0", "-count_frames",
                   "-show_entries", "stream=width,height,nb_read_frames", "-of", "csv=p=0", movie},
                  probe),
              0)
        << "ffprobe is needed (Debian package ffmpeg)";
    EXPECT_EQ(ReadFileText(probe), "280,210,9\n");

    // ffmpeg: each frame's JPEG data as stored, without re-encoding.
    ASSERT_EQ(RunProgramToFile({"ffmpeg", "-v", "error", "-i", movie, "-c", "copy", "-f", "image2",
                                scratch.File("frame%d.jpg")}),
              0)
        << "ffmpeg is needed (Debian package ffmpeg)";

    const SwfTestMovie parsed = ParseTestMovie(ReadFileBytes(movie));
    ASSERT_EQ(parsed.error, "");
    const auto bitmaps = parsed.TagsWithCode(kTestTagDefineBitsJpeg2);
    ASSERT_EQ(bitmaps.size(), sources.size());
    for (size_t i = 0; i < sources.size(); ++i) {
        SCOPED_TRACE(sources[i].name);
        // What our encoder wrote: the bitmap's data without the FF D9 FF D8 in front
        // and the FF D9 behind.
        const std::vector<uint8_t> data = TestJpegData(*bitmaps[i]);
        ASSERT_GT(data.size(), 6u);
        const std::vector<uint8_t> encoded(data.begin() + 4, data.end() - 2);
        ASSERT_EQ(encoded[0], 0xFF);
        ASSERT_EQ(encoded[1], 0xD8);
        const std::string frame = scratch.File("frame" + std::to_string(i + 1) + ".jpg");
        const std::vector<uint8_t> extracted = ReadFileBytes(frame);
        ASSERT_GE(extracted.size(), encoded.size());
        EXPECT_TRUE(std::equal(encoded.begin(), encoded.end(), extracted.begin()))
            << "frame " << i + 1 << " does not begin with the encoder's bytes";

        // The decoded frame against the source stretched by ImageMagick: JPEG loss
        // and the different resampling filters stay well inside this tolerance.
        const std::vector<uint8_t> decoded =
            DecodeWithImageMagick(frame, kWidth, kHeight, scratch.File("decoded.rgb"));
        const std::vector<uint8_t> expected = DecodeWithImageMagick(
            masters[i], kWidth, kHeight, scratch.File("expected.rgb"), /*stretch=*/true);
        ASSERT_EQ(decoded.size(), static_cast<size_t>(kWidth * kHeight * 3));
        ASSERT_EQ(expected.size(), decoded.size());
        EXPECT_LT(MeanAbsoluteDifference(decoded, expected), 4.0);
    }
}

}  // namespace
