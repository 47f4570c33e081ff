#!/usr/bin/env bash
# A level kept in git by two designers: the README's set-up, diffs that name the sound changed,
# two branches' changes to two sounds merged, and one sound changed two ways stopping the merge
# with the table left as it was on the current branch; and none of a cloned repository's own
# programs run.
#
#   test_git.sh BIN_FOLDER EXAMPLES_FOLDER      (BIN_FOLDER holds sondrel-text)
set -euo pipefail
export PATH="$1:$PATH"
examples=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

export GIT_CONFIG_NOSYSTEM=1 HOME=$work # no one's own git settings
git config --global user.name "A designer"
git config --global user.email designer@example.org
git config --global init.defaultBranch main
git init -q "$work/level"
cd "$work/level"
cp "$examples/city.sfx" "$examples/city.sam" .
# An ignored build folder holding a sample list of the same name: not the table's.
mkdir build && echo build/ >.gitignore && echo "not.wav" >build/city.sam
# The set-up, exactly as the README gives it.
need='command -v sondrel-text >/dev/null || { echo "sondrel-text is not on PATH: install Sondrel, or add its folder to PATH" >&2; exit 1; };'
echo '*.sfx diff=sfx merge=sfx' >>.gitattributes &&
    git config diff.sfx.textconv "$need sondrel-text export --from-git" &&
    git config merge.sfx.name 'OBEL sound tables, sound by sound' &&
    git config merge.sfx.driver "$need sondrel-text merge %O %A %B %P"
git add . && git commit -qm "the level"

# Changes one detail's bytes by hand, as the README says: the bytes changed, the values gone.
edit() { # DETAIL BYTES
    sondrel-text export city.sfx >"$work/text"
    sed -i "s/^detail $1: .*bytes .*/detail $1: bytes $2/" "$work/text"
    sondrel-text import "$work/text" city.sfx
    git commit -qam "detail $1"
}
louder="00 00 FE 0C 00 7E 04 00"   # detail 0, KV5 Sound 12 - 45: volume 101
farther="0D 00 D2 1F C8 6E 04 50"  # detail 9, KV3 Sound 17 - 250: range 31
quieter="00 00 32 0C 00 7E 04 00"  # detail 0 again: volume 20

git checkout -qb louder main && edit 0 "$louder"
git checkout -qb farther main && edit 9 "$farther"
git checkout -qb quieter main && edit 0 "$quieter"

# Without sondrel-text on PATH (where it is not installed), the diff says so.
if ! PATH=/usr/bin:/bin command -v sondrel-text >/dev/null; then
    nopath=$(PATH=/usr/bin:/bin git diff main louder -- city.sfx 2>&1) && fail "a diff without it"
    grep -q "sondrel-text is not on PATH" <<<"$nopath" || fail "a diff without it: $nopath"
fi

# The diff and the log name the sound and its values.
diff=$(git diff main louder -- city.sfx)
grep -q '^-detail 0: "KV5 Sound 12 - 45", range 12, volume 100,' <<<"$diff" || fail "diff: $diff"
grep -q '^+detail 0: "KV5 Sound 12 - 45", range 12, volume 101,' <<<"$diff" || fail "diff: $diff"
git log -p -1 farther | grep -q '^+detail 9: "KV3 Sound 17 - 250", range 31,' || fail "log -p"

# Two sounds on two branches: one merge, both changes, a table that reads.
git checkout -q louder
git merge -q --no-edit farther || fail "the merge of two sounds stopped"
merged=$(sondrel-text export city.sfx)
grep -q "^detail 0: .*bytes $louder\$" <<<"$merged" || fail "the louder sound is lost"
grep -q "^detail 9: .*bytes $farther\$" <<<"$merged" || fail "the farther sound is lost"

# One sound two ways: the merge stops, says which sound and how, and leaves our table.
cp city.sfx "$work/ours.sfx"
if git merge --no-edit quieter >"$work/merge.out" 2>&1; then
    fail "the same sound changed two ways merged"
fi
cmp -s city.sfx "$work/ours.sfx" || fail "the table on this branch was changed"
grep -q 'detail 0 (KV5 Sound 12 - 45) was changed on both branches' "$work/merge.out" ||
    fail "the conflict was not reported: $(cat "$work/merge.out")"
grep -q "ours:   detail 0: range 12, volume 101" "$work/merge.out" || fail "ours not shown"
grep -q "theirs: detail 0: range 12, volume 20," "$work/merge.out" || fail "theirs not shown"
git status --porcelain | grep -q '^UU city.sfx' || fail "git does not mark the table"
# Another level's sample list of the same name: which list is the table's cannot be told, so
# neither side of a diff names its sounds, and only the sound changed shows as changed.
git merge --abort
mkdir other && cp city.sam other/ && git add other && git commit -qm "another level"
sondrel-text export city.sfx >"$work/text" # changed in the work tree, against the index
sed -i "s/^detail 3: .*bytes .*/detail 3: bytes 03 00 10 05 00 3F 04 00/" "$work/text"
sondrel-text import "$work/text" city.sfx
changed=$(git diff -- city.sfx | grep -c '^[-+]detail') || true
[ "$changed" = 2 ] || fail "one sound changed, $changed detail lines in the diff"

# A cloned repository's own programs never run: neither its file system monitor nor a "git" in
# its work tree, which an empty entry of PATH (the current folder) would find; and a sample list
# tracked as a link out of the repository is not followed.
real_git=$(command -v git)
printf '#!/bin/sh\ntouch "%s/ran-$(basename "$0")"\n' "$work" >"$work/monitor"
cp "$work/monitor" git && chmod +x "$work/monitor" git
mkdir linked && cp city.sfx linked/town.sfx && printf 'SECRET 1.wav\r\nSECRET 2.wav\r\n' >"$work/profile"
ln -s "$work/profile" linked/town.sam
"$real_git" add git linked && "$real_git" commit -qm "a hostile clone"
git config core.fsmonitor "$work/monitor" # set after git's own look at the index
shown=$(PATH=":$PATH" "$real_git" log -p -1 -- linked/town.sfx)
grep -q '^+detail 0: ' <<<"$shown" || fail "the table's diff: $shown"
! grep -q SECRET <<<"$shown" || fail "a link out of the repository was followed: $shown"
PATH=":$PATH" "$real_git" diff HEAD~1 HEAD >/dev/null
ran=$(ls "$work" | grep '^ran-' || true)
[ -z "$ran" ] || fail "the repository's own programs ran: $ran"
echo "set up, diffed, merged, and the conflict reported in a real repository"
