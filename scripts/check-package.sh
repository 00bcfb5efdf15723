#!/usr/bin/env bash
# Checks the Debian package: its control fields and file list, the desktop entry and the
# AppStream metainfo with their validators, the icons, the manual page, the stripped binary,
# lintian, that every Qt plugin the game needs comes with a package it depends on, and that the
# game, unpacked anywhere and started from another folder, plays its cues from its data folder.
# With --install it also installs the package with apt-get, starts `gemino` from /tmp, removes
# the package and checks that nothing of it is left (CI does this; it changes the system).
# Usage: scripts/check-package.sh [--install] [package.deb]   (without a .deb: scripts/package.sh)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/desktop.sh

install=false
if [ "${1:-}" = --install ]; then
    install=true
    shift
fi

scripts/deps.sh lintian desktop-file-utils appstream man-db openbox xdotool inotify-tools
deb=${1:-}
if [ -z "$deb" ]; then
    deb=$(scripts/package.sh | tail -n 1)
fi
deb=$(realpath "$deb")

app_id=org.oakvale.Gemino
work=$(mktemp -d)
cleanup() {
    desktop_stop
    rm -rf "$work"
}
trap cleanup EXIT

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
step() {
    echo
    echo "== $*"
}

step "Control fields of $(basename "$deb")"
dpkg-deb --field "$deb"
field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = gemino ] || fail "package name is not gemino"
[ "$(field Section)" = games ] || fail "section is not games"
depends=$(field Depends)
for needed in fonts-comic-neue fonts-liberation2 libqt6core6 libqt6gui6 libqt6widgets6 libqt6svg6 \
    libqt6multimedia6; do
    [[ ", $depends," == *", $needed"[\ ,]* ]] || fail "Depends lacks $needed"
done
[ "$(field Description | wc -l)" -ge 4 ] || fail "no extended description"

step "Files"
dpkg-deb --contents "$deb"
mapfile -t files < <(dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sed 's|^\./|/|' | sort)
expected=(
    /usr/games/gemino /usr/lib/games/gemino/gemino_speaker.so
    "/usr/share/games/gemino/Bonus.wav" "/usr/share/games/gemino/Match.wav"
    "/usr/share/games/gemino/Pop.wav" "/usr/share/games/gemino/You Won.wav"
    "/usr/share/applications/$app_id.desktop"
    "/usr/share/metainfo/$app_id.metainfo.xml"
    "/usr/share/icons/hicolor/scalable/apps/$app_id.svg"
    /usr/share/man/man6/gemino.6.gz
    /usr/share/doc/gemino/copyright /usr/share/doc/gemino/changelog.Debian.gz
)
for size in 16 32 48 64 128 256; do
    expected+=("/usr/share/icons/hicolor/${size}x$size/apps/$app_id.png")
done
mapfile -t expected < <(printf '%s\n' "${expected[@]}" | sort)
missing=$(comm -23 <(printf '%s\n' "${expected[@]}") <(printf '%s\n' "${files[@]}"))
extra=$(comm -13 <(printf '%s\n' "${expected[@]}") <(printf '%s\n' "${files[@]}"))
[ -z "$missing" ] || fail "missing from the package: $missing"
[ -z "$extra" ] || fail "not expected in the package (add it to this list if it belongs): $extra"
printf '%s\n' "${files[@]}" | grep -q '^/usr/local/' && fail "files under /usr/local"

root=$work/root
dpkg-deb --extract "$deb" "$root"

step "Desktop entry"
desktop=$root/usr/share/applications/$app_id.desktop
cat "$desktop"
out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate failed"
[ -z "$out" ] || fail "desktop-file-validate: $out"
grep -qx 'Exec=gemino' "$desktop" || fail "Exec= must name the program alone"
grep -q '^Path=' "$desktop" && fail "the desktop entry must not set a working folder (Path=)"
grep -qx "Icon=$app_id" "$desktop" || fail "Icon= is not $app_id"

step "AppStream metainfo"
appstreamcli validate --no-net --explain "$root/usr/share/metainfo/$app_id.metainfo.xml" ||
    fail "appstreamcli validate failed"
# The metainfo, the desktop entry and the icons together, as a software centre sees them.
appstreamcli validate-tree --no-net "$root" || fail "appstreamcli validate-tree failed"

step "Icons"
cmp -s "$root/usr/share/icons/hicolor/scalable/apps/$app_id.svg" resources/icons/app/gemino.svg ||
    fail "the scalable icon is not resources/icons/app/gemino.svg"
for size in 16 32 48 64 128 256; do
    png=$root/usr/share/icons/hicolor/${size}x$size/apps/$app_id.png
    got=$(identify -format '%wx%h %[channels]' "$png" 2>/dev/null || true)
    echo "${size}x$size: $got"
    [[ $got == "${size}x$size srgba"* ]] || fail "$png is not a ${size}x$size PNG with alpha: $got"
done

step "Manual page and documentation"
man_warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l \
    "$root/usr/share/man/man6/gemino.6.gz" 2>&1 >/dev/null) || fail "man cannot show gemino.6"
[ -z "$man_warnings" ] || fail "manual page warnings: $man_warnings"
grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
    "$root/usr/share/doc/gemino/copyright" || fail "copyright is not in the machine-readable format"
zcat "$root/usr/share/doc/gemino/changelog.Debian.gz" | head -n 1

step "Executable and audio module"
for binary in usr/games/gemino usr/lib/games/gemino/gemino_speaker.so; do
    file "$root/$binary"
    sections=$(readelf -S -W "$root/$binary")
    for section in .symtab .debug_info .comment; do
        grep -qF " $section " <<<"$sections" && fail "$binary keeps its $section section"
    done
done
# Nothing installed may name the build's prefix or the build folder.
leaks=$(grep -rlF -e /usr/local -e "$PWD" "$root" || true)
[ -z "$leaks" ] || fail "files naming /usr/local or the build folder: $leaks"

step "Qt plugins the game loads come with packages it depends on"
# dpkg-shlibdeps sees only linked libraries. These plugins draw the toolbar and the pictures,
# open the window, and play the cues; each must belong to a package named in Depends.
plugins=/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/qt6/plugins
for plugin in platforms/libqxcb.so iconengines/libqsvgicon.so imageformats/libqsvg.so \
    imageformats/libqjpeg.so imageformats/libqgif.so multimedia/libgstreamermediaplugin.so; do
    owner=$(dpkg -S "$plugins/$plugin" 2>/dev/null | cut -d: -f1 || true)
    echo "$plugin: ${owner:-no package}"
    if [ -z "$owner" ] || [[ ", $depends," != *", $owner"[\ ,]* ]]; then
        fail "the plugin $plugin (package ${owner:-none}) is not pulled in by Depends"
    fi
done

step "lintian"
lintian --allow-root --display-info --fail-on error "$deb" || fail "lintian reports errors"

# plays_cue_from CUE_DIR COMMAND...: starts the game from an empty folder, on a board of one
# column, plays the pairs of cell A-1 from the keyboard until one matches, which plays a cue,
# and succeeds when the game opened a cue file of CUE_DIR and loaded its audio module. The
# opens are watched with inotify.
plays_cue_from() {
    local cues=$1
    shift
    local home=$work/config-$RANDOM folder=$work/elsewhere-$RANDOM log=$work/opens-$RANDOM
    mkdir -p "$folder"
    gemino_settings "$home" "Number Players=1" "Number Columns=1" \
        "Unmatched Image Display Time=1" "Number Flashes of Matched Images=1" "Play Sounds=1"
    inotifywait -m -e open --format '%w%f' "$cues" >"$log" 2>"$log.err" &
    local watcher=$!
    wait_for 10 grep -q 'Watches established' "$log.err"
    gemino_start "$home" "$folder" "$@"
    # A-1 with A-2, A-3 and A-4 in turn: one of them is its partner. A key on a removed cell
    # is ignored, so the tries stay in step whichever pair matches.
    gemino_keys a 1 a 2
    sleep 1
    gemino_keys a 1 a 3
    sleep 1
    gemino_keys a 1 a 4
    sleep 2
    # The cues are played by the audio module, which the game loads once its window is up.
    local module=no
    grep -q '/gemino_speaker\.so$' "/proc/$gemino_pid/maps" 2>/dev/null && module=yes
    gemino_stop
    kill "$watcher"
    wait "$watcher" 2>/dev/null || true
    echo "opened: $(tr '\n' ' ' <"$log")"
    echo "audio module loaded: $module"
    grep -qE "/(Match|Bonus)\.wav\$" "$log" && [ "$module" = yes ]
}

step "The unpacked game, started from another folder, plays its cues from its data folder"
desktop_start 800 600 "$work"
plays_cue_from "$root/usr/share/games/gemino" "$root/usr/games/gemino" ||
    fail "the unpacked game opened no cue from $root/usr/share/games/gemino, or no audio module"

if $install; then
    step "apt-get install, start from /tmp, apt-get remove"
    sudo_cmd=()
    if [ "$(id -u)" -ne 0 ]; then
        sudo_cmd=(sudo)
    fi
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "$deb"
    mapfile -t installed < <(dpkg -L gemino)
    # A user's PATH has /usr/games (root's has not).
    PATH="$PATH:/usr/games" command -v gemino || fail "gemino is not on a user's PATH"
    plays_cue_from /usr/share/games/gemino env PATH="$PATH:/usr/games" gemino ||
        fail "the installed game, started in another folder, opened no cue, or no audio module"
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get remove -y -qq gemino
    status=$(dpkg-query -W -f='${db:Status-Status}' gemino 2>/dev/null || echo not-installed)
    [ "$status" = not-installed ] || fail "after apt-get remove, gemino is $status"
    left=()
    for path in "${installed[@]}"; do
        # Shared folders (/usr, /usr/share/icons...) stay; everything that is only ours goes.
        if [ -e "$path" ] && { [ ! -d "$path" ] || [[ $path == */gemino ]]; }; then
            left+=("$path")
        fi
    done
    [ "${#left[@]}" -eq 0 ] || fail "left behind after apt-get remove: ${left[*]}"
    echo "installed ${#installed[@]} paths, none of its own left after removal"
fi

echo
if [ "$failures" -ne 0 ]; then
    echo "check-package: $failures check(s) failed" >&2
    exit 1
fi
echo "check-package: all checks passed for $(basename "$deb")"
