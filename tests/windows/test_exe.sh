#!/usr/bin/env bash
# Sondrel for Windows as a designer without administrator rights uses it, under Wine on a
# virtual X server, beside the Linux build doing the same:
#
#   test_exe.sh SETUP_EXE LINUX_BIN UNPACKED_ZIP [SCREENSHOT.png]
#
# The installer installs silently for this user the programs of the zip, byte for byte, with
# its source, a Start-menu entry, an uninstaller that Windows lists with its publisher, size
# and place, and "Open with" for .sfx (not taking the extension over). The installed
# sondrel.exe and the Linux build each edit and save the example table in a folder named
# beyond ASCII (edit_and_save): the saved bytes must be equal, as must sondrel-text list's
# names. Last, the uninstaller removes all it made, keeping only the database the designer
# put beside the program.
set -euo pipefail
setup=$(realpath "$1")
linux=$(realpath "$2")
download=$(realpath "$3")
examples=$download/examples
shot=${4:+$(realpath -m "$4")}

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
for file in sondrel.exe sondrel-text.exe README.txt LICENSE.txt SOURCE.txt licenses/MinGW-w64/copyright.txt; do
    cmp "$installed/$file" "$download/$file" || fail "the installation's $file is not the zip's"
done
compgen -G "$installed/sondrel-*-source.tar.gz" >/dev/null || fail "the installation lacks the source"
entry='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Sondrel'
for value in "Publisher.*The Sondrel developers" "DisplayVersion.*[0-9]" "EstimatedSize.*0x" \
    "InstallLocation.*Programs.Sondrel"; do
    wine reg query "$entry" 2>/dev/null | grep -q "$value" || fail "the Uninstall entry lacks $value"
done
ls "$menu"/*.lnk >/dev/null 2>&1 || fail "no Start-menu entry in $menu"
wine reg query "$classes\\Applications\\sondrel.exe\\shell\\open\\command" /ve 2>/dev/null |
    grep -qi 'sondrel.exe" "%1"' || fail "Sondrel is not offered under Open with"
registered "$classes\\.sfx\\OpenWithProgids" Sondrel.SoundTable || fail ".sfx does not list Sondrel"
if wine reg query "$classes\\.sfx" /ve 2>/dev/null | grep -qi Sondrel; then
    fail "the installer took the .sfx extension over"
fi

klaenge="Kl$(printf '\xc3\xa4')nge"
mkdir -p "$work/windows/$klaenge" "$work/linux/$klaenge"
cp "$examples/city.sfx" "$examples/city.sam" "$work/windows/$klaenge/"
cp "$examples/city.sfx" "$examples/city.sam" "$linux/sondrel" "$linux/sondrel-text" "$linux/KV4Objects.dat" \
    "$work/linux/$klaenge/"
cp "$linux/KV4Objects.dat" "$installed/" # the designer's database, beside the program

(cd "$work/linux/$klaenge" && ./sondrel-text list --native city.sfx) >"$work/linux.txt"
(cd "$work/windows/$klaenge" && wine "$installed/sondrel-text.exe" list --native city.sfx) >"$work/windows.txt"
grep -q "^Waterfall" "$work/linux.txt" || fail "the database's names are missing: $(cat "$work/linux.txt")"
cmp "$work/linux.txt" "$work/windows.txt" || fail "sondrel-text.exe names the sounds otherwise"

edit_and_save "$work/linux/$klaenge" ./sondrel
edit_and_save "$work/windows/$klaenge" wine "$installed/sondrel.exe"
for file in saved.sfx saved.sam; do
    cmp "$work/linux/$klaenge/$file" "$work/windows/$klaenge/$file" ||
        fail "sondrel.exe saved $file otherwise than the Linux build"
done
! cmp -s "$work/linux/$klaenge/city.sfx" "$work/linux/$klaenge/saved.sfx" ||
    fail "the edit was not saved"

wine "$installed/Uninstall.exe" /S
eventually test ! -e "$installed/sondrel.exe" || fail "the uninstaller left sondrel.exe"
left() { (cd "$installed" && find . -mindepth 1 | tr '\n' ' '); }
eventually test "$(left)" = "./KV4Objects.dat " || fail "the uninstaller left $(left)"
eventually test ! -e "$menu" || fail "the uninstaller left the Start-menu entry"
! registered 'HKCU\Software\Sondrel' || fail "the uninstaller left its key"
! registered "$classes\\Applications\\sondrel.exe" || fail "the uninstaller left Open with"
! registered "$classes\\.sfx\\OpenWithProgids" Sondrel.SoundTable ||
    fail "the uninstaller left .sfx listing Sondrel"
echo "installed, opened, edited and saved as the Linux build does, and uninstalled"
