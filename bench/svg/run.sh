#!/usr/bin/env bash
# A compressed SVG inflating to 1.5 GB: refused, timed against gzip -dc on
# the same file, with the peak memory of a process that refuses it.
# Usage: bench/svg/run.sh [build folder] [runs]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=${1:-$root/build}
runs=${2:-5}
cmake --build "$build" --target bench_svg >/dev/null
QT_QPA_PLATFORM=offscreen "$build/bench/svg/bench_svg" "$runs" 2>/dev/null
