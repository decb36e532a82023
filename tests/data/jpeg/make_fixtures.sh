#!/bin/sh
# Makes the JPEG fixtures with ImageMagick, and the exact reference pixels with
# djpeg (libjpeg-turbo-progs): jpeg_decoder_test.cpp compares decoded rows with the
# .ppm/.pgm files byte for byte, and with the drawn blocks within a tolerance.
# add_segments.py writes the EXIF and unit-less JFIF variants no tool makes.
# Run from anywhere: sh tests/data/jpeg/make_fixtures.sh
set -eu
cd "$(dirname "$0")"

# Four blocks on a 45 x 30 picture (odd width: stored rows need padding):
# top left red (220, 30, 40), top right green (30, 200, 60),
# bottom left blue (40, 50, 210), bottom right light grey (200, 200, 200).
blocks() {
    convert -size 45x30 xc:"rgb(200,200,200)" \
        -fill "rgb(220,30,40)" -draw "rectangle 0,0 21,14" \
        -fill "rgb(30,200,60)" -draw "rectangle 22,0 44,14" \
        -fill "rgb(40,50,210)" -draw "rectangle 0,15 21,29" "$@"
}

blocks -strip -quality 95 colour.jpg
blocks -strip -quality 95 -interlace Plane progressive.jpg
# Grey: level = 255 * x / 44 across, one component in the file.
convert -size 30x45 gradient:white-black -rotate -90 -strip -colorspace Gray \
    -type Grayscale -quality 95 grey.jpg
# CMYK as Adobe writes it (inverted samples), drawn from the same blocks.
blocks -strip -colorspace CMYK -quality 100 cmyk.jpg

djpeg -outfile colour.ppm colour.jpg
djpeg -outfile progressive.ppm progressive.jpg
djpeg -outfile grey.pgm grey.jpg
djpeg -scale 1/2 -outfile colour_half.ppm colour.jpg

# JFIF density in dots per inch (unit 1) and per centimetre (unit 2).
blocks -quality 95 -units PixelsPerInch -density 300x150 density_inch.jpg
blocks -quality 95 -units PixelsPerCentimeter -density 40x20 density_cm.jpg

# The blocks as a camera held another way stores them: orientation_N.jpg holds the
# picture turned by the inverse of EXIF orientation N (add_segments.py gives it the
# tag), so that turned upright as the tag says, each one shows the blocks as above.
turns="none -flop -rotate,180 -flip -transpose -rotate,270 -transverse -rotate,90"
n=1
for turn in $turns; do
    if [ "$turn" = none ]; then turn=""; fi
    # shellcheck disable=SC2086  # the turn's words, split at the comma
    blocks $(echo "$turn" | tr , ' ') -strip -quality 95 "stored_$n.jpg"
    n=$((n + 1))
done

# Cut short in the middle of the compressed data.
head -c 660 colour.jpg > truncated.jpg
# What libjpeg makes of the cut file (its missing rows come out mid-grey).
djpeg -outfile truncated.ppm truncated.jpg 2>/dev/null || true  # exits 2 on the warning
: > empty.jpg

python3 add_segments.py
