// Drawing pictures into a preview-sized surface: the paths the program takes for a
// fitted frame (own size), a large photo (area average), a small picture (bilinear),
// smoothing off, and a picture with an alpha plane.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "image/drawing_surface.h"
#include "image/picture.h"

namespace {

void FillPicture(Picture& picture, uint32_t width, uint32_t height, bool withAlpha) {
    picture.Create(width, height, 24, 0);
    for (uint32_t row = 0; row < height; ++row) {
        uint8_t* bits = picture.GetBits(row);
        for (uint32_t x = 0; x < width * 3; ++x) {
            bits[x] = static_cast<uint8_t>(x * 7 + row * 13);
        }
    }
    if (withAlpha && picture.CreateAlpha()) {
        uint8_t* alpha = picture.GetAlphaPlane();
        for (uint64_t i = 0; i < uint64_t{width} * height; ++i) {
            alpha[i] = static_cast<uint8_t>(i);
        }
    }
}

void Run(benchmark::State& state, uint32_t width, uint32_t height, bool smooth, bool alpha) {
    Picture picture;
    FillPicture(picture, width, height, alpha);
    DrawingSurface surface(280, 210);
    for (auto _ : state) {
        benchmark::DoNotOptimize(picture.Draw(&surface, 0, 0, 280, 210, nullptr, smooth));
    }
    state.SetItemsProcessed(state.iterations() * 280 * 210);
}

void BM_DrawOwnSize(benchmark::State& state) {
    Run(state, 280, 210, true, false);
}
void BM_DrawAreaAverage1600x1200(benchmark::State& state) {
    Run(state, 1600, 1200, true, false);
}
void BM_DrawAreaAverage4000x3000(benchmark::State& state) {
    Run(state, 4000, 3000, true, false);
}
void BM_DrawBilinear100x80(benchmark::State& state) {
    Run(state, 100, 80, true, false);
}
void BM_DrawNearest1600x1200(benchmark::State& state) {
    Run(state, 1600, 1200, false, false);
}
void BM_DrawAlphaBilinear100x80(benchmark::State& state) {
    Run(state, 100, 80, true, true);
}

}  // namespace

BENCHMARK(BM_DrawOwnSize);
BENCHMARK(BM_DrawAreaAverage1600x1200);
BENCHMARK(BM_DrawAreaAverage4000x3000);
BENCHMARK(BM_DrawBilinear100x80);
BENCHMARK(BM_DrawNearest1600x1200);
BENCHMARK(BM_DrawAlphaBilinear100x80);
BENCHMARK_MAIN();
