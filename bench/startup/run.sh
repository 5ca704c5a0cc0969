#!/usr/bin/env bash
# Start-up to the first painted frame, Jacketforge against a bare Qt window,
# both on a real X server (Xvfb, as a user's display) and on the offscreen
# platform.  Usage: bench/startup/run.sh [build folder] [runs]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=${1:-$root/build}
runs=${2:-15}
cmake --build "$build" --target bench_startup >/dev/null
export JF_SOURCE_DIR=$root
echo "== X server (Xvfb)"
xvfb-run -a -s "-screen 0 1280x900x24" "$build/bench/startup/bench_startup" "$runs" 2>/dev/null
echo "== offscreen"
QT_QPA_PLATFORM=offscreen "$build/bench/startup/bench_startup" "$runs" 2>/dev/null
