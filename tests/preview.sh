#!/bin/bash
# Previews a test brand as ./run does, with no display of its own: each of its
# dialogs under its locale, measured and saved as a screenshot.
#   preview.sh BUILD_DIR NAME            every dialog must fit and be saved
#   preview.sh BUILD_DIR NAME MESSAGE    the preview must fail and say MESSAGE
export LAUNCHER_BUILD=$1
source "$(dirname "$0")/../tools/env.sh"
NAME=$2
OUT=$BUILD/previews/$NAME
fail() { echo "preview.sh: Test failed: $*"; exit 1; }

rm -rf "$OUT"
log=$(preview "$NAME" shots "$OUT" 2>&1)
rc=$?
echo "$log"
if [ -n "$3" ]; then
    [ $rc != 0 ] || fail "$NAME: the preview passed, expected it to fail saying \"$3\""
    grep -qF -- "$3" <<< "$log" || fail "$NAME: the preview did not say \"$3\""
    exit 0
fi
[ $rc = 0 ] || fail "$NAME: the preview failed with exit code $rc"
expected=$(grep -c "^dialog" "$BUILD/bin/$NAME.brand.txt")
shots=$(ls "$OUT"/*.png 2>/dev/null | wc -l)
[ "$shots" = "$expected" ] || fail "$NAME: $shots screenshots, expected one for each of $expected dialogs"
for shot in "$OUT"/*.png; do
    size=$(identify -format %wx%h "$shot") || fail "$shot is not a picture"
    [ "$size" = 336x155 ] || fail "$shot is $size, expected the 336x155 dialog"
done
echo "preview.sh: $NAME: $shots dialogs previewed and saved"
