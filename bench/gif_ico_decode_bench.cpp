// Time of loading a 1600 x 1200, 256-colour GIF (our own LZW decoder) and a 32 x 32
// 32-bit icon through Picture::Load with detection by content, as the program loads
// every picture. The GIF is made by ImageMagick into a private temporary folder, or
// taken from REELWRIGHT_GIF_BENCH_FILE.
//
//     gif_ico_decode_bench                      Google Benchmark run
//     gif_ico_decode_bench --load-once FILE     one Load, for gif_decode_compare.sh
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench_support.h"
#include "image/picture.h"

namespace {

void LoadRepeatedly(benchmark::State& state, const std::string& path, int32_t frame) {
    for (auto _ : state) {
        Picture picture;
        picture.SetFrameNumber(frame);
        if (!picture.Load(path.c_str(), 0)) {
            state.SkipWithError(picture.GetLastError());
            break;
        }
        benchmark::DoNotOptimize(picture.GetBits(0));
    }
}

void BM_LoadGif1600x1200(benchmark::State& state) {
    // A plasma cloud reduced to 256 colours with a fixed seed: long LZW strings are
    // rare, so the decoder does close to its most work per pixel.
    static ConvertedBenchPicture gif(
        "REELWRIGHT_GIF_BENCH_FILE", "plasma_1600x1200.gif",
        {"-size", "1600x1200", "-seed", "7", "plasma:fractal", "-colors", "256"});
    if (gif.Path().empty()) {
        state.SkipWithError("could not make the test GIF (is ImageMagick installed?)");
        return;
    }
    LoadRepeatedly(state, gif.Path(), 0);
    state.SetItemsProcessed(state.iterations() * 1600 * 1200);
}
BENCHMARK(BM_LoadGif1600x1200)->Unit(benchmark::kMillisecond);

void BM_LoadIcon32x32(benchmark::State& state) {
    LoadRepeatedly(state, std::string(REELWRIGHT_SOURCE_DIR) + "/tests/data/ico/three_entries.ico",
                   1);
}
BENCHMARK(BM_LoadIcon32x32)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--load-once") == 0) {
        return LoadOnce(argv[2]);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
