#!/usr/bin/env bash
# The Windows installer under Wine, as a designer without administrator rights uses it:
# installs silently for this user, leaves a Start-menu entry and an uninstaller, offers Sondrel
# under "Open with" for .sfx without taking the extension over; the installed program starts
# on the example table and shows its window; the uninstaller removes the program, the entry
# and the registration.
#
#   test_installer.sh SETUP_EXE EXAMPLES_FOLDER
set -euo pipefail
setup=$(realpath "$1")
examples=$(realpath "$2")

work=$(mktemp -d)
# shellcheck source=tests/app/x11.sh
source "$(dirname "$0")/../app/x11.sh"
start_x
start_wine

user=$(whoami)
installed="$WINEPREFIX/drive_c/users/$user/AppData/Local/Programs/Sondrel"
menu="$WINEPREFIX/drive_c/users/$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Sondrel"
classes='HKCU\Software\Classes'
# Waits up to 30 s for the command that follows to succeed.
eventually() {
    for _ in $(seq 60); do "$@" && return 0; sleep 0.5; done
    return 1
}
registered() { wine reg query "$1" ${2:+/v "$2"} >/dev/null 2>&1; }

wine "$setup" /S
eventually test -f "$installed/Uninstall.exe" || fail "nothing installed in $installed"
for file in sondrel.exe sondrel-dump.exe README.txt LICENSE.txt licenses/MinGW-w64/copyright.txt; do
    [ -s "$installed/$file" ] || fail "the installation lacks $file"
done
ls "$menu"/*.lnk >/dev/null 2>&1 || fail "no Start-menu entry in $menu"
wine reg query "$classes\\Applications\\sondrel.exe\\shell\\open\\command" /ve 2>/dev/null |
    grep -qi 'sondrel.exe" "%1"' || fail "Sondrel is not offered under Open with"
registered "$classes\\.sfx\\OpenWithProgids" Sondrel.SoundTable || fail ".sfx does not list Sondrel"
if wine reg query "$classes\\.sfx" /ve 2>/dev/null | grep -qi Sondrel; then
    fail "the installer took the .sfx extension over"
fi

cp "$examples/city.sfx" "$examples/city.sam" "$work/"
(cd "$work" && wine "$installed/sondrel.exe" city.sfx >/dev/null 2>&1) &
pids+=($!)
answer Sondrel Return # "Include KV4 sounds?"
window "city\.sfx - OBEL Sondrel" >/dev/null
wmctrl -c "OBEL Sondrel"

wine "$installed/Uninstall.exe" /S
eventually test ! -e "$installed/sondrel.exe" || fail "the uninstaller left sondrel.exe"
eventually test ! -e "$menu" || fail "the uninstaller left the Start-menu entry"
! registered "$classes\\Applications\\sondrel.exe" || fail "the uninstaller left Open with"
! registered "$classes\\.sfx\\OpenWithProgids" Sondrel.SoundTable ||
    fail "the uninstaller left .sfx listing Sondrel"
echo "the installer installed, started and uninstalled Sondrel for this user"
