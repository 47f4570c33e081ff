#!/usr/bin/env bash
# The editor as a designer starts it: a real window on a virtual X server with a window
# manager, its dialogs answered with xdotool, the window closed as a user closes it.
#
#   test_app.sh SONDREL EXAMPLES_FOLDER
#
# Checks: a table named on the command line opens after the question, shows its list, marks
# its caption after an Update, asks before closing with it, and after undoing it ends with
# status 0 when closed, writing nothing; a missing table named is reported, ends
# with status 1 and is not created; a plain start asks for the table in the current folder,
# where a sound is edited and saved as the Windows run does it (edit_and_save, in x11.sh);
# cancelling that dialog ends quietly with status 0; --help needs no display; a screen reader
# finds every control by its name and switches a flag through its press action.
set -euo pipefail
sondrel=$(realpath "$1")
examples=$(realpath "$2")

work=$(mktemp -d)
# shellcheck source=tests/app/x11.sh
source "$(dirname "$0")/x11.sh"
"$sondrel" --help | grep -q "TABLE.sfx" || fail "--help does not describe the command line"

start_x

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
    import -window "$(window ".* - OBEL Sondrel")" -crop 300x150+5+5 -format %k info:
}

cp "$examples/city.sfx" "$examples/city.sam" "$work/"
before=$(cat "$work/city.sfx" "$work/city.sam" | md5sum)

start city.sfx
answer Sondrel Return # "Include KV4 sounds?": Yes
main=$(window "city\.sfx - OBEL Sondrel")
sleep 0.5
[ "$(list_colours)" -gt 4 ] || fail "the list is empty"
# An Update marks the caption; closing then asks, and Escape keeps the window; undone from the
# list, the table is as read, and the window closes without a question.
xdotool windowactivate "$main" >/dev/null 2>&1 || true
sleep 0.5
xdotool key --delay 100 Down Tab Tab Tab ctrl+a 4 2 ctrl+Return
window "city\.sfx\* - OBEL Sondrel" >/dev/null
wmctrl -c "OBEL Sondrel"
answer Sondrel Escape
xdotool windowactivate "$main" >/dev/null 2>&1 || true
sleep 0.5
xdotool key --delay 100 shift+Tab shift+Tab shift+Tab ctrl+z
window "city\.sfx - OBEL Sondrel" >/dev/null
wmctrl -c "OBEL Sondrel"
status=$(finish)
[ "$status" = 0 ] || fail "closing the window ended with status $status: $(cat "$work/out")"
[ "$(cat "$work/city.sfx" "$work/city.sam" | md5sum)" = "$before" ] || fail "closing wrote to the table"

start gone.sfx
answer Sondrel Return
status=$(finish)
[ "$status" = 1 ] || fail "a missing table ended with status $status: $(cat "$work/out")"
[ ! -e "$work/gone.sfx" ] || fail "a missing table was created"

# A plain start: the table chosen in the open dialog, a sound edited, saved under a new name.
edit_and_save "$work" "$sondrel"
! cmp -s "$work/city.sfx" "$work/saved.sfx" || fail "the edit was not saved"

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
    window ".* - OBEL Sondrel" >/dev/null
    /usr/bin/python3 "$(dirname "$0")/test_atspi.py" || fail "a screen reader cannot work the window"
    wmctrl -c "OBEL Sondrel"
    [ "$(finish)" = 0 ] || fail "the editor under a screen reader did not end with status 0"
    unset QT_LINUX_ACCESSIBILITY_ALWAYS_ON
else
    echo "no python3-pyatspi or dbus-x11: the screen reader's view is not checked"
fi

echo "the editor started, listed, ended and refused as it should"
