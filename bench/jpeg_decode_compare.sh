#!/bin/sh
# Compares loading a 4000 x 3000 colour JPEG through Picture::Load with libjpeg's
# own command-line decoder on the same file, in the same run:
#     djpeg -outfile /dev/null FILE        versus     jpeg_decode_bench --load-once FILE
# Both are whole processes, so both pay start-up and reading the file. Prints wall
# and CPU (user + system) times and their ratios (the goal: at most 1.15). On a
# busy machine the wall times mostly measure waiting for a core; the CPU ratio is
# the steadier one.
# Usage: sh bench/jpeg_decode_compare.sh [BUILD_DIR]   (default: build)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
bench="$build/bench/jpeg_decode_bench"
# The benchmarks are off by default: the build folder is switched to them once.
if [ ! -x "$bench" ]; then
    cmake -S "$root" -B "$build" -DREELWRIGHT_BENCH=ON >/dev/null
    cmake --build "$build" --target jpeg_decode_bench
fi
command -v djpeg >/dev/null || { echo "djpeg missing (apt-get install libjpeg-turbo-progs)" >&2; exit 1; }

folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
file="$folder/plasma_4000x3000.jpg"
convert -size 4000x3000 -seed 7 plasma:fractal -quality 90 "$file"
runs=${RUNS:-20}

if command -v hyperfine >/dev/null; then
    hyperfine --style none --warmup 3 --runs "$runs" --export-json "$folder/times.json" \
        "djpeg -outfile /dev/null '$file'" "'$bench' --load-once '$file'" >/dev/null
    python3 - "$folder/times.json" <<'PY'
import json, sys
results = json.load(open(sys.argv[1]))["results"]
djpeg, load = results
def cpu(r):
    return r["user"] + r["system"]
print(f"djpeg -outfile /dev/null : wall mean {djpeg['mean'] * 1000:7.1f} ms  min {djpeg['min'] * 1000:7.1f} ms"
      f"  cpu {cpu(djpeg) * 1000:7.1f} ms")
print(f"Picture::Load           : wall mean {load['mean'] * 1000:7.1f} ms  min {load['min'] * 1000:7.1f} ms"
      f"  cpu {cpu(load) * 1000:7.1f} ms")
print(f"ratio Load / djpeg      : wall mean {load['mean'] / djpeg['mean']:.3f}"
      f"    min {load['min'] / djpeg['min']:.3f}    cpu {cpu(load) / cpu(djpeg):.3f}")
PY
else
    # No hyperfine: alternate the two commands and add up wall-clock times.
    total_djpeg=0
    total_load=0
    i=0
    while [ "$i" -lt "$runs" ]; do
        t0=$(date +%s.%N); djpeg -outfile /dev/null "$file"
        t1=$(date +%s.%N); "$bench" --load-once "$file"
        t2=$(date +%s.%N)
        total_djpeg=$(echo "$total_djpeg + $t1 - $t0" | bc -l)
        total_load=$(echo "$total_load + $t2 - $t1" | bc -l)
        i=$((i + 1))
    done
    echo "djpeg -outfile /dev/null : mean $(echo "$total_djpeg * 1000 / $runs" | bc -l | cut -c1-7) ms"
    echo "Picture::Load           : mean $(echo "$total_load * 1000 / $runs" | bc -l | cut -c1-7) ms"
    echo "ratio Load / djpeg      : $(echo "$total_load / $total_djpeg" | bc -l | cut -c1-5)"
fi
