#!/usr/bin/env bash
# Applies the house formatting to the given C++ files (default: every file that
# differs from HEAD): braces around every body (clang-tidy, which needs a configured
# build/ for its compile commands), then clang-format with the root .clang-format.
set -euo pipefail
cd "$(dirname "$0")/.."
if (($# == 0)); then
    mapfile -t files < <(git diff --name-only HEAD -- '*.cpp' '*.h'; git ls-files --others --exclude-standard -- '*.cpp' '*.h')
else
    files=("$@")
fi
((${#files[@]})) || exit 0
sources=()
for file in "${files[@]}"; do
    [[ -f "$file" ]] || continue
    [[ "$file" == *.cpp ]] && sources+=("$file")
done
if ((${#sources[@]})) && [[ -f build/compile_commands.json ]]; then
    clang-tidy -p build --quiet -fix "${sources[@]}" >/dev/null 2>&1 || true
fi
existing=()
for file in "${files[@]}"; do
    [[ -f "$file" ]] && existing+=("$file")
done
((${#existing[@]})) && clang-format -i "${existing[@]}"
