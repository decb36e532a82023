#!/bin/sh
# Makes the WebP fixtures with cwebp, img2webp and webpmux (Debian package webp)
# from the masters drawn by ../draw_masters.py (their rules are written there; the
# decoder tests compute them again). webp_decoder_test.cpp compares the lossless files with
# the rules and every file with dwebp's decoding of it.
# Run from anywhere: sh tests/data/webp/make_fixtures.sh
set -eu
cd "$(dirname "$0")"
masters=$(mktemp -d)
trap 'rm -rf "$masters"' EXIT
python3 ../draw_masters.py "$masters"
for name in colour colour_alpha other; do
    convert "$masters/$name".p?m "$masters/$name.png"
done

cwebp -quiet -q 90 "$masters/colour.png" -o lossy.webp
cwebp -quiet -lossless "$masters/colour.png" -o lossless.webp
# Lossy colours with losslessly stored alpha, and all lossless (-exact keeps the
# colours of the most transparent pixels).
cwebp -quiet -q 90 -alpha_q 100 "$masters/colour_alpha.png" -o lossy_alpha.webp
cwebp -quiet -lossless -exact "$masters/colour_alpha.png" -o lossless_alpha.webp

# An animation on a 45 x 31 canvas whose first frame covers only the 20 x 12
# rectangle at (10, 6), cut from the colour master at that place; the second frame
# is the other master, whole.
convert "$masters/colour.png" -crop 20x12+10+6 +repage "$masters/first.png"
cwebp -quiet -lossless "$masters/first.png" -o "$masters/first.webp"
cwebp -quiet -lossless "$masters/other.png" -o "$masters/second.webp"
webpmux -frame "$masters/first.webp" +100+10+6 -frame "$masters/second.webp" +100 \
    -loop 0 -o animated.webp >/dev/null 2>&1
# An animation whose first frame is lossy with alpha (ALPH and VP8 chunks) and covers
# the whole canvas: that frame alone, taken out with webpmux, is what dwebp decodes.
img2webp -loop 0 -lossy -q 90 "$masters/colour_alpha.png" -d 100 "$masters/other.png" \
    -o animated_alpha.webp >/dev/null 2>&1

# Cut short in the middle of the compressed data.
head -c 120 lossy.webp > truncated.webp
