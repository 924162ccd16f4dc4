#!/bin/bash
# What ./run keeps between runs: its Xvfb and a Wine server that lingers after
# its last program; the next run finds them and starts warm; ./run --stop (and
# ./test) ends both; and the Xvfb never outlives the server.
#   session.sh BUILD_DIR
export LAUNCHER_BUILD=$(cd "$1" && pwd)
source "$(dirname "$0")/../tools/prefix.sh"
fail() { echo "session.sh: Test failed: $*"; exit 1; }
trap stop_session EXIT
use_arch win32
lingering() {     # a server of this prefix that stays after its last program
    local p
    for p in $(pgrep -f "wineserver.* -p$PREVIEW_LINGER"); do
        tr '\0' '\n' < "/proc/$p/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && return 0
    done
    return 1
}
gone() { for _ in $(seq 50); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done; return 1; }
unset DISPLAY XVFB_PID

stop_session
! start_session || fail "a session was found where none was kept"
keep_session
read -r display pid arch < "$BUILD/preview-session" || fail "no $BUILD/preview-session after keep_session"
[ "$display $pid $arch" = "$DISPLAY $XVFB_PID win32" ] ||
    fail "the session file says \"$display $pid $arch\", expected \"$DISPLAY $XVFB_PID win32\""
sleep 1
lingering || fail "no Wine server lingers after its last program"

# the next run, a process of its own, finds the display and the server
next=$(unset DISPLAY XVFB_PID; start_session && wine reg query 'HKCU\Control Panel\Desktop' /v LogPixels \
       >/dev/null 2>&1 && echo "$DISPLAY")
[ "$next" = "$display" ] || fail "the next run found \"$next\", expected the kept display $display"

stop_session
gone "$pid" || fail "./run --stop left the Xvfb $pid running"
! lingering || fail "./run --stop left the Wine server running"
[ ! -f "$BUILD/preview-session" ] || fail "./run --stop left $BUILD/preview-session"

# a server that ends by itself (its 10 minutes up) takes the Xvfb with it
unset DISPLAY XVFB_PID
start_session
keep_session
wineserver -k
gone "$XVFB_PID" || fail "the Xvfb $XVFB_PID outlived the Wine server"
stop_session
echo "session.sh: kept, found again, stopped, and the Xvfb gone with the server"
