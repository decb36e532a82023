#!/bin/bash
# Shrinking a camera photo and an HD frame to the default 280 x 210 frame: our area
# average (resample_bench) against ImageMagick's -resize (its default filter) and
# -scale (its box average, the nearest relative of ours), in the same run.
#
# Usage: bench/resample_compare.sh [build folder] [runs]
# Throughput is megabytes of 24-bit source pixels per CPU second. ImageMagick's cost of
# one resize is (CPU of load + 8 resizes of copies) - (CPU of load + 8 copies), divided
# by 8, each the median of the runs, so loading the file does not count; it is measured
# single-threaded and with its default threads (whose CPU seconds are summed over
# threads, so the default rows show efficiency, not wall time).
set -euo pipefail

build=${1:-build}
runs=${2:-5}
here=$(cd "$(dirname "$0")/.." && pwd)
case $build in
    /*) ;;
    *) build=$here/$build ;;
esac
bench="$build/bench/resample_bench"
# The benchmarks are off by default: the build folder is switched to them once.
if [ ! -x "$bench" ]; then
    cmake -S "$here" -B "$build" -DREELWRIGHT_BENCH=ON >/dev/null
    cmake --build "$build" --target resample_bench
fi
command -v convert >/dev/null || { echo "ImageMagick (convert) is needed" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Median CPU seconds (user + system) of a command over $runs runs.
cpu_median() {
    local times=()
    for ((i = 0; i < runs; i++)); do
        /usr/bin/time -f "%U %S" -o "$work/time" "$@" >/dev/null 2>&1
        times+=("$(awk '{printf "%.4f", $1 + $2}' "$work/time")")
    done
    printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'
}

# Our numbers: bytes_per_second (per CPU second) from the benchmark's CSV output.
ours=$("$bench" --benchmark_filter='BM_Shrink(Photo|Hd)' --benchmark_repetitions="$runs" \
    --benchmark_report_aggregates_only=true --benchmark_format=csv 2>/dev/null |
    awk -F, '/_median"?,/ {gsub(/"/, "", $1); print $1, $6}')

printf '%-22s %-34s %12s\n' "source -> 280x210" "implementation" "MB/s"
for size in 4000x3000 1920x1080; do
    width=${size%x*}
    height=${size#*x}
    bytes=$((width * height * 3))
    picture="$work/in_$size.ppm"
    convert -size "$size" xc:gray +noise Random -depth 8 "$picture"

    case $size in
        4000x3000) name=BM_ShrinkPhoto4000x3000To280x210 ;;
        *) name=BM_ShrinkHd1920x1080To280x210 ;;
    esac
    rate=$(echo "$ours" | awk -v n="${name}_median" '$1 == n {print $2}')
    printf '%-22s %-34s %12.1f\n' "$size" "reelwright area average" "$(awk -v r="$rate" 'BEGIN {print r / 1e6}')"

    for threads in 1 default; do
        limit=()
        [ "$threads" = 1 ] && limit=(-limit thread 1)
        load=$(cpu_median convert "${limit[@]}" "$picture" -duplicate 7 null:)
        for operator in resize scale; do
            total=$(cpu_median convert "${limit[@]}" "$picture" -duplicate 7 \
                -"$operator" '280x210!' null:)
            awk -v b="$bytes" -v t="$total" -v l="$load" -v s="$size" \
                -v what="ImageMagick -$operator ($threads thread)" 'BEGIN {
                    d = (t - l) / 8
                    if (d <= 0) printf "%-22s %-34s %12s\n", s, what, "n/a"
                    else printf "%-22s %-34s %12.1f\n", s, what, b / d / 1e6
                }'
        done
    done
done
