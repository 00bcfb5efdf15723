#!/usr/bin/env bash
# startup-bench.sh [BUILD_DIR] [RUNS] [PHOTO_RUNS]
#   Times the game's start-up against a bare Qt main window (bench/barewindow.cpp): the median
#   milliseconds from launch to the first paint over RUNS runs of each (default 15; PHOTO_RUNS,
#   default 5, with the photo sets, whose pictures take seconds), all under one Xvfb server:
#     - the bare window, and the game with the standard set;
#     - the game with a stored set of 20 camera-sized photos (4000 x 3000), as JPEG and as PNG,
#       at its first start (an empty thumbnail cache) and its second (the cache filled by the
#       first), with the time until every picture has arrived as well.
#   The game reports through GEMINO_BENCH (see qt/app/main.cpp); its settings and thumbnail
#   cache live in a temporary folder, never the user's. Needs xvfb-run and ImageMagick.
set -euo pipefail

build=$(cd "${1:-build}" && pwd)
runs=${2:-15}
photo_runs=${3:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "Making 20 photos of 4000 x 3000 in $work ..." >&2
convert -size 1000x750 -seed 7 plasma:fractal -resize 4000x3000 "$work/base.jpg"
for k in $(seq 0 19); do
    convert "$work/base.jpg" -modulate 100,100,$((k * 10)) -quality 90 "$work/photo$k.jpg"
    convert "$work/photo$k.jpg" -quality 10 "$work/photo$k.png"
done

# A stored set of the 20 photos with the given extension, written as the editor writes it.
write_set() {
    python3 - "$work/$1.ims" "$work" "$1" <<'PY'
import struct, sys
path, folder, ext = sys.argv[1:]
with open(path, 'wb') as f:
    f.write(struct.pack('<i', 20))
    for k in range(20):
        f.write(struct.pack('<i', 0) + f'{folder}/photo{k}.{ext}\nME_NONE\n'.encode())
PY
}
write_set jpg
write_set png

# Settings naming the set (empty for the standard set), as QSettings keeps them.
use_set() {
    mkdir -p "$work/config/Oakvale"
    printf '[Settings]\nStandard%%20Image%%20Set=%s\nCustom%%20Image%%20Set=%s\n' \
        "$([ -z "$1" ] && echo misc)" "$1" > "$work/config/Oakvale/Gemino.ini"
}

cat > "$work/measure.sh" <<'SH'
#!/usr/bin/env bash
# measure.sh LABEL RUNS CACHE(cold|warm|none) COMMAND...: medians of launch to each report.
set -euo pipefail
label=$1 runs=$2 cache=$3
shift 3
firsts=() pictures=()
for i in $(seq "$runs"); do
    case $cache in
        cold) export XDG_CACHE_HOME=$WORK/cache-cold-$i ;;
        *) export XDG_CACHE_HOME=$WORK/cache-warm ;;
    esac
    start=$(date +%s%6N)
    out=$("$@" 2>/dev/null || true)
    first=$(awk '/^first-paint/ {print $2}' <<<"$out")
    all=$(awk '/^pictures/ {print $2}' <<<"$out")
    [ -n "$first" ] && firsts+=($(( (first - start) / 1000 )))
    [ -n "$all" ] && pictures+=($(( (all - start) / 1000 )))
done
median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {if (NR) print a[int((NR+1)/2)]; else print "-"}'; }
line=$(printf '%-34s first paint %5s ms' "$label" "$(median "${firsts[@]}")")
[ "${#pictures[@]}" -gt 0 ] && line+=$(printf ', all pictures %5s ms' "$(median "${pictures[@]}")")
echo "$line"
SH
chmod +x "$work/measure.sh"

cat > "$work/all.sh" <<SH
#!/usr/bin/env bash
set -euo pipefail
work=$work
export WORK=$work XDG_CONFIG_HOME=$work/config
cd "$build"
m=$work/measure.sh
\$m "bare Qt main window" $runs none ./bench/barewindow
$(declare -f use_set)
use_set ""
GEMINO_BENCH=first-paint \$m "game, standard set" $runs none ./gemino
for ext in jpg png; do
    use_set "$work/\$ext.ims"
    GEMINO_BENCH=pictures \$m "game, 20 \$ext photos, first start" $photo_runs cold ./gemino
    rm -rf "$work/cache-warm"
    GEMINO_BENCH=pictures XDG_CACHE_HOME=$work/cache-warm ./gemino > /dev/null 2>&1 || true
    GEMINO_BENCH=pictures \$m "game, 20 \$ext photos, second start" $photo_runs warm ./gemino
done
SH
chmod +x "$work/all.sh"
xvfb-run -a -s "-screen 0 1600x1200x24" "$work/all.sh"
