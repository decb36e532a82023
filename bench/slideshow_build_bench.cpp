// A whole build: decode, fit, JPEG encode, read back and wrap each picture, for a
// list of pictures drawn once by ImageMagick.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "slideshow/slideshow_build.h"

extern char** environ;

namespace {

bool Draw(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawnp(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return false;
    int status = 0;
    return waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Pictures of the sizes a camera or a web page gives, in the list's formats.
struct Pictures {
    std::string folder;
    std::vector<std::string> paths;

    Pictures() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "reelwright-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            return;
        folder = pattern;
        const std::vector<std::pair<std::string, std::string>> drawings{{"a.jpg", "1600x1200"},
                                                                        {"b.png", "800x600"},
                                                                        {"c.bmp", "640x480"},
                                                                        {"d.jpg", "1024x768"},
                                                                        {"e.png", "320x240"}};
        for (const auto& [name, size] : drawings) {
            const std::string path = folder + "/" + name;
            if (Draw({"convert", "-seed", "7", "-size", size, "plasma:fractal", path})) {
                paths.push_back(path);
            }
        }
    }
    ~Pictures() {
        std::error_code ignored;
        if (!folder.empty())
            std::filesystem::remove_all(folder, ignored);
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
            RunSlideshowBuild(pictures.paths, settings, movie, nullptr, nullptr);
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
