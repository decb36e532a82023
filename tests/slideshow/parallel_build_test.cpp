// The build on several threads: the same movie as on one, frames and events in list
// order, pictures that load but cannot become a frame, a stop that leaves nothing.
#include <dirent.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <mutex>

#include "image/picture.h"
#include "slideshow/frame_pipeline.h"
#include "slideshow/slideshow_build.h"
#include "support/byte_builder.h"
#include "support/file_bytes.h"
#include "support/outside_programs.h"
#include "support/scratch_folder.h"
#include "support/swf_tag_reader.h"

namespace {

using namespace test_support;
namespace fs = std::filesystem;

const std::string kExamples = std::string(REELWRIGHT_SOURCE_DIR) + "/examples";
const std::string kData = REELWRIGHT_TEST_DATA_DIR;

// An 8-bit BMP of width x height whose RLE data ends at once: a tiny file of a large
// picture of palette index 0.
std::vector<uint8_t> EmptyRle8Bmp(uint32_t width, uint32_t height) {
    LittleEndianBytes bytes;
    bytes.Text("BM").U32(14 + 40 + 8 + 2).U32(0).U32(14 + 40 + 8);
    bytes.U32(40).U32(width).U32(height).U16(1).U16(8).U32(1).U32(2).U32(2835).U32(2835);
    bytes.U32(2).U32(0).Bytes({0x20, 0x40, 0x60, 0, 0xFF, 0xFF, 0xFF, 0}).Bytes({0, 1});
    return bytes.Take();
}

// A 1-bit BMP of one row: its width alone can pass a JPEG's 65500-pixel limit.
std::vector<uint8_t> OneRowBmp(uint32_t width) {
    const uint32_t rowBytes = (width + 31) / 32 * 4;
    LittleEndianBytes bytes;
    bytes.Text("BM").U32(14 + 40 + 8 + rowBytes).U32(0).U32(14 + 40 + 8);
    bytes.U32(40).U32(width).U32(1).U16(1).U16(1).U32(0).U32(rowBytes).U32(2835).U32(2835);
    bytes.U32(2).U32(0).Bytes({0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0});
    bytes.Bytes(std::vector<uint8_t>(rowBytes, 0xAA));
    return bytes.Take();
}

struct Recorder : SlideshowEvents {
    std::vector<std::string> steps;
    StopRequest stop;
    int stopAtFrame = -1;
    void OnEntryStarted(const EntryStarted& event) override {
        steps.push_back("entry " + std::to_string(event.index));
    }
    void OnFrameProduced(FrameProduced event) override {
        steps.push_back("frame " + std::to_string(event.index) + " " + event.sizeText + " " +
                        (event.outcome == FrameOutcome::kPictureUsed ? "used" : event.reason));
        if (event.index == stopAtFrame) {
            stop.Request();
        }
    }
};

size_t ThreadCount() {
    size_t count = 0;
    if (DIR* tasks = opendir("/proc/self/task")) {
        while (const dirent* entry = readdir(tasks)) {
            count += entry->d_name[0] != '.';
        }
        closedir(tasks);
    }
    return count;
}

class ParallelBuildTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(WriteFileBytes(scratch_.File("huge.bmp"), EmptyRle8Bmp(16384, 16384)));
        ASSERT_TRUE(WriteFileBytes(scratch_.File("wide.bmp"), OneRowBmp(70000)));
        ASSERT_TRUE(WriteFileText(scratch_.File("damaged.png"), "\x89PNG\r\n\x1a\n broken"));
    }

    SlideshowBuildResult Build(const std::vector<std::string>& paths, const MovieSettings& settings,
                               int threads, const std::string& movie, Recorder* recorder,
                               bool fast = false) {
        SlideshowBuildRequest request{paths, settings, movie};
        request.threads = threads;
        request.fastDecode = fast;
        return RunSlideshowBuild(request, recorder, recorder ? &recorder->stop : nullptr);
    }

    ScratchFolder scratch_;
};

TEST_F(ParallelBuildTest, AnyNumberOfThreadsWritesTheSameMovieAndReportsInListOrder) {
    const std::vector<std::string> paths{
        scratch_.File("missing.jpg"),        kExamples + "/01-sunrise.jpg",
        kExamples + "/05-grey-triangle.jpg", kExamples + "/03-checker.bmp",
        scratch_.File("damaged.png"),        scratch_.File("huge.bmp"),
        kExamples + "/06-badge.ico",         kExamples + "/02-blocks.png",
        kExamples + "/04-ring.tga",          scratch_.File("wide.bmp"),
        kData + "/heif/alpha.heic",          kData + "/avif/deep12.avif",
        kData + "/webp/animated.webp"};
    std::vector<uint8_t> first;
    std::vector<std::string> firstSteps;
    for (int threads : {1, 4, 2}) {
        SCOPED_TRACE(threads);
        Recorder recorder;
        const std::string movie = scratch_.File("T" + std::to_string(threads) + ".SWF");
        const SlideshowBuildResult result =
            Build(paths, MovieSettings{160, 120, 10}, threads, movie, &recorder);
        ASSERT_TRUE(result.ok) << result.error;
        EXPECT_EQ(result.unreadablePictures, 3);
        const std::vector<uint8_t> bytes = ReadFileBytes(movie);
        if (first.empty()) {
            first = bytes;
            firstSteps = recorder.steps;
            EXPECT_EQ(ParseTestMovie(bytes).frameCount, 13);
        } else {
            EXPECT_TRUE(bytes == first);
            EXPECT_EQ(recorder.steps, firstSteps);
        }
    }
    ASSERT_EQ(firstSteps.size(), 26u);
    EXPECT_EQ(firstSteps[0], "entry 0");
    EXPECT_EQ(firstSteps[1], "frame 0 0*0 pixels No such file or directory");
    EXPECT_EQ(firstSteps[3], "frame 1 160*120 pixels used");
    // The huge picture's 8 bits would fit the limit alone, but beside its 24-bit form
    // and their alpha planes (16384 x 16384 x 5 bytes) it is refused before decoding.
    EXPECT_EQ(firstSteps[11],
              "frame 5 0*0 pixels PICTURE_MAX_MEMORY exceeded: the picture needs 1280 MiB on its "
              "way to a frame, more than the 256 MiB one picture may take");
    EXPECT_EQ(firstSteps[21], "frame 10 160*120 pixels used");
    EXPECT_EQ(firstSteps[25], "frame 12 160*120 pixels used");
}

TEST_F(ParallelBuildTest, PictureTheEncoderRefusesRepeatsTheFrameBefore) {
    // A frame size of 0 leaves the 70000-pixel-wide picture at its own width, which no
    // JPEG can hold.
    Recorder recorder;
    const std::string movie = scratch_.File("WIDE.SWF");
    const SlideshowBuildResult result =
        Build({kExamples + "/01-sunrise.jpg", scratch_.File("wide.bmp")}, MovieSettings{0, 210, 10},
              2, movie, &recorder);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.unreadablePictures, 1);
    ASSERT_EQ(recorder.steps.size(), 4u);
    EXPECT_EQ(
        recorder.steps[3].rfind("frame 1 70000*1 pixels cannot encode the picture as JPEG: ", 0),
        0u)
        << recorder.steps[3];
    const SwfTestMovie parsed = ParseTestMovie(ReadFileBytes(movie));
    const auto bitmaps = parsed.TagsWithCode(kTestTagDefineBitsJpeg2);
    ASSERT_EQ(bitmaps.size(), 2u);
    EXPECT_EQ(TestJpegData(*bitmaps[1]), TestJpegData(*bitmaps[0]));
}

TEST_F(ParallelBuildTest, StopEndsAParallelRunWithoutMovieTemporaryFileOrThread) {
    const size_t threadsBefore = ThreadCount();
    Recorder recorder;
    recorder.stopAtFrame = 2;
    const std::string movie = scratch_.File("STOPPED.SWF");
    const SlideshowBuildResult result =
        Build(std::vector<std::string>(60, kExamples + "/05-grey-triangle.jpg"), MovieSettings{}, 4,
              movie, &recorder);
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(recorder.steps.back(), "frame 2 280*210 pixels used");
    EXPECT_FALSE(fs::exists(movie));
    for (const auto& entry : fs::directory_iterator(scratch_.Path())) {
        EXPECT_EQ(entry.path().filename().string().find(".part-"), std::string::npos);
    }
    EXPECT_EQ(ThreadCount(), threadsBefore);
}

// Two workers and nothing taken yet: four frames are fitted, two per worker, and then
// each frame taken makes room for one more. The fitting is a hook that counts the
// frames in flight and holds the first ones until both workers have one.
TEST(FramePipeline, NeverHasMoreThanTwoFramesPerWorkerInFlight) {
    constexpr size_t kCount = 12;
    std::mutex mutex;
    std::condition_variable changed;
    size_t started = 0;
    size_t taken = 0;  // counted before each Next, which is what makes room
    size_t mostInFlight = 0;
    bool released = false;
    FramePipeline pipeline(
        kCount,
        [&](size_t index) {
            std::unique_lock<std::mutex> lock(mutex);
            ++started;
            mostInFlight = std::max(mostInFlight, started - taken);
            changed.notify_all();
            changed.wait(lock, [&] { return released; });
            FittedFrame frame;
            frame.sizeText = std::to_string(index);
            return frame;
        },
        2);
    {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [&] { return started >= 2; });
        released = true;
        changed.notify_all();
        changed.wait(lock, [&] { return started >= 4; });
    }
    for (size_t i = 0; i < kCount; ++i) {
        {
            const std::lock_guard<std::mutex> lock(mutex);
            ++taken;
        }
        const std::optional<FittedFrame> frame = pipeline.Next();
        ASSERT_TRUE(frame.has_value());
        EXPECT_EQ(frame->sizeText, std::to_string(i));
    }
    EXPECT_FALSE(pipeline.Next().has_value());
    EXPECT_EQ(mostInFlight, 4u);
}

TEST_F(ParallelBuildTest, FastDecodeStaysCloseToTheExactFrames) {
    const std::vector<std::string> paths{kExamples + "/01-sunrise.jpg",
                                         kExamples + "/05-grey-triangle.jpg"};
    const MovieSettings settings{120, 90, 10};
    ASSERT_TRUE(Build(paths, settings, 1, scratch_.File("EXACT.SWF"), nullptr).ok);
    ASSERT_TRUE(Build(paths, settings, 2, scratch_.File("FAST.SWF"), nullptr, true).ok);
    const SwfTestMovie exactMovie = ParseTestMovie(ReadFileBytes(scratch_.File("EXACT.SWF")));
    const SwfTestMovie fastMovie = ParseTestMovie(ReadFileBytes(scratch_.File("FAST.SWF")));
    const auto exact = exactMovie.TagsWithCode(kTestTagDefineBitsJpeg2);
    const auto fast = fastMovie.TagsWithCode(kTestTagDefineBitsJpeg2);
    ASSERT_EQ(exact.size(), 2u);
    ASSERT_EQ(fast.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        // Decode both frames' JPEGs and compare their pixels.
        Picture a;
        Picture b;
        const std::vector<uint8_t> dataA = TestJpegData(*exact[i]);
        const std::vector<uint8_t> dataB = TestJpegData(*fast[i]);
        // The tag's data starts with an empty FF D9 FF D8 pair before the file.
        ASSERT_TRUE(WriteFileBytes(scratch_.File("a.jpg"), {dataA.begin() + 4, dataA.end()}));
        ASSERT_TRUE(WriteFileBytes(scratch_.File("b.jpg"), {dataB.begin() + 4, dataB.end()}));
        ASSERT_TRUE(a.Load(scratch_.File("a.jpg").c_str(), 0)) << a.GetLastError();
        ASSERT_TRUE(b.Load(scratch_.File("b.jpg").c_str(), 0));
        ASSERT_EQ(a.GetWidth(), 120u);
        ASSERT_EQ(b.GetWidth(), 120u);
        double difference = 0;
        for (uint32_t y = 0; y < 90; ++y) {
            for (uint32_t x = 0; x < 120; ++x) {
                const RgbQuad p = a.GetPixelColor(x, y, false);
                const RgbQuad q = b.GetPixelColor(x, y, false);
                difference += std::abs(p.red - q.red) + std::abs(p.green - q.green) +
                              std::abs(p.blue - q.blue);
            }
        }
        EXPECT_LT(difference / (120 * 90 * 3), 3.0) << i;
    }
}

}  // namespace
