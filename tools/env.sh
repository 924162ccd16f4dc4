# Shared by ./run, ./test, the preview, the tests and the benchmark, which
# source it: set-up, build, a Wine prefix of our own and every setting of it,
# and an X display. LAUNCHER_BUILD names the build folder when it is not build/.

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
# and for the brand kit Pillow, the fonts it sizes the dialogs in and Unicode's
# data it reads a name's characters by. No Wine.
BUILD_PACKAGES="g++-mingw-w64-i686 binutils-mingw-w64-i686 cmake ninja-build python3-pil fonts-wine
                fonts-dejavu-core fonts-tlwg-loma-ttf fonts-lohit-deva fonts-meera-inimai fonts-freefont-ttf
                fonts-vlgothic fonts-wqy-microhei
                unicode-data python3-confusable-homoglyphs"
# ... and what the preview, the tests and signing add.
RUN_PACKAGES="wine wine32:i386 wine64 xvfb xauth x11-utils imagemagick locales osslsigncode openssl"

# Installs whatever of the tool chain and test runtime is missing.
setup() {
    local pkgs="$BUILD_PACKAGES $RUN_PACKAGES" missing=""
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
    # the locales the tests run their brands under
    for l in ja_JP de_DE fr_FR ru_RU ko_KR en_US; do need_locale $l.UTF-8; done
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
    cmake -G Ninja -S "$ROOT" -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/i686-w64-mingw32.cmake" \
        -DBRAND="$brand" ${tests:+-DBUILD_TESTING=$tests} >/dev/null || die "cmake configure failed"
    cmake --build "$BUILD" ${1:+--target "$@"} || die "build failed"
}

# A prefix made once and kept in the build tree; never the user's ~/.wine.
wine_prefix() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "== making the $WINEARCH Wine prefix $WINEPREFIX (takes a while once)"
        wineboot -i >/dev/null 2>&1 || die "wineboot failed"
    fi
    if [ ! -f "$WINEPREFIX/drive_c/windows/Fonts/marlett.ttf" ]; then
        wine_fonts
        wineserver -k >/dev/null 2>&1 || true
    fi
    # The prefix's own settings, one file (a relative name: Wine takes the folder as it is)
    (cd "$ROOT/tools" && wine reg import prefix.reg >/dev/null 2>&1) ||
        die "could not import tools/prefix.reg into the Wine prefix"
    wineserver -w
    dialog_fonts - -
    screen_dpi 96
    map_build_drive
    wine_xinput
}

# Windows' own dialog fonts (MS Sans Serif, Marlett for the caption's buttons,
# Tahoma), those the prefix lacks: Wine looks for them in the prefix only, and
# reads every font again that changed.
wine_fonts() {
    local fonts=$WINEPREFIX/drive_c/windows/Fonts file
    for file in /usr/share/wine/fonts/*; do
        [ -f "$fonts/${file##*/}" ] || cp "$file" "$fonts"/ || die "could not copy Wine's fonts"
    done
}

# The fonts a dialog is drawn in. Wine's MS Sans Serif draws Thai, Hebrew and
# Arabic letters as boxes and has no Devanagari or Vietnamese ones, where
# Windows draws them in a font of their script; Wine's Tahoma lacks Greek too.
# For a dialog in such a script the build names a Debian font that stands in
# (the build record's stand_in): the prefix goes without MS Sans Serif, or a
# modern launcher's Tahoma ("MS Shell Dlg 2"), and draws the dialog in that
# face. The build names the caption's face too (caption_face): the stand-in,
# an East Asian language's dialog font (VL Gothic or WenQuanYi stand in,
# tools/prefix.reg), or - for Tahoma (as "MS Shell Dlg", bold 8 pt). Windows
# draws the East Asian ones at 8 pt from their own bitmaps, crisp and black;
# Wine would smooth the stand-ins to gray, so their dialogs are drawn unsmoothed.
dialog_fonts() {    # dialog_fonts STAND_IN CAPTION_FACE [STYLE [CAPTION_BOLD]], the faces each a face or -
    local fonts=$WINEPREFIX/drive_c/windows/Fonts face=${1#-} caption=${2#-}
    local replacements='HKCU\Software\Wine\Fonts\Replacements' font="MS Sans Serif" files="ss*.fon ms_sans_serif.ttf"
    unset FONTCONFIG_FILE
    [ -n "$face" ] || [ -z "$caption" ] || unsmoothed_fonts
    # what another dialog took out, back first
    if [ ! -f "$fonts/sserife.fon" ] || [ ! -f "$fonts/tahoma.ttf" ]; then
        wine_fonts
        wine reg delete "$replacements" /v "MS Sans Serif" /f >/dev/null 2>&1 || true
        wine reg delete "$replacements" /v Tahoma /f >/dev/null 2>&1 || true
    fi
    if [ -n "$face" ]; then
        [ "$3" = modern ] && font=Tahoma files="tahoma*.ttf"
        (cd "$fonts" && rm -f $files) &&
        wine reg add "$replacements" /v "$font" /d "$face" /f >/dev/null 2>&1 || die "could not set the dialog font"
    fi
    caption_font "${caption:-MS Shell Dlg}" "${4:-yes}"
}

# Wine smooths the fonts it finds through fontconfig as fontconfig says: here, not at all.
unsmoothed_fonts() {
    local conf=$WINEPREFIX/unsmoothed-fonts.conf
    [ -f "$conf" ] || cat > "$conf" <<'END' || die "could not write $conf"
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "fonts.dtd">
<fontconfig>
  <include ignore_missing="yes">/etc/fonts/fonts.conf</include>
  <match target="font"><edit name="antialias" mode="assign"><bool>false</bool></edit></match>
</fontconfig>
END
    export FONTCONFIG_FILE=$conf
}

# The screen's DPI, as Windows' display scaling sets it: 96 is 100 %, 144 is 150 %.
screen_dpi() {      # screen_dpi DPI
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1 ||
        die "could not set the DPI"
}

# The title bar's font: a LOGFONTW of FACE, 11 pixels high, bold.
caption_font() {    # caption_font FACE [BOLD: yes or no]
    local hex face weight=bc02
    [ "$2" != no ] || weight=9001
    face=$(printf %s "$1" | iconv -t UTF-16LE | od -An -v -tx1 | tr -d ' \n')
    hex=f5ffffff000000000000000000000000${weight}00000000000000000022$face
    while [ ${#hex} -lt 184 ]; do hex=${hex}00; done
    wine reg add 'HKCU\Control Panel\Desktop\WindowMetrics' /v CaptionFont /t REG_BINARY /d "$hex" /f \
        >/dev/null 2>&1 || die "could not set the caption font"
}

# Drive L: is the build folder, so that what runs under Wine has short ASCII
# paths whatever folder the clone lies in and whatever the code page; drive T:
# a folder of the tests', for a launcher in a drive's root.
map_build_drive() {
    mkdir -p "$WINEPREFIX/dosdevices" "$BUILD/drive-t" && ln -sfn "$BUILD" "$WINEPREFIX/dosdevices/l:" &&
        ln -sfn "$BUILD/drive-t" "$WINEPREFIX/dosdevices/t:" || die "could not map drives L: and T: in $WINEPREFIX"
}

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

xinput_dir() {
    if [ "$WINEARCH" = win64 ]; then echo "$WINEPREFIX/drive_c/windows/syswow64"
    else echo "$WINEPREFIX/drive_c/windows/system32"; fi
}

# Wine's own XInput, as the prefix was made.
wine_xinput() {
    local dir v
    dir=$(xinput_dir)
    [ ! -f "$dir/xinput1_4.dll.wine" ] || mv -f "$dir/xinput1_4.dll.wine" "$dir/xinput1_4.dll" ||
        die "could not put Wine's XInput back in $dir"
    rm -f "$dir/xinput-loaded.txt"      # the stand-in's, each time it was loaded
    for v in xinput1_4 xinput9_1_0; do
        wine reg delete 'HKCU\Software\Wine\DllOverrides' /v $v /f >/dev/null 2>&1 || true
    done
}

# Both prefixes, for the tests.
wine_prefixes() {
    (use_arch win32 && wine_prefix) && (use_arch win64 && wine_prefix) || exit 1
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

