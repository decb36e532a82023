#!/usr/bin/env bash
# Makes the Debian package: builds the release tree (installing what is missing),
# runs CPack's DEB generator in it, checks the result with lintian and says where the
# package is. Fails when lintian reports an error; warnings and notes are shown.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

(cd build && cpack -G DEB)
deb=$(ls -t build/reelwright_*.deb | head -n 1)

echo "== lintian $deb"
lintian --display-info --fail-on error "$deb"

cat <<MESSAGE

The package is at: $PWD/$deb
Install it with:   apt install $PWD/$deb
MESSAGE
