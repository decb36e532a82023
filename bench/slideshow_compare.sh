#!/usr/bin/env bash
# Builds a 280x210 slideshow from generated 1920x1080 JPEGs several ways, in one run on
# the same files, and prints the times and ratios:
#   floor       djpeg decoding every input to RGB on one core (every picture must be
#               decoded, so no single-core slideshow tool can be faster than this)
#   ffmpeg      ffmpeg -framerate 10 -i ... -vf scale=280:210 -f swf, on one core as
#               before, and with its own threads on every core for reference
#   -j 1        reelwright-cli on one core
#   -j 2        reelwright-cli with two fitting threads (its movie must equal -j 1's)
#   --fast -j 2 the same with JPEG pictures decoded at a reduced scale
# then the peak memory (maximum resident set) of a 100-frame and a 2000-frame build,
# the cost per picture of 20 pictures of 4000x3000 against the 1920x1080 ones, and the
# quality of --fast against the exact frames (PSNR of every frame, by ffmpeg).
# Usage: bench/slideshow_compare.sh [BUILD_DIR] [PICTURE_COUNT]
set -euo pipefail
# shellcheck source=bench/cli_bench_setup.sh
source "$(dirname "$0")/cli_bench_setup.sh"
count=${2:-100}
large_count=${LARGE_COUNT:-20}
mkdir "$work/pictures" "$work/large"

# Pictures of one size: a plasma cloud with a coloured disc that differs per picture.
generate() {  # folder count width height
    local folder=$1 n=$2 width=$3 height=$4
    convert -size "${width}x${height}" -seed 7 plasma:fractal "$work/base-$width.ppm" 2>/dev/null ||
        convert -size "${width}x${height}" gradient:navy-orange "$work/base-$width.ppm"
    for ((i = 1; i <= n; i++)); do
        printf -v name '%03d.jpg' "$i"
        convert "$work/base-$width.ppm" -fill "hsl($((i * 37 % 360)),80%,50%)" \
            -draw "circle $((i * 17 % width)),$((height / 2)) $((i * 17 % width + width / 10)),$((height / 2))" \
            -quality 90 "$folder/$name"
    done
}
echo "generating $count pictures of 1920x1080 and $large_count of 4000x3000 in $work ..."
generate "$work/pictures" "$count" 1920 1080
generate "$work/large" "$large_count" 4000 3000

seconds() { date +%s.%N; }
elapsed() { echo "$2 - $1" | bc -l; }
ratio() { echo "$1 / $2" | bc -l; }
timed() {  # prints the seconds the command takes
    local start
    start=$(seconds)
    "$@"
    elapsed "$start" "$(seconds)"
}
# One core for the single-core contenders, so that comparison is of work done.
pin="taskset -c 0"

floor=$(timed bash -c "for f in '$work'/pictures/*.jpg; do $pin djpeg -outfile /dev/null \"\$f\"; done")
# Starting djpeg costs a few milliseconds per picture that a single process does not
# pay; the same loop over a 1x1 JPEG measures it.
convert -size 1x1 xc:gray "$work/tiny.jpg"
startup=$(timed bash -c "for ((i = 1; i <= $count; i++)); do $pin djpeg -outfile /dev/null '$work/tiny.jpg'; done")
decode_floor=$(echo "$floor - $startup" | bc -l)

ffmpeg_one=$(timed $pin ffmpeg -loglevel error -y -threads 1 -framerate 10 \
    -i "$work/pictures/%03d.jpg" -vf scale=280:210 -c:v mjpeg -f swf "$work/ffmpeg.swf")
ffmpeg_all=$(timed ffmpeg -loglevel error -y -framerate 10 \
    -i "$work/pictures/%03d.jpg" -vf scale=280:210 -c:v mjpeg -f swf "$work/ffmpeg2.swf")

one=$(timed $pin "$cli" -q -j 1 -s 280x210 -r 10 -o "$work/one.swf" "$work/pictures")
two=$(timed "$cli" -q -j 2 -s 280x210 -r 10 -o "$work/two.swf" "$work/pictures")
fast=$(timed "$cli" -q -j 2 --fast -s 280x210 -r 10 -o "$work/fast.swf" "$work/pictures")
if cmp -s "$work/one.swf" "$work/two.swf"; then same="identical"; else same="DIFFERENT"; fi

# Peak memory: the list once, and twenty times over (2000 frames for 100 pictures).
for ((i = 0; i < 20; i++)); do ls "$work"/pictures/*.jpg; done > "$work/list2000.txt"
peak() { /usr/bin/time -f '%M' "$cli" -q -j 2 -s 280x210 -r 10 -o "$work/peak.swf" "$@" 2>&1 >/dev/null | tail -n 1; }
peak100=$(peak "$work/pictures")
peak2000=$(peak -l "$work/list2000.txt")

# Cost per picture as the pixel count grows (one core).
large=$(timed $pin "$cli" -q -j 1 -s 280x210 -r 10 -o "$work/large.swf" "$work/large")
per_small=$(ratio "$one" "$count")
per_large=$(ratio "$large" "$large_count")
pixel_ratio=$(echo "(4000 * 3000) / (1920 * 1080)" | bc -l)

# --fast against the exact frames: every frame's JPEG taken out of both movies by
# ffmpeg (as stored, no re-encoding) and compared by ImageMagick.
psnr() {  # exact.swf fast.swf -> "mean min frames"; identical frames count as 99 dB
    rm -rf "$work/psnr" && mkdir -p "$work/psnr/a" "$work/psnr/b"
    ffmpeg -loglevel error -i "$1" -c copy -f image2 "$work/psnr/a/%05d.jpg"
    ffmpeg -loglevel error -i "$2" -c copy -f image2 "$work/psnr/b/%05d.jpg"
    for a in "$work"/psnr/a/*.jpg; do
        compare -metric PSNR "$a" "$work/psnr/b/$(basename "$a")" null: 2>&1 || true
        echo
    done | awk '{ x = ($1 == "inf" || $1 == "0") ? 99 : $1 + 0; s += x; n++;
                  if (n == 1 || x < m) m = x }
                END { printf "%.2f %.2f %d\n", s / n, m, n }'
}
read -r psnr_mean psnr_min psnr_frames < <(psnr "$work/one.swf" "$work/fast.swf")
"$cli" -q -j 1 -s 280x210 -o "$work/large-fast.swf" --fast "$work/large"
read -r large_mean large_min large_frames < <(psnr "$work/large.swf" "$work/large-fast.swf")
fixtures=("$top"/tests/data/jpeg/*.jpg "$top"/examples/*.jpg)
"$cli" -q -j 1 -s 280x210 -o "$work/fixtures.swf" "${fixtures[@]}" 2>/dev/null || true
"$cli" -q -j 1 -s 280x210 -o "$work/fixtures-fast.swf" --fast "${fixtures[@]}" 2>/dev/null || true
read -r fix_mean fix_min fix_frames < <(psnr "$work/fixtures.swf" "$work/fixtures-fast.swf")

printf 'pictures:           %d x 1920x1080 JPEG -> 280x210\n' "$count"
printf 'djpeg floor:        %.3f s  (%.3f s without process start-up)\n' "$floor" "$decode_floor"
printf 'ffmpeg, one core:   %.3f s  (%.2fx floor)\n' "$ffmpeg_one" "$(ratio "$ffmpeg_one" "$floor")"
printf 'ffmpeg, all cores:  %.3f s\n' "$ffmpeg_all"
printf 'ours -j 1:          %.3f s  (%.2fx floor without start-up, %.2fx ffmpeg one core)\n' \
    "$one" "$(ratio "$one" "$decode_floor")" "$(ratio "$one" "$ffmpeg_one")"
printf 'ours -j 2:          %.3f s  (%.2fx ffmpeg one core, %.2fx ffmpeg all cores; movie %s to -j 1)\n' \
    "$two" "$(ratio "$two" "$ffmpeg_one")" "$(ratio "$two" "$ffmpeg_all")" "$same"
printf 'ours --fast -j 2:   %.3f s  (%.2fx ffmpeg one core, %.2fx ffmpeg all cores)\n' \
    "$fast" "$(ratio "$fast" "$ffmpeg_one")" "$(ratio "$fast" "$ffmpeg_all")"
printf 'peak memory:        %d KiB for %d frames, %d KiB for %d frames\n' "$peak100" "$count" \
    "$peak2000" "$((20 * count))"
printf '4000x3000 (%d):     %.1f ms a picture against %.1f ms at 1920x1080: %.2fx for %.2fx the pixels\n' \
    "$large_count" "$(echo "$per_large * 1000" | bc -l)" "$(echo "$per_small * 1000" | bc -l)" \
    "$(ratio "$per_large" "$per_small")" "$pixel_ratio"
printf -- '--fast PSNR:        1920x1080 set mean %s dB, worst %s dB (%s frames)\n' "$psnr_mean" "$psnr_min" "$psnr_frames"
printf '                    4000x3000 set mean %s dB, worst %s dB (%s frames)\n' "$large_mean" "$large_min" "$large_frames"
printf '                    JPEG fixtures and examples mean %s dB, worst %s dB (%s frames; 99 = identical)\n' \
    "$fix_mean" "$fix_min" "$fix_frames"
