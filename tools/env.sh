# Shared by ./run and ./test: set-up, build, a Wine prefix of our own and an X display.
# Sourced, not run.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=$ROOT/build
export WINEPREFIX=$BUILD/wineprefix
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

die() { echo "error: $*" >&2; exit 1; }

as_root() {
    if [ "$(id -u)" = 0 ]; then "$@"
    elif command -v sudo >/dev/null; then sudo "$@"
    else die "need root or sudo to run: $*"
    fi
}

# Installs whatever of the tool chain and test runtime is missing.
setup() {
    local pkgs="g++-mingw-w64-i686 binutils-mingw-w64-i686 cmake make wine wine32:i386 fonts-wine
                xvfb xauth x11-utils imagemagick locales fonts-vlgothic python3-pil osslsigncode openssl"
    local missing=""
    for p in $pkgs; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
    done
    if [ -n "$missing" ]; then
        echo "== installing:$missing"
        dpkg --print-foreign-architectures | grep -qx i386 || as_root dpkg --add-architecture i386
        as_root apt-get update -q || die "apt-get update failed"
        as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing \
            || die "could not install:$missing"
    fi
    if ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$'; then
        as_root sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
        as_root locale-gen >/dev/null || die "locale-gen failed"
    fi
}

# Builds the brand file named, or the default brand.
build() {
    cmake -S "$ROOT" -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/i686-w64-mingw32.cmake" \
        -DBRAND="${1:+$(realpath "$1")}" >/dev/null || die "cmake configure failed"
    cmake --build "$BUILD" -j2 || die "build failed"
}

# A prefix made once and kept in the build tree; never the user's ~/.wine.
wine_prefix() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "== making Wine prefix $WINEPREFIX (takes a while once)"
        wineboot -i >/dev/null 2>&1 || die "wineboot failed"
    fi
    # Windows' own dialog fonts (MS Sans Serif, Marlett for the caption's
    # buttons, Tahoma): Wine looks for them in the prefix only.
    if [ ! -f "$WINEPREFIX/drive_c/windows/Fonts/marlett.ttf" ]; then
        cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" || die "could not copy Wine's fonts"
        wineserver -k >/dev/null 2>&1 || true
    fi
    # Without a window manager Wine stalls on every hide unless its windows are unmanaged,
    # and its crash dialog would wait for a person. Under a Japanese code page Wine
    # draws what MS Sans Serif lacks from MS UI Gothic, as Japanese Windows does; Debian's
    # VL Gothic stands in for it.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 &&
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "MS UI Gothic" /d "VL Gothic" /f >/dev/null 2>&1 &&
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 ||
        die "could not configure the Wine prefix"
    wineserver -w
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
    wineserver -k >/dev/null 2>&1 || true
    if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null || true; fi
}
