#!/usr/bin/env bash
# Builds the suites with ThreadSanitizer in build-tsan/ and runs the tests whose code
# runs on several threads: the parallel build and its shared memory budget, the
# preview run, the dialog's runs through a held run host, and reelwright-cli stopped by
# signals. (The Qt window's tests are left out: Qt's own libraries are not
# instrumented, so the sanitizer cannot see the ordering their queued calls give.)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
# The tree needs no dialog, help or package: the threaded tests are all toolkit-free.
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DREELWRIGHT_THREAD_SANITIZER=ON -DREELWRIGHT_GUI=OFF -DREELWRIGHT_WERROR=ON >/dev/null
cmake --build build-tsan -j "$(nproc)" --target slideshow_tests app_tests cli_tests reelwright-cli
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
build-tsan/tests/slideshow_tests \
    --gtest_filter='FramePipeline*:ParallelBuild*:PreviewRun*:SlideshowBuild*:MemoryBudget*:FrameMemoryShare*'
build-tsan/tests/app_tests --gtest_filter='MainDialog*'
build-tsan/tests/cli_tests --gtest_filter='CliSignals*:CliRun*:CliMatches*'
echo "ThreadSanitizer: no data race reported"
