#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, AddressSanitizer and UBSan in build-fuzz/
# and runs them one at a time, or minimises what they found into fuzz/corpus/.
#
#   scripts/fuzz.sh [TARGET|all] [SECONDS] [-- LIBFUZZER OPTIONS...]
#       Runs TARGET (bmp jpeg png tga ico gif webp heif avif frame; default all, in
#       turn) for SECONDS each (default 300; 0 runs until stopped or until -runs=N is
#       reached). Inputs that add coverage go to build-fuzz/corpus/TARGET/, faults to
#       build-fuzz/findings/TARGET/. The committed corpus fuzz/corpus/TARGET/, the
#       fixtures of the target's format and the hostile corpus tests/data/corpus/ seed
#       the run and are never written to; fuzz/TARGET.dict, where there is one, gives
#       libFuzzer the format's chunk and box names.
#   scripts/fuzz.sh --merge [TARGET|all]
#       Minimises fuzz/corpus/TARGET/ together with build-fuzz/corpus/TARGET/ into a
#       fresh fuzz/corpus/TARGET/ (libFuzzer's -merge=1): the smallest set of inputs
#       that keeps all coverage. The test suite replays it.
set -euo pipefail
cd "$(dirname "$0")/.."

all_targets=(bmp jpeg png tga ico gif webp heif avif frame)
merge=0
if [[ "${1:-}" == "--merge" ]]; then
    merge=1
    shift
fi
target=all
seconds=300
extra=()
positional=0
while (($#)); do
    if [[ "$1" == "--" ]]; then
        shift
        extra=("$@")
        break
    fi
    case $positional in
        0) target=$1 ;;
        1) seconds=$1 ;;
        *) echo "too many arguments: $1" >&2; exit 2 ;;
    esac
    positional=$((positional + 1))
    shift
done

if [[ "$target" == all ]]; then
    targets=("${all_targets[@]}")
elif [[ " ${all_targets[*]} " == *" $target "* ]]; then
    targets=("$target")
else
    echo "unknown fuzz target: $target (one of: ${all_targets[*]} all)" >&2
    exit 2
fi

jobs=${FUZZ_BUILD_JOBS:-2}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DREELWRIGHT_FUZZ=ON -DREELWRIGHT_TESTS=OFF -DREELWRIGHT_GUI=OFF >/dev/null
cmake --build build-fuzz -j "$jobs" --target "${targets[@]/%/_fuzzer}"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
# Leaks inside Debian's codec libraries are theirs (see the file), not findings.
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/tests/lsan_suppressions.txt}

# Fixture folders that seed each target; the frame path meets every format.
seeds_of() {
    case "$1" in
        frame) echo tests/data/bmp tests/data/jpeg tests/data/png tests/data/tga \
            tests/data/ico tests/data/gif tests/data/webp tests/data/heif tests/data/avif ;;
        *) echo "tests/data/$1" ;;
    esac
}

for name in "${targets[@]}"; do
    fuzzer=build-fuzz/fuzz/${name}_fuzzer
    committed=fuzz/corpus/$name
    working=build-fuzz/corpus/$name
    mkdir -p "$committed" "$working" "build-fuzz/findings/$name"
    if ((merge)); then
        # Into an empty folder, so that only the inputs that add coverage remain.
        fresh=build-fuzz/merged/$name
        rm -rf "$fresh"
        mkdir -p "$fresh"
        "$fuzzer" -merge=1 -max_len=65536 -rss_limit_mb=2048 -timeout=30 \
            "$fresh" "$committed" "$working"
        rm -rf "$committed"
        mv "$fresh" "$committed"
        echo "$name: $(find "$committed" -type f | wc -l) inputs, $(du -sk "$committed" | cut -f1) KB"
        continue
    fi
    # -malloc_limit_mb: with a picture limit of a few MiB, no single allocation of any
    # decoder or library comes near 64 MiB; one that does is a finding. -timeout is
    # generous because a niced run on a busy machine can wait seconds for a core.
    dictionary=()
    if [[ -f fuzz/$name.dict ]]; then
        dictionary=(-dict="fuzz/$name.dict")
    fi
    # shellcheck disable=SC2046
    "$fuzzer" "$working" "$committed" $(seeds_of "$name") tests/data/corpus "${dictionary[@]}" \
        -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 -malloc_limit_mb=64 \
        -max_len=65536 -artifact_prefix="build-fuzz/findings/$name/" -print_final_stats=1 \
        "${extra[@]}"
done
