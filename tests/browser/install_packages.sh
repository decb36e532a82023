#!/usr/bin/env bash
# Installs the npm packages of the browser tests, pinned by package-lock.json, into
# FOLDER/node_modules with `npm ci`. When that folder already holds the packages of
# this very lock file nothing is done, so a second run costs nothing and needs no
# network.
#
#     install_packages.sh FOLDER
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
folder="$1"
stamp="$folder/node_modules/.reelwright-package-lock.json"

if [ -f "$stamp" ] && cmp -s "$stamp" "$here/package-lock.json"; then
    exit 0
fi
if ! command -v npm >/dev/null; then
    echo "install_packages: npm is not installed; scripts/setup.sh installs it" >&2
    exit 1
fi
mkdir -p "$folder"
cp "$here/package.json" "$here/package-lock.json" "$folder/"
cd "$folder"
# No package here needs an install script; none is run.
npm ci --no-audit --no-fund --ignore-scripts
cp package-lock.json "$stamp"
