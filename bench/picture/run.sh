#!/bin/bash
# Import-to-preview benchmark: a 6000 x 4000 quality-90 JPEG, timed against
# `djpeg -scale 1/8` on the same file (goal: ratio <= 1.5), the same JPEG
# tagged with a Display P3 profile, which the preview converts to sRGB (goal:
# ratio <= 1.5 against djpeg on the tagged file), peak memory of the preview
# above the idle process (goal: < 100 MB), and a 65500 x 65500 header refused
# at once; one step of the crop in "Fill Cover" re-drawing the preview
# (goal: median <= 16 ms). Then the same picture as a PNG, a HEIC and an 8-bit RGB
# LZW TIFF, timed against `pngtopnm`, `heif-convert` (to y4m, its cheapest
# output) and `tifftopnm` in the same run (goal: ratio <= 1.5 each).
#
#   bench/picture/run.sh [BUILD_DIR] [RUNS]
# Needs djpeg and cjpeg (Debian: libjpeg-turbo-progs), pnmtopng, pngtopnm,
# pnmtotiff and tifftopnm (netpbm), heif-enc and heif-convert (libheif-examples) and a built
# bench_preview.
set -euo pipefail

build=${1:-$(cd "$(dirname "$0")/../.." && pwd)/build}
runs=${2:-7}
bin=$(find "$build" -name bench_preview -type f -perm -u+x | head -n 1)
if [[ -z "$bin" ]]; then
    echo "bench_preview not found under $build (cmake --build $build --target bench_preview)" >&2
    exit 1
fi
for tool in cjpeg djpeg pnmtopng pngtopnm pnmtotiff tifftopnm heif-enc heif-convert; do
    command -v $tool >/dev/null ||
        { echo "$tool missing (libjpeg-turbo-progs, netpbm, libheif-examples)" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$bin" --make-ppm "$work/photo.ppm" 6000 4000
cjpeg -quality 90 -outfile "$work/photo.jpg" "$work/photo.ppm"
"$bin" --make-ppm "$work/small.ppm" 16 16
cjpeg -quality 90 -outfile "$work/small.jpg" "$work/small.ppm"
"$bin" --make-bomb "$work/small.jpg" "$work/bomb.jpg"
pnmtopng "$work/photo.ppm" >"$work/photo.png" 2>/dev/null
pnmtotiff -lzw "$work/photo.ppm" >"$work/photo.tif" 2>/dev/null
heif-enc -q 90 -o "$work/photo.heic" "$work/photo.png" >/dev/null
rm -f "$work/photo.ppm"
echo "picture: 6000 x 4000, quality 90, $(stat -c %s "$work/photo.jpg") bytes"
echo "png: $(stat -c %s "$work/photo.png") bytes, heic (quality 90): $(stat -c %s "$work/photo.heic") bytes, tiff (lzw): $(stat -c %s "$work/photo.tif") bytes"

now_ns() { date +%s%N; }
# The best of the runs of djpeg decoding a picture at an eighth, in ms.
best_djpeg_ms() {
    local best= t0 t1 us
    for ((i = 0; i < runs; i++)); do
        t0=$(now_ns)
        djpeg -scale 1/8 -outfile /dev/null "$1"
        t1=$(now_ns)
        us=$(( (t1 - t0) / 1000 ))
        if [[ -z "$best" || $us -lt $best ]]; then best=$us; fi
    done
    awk -v us="$best" 'BEGIN { printf "%.1f", us / 1000 }'
}
djpeg_ms=$(best_djpeg_ms "$work/photo.jpg")
echo "djpeg_scale_1_8_best_ms $djpeg_ms"

out=$("$bin" --preview "$work/photo.jpg" "$runs")
echo "$out"
preview_ms=$(awk '$1 == "preview_best_ms" { print $2 }' <<<"$out")
memory_mb=$(awk '$1 == "preview_peak_rss_above_idle_mb" { print $2 }' <<<"$out")
ratio=$(awk -v a="$preview_ms" -v b="$djpeg_ms" 'BEGIN { printf "%.2f", a / b }')
echo "ratio_preview_to_djpeg $ratio (goal <= 1.5)"
echo "preview memory above idle ${memory_mb} MB (goal < 100)"

# The same picture tagged as a phone tags it: converted from Display P3.
"$bin" --tag "$work/photo.jpg" "$work/tagged.jpg"
djpeg_tagged_ms=$(best_djpeg_ms "$work/tagged.jpg")
echo "tagged djpeg_scale_1_8_best_ms $djpeg_tagged_ms"
tagged_ms=$("$bin" --preview "$work/tagged.jpg" "$runs" | awk '$1 == "preview_best_ms" { print $2 }')
echo "tagged preview_best_ms $tagged_ms"
tagged_ratio=$(awk -v a="$tagged_ms" -v b="$djpeg_tagged_ms" 'BEGIN { printf "%.2f", a / b }')
echo "ratio_tagged_preview_to_djpeg $tagged_ratio (goal <= 1.5)"

"$bin" --bomb "$work/bomb.jpg"

# One step of the crop in "Fill Cover", the preview drawn again.
crop_out=$(QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$bin" --crop "$work/photo.jpg" 50)
echo "$crop_out"
crop_ms=$(awk '$1 == "crop_step_median_ms" { print $2 }' <<<"$crop_out")
echo "crop step ${crop_ms} ms (goal <= 16)"

# The best of `runs` timings of a command, in milliseconds.
best_ms() {
    local best= t0 t1 us i
    for ((i = 0; i < runs; i++)); do
        t0=$(now_ns)
        "$@" >/dev/null 2>&1
        t1=$(now_ns)
        us=$(( (t1 - t0) / 1000 ))
        if [[ -z "$best" || $us -lt $best ]]; then best=$us; fi
    done
    awk -v us="$best" 'BEGIN { printf "%.1f", us / 1000 }'
}

status=0
check_type() { # name, reference's name, reference command...
    local name=$1 tool=$2
    shift 2
    local tool_ms out ms r
    tool_ms=$(best_ms "$@")
    echo "${tool}_best_ms $tool_ms"
    out=$("$bin" --preview "$work/photo.$name" "$runs")
    ms=$(awk '$1 == "preview_best_ms" { print $2 }' <<<"$out")
    echo "$name preview_best_ms $ms"
    r=$(awk -v a="$ms" -v b="$tool_ms" 'BEGIN { printf "%.2f", a / b }')
    echo "ratio_${name}_preview_to_${tool} $r (goal <= 1.5)"
    awk -v r="$r" 'BEGIN { exit !(r <= 1.5) }' || { echo "FAIL: $name ratio above 1.5"; status=1; }
}
check_type png pngtopnm pngtopnm "$work/photo.png"
check_type heic heif_convert heif-convert "$work/photo.heic" "$work/out.y4m"
check_type tif tifftopnm tifftopnm "$work/photo.tif"

awk -v r="$ratio" 'BEGIN { exit !(r <= 1.5) }' || { echo "FAIL: ratio above 1.5"; status=1; }
awk -v r="$tagged_ratio" 'BEGIN { exit !(r <= 1.5) }' ||
    { echo "FAIL: tagged ratio above 1.5"; status=1; }
awk -v m="$memory_mb" 'BEGIN { exit !(m < 100) }' || { echo "FAIL: memory above 100 MB"; status=1; }
awk -v m="$crop_ms" 'BEGIN { exit !(m <= 16) }' || { echo "FAIL: crop step above 16 ms"; status=1; }
exit $status
