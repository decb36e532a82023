// Decoding speed of the BMP and TGA readers on a full-HD picture held in memory, so
// the numbers measure the decoders and not the disk.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "image/codecs/picture_bmp.h"
#include "image/codecs/picture_tga.h"
#include "image/image_stream.h"
#include "support/byte_builder.h"

namespace {

constexpr uint32_t kWidth = 1920;
constexpr uint32_t kHeight = 1080;

// A bitmap with a 40-byte header; `masks` (12 bytes) follow it for compression 3.
std::vector<uint8_t> MakeBmp(uint16_t bpp, uint32_t compression, const std::vector<uint8_t>& extra,
                             const std::vector<uint8_t>& pixels) {
    const uint32_t offset = 54 + static_cast<uint32_t>(extra.size());
    return test_support::LittleEndianBytes()
        .Text("BM")
        .U32(offset + static_cast<uint32_t>(pixels.size()))
        .U32(0)
        .U32(offset)
        .U32(40)
        .U32(kWidth)
        .U32(kHeight)
        .U16(1)
        .U16(bpp)
        .U32(compression)
        .U32(static_cast<uint32_t>(pixels.size()))
        .U32(2835)
        .U32(2835)
        .U32(bpp <= 8 ? 256 : 0)
        .U32(0)
        .Bytes(extra)
        .Bytes(pixels)
        .Take();
}

std::vector<uint8_t> Pattern(size_t count) {
    std::vector<uint8_t> bytes(count);
    for (size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<uint8_t>(i * 7 + i / 4099);
    }
    return bytes;
}

std::vector<uint8_t> Palette() {
    std::vector<uint8_t> palette(256 * 4);
    for (size_t i = 0; i < palette.size(); ++i) {
        palette[i] = static_cast<uint8_t>(i);
    }
    return palette;
}

// Runs of 12 pixels of one index, then an end-of-line escape per row.
std::vector<uint8_t> RunLength8Rows() {
    std::vector<uint8_t> data;
    for (uint32_t y = 0; y < kHeight; ++y) {
        for (uint32_t x = 0; x < kWidth; x += 12) {
            data.push_back(12);
            data.push_back(static_cast<uint8_t>(x / 12 + y));
        }
        data.push_back(0);
        data.push_back(0);
    }
    data.push_back(0);
    data.push_back(1);
    return data;
}

std::vector<uint8_t> MakeTga(uint8_t type, uint8_t depth, const std::vector<uint8_t>& data) {
    return test_support::LittleEndianBytes()
        .Bytes({0, 0, type, 0, 0, 0, 0, 0, 0, 0, 0, 0})
        .U16(kWidth)
        .U16(kHeight)
        .U8(depth)
        .U8(depth == 32 ? 0x28 : 0x20)
        .Bytes(data)
        .Take();
}

// Packets of 8 repeated pixels alternating with 8 literal ones, across row ends.
std::vector<uint8_t> RunLengthPixels(uint32_t pixelBytes) {
    std::vector<uint8_t> data;
    const uint64_t total = static_cast<uint64_t>(kWidth) * kHeight;
    for (uint64_t done = 0; done < total; done += 16) {
        data.push_back(0x87);
        for (uint32_t b = 0; b < pixelBytes; ++b) {
            data.push_back(static_cast<uint8_t>(done + b));
        }
        data.push_back(0x07);
        for (uint32_t i = 0; i < 8 * pixelBytes; ++i) {
            data.push_back(static_cast<uint8_t>(i * 3));
        }
    }
    return data;
}

template <typename Decoder>
void Decode(benchmark::State& state, const std::vector<uint8_t>& file) {
    for (auto _ : state) {
        MemoryImageStream stream(file.data(), file.size());
        Decoder picture;
        if (!picture.Decode(&stream)) {
            state.SkipWithError(picture.GetLastError());
        }
        benchmark::DoNotOptimize(picture.GetBits(0));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * kWidth * kHeight * 3);
}

void BM_Bmp24(benchmark::State& state) {
    static const std::vector<uint8_t> file = MakeBmp(24, 0, {}, Pattern(kWidth * 3 * kHeight));
    Decode<PictureBMP>(state, file);
}
void BM_Bmp32WithAlpha(benchmark::State& state) {
    static const std::vector<uint8_t> file = MakeBmp(32, 0, {}, Pattern(kWidth * 4 * kHeight));
    Decode<PictureBMP>(state, file);
}
void BM_Bmp16Masks565(benchmark::State& state) {
    static const std::vector<uint8_t> masks = {0, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0};
    static const std::vector<uint8_t> file = MakeBmp(16, 3, masks, Pattern(kWidth * 2 * kHeight));
    Decode<PictureBMP>(state, file);
}
void BM_BmpRunLength8(benchmark::State& state) {
    static const std::vector<uint8_t> file = MakeBmp(8, 1, Palette(), RunLength8Rows());
    Decode<PictureBMP>(state, file);
}
void BM_Tga24(benchmark::State& state) {
    static const std::vector<uint8_t> file = MakeTga(2, 24, Pattern(kWidth * 3 * kHeight));
    Decode<PictureTGA>(state, file);
}
void BM_Tga24RunLength(benchmark::State& state) {
    static const std::vector<uint8_t> file = MakeTga(10, 24, RunLengthPixels(3));
    Decode<PictureTGA>(state, file);
}
void BM_Tga32RunLength(benchmark::State& state) {
    static const std::vector<uint8_t> file = MakeTga(10, 32, RunLengthPixels(4));
    Decode<PictureTGA>(state, file);
}

BENCHMARK(BM_Bmp24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Bmp32WithAlpha)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Bmp16Masks565)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BmpRunLength8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Tga24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Tga24RunLength)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Tga32RunLength)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
