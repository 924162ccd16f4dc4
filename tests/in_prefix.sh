#!/bin/bash
# Runs a test's COMMAND with Wine set up as tools/prefix.sh sets it, in the prefix
# as its scenario needs it for itself alone: CHANGE is one of those below, or
# - for none. What it changed is put back after, whatever the outcome.
#   in_prefix.sh CHANGE COMMAND...
source "$(dirname "$0")/../tools/prefix.sh"
source "$(dirname "$0")/../harness/changes.sh"

# The stand-in XInput (harness/changes.sh); without any XInput, as on a Windows
# without it; the screen at LAUNCHER_DPI.
without_xinput() { changed_for turn_xinput_off wine_xinput "$@"; }
at_dpi() { changed_for "dialog_settings - - classic yes $LAUNCHER_DPI" "dialog_settings - - classic yes 96" "$@"; }

turn_xinput_off() {
    local v
    for v in xinput1_4 xinput9_1_0; do
        wine reg add 'HKCU\Software\Wine\DllOverrides' /v $v /d "" /f >/dev/null 2>&1 || return 1
    done
}

case $1 in
    -) shift; exec "$@" ;;
    stand_in_xinput|without_xinput|at_dpi) "$@" ;;
    *) die "in_prefix.sh: no change $1 of the prefix" ;;
esac
