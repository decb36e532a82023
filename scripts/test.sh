#!/usr/bin/env bash
# Builds everything from scratch-safe build trees and runs every test twice: in the
# release build and under AddressSanitizer + UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --sanitize

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

echo "== tests (release build)"
ctest --test-dir build --output-on-failure -j "$(nproc)"
echo "== tests (sanitizer build)"
ctest --test-dir build-asan --output-on-failure -j "$(nproc)"
