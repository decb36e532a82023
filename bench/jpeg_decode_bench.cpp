// Time of loading a 4000 x 3000 colour JPEG through Picture::Load (detection by
// content, as the program loads every picture). The picture is made by ImageMagick
// into a private temporary folder, or taken from REELWRIGHT_JPEG_BENCH_FILE.
//
//     jpeg_decode_bench                      Google Benchmark run
//     jpeg_decode_bench --load-once FILE     one Load, for jpeg_decode_compare.sh
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "image/picture.h"

namespace {

// The test picture: a plasma cloud (photo-like detail) with a fixed seed.
class BenchJpeg {
  public:
    BenchJpeg() {
        if (const char* given = std::getenv("REELWRIGHT_JPEG_BENCH_FILE")) {
            path_ = given;
            return;
        }
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/jpeg_bench.XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr)
            return;
        folder_ = pattern;
        path_ = folder_ + "/plasma_4000x3000.jpg";
        const std::string command =
            "convert -size 4000x3000 -seed 7 plasma:fractal -quality 90 '" + path_ + "'";
        if (std::system(command.c_str()) != 0)
            path_.clear();
    }
    ~BenchJpeg() {
        if (folder_.empty())
            return;
        std::remove((folder_ + "/plasma_4000x3000.jpg").c_str());
        rmdir(folder_.c_str());
    }
    const std::string& Path() const { return path_; }

  private:
    std::string folder_;
    std::string path_;
};

void BM_LoadJpeg4000x3000(benchmark::State& state) {
    static BenchJpeg jpeg;
    if (jpeg.Path().empty()) {
        state.SkipWithError("could not make the test JPEG (is ImageMagick installed?)");
        return;
    }
    for (auto _ : state) {
        Picture picture;
        if (!picture.Load(jpeg.Path().c_str(), 0)) {
            state.SkipWithError(picture.GetLastError());
            break;
        }
        benchmark::DoNotOptimize(picture.GetBits(0));
    }
    state.SetItemsProcessed(state.iterations() * 4000 * 3000);
}
BENCHMARK(BM_LoadJpeg4000x3000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--load-once") {
        Picture picture;
        if (!picture.Load(argv[2], 0)) {
            std::fprintf(stderr, "%s\n", picture.GetLastError());
            return 1;
        }
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
