#!/bin/bash
# Every launcher the suite builds keeps the bytes pinned in launchers.sha256.
# A change meant to change a launcher updates its line there in the same
# commit, and says why.
#   pinned.sh BIN_DIR TARGET...     each launcher by its target, whose build record names its file
pins=$(cd "$(dirname "$0")" && pwd)/launchers.sha256
source "$(dirname "$0")/../brand/record.sh"
cd "$1" || exit 1
shift
failed=0
for target in "$@"; do
    exe=$(record_field "$target.record.txt" exe)
    pinned=$(awk -v f="$exe" '$2 == f { print $1 }' "$pins")
    got=$(sha256sum "$exe" | cut -d' ' -f1)
    if [ -z "$pinned" ]; then
        echo "pinned.sh: Test failed: $exe is not pinned: add \"$got  $exe\" to $pins"; failed=1
    elif [ "$got" != "$pinned" ]; then
        echo "pinned.sh: Test failed: $exe is $got, pinned as $pinned"; failed=1
    fi
done
exit $failed
