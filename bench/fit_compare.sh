#!/usr/bin/env bash
# The cost of fitting pictures to a frame of another shape: a 280x210 (4:3) movie of
# generated 1920x1080 (16:9) JPEGs built with --fit stretch, contain and cover, each
# with and without --fast, with one fitting thread on core 0, the best of REPEATS runs
# each. Prints the CPU seconds (user + system, so that other work on a shared machine
# does not count) and each fit's ratio to stretch (the goal: within 5%), then the cost
# of --upright when every photo is stored a quarter turn away (EXIF orientation 6)
# against the same photos stored upright. With --fast every picture decodes at the
# smallest of libjpeg's scales m/8 that still gives its fitted picture every pixel:
# here 2/8 (480x270) for all three fits, since 1/8 (240x135) is narrower than the
# frame (contain needs the width, cover and stretch both sides).
# Usage: bench/fit_compare.sh [BUILD_DIR] [PICTURE_COUNT] [REPEATS]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build}
count=${2:-100}
repeats=${3:-3}
cli=$build/src/cli/reelwright-cli
[ -x "$cli" ] || { echo "no $cli: build first (bash scripts/setup.sh)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/pictures"

echo "generating $count pictures of 1920x1080 in $work ..."
convert -size 1920x1080 -seed 7 plasma:fractal "$work/base.ppm" 2>/dev/null ||
    convert -size 1920x1080 gradient:navy-orange "$work/base.ppm"
for ((i = 1; i <= count; i++)); do
    printf -v name '%03d.jpg' "$i"
    convert "$work/base.ppm" -fill "hsl($((i * 37 % 360)),80%,50%)" \
        -draw "circle $((i * 17 % 1920)),540 $((i * 17 % 1920 + 192)),540" \
        -quality 90 "$work/pictures/$name"
done

# The same pictures stored as a phone held sideways stores them: turned a quarter
# anticlockwise, with EXIF orientation 6 (turn clockwise to see them).
mkdir "$work/turned"
for picture in "$work"/pictures/*.jpg; do
    convert "$picture" -rotate 270 -quality 90 "$work/turned.jpg"
    python3 - "$work/turned.jpg" "$work/turned/$(basename "$picture")" <<'PYTHON'
import struct, sys
data = open(sys.argv[1], "rb").read()
tiff = b"MM" + struct.pack(">HIH", 42, 8, 1) + struct.pack(">HHIHH", 0x0112, 3, 1, 6, 0) + b"\0" * 4
body = b"Exif\0\0" + tiff
open(sys.argv[2], "wb").write(data[:2] + b"\xff\xe1" + struct.pack(">H", len(body) + 2) + body + data[2:])
PYTHON
done

# The CPU seconds of one command.
cpu_seconds() {
    local TIMEFORMAT='%3U + %3S'
    { time "$@" >/dev/null 2>&1; } 2>&1 | bc -l
}
# One build, on core 0, of the folder $1 with the options that follow.
build_seconds() {
    local folder=$1
    shift
    cpu_seconds taskset -c 0 "$cli" -q -j 1 -s 280x210 -o "$work/movie.swf" "$@" "$work/$folder"
}
# Keeps the smaller of best[$1] and the seconds $2.
keep_best() {
    if [ -z "${best[$1]:-}" ] || (($(echo "$2 < ${best[$1]}" | bc -l))); then
        best[$1]=$2
    fi
}

# Every variant once a round, so that a busy spell of the machine falls on all alike.
declare -A best=()
for ((r = 0; r < repeats; r++)); do
    for fast in exact --fast; do
        flag=${fast#exact}
        for fit in stretch contain cover; do
            # shellcheck disable=SC2086  # no --fast is no word at all
            keep_best "$fast $fit" "$(build_seconds pictures --fit "$fit" $flag)"
        done
        # shellcheck disable=SC2086
        keep_best "$fast upright" "$(build_seconds turned --upright $flag)"
    done
done

printf '%d x 1920x1080 JPEG -> 280x210, one core, CPU seconds, best of %d\n' "$count" "$repeats"
for fast in exact --fast; do
    for fit in stretch contain cover; do
        printf '  %-7s %-8s %.3f s  (%.3fx stretch)\n' "$fast" "$fit" "${best[$fast $fit]}" \
            "$(echo "${best[$fast $fit]} / ${best[$fast stretch]}" | bc -l)"
    done
    printf '  %-7s upright  %.3f s  (%.3fx stretch of the same photos stored upright)\n' \
        "$fast" "${best[$fast upright]}" "$(echo "${best[$fast upright]} / ${best[$fast stretch]}" | bc -l)"
done
