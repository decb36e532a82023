#!/usr/bin/env bash
# Builds a 280x210 slideshow from 100 generated 1920x1080 JPEGs three ways, in one run
# on the same files, and prints the times and ratios:
#   floor     djpeg decoding every input to RGB on one core (every picture must be
#             decoded, so no slideshow tool can be faster than this)
#   ffmpeg    ffmpeg -framerate 10 -i ... -vf scale=280:210 -f swf
#   ours      reelwright-cli -s 280x210 -r 10
# and the peak memory (maximum resident set) of reelwright-cli.
# Usage: bench/slideshow_compare.sh [BUILD_DIR] [PICTURE_COUNT]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build}
count=${2:-100}
cli=$build/src/cli/reelwright-cli
[ -x "$cli" ] || { echo "no $cli: build first (bash scripts/setup.sh)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/pictures"

echo "generating $count pictures of 1920x1080 in $work/pictures ..."
convert -size 1920x1080 plasma:fractal -seed 7 "$work/base.ppm" 2>/dev/null ||
    convert -size 1920x1080 gradient:navy-orange "$work/base.ppm"
for ((i = 1; i <= count; i++)); do
    printf -v name '%03d.jpg' "$i"
    convert "$work/base.ppm" -fill "hsl($((i * 37 % 360)),80%,50%)" \
        -draw "circle $((i * 17 % 1920)),540 $((i * 17 % 1920 + 200)),540" \
        -quality 90 "$work/pictures/$name"
done

seconds() { date +%s.%N; }
elapsed() { echo "$2 - $1" | bc -l; }

# One core for every contender, so the comparison is of work done, not of threads.
pin="taskset -c 0"

start=$(seconds)
for f in "$work"/pictures/*.jpg; do $pin djpeg -outfile /dev/null "$f"; done
floor=$(elapsed "$start" "$(seconds)")

# Starting djpeg costs a few milliseconds per picture that a single process does not
# pay; the same loop over a 1x1 JPEG measures it, so the floor can also be given
# without it.
convert -size 1x1 xc:gray "$work/tiny.jpg"
start=$(seconds)
for ((i = 1; i <= count; i++)); do $pin djpeg -outfile /dev/null "$work/tiny.jpg"; done
startup=$(elapsed "$start" "$(seconds)")
decode_floor=$(echo "$floor - $startup" | bc -l)

start=$(seconds)
$pin ffmpeg -loglevel error -y -threads 1 -framerate 10 -i "$work/pictures/%03d.jpg" \
    -vf scale=280:210 -c:v mjpeg -f swf "$work/ffmpeg.swf"
ffmpeg_time=$(elapsed "$start" "$(seconds)")

start=$(seconds)
$pin "$cli" -q -s 280x210 -r 10 -o "$work/ours.swf" "$work/pictures"
ours=$(elapsed "$start" "$(seconds)")

peak_kib=$(/usr/bin/time -f '%M' "$cli" -q -s 280x210 -r 10 -o "$work/ours2.swf" \
    "$work/pictures" 2>&1 >/dev/null | tail -n 1)
movie_bytes=$(stat -c %s "$work/ours.swf")

printf 'pictures:           %d x 1920x1080 JPEG -> 280x210\n' "$count"
printf 'djpeg floor:        %.3f s  (%.3f s without process start-up)\n' "$floor" "$decode_floor"
printf 'ffmpeg:             %.3f s  (%.2fx floor)\n' "$ffmpeg_time" "$(echo "$ffmpeg_time / $floor" | bc -l)"
printf 'reelwright-cli:     %.3f s  (%.2fx floor, %.2fx floor without start-up, %.2fx ffmpeg)\n' \
    "$ours" "$(echo "$ours / $floor" | bc -l)" "$(echo "$ours / $decode_floor" | bc -l)" \
    "$(echo "$ours / $ffmpeg_time" | bc -l)"
printf 'peak memory:        %d KiB (movie %d KiB)\n' "$peak_kib" "$((movie_bytes / 1024))"
