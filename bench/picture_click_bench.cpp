// A click on a row of a 48-megapixel photo (8000 x 6000), JPEG and PNG, on one core:
// the time until the size field shows the picture's size (click-to-size) and until
// the preview area shows the picture (click-to-picture). The dialog runs its picture
// job inline, so both are measured on the calling thread. BM_WholePictureOnClick is
// what a click cost when the whole picture was decoded and drawn on the UI thread.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "app/fake_platform.h"
#include "app/main_dialog.h"
#include "bench_support.h"
#include "image/drawing_surface.h"
#include "slideshow/picture_metrics.h"

namespace {

using Clock = std::chrono::steady_clock;

const std::string& Photo(int format) {
    // Detailed content, so that the JPEG's entropy-coded data is a photo's size.
    static ConvertedBenchPicture jpeg("REELWRIGHT_CLICK_BENCH_JPEG", "photo_8000x6000.jpg",
                                      {"-size", "2000x1500", "-seed", "7", "plasma:fractal",
                                       "-resize", "8000x6000!", "-quality", "90"});
    static ConvertedBenchPicture png(
        "REELWRIGHT_CLICK_BENCH_PNG", "photo_8000x6000.png",
        {"-size", "2000x1500", "-seed", "7", "plasma:fractal", "-resize", "8000x6000!"});
    return format == 0 ? jpeg.Path() : png.Path();
}

// Notes when the size field and the preview area change.
struct ClickTimes final : MainDialogListener {
    Clock::time_point size;
    Clock::time_point picture;
    void OnLabelsChanged() override { size = Clock::now(); }
    void OnPreviewChanged() override { picture = Clock::now(); }
};

void BM_ClickOnRow(benchmark::State& state) {
    const std::string& photo = Photo(static_cast<int>(state.range(0)));
    if (photo.empty()) {
        state.SkipWithError("could not make the photo (is ImageMagick installed?)");
        return;
    }
    FakePlatform platform;
    MainDialog dialog(platform);
    ClickTimes times;
    dialog.SetListener(&times);
    dialog.AppendRow(photo);
    dialog.SetRowSelected(0, true);
    double sizeSeconds = 0;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        dialog.OnListClick(0);
        sizeSeconds += std::chrono::duration<double>(times.size - start).count();
        state.SetIterationTime(std::chrono::duration<double>(times.picture - start).count());
    }
    if (dialog.GetPictureSizeText() != "8000*6000 pixels") {
        state.SkipWithError(dialog.GetPictureSizeText().c_str());
    }
    state.counters["click_to_size_ms"] =
        benchmark::Counter(sizeSeconds * 1000 / static_cast<double>(state.iterations()));
    state.SetLabel(state.range(0) == 0 ? "jpeg, click-to-picture" : "png, click-to-picture");
}
BENCHMARK(BM_ClickOnRow)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// The old click: the whole picture loaded, then drawn over the preview area.
void BM_WholePictureOnClick(benchmark::State& state) {
    const std::string& photo = Photo(static_cast<int>(state.range(0)));
    if (photo.empty()) {
        state.SkipWithError("could not make the photo (is ImageMagick installed?)");
        return;
    }
    DrawingSurface surface(MainDialog::kDefaultPreviewWidth, MainDialog::kDefaultPreviewHeight);
    for (auto _ : state) {
        const ShownPicture shown = LoadPictureToShow(photo);
        if (shown.picture) {
            shown.picture->Draw(&surface, 0, 0, surface.Width(), surface.Height(), nullptr, true);
        }
    }
    state.SetLabel(state.range(0) == 0 ? "jpeg" : "png");
}
BENCHMARK(BM_WholePictureOnClick)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
