#!/usr/bin/env bash
# Makes the two JPEG pictures the movie writer's tests wrap into a movie and read
# back with ffmpeg. Run from anywhere; writes next to this script.
set -euo pipefail
cd "$(dirname "$0")"
convert -size 64x48 gradient:red-blue -strip -sampling-factor 2x2 -quality 80 \
    -interlace none picture_red_blue.jpg
convert -size 64x48 xc:yellow -fill green -draw "rectangle 8,8 40,32" -strip \
    -sampling-factor 2x2 -quality 80 -interlace none picture_yellow_green.jpg
