// JPEG saving speed for one movie frame: a 280 x 210 picture at quality 80, into
// memory (the encoder alone) and through Save to a file (as the build does).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "image/image_stream.h"
#include "image/picture.h"

namespace {

void MakeFrame(Picture& picture, uint32_t bpp) {
    picture.Create(280, 210, bpp, 0);
    if (bpp == 8) {
        picture.MakeGreyPalette();
    }
    uint32_t state = 88172645u;
    for (uint32_t y = 0; y < picture.GetHeight(); ++y) {
        uint8_t* row = picture.GetBits(y);
        for (uint32_t k = 0; k < picture.GetEffectiveWidth(); ++k) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            row[k] = static_cast<uint8_t>((k / 4 + y + (state & 7)) & 0xFF);
        }
    }
    picture.SetJpegQuality(80);
}

void EncodeFrame(benchmark::State& state, uint32_t bpp) {
    Picture picture;
    MakeFrame(picture, bpp);
    size_t bytes = 0;
    for (auto _ : state) {
        MemoryImageStream stream;
        if (!picture.Encode(&stream, 3)) {
            state.SkipWithError(picture.GetLastError());
            return;
        }
        bytes = stream.GetWritten().size();
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["jpeg_bytes"] = static_cast<double>(bytes);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 210 *
                            picture.GetEffectiveWidth());
}

void BM_EncodeJpegColour280x210(benchmark::State& state) {
    EncodeFrame(state, 24);
}
void BM_EncodeJpegGrey280x210(benchmark::State& state) {
    EncodeFrame(state, 8);
}

void BM_SaveJpeg280x210(benchmark::State& state) {
    Picture picture;
    MakeFrame(picture, 24);
    const char* folder = std::getenv("TMPDIR");
    const std::string path = std::string(folder ? folder : "/tmp") + "/reelwright_save_bench_" +
                             std::to_string(getpid()) + ".jpg";
    for (auto _ : state) {
        if (!picture.Save(path.c_str(), 3)) {
            state.SkipWithError("Save failed");
            break;
        }
    }
    std::remove(path.c_str());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 210 *
                            picture.GetEffectiveWidth());
}

}  // namespace

BENCHMARK(BM_EncodeJpegColour280x210)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EncodeJpegGrey280x210)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SaveJpeg280x210)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
