#!/usr/bin/env bash
# What CI runs: builds everything with warnings as errors and runs every test twice,
# in the release build and under AddressSanitizer + UndefinedBehaviorSanitizer; then
# the tests that run on several threads under ThreadSanitizer (scripts/tsan.sh), and
# a check that every tracked C++ file is formatted as scripts/format.sh leaves it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --sanitize --werror

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

echo "== tests (release build)"
ctest --test-dir build --output-on-failure -j "$(nproc)"
echo "== tests (sanitizer build)"
ctest --test-dir build-asan --output-on-failure -j "$(nproc)"
echo "== tests on several threads (ThreadSanitizer build)"
bash scripts/tsan.sh
echo "== formatting"
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git ls-files -z -- '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror
    echo "every tracked C++ file is formatted"
else
    echo "not a git checkout: the formatting check needs the list of tracked files"
fi
