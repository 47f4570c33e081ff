#!/usr/bin/env bash
# sondrel.exe as a designer on Windows uses it, under Wine on a virtual X server, beside the
# Linux build doing the same:
#
#   test_exe.sh WINDOWS_BIN LINUX_BIN EXAMPLES_FOLDER [SCREENSHOT.png]
#
# Both programs start without a table from a folder named beyond ASCII that holds them, the
# object name database and the example table; the table is chosen in the system's open dialog
# (Wine's own on Windows), the question answered, a sound edited from the keyboard, and the
# table saved under a new name in the system's save dialog. The saved bytes must be equal,
# and sondrel-dump must name the native sounds from the database beside it alike on both.
# Wine gets its own MS Sans Serif, the window's font, from Debian's Wine fonts.
set -euo pipefail
windows=$(realpath "$1")
linux=$(realpath "$2")
examples=$(realpath "$3")
shot=${4:+$(realpath -m "$4")}

work=$(mktemp -d)
# shellcheck source=tests/app/x11.sh
source "$(dirname "$0")/../app/x11.sh"
start_x
start_wine

klaenge="Kl$(printf '\xc3\xa4')nge"
for system in windows linux; do
    folder=$work/$system/$klaenge
    mkdir -p "$folder"
    cp "$examples/city.sfx" "$examples/city.sam" "${!system}/KV4Objects.dat" "$folder/"
done
cp "$windows/sondrel.exe" "$windows/sondrel-dump.exe" "$work/windows/$klaenge/"
cp "$linux/sondrel" "$linux/sondrel-dump" "$work/linux/$klaenge/"

(cd "$work/linux/$klaenge" && ./sondrel-dump --native city.sfx) >"$work/linux.txt"
(cd "$work/windows/$klaenge" && wine sondrel-dump.exe --native city.sfx) >"$work/windows.txt"
grep -q "^Waterfall" "$work/linux.txt" || fail "the database's names are missing: $(cat "$work/linux.txt")"
cmp "$work/linux.txt" "$work/windows.txt" || fail "sondrel-dump.exe names the sounds otherwise"

edit_and_save "$work/linux/$klaenge" ./sondrel
edit_and_save "$work/windows/$klaenge" wine sondrel.exe
for file in saved.sfx saved.sam; do
    cmp "$work/linux/$klaenge/$file" "$work/windows/$klaenge/$file" ||
        fail "sondrel.exe saved $file otherwise than the Linux build"
done
! cmp -s "$work/linux/$klaenge/city.sfx" "$work/linux/$klaenge/saved.sfx" ||
    fail "the edit was not saved"
echo "sondrel.exe opened, edited and saved as the Linux build does"
