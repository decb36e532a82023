#!/usr/bin/env bash
# The most pictures a movie can hold: 32766 small pictures (a 64x48 JPEG and a 40x30
# PNG in turn, by list file) into a 280x210 movie, with its time and peak memory,
# once with every core and once with one.
# Usage: bench/full_movie.sh [BUILD_DIR]
set -euo pipefail
# shellcheck source=bench/cli_bench_setup.sh
source "$(dirname "$0")/cli_bench_setup.sh"
convert -size 64x48 -seed 3 plasma:fractal -quality 90 "$work/small.jpg"
convert -size 40x30 gradient:red-blue "$work/small.png"
for ((i = 0; i < 32766; i += 2)); do
    echo "$work/small.jpg"
    echo "$work/small.png"
done > "$work/list.txt"

for jobs in 0 1; do
    label=$([ "$jobs" = 0 ] && echo "every core" || echo "one thread")
    args=(-q -s 280x210 -o "$work/full.swf" -l "$work/list.txt")
    [ "$jobs" = 0 ] || args=(-j 1 "${args[@]}")
    read -r seconds kib < <(/usr/bin/time -f '%e %M' "$cli" "${args[@]}" 2>&1 >/dev/null | tail -n 1)
    printf '32766 pictures, %s: %s s, peak memory %s KiB, movie %d KiB\n' "$label" "$seconds" \
        "$kib" "$(($(stat -c %s "$work/full.swf") / 1024))"
done
