#!/usr/bin/env bash
# Makes the screenshots of the README from the built game: starts it on a virtual display with
# the openbox window manager, with options written to a temporary XDG_CONFIG_HOME, plays it from
# the keyboard as a player would and saves what the screen shows with ImageMagick's `import`.
# Usage: scripts/screenshots.sh [BUILD_DIR [OUT_DIR]]    (defaults: build, docs/screenshots)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/desktop.sh

build=${1:-build}
out=${2:-docs/screenshots}
scripts/deps.sh openbox xdotool
if [ ! -x "$build/gemino" ]; then
    cmake --build "$build" --target gemino
fi
build=$(realpath "$build")
mkdir -p "$out"
out=$(realpath "$out")

work=$(mktemp -d)
cleanup() {
    desktop_stop
    rm -rf "$work"
}
trap cleanup EXIT

# A small screen keeps the pictures small (but holds the editor); the main window fills it, as
# it fills any screen.
desktop_start 800 600 "$work"

shot() {
    import -window root "$work/shot.png"
    cp "$work/shot.png" "$1"
}

# settle: waits until the screen stops changing (ten seconds at most).
settle() {
    local tries=0
    shot "$work/settle.png"
    sleep 0.3
    until same_as "$work/settle.png" || ((++tries > 30)); do
        cp "$work/now.png" "$work/settle.png"
        sleep 0.3
    done
}

# save NAME: the screen, once it is at rest, as NAME.png in OUT_DIR, compressed hard (the
# README carries them).
save() {
    settle
    import -window root -strip -define png:compression-level=9 "$out/$1.png"
    echo "saved $out/$1.png"
}

# play NAME "Key=value"...: a fresh game with these options (in a configuration folder of
# its own), its About box closed.
play() {
    gemino_stop
    local home=$work/config-$1
    shift
    gemino_settings "$home" "$@"
    gemino_start "$home" "$build" "$build/gemino"
}

# ---------------------------------------------------------------------------------------------
# Reading the board. The cells sit on a grid of pitch (button size + spacing); where the grid
# starts on the screen is found the way a player's eye finds it: typing a column letter or a
# row digit turns that column's or row's labels red, and the red labels are centred in their
# buttons. A cell's picture is then known by the signature of the square in its middle.

button_size=50
button_spacing=12
columns=8
pitch=$((button_size + button_spacing))
half=$((button_size / 2 - 6))

# changed_since FILE: whether the screen differs from FILE.
changed_since() {
    import -window root "$work/now.png"
    [ "$(compare -metric AE "$1" "$work/now.png" null: 2>&1 || true)" != 0 ]
}

same_as() { ! changed_since "$1"; }

# centre_of_change BEFORE KEY: presses KEY, prints "x y", the centre of everything it changed
# on the screen, then presses Esc, which forgets the choice and puts the labels back.
centre_of_change() {
    local before=$1 w h x y
    gemino_keys "$2"
    wait_for 10 changed_since "$before"
    sleep 0.2
    shot "$work/after.png"
    read -r w h x y < <(convert "$before" "$work/after.png" -compose difference -composite \
        -trim -format '%w %h %X %Y' info:)
    gemino_keys Escape
    wait_for 10 same_as "$before"
    echo "$((x + w / 2)) $((y + h / 2))"
}

locate_board() {
    shot "$work/covered.png"
    local column row
    column=$(centre_of_change "$work/covered.png" a)
    row=$(centre_of_change "$work/covered.png" 1)
    origin_x=${column% *}
    origin_y=${row#* }
    local i
    for ((i = 0; i < 4 * columns; ++i)); do
        covered[i]=$(cell_signature "$work/covered.png" "$i")
    done
}

cell_signature() { # SHOT CELL
    local x=$((origin_x + ($2 % columns) * pitch - half))
    local y=$((origin_y + ($2 / columns) * pitch - half))
    convert "$1" -crop "$((2 * half))x$((2 * half))+$x+$y" +repage -format '%#' info:
}

# pick CELL: the column letter and the row digit of CELL, typed.
pick() {
    local letters=abcdefghij
    gemino_keys "${letters:$(($1 % columns)):1}" "$(($1 / columns + 1))"
}

# cell_now CELL: the signature of CELL on the screen now.
cell_now() {
    shot "$work/now.png"
    cell_signature "$work/now.png" "$1"
}

uncovered() { [ "$(cell_now "$1")" != "${covered[$1]}" ]; }

# resolve FIRST: after the second pick, waits until the turn is over; true when it matched.
# A mismatch covers FIRST again; a match makes it vanish and leaves the matcher's mark. A state
# that is neither must hold for a moment, since a cell is briefly blank while it is repainted.
resolve() {
    local first=$1 deadline=$((SECONDS + 30)) now
    while ((SECONDS < deadline)); do
        now=$(cell_now "$first")
        if [ "$now" = "${covered[$first]}" ]; then
            return 1
        fi
        if [ "$now" != "${picture[$first]}" ]; then
            sleep 0.5
            now=$(cell_now "$first")
            if [ "$now" != "${covered[$first]}" ] && [ "$now" != "${picture[$first]}" ]; then
                return 0
            fi
        fi
        sleep 0.1
    done
    echo "screenshots: a turn did not end" >&2
    exit 1
}

# first_pick CELL: uncovers CELL and learns its picture (the first pick stays on the screen).
first_pick() {
    pick "$1"
    wait_for 10 uncovered "$1"
    sleep 0.2
    picture[$1]=$(cell_now "$1")
}

# second_pick FIRST CELL: completes the turn; records a match.
second_pick() {
    pick "$2"
    if resolve "$1"; then
        matched[$1]=1
        matched[$2]=1
        ((++matches))
        ((++pairs[player]))
    else
        player=$((1 - player)) # a miss passes the turn (in a two-player game)
    fi
}

# partner_of CELL: an unmatched cell known to hold the same picture.
partner_of() {
    local i
    for ((i = 0; i < 4 * columns; ++i)); do
        if ((i != $1)) && [ -z "${matched[i]:-}" ] && [ -n "${picture[i]:-}" ] &&
            [ "${picture[i]}" = "${picture[$1]}" ]; then
            echo "$i"
            return 0
        fi
    done
    return 1
}

# next_cell [NOT]: the first unmatched cell whose picture is not known yet (other than NOT),
# else the first unmatched one.
next_cell() {
    local i
    for ((i = 0; i < 4 * columns; ++i)); do
        if ((i != ${1:--1})) && [ -z "${matched[i]:-}" ] && [ -z "${picture[i]:-}" ]; then
            echo "$i"
            return 0
        fi
    done
    for ((i = 0; i < 4 * columns; ++i)); do
        if ((i != ${1:--1})) && [ -z "${matched[i]:-}" ]; then
            echo "$i"
            return 0
        fi
    done
    return 1
}

# partner_of_known_pair: "a b", two unmatched cells known to hold the same picture.
partner_of_known_pair() {
    local i j
    for ((i = 0; i < 4 * columns; ++i)); do
        if [ -z "${matched[i]:-}" ] && [ -n "${picture[i]:-}" ] && j=$(partner_of "$i"); then
            echo "$i $j"
            return 0
        fi
    done
    return 1
}

# second_of FIRST: the best second pick after FIRST: its known partner, else a cell not seen yet.
second_of() {
    partner_of "$1" || next_cell "$1"
}

# play_turn: one turn of a player who remembers every picture seen: a known pair when there is
# one, otherwise a new cell, then its partner if it was seen before, else another new cell.
# While `balanced` is set, a player two pairs ahead gets careless and looks at new cells only,
# so that both players' names end up on the board.
balanced=true
play_turn() {
    local pair a careless=false
    if $balanced && ((pairs[player] - pairs[1 - player] >= 2)); then
        careless=true
    fi
    if ! $careless && pair=$(partner_of_known_pair); then
        first_pick "${pair% *}"
        second_pick "${pair% *}" "${pair#* }"
        return
    fi
    a=$(next_cell)
    first_pick "$a"
    if $careless; then
        second_pick "$a" "$(next_cell "$a")"
    else
        second_pick "$a" "$(second_of "$a")"
    fi
}

# new_board: forgets everything seen; player 1 begins.
new_board() {
    covered=()
    picture=()
    matched=()
    matches=0
    pairs=(0 0)
    player=0
    locate_board
}

# ---------------------------------------------------------------------------------------------

# 1. The default board at start, the About box closed.
play default
save board

# 2. An options dialog: Display Properties, through its accelerator.
gemino_keys ctrl+d
dialog=$(find_window 30 '^ Display Properties$')
xdotool windowactivate --sync "$dialog"
sleep 0.3
save options
gemino_keys Escape

# 3. A two-player game of flags in progress: pairs found by both players, a flag uncovered.
play flags "Standard Image Set=flags" "Number Players=2" "Player 1 Name=Ada" \
    "Player 2 Name=Ben" "Number Flashes of Matched Images=1" "Unmatched Image Display Time=1" \
    "Button Size=$button_size" "Button Spacing=$button_spacing" "Number Columns=$columns"
new_board
until ((pairs[0] >= 3 && pairs[1] >= 3)) || ((matches >= 2 * columns - 2)); do
    play_turn
done
first=$(next_cell)
first_pick "$first"
save two-players

# 4. The end of a game: the remaining pairs found by players who forget nothing, so that the
# board most likely shows a winner rather than a tie.
balanced=false
second_pick "$first" "$(second_of "$first")"
while ((matches < 2 * columns)); do
    play_turn
done
sleep 2.5
save game-over

# 5. The image set editor, opened as a player would (Ctrl+C on the board), with a set of our
# own flag pictures opened through its "Open..." button and the file dialog's name field.
python3 - "$work/flags.ims" "$PWD/resources/icons/flags" <<'PY'
import struct, sys
entries = [("japan", "Japan"), ("canada", "Canada"), ("brazil", "Brazil"), ("norway", "Norway"),
           ("spain", "Spain"), ("italy", "Italy")]
with open(sys.argv[1], "wb") as f:
    f.write(struct.pack("<i", len(entries)))
    for name, text in entries:
        f.write(struct.pack("<i", 0) + f"{sys.argv[2]}/{name}.svg\n{text}\n".encode())
PY
play editor
gemino_keys ctrl+c
editor=$(find_window 30 '^ Create a Custom Image Set$')
xdotool windowactivate --sync "$editor"
gemino_keys alt+o
opened=$(find_window 30 '^Open an Image Set$')
xdotool windowactivate --sync "$opened"
xdotool type --delay 20 "$work/flags.ims"
gemino_keys Return
wait_for 20 gemino_window_gone '^Open an Image Set$'
save editor
gemino_keys Escape

# 6. An open menu on a fresh board: the Options menu from the keyboard, each command beside its
# toolbar picture.
play menu
gemino_keys alt+o
sleep 0.5
save menu
gemino_keys Escape Escape
