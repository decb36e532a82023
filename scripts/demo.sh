#!/usr/bin/env bash
# The main job: installs what is missing, builds everything, and makes a slideshow
# movie from the sample pictures in examples/ with reelwright-cli.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

mkdir -p out
movie=$PWD/out/EXAMPLES.SWF
./build/src/cli/reelwright-cli -s 280x210 -r 1 -o "$movie" examples

cat <<MESSAGE

The slideshow is at: $movie
Play it with any SWF player, for example: ffplay "$movie"
Make your own:       ./build/src/cli/reelwright-cli -o show.swf PICTURES-OR-FOLDER...
Open the dialog:     ./build/src/qt/reelwright   (on a desktop; it needs a display)
MESSAGE
