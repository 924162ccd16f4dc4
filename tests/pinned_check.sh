#!/bin/bash
# Checks the checker of the pinned bytes (pinned.sh) on launchers of its own:
# one that keeps its bytes passes, one changed by a byte or not pinned fails
# and is named, and --update pins them so that the check passes.
#   pinned_check.sh BIN_DIR WORK_DIR
BIN=$1 WORK=$2
fail() { echo "pinned_check.sh: Test failed: $*"; exit 1; }
check() { PINS=$WORK/pins bash "$(dirname "$0")/pinned.sh" "$@" "$WORK/bin" kept changed; }

rm -rf "$WORK" && mkdir -p "$WORK/bin" || exit 1
for target in kept changed; do
    cp "$BIN/tolvar.exe" "$WORK/bin/$target.exe" && printf 'exe\t%s.exe\n' $target > "$WORK/bin/$target.record.txt" ||
        fail "cannot make the launchers"
done
(cd "$WORK/bin" && sha256sum kept.exe changed.exe) > "$WORK/pins"
check >/dev/null || fail "two launchers as pinned failed the check"
printf '\x01' | dd of="$WORK/bin/changed.exe" bs=1 seek=200 conv=notrunc 2>/dev/null
out=$(check) && fail "a launcher changed by a byte passed the check"
grep -q "changed.exe is [0-9a-f]*, pinned as" <<< "$out" && ! grep -q "kept.exe" <<< "$out" ||
    fail "the check did not name the changed launcher alone: $out"
grep -q -- "--update" <<< "$out" || fail "the check did not say how to pin anew: $out"
sed -i '/ kept.exe$/d' "$WORK/pins"
out=$(check) && fail "a launcher not pinned passed the check"
grep -q "kept.exe is not pinned" <<< "$out" || fail "the check did not name the launcher not pinned: $out"
check --update >/dev/null && check >/dev/null || fail "after --update, the check still failed: $(check)"
[ "$(wc -l < "$WORK/pins")" = 2 ] || fail "--update left $(wc -l < "$WORK/pins") lines for two launchers"
echo "pinned_check.sh: a changed and an unpinned launcher named, and pinned anew by --update"
