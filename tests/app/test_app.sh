#!/usr/bin/env bash
# The editor as a designer starts it: a real window on a virtual X server with a window
# manager, its dialogs answered with xdotool, the window closed as a user closes it.
#
#   test_app.sh SONDREL EXAMPLES_FOLDER
#
# Checks: a table named on the command line opens after the question, shows its list and
# ends with status 0 when closed, writing nothing; a missing table named is reported, ends
# with status 1 and is not created; a plain start asks for the table in the current folder;
# cancelling that dialog ends quietly with status 0; --help needs no display; a screen reader
# finds every control by its name and switches a flag through its press action.
set -euo pipefail
sondrel=$(realpath "$1")
examples=$(realpath "$2")

work=$(mktemp -d)
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

"$sondrel" --help | grep -q "TABLE.sfx" || fail "--help does not describe the command line"

display=""
for n in $(seq 90 190); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=":$n"; break; fi
done
[ -n "$display" ] || fail "no free display"
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 & pids+=($!)
export DISPLAY=$display
for _ in $(seq 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done
openbox >/dev/null 2>&1 & pids+=($!)
sleep 0.5

# Prints the id of a visible window whose whole title is $1, waiting up to 15 s for it.
# (xdotool's own --sync trips over windows that vanish while it looks.)
window() {
    local id
    for _ in $(seq 150); do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1) || true
        if [ -n "$id" ]; then echo "$id"; return 0; fi
        sleep 0.1
    done
    fail "no window '$1'"
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
        for _ in $(seq 20); do
            xdotool getwindowname "$id" >/dev/null 2>&1 || return 0
            xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | grep -qx "$id" || return 0
            sleep 0.1
        done
    done
    fail "window '$title' did not take the keys $*"
}
# Starts the editor in the work folder; its exit status goes to $work/status.
start() {
    (
        cd "$work"
        status=0
        "$sondrel" "$@" >"$work/out" 2>&1 || status=$?
        echo "$status" >"$work/status"
    ) &
    pids+=($!)
}
finish() {
    for _ in $(seq 100); do [ -s "$work/status" ] && break; sleep 0.1; done
    [ -s "$work/status" ] || fail "the editor did not end: $(cat "$work/out"; pgrep -a sondrel)"
    cat "$work/status"
    rm -f "$work/status"
}
# The number of colours in the list's area of the window: text on white gives many.
list_colours() {
    import -window "$(window "OBEL Sondrel")" -crop 300x150+5+5 -format %k info:
}

cp "$examples/city.sfx" "$examples/city.sam" "$work/"
before=$(cat "$work/city.sfx" "$work/city.sam" | md5sum)

start city.sfx
answer Sondrel Return # "Include KV4 sounds?": Yes
window "OBEL Sondrel" >/dev/null
sleep 0.5
[ "$(list_colours)" -gt 4 ] || fail "the list is empty"
wmctrl -c "OBEL Sondrel"
status=$(finish)
[ "$status" = 0 ] || fail "closing the window ended with status $status: $(cat "$work/out")"
[ "$(cat "$work/city.sfx" "$work/city.sam" | md5sum)" = "$before" ] || fail "closing wrote to the table"

start gone.sfx
answer Sondrel Return
status=$(finish)
[ "$status" = 1 ] || fail "a missing table ended with status $status: $(cat "$work/out")"
[ ! -e "$work/gone.sfx" ] || fail "a missing table was created"

start
answer Open c i t y period s f x Return
answer Sondrel Tab Return # No
window "OBEL Sondrel" >/dev/null
wmctrl -c "OBEL Sondrel"
[ "$(finish)" = 0 ] || fail "the plain start did not end with status 0"

start
answer Open Escape
[ "$(finish)" = 0 ] || fail "cancelling the open dialog did not end with status 0"

# A screen reader's view, over AT-SPI on a D-Bus session of this test's own.
if /usr/bin/python3 -c "import pyatspi" 2>/dev/null && command -v dbus-launch >/dev/null; then
    eval "$(dbus-launch --sh-syntax)"
    pids+=("$DBUS_SESSION_BUS_PID")
    export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
    start city.sfx
    answer Sondrel Return
    window "OBEL Sondrel" >/dev/null
    /usr/bin/python3 "$(dirname "$0")/test_atspi.py" || fail "a screen reader cannot work the window"
    wmctrl -c "OBEL Sondrel"
    [ "$(finish)" = 0 ] || fail "the editor under a screen reader did not end with status 0"
    unset QT_LINUX_ACCESSIBILITY_ALWAYS_ON
else
    echo "no python3-pyatspi or dbus-x11: the screen reader's view is not checked"
fi

echo "the editor started, listed, ended and refused as it should"
