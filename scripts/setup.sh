#!/usr/bin/env bash
# Installs every Debian package that the build, the tests and the benchmarks need
# (only the missing ones, so a second run costs seconds), then configures and builds
# the release tree in build/. Pass --sanitize to build the AddressSanitizer and
# UndefinedBehaviorSanitizer tree in build-asan/ as well, --werror to make every
# warning on the project's code an error (as CI does).
set -euo pipefail
cd "$(dirname "$0")/.."

sanitize=0
options=()
for argument in "$@"; do
    case $argument in
        --sanitize) sanitize=1 ;;
        --werror) options+=(-DREELWRIGHT_WERROR=ON) ;;
        *) echo "setup: unknown option $argument (--sanitize, --werror)" >&2; exit 2 ;;
    esac
done

packages=(
    build-essential cmake ninja-build pkg-config
    libjpeg62-turbo-dev libpng-dev zlib1g-dev libwebp-dev libheif-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    clang libclang-rt-14-dev clang-format
    ffmpeg imagemagick libjpeg-turbo-progs time bc python3 python3-html5lib
    webp libheif-examples libavif-bin
    qt6-base-dev
    fp-utils desktop-file-utils appstream lintian dpkg-dev xdg-utils file shared-mime-info
    xvfb xdotool openbox x11-utils
    chromium
)
# The browser tests run under Node.js and take their npm packages with npm. A
# Node.js from elsewhere (one that brings its own npm) is used as it is: Debian's
# npm package would not install beside it.
if ! command -v node >/dev/null; then
    packages+=(nodejs)
fi
if ! command -v npm >/dev/null; then
    packages+=(npm)
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
if ((${#missing[@]})); then
    echo "setup: installing ${missing[*]}"
    if [ "$(id -u)" -ne 0 ]; then
        echo "setup: run as root (or with sudo) to install packages" >&2
        exit 1
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

jobs=$(nproc)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release "${options[@]}" >/dev/null
cmake --build build -j "$jobs"

if ((sanitize)); then
    cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DREELWRIGHT_SANITIZE=ON "${options[@]}" >/dev/null
    cmake --build build-asan -j "$jobs"
fi
