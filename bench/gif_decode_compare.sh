#!/bin/sh
# Compares loading a 1600 x 1200, 256-colour GIF through Picture::Load (our own LZW
# decoder) with ffmpeg's GIF decoder on the same file, in the same run:
#     ffmpeg -i FILE -f null -      versus     gif_ico_decode_bench --load-once FILE
# Both are whole processes, so both pay start-up and reading the file. Prints the
# CPU time (user + system) of each over RUNS runs (default 10) and their ratio.
# Usage: sh bench/gif_decode_compare.sh [BUILD_DIR]   (default: build)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
bench="$build/bench/gif_ico_decode_bench"
# The benchmarks are off by default: the build folder is switched to them once.
if [ ! -x "$bench" ]; then
    cmake -S "$root" -B "$build" -DREELWRIGHT_BENCH=ON >/dev/null
    cmake --build "$build" --target gif_ico_decode_bench
fi
command -v ffmpeg >/dev/null || { echo "ffmpeg missing" >&2; exit 1; }

folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
file="$folder/plasma_1600x1200.gif"
convert -size 1600x1200 -seed 7 plasma:fractal -colors 256 "$file"
runs=${RUNS:-10}

cpu_seconds() {
    # Total user + system seconds of RUNS runs of the command.
    python3 - "$runs" "$@" <<'PY'
import os, subprocess, sys
runs = int(sys.argv[1]); command = sys.argv[2:]
total = 0.0
for _ in range(runs):
    before = os.times()
    subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    after = os.times()
    total += (after.children_user - before.children_user) + (after.children_system - before.children_system)
print(f"{total:.3f}")
PY
}

ffmpeg_cpu=$(cpu_seconds ffmpeg -v quiet -i "$file" -f null -)
ours_cpu=$(cpu_seconds "$bench" --load-once "$file")
echo "ffmpeg -i FILE -f null - : cpu $ffmpeg_cpu s for $runs runs"
echo "Picture::Load            : cpu $ours_cpu s for $runs runs"
python3 -c "print(f'ratio Load / ffmpeg      : {$ours_cpu / $ffmpeg_cpu:.3f}')"
