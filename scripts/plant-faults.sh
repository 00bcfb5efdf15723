#!/usr/bin/env bash
# Plants one small fault at a time in a copy of the sources, builds the tests and runs them until
# one fails, and reports each fault as caught or surviving. A surviving fault is a rule that no
# test guards.
# Usage: scripts/plant-faults.sh [work-dir] [pattern]   (pattern: run only faults whose id matches)
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
work=${1:-$root/build-faults}
only=${2:-}
src=$work/src
build=$work/build
tests=(tst_engine tst_pathutil tst_imsformat tst_iconfile tst_imageseteditor tst_boardview
       tst_mainwindow tst_customsets tst_pictures tst_icondecode tst_accessibility tst_editordialog
       tst_menucolours tst_glyphmenu tst_soundoutput tst_stress tst_artwork
       pictureheader_replay:pictureheader_fuzz_regressions ims_replay:ims_fuzz_regressions
       iconfile_replay:iconfile_fuzz_regressions)
# (an entry target:test names a test whose executable is named otherwise)

# The copy takes over only the files whose content changed, so only they are rebuilt.
stage=$work/stage
rm -rf "$stage" && mkdir -p "$stage" "$src"
tar -C "$root" --exclude='./build*' --exclude='./.git' --exclude='./screenshots' -cf - . | tar -C "$stage" -xf -
(cd "$stage" && find . -type f) | while read -r f; do
    cmp -s "$stage/$f" "$src/$f" || { mkdir -p "$(dirname "$src/$f")" && cp "$stage/$f" "$src/$f"; }
done
(cd "$src" && find . -type f) | while read -r f; do [ -e "$stage/$f" ] || rm -f "$src/$f"; done
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$src" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER_LAUNCHER=ccache >/dev/null || exit 1
fi
cmake --build "$build" --parallel 2 >/dev/null || { echo "the unchanged copy does not build"; exit 1; }

caught=0
survived=0
tried=0
# id <TAB> file <TAB> sed script
while IFS=$'\t' read -r id file script; do
    [ -z "$id" ] || [[ $id == \#* ]] && continue
    [ -n "$only" ] && [[ ! $id =~ $only ]] && continue
    cp "$src/$file" "$work/original"
    sed -i -e "$script" "$src/$file"
    if cmp -s "$src/$file" "$work/original"; then
        echo "$id NOT APPLIED ($file)"
        continue
    fi
    tried=$((tried + 1))
    verdict="SURVIVED"
    for entry in "${tests[@]}"; do
        target=${entry%%:*}
        t=${entry#*:}
        grep -q "^build $target:\|/$target:" "$build/build.ninja" 2>/dev/null || continue
        if ! cmake --build "$build" --target "$target" >"$work/build.log" 2>&1; then
            verdict="caught (does not compile)"
            break
        fi
        if ! ctest --test-dir "$build" -R "^$t\$" --timeout 120 >"$work/test.log" 2>&1; then
            verdict="caught by $t"
            break
        fi
    done
    cp "$work/original" "$src/$file"
    touch "$src/$file"
    if [ "$verdict" = SURVIVED ]; then
        survived=$((survived + 1))
    else
        caught=$((caught + 1))
    fi
    echo "$id $verdict"
done < "${FAULTS:-$root/scripts/faults.tsv}"
echo "tried $tried, caught $caught, survived $survived"
