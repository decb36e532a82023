#!/bin/sh
# Compares loading 12-megapixel (4032 x 3024) WebP, HEIC and AVIF photos through
# Picture::Load with the libraries' own command-line decoders on the same files, in
# the same run:
#     dwebp FILE                       versus  modern_decode_bench --load-once FILE.webp
#     heif-convert FILE.heic OUT.y4m   versus  modern_decode_bench --load-once FILE.heic
#     heif-convert FILE.avif OUT.y4m   versus  modern_decode_bench --load-once FILE.avif
# dwebp without -o decodes and writes nothing; heif-convert must write a file, and a
# Y4M one (the decoded YCbCr planes as they are) costs it the least: it skips the RGB
# conversion that Load does. Both sides are whole processes, start-up and reading the
# file included. Then the build's pipeline with the photos: reelwright-cli making a
# movie of 8 HEIC photos with -j 1 and with -j 2.
# Prints the median wall and CPU (user + system) time of RUNS runs (default 7) and
# the ratios.
# Usage: sh bench/modern_decode_compare.sh [BUILD_DIR]   (default: build)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
bench="$build/bench/modern_decode_bench"
cli="$build/src/cli/reelwright-cli"
# The benchmarks are off by default: the build folder is switched to them once.
if [ ! -x "$bench" ]; then
    cmake -S "$root" -B "$build" -DREELWRIGHT_BENCH=ON >/dev/null
    cmake --build "$build" --target modern_decode_bench reelwright-cli
fi
for program in dwebp heif-convert; do
    command -v "$program" >/dev/null ||
        { echo "$program missing (bash scripts/setup.sh installs it)" >&2; exit 1; }
done

folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
echo "making the photos in $folder ..."
"$bench" --make-photos "$folder"
for i in 1 2 3 4 5 6 7 8; do
    cp "$folder/photo.heic" "$folder/heic$i.heic"
done
export RUNS=${RUNS:-7}

python3 - "$bench" "$cli" "$folder" <<'PY'
import os, statistics, subprocess, sys, time
bench, cli, folder = sys.argv[1:4]
runs = int(os.environ["RUNS"])

def measure(command):
    """Median wall and CPU seconds of `runs` runs, after one unmeasured run."""
    walls, cpus = [], []
    for n in range(runs + 1):
        before = os.times()
        start = time.monotonic()
        subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
        wall = time.monotonic() - start
        after = os.times()
        if n:
            walls.append(wall)
            cpus.append(after.children_user - before.children_user +
                        after.children_system - before.children_system)
    return statistics.median(walls), statistics.median(cpus)

def compare(label, ours, theirs, their_label):
    ours_wall, ours_cpu = measure(ours)
    their_wall, their_cpu = measure(theirs)
    print(f"{label}: Load wall {ours_wall * 1000:7.1f} ms cpu {ours_cpu * 1000:7.1f} ms | "
          f"{their_label} wall {their_wall * 1000:7.1f} ms cpu {their_cpu * 1000:7.1f} ms | "
          f"ratio wall {ours_wall / their_wall:.2f} cpu {ours_cpu / their_cpu:.2f}")

y4m = os.path.join(folder, "out.y4m")
compare("WebP", [bench, "--load-once", f"{folder}/photo.webp"], ["dwebp", f"{folder}/photo.webp"],
        "dwebp")
compare("HEIC", [bench, "--load-once", f"{folder}/photo.heic"],
        ["heif-convert", f"{folder}/photo.heic", y4m], "heif-convert")
compare("AVIF", [bench, "--load-once", f"{folder}/photo.avif"],
        ["heif-convert", f"{folder}/photo.avif", y4m], "heif-convert")

photos = [f"{folder}/heic{i}.heic" for i in range(1, 9)]
movie = os.path.join(folder, "PHOTOS.SWF")
timings = {}
for jobs in ("1", "2"):
    timings[jobs] = measure([cli, "-q", "-j", jobs, "-o", movie] + photos)
    print(f"8 HEIC photos into a movie, -j {jobs}: wall {timings[jobs][0]:.2f} s "
          f"cpu {timings[jobs][1]:.2f} s")
print(f"speed-up of -j 2: {timings['1'][0] / timings['2'][0]:.2f}")
PY
