#!/usr/bin/env bash
# What seconds per picture and crossfades cost in bytes: 100 photo-like pictures
# (ImageMagick's plasma, a fixed seed per picture) at 10 fps, as a plain movie, at 3 s
# a picture, and at 3 s with 1 s crossfades, at the default frame and at 640x480.
# Usage: bench/timing_size.sh [BUILD_DIR]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build}
cli=$build/src/cli/reelwright-cli
[ -x "$cli" ] || { echo "no $cli: build first (bash scripts/setup.sh)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for ((i = 1; i <= 100; ++i)); do
    convert -size 800x600 -seed "$i" plasma:fractal -blur 0x1 -quality 92 \
        "$(printf '%s/photo%03d.jpg' "$work" "$i")"
done

for size in 280x210 640x480; do
    plain=0
    for timing in "" "--seconds 3" "--seconds 3 --crossfade 1"; do
        # shellcheck disable=SC2086 # the timing words are meant to split
        "$cli" -q -s "$size" $timing -o "$work/movie.swf" "$work"
        bytes=$(stat -c %s "$work/movie.swf")
        [ -n "$timing" ] || plain=$bytes
        printf '%s %-28s %9d bytes (%+.3f%% of the plain movie)\n' "$size" "${timing:-plain}" \
            "$bytes" "$(echo "100 * ($bytes - $plain) / $plain" | bc -l)"
    done
done
