# What the preview and the tests change in a prefix for one command, and put
# back after it (tools/prefix.sh makes the prefix).

# A prefix changed for one command: COMMAND runs with the prefix changed by
# SET, and RESTORE puts it back after, whatever COMMAND did. What an
# interrupted run leaves, the prefix's set-up puts back. SET is tried once
# more, after the prefix's wineserver has ended, where it fails: a wine command
# right after another scenario has been seen to fail once for no reason of ours.
changed_for() {         # changed_for SET RESTORE COMMAND...
    local set=$1 restore=$2 rc=0
    shift 2
    $set || { wineserver -w; $set; } || { $restore; die "could not set up the prefix: $set"; }
    "$@" || rc=$?
    $restore
    return $rc
}

# The stand-in XInput (harness/xinput.cpp) as the prefix's xinput1_4.dll, in
# the system folder of 32-bit programs, for a command; Wine's own after.
stand_in_xinput() { changed_for use_stand_in_xinput wine_xinput "$@"; }

use_stand_in_xinput() {
    local dir
    dir=$(xinput_dir)
    wine_xinput
    mv "$dir/xinput1_4.dll" "$dir/xinput1_4.dll.wine" && cp "$BUILD/bin/xinput1_4.dll" "$dir/" &&
        wine reg add 'HKCU\Software\Wine\DllOverrides' /v xinput1_4 /d native /f >/dev/null 2>&1
}
