// Time of loading 12-megapixel (4032 x 3024, a phone's photo) WebP, HEIC and AVIF
// pictures through Picture::Load (detection by content, as the program loads every
// picture). The photos are a plasma cloud (photo-like detail) drawn by ImageMagick
// and written by cwebp, heif-enc and avifenc at quality 80 into a private temporary
// folder; REELWRIGHT_MODERN_BENCH_FOLDER names a folder that already holds
// photo.webp, photo.heic and photo.avif instead.
//
//     modern_decode_bench                         Google Benchmark run
//     modern_decode_bench --load-once FILE        one Load, for modern_decode_compare.sh
//     modern_decode_bench --make-photos FOLDER    writes the three photos there
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_support.h"
#include "image/picture.h"
#include "support/outside_programs.h"
#include "support/scratch_folder.h"

namespace {

constexpr const char* kPhotoSize = "4032x3024";

// Draws the master and writes the three photos into the folder; false when a program
// failed.
bool MakePhotos(const std::string& folder) {
    const std::string master = folder + "/photo.png";
    const std::vector<std::vector<std::string>> commands = {
        {"convert", "-size", kPhotoSize, "-seed", "7", "plasma:fractal", master},
        {"cwebp", "-quiet", "-q", "80", master, "-o", folder + "/photo.webp"},
        {"heif-enc", "-q", "80", master, "-o", folder + "/photo.heic"},
        {"avifenc", "--speed", "8", "--min", "20", "--max", "30", master, folder + "/photo.avif"},
    };
    for (const std::vector<std::string>& command : commands) {
        if (test_support::RunProgramToFile(command) != 0) {
            std::fprintf(stderr, "%s failed\n", command[0].c_str());
            return false;
        }
    }
    return true;
}

// The folder holding the photos, made once; empty when they could not be made.
const std::string& PhotoFolder() {
    static test_support::ScratchFolder scratch;
    static const std::string folder = [] {
        if (const char* given = std::getenv("REELWRIGHT_MODERN_BENCH_FOLDER")) {
            return std::string(given);
        }
        return scratch.Valid() && MakePhotos(scratch.Path()) ? scratch.Path() : std::string();
    }();
    return folder;
}

void LoadPhoto(benchmark::State& state, const char* name) {
    if (PhotoFolder().empty()) {
        state.SkipWithError(
            "could not make the photos (ImageMagick, webp, libheif-examples "
            "and libavif-bin are needed)");
        return;
    }
    const std::string path = PhotoFolder() + "/" + name;
    for (auto _ : state) {
        Picture picture;
        if (!picture.Load(path.c_str(), 0)) {
            state.SkipWithError(picture.GetLastError());
            break;
        }
        benchmark::DoNotOptimize(picture.GetBits(0));
    }
    state.SetItemsProcessed(state.iterations() * 4032 * 3024);
}

void BM_LoadWebp12Megapixels(benchmark::State& state) {
    LoadPhoto(state, "photo.webp");
}
BENCHMARK(BM_LoadWebp12Megapixels)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LoadHeic12Megapixels(benchmark::State& state) {
    LoadPhoto(state, "photo.heic");
}
BENCHMARK(BM_LoadHeic12Megapixels)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LoadAvif12Megapixels(benchmark::State& state) {
    LoadPhoto(state, "photo.avif");
}
BENCHMARK(BM_LoadAvif12Megapixels)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--load-once") {
        return LoadOnce(argv[2]);
    }
    if (argc == 3 && std::string(argv[1]) == "--make-photos") {
        return MakePhotos(argv[2]) ? 0 : 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
