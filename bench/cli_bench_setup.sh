# Sourced by the benchmarks that run reelwright-cli: with the build folder as the
# script's first argument (default build/), sets `top`, `build`, `cli` (stopping when
# the program is not built) and `work`, a scratch folder removed on exit.
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$top/build}
cli=$build/src/cli/reelwright-cli
[ -x "$cli" ] || { echo "no $cli: build first (bash scripts/setup.sh)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
