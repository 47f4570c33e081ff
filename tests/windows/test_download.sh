#!/usr/bin/env bash
# The Windows download meets its licences and holds nothing of the machine that built it:
# every library linked into the programs has its notice (each object file and archive member
# in the linker's map, PROGRAM.exe.map in the build, is looked up); Sondrel's source is there
# as the commit SOURCE.txt names, this checkout's; no folder of this machine is in a program.
#
#   test_download.sh UNPACKED_DOWNLOAD BUILD_BIN_FOLDER [QT_PREFIX [EBUR128_PREFIX]]
set -euo pipefail
download=$1
bin=$2
qt=${3:-/no-qt}
ebur128=${4:-/no-ebur128}

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
# The notice file $1 (in the download) must exist and say $2.
has_notice() {
    [ -s "$download/$1" ] || fail "the download lacks $1, the notice of $3"
    grep -qi -- "$2" "$download/$1" || fail "$1 does not mention $2, for $3"
}

checked=0
for program in sondrel.exe sondrel-text.exe; do
    map=$bin/$program.map
    [ -f "$download/$program" ] || continue
    [ -s "$map" ] || fail "no linker map $map"
    # The archives a member was taken from, and the object files loaded.
    inputs=$(
        awk '/^Archive member included/ { taking = 1; next }
             /^(Discarded input sections|Allocating common symbols|Memory Configuration)/ { taking = 0 }
             taking && /^[^ \t]/ { sub(/\(.*/, ""); print }
             /^LOAD .*\.o(bj)?$/ { print $2 }' "$map" | sort -u
    )
    while IFS= read -r input; do
        [ -n "$input" ] || continue
        [[ $input == /* ]] && input=$(realpath -m "$input") # no "lib/gcc/../../lib" left
        name=$(basename "$input")
        case "$input" in
        /usr/lib/gcc/x86_64-w64-mingw32/*)
            has_notice licenses/GCC/copyright.txt "GCC Runtime Library Exception" "$name" ;;
        */x86_64-w64-mingw32/lib/libpthread.a | */x86_64-w64-mingw32/lib/libwinpthread.a)
            has_notice licenses/MinGW-w64/copyright.txt "winpthreads" "$name" ;;
        */x86_64-w64-mingw32/lib/*)
            has_notice licenses/MinGW-w64/copyright.txt "mingw-w64-crt" "$name" ;;
        "$qt"/*/libQt6Bundled*)
            library=${name#libQt6Bundled}
            has_notice licenses/Qt/THIRD-PARTY-NOTICES.txt "${library%.a}" "$name" ;;
        "$ebur128"/*)
            has_notice licenses/libebur128/COPYING.txt "Permission is hereby granted" "$name" ;;
        "$qt"/*)
            has_notice licenses/Qt/LGPL-3.0-only.txt "GNU LESSER GENERAL PUBLIC LICENSE" "$name" ;;
        /*)
            fail "$program links $input, whose notice this test does not know" ;;
        *) # Sondrel's own, from the build
            has_notice LICENSE.txt "GNU GENERAL PUBLIC LICENSE" "$name" ;;
        esac
        checked=$((checked + 1))
    done <<<"$inputs"
done
[ "$checked" -gt 0 ] || fail "no program of the download was checked"

commit=$(tr -d '\r' <"$download/SOURCE.txt" | sed -n '/built from the commit/{n;s/ //gp}')
[ "$commit" = "$(git rev-parse HEAD)" ] || fail "SOURCE.txt names the commit '$commit', not this one"
tar -tzf "$download"/sondrel-*-source.tar.gz | grep "^sondrel-[0-9.]*/formats/sound_table.cpp$" >/dev/null ||
    fail "the source archive lacks Sondrel's source"
for program in "$download"/*.exe; do
    if found=$(strings -n 5 "$program" | grep -F -e "$(git rev-parse --show-toplevel)" -e "$qt" -e "$ebur128" -e /tmp/ -e "$HOME/"); then
        fail "$(basename "$program") holds a folder of the machine that built it: $found"
    fi
done
echo "$checked libraries and objects linked, each with its notice; the source; no folder of this machine"
