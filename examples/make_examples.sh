#!/usr/bin/env bash
# Draws the sample pictures of the demo slideshow with ImageMagick: our own shapes and
# gradients, in several formats and sizes, so the demo exercises several decoders.
# Run from anywhere; writes into the folder of this script.
set -euo pipefail
cd "$(dirname "$0")"

convert -size 640x480 gradient:'#1e3c72'-'#f7b733' \
    -fill '#fff3b0' -draw 'circle 320,300 320,220' \
    -fill '#20303a' -draw 'rectangle 0,400 640,480' \
    -quality 90 01-sunrise.jpg

convert -size 800x600 xc:'#f4f1ea' \
    -fill '#c0392b' -draw 'rectangle 80,80 360,520' \
    -fill '#2980b9' -draw 'rectangle 440,80 720,300' \
    -fill '#f1c40f' -draw 'rectangle 440,340 720,520' \
    -stroke black -strokewidth 12 -fill none -draw 'rectangle 40,40 760,560' \
    02-blocks.png

convert -size 320x240 pattern:checkerboard -fill '#2ecc71' -colorize 40 \
    -fill white -draw 'circle 160,120 160,40' -type Palette BMP3:03-checker.bmp

convert -size 240x180 radial-gradient:'#ffffff'-'#6c3483' \
    -fill none -stroke '#f5b041' -strokewidth 20 -draw 'circle 120,90 120,30' \
    -compress RLE 04-ring.tga

convert -size 1024x768 gradient:black-white -rotate 90 -resize 1024x768! \
    -colorspace Gray -fill gray20 -draw 'polygon 512,100 900,668 124,668' \
    -quality 85 05-grey-triangle.jpg

convert -size 64x64 xc:none -fill '#e74c3c' -draw 'circle 32,32 32,4' \
    -fill white -draw 'rectangle 24,14 40,50' 06-badge.ico
