// A whole build: decode, fit, JPEG encode, read back and wrap each picture, for a
// list of pictures drawn once by ImageMagick.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "slideshow/slideshow_build.h"
#include "support/outside_programs.h"
#include "support/scratch_folder.h"

namespace {

// Pictures of the sizes a camera or a web page gives, in the list's formats.
struct Pictures {
    test_support::ScratchFolder scratch;
    std::string folder = scratch.Path();
    std::vector<std::string> paths;

    Pictures() {
        if (!scratch.Valid()) {
            return;
        }
        const std::vector<std::pair<std::string, std::string>> drawings{{"a.jpg", "1600x1200"},
                                                                        {"b.png", "800x600"},
                                                                        {"c.bmp", "640x480"},
                                                                        {"d.jpg", "1024x768"},
                                                                        {"e.png", "320x240"}};
        for (const auto& [name, size] : drawings) {
            const std::string path = folder + "/" + name;
            if (test_support::RunProgramToFile(
                    {"convert", "-seed", "7", "-size", size, "plasma:fractal", path}) == 0) {
                paths.push_back(path);
            }
        }
    }
};

void BM_SlideshowBuild(benchmark::State& state) {
    static Pictures pictures;
    if (pictures.paths.size() != 5) {
        state.SkipWithError("ImageMagick could not draw the pictures");
        return;
    }
    const MovieSettings settings{static_cast<int32_t>(state.range(0)),
                                 static_cast<int32_t>(state.range(1)), 10};
    const std::string movie = pictures.folder + "/SHOW.SWF";
    for (auto _ : state) {
        const SlideshowBuildResult result =
            RunSlideshowBuild({pictures.paths, settings, movie}, nullptr, nullptr);
        if (!result.ok) {
            state.SkipWithError(result.error.c_str());
            return;
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(pictures.paths.size()));
    std::remove(movie.c_str());
}
BENCHMARK(BM_SlideshowBuild)->Args({280, 210})->Args({640, 480})->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
