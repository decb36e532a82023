// The picture operations the movie options add, on the sizes a slideshow meets: an HD
// frame and a 12-megapixel photo turned upright (a quarter turn copies the picture, a
// half turn works in place) and fitted to the default 280 x 210 frame by stretch,
// contain and cover. Throughput is counted in bytes of source pixels.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "bench_support.h"
#include "image/ops/picture_fit.h"
#include "image/ops/picture_orientation.h"
#include "image/picture.h"

namespace {

// A 24-bit picture of photo-like content.
bool MakePhotoLike(Picture& picture, uint32_t width, uint32_t height) {
    if (picture.Create(width, height, 24, 0) == nullptr) {
        return false;
    }
    FillPhotoLike(picture);
    return true;
}

// state.range(0) x state.range(1) turned by orientation state.range(2).
void BM_TurnUpright(benchmark::State& state) {
    const auto width = static_cast<uint32_t>(state.range(0));
    const auto height = static_cast<uint32_t>(state.range(1));
    Picture picture;
    if (!MakePhotoLike(picture, width, height)) {
        state.SkipWithError("cannot make the picture");
        return;
    }
    for (auto _ : state) {
        picture.SetOrientation(static_cast<uint8_t>(state.range(2)));
        if (!TurnUpright(picture)) {
            state.SkipWithError(picture.GetLastError());
            return;
        }
        benchmark::DoNotOptimize(picture.GetBits(0));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * width * height * 3);
}
BENCHMARK(BM_TurnUpright)
    ->Args({1920, 1080, 6})
    ->Args({1920, 1080, 3})
    ->Args({4000, 3000, 6})
    ->Unit(benchmark::kMillisecond);

// state.range(0) x state.range(1) fitted to 280 x 210 with the fit state.range(2).
void BM_FitTo280x210(benchmark::State& state) {
    const auto width = static_cast<uint32_t>(state.range(0));
    const auto height = static_cast<uint32_t>(state.range(1));
    Picture source;
    if (!MakePhotoLike(source, width, height)) {
        state.SkipWithError("cannot make the picture");
        return;
    }
    Picture picture;
    for (auto _ : state) {
        state.PauseTiming();
        picture.Copy(source);
        state.ResumeTiming();
        FitPicture(picture, static_cast<PictureFit>(state.range(2)), 280, 210, RgbQuad{});
        benchmark::DoNotOptimize(picture.GetBits(0));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * width * height * 3);
}
BENCHMARK(BM_FitTo280x210)
    ->ArgsProduct({{480}, {270}, {0, 1, 2}})
    ->ArgsProduct({{1920}, {1080}, {0, 1, 2}})
    ->ArgsProduct({{4000}, {3000}, {0, 1, 2}})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
