#!/usr/bin/env bash
# Measures iconbench against its target: reading and decoding every icon group of a folder of
# DLLs may cost at most 1.2 times decoding the same groups from standalone .ico files with
# Qt's ICO reader alone.
#   bench/iconbench-compare.sh BUILD_DIR [WORK_DIR]
# Makes two sets, each a folder of libraries (windres and ld, from icons packed by icotool)
# and a folder of the same groups as .ico files (extracted by wrestool):
#   mixed  every group in the forms a Windows library carries (4 and 8 bits at small sizes,
#          32 bits with alpha from 16 to 48), half of them with a 256 x 256 PNG image;
#   dib    the same without PNG images, where decoding is ours rather than libpng's.
# Runs both sides RUNS times (default 7) and compares the medians. Needs the tools of
# tests/core/iconfile/fixtures/generate.sh.
set -euo pipefail
build=$(cd "${1:?usage: iconbench-compare.sh BUILD_DIR [WORK_DIR]}" && pwd)
work=${2:-$build/iconbench-files}
bench=$build/bench/iconbench
runs=${RUNS:-7}
mkdir -p "$work"
cd "$work"

make_art() {
    [ -f art/.done ] && return
    rm -rf art
    mkdir -p art
    for n in $(seq 1 12); do
        a=art/$n
        convert -size 256x256 -seed "$n" plasma:fractal -blur 0x6 \
            \( -size 256x256 xc:black -fill white -draw "circle 128,128 128,8" \) \
            -alpha off -compose copy_opacity -composite -depth 8 "PNG32:$a-256.png"
        for s in 16 24 32 48; do
            convert "$a-256.png" -resize "${s}x${s}" -depth 8 "PNG32:$a-$s.png"
            convert "$a-$s.png" -channel A -threshold 50% +channel +dither -colors 15 -depth 8 "PNG32:$a-q4-$s.png"
            convert "$a-$s.png" -channel A -threshold 50% +channel +dither -colors 250 -depth 8 "PNG32:$a-q8-$s.png"
        done
        dib=(-b 4 "$a-q4-16.png" -b 4 "$a-q4-32.png" -b 8 "$a-q8-16.png" -b 8 "$a-q8-32.png"
             -b 8 "$a-q8-48.png" -b 32 "$a-16.png" -b 32 "$a-24.png" -b 32 "$a-32.png" -b 32 "$a-48.png")
        icotool -c -o "art/dib-$n.ico" "${dib[@]}"
        if [ $((n % 2)) -eq 0 ]; then
            icotool -c -o "art/mixed-$n.ico" "${dib[@]}" -r "$a-256.png"
        else
            cp "art/dib-$n.ico" "art/mixed-$n.ico"
        fi
    done
    touch art/.done
}

# Ten libraries of 24 groups each, PE32 and PE32+ by turns.
make_set() {
    local set=$1
    [ -f "$set/.done" ] && return
    rm -rf "$set"
    mkdir -p "$set/dll" "$set/ico" "$set/obj"
    for d in $(seq 1 10); do
        rc=$set/obj/lib$d.rc
        : > "$rc"
        for g in $(seq 1 24); do
            echo "$((d * 100 + g)) ICON \"$work/art/$set-$(( (d + g) % 12 + 1 )).ico\"" >> "$rc"
        done
        arch=$([ $((d % 2)) -eq 0 ] && echo x86_64 || echo i686)
        "$arch-w64-mingw32-windres" --preprocessor=cpp -i "$rc" -o "$set/obj/lib$d.o"
        "$arch-w64-mingw32-ld" -shared --no-insert-timestamp -s -e 0 -o "$set/dll/lib$d.dll" "$set/obj/lib$d.o"
        wrestool -x -t 14 -o "$set/ico" "$set/dll/lib$d.dll"
    done
    touch "$set/.done"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
time_of() { "$bench" "$@" | tail -n 1 | awk '{ print $(NF - 1) }'; }

make_art
status=0
for set in mixed dib; do
    make_set "$set"
    "$bench" "$set"/dll/*.dll > /dev/null # warm the page cache
    "$bench" --qt "$set"/ico/*.ico > /dev/null
    ours=$(for _ in $(seq "$runs"); do time_of "$set"/dll/*.dll; done | median)
    qt=$(for _ in $(seq "$runs"); do time_of --qt "$set"/ico/*.ico; done | median)
    groups=$("$bench" "$set"/dll/*.dll | tail -n 1 | awk '{ print $1 }')
    ratio=$(awk -v a="$ours" -v b="$qt" 'BEGIN { printf "%.2f", a / b }')
    echo "$set: $groups groups from 10 DLLs $ours ms, $(ls "$set"/ico | wc -l) .ico files with Qt $qt ms (medians of $runs); ratio $ratio, target at most 1.2"
    awk -v r="$ratio" 'BEGIN { exit !(r <= 1.2) }' || status=1
done
exit $status
