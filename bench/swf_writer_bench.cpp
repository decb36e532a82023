// Speed of the movie writer: collecting a long slideshow's tags, building the
// picture shape, and reading a JPEG file into its bitmap tag.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/file_bytes.h"
#include "support/scratch_folder.h"
#include "swf/swf_jpeg_bitmap.h"
#include "swf/swf_shape.h"
#include "swf/swf_writer.h"

namespace {

// A JPEG-sized file in a private folder, removed when the benchmark ends.
class ScratchJpeg {
  public:
    explicit ScratchJpeg(size_t size) : path_(scratch_.File("picture.jpg")) {
        std::vector<uint8_t> bytes(size, 0x5A);
        bytes[0] = 0xFF;
        bytes[1] = 0xD8;
        bytes[size - 2] = 0xFF;
        bytes[size - 1] = 0xD9;
        test_support::WriteFileBytes(path_, bytes);
    }
    const std::string& Path() const { return path_; }

  private:
    test_support::ScratchFolder scratch_;
    std::string path_;
};

void AddPictureFrame(SwfWriter& writer, int i, SwfJpegBitmap& bitmap) {
    writer.AddCharacter(&bitmap, 0xFFFF, false);
    SwfShape shape(static_cast<uint16_t>(2 * i + 1), 0, 0, 280, 210, static_cast<uint16_t>(i + 1));
    shape.AddLineStyle(0, 0xFF000000);
    shape.AddBitmapFill(static_cast<uint16_t>(2 * i + 2), 0x41, 0, 0, 280, 210, 0, 0, 280, 210);
    shape.AddStyleChange(1, 1, 0, SwfPoint{0, 0});
    shape.AddStraightEdge(280, 0);
    shape.AddStraightEdge(0, 210);
    shape.AddStraightEdge(-280, 0);
    shape.AddStraightEdge(0, -210);
    writer.AddCharacter(&shape, static_cast<uint16_t>(i + 1), true);
    writer.ShowFrame();
}

// A slideshow of state.range(0) frames of 20 KB JPEGs, written to /dev/null.
void BM_SlideshowMovie(benchmark::State& state) {
    const ScratchJpeg jpeg(20000);
    SwfJpegBitmap bitmap(2, jpeg.Path());
    const int frames = static_cast<int>(state.range(0));
    for (auto _ : state) {
        SwfWriter writer;
        writer.Open("/dev/null", 280, 210, 10);
        writer.SetBackgroundColor(0);
        for (int i = 0; i < frames; ++i) {
            AddPictureFrame(writer, i, bitmap);
        }
        if (!writer.Close()) {
            state.SkipWithError(writer.GetError().c_str());
            break;
        }
        benchmark::DoNotOptimize(writer.GetFileLength());
    }
    state.SetBytesProcessed(state.iterations() * int64_t{frames} * 20014);
}
BENCHMARK(BM_SlideshowMovie)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_PictureShapeDefinition(benchmark::State& state) {
    for (auto _ : state) {
        SwfShape shape(1, 0, 0, 640, 480, 1);
        shape.AddLineStyle(0, 0xFF000000);
        shape.AddBitmapFill(2, 0x41, 0, 0, 640, 480, 0, 0, 640, 480);
        shape.AddStyleChange(1, 1, 0, SwfPoint{0, 0});
        shape.AddStraightEdge(640, 0);
        shape.AddStraightEdge(0, 480);
        shape.AddStraightEdge(-640, 0);
        shape.AddStraightEdge(0, -480);
        benchmark::DoNotOptimize(shape.GetDefinition().data());
    }
}
BENCHMARK(BM_PictureShapeDefinition);

void BM_JpegBitmapFromFile(benchmark::State& state) {
    const ScratchJpeg jpeg(static_cast<size_t>(state.range(0)));
    for (auto _ : state) {
        SwfJpegBitmap bitmap(2, jpeg.Path());
        benchmark::DoNotOptimize(bitmap.GetDefinition().data());
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_JpegBitmapFromFile)->Arg(20000)->Arg(1 << 20);

}  // namespace

BENCHMARK_MAIN();
