# Set-up, build and an X display, shared by ./run, ./test, the preview, the
# tests, the benchmark and signing, which source it (those that run Wine
# through tools/prefix.sh). LAUNCHER_BUILD names the build folder when it is
# not build/.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${LAUNCHER_BUILD:-$ROOT/build}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

die() { echo "error: $*" >&2; exit 1; }

# Two prefixes: a 32-bit one, and a 64-bit one in which the launcher runs under
# WoW64, as on 64-bit Windows and in Proton. LAUNCHER_ARCH picks one.
use_arch() {        # use_arch win32|win64
    export WINEARCH=$1
    case $1 in
        win32) export WINEPREFIX=$BUILD/wineprefix ;;
        win64) export WINEPREFIX=$BUILD/wineprefix64 ;;
        *) die "LAUNCHER_ARCH is win32 or win64, not $1" ;;
    esac
}
use_arch "${LAUNCHER_ARCH:-win32}"

# CMake keeps its lists apart with ";" and cannot quote '"' in a path.
case $ROOT in
    *\;*|*\"*|*$'\n'*) die "the clone's folder holds a ; or \" or a line break, which CMake cannot take: move it to another" ;;
esac

as_root() {
    if [ "$(id -u)" = 0 ]; then "$@"
    elif command -v sudo >/dev/null; then sudo "$@"
    else die "need root or sudo to run: $*"
    fi
}

# What a launcher's build needs, Debian's packages: the cross compiler, CMake,
# and for the brand kit Pillow, the fonts it sizes the dialogs in (fontTools
# makes some of them of two) and Unicode's data it reads a name's characters
# by. No Wine.
BUILD_PACKAGES="g++-mingw-w64-i686 binutils-mingw-w64-i686 cmake ninja-build python3-pil fonts-wine
                fonts-dejavu-core fonts-tlwg-loma-ttf fonts-vlgothic fonts-wqy-microhei
                fonts-noto-core fonts-noto-ui-core python3-fonttools
                unicode-data python3-confusable-homoglyphs shared-mime-info"
# ... and what the preview, the tests and signing add (the tests a faint face too).
RUN_PACKAGES="wine wine32:i386 wine64 xvfb xauth x11-utils imagemagick locales osslsigncode openssl
              fonts-lohit-deva"

# Installs whatever of the tool chain and test runtime is missing.
setup() {
    local pkgs="$BUILD_PACKAGES $RUN_PACKAGES" missing=""
    for p in $pkgs; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
    done
    if [ -n "$missing" ]; then
        echo "== installing:$missing"
        dpkg --print-foreign-architectures | grep -qx i386 || as_root dpkg --add-architecture i386
        # A mirror in the middle of a sync fails one index now and then: try
        # again, and go on to the install, which says what it cannot find.
        for try in 1 2 3; do
            as_root apt-get update -q && break
            [ $try = 3 ] && echo "== apt-get update failed $try times; installing from the lists it has" >&2
            sleep $((try * 5))
        done
        # Without a suite's i386 list, the other architecture's newer versions
        # from that suite cannot be matched: then take the release's own.
        as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing \
            || as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
                   -t "$(. /etc/os-release && echo "$VERSION_CODENAME")" $missing \
            || die "could not install:$missing"
    fi
    # the locales the tests run their brands under
    for l in ja_JP de_DE fr_FR ru_RU ko_KR en_US ar_SA; do need_locale $l.UTF-8; done
}

# Makes a UTF-8 locale such as ru_RU.UTF-8 unless the system has it: Wine
# takes its code page and the player's language from the locale.
need_locale() {
    local name=$1 source=${1/.UTF-8/}
    case $source in C|C.*|POSIX) return 0 ;; esac
    locale -a 2>/dev/null | grep -qix "${name/.UTF-8/.utf8}" && return 0
    echo "== making the locale $name"
    as_root localedef -c -i "$source" -f UTF-8 "$name" || die "could not make the locale $name"
}

# Configures the build (the brand file named, or the default brand; TESTS ON
# or OFF: with or without the tests and the benchmark, empty: as it was) and
# builds the targets named, or all.
# Ninja, as make takes a "#" in a folder's name for a comment.
build() {   # build BRAND_FILE TESTS [TARGET...]
    local brand=${1:+$(realpath "$1")} tests=$2
    shift 2
    if [ -f "$BUILD/CMakeCache.txt" ] && ! grep -q '^CMAKE_GENERATOR:INTERNAL=Ninja$' "$BUILD/CMakeCache.txt"; then
        rm -rf "$BUILD/CMakeCache.txt" "$BUILD/CMakeFiles"
    fi
    # configured as asked already: the build configures again itself where a brand file changed
    grep -qxF "BRAND:FILEPATH=$brand" "$BUILD/CMakeCache.txt" 2>/dev/null && [ -f "$BUILD/build.ninja" ] &&
        { [ -z "$tests" ] || grep -qx "BUILD_TESTING:BOOL=$tests" "$BUILD/CMakeCache.txt"; } ||
        cmake -G Ninja -S "$ROOT" -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/i686-w64-mingw32.cmake" \
            -DBRAND="$brand" ${tests:+-DBUILD_TESTING=$tests} >/dev/null || die "cmake configure failed"
    cmake --build "$BUILD" ${1:+--target "$@"} || die "build failed"
}

# Starts Xvfb on a free display unless told to use the one we have.
start_xvfb() {
    local n=90
    while [ -e /tmp/.X$n-lock ] || [ -e /tmp/.X11-unix/X$n ]; do n=$((n + 1)); done
    Xvfb :$n -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=:$n
    for _ in $(seq 50); do
        xdpyinfo >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    die "Xvfb did not start on $DISPLAY"
}

stop_all() {
    (use_arch win32 && wineserver -k >/dev/null 2>&1) || true
    (use_arch win64 && wineserver -k >/dev/null 2>&1) || true
    if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null || true; fi
}

# ./run's Xvfb and Wine server stay between runs, so that the next preview
# starts warm: the server lingers PREVIEW_LINGER seconds after its last program
# (wineserver -p), and a watcher ends the Xvfb once the server has ended.
# ./run --stop ends both at once; so do ./test and CI, which runs it.
PREVIEW_LINGER=600
session() {         # the kept display, its Xvfb and the prefix's architecture, if any
    read -r display pid arch 2>/dev/null < "$BUILD/preview-session"
}
start_session() {   # true where the last run's are still up; else a new Xvfb
    local display pid arch
    if session && [ "$arch" = "$WINEARCH" ] && kill -0 "$pid" 2>/dev/null &&
       DISPLAY=$display xdpyinfo >/dev/null 2>&1; then
        export DISPLAY=$display
        return 0
    fi
    stop_session
    start_xvfb
    return 1
}
keep_session() {    # once the prefix is ready, its server started to linger
    wineserver -w
    wineserver -p$PREVIEW_LINGER </dev/null >/dev/null 2>&1 || die "could not start the Wine server"
    # a program's answer: the server, which starts in the background, is up and holds its lock
    wine reg query 'HKCU\Control Panel\Desktop' /v LogPixels </dev/null >/dev/null 2>&1 ||
        die "the Wine server did not answer"
    (wineserver -w; kill "$XVFB_PID") </dev/null >/dev/null 2>&1 &
    echo "$DISPLAY $XVFB_PID $WINEARCH" > "$BUILD/preview-session"
}
stop_session() {
    local display pid arch
    if session; then
        (use_arch "$arch" && wineserver -k >/dev/null 2>&1) || true
        kill "$pid" 2>/dev/null || true
    fi
    rm -f "$BUILD/preview-session"
}
