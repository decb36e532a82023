// The lag between a movie being complete and the dialog finishing its build (the
// moment it asks the desktop to open the movie), for 1000 small pictures, in the real
// window on Qt's offscreen platform with the build on its worker thread. The movie
// is complete when it takes its name (the rename is atomic): a watcher thread sees it
// appear. The reported time is that lag; build_ms is Save to complete movie.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "app/dialog_ids.h"
#include "app/fake_platform.h"
#include "bench_support.h"
#include "qt/main_window.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kPictures = 1000;

class TimingPlatform final : public FakePlatform {
  public:
    std::atomic<bool> opened{false};
    Clock::time_point openedAt;
    int ShellOpen(const std::string& verb, const std::string& target, int showMode) override {
        openedAt = Clock::now();
        opened = true;
        return FakePlatform::ShellOpen(verb, target, showMode);
    }
};

const std::string& SmallPicture() {
    static ConvertedBenchPicture picture("REELWRIGHT_LAG_BENCH_FILE", "small.bmp",
                                         {"-size", "64x48", "-seed", "3", "plasma:fractal"});
    return picture.Path();
}

void BM_BuildEndReachesTheWindow(benchmark::State& state) {
    if (SmallPicture().empty()) {
        state.SkipWithError("could not make the picture (is ImageMagick installed?)");
        return;
    }
    test_support::ScratchFolder scratch;
    double buildSeconds = 0;
    for (auto _ : state) {
        TimingPlatform platform;
        MainWindow window(platform);
        window.show();
        for (int i = 0; i < kPictures; ++i) {
            window.Dialog().AppendRow(SmallPicture());
        }
        const std::string movie = scratch.File("LAG.SWF");
        std::filesystem::remove(movie);
        platform.saveAnswers.push_back(movie);

        std::atomic<bool> watching{true};
        Clock::time_point completeAt;
        std::thread watcher([&] {
            while (watching && !std::filesystem::exists(movie)) {
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            }
            completeAt = Clock::now();
        });
        const Clock::time_point saved = Clock::now();
        window.Dialog().OnCommand(kIdSaveAsFlash);
        while (!platform.opened) {
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        watching = false;
        watcher.join();
        buildSeconds += std::chrono::duration<double>(completeAt - saved).count();
        state.SetIterationTime(
            std::chrono::duration<double>(platform.openedAt - completeAt).count());
    }
    state.counters["build_ms"] =
        benchmark::Counter(buildSeconds * 1000 / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_BuildEndReachesTheWindow)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
