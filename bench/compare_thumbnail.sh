#!/bin/sh
# Thumbnail making from 4-megapixel JPEGs: vztool's Lanczos-3 maker against
# ImageMagick's convert, both as whole processes on the same files, then the
# maker's in-process rate (bench_thumbnail).
#
#   bench/compare_thumbnail.sh [BUILD_DIR] [IMAGES]
#
# BUILD_DIR defaults to build-rel (configure it with -DCMAKE_BUILD_TYPE=Release
# -DVZ_BUILD_BENCH=ON); IMAGES (default 8) JPEGs of 2448 x 1632 are made once
# in $WORK (default /tmp/vz-thumbnail-bench). CONVERT picks the ImageMagick
# binary (default: /usr/bin/convert when present, else convert on PATH).
set -eu

build=${1:-build-rel}
count=${2:-8}
work=${WORK:-/tmp/vz-thumbnail-bench}
if [ -z "${CONVERT:-}" ]; then
    if [ -x /usr/bin/convert ]; then CONVERT=/usr/bin/convert; else CONVERT=convert; fi
fi
vztool=$build/program/vztool
[ -x "$vztool" ] || { echo "no $vztool (build first)" >&2; exit 1; }

mkdir -p "$work/in" "$work/out"
i=1
while [ "$i" -le "$count" ]; do
    f=$work/in/photo$i.jpg
    if [ ! -s "$f" ]; then
        # Photo-like content: smooth plasma with fine noise, JPEG quality 90.
        "$CONVERT" -seed "$i" -size 612x408 plasma:fractal -resize 2448x1632! \
            -attenuate 0.3 +noise Gaussian -quality 90 "$f"
    fi
    i=$((i + 1))
done

now() { date +%s.%N; }

# Best of three rounds for each side, rounds interleaved so both see the
# same machine load.
best_vz=; best_im=
for round in 1 2 3; do
    t0=$(now)
    for f in "$work"/in/*.jpg; do
        QT_QPA_PLATFORM=offscreen "$vztool" thumbnail "$f" "$work/out/vz.bmp" 2>/dev/null
    done
    t1=$(now)
    for f in "$work"/in/*.jpg; do
        "$CONVERT" "$f" -filter Lanczos -resize 55x55 -background white -gravity center \
            -extent 55x55 "$work/out/im.bmp"
    done
    t2=$(now)
    vz=$(echo "$t1 - $t0" | bc -l); im=$(echo "$t2 - $t1" | bc -l)
    if [ -z "$best_vz" ] || [ "$(echo "$vz < $best_vz" | bc -l)" = 1 ]; then best_vz=$vz; fi
    if [ -z "$best_im" ] || [ "$(echo "$im < $best_im" | bc -l)" = 1 ]; then best_im=$im; fi
done

printf 'images: %s JPEGs of 2448x1632 in %s\n' "$count" "$work/in"
printf 'vztool thumbnail : %7.1f ms per image (%.2f images/s)\n' \
    "$(echo "1000 * $best_vz / $count" | bc -l)" "$(echo "$count / $best_vz" | bc -l)"
printf 'convert          : %7.1f ms per image (%.2f images/s)\n' \
    "$(echo "1000 * $best_im / $count" | bc -l)" "$(echo "$count / $best_im" | bc -l)"
printf 'throughput ratio : %.2f (vztool / convert)\n' "$(echo "$best_im / $best_vz" | bc -l)"

if [ -x "$build/bench/bench_thumbnail" ]; then
    echo
    echo "in process (bench_thumbnail on the same files):"
    VZ_BENCH_IMAGES="$work/in" "$build/bench/bench_thumbnail" --benchmark_min_time=2 2>/dev/null
fi
