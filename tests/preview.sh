#!/bin/bash
# Previews a test brand as ./run does, with no display of its own: each of its
# dialogs under its locale, checked and saved as a screenshot.
#   preview.sh BUILD_DIR NAME            every dialog must be shown, fit and be saved
#   preview.sh BUILD_DIR NAME MESSAGE    the preview must fail and say MESSAGE
export LAUNCHER_BUILD=$1
NAME=$2
OUT=$1/previews/$NAME
fail() { echo "preview.sh: Test failed: $*"; exit 1; }

log=$(bash "$(dirname "$0")/../preview/preview" "$NAME" shots "$OUT" 2>&1)
rc=$?
echo "$log"
if [ -n "$3" ]; then
    [ $rc != 0 ] || fail "$NAME: the preview passed, expected it to fail saying \"$3\""
    grep -qF -- "$3" <<< "$log" || fail "$NAME: the preview did not say \"$3\""
    exit 0
fi
[ $rc = 0 ] || fail "$NAME: the preview failed with exit code $rc"
expected=$(grep -c "^dialog" "$1/bin/$NAME.record.txt")
[ "$expected" = 1 ] && names=dialog.png || names="dialogs.png $(sed -n 's/^dialog\t\(.*\)/dialog-\1.png/p' "$1/bin/$NAME.record.txt")"
got=$(cd "$OUT" && ls *.png | sort | tr '\n' ' ')
want=$(tr ' ' '\n' <<< "$names" | sort | tr '\n' ' ')
[ "$got" = "$want" ] || fail "$NAME: screenshots $got, expected $want"
# A dialog drawn in a stand-in font of its script takes that font's size.
source "$(dirname "$0")/../tools/env.sh"
while read -r tag _ _ script; do
    shot=$OUT/dialog-$tag.png
    [ "$expected" = 1 ] && shot=$OUT/dialog.png
    size=$(identify -format %wx%h "$shot") || fail "$shot is not a picture"
    [ "$script" != - ] || [ "$size" = 336x155 ] || fail "$shot is $size, expected the 336x155 dialog"
done <<< "$(record_dialogs "$1/bin/$NAME.record.txt")"
echo "preview.sh: $NAME: $expected dialogs previewed and saved"
