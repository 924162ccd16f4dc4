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
for shot in "$OUT"/dialog*.png; do
    [ "$shot" = "$OUT/dialogs.png" ] && continue
    size=$(identify -format %wx%h "$shot") || fail "$shot is not a picture"
    [ "$size" = 336x155 ] || fail "$shot is $size, expected the 336x155 dialog"
done
echo "preview.sh: $NAME: $expected dialogs previewed and saved"
