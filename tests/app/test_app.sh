#!/usr/bin/env bash
# The editor as a designer starts it: a real window on a virtual X server with a window
# manager, its dialogs answered with xdotool, the window closed as a user closes it.
#
#   test_app.sh SONDREL EXAMPLES_FOLDER
#
# --help needs no display; a missing table named is reported (status 1) and not created; a
# plain start asks for the table, where a sound is edited and saved (edit_and_save); cancelling
# the open dialog ends with status 0. (What a screen reader is told is test_accessibility's.)
set -euo pipefail
sondrel=$(realpath "$1")
examples=$(realpath "$2")

work=$(mktemp -d)
# shellcheck source=tests/app/x11.sh
source "$(dirname "$0")/x11.sh"
"$sondrel" --help | grep -q "TABLE.sfx" || fail "--help does not describe the command line"

start_x

cp "$examples/city.sfx" "$examples/city.sam" "$work/"

run_in "$work" "$sondrel" gone.sfx
answer Sondrel Return
status=$(status_in "$work")
[ "$status" = 1 ] || fail "a missing table ended with status $status: $(cat "$work/out")"
[ ! -e "$work/gone.sfx" ] || fail "a missing table was created"

# A plain start: the table chosen in the open dialog, a sound edited, saved under a new name.
edit_and_save "$work" "$sondrel"
! cmp -s "$work/city.sfx" "$work/saved.sfx" || fail "the edit was not saved"

run_in "$work" "$sondrel"
answer Open Escape
[ "$(status_in "$work")" = 0 ] || fail "cancelling the open dialog did not end with status 0"

echo "the editor started, listed, ended and refused as it should"
