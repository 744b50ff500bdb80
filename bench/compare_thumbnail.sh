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

# Each side runs as one shell loop under GNU time, which reports the loop's
# wall time and the CPU time of all its processes (threads included). Best
# of three rounds, interleaved so both sides see the same machine load. On a
# busy machine the CPU figures are the steadier ones.
side() {
    /usr/bin/time -f "%e %U %S" -o "$work/time" sh -c "$1" 2>/dev/null
    read -r wall user sys < "$work/time"
    echo "$wall $(echo "$user + $sys" | bc -l)"
}
vz_loop="for f in '$work'/in/*.jpg; do QT_QPA_PLATFORM=offscreen '$vztool' thumbnail \"\$f\" '$work/out/vz.bmp' >/dev/null 2>&1; done"
im_loop="for f in '$work'/in/*.jpg; do '$CONVERT' \"\$f\" -filter Lanczos -resize 55x55 -background white -gravity center -extent 55x55 '$work/out/im.bmp'; done"
min() { if [ -z "$1" ] || [ "$(echo "$2 < $1" | bc -l)" = 1 ]; then echo "$2"; else echo "$1"; fi; }
vz_wall=; vz_cpu=; im_wall=; im_cpu=
for round in 1 2 3; do
    set -- $(side "$vz_loop"); vz_wall=$(min "$vz_wall" "$1"); vz_cpu=$(min "$vz_cpu" "$2")
    set -- $(side "$im_loop"); im_wall=$(min "$im_wall" "$1"); im_cpu=$(min "$im_cpu" "$2")
done

per() { echo "1000 * $1 / $count" | bc -l; }
printf 'images: %s JPEGs of 2448x1632 in %s (load average %s)\n' "$count" "$work/in" "$(cut -d' ' -f1 /proc/loadavg)"
printf '                   wall ms/image  CPU ms/image\n'
printf 'vztool thumbnail : %13.1f %13.1f\n' "$(per "$vz_wall")" "$(per "$vz_cpu")"
printf 'convert          : %13.1f %13.1f\n' "$(per "$im_wall")" "$(per "$im_cpu")"
printf 'throughput ratio (vztool / convert): wall %.2f, CPU %.2f\n' \
    "$(echo "$im_wall / $vz_wall" | bc -l)" "$(echo "$im_cpu / $vz_cpu" | bc -l)"

if [ -x "$build/bench/bench_thumbnail" ]; then
    echo
    echo "in process (bench_thumbnail on the same files):"
    VZ_BENCH_IMAGES="$work/in" "$build/bench/bench_thumbnail" --benchmark_min_time=2 2>/dev/null
fi
