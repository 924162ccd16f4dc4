#!/bin/bash
# ./run's preview keeps what it drew: previewed again unchanged, an edition
# draws none of its dialogs again and shows the same screenshots; after one
# language's dialog changes, that one alone is drawn again.
#   preview_cache.sh BUILD_DIR
export LAUNCHER_BUILD=$1 PREVIEW_CACHE=$1/preview-cache-test
out=$1/previews/edition-cache
record=$1/bin/edition.record.txt
fail() { echo "preview_cache.sh: Test failed: $*"; exit 1; }
preview() { bash "$(dirname "$0")/../preview/preview" edition shots "$out" 2>&1; }
drawn() { grep '^== .*: under ' <<< "$1" | cut -d: -f1 | cut -c4- | paste -sd' '; }

rm -rf "$PREVIEW_CACHE"
log=$(preview) || fail "the first preview failed: $log"
[ "$(drawn "$log")" = "en-US de ja" ] || fail "the first preview drew $(drawn "$log"), expected en-US de ja"
shots=$(cd "$out" && sha256sum dialog-*.png)
log=$(preview) || fail "the second preview failed: $log"
[ -z "$(drawn "$log")" ] || fail "unchanged, the preview drew $(drawn "$log") again, expected none"
[ "$(grep -c 'as drawn before' <<< "$log")" = 3 ] || fail "the second preview did not take all 3 dialogs as drawn before"
[ "$(cd "$out" && sha256sum dialog-*.png)" = "$shots" ] || fail "the screenshots taken again differ from those drawn"

# German's dialog changed in the record, as a build of a changed German line changes it
cp "$record" "$record.kept" && trap 'mv "$record.kept" "$record"' EXIT
sed -i '/^dialog\tde$/,/^dialog\t[^d]/ s/^line1\t.*/&!/' "$record"
log=$(preview)
[ "$(drawn "$log")" = "de" ] || fail "after German's dialog changed, the preview drew $(drawn "$log"), expected de"
echo "preview_cache.sh: unchanged dialogs taken as drawn before, a changed one drawn again"
