#!/usr/bin/env bash
# Faults a build must survive, measured on reelwright-cli:
#  - peak memory (resident, /usr/bin/time's %M) of eight copies of each large or
#    hostile picture at -j 1, 2 and 8, and whether -j 8 writes the bytes of -j 1
#    (goal: under 400 MB each, the same movie);
#  - how long Ctrl-C takes to end a build reading a huge or costly picture: from the
#    signal to the process's exit, five times each (goal: under 100 ms).
# Usage: bench/faults_bench.sh [BUILD_DIR]
set -euo pipefail
# shellcheck source=bench/cli_bench_setup.sh
source "$(dirname "$0")/cli_bench_setup.sh"

# The pictures: progressive JPEGs of a few hundred bytes whose frame header claims a
# large picture (libjpeg keeps every coefficient of a progressive file), as
# tests/data/corpus/jpeg_progressive_big.jpg is made; a valid 9400 x 9400 PNG; and
# files of tens of gigabytes that take no room on the disk.
python3 - "$work" <<'EOF'
import os, struct, subprocess, sys, zlib
work = sys.argv[1]
def path(name):
    return os.path.join(work, name)
with open(path("tiny.ppm"), "wb") as f:
    f.write(b"P6\n16 16\n255\n" + bytes((x * 16) % 256 for x in range(16 * 16 * 3)))
def claimed_progressive(name, sampling, side):
    data = subprocess.run(["cjpeg", "-progressive", "-sample", sampling, path("tiny.ppm")],
                          capture_output=True, check=True).stdout
    sof = data.index(b"\xff\xc2")
    data = data[:sof + 5] + struct.pack(">HH", side, side) + data[sof + 9:]
    with open(path(name), "wb") as f:
        f.write(data)
claimed_progressive("progressive_420_6000.jpg", "2x2", 6000)
claimed_progressive("progressive_444_9400.jpg", "1x1", 9400)
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
side = 9400
rows = b"".join(b"\0" + bytes([200, 120, 40]) * side for _ in range(side))
with open(path("rgb_9400.png"), "wb") as f:
    f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", side, side, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))
huge = 50 << 30
with open(path("filler_50g.jpg"), "wb") as f:
    f.write(b"\xff\xd8")
    f.truncate(huge)
with open(path("ignored_chunk_50g.png"), "wb") as f:
    f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 8, 8, 8, 2, 0, 0, 0))
            + b"\x7f\xff\xff\xfftEXt")
    f.truncate(huge)
EOF
cp "$top/tests/data/corpus/jpeg_progressive_big.jpg" "$work/progressive_420_8000.jpg"

eight_copies() {
    local picture=$1
    for _ in 1 2 3 4 5 6 7 8; do echo "$picture"; done > "$work/list.txt"
}

echo "== peak memory of eight copies (goal: under 400 MB; the movie of -j 8 is that of -j 1)"
printf '%-26s %10s %10s %10s  %s\n' picture "-j 1 MB" "-j 2 MB" "-j 8 MB" "movie"
for name in progressive_420_8000.jpg progressive_444_9400.jpg progressive_420_6000.jpg \
    rgb_9400.png; do
    eight_copies "$work/$name"
    peaks=()
    for jobs in 1 2 8; do
        kib=$(/usr/bin/time -f '%M' "$cli" -q -j "$jobs" -o "$work/j$jobs.swf" -l "$work/list.txt" \
            2>&1 >/dev/null | tail -n 1)
        peaks+=("$((kib / 1000))")
    done
    same=$(cmp -s "$work/j1.swf" "$work/j8.swf" && echo "same bytes" || echo "DIFFERENT")
    printf '%-26s %10s %10s %10s  %s\n' "$name" "${peaks[@]}" "$same"
done

# Starts a build, lets it work for a second, sends SIGINT and times the way out.
stop_latency() {
    local jobs=$1
    shift
    "$cli" -q -j "$jobs" -o "$work/stopped.swf" "$@" 2>/dev/null &
    local pid=$!
    sleep 1
    local start end
    start=$(date +%s%N)
    kill -INT "$pid"
    wait "$pid" || true
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
}

echo "== Ctrl-C to exit, milliseconds, five runs (goal: under 100)"
# Threads, copies, picture.
cases=(
    "1 1 filler_50g.jpg"
    "1 1 ignored_chunk_50g.png"
    "8 8 rgb_9400.png"
    "8 8 progressive_420_6000.jpg"
)
for case in "${cases[@]}"; do
    read -r jobs copies name <<<"$case"
    files=()
    for ((i = 0; i < copies; ++i)); do files+=("$work/$name"); done
    times=()
    for _ in 1 2 3 4 5; do
        times+=("$(stop_latency "$jobs" "${files[@]}")")
    done
    printf '%-40s %s\n' "$name x$copies at -j $jobs" "${times[*]}"
done
