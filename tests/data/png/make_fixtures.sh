#!/bin/sh
# Makes the PNG fixtures with ImageMagick. Every picture is drawn by a rule of its
# pixel position (x from the left, y from the top) that png_decoder_test.cpp
# computes again; add_chunks.py then writes the variants ImageMagick does not make
# (grey and colour transparency chunks, a unit-less pHYs) and checks every file's
# header. Run from anywhere: sh tests/data/png/make_fixtures.sh
set -eu
cd "$(dirname "$0")"

# No date, time, gamma or text chunks: the files stay byte-for-byte the same.
png() {
    convert -define png:exclude-chunks=date,time,gAMA,cHRM,bKGD,tEXt,zTXt,iTXt "$@"
}

# Grey levels: level = (3x + 5y) mod 2^depth.
for depth in 1 2 4 8; do
    max=$(( (1 << depth) - 1 ))
    png -size 7x5 xc: -fx "((i*3+j*5)%($max+1))/$max" \
        -define png:color-type=0 -define png:bit-depth=$depth grey$depth.png
done
# 16-bit grey: level = (9000x + 3001y) mod 65536; only the high byte is kept.
png -size 7x5 xc: -fx "((i*9000+j*3001)%65536)/65535" \
    -define png:color-type=0 -define png:bit-depth=16 grey16.png

# Colour: red = (37x + 11y) mod 256, green = (5x + 50y) mod 256,
# blue = (71x + 3y + 100) mod 256.
rgb_fx='-channel R -fx ((i*37+j*11)%256)/255 -channel G -fx ((i*5+j*50)%256)/255 -channel B -fx ((i*71+j*3+100)%256)/255 +channel'
# shellcheck disable=SC2086
png -size 7x5 xc: $rgb_fx -define png:color-type=2 -define png:bit-depth=8 rgb8.png
# shellcheck disable=SC2086
png -size 19x13 xc: $rgb_fx -interlace PNG -define png:color-type=2 -define png:bit-depth=8 \
    rgb8_interlaced.png
# 16-bit colour: red = (9000x + 3001y) mod 65536, green = (1234x + 4321y + 500) mod
# 65536, blue = (777x + 8888y + 40000) mod 65536.
png -size 7x5 xc: \
    -channel R -fx "((i*9000+j*3001)%65536)/65535" \
    -channel G -fx "((i*1234+j*4321+500)%65536)/65535" \
    -channel B -fx "((i*777+j*8888+40000)%65536)/65535" +channel \
    -define png:color-type=2 -define png:bit-depth=16 rgb16.png

# Alpha: alpha = (30x + 40y) mod 256 (16-bit: (9000x + 3001y) mod 65536 for all).
alpha_fx='-alpha set -channel A -fx ((i*30+j*40)%256)/255 +channel'
# shellcheck disable=SC2086
png -size 7x5 xc: $rgb_fx $alpha_fx -define png:color-type=6 -define png:bit-depth=8 rgba8.png
# shellcheck disable=SC2086
png -size 19x13 xc: $rgb_fx $alpha_fx -interlace PNG \
    -define png:color-type=6 -define png:bit-depth=8 rgba8_interlaced.png
# shellcheck disable=SC2086
png -size 7x5 xc: -fx "((i*37+j*11)%256)/255" $alpha_fx \
    -define png:color-type=4 -define png:bit-depth=8 greyalpha8.png
png -size 7x5 xc: -fx "((i*9000+j*3001)%65536)/65535" -alpha set \
    -channel A -fx "((i*1234+j*4321+500)%65536)/65535" +channel \
    -define png:color-type=4 -define png:bit-depth=16 greyalpha16.png
png -size 7x5 xc: \
    -channel R -fx "((i*9000+j*3001)%65536)/65535" \
    -channel G -fx "((i*1234+j*4321+500)%65536)/65535" \
    -channel B -fx "((i*777+j*8888+40000)%65536)/65535" \
    -alpha set -channel A -fx "((i*30000+j*7000)%65536)/65535" +channel \
    -define png:color-type=6 -define png:bit-depth=16 rgba16.png

# Palettes of n colours: pixel (x, y) shows colour k = (x + 2y) mod n, whose red is
# (k * 37) mod 256, green 255 - k, blue (k * 91) mod 256.
pal_fx='-channel R -fx (((i+2*j)%N)*37%256)/255 -channel G -fx (255-(i+2*j)%N)/255 -channel B -fx (((i+2*j)%N)*91%256)/255 +channel'
for pair in 1:2 2:4 4:16 8:40; do
    depth=${pair%%:*}
    colors=${pair##*:}
    # shellcheck disable=SC2086
    png -size 9x7 xc: $(echo "$pal_fx" | sed "s/N/$colors/g") \
        -define png:color-type=3 -define png:bit-depth=$depth palette$depth.png
done
# shellcheck disable=SC2086
png -size 19x13 xc: $(echo "$pal_fx" | sed "s/N/4/g") -interlace PNG \
    -define png:color-type=3 -define png:bit-depth=2 palette2_interlaced.png

# A palette picture whose colour 0 (palette entry 0) is fully transparent: the
# PNG8 writer makes a one-entry transparency chunk. add_chunks.py derives the
# partly transparent variants from it.
# shellcheck disable=SC2086
png -size 9x7 xc: $(echo "$pal_fx" | sed "s/N/6/g") -alpha set \
    -channel A -fx "(i+2*j)%6==0 ? 0 : 1" +channel PNG8:palette_transparent.png

# Resolution: 300 dots per inch (ImageMagick stores 11811 dots per metre).
# shellcheck disable=SC2086
png -size 7x5 xc: $rgb_fx -units PixelsPerInch -density 300 \
    -define png:color-type=2 -define png:bit-depth=8 rgb8_300dpi.png

# Not a PNG at all, and a PNG cut short in its pixel data.
printf 'GIF89a not a png at all' > not_png.png
head -c 60 rgb8.png > truncated.png

python3 add_chunks.py
