#!/usr/bin/env bash
# Builds the decode fuzzer with clang in build-fuzz/ and runs it for a bounded time,
# seeded with the hostile-input corpus. New interesting inputs go to
# build-fuzz/fuzz-corpus/, crashing inputs to build-fuzz/fuzz-findings/.
#
#   scripts/fuzz.sh [seconds] [findings folder]     (default 300 s)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-300}
findings=${2:-build-fuzz/fuzz-findings}
jobs=${FUZZ_BUILD_JOBS:-2}

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DREELWRIGHT_FUZZ=ON -DREELWRIGHT_TESTS=OFF -DREELWRIGHT_BENCH=OFF >/dev/null
cmake --build build-fuzz --target decode_fuzzer -j "$jobs"

mkdir -p build-fuzz/fuzz-corpus "$findings"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
# -rss_limit_mb leaves room for one 256 MiB picture plus its 24-bit conversion; the
# seed corpus is read but never written to, new inputs go to the scratch folder.
build-fuzz/fuzz/decode_fuzzer build-fuzz/fuzz-corpus tests/data/corpus \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2560 -max_len=65536 \
    -artifact_prefix="$findings/" -print_final_stats=1
