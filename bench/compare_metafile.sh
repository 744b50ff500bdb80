#!/bin/sh
# Times vztool against ImageMagick's convert drawing the same WMF files into
# 1000 x 1000 PNGs, whole processes side by side (start-up and PNG writing
# included). The drawing alone is measured by bench_metafile.
#
#   bench/compare_metafile.sh [BUILD_DIR] [FOLDER_OF_WMF_FILES] [RUNS]
#
# With "references" first it instead (re)makes the reference drawings the
# comparison test (tests/metafile/tst_readercompare) holds ImageMagick's
# reader to: each WMF of the folder and of tests/metafile/data, on white,
# trimmed to its ink, as a 32 x 32 grey PGM whose comment keeps where the
# ink lay in the whole drawing ("#ink WxH+X+Y of WxH"). ImageMagick reads
# WMF through libwmf
# (libmagickcore-6.q16-6-extra); files it cannot read get no reference.
#
#   bench/compare_metafile.sh references [FOLDER_OF_WMF_FILES]
set -e
if [ "$1" = references ]; then
    here=$(cd "$(dirname "$0")" && pwd)
    folder=${2:-$here/../../shared/testdata/metafiles}
    out=$here/../tests/metafile/data/reference
    convert=${CONVERT:-convert}
    mkdir -p "$out"
    tmp=$(mktemp -d)
    trap 'rm -rf "$tmp"' EXIT
    for f in "$folder"/*.wmf "$here"/../tests/metafile/data/*.wmf; do
        [ -e "$f" ] || continue
        name=$(basename "$f" .wmf)
        if ! "$convert" "$f" -background white -flatten "$tmp/w.png" 2>/dev/null; then
            echo "$name: not read, no reference" >&2
            rm -f "$out/$name.pgm"
            continue
        fi
        ink=$("$convert" "$tmp/w.png" -fuzz 4% -format '%@ of %wx%h' info:)
        "$convert" "$tmp/w.png" -fuzz 4% -trim +repage -colorspace gray -resize '32x32!' -depth 8 \
            -set comment "ink $ink" "pgm:$out/$name.pgm"
        echo "$name: ink $ink"
    done
    exit 0
fi
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
folder=${2:-$here/../../shared/testdata/metafiles}
runs=${3:-10}
vztool=$build/program/vztool
convert=${CONVERT:-convert}
[ -x "$vztool" ] || { echo "no vztool in $build/program" >&2; exit 1; }
command -v "$convert" >/dev/null || { echo "ImageMagick's convert is not installed" >&2; exit 1; }
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
export QT_QPA_PLATFORM=offscreen

# Milliseconds for `runs` runs of a command, per run.
per_run() {
    start=$(date +%s%N)
    i=0
    while [ $i -lt "$runs" ]; do
        "$@" >/dev/null 2>&1 || true
        i=$((i + 1))
    done
    end=$(date +%s%N)
    echo $(( (end - start) / runs / 1000000 ))
}

printf '%-24s %8s %10s %12s %8s\n' file KB vztool_ms convert_ms ratio
for f in "$folder"/*.wmf; do
    [ -e "$f" ] || continue
    name=$(basename "$f")
    kb=$(( $(wc -c < "$f") / 1024 ))
    v=$(per_run "$vztool" picture render "$f" "$out/v.png" --width 1000 --height 1000)
    c=$(per_run "$convert" "$f" -resize 1000x1000 "$out/c.png")
    ratio=$(awk -v c="$c" -v v="$v" 'BEGIN { if (v > 0) printf "%.1f", c / v; else print "-" }')
    printf '%-24s %8s %10s %12s %8s\n' "$name" "$kb" "$v" "$c" "$ratio"
done
