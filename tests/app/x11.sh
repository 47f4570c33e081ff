# Shared by the end-to-end tests (sourced): a virtual X server, windows found by title, keys
# pressed as a user presses them, a Wine prefix, and the steps both platforms take. Expects
# $work, a folder of the test's own, removed at the end with every process listed in $pids.
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    [ -z "${DISPLAY:-}" ] || import -window root "${SONDREL_FAILURE_SHOT:-/dev/null}" 2>/dev/null || true
    exit 1
}

# Starts Xvfb on a free display and openbox on it, and points DISPLAY there.
start_x() {
    local display="" n
    for n in $(seq 90 190); do
        if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=":$n"; break; fi
    done
    [ -n "$display" ] || fail "no free display"
    Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 & pids+=($!)
    export DISPLAY=$display
    for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
    openbox >/dev/null 2>&1 & pids+=($!)
    sleep 0.5
}

# Prints the id of a visible window whose whole title matches the pattern $1, waiting up to
# 15 s (xdotool's own --sync trips over windows that vanish while it looks).
window() {
    local id
    for _ in $(seq 150); do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1) || true
        if [ -n "$id" ]; then echo "$id"; return 0; fi
        sleep 0.1
    done
    fail "no window '$1'"
}
# True once the window whose id is $1 is closed or hidden, waiting up to $2 tenths of a second.
closes() {
    for _ in $(seq "$2"); do
        xdotool getwindowname "$1" >/dev/null 2>&1 || return 0
        xdotool search --onlyvisible --name "" 2>/dev/null | grep -qx "$1" || return 0
        sleep 0.1
    done
    return 1
}
# Waits for the window titled $1, gives it the focus and presses the keys that follow, again
# while the window stays open (a key pressed the moment a window appears can be lost).
answer() {
    local title=$1 id
    shift
    id=$(window "$title")
    for _ in $(seq 5); do
        xdotool windowactivate "$id" >/dev/null 2>&1 || true
        sleep 0.5
        xdotool key --delay 100 "$@" >/dev/null 2>&1 || true
        closes "$id" 20 && return 0
    done
    fail "window '$title' did not take the keys $*"
}
# Presses the keys that follow in the focused window other than $1 ("" for none), again while
# it stays open: for the system's file dialogs, whatever their title (keys safe to repeat).
keys_in_next_window() {
    local before=$1 id
    shift
    for _ in $(seq 30); do
        id=$(xdotool getactivewindow 2>/dev/null) || id=""
        if [ -n "$id" ] && [ "$id" != "$before" ] &&
            xdotool search --onlyvisible --name "" 2>/dev/null | grep -qx "$id"; then
            sleep 1
            xdotool key --delay 100 "$@" >/dev/null 2>&1 || true
            closes "$id" 30 && return 0
        else
            sleep 0.5
        fi
    done
    fail "no window took the keys $*"
}

# A Wine prefix of the test's own, started, with Wine's TrueType fonts (its MS Sans Serif has
# the size the window's captions were laid out for); its server ends with the test.
start_wine() {
    export WINEPREFIX=$work/wine WINEDEBUG=-all
    trap 'wineserver -k 2>/dev/null; cleanup' EXIT
    wineboot -i >/dev/null 2>&1 || fail "Wine did not start"
    cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
}

# Runs the command that follows from the folder $1 in the background; its exit status goes to
# $1/status, its output to $1/out.
run_in() {
    local folder=$1
    shift
    (
        cd "$folder"
        status=0
        "$@" >"$folder/out" 2>&1 || status=$?
        echo "$status" >"$folder/status"
    ) &
    pids+=($!)
}
# Prints the exit status of the command run_in started from the folder $1, waiting up to 15 s.
status_in() {
    for _ in $(seq 150); do [ -s "$1/status" ] && break; sleep 0.1; done
    [ -s "$1/status" ] || fail "the program did not end: $(cat "$1/out"; pgrep -a sondrel)"
    cat "$1/status"
    rm -f "$1/status"
}

# The steps a designer takes, alike for the Linux build and sondrel.exe under Wine: runs the
# program $2... from the folder $1, chooses city.sfx in the open dialog, includes the series'
# sounds, gives a sound volume 42 and the P flag, stores it, saves as saved.sfx in the save
# dialog and closes the window, which must end with status 0; with $shot set, under Wine,
# takes the picture.
edit_and_save() {
    local folder=$1 main
    shift
    run_in "$folder" "$@"
    keys_in_next_window "" End shift+Home BackSpace c i t y period s f x Return
    answer Sondrel Return # "Include KV4 sounds?": Yes
    main=$(window ".* - OBEL Sondrel")
    xdotool windowactivate "$main" >/dev/null 2>&1 || true
    sleep 1
    xdotool mousemove 0 0 key --delay 150 Down Down
    if [ -n "${shot:-}" ] && [[ $1 == wine ]]; then
        sleep 1
        eval "$(xdotool getwindowgeometry --shell "$main")"
        import -window root -crop "340x292+$((X - 4))+$((Y - 44))" "$shot"
    fi
    xdotool key --delay 150 Tab Tab Tab ctrl+a 4 2 alt+p ctrl+Return
    sleep 1
    xdotool key ctrl+shift+s # the save dialog: Save as
    keys_in_next_window "$main" End shift+Home BackSpace s a v e d Return
    for _ in $(seq 150); do [ -s "$folder/saved.sam" ] && break; sleep 0.1; done
    [ -s "$folder/saved.sam" ] || fail "$* saved nothing: $(ls "$folder")"
    sleep 0.5
    wmctrl -c "OBEL Sondrel"
    [ "$(status_in "$folder")" = 0 ] || fail "$* did not end with status 0: $(cat "$folder/out")"
}
