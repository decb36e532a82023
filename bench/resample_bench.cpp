// Resampling speed on the sizes a slideshow meets: camera photos and HD frames shrunk
// to the default 280 x 210 frame (the area average), and a small picture grown (the
// bilinear path). Throughput is counted in bytes of source pixels.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "bench_support.h"
#include "image/picture.h"

namespace {

void ResampleSource(benchmark::State& state, uint32_t oldWidth, uint32_t oldHeight,
                    uint32_t newWidth, uint32_t newHeight, uint32_t bpp) {
    Picture source;
    if (!source.Create(oldWidth, oldHeight, bpp, 0)) {
        state.SkipWithError(source.GetLastError());
        return;
    }
    if (bpp == 24) {
        FillPhotoLike(source);
    } else {
        source.MakeGreyPalette();
        for (uint32_t y = 0; y < oldHeight; ++y) {
            for (uint32_t x = 0; x < oldWidth; ++x) {
                source.GetBits(y)[x] = static_cast<uint8_t>((x + y) & 0xFF);
            }
        }
    }
    Picture destination;
    for (auto _ : state) {
        if (!source.Resample(newWidth, newHeight, ResampleMode::kAreaAverageOrBilinear,
                             &destination)) {
            state.SkipWithError("Resample failed");
            return;
        }
        benchmark::DoNotOptimize(destination.GetBits(0));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * oldHeight *
                            source.GetEffectiveWidth());
}

void BM_ShrinkPhoto4000x3000To280x210(benchmark::State& state) {
    ResampleSource(state, 4000, 3000, 280, 210, 24);
}
void BM_ShrinkHd1920x1080To280x210(benchmark::State& state) {
    ResampleSource(state, 1920, 1080, 280, 210, 24);
}
void BM_GrowBilinear640x480To800x600(benchmark::State& state) {
    ResampleSource(state, 640, 480, 800, 600, 24);
}
void BM_ShrinkGrey1920x1080To280x210(benchmark::State& state) {
    ResampleSource(state, 1920, 1080, 280, 210, 8);
}

}  // namespace

BENCHMARK(BM_ShrinkPhoto4000x3000To280x210)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShrinkHd1920x1080To280x210)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GrowBilinear640x480To800x600)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShrinkGrey1920x1080To280x210)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
