# shellcheck shell=bash
# Shell functions that start the game on a virtual X display with a real window manager and
# drive it like a user, with keys. Sourced by scripts/screenshots.sh and scripts/check-package.sh;
# needs Xvfb, openbox and xdotool (the scripts install them).

# wait_for SECONDS COMMAND...: runs COMMAND every tenth of a second until it succeeds; fails
# when SECONDS have passed.
wait_for() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        if ((SECONDS >= deadline)); then
            return 1
        fi
        sleep 0.1
    done
}

# desktop_start WIDTH HEIGHT WORK_DIR: a display of its own (Xvfb picks a free number) with
# openbox running on it; exports DISPLAY.
desktop_start() {
    local work=$3
    : >"$work/display"
    Xvfb -displayfd 3 -screen 0 "$1x$2x24" -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
    desktop_xvfb_pid=$!
    if ! wait_for 20 test -s "$work/display"; then
        echo "desktop: Xvfb did not start (see $work/xvfb.log)" >&2
        return 1
    fi
    DISPLAY=":$(head -n 1 "$work/display")"
    export DISPLAY
    rm -f "$work/wm-ready"
    openbox --startup "touch $work/wm-ready" >"$work/openbox.log" 2>&1 &
    desktop_wm_pid=$!
    if ! wait_for 20 test -e "$work/wm-ready"; then
        echo "desktop: openbox did not start (see $work/openbox.log)" >&2
        return 1
    fi
}

# desktop_stop: ends the game (if one runs), openbox and Xvfb started by these functions.
desktop_stop() {
    gemino_stop
    local pid
    for pid in ${desktop_wm_pid:-} ${desktop_xvfb_pid:-}; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    desktop_wm_pid=
    desktop_xvfb_pid=
}

# find_window SECONDS TITLE_REGEX: prints the id of a visible window with that title, waiting
# for it up to SECONDS. (A search can meet a window as it is destroyed and fail; it is retried.)
find_window() {
    local deadline=$((SECONDS + $1)) id
    while ((SECONDS < deadline)); do
        id=$(xdotool search --onlyvisible --name "$2" 2>/dev/null | head -n 1) || true
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.2
    done
    echo "desktop: no window titled $2 appeared" >&2
    return 1
}

# gemino_settings CONFIG_HOME "Key Name=value"...: the options file the game reads from
# CONFIG_HOME (as XDG_CONFIG_HOME), group [Settings], with just these values.
gemino_settings() {
    local home=$1 pair key
    shift
    mkdir -p "$home/Oakvale"
    {
        echo "[Settings]"
        for pair in "$@"; do
            key=${pair%%=*}
            echo "${key// /%20}=${pair#*=}"
        done
    } >"$home/Oakvale/Gemino.ini"
}

# gemino_start CONFIG_HOME FOLDER COMMAND...: starts the game in FOLDER with the options of
# CONFIG_HOME, waits for its About box and closes it with the keyboard, as a player would.
# Sets gemino_pid and gemino_window (the main window).
gemino_start() {
    local home=$1 folder=$2
    shift 2
    (cd "$folder" && exec env XDG_CONFIG_HOME="$home" "$@") &
    gemino_pid=$!
    local about
    about=$(find_window 60 '^About Gemino$')
    xdotool windowactivate --sync "$about" key Return
    wait_for 20 gemino_about_closed || {
        echo "desktop: the About box did not close" >&2
        return 1
    }
    gemino_window=$(find_window 20 '^ Gemino -- ')
    xdotool windowactivate --sync "$gemino_window"
    # The pointer rests outside the board, so that no button is drawn hovered.
    xdotool mousemove 0 "$(($(xdotool getdisplaygeometry | cut -d' ' -f2) - 1))"
}

# (xdotool finds nothing with status 1, and fails with an X error on a window being destroyed.)
gemino_window_gone() {
    local found
    found=$(xdotool search --onlyvisible --name "$1" 2>&1) || true
    [ -z "$found" ]
}

gemino_about_closed() { gemino_window_gone '^About Gemino$'; }

# gemino_keys KEY...: key presses to the game, as typed.
gemino_keys() {
    xdotool key --delay 60 "$@"
}

# gemino_stop: closes the game if it still runs: through the window manager's close (Alt+F4),
# as a player would, and by a signal when that does not end it.
gemino_stop() {
    if [ -z "${gemino_pid:-}" ]; then
        return 0
    fi
    if [ -n "${gemino_window:-}" ]; then
        xdotool windowactivate --sync "$gemino_window" key alt+F4 2>/dev/null || true
        wait_for 15 gemino_ended || true
    fi
    kill "$gemino_pid" 2>/dev/null || true
    wait "$gemino_pid" 2>/dev/null || true
    gemino_pid=
    gemino_window=
}

gemino_ended() {
    ! kill -0 "$gemino_pid" 2>/dev/null
}
