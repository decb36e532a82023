#!/bin/sh
# Makes the HEIC fixtures with heif-enc (Debian package libheif-examples) from the
# masters drawn by ../draw_masters.py (their rules are written there).
# heif_decoder_test.cpp compares every file with heif-convert's decoding of it and
# with the rules within the loss of the encoding. heif-enc writes a picture of odd
# size as a grid of one even-sized tile, so these files go through libheif's grid
# decoding as an iPhone's photos do. edit_boxes.py adds what heif-enc has no option
# for: a rotation and mirroring, and a primary image that is not the first.
# Run from anywhere: sh tests/data/heif/make_fixtures.sh
set -eu
cd "$(dirname "$0")"
masters=$(mktemp -d)
trap 'rm -rf "$masters"' EXIT
python3 ../draw_masters.py "$masters"
for name in colour colour_alpha other deep10 deep12; do
    convert "$masters/$name".p?m "$masters/$name.png"
done

heif-enc -q 90 "$masters/colour.png" -o colour.heic >/dev/null
heif-enc -q 90 "$masters/colour_alpha.png" -o alpha.heic >/dev/null
# 10 and 12 bits a sample, from the 16-bit masters.
heif-enc -q 90 -b 10 "$masters/deep10.png" -o deep10.heic >/dev/null
heif-enc -q 90 -b 12 "$masters/deep12.png" -o deep12.heic >/dev/null
# Turned a quarter anticlockwise, then mirrored left to right.
python3 edit_boxes.py colour.heic turned.heic turn 1 1
# Two pictures, the second (the other master) made the primary one.
heif-enc -q 90 "$masters/colour.png" "$masters/other.png" -o "$masters/two.heic" >/dev/null
python3 edit_boxes.py "$masters/two.heic" second_primary.heic primary

# Cut short in the middle of the coded picture.
head -c 500 colour.heic > truncated.heic
