// Time of loading a 4000 x 3000 colour JPEG through Picture::Load (detection by
// content, as the program loads every picture), at full size and with the decode size
// hint of a 280 x 210 frame (libjpeg's 1/8 scale: 500 x 375). The picture is made by
// ImageMagick into a private temporary folder, or taken from REELWRIGHT_JPEG_BENCH_FILE.
//
//     jpeg_decode_bench                      Google Benchmark run
//     jpeg_decode_bench --load-once FILE     one Load, for jpeg_decode_compare.sh
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench_support.h"
#include "image/picture.h"

namespace {

// A plasma cloud (photo-like detail) with a fixed seed.
const std::string& BenchJpegPath() {
    static ConvertedBenchPicture jpeg(
        "REELWRIGHT_JPEG_BENCH_FILE", "plasma_4000x3000.jpg",
        {"-size", "4000x3000", "-seed", "7", "plasma:fractal", "-quality", "90"});
    return jpeg.Path();
}

void LoadJpeg(benchmark::State& state, uint32_t hintWidth, uint32_t hintHeight) {
    const std::string& path = BenchJpegPath();
    if (path.empty()) {
        state.SkipWithError("could not make the test JPEG (is ImageMagick installed?)");
        return;
    }
    for (auto _ : state) {
        Picture picture;
        picture.SetDecodeSizeHint(hintWidth, hintHeight);
        if (!picture.Load(path.c_str(), 0)) {
            state.SkipWithError(picture.GetLastError());
            break;
        }
        benchmark::DoNotOptimize(picture.GetBits(0));
    }
    state.SetItemsProcessed(state.iterations() * 4000 * 3000);
}

void BM_LoadJpeg4000x3000(benchmark::State& state) {
    LoadJpeg(state, 0, 0);
}
BENCHMARK(BM_LoadJpeg4000x3000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LoadJpeg4000x3000HintedTo280x210(benchmark::State& state) {
    LoadJpeg(state, 280, 210);
}
BENCHMARK(BM_LoadJpeg4000x3000HintedTo280x210)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--load-once") {
        return LoadOnce(argv[2]);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
