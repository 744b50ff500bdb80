#!/bin/bash
# Times `vztool effect` against ImageMagick's nearest operation on the same
# 4000 x 3000 24-bit BMP, side by side, one core each.
#
#   bench/compare_effects.sh [VZTOOL] [WORKDIR]
#
# VZTOOL defaults to build-rel/program/vztool (configure a Release build with
# -DCMAKE_BUILD_TYPE=Release). CONVERT picks the ImageMagick program, RUNS
# the number of runs of which the best is shown (default 3; a command that
# takes longer than 20 s runs once). Times are processor time (user + system)
# of the process, so other work on the machine does not count; both run on
# one thread. Every column includes starting the program, reading and writing
# the BMP. "vztool" is `vztool effect` as it runs (row-local effects pass a
# band of rows at a time); "in memory" is `vztool effect --in-memory`, which
# loads the whole picture, changes it and saves it as the program's image
# control does. The ratios are ImageMagick's time over ours.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
vztool=${1:-$here/build-rel/program/vztool}
work=${2:-$(mktemp -d /tmp/vzcompare.XXXXXX)}
runs=${RUNS:-3}
convert=${CONVERT:-$(command -v magick || command -v convert-im6.q16 || command -v convert)}
export MAGICK_THREAD_LIMIT=1 OMP_NUM_THREADS=1 QT_QPA_PLATFORM=offscreen

[ -x "$vztool" ] || { echo "no vztool at $vztool" >&2; exit 2; }
[ -n "$convert" ] || { echo "ImageMagick not found" >&2; exit 2; }
mkdir -p "$work"
in=$work/in.bmp
if [ ! -f "$in" ]; then
    # A photograph-like picture: fractal plasma, reproducible by its seed.
    "$convert" -seed 7 -size 4000x3000 plasma:fractal -blur 0x2 -type TrueColor "BMP3:$in"
fi

# cpu_ms CMD...: user + system time of one run, in milliseconds.
cpu_ms() {
    local TIMEFORMAT='%3U %3S' out
    out=$({ time "$@" >/dev/null 2>&1; } 2>&1) || { echo "failed: $*" >&2; return 1; }
    awk '{ printf "%.1f", ($1 + $2) * 1000 }' <<<"$out"
}

# best_ms CMD...: the shortest of $runs runs.
best_ms() {
    local best="" i t
    for ((i = 0; i < runs; ++i)); do
        t=$(cpu_ms "$@")
        if [ -z "$best" ] || awk -v t="$t" -v b="$best" 'BEGIN { exit !(t < b) }'; then best=$t; fi
        awk -v t="$t" 'BEGIN { exit !(t > 20000) }' && break
    done
    echo "$best"
}

# name | vztool arguments | ImageMagick operation
cases=(
    "load+save|intensity 0|"
    "hue 90|hue 90|-modulate 100,100,150"
    "saturation 500|saturation 500|-modulate 100,150,100"
    "intensity 300|intensity 300|-brightness-contrast 30x0"
    "contrast 300|contrast 300|-brightness-contrast 0x30"
    "sharpen 500|sharpen 500|-sharpen 0x1"
    "sharpen -500|sharpen -500|-blur 0x1"
    "median 5|median 5|-statistic Median 5x5"
    "median 20|median 20|-statistic Median 20x20"
    "flip|flip 0|-flip"
    "reverse|reverse 0|-flop"
)

echo "vztool:      $vztool"
echo "ImageMagick: $("$convert" -version | head -1)"
echo "image:       $in (4000 x 3000, 24-bit)"
echo "times:       processor time (user + system), best of $runs, one thread each"
echo
printf "%-16s %10s %10s %10s %8s %10s\n" effect "vztool ms" "in-mem ms" "IM ms" ratio "in-mem"
for c in "${cases[@]}"; do
    IFS='|' read -r name vzargs imop <<<"$c"
    # shellcheck disable=SC2086
    vz=$(best_ms "$vztool" effect $vzargs "$in" "$work/vz.bmp")
    # shellcheck disable=SC2086
    mem=$(best_ms "$vztool" effect --in-memory $vzargs "$in" "$work/vz.bmp")
    # shellcheck disable=SC2086
    im=$(best_ms "$convert" "$in" $imop -type TrueColor "BMP3:$work/im.bmp")
    awk -v n="$name" -v vz="$vz" -v mem="$mem" -v im="$im" 'BEGIN {
        printf "%-16s %10.1f %10.1f %10.1f %7.1fx %9.1fx\n", n, vz, mem, im, im / vz, im / mem }'
done
