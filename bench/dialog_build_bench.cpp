// The dialog's build against the command line's on the same list: the dialog's run
// hands each fitted picture to the preview area (moved, not copied) and the dialog
// draws it, the command line's run keeps nothing. Both run on one thread here, so
// the difference is the whole cost of the preview.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/fake_platform.h"
#include "app/main_dialog.h"
#include "bench_support.h"
#include "slideshow/slideshow_build.h"

namespace {

constexpr int kPictures = 100;

const std::string& Picture1920x1080() {
    static ConvertedBenchPicture picture(
        "REELWRIGHT_DIALOG_BENCH_FILE", "plasma_1920x1080.jpg",
        {"-size", "1920x1080", "-seed", "7", "plasma:fractal", "-quality", "90"});
    return picture.Path();
}

std::string Movie(const char* name) {
    static test_support::ScratchFolder scratch;
    return scratch.File(name);
}

// The command line's run: no preview.
void BM_CommandLineRun100(benchmark::State& state) {
    if (Picture1920x1080().empty()) {
        state.SkipWithError("could not make the test JPEG (is ImageMagick installed?)");
        return;
    }
    SlideshowBuildRequest request{std::vector<std::string>(kPictures, Picture1920x1080()),
                                  MovieSettings{}, Movie("CLI.SWF")};
    request.keepPreview = state.range(0) != 0;
    for (auto _ : state) {
        const SlideshowBuildResult result = RunSlideshowBuild(request, nullptr, nullptr);
        if (!result.ok) {
            state.SkipWithError(result.error.c_str());
            return;
        }
    }
    state.SetItemsProcessed(state.iterations() * kPictures);
}
BENCHMARK(BM_CommandLineRun100)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The dialog's "Save as Flash": the same run plus its events and the preview drawing.
void BM_DialogRun100(benchmark::State& state) {
    if (Picture1920x1080().empty()) {
        state.SkipWithError("could not make the test JPEG (is ImageMagick installed?)");
        return;
    }
    FakePlatform platform;
    MainDialog dialog(platform);
    for (int i = 0; i < kPictures; ++i) {
        dialog.AppendRow(Picture1920x1080());
    }
    for (auto _ : state) {
        platform.saveAnswers.push_back(Movie("dialog.swf"));
        dialog.OnSaveAsFlash();
        if (!platform.messages.empty()) {
            state.SkipWithError(platform.messages.back().text.c_str());
            return;
        }
    }
    state.SetItemsProcessed(state.iterations() * kPictures);
}
BENCHMARK(BM_DialogRun100)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
