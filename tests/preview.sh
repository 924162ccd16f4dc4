#!/bin/bash
# Previews a test brand as ./run does, with no display of its own: each of its
# dialogs under its locale, checked and saved as a screenshot.
#   preview.sh BUILD_DIR NAME            every dialog must be shown, fit and be saved
#   preview.sh BUILD_DIR NAME MESSAGE    the preview must fail and say MESSAGE
#   preview.sh BUILD_DIR NAME --note NOTE   ... must pass, and say NOTE
# STAND_IN names a face the record's stand-ins are replaced with; CAPTION_BOLD
# yes or no, whether its captions are bold.
export LAUNCHER_BUILD=$1
NAME=$2
OUT=$1/previews/$NAME${PREVIEW_LANGUAGES:+-languages}${PREVIEW_LOOK:+-$PREVIEW_LOOK}
NOTE=""
[ "$3" != --note ] || { NOTE=$4; set -- "$1" "$2"; }
fail() { echo "preview.sh: Test failed: $*"; exit 1; }
# STAND_IN, CAPTION_BOLD: a copy of the record whose stand-in faces are that
# face instead, or whose captions are bold or not, as a fault planted in the kit
if [ -n "$STAND_IN$CAPTION_BOLD" ]; then
    sed "${STAND_IN:+s/^\(stand_in\|caption_face\)\t[^-].*/\1\t$STAND_IN/;}
         ${CAPTION_BOLD:+s/^caption_bold\t.*/caption_bold\t$CAPTION_BOLD/}" "$1/bin/$NAME.record.txt" \
        > "$1/bin/$NAME-planted.record.txt" || fail "cannot copy the record of $NAME"
    NAME=$NAME-planted
fi

log=$(bash "$(dirname "$0")/../preview/preview" "$NAME" shots "$OUT" 2>&1)
rc=$?
echo "$log"
if [ -n "$3" ]; then
    [ $rc != 0 ] || fail "$NAME: the preview passed, expected it to fail saying \"$3\""
    grep -qF -- "$3" <<< "$log" || fail "$NAME: the preview did not say \"$3\""
    exit 0
fi
[ $rc = 0 ] || fail "$NAME: the preview failed with exit code $rc"
[ -z "$NOTE" ] || grep -qF -- "$NOTE" <<< "$log" || fail "$NAME: the preview did not note \"$NOTE\""
source "$(dirname "$0")/../brand/record.sh"
record=$1/bin/$NAME.record.txt
expected=$(grep -c "^dialog" "$record")
shown=$(record_dialogs "$record" | cut -f1)
# ./run --language: those languages' dialogs alone
[ -z "$PREVIEW_LANGUAGES" ] || shown=$(tr ' ' '\n' <<< "$PREVIEW_LANGUAGES" | grep .)
# Each dialog's screenshot at each of the record's scales, and a sheet of
# them all; the preview has checked each dialog's size against the record's.
names=""
while read -r tag; do
    shot=dialog-$tag
    [ "$expected" = 1 ] && shot=dialog
    names="$names $shot.png"
    for scale in $(record_field "$record" scales); do
        [ "$scale" = 100 ] || names="$names $shot@$scale.png"
    done
    identify "$OUT/$shot.png" >/dev/null || fail "$OUT/$shot.png is not a picture"
done <<< "$shown"
[ "$(wc -l <<< "$shown")" = 1 ] || names="$names dialogs.png"
got=$(cd "$OUT" && ls *.png | sort | tr '\n' ' ')
want=$(tr ' ' '\n' <<< "$names" | grep . | sort | tr '\n' ' ')
[ "$got" = "$want" ] || fail "$NAME: screenshots $got, expected $want"
echo "preview.sh: $NAME: $(wc -l <<< "$shown") of its $expected dialogs previewed and saved"
