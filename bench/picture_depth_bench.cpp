// Depth conversion to 24 bits: the row-based IncreaseBpp against the plain
// per-pixel form (SetPixelColor of GetPixelColor) it must match.
#include <benchmark/benchmark.h>

#include "image/picture.h"

namespace {

void FillPalettePicture(Picture& picture, uint32_t bpp) {
    picture.Create(1920, 1080, bpp, kFormatBmp);
    for (uint32_t i = 0; i < picture.GetNumColors(); ++i) {
        picture.SetPaletteColor(i, RgbQuad{static_cast<uint8_t>(i), static_cast<uint8_t>(i * 3),
                                           static_cast<uint8_t>(i * 7), 0});
    }
    for (uint32_t y = 0; y < picture.GetHeight(); ++y) {
        uint8_t* row = picture.GetBits(y);
        for (uint32_t x = 0; x < picture.GetEffectiveWidth(); ++x) {
            row[x] = static_cast<uint8_t>(x * 31 + y);
        }
    }
}

void BM_IncreaseBppTo24(benchmark::State& state) {
    const uint32_t bpp = static_cast<uint32_t>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        Picture picture;
        FillPalettePicture(picture, bpp);
        state.ResumeTiming();
        benchmark::DoNotOptimize(picture.IncreaseBpp(24));
    }
    state.SetItemsProcessed(state.iterations() * 1920 * 1080);
}
BENCHMARK(BM_IncreaseBppTo24)->Arg(1)->Arg(4)->Arg(8)->Unit(benchmark::kMillisecond);

void BM_PerPixelConversionTo24(benchmark::State& state) {
    const uint32_t bpp = static_cast<uint32_t>(state.range(0));
    Picture source;
    FillPalettePicture(source, bpp);
    for (auto _ : state) {
        Picture target;
        target.Create(source.GetWidth(), source.GetHeight(), 24, kFormatBmp);
        for (uint32_t y = 0; y < source.GetHeight(); ++y) {
            for (uint32_t x = 0; x < source.GetWidth(); ++x) {
                target.SetPixelColor(x, y, source.GetPixelColor(x, y, true), true);
            }
        }
        benchmark::DoNotOptimize(target.GetBits(0));
    }
    state.SetItemsProcessed(state.iterations() * 1920 * 1080);
}
BENCHMARK(BM_PerPixelConversionTo24)->Arg(1)->Arg(4)->Arg(8)->Unit(benchmark::kMillisecond);

void BM_NearestPaletteIndex(benchmark::State& state) {
    Picture picture;
    FillPalettePicture(picture, 8);
    uint8_t value = 0;
    for (auto _ : state) {
        // A new colour every call, so the cache never answers.
        benchmark::DoNotOptimize(picture.NearestPaletteIndex(RgbQuad{value, 77, 200, 0}));
        ++value;
    }
}
BENCHMARK(BM_NearestPaletteIndex);

}  // namespace
BENCHMARK_MAIN();
