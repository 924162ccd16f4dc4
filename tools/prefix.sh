# The Wine prefixes and every setting of theirs, in one place (the fixed ones
# in prefix.reg, imported at once): for ./run, ./test, the preview, the tests
# and the benchmark, which source this rather than env.sh, whose set-up, build
# and display it brings along.

source "$(dirname "${BASH_SOURCE[0]}")/env.sh"

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
    rm -f "$WINEPREFIX/dialog-settings.reg"
    DIALOG_SETTINGS=""
    dialog_settings - - classic yes 96
    map_build_drive
    wine_xinput
    wine_colours
}

# Windows' own dialog fonts (MS Sans Serif, Marlett for the caption's buttons,
# Tahoma), those the prefix lacks: Wine looks for them in the prefix only, and
# reads every font again that changed.
wine_fonts() {
    local fonts=$WINEPREFIX/drive_c/windows/Fonts file
    for file in /usr/share/wine/fonts/*; do
        [ -f "$fonts/${file##*/}" ] || cp -p "$file" "$fonts"/ || die "could not copy Wine's fonts"
    done
}

# The stand-ins the brand kit made (brand/fonts.py), as it last made them: once
# a preview, before its first dialog; a file the prefix has as it is stays, as
# a running Wine process may have it open.
stand_in_fonts() {
    local fonts=$WINEPREFIX/drive_c/windows/Fonts file
    for file in "$BUILD"/fonts/*.ttf; do
        [ -f "$file" ] || continue
        cmp -s "$file" "$fonts/${file##*/}" || cp -p "$file" "$fonts"/ || die "could not copy $file"
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
# Wine would smooth the stand-ins to gray, faint, so a dialog whose caption is
# in an East Asian face (or its stand-in) is drawn unsmoothed.
# With them the screen's DPI, as Windows' display scaling sets it (96 is 100 %,
# 144 is 150 %): all in one import, and none where the prefix has them already,
# as a preview's dialogs in one script mostly do.
dialog_settings() {  # dialog_settings STAND_IN CAPTION_FACE STYLE CAPTION_BOLD DPI, the faces each a face or -
    local fonts=$WINEPREFIX/drive_c/windows/Fonts face=${1#-} caption=${2#-} settings=$WINEPREFIX/dialog-settings
    local font="MS Sans Serif" other=Tahoma files="ss*.fon ms_sans_serif.ttf"
    # the same as the last call's in this shell: nothing to do, and a dozen processes saved
    [ "$WINEPREFIX $*" != "$DIALOG_SETTINGS" ] || return 0
    DIALOG_SETTINGS=""
    unset FONTCONFIG_FILE
    # the East Asian faces are those prefix.reg replaces, and their stand-ins
    [ -z "$caption" ] || ! grep -qF "\"$caption\"" "$ROOT/tools/prefix.reg" || unsmoothed_fonts
    [ "$3" = modern ] && font=Tahoma other="MS Sans Serif" files="tahoma*.ttf"
    wine_fonts      # what another dialog took out, back first
    if [ -n "$face" ]; then (cd "$fonts" && rm -f $files) || die "could not set the dialog font"; fi
    {
        printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
        if [ -n "$face" ]; then printf '"%s"="%s"\r\n"%s"=-\r\n' "$font" "$face" "$other"
        else printf '"MS Sans Serif"=-\r\n"Tahoma"=-\r\n'; fi
        printf '\r\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"LogPixels"=dword:%08x\r\n' "$5"
        printf '\r\n[HKEY_CURRENT_USER\\Control Panel\\Desktop\\WindowMetrics]\r\n"CaptionFont"=hex:%s\r\n' \
            "$(caption_font "${caption:-MS Shell Dlg}" "${4:-yes}")"
    } > "$settings.new" || die "could not write $settings.new"
    if ! cmp -s "$settings.new" "$settings.reg"; then
        (cd "$WINEPREFIX" && wine reg import dialog-settings.new >/dev/null 2>&1) || die "could not set the dialog's fonts"
        mv "$settings.new" "$settings.reg"
    fi
    DIALOG_SETTINGS="$WINEPREFIX $*"
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

# The title bar's font, as a .reg file's bytes: a LOGFONTW of FACE, 11 pixels
# high (lfHeight -11, as brand/fonts.py's CAPTION_HEIGHT measures it), bold.
caption_font() {    # caption_font FACE [BOLD: yes or no]
    local hex face height=f5ffffff weight=bc02
    [ "$2" != no ] || weight=9001
    face=$(printf %s "$1" | iconv -t UTF-16LE | od -An -v -tx1 | tr -d ' \n')
    hex=${height}000000000000000000000000${weight}00000000000000000022$face
    while [ ${#hex} -lt 184 ]; do hex=${hex}00; done
    sed 's/../&,/g; s/,$//' <<< "$hex"
}

# Drive L: is the build folder, so that what runs under Wine has short ASCII
# paths whatever folder the clone lies in and whatever the code page; drive T:
# a folder of the tests', for a launcher in a drive's root.
map_build_drive() {
    mkdir -p "$WINEPREFIX/dosdevices" "$BUILD/drive-t" && ln -sfn "$BUILD" "$WINEPREFIX/dosdevices/l:" &&
        ln -sfn "$BUILD/drive-t" "$WINEPREFIX/dosdevices/t:" || die "could not map drives L: and T: in $WINEPREFIX"
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

# Windows 10 and 11's system colours in the prefix (windows-colours.reg), and
# Wine's own again, the same values taken out (what an interrupted preview
# leaves, the prefix's set-up takes out).
windows_colours() {
    (cd "$ROOT/tools" && wine reg import windows-colours.reg >/dev/null 2>&1) ||
        die "could not set Windows' colours in the prefix"
}
wine_colours() {
    sed 's/^\("[A-Za-z]*"\)=.*/\1=-/' "$ROOT/tools/windows-colours.reg" > "$WINEPREFIX/wine-colours.reg" &&
        (cd "$WINEPREFIX" && wine reg import wine-colours.reg >/dev/null 2>&1) ||
        die "could not put Wine's colours back in the prefix"
}
