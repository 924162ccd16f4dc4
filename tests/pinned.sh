#!/bin/bash
# Every launcher the suite builds keeps the bytes pinned in launchers.sha256.
# A change meant to change a launcher updates its line there in the same
# commit, and says why.
#   pinned.sh BIN_DIR TARGET...            each launcher by its target, whose build record names its file
#   pinned.sh --update BIN_DIR TARGET...   pins each launcher's bytes as they are now
# PINS names another list than launchers.sha256 beside this script.
pins=${PINS:-$(cd "$(dirname "$0")" && pwd)/launchers.sha256}
source "$(dirname "$0")/../brand/record.sh"
update=""
[ "$1" != --update ] || { update=yes; shift; }
bin=$(cd "$1" && pwd) || exit 1
cd "$bin" || exit 1
shift
failed=0
for target in "$@"; do
    exe=$(record_field "$target.record.txt" exe)
    pinned=$(awk -v f="$exe" '$2 == f { print $1 }' "$pins")
    got=$(sha256sum "$exe" | cut -d' ' -f1)
    if [ -n "$update" ]; then
        { awk -v f="$exe" '$2 != f' "$pins"; echo "$got  $exe"; } | sort -k2 > "$pins.new" && mv "$pins.new" "$pins"
        [ "$got" = "$pinned" ] || echo "pinned.sh: $exe pinned as $got"
    elif [ -z "$pinned" ]; then
        echo "pinned.sh: Test failed: $exe is not pinned"; failed=1
    elif [ "$got" != "$pinned" ]; then
        echo "pinned.sh: Test failed: $exe is $got, pinned as $pinned"; failed=1
    fi
done
[ $failed = 0 ] || echo "pinned.sh: where the change is meant, pin them anew (and say why in the commit):" \
                        "bash '$(cd "$(dirname "$0")" && pwd)/pinned.sh' --update '$bin' $*"
exit $failed
