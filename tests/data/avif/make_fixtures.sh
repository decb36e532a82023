#!/bin/sh
# Makes the AVIF fixtures with avifenc (Debian package libavif-bin) from the masters
# drawn by ../draw_masters.py (their rules are written there). The lossless files
# decode to the rules exactly (8 bits), or to the rule's 10 and 12-bit values, which
# heif_decoder_test.cpp rounds to 8 bits; the lossy ones are compared with
# heif-convert's decoding and with avifdec's (another library's colour conversion).
# Run from anywhere: sh tests/data/avif/make_fixtures.sh
set -eu
cd "$(dirname "$0")"
masters=$(mktemp -d)
trap 'rm -rf "$masters"' EXIT
python3 ../draw_masters.py "$masters"
for name in colour colour_alpha deep10 deep12; do
    convert "$masters/$name".p?m "$masters/$name.png"
done

avif() {
    avifenc --jobs 1 "$@" >/dev/null 2>&1
}
avif --min 8 --max 16 "$masters/colour.png" colour.avif
avif -l "$masters/colour.png" lossless.avif
# Lossy colours, lossless alpha (avifenc's default for alpha).
avif --min 8 --max 16 "$masters/colour_alpha.png" alpha.avif
avif -l -d 10 "$masters/deep10.png" deep10.avif
avif -l -d 12 "$masters/deep12.png" deep12.avif
# Rotations (irot: quarter turns anticlockwise) and mirrorings (imir: 0 top to
# bottom, 1 left to right, after the rotation), lossless.
avif -l --irot 1 "$masters/colour.png" irot1.avif
avif -l --imir 0 "$masters/colour.png" imir0.avif
avif -l --irot 3 --imir 1 "$masters/colour.png" irot3_imir1.avif

# Cut short in the middle of the coded picture.
head -c 300 colour.avif > truncated.avif
