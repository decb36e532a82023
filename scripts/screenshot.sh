#!/usr/bin/env bash
# Draws docs/reelwright.png, the README's picture of the dialog: the window with the
# sample pictures of examples/ added and the first one clicked, rendered without a
# display by Qt's offscreen platform.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
mkdir -p docs
./build/src/qt/reelwright-screenshot docs/reelwright.png examples/0*
echo "screenshot: docs/reelwright.png"
