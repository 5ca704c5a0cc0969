#!/usr/bin/env bash
# Builds and runs the print benchmark: bench/print/run.sh [--runs N] [--keep DIR] [--tagged] [--fill] [JPEG]
# or, for a sheet of four covers from four JPEGs: bench/print/run.sh --sheet [--runs N] [--keep DIR]
# Without a JPEG it makes a 6000 x 4000 one (quality 90) in a temporary folder.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=${JF_BUILD:-$root/build}
cmake --build "$build" --target bench_print >/dev/null
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
exec "$build/bench/print/bench_print" "$@"
