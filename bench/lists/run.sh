#!/usr/bin/env bash
# Start-up and close with 100 000 entries in each list file, against cat;
# the memory the lists take; a list file of 8 MB of bare line feeds.
# Usage: bench/lists/run.sh [build folder] [runs]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=${1:-$root/build}
runs=${2:-7}
cmake --build "$build" --target bench_lists >/dev/null
JF_SOURCE_DIR=$root QT_QPA_PLATFORM=offscreen "$build/bench/lists/bench_lists" "$runs" 2>/dev/null
