// Speed and memory of the movie writer: writing a long slideshow, building the
// picture shape, and reading a JPEG file into its bitmap tag.
//
// The slideshow benchmarks report the process's peak resident memory so far
// (peak_rss_MiB); run one of them alone to read the writer's own peak, e.g.
//   build/bench/swf_writer_bench --benchmark_filter='BM_SlideshowMovie/2000$'

#include <benchmark/benchmark.h>
#include <sys/resource.h>

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
    writer.AddCharacter(&bitmap, kSwfNoDepth, false);
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

double PeakResidentMebibytes() {
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;  // ru_maxrss is in KiB
}

// A slideshow of `frames` frames of 20 KB JPEGs written to moviePath.
void WriteSlideshow(benchmark::State& state, const std::string& moviePath) {
    const ScratchJpeg jpeg(20000);
    SwfJpegBitmap bitmap(2, jpeg.Path());
    const int frames = static_cast<int>(state.range(0));
    for (auto _ : state) {
        SwfWriter writer;
        writer.Open(moviePath, 280, 210, 10);
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
    state.counters["peak_rss_MiB"] = PeakResidentMebibytes();
}

// Written to /dev/null: the writer's own cost.
void BM_SlideshowMovie(benchmark::State& state) {
    WriteSlideshow(state, "/dev/null");
}
BENCHMARK(BM_SlideshowMovie)->Arg(100)->Arg(1000)->Arg(2000)->Unit(benchmark::kMillisecond);

// Written to a file in a scratch folder, as a build writes it.
void BM_SlideshowMovieFile(benchmark::State& state) {
    const test_support::ScratchFolder folder;
    WriteSlideshow(state, folder.File("movie.swf"));
}
BENCHMARK(BM_SlideshowMovieFile)->Arg(1000)->Unit(benchmark::kMillisecond);

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
