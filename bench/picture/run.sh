#!/bin/bash
# Import-to-preview benchmark: a 6000 x 4000 quality-90 JPEG, timed against
# `djpeg -scale 1/8` on the same file (goal: ratio <= 1.5), peak memory of the
# preview above the idle process (goal: < 100 MB), and a 65500 x 65500 header
# refused at once.
#
#   bench/picture/run.sh [BUILD_DIR] [RUNS]
# Needs djpeg and cjpeg (Debian: libjpeg-turbo-progs) and a built bench_preview.
set -euo pipefail

build=${1:-$(cd "$(dirname "$0")/../.." && pwd)/build}
runs=${2:-7}
bin=$(find "$build" -name bench_preview -type f -perm -u+x | head -n 1)
if [[ -z "$bin" ]]; then
    echo "bench_preview not found under $build (cmake --build $build --target bench_preview)" >&2
    exit 1
fi
for tool in cjpeg djpeg; do
    command -v $tool >/dev/null || { echo "$tool missing (libjpeg-turbo-progs)" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$bin" --make-ppm "$work/photo.ppm" 6000 4000
cjpeg -quality 90 -outfile "$work/photo.jpg" "$work/photo.ppm"
"$bin" --make-ppm "$work/small.ppm" 16 16
cjpeg -quality 90 -outfile "$work/small.jpg" "$work/small.ppm"
"$bin" --make-bomb "$work/small.jpg" "$work/bomb.jpg"
rm -f "$work/photo.ppm"
echo "picture: 6000 x 4000, quality 90, $(stat -c %s "$work/photo.jpg") bytes"

now_ns() { date +%s%N; }
best_djpeg=
for ((i = 0; i < runs; i++)); do
    t0=$(now_ns)
    djpeg -scale 1/8 -outfile /dev/null "$work/photo.jpg"
    t1=$(now_ns)
    ms=$(( (t1 - t0) / 1000 ))
    if [[ -z "$best_djpeg" || $ms -lt $best_djpeg ]]; then best_djpeg=$ms; fi
done
djpeg_ms=$(awk -v us="$best_djpeg" 'BEGIN { printf "%.1f", us / 1000 }')
echo "djpeg_scale_1_8_best_ms $djpeg_ms"

out=$("$bin" --preview "$work/photo.jpg" "$runs")
echo "$out"
preview_ms=$(awk '$1 == "preview_best_ms" { print $2 }' <<<"$out")
memory_mb=$(awk '$1 == "preview_peak_rss_above_idle_mb" { print $2 }' <<<"$out")
ratio=$(awk -v a="$preview_ms" -v b="$djpeg_ms" 'BEGIN { printf "%.2f", a / b }')
echo "ratio_preview_to_djpeg $ratio (goal <= 1.5)"
echo "preview memory above idle ${memory_mb} MB (goal < 100)"

"$bin" --bomb "$work/bomb.jpg"

status=0
awk -v r="$ratio" 'BEGIN { exit !(r <= 1.5) }' || { echo "FAIL: ratio above 1.5"; status=1; }
awk -v m="$memory_mb" 'BEGIN { exit !(m < 100) }' || { echo "FAIL: memory above 100 MB"; status=1; }
exit $status
