#!/usr/bin/python3
"""Checks the brand step: each kind of bad brand file is refused with a message
naming its file, line and key; each brand's texts get the code page, the
locale, the script and the layout they are previewed under; the language tags
are Windows' own; language sections become templates of their
languages; pictures of any shape come out in the launcher's bitmap format and
icons in Windows' icon format; and CMake's configure stops on a bad brand.

    brand_files.py SOURCE_DIR WORK_DIR"""
import io
import itertools
import os
import random
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import unicodedata
import zlib

from PIL import Image

SOURCE, WORK = sys.argv[1], sys.argv[2]
BRAND_PY = os.path.join(SOURCE, "brand", "brand.py")
sys.path[:0] = [os.path.dirname(BRAND_PY), os.path.join(SOURCE, "tools")]
from brand import read_record  # noqa: E402
import rules  # noqa: E402
import hostile  # noqa: E402
GOOD = {"exe": "game.exe", "caption": "A caption", "line1": "Do you wish to",
        "line2": "play?", "picture": "pic.png", "class": "Some Class"}
TOP = "".join(f"{k} = {v}\n" for k, v in GOOD.items()).encode()
failures = checks = 0


def ok(cond, message):
    global failures, checks
    checks += 1
    if not cond:
        failures += 1
        print(f"brand_files.py: Test failed: {message}")
    return cond


def brand_file(name, lines=None, raw=None):
    """A brand file in WORK, from GOOD with the given lines replacing or adding keys."""
    path = os.path.join(WORK, name)
    if raw is None:
        values = dict(GOOD, **(lines or {}))
        raw = "".join(f"{k} = {v}\n" for k, v in values.items() if v is not None).encode()
    with open(path, "wb") as f:
        f.write(raw)
    return path


def run(path, out="out"):
    return subprocess.run([sys.executable, BRAND_PY, path, os.path.join(WORK, out)],
                          capture_output=True, text=True)


def built(path, out="out", what=None):
    """Builds a brand that must be accepted; whether it was, as a check."""
    res = run(path, out)
    return ok(res.returncode == 0, f"{what or os.path.basename(path) + ' into ' + out}: refused: {res.stderr.strip()}")


def brand_h(out):
    """The brand.h that a build wrote."""
    with open(os.path.join(WORK, out, "brand.h"), encoding="utf-8") as f:
        return f.read()


# name, the lines changed (None drops a key) or raw bytes, and what the message must hold
BAD = [
    ("unknown key", {"colour": "red"}, None, ":7: colour"),
    ("missing key", {"class": None}, None, ": class: missing"),
    ("repeated key", None, b"exe = a.exe\nexe = b.exe\n", ":2: exe"),
    ("empty value", {"line1": ""}, None, ":3: line1"),
    ("no equals sign", None, b"# comment\nexe game.exe\n", ":2: exe game.exe"),
    ("not UTF-8", None, b"exe = game.exe\ncaption = caf\xe9\n", ":2:"),
    ("class not ASCII", {"class": "Caf\u00e9"}, None, ":6: class"),
    ("class with a control character", {"class": "A\x01B"}, None, ":6: class"),
    ("class too long", {"class": "C" * 256}, None, ":6: class"),
    ("exe without .exe", {"exe": "game.com"}, None, ":1: exe"),
    ("exe with no name", {"exe": ".exe"}, None, ":1: exe"),
    ("exe with a forbidden character", {"exe": "ga:me.exe"}, None, ":1: exe"),
    ("exe a device name", {"exe": "con.exe"}, None, ":1: exe"),
    ("exe a device name in capitals", {"exe": "LPT1.exe"}, None, ":1: exe"),
    ("exe with install", {"exe": "Install.exe"}, None, ":1: exe"),
    ("exe with setup", {"exe": "gamesetup.exe"}, None, ":1: exe"),
    ("exe with update", {"exe": "update2.exe"}, None, ":1: exe"),
    ("exe with patch", {"exe": "patch.exe"}, None, ":1: exe"),
    ("exe with upgrade", {"exe": "upgrade.exe"}, None, ":1: exe"),
    ("exe with uninst", {"exe": "uninst.exe"}, None, ":1: exe"),
    ("missing picture", {"picture": "none.png"}, None, ":5: picture"),
    ("picture not an image", {"picture": "text.png"}, None, ":5: picture"),
    ("exe longer than Windows takes", {"exe": "g" * 252 + ".exe"}, None, ":1: exe"),
    ("game not ASCII", {"game": "Spiel\u00e9.exe"}, None, ":7: game"),
    ("game with no program", {"game": '"" -x'}, None, ":7: game"),
    ("game with an open quote", {"game": '"My Game.exe -x'}, None, ":7: game"),
    ("game longer than MAX_PATH", {"game": "g.exe " + "x" * 254}, None, ":7: game"),
    ("icon not an image", {"icon": "text.png"}, None, ":7: icon"),
    ("section before the top part", None, b"[de]\ncaption = Hallo\n", ":1: [de]"),
    ("sections without language", None, TOP + b"[de]\ncaption = Hallo\n", ":7: [de]"),
    ("unknown language tag", None, TOP + b"language = en-US\n[xx]\n", ":8: [xx]"),
    ("unknown style", {"style": "fancy"}, None, ":7: style"),
    ("gamepad neither yes nor no", {"gamepad": "maybe"}, None, ":7: gamepad"),
    ("country of a tag without one", None, TOP + b"language = en-US\n[he-IL]\n", "did you mean he?"),
    ("repeated language tag", None, TOP + b"language = en-US\n[de]\n[DE]\n", ":9: [DE]"),
    ("section of the top part's language", None, TOP + b"language = de\n[de]\n", ":8: [de]"),
    ("key a section may not set", None, TOP + b"language = en-US\n[de]\nexe = b.exe\n", ":9: exe"),
    ("unknown top language", {"language": "klingon"}, None, ":7: language"),
    # what the build or Windows would not take as written
    ("exe with ;", {"exe": "a;b.exe"}, None, ":1: exe"),
    ("exe with $(", {"exe": "a$(X).exe"}, None, ":1: exe"),
    ("exe with %", {"exe": "a%b%.exe"}, None, ":1: exe"),
    ("exe of 255 characters in 506 bytes", {"exe": "\u00e9" * 251 + ".exe"}, None, ":1: exe"),
    ("exe of 256 UTF-16 units", {"exe": "\U0001f600" * 126 + ".exe"}, None, ":1: exe"),
    ("exe COM with a superscript", {"exe": "COM\u00b9.exe"}, None, ":1: exe"),
    ("exe LPT with a superscript", {"exe": "lpt\u00b3.exe"}, None, ":1: exe"),
    ("exe CONIN$", {"exe": "CONIN$.exe"}, None, ":1: exe"),
    ("exe CONOUT$", {"exe": "conout$.exe"}, None, ":1: exe"),
    ("caption of 600 characters", {"caption": "c" * 600}, None, ":2: caption"),
    ("long text in a section", None, TOP + ("language = en-US\n[de]\nline2 = " + "x" * 300).encode(), ":9: line2"),
    ("line1 starting with U+FFFF", {"line1": "\uffffHallo"}, None, ":3: line1"),
    ("class of Windows' dialogs", {"class": "#32770"}, None, ":6: class"),
    ("caption wider than a screen", {"caption": "W" * 80}, None, ":2: caption: the caption is 880 pixels wide in "
     "the title bar's font; the dialog would be 908 pixels wide"),
    ("cancel wider than a screen", {"cancel": "W" * 60}, None, ":7: cancel: the dialog would be"),
    ("class of the taskbar", {"class": "Shell_TrayWnd"}, None, ":6: class"),
    ("class of the desktop", {"class": "progman"}, None, ":6: class"),
    ("game with a stray quote", {"game": 'a.exe"'}, None, ":7: game"),
    ("game with a pipe", {"game": "a|b.exe"}, None, ":7: game"),
    ("game a device", {"game": "con"}, None, ":7: game"),
    ("game an option", {"game": "-window"}, None, ":7: game"),
    ("game with a variable", {"game": "%GAME%.exe"}, None, ":7: game"),
    ("game with a space, unquoted", {"game": "North Peak.exe -x"}, None, ":7: game: a program's name with a space "
     'must be quoted, or Windows tries North.exe first, wherever it lies: write game = "North Peak.exe" -x'),
    # a game line that Windows' readers would read two ways, answered with the form to write
    ("game without an extension", {"game": "North Peak"}, None, ':7: game: North Peak has no extension, so Windows '
     'runs North.exe and the shell may run another file: name the program with its extension, quoted if it holds a '
     'space: write game = "North Peak.exe"'),
    ("game without an extension, then an option", {"game": "North Peak -window"}, None,
     'write game = "North Peak.exe" -window'),
    ("game in a folder, without an extension", {"game": "bin\\North Peak"}, None, 'write game = "bin\\North Peak.exe"'),
    ("game whose first word has a dot", {"game": "v1.2 Peak.exe"}, None, 'Windows tries v1.2 first, wherever it '
     'lies: write game = "v1.2 Peak.exe"'),
    ("game whose first word has an extension", {"game": "North.v2 Peak.exe -window"}, None,
     'write game = "North.v2 Peak.exe" -window'),
    ("game of another type", {"game": "game.txt"}, None, ":7: game: game.txt is not a program's name"),
    ("game of a numbered type", {"game": "game.v2 -x"}, None, ":7: game: game.v2 is not a program's name"),
    ("game glued to its closing quote", {"game": '"North Peak.exe"-window'}, None, '"North Peak.exe"-window as one '
     'word, the shell as two: put a space after the program\'s quote: write game = "North Peak.exe" -window'),
    ("game ending inside quotes by a backslash", {"game": 'game.exe -path "C:\\Games\\" -window'}, None,
     'double it: write game = game.exe -path "C:\\Games\\\\" -window'),
    ("game with \"\" inside quotes", {"game": 'game.exe -title "12"" screen"'}, None,
     ':7: game: some programs read "" inside quotes as a quote, others as the end of the quotes'),
    ("batch file with an open quote", {"game": 'play.bat "x'}, None, ":7: game: a quote is not closed"),
    # damaged or hostile images
    ("picture a FIFO", {"picture": "fifo.png"}, None, ":5: picture"),
    ("picture of 13370x13370", {"picture": "huge.png"}, None, ":5: picture"),
    ("picture a TIFF", {"picture": "pic.tif"}, None, ":5: picture"),
    ("picture with a wrong case", {"picture": "PIC.png"}, None, "there is pic.png"),
    ("icon with a damaged frame", {"icon": "damaged.ico"}, None, ":7: icon"),
    ("icon whose frame size lies", {"icon": "lying.ico"}, None, ":7: icon"),
    ("icon whose unused frame lies", {"icon": "lying20.ico"}, None, ":7: icon: the 20x20 frame"),
    ("icon whose only frame lies", {"icon": "lying1.ico"}, None, ":7: icon: the 32x32 frame"),
    ("language tag written with _", None, TOP + b"language = en-US\n[pt_BR]\nline1 = Jogar\n",
     ":8: [pt_BR]: unknown language tag (did you mean pt-BR?)"),
    ("language the kit does not build", {"language": "sw"}, None, "(Swahili, a language the kit builds no dialog of "
     "its own for: a brand without sections, written in it, builds the one dialog every player sees)"),
    ("language pack's dialog in English", {"language": "bn"}, None, ":7: language: none of the Bengali dialog's texts "
     "holds a Bengali letter"),
    ("label with a lone &", {"play": "Sun & Sea"}, None, ":7: play: an & underlines the letter after it, and none "
     "follows: write Sun && Sea to show the &"),
    # names that show as another: direction controls and invisible characters
    ("exe with U+202E", {"exe": "photo\u202egpj.exe"}, None, ":1: exe: U+202E RIGHT-TO-LEFT OVERRIDE shows nothing"),
    ("exe with U+200E", {"exe": "game\u200e.exe"}, None, ":1: exe: U+200E LEFT-TO-RIGHT MARK"),
    ("exe with U+2066", {"exe": "game\u2066.exe"}, None, ":1: exe: U+2066 LEFT-TO-RIGHT ISOLATE"),
    ("exe with U+200B alone", {"exe": "\u200b.exe"}, None, ":1: exe: U+200B ZERO WIDTH SPACE"),
    ("exe with a variation selector", {"exe": "game\ufe0f.exe"}, None, ":1: exe: U+FE0F VARIATION SELECTOR-16"),
    ("play of a zero-width space alone", {"play": "\u200b"}, None, ":7: play: the value is empty but for U+200B"),
    ("cancel of a word joiner alone", {"cancel": "\u2060"}, None, ":7: cancel: the value is empty but for U+2060"),
    ("right-to-left line too long with its marks", {"language": "he", "caption": "שלום", "line2": "האם",
                                                     "line1": "\u05e9" + "\u05b0" * 253 + "?", "play": "שחק",
                                                     "cancel": "ביטול"}, None,
     ":3: line1: with the invisible marks that make Wine read it right to left too, the text has 257 UTF-16 "
     "units; each text may have at most 255: shorten it by 2"),
    # the file's properties
    ("version with a part Windows cannot store", {"version": "1.4.70000"}, None, ":7: version: 70000 is more than "
     "65535, the most Windows stores in each part of a version"),
    ("version of five parts", {"version": "1.2.3.4.5"}, None, ":7: version: a version is one to four numbers"),
    ("version with a letter", {"version": "1.2b"}, None, ":7: version: a version is one to four numbers"),
    ("website without its scheme", {"website": "www.example.com"}, None, ":7: website: a web address begins"),
    ("key a section may not set but product", None, TOP + b"language = en-US\n[de]\nproduct = X\npublisher = Y\n",
     ":10: publisher: a language section may set only caption, line1, line2, play, cancel, product"),
    # names that would show as another file's, by Unicode's own data
    ("exe with a Khmer vowel that shows nothing", {"exe": "ga\u17b4me.exe"}, None, ":1: exe: U+17B4 KHMER VOWEL"),
    ("exe with an unassigned default-ignorable", {"exe": "game\u2065.exe"}, None, ":1: exe: U+2065 shows nothing"),
    ("exe with a default-ignorable of plane 14", {"exe": "game\U000e0080.exe"}, None, ":1: exe: U+E0080 shows"),
    ("exe that shows as blank", {"exe": "\u2800.exe"}, None, ":1: exe: the name before .exe shows as blank "
     "(U+2800 BRAILLE PATTERN BLANK)"),
    ("exe with a second extension", {"exe": "invoice.pdf.exe"}, None, ":1: exe: Explorer, which hides the "
     "extensions it knows, would show the player invoice.pdf, the name of a .pdf file, not a program's: leave "
     "out .pdf"),
    ("exe with a dot leader for a dot", {"exe": "photo\u2024jpg.exe"}, None, "would show the player photo\u2024jpg, "
     "the name of a .jpg file, not a program's (U+2024 ONE DOT LEADER: not the plain letter or dot it looks like)"),
    ("exe with a fullwidth second extension", {"exe": "game\uff0e\uff45\uff58\uff45.exe"}, None,
     "the name of a .exe file"),
    ("exe with a Cyrillic second extension", {"exe": "game.\u0435\u0445\u0435.exe"}, None,
     "U+0435 CYRILLIC SMALL LETTER IE, U+0445 CYRILLIC SMALL LETTER HA: not the plain letter"),
    ("exe with spaces before .exe", {"exe": "photo.jpg" + " " * 60 + ".exe"}, None, ":1: exe: 60 spaces at "
     "character 10 push the name's end out of sight in Explorer, which may show it as photo.jpg..."),
    # a second extension behind what Explorer shows nothing of, and of any type the system knows
    ("exe with a second extension behind a space", {"exe": "invoice.pdf .exe"}, None, ":1: exe: Explorer, which "
     "hides the extensions it knows, would show the player invoice.pdf , the name of a .pdf file, not a program's: "
     "leave out .pdf "),
    ("exe with a second extension behind a dot", {"exe": "invoice.pdf..exe"}, None, "the name of a .pdf file"),
    ("exe with a second extension behind a no-break space", {"exe": "photo.jpg\u00a0.exe"}, None,
     "the name of a .jpg file"),
    ("exe with a second extension behind an ideographic space", {"exe": "photo.jpg\u3000.exe"}, None,
     "the name of a .jpg file"),
    ("exe with a second extension behind an en space", {"exe": "photo.jpg\u2002.exe"}, None,
     "the name of a .jpg file"),
    ("exe with .jfif before .exe", {"exe": "photo.jfif.exe"}, None, "the name of a .jfif file"),
    ("exe with .xps before .exe", {"exe": "form.xps.exe"}, None, "the name of a .xps file"),
    ("exe with .chm before .exe", {"exe": "help.chm.exe"}, None, "the name of a .chm file"),
    ("exe with .tar.gz before .exe", {"exe": "game.tar.gz.exe"}, None, "the name of a .gz file"),
    ("exe with .lnk before .exe", {"exe": "Peak.lnk.exe"}, None, "the name of a .lnk file"),
    ("exe with .hta before .exe", {"exe": "Peak.hta.exe"}, None, "the name of a .hta file"),
    # the file's properties show as the file's name does
    ("publisher with U+202E", {"publisher": "Games\u202emoc", "version": "1"}, None,
     ":7: publisher: U+202E RIGHT-TO-LEFT OVERRIDE shows nothing, turns the text round"),
    ("product with U+200B", {"product": "North\u200bPeak", "publisher": "P", "version": "1"}, None,
     ":7: product: U+200B ZERO WIDTH SPACE"),
    ("copyright with U+2028", {"copyright": "\u00a9 2026\u2028Peak", "publisher": "P", "version": "1"}, None,
     ":7: copyright: U+2028 LINE SEPARATOR"),
    ("a section's product with a private character", None, TOP + "language = en-US\npublisher = P\nversion = 1\n"
     "[de]\nproduct = Gipfel\ue000\n".encode(), ":11: product [de]: U+E000"),
    ("PNG with a colour profile larger than Pillow reads", {"picture": "profile.png"}, None,
     ":5: picture: cannot read " + os.path.join(WORK, "profile.png") + " as a PNG:"),
    ("an unknown key with U+202E", None, TOP + "col\u202eour = red\n".encode(), ":7: col\\u202eour: unknown key"),
    ("game in typographic quotes", {"game": "\u201cNorth Peak.exe\u201d -x"}, None, '(type a plain " instead)'),
    ("picture of 20000x20000", {"picture": "bomb.png"}, None, ":5: picture: " + os.path.join(WORK, "bomb.png") +
     " is 20000x20000"),
    ("picture of 10000x10000", {"picture": "big.png"}, None, ":5: picture: " + os.path.join(WORK, "big.png") +
     " is 10000x10000"),
    ("JPEG of 20,000 scans", {"picture": "scans.jpg"}, None, "is a JPEG of more than 64 scans"),
    ("PNG of a million empty pixel chunks", {"picture": "idats.png"}, None, "is a PNG of more than 4,096 chunks"),
    ("GIF of a million one-byte sub-blocks", {"picture": "subblocks.gif"}, None, "is a GIF of more than 4,096"),
    (".ico whose PNG frame is larger than its directory says", {"icon": "frame.ico"}, None,
     ":7: icon: the 16x16 frame of "),
    ("run-length BMP of more codes than pixels", {"picture": "lines.bmp"}, None,
     ":5: picture: " + os.path.join(WORK, "lines.bmp") + " is a run-length BMP whose codes take 60,000,002 bytes, "
     "more than its 16,777,216 bytes of pixels would take uncompressed"),
    ("JPEG of 20,000 scans opened as MPO", {"picture": "mpo.jpg"}, None, "is a JPEG of more than 64 scans"),
    ("GIF comment of 16,384 sub-blocks", {"picture": "comment.gif"}, None, "is a GIF of more than 4,096 chunks"),
    ("PNG of 100,000 empty chunks", {"picture": "chunks.png"}, None, "is a PNG of more than 4,096 chunks"),
    (".ico of 2,000 frames", {"icon": "frames.ico"}, None, ":7: icon: " + os.path.join(WORK, "frames.ico") +
     " has 2,000 frames"),
    ("picture of 1x8192", {"picture": "thin.png", "style": "modern"}, None, ":5: picture: " +
     os.path.join(WORK, "thin.png") + " is 1x8192 pixels; in its square it would lose most of itself"),
    ("a bad icon beside a costly picture", {"picture": "costly.png", "icon": "damaged.ico", "style": "modern"},
     None, ":7: icon:"),
    ("NUL in picture", {"picture": "pic\0.png"}, None, ":5: picture: U+0000 is a control character"),
    # what a publisher gets wrong, and is told plainly
    ("misspelt key", None, TOP + b"captoin = x\n", ":7: captoin: unknown key (did you mean caption?)"),
    ("game with an en dash", {"game": "game.exe \u2013window"}, None, "U+2013 EN DASH"),
    ("a Latin-1 file", None, b"exe = game.exe\ncaption = caf\xe9\n", ":2: the line is not valid UTF-8 (it looks like "
     "Windows-1252"),
    ("a UTF-16 file", None, "exe = game.exe\n".encode("utf-16"), ":1: the file is UTF-16"),
    ("a UTF-32 file", None, "exe = game.exe\n".encode("utf-32"), ":1: the file is UTF-32; save it as UTF-8"),
    ("a UTF-16 file without a byte-order mark", None, "exe = game.exe\n".encode("utf-16-le"),
     ":1: the file is UTF-16 without a byte-order mark; save it as UTF-8"),
    ("game a folder above", {"game": "bin\\.."}, None, ":7: game: bin\\.. names a folder, not a program"),
    ("game with a part longer than Windows takes", {"game": "g" * 253 + ".exe"}, None,
     ":7: game: a part of the program's path has 257 characters; Windows takes at most 255"),
    ("exe with a comma", {"exe": "x,--no-dynamicbase.exe"}, None, ":1: exe"),
    ("exe with U+007F", {"exe": "a\x7f.exe"}, None, ":1: exe: U+007F"),
    ("text with U+0085", {"line1": "Hal\x85lo"}, None, ":3: line1: U+0085"),
    ("20 MB file", None, TOP + b"[" + b"x" * (20 << 20) + b"]\n", f": the file has {len(TOP) + (20 << 20) + 3:,} bytes"),
    ("100 KB section header", None, TOP + b"[" + b"x" * 100000 + b"]\n", ":7: the line has 100,002 bytes"),
    ("English under he", {"language": "he"}, None, ":7: language: none of the Hebrew dialog's texts"),
    # a script no font of the preview draws is refused, named by Unicode's data, not shown as boxes
    ("Tibetan", {"line1": "རྩེད་མོ"}, None, ":3: line1: U+0F62 TIBETAN LETTER RA, of Unicode's Tibetan script, is "
     "drawn by no font of the preview"),
    ("Old Italic in a Japanese caption", {"caption": "山 𐌀", "language": "ja"}, None,
     ":2: caption: U+10300 OLD ITALIC LETTER A, of Unicode's Old Italic script"),
    # a batch file's line, which cmd reads by rules of its own
    ("batch name with & unquoted", {"game": "Tom&Jerry.bat"}, None, ":7: game: cmd reads U+0026 AMPERSAND in "
     'Tom&Jerry.bat as its own and would run another file or command: quote the name, which cmd then takes whole: '
     'write game = "Tom&Jerry.bat"'),
    ("batch name with ^ unquoted", {"game": "game^1.bat -x"}, None, 'U+005E CIRCUMFLEX ACCENT in game^1.bat as its '
     'own and would run another file or command: quote the name, which cmd then takes whole: write game = '
     '"game^1.bat" -x'),
    ("batch name with ( ) , unquoted", {"game": "Rock(1),2.cmd"}, None, 'write game = "Rock(1),2.cmd"'),
    ("batch name with %", {"game": '"50%.bat"'}, None, ":7: game: cmd reads U+0025 PERCENT SIGN in a batch "
     "file's name as part of a variable, even in quotes"),
    ("batch name with !", {"game": '"Go!.cmd"'}, None, ":7: game: cmd reads U+0021 EXCLAMATION MARK in a batch"),
    ("batch argument with & outside quotes", {"game": "play.bat a&b"}, None, ":7: game: cmd reads U+0026 AMPERSAND "
     "outside quotes as its own, and would run or redirect something else: put that argument in quotes"),
    ("batch argument with a pipe", {"game": 'play.bat "a" |more'}, None, "U+007C VERTICAL LINE outside quotes"),
    ("batch argument with !", {"game": 'play.bat "Hi!"'}, None, ":7: game: cmd reads U+0021 EXCLAMATION MARK as"),
    # Windows' required strings of the file's properties that nothing else can stand for
    ("properties without a publisher", {"product": "Setup Island", "version": "1.0"}, None,
     ":7: product: with the file's properties, Windows requires the company that makes the game: add publisher ="),
    ("properties without a version", {"publisher": "Upgrade Games"}, None,
     ":7: publisher: with the file's properties, Windows requires the file's version: add version = ..., such as 1.0"),
    ("a web address alone", {"website": "https://example.com"}, None, ":7: website: with the file's properties"),
    ("Cyrillic under ja", None, TOP + "language = en-US\n[ja]\ncaption = Привет\nline1 = Хотите\n"
     "line2 = играть?\nplay = Да\ncancel = Нет\n".encode(), ":8: [ja]: none of the Japanese dialog's texts"),
]


def test_facts_held():
    """Facts the brand kit owns that a script, the prefix or a guide states again, each as the kit has it."""
    import fonts
    import rules
    with open(os.path.join(SOURCE, "tools", "prefix.reg"), encoding="utf-8") as f:
        replaced = dict(re.findall(r'^"([^"]+)"="([^"]+)"$', f.read(), re.M))
    for cp, face in fonts.EAST_ASIAN_FACES.items():
        stand_in = fonts.truetype(*fonts.linked(cp)[0]).family()
        ok(replaced.get(face) == stand_in, f"tools/prefix.reg replaces {face} with {replaced.get(face)}, expected "
           f"{stand_in}, the font brand/fonts.py measures code page {cp}'s dialogs in")
    with open(os.path.join(SOURCE, "tools", "env.sh"), encoding="utf-8") as f:
        packages = re.search(r'BUILD_PACKAGES="([^"]*)"', f.read()).group(1).split()
    specs = list(fonts.STAND_INS.values()) + [fonts.GOTHIC, fonts.WENQUANYI, ("", "fonts-wine")]
    missing = sorted({each for _, package in specs for each in package.split()} - set(packages))
    ok(not missing, f"fonts brand/fonts.py measures in whose packages tools/env.sh does not install: {missing}")
    with open(os.path.join(SOURCE, "tools", "prefix.sh"), encoding="utf-8") as f:
        height = int.from_bytes(bytes.fromhex(re.search(r"height=([0-9a-f]{8})", f.read()).group(1)), "little",
                                signed=True)
    ok(height == -fonts.CAPTION_HEIGHT, f"tools/prefix.sh sets the caption font {-height} px high, expected "
       f"{fonts.CAPTION_HEIGHT}, as brand/fonts.py measures captions")
    with open(os.path.join(SOURCE, "docs", "windows.md"), encoding="utf-8") as f:
        guide = f.read()
    unnamed = [w for w in rules.INSTALLER_WORDS if f"`{w}`" not in guide]
    ok(not unnamed, f"docs/windows.md does not name the installer words {unnamed} that brand/rules.py refuses")
    with open(os.path.join(SOURCE, "docs", "layout.md"), encoding="utf-8") as f:
        layout = f.read()
    sources = [os.path.join(folder, name) for top in ("src", "res", "brand", "harness", "preview", "tests", "tools",
                                                      "cmake")
               for folder, _, names in os.walk(os.path.join(SOURCE, top)) for name in names
               if name.endswith((".cpp", ".h", ".py", ".sh", ".cmake", ".rc", ".reg")) and "__pycache__" not in folder]
    missing = sorted(os.path.relpath(p, SOURCE) for p in sources if f"{os.path.basename(p)}`" not in layout)
    ok(not missing, f"docs/layout.md does not name {missing}")


def test_stand_in_names():
    """The faces the preview draws a caption in, named as Windows' own: a regular face's full name is its family's,
    as Wine names the title bar's font, and its bold is of that family; else Wine draws the caption in the regular
    face made bolder, every glyph a pixel wider."""
    import fonts
    from fontTools.ttLib import TTFont
    for script in ("latin", "devanagari", "hebrew"):
        regular = fonts.STAND_INS[script]
        bold = fonts.bold_of(regular)
        names = []
        for spec in (regular, bold):
            path = fonts.truetype(*spec).path       # made, where the kit makes it
            table = TTFont(path)["name"]
            names.append((table.getDebugName(1), table.getDebugName(4)))
        ok(names[0][1] == names[0][0] and names[1] == (names[0][0], names[0][0] + " Bold"),
           f"{script}'s stand-in is named (family, full name) {names[0]}, its bold {names[1]}: expected the "
           f"regular's full name to be its family's and the bold's that family's, with \" Bold\"")


def test_bad_brands():
    for name, lines, raw, where in BAD:
        path = brand_file("bad.brand", lines, raw)
        res = run(path)
        if ok(res.returncode != 0, f"{name}: accepted"):
            ok(f"{path}{where}" in res.stderr if where.startswith(":") else where in res.stderr,
               f"{name}: message {res.stderr.strip()!r}, expected it to name {path}{where}")
            ok(res.stderr.startswith("brand: ") and "Traceback" not in res.stderr,
               f"{name}: something before the message, or a traceback: {res.stderr.strip()[-300:]}")


def test_good_brand():
    values = dict(GOOD, caption='Say "hi" \\ 山', exe="Spiel.EXE", line1="Rock & Roll")
    path = brand_file("good.brand", raw=b"\xef\xbb\xbf# with a BOM and CRLF\r\n" +
                      "".join(f"{k} = {v}\r\n" for k, v in values.items()).encode())
    if not built(path, what="a good brand"):
        return
    with open(os.path.join(WORK, "out", "dialogs.rc"), encoding="utf-8") as f:
        rc = f.read()
    ok('#define DLG_CAPTION     "Say \\042hi\\042 \\\\ 山"' in rc, f"caption in dialogs.rc: {rc}")
    ok(record("out")["dialogs"][0]["caption"] == 'Say "hi" \\ 山', "caption in the build record")
    ok('#define DLG_LINE1       "Rock && Roll"' in rc, f"an & in the question is not shown as written: {rc}")
    # Vietnamese typed with combining marks is stored composed, as Windows' fonts expect it.
    if built(brand_file("nfc.brand", {"line2": "Ro\u0302\u0300ng?", "language": "vi"}), "nfc",
             what="decomposed Vietnamese"):
        with open(os.path.join(WORK, "nfc", "dialogs.rc"), encoding="utf-8") as f:
            line2 = [line for line in f if line.startswith("#define DLG_LINE2")]
        ok(line2 == ['#define DLG_LINE2       "R\u1ed3ng?"\n'], f"decomposed Vietnamese stored as {line2}")


# A game's command line, the program and arguments the launcher hands the
# shell when the program needs administrator rights (as brand.h writes them),
# and the arguments the game reads; an installer's name is fine.
GAMES = [
    ('"Peak Patch.exe" -windowed  -x', "Peak Patch.exe", "-windowed  -x", ["-windowed", "-x"]),
    ("PeakPatch.exe -windowed", "PeakPatch.exe", "-windowed", ["-windowed"]),
    ("bin\\setup.exe", "bin\\\\setup.exe", "", []),
    ('"North Peak.exe"', "North Peak.exe", "", []),
    ('game.exe -title "12\\" screen"', "game.exe", '-title \\04212\\\\\\042 screen\\042', ["-title", '12" screen']),
    ('game.com -path "C:\\Games\\\\" "" a\\\\b', "game.com",
     '-path \\042C:\\\\Games\\\\\\\\\\042 \\042\\042 a\\\\\\\\b',
     ["-path", "C:\\Games\\", "", "a\\\\b"]),
    ("play.cmd -x", "play.cmd", "-x", []),
    ("100%.exe", "100%.exe", "", []),
    ('"Tom&Jerry^1.bat" "a&b" c', "Tom&Jerry^1.bat", '"a&b" c', []),
    # a drive's colon is its own, not a character of a file name
    ("C:\\Games\\peak.exe -window", "C:\\\\Games\\\\peak.exe", "-window", ["-window"]),
]


# A game line that builds with a warning: what the player's machine may not do as the publisher meant.
CAUTIONS = [
    ("C:\\Games\\peak.exe -window", "C:\\Games\\peak.exe is an absolute path: Play runs it only where the "
     "player's machine has it there"),
    ("\\bin\\peak.exe", "\\bin\\peak.exe is an absolute path"),
    ("peak.exe -save %USERPROFILE%\\saves", "Windows expands no variable on a program's command line: the game "
     "receives %USERPROFILE% as written"),
    ("play.bat %APPDATA%", "cmd puts the player's value of %APPDATA% in its place"),
]


def test_game_cautions():
    for game, said in CAUTIONS:
        res = run(brand_file("caution.brand", {"game": game}), "caution")
        if ok(res.returncode == 0, f"game = {game}: refused: {res.stderr.strip()}"):
            ok(f"warning: {WORK}" in res.stderr and f":7: game: {said}" in res.stderr,
               f"game = {game}: warned {res.stderr.strip()!r}, expected it to say {said!r}")
    res = run(brand_file("caution.brand", {"game": "bin\\peak.exe -x %"}), "caution")
    ok(res.returncode == 0 and "warning" not in res.stderr, f"a relative program and no variable: {res.stderr!r}")


def version_rc(out):
    with open(os.path.join(WORK, out, "version.rc"), encoding="utf-8") as f:
        return dict(re.findall(r'VALUE "(\w+)", "([^"]*)"', f.read()))


def test_properties():
    """Every string Microsoft's VERSIONINFO calls required, the product from
    the caption where the brand names none; and a manifest that keeps
    Windows' installer detection from reading them, in a classic launcher
    as in a modern one."""
    required = ("CompanyName", "FileDescription", "FileVersion", "InternalName", "OriginalFilename", "ProductName",
                "ProductVersion")
    lines = {"exe": "island.exe", "caption": "Upgrade Games - Setup Island", "publisher": "Upgrade Games",
             "version": "2.0"}
    for style in ("classic", "modern"):
        out = f"properties-{style}"
        if not built(brand_file("properties.brand", dict(lines, style=style)), out, what=f"a {style} publisher"):
            continue
        strings = version_rc(out)
        missing = [k for k in required if not strings.get(k)]
        ok(not missing, f"{style}: the version resource lacks the required {missing}: {strings}")
        ok(strings.get("ProductName") == strings.get("FileDescription") == lines["caption"],
           f"{style}: ProductName {strings.get('ProductName')!r} and FileDescription "
           f"{strings.get('FileDescription')!r}, expected the caption")
        ok(record(out)["dialogs"][0]["product"] == lines["caption"], f"{style}: the record's product, "
           f"{record(out)['dialogs'][0]['product']!r}, is not the ProductName built")
        manifest = os.path.join(WORK, out, "manifest.xml")
        ok("#define BRAND_MANIFEST 1" in brand_h(out) and os.path.exists(manifest) and
           'requestedExecutionLevel level="asInvoker"' in open(manifest, encoding="utf-8").read(),
           f"{style}: a launcher with file properties carries no asInvoker manifest")
    # typed decomposed, stored composed alike in the record (which tools/sign names the program by) and the resource
    typed = {"publisher": "Tre\u0302n Games", "product": "Ro\u0302\u0300ng", "copyright": "\u00a9 Tre\u0302n"}
    if built(brand_file("nfc.brand", dict(lines, **typed)), "properties-nfc", what="decomposed properties"):
        strings, kept = version_rc("properties-nfc"), record("properties-nfc")
        for key, resource in (("publisher", "CompanyName"), ("product", "ProductName"), ("copyright", "LegalCopyright")):
            composed = unicodedata.normalize("NFC", typed[key])
            ok(kept[key] == strings[resource] == composed, f"{key}: the record holds {kept[key]!r}, the resource "
               f"{strings[resource]!r}, expected both composed, {composed!r}")
    if built(brand_file("plain.brand"), "properties-none", what="a classic brand without properties"):
        ok("BRAND_MANIFEST" not in brand_h("properties-none") and "BRAND_VERSION" not in brand_h("properties-none"),
           "a classic brand without properties has a manifest or a version resource, which would change its bytes")


def test_short_messages():
    """A value too long to be right is quoted in part, its length said."""
    for key, value in (("version", "1" * 4000), ("version", "1." * 2000), ("website", "https://" + "x" * 4000)):
        path = brand_file("long.brand", {key: value, "publisher": "P"})
        res = run(path)
        # the brand file's path, however long the clone's folder, is the publisher's own
        said = res.stderr.replace(path, "")
        ok(res.returncode != 0 and "characters)" in said and len(said) < 400,
           f"{key} of {len(value)} characters: a message of {len(said)} characters: {said[:200]!r}")


def test_exe_names():
    """Names that show as what they are: in any script, with a version's dots."""
    for exe in ("\u0418\u0433\u0440\u0430.exe", "Tolvar Peaks v1.2.exe", "\u30b2\u30fc\u30e0.exe", "game .exe"):
        built(brand_file("name.brand", {"exe": exe}), "name", what=f"exe = {exe}")


def test_games():
    for game, program, args, argv in GAMES:
        if built(brand_file("game.brand", {"game": game}), "game", what=f"game = {game}"):
            header = brand_h("game")
            ok(f'#define BRAND_PROGRAM  "{program}"\n#define BRAND_ARGS     "{args}"\n' in header or
               program.endswith((".bat", ".cmd")) and "BRAND_PROGRAM" not in header,
               f"game = {game}: brand.h says {header!r}, expected the program {program} and the arguments {args}")
            got = record("game").get("argv", [])
            ok(got == argv, f"game = {game}: the record says the game reads {got}, expected {argv}")


def ms_split(text, doubled_quote_ends):
    """Microsoft's rules for a C program's arguments, read from its page on
    parsing them, written apart from the kit's: whitespace outside quotes ends
    an argument; backslashes are literal unless a quote follows, when each pair
    is one backslash and an odd one makes the quote literal; a quote opens or
    closes quotes; inside quotes, "" is a quote, after which the quotes go on
    (the C runtime since 2008) or end (before it, and CommandLineToArgvW)."""
    args, word, quoted = [], None, False
    tokens = iter(re.findall(r'\\*"|\\+|[ \t]|[^ \t\\"]', text) + [None])
    token = next(tokens)
    while token is not None:
        following = next(tokens)
        if token in (" ", "\t") and not quoted:
            args, word = args + ([word] if word is not None else []), None
        elif token.endswith('"'):
            slashes = len(token) - 1
            word = (word or "") + "\\" * (slashes // 2)
            if slashes % 2:
                word += '"'
            elif quoted and following == '"':
                word, quoted, following = word + '"', not doubled_quote_ends, next(tokens)
            else:
                quoted = not quoted
        else:
            word = (word or "") + token
        token = following
    return args + ([word] if word is not None else []), quoted


def test_argument_readings():
    """Every line of quotes, backslashes, spaces and letters up to six long:
    the kit takes it exactly when the C runtime, old and new, and
    CommandLineToArgvW read it alike, with its quotes closed, and then as they read it."""
    wrong = []
    for n in range(1, 7):
        for chars in itertools.product('a \\"', repeat=n):
            rest = "".join(chars).strip(" ")
            new, old = ms_split(rest, False), ms_split(rest, True)
            try:
                got = rules.check_game("g.exe " + rest, "game")[2]
            except rules.BrandError:
                got = None
            if got != (new[0] if new == old and not new[1] else None):
                wrong.append((rest, got, new, old))
    ok(not wrong, f"{len(wrong)} lines read otherwise than Microsoft's rules, such as {wrong[:3]}")


def record(out):
    return read_record(os.path.join(WORK, out, "record.txt"))


# texts, and the code page, locale, script and layout a brand without sections is previewed under
CODEPAGES = [
    ({"caption": "Quendle Arts"}, "1252", "en_US.UTF-8", "-", "ltr"),
    # an invisible right-to-left mark mirrors nothing
    ({"line1": "\u200fDo you wish to"}, "1255", "he_IL.UTF-8", "-", "ltr"),
    ({"caption": "\u061cA caption", "line1": "1", "line2": "2", "play": "3", "cancel": "4"}, "65001", "en_US.UTF-8",
     "-", "ltr"),
    # Tamil in its stand-in; the letters Urdu adds to Arabic's in a fuller stand-in than Arabic's own
    ({"line1": "ஸ்டார்வே Do you wish to"}, "65001", "en_US.UTF-8", "tamil", "ltr"),
    ({"line1": "کھیلنا چاہتے ہیں؟"}, "65001", "en_US.UTF-8", "urdu", "rtl"),
    ({"line1": "هل تريد اللعب؟"}, "1256", "ar_SA.UTF-8", "arabic", "rtl"),
    ({"line1": "Czy chcesz zagrać"}, "1250", "pl_PL.UTF-8", "-", "ltr"),
    ({"line2": "Хотите сыграть?"}, "1251", "ru_RU.UTF-8", "-", "ltr"),
    ({"play": "Παίξτε"}, "1253", "el_GR.UTF-8", "greek", "ltr"),
    ({"line1": "Oyunu başlatmak ister misiniz, ağabey"}, "1254", "tr_TR.UTF-8", "-", "ltr"),
    ({"line1": "北岳の冒険を"}, "932", "ja_JP.UTF-8", "-", "ltr"),
    ({"line1": "你想玩吗"}, "936", "zh_CN.UTF-8", "-", "ltr"),
    ({"line1": "하시겠습니까"}, "949", "ko_KR.UTF-8", "-", "ltr"),
    # GBK holds Big5's characters, so Traditional Chinese comes out as 936 (zh-TW names 950).
    ({"line1": "你想玩嗎"}, "936", "zh_CN.UTF-8", "-", "ltr"),
    ({"language": "zh-TW", "line1": "你想玩嗎"}, "950", "zh_TW.UTF-8", "-", "ltr"),
    # an East Asian language's dialog with a letter its code page lacks: UTF-8, in the font Wine links first
    ({"language": "ko", "caption": "Jeux d'été - 바이올렛", "line1": "하시겠습니까"}, "65001", "ko_KR.UTF-8", "korean",
     "ltr"),
    # Scripts Wine's MS Sans Serif lacks; a question (else a caption) in Hebrew or Arabic is laid out right to left.
    ({"caption": "เชียงดาว", "line1": "คุณต้องการ"}, "874", "th_TH.UTF-8", "thai", "ltr"),
    ({"caption": "Quendle Arts", "line1": "האם ברצונך"}, "1255", "he_IL.UTF-8", "hebrew", "rtl"),
    ({"caption": "قمم تولفار", "line1": "هل تريد"}, "1256", "ar_SA.UTF-8", "arabic", "rtl"),
    # No ANSI code page holds them: precomposed Vietnamese, Hindi, or two scripts.
    ({"caption": "Những đỉnh Tolvar", "play": "Chơi"}, "65001", "en_US.UTF-8", "latin", "ltr"),
    ({"caption": "टोलवार शिखर"}, "65001", "en_US.UTF-8", "devanagari", "ltr"),
    # the scripts whose stand-in the kit makes of a Noto face and Noto Sans' Latin letters
    ({"line1": "আপনি কি খেলতে চান"}, "65001", "en_US.UTF-8", "bengali", "ltr"),
    ({"line1": "રમવા માંગો છો"}, "65001", "en_US.UTF-8", "gujarati", "ltr"),
    ({"line1": "ਖੇਡਣਾ ਚਾਹੁੰਦੇ ਹੋ"}, "65001", "en_US.UTF-8", "gurmukhi", "ltr"),
    ({"line1": "ಆಡಲು ಬಯಸುವಿರಾ"}, "65001", "en_US.UTF-8", "kannada", "ltr"),
    ({"line1": "കളിക്കണോ"}, "65001", "en_US.UTF-8", "malayalam", "ltr"),
    ({"line1": "ଖେଳିବାକୁ ଚାହୁଁଛନ୍ତି"}, "65001", "en_US.UTF-8", "oriya", "ltr"),
    ({"line1": "ක්‍රීඩා කරන්න"}, "65001", "en_US.UTF-8", "sinhala", "ltr"),
    ({"line1": "ఆడాలనుకుంటున్నారా"}, "65001", "en_US.UTF-8", "telugu", "ltr"),
    ({"line1": "តើអ្នកចង់លេង"}, "65001", "en_US.UTF-8", "khmer", "ltr"),
    ({"line1": "ຫຼິ້ນບໍ"}, "65001", "en_US.UTF-8", "lao", "ltr"),
    ({"line1": "ကစားမလား"}, "65001", "en_US.UTF-8", "myanmar", "ltr"),
    ({"line1": "გსურთ თამაში"}, "65001", "en_US.UTF-8", "georgian", "ltr"),
    ({"line1": "Ցանկանում եք խաղալ"}, "65001", "en_US.UTF-8", "armenian", "ltr"),
    ({"line1": "መጫወት ይፈልጋሉ"}, "65001", "en_US.UTF-8", "ethiopic", "ltr"),
    ({"caption": "Хотите שלום"}, "65001", "en_US.UTF-8", "hebrew", "ltr"),
    # a space of typography, drawn in Windows' dialogs through font linking, among letters Wine's face draws:
    # the Latin stand-in, which has it; among East Asian ones, the face Wine links first, which names it
    ({"line2": "au Sommet\u202f?"}, "65001", "en_US.UTF-8", "latin", "ltr"),
    ({"line2": "Хотите\u2009сыграть?"}, "65001", "en_US.UTF-8", "latin", "ltr"),
    ({"line1": "北岳の\u202f冒険"}, "65001", "en_US.UTF-8", "-", "ltr"),
    ({"line1": "คุณต้องการ\u202f?"}, "65001", "en_US.UTF-8", "thai", "ltr"),
]


def test_codepages():
    for texts, *expected in CODEPAGES:
        if built(brand_file("cp.brand", texts), "cp", what=str(texts)):
            d = record("cp")["dialogs"][0]
            got = [d[k] for k in ("codepage", "locale", "script", "layout")]
            ok(got == expected, f"{texts}: {got}; expected {expected}")
            # an East Asian title bar is regular, as Windows draws it from Vista on; any other bold
            east = expected[0] in ("932", "936", "949", "950") or expected[2] in ("japanese", "chinese", "korean")
            ok(d["caption_bold"] == ("no" if east else "yes"), f"{texts}: caption_bold {d['caption_bold']}")


def test_language_table():
    """Each tag's LANGID is Windows' own for its language, and for its country
    when it names one; no two tags make the same template; and each locale is
    one Debian can make."""
    import locale
    from brand import LANGUAGES
    with open("/usr/share/i18n/SUPPORTED", encoding="utf-8") as f:
        supported = f.read().splitlines()
    for tag, (_, primary, sub, place, cp) in LANGUAGES.items():
        # Python's table writes Khmer's kh_KH, where Windows' is km-KH
        windows = {lcid & 0x3ff: loc for lcid, loc in locale.windows_locale.items()
                   if lcid & 0x3ff == primary and loc.replace("kh_", "km_").split("_")[0] == place.split("_")[0]}
        langid = sub << 10 | primary
        if sub:
            ok(locale.windows_locale.get(langid) == place, f"{tag}: 0x{langid:04X} is Windows' "
               f"{locale.windows_locale.get(langid)}, expected {place}")
        else:
            ok(windows, f"{tag}: no language of Windows has the primary language 0x{primary:02X} and {place}")
        language, at, modifier = place.partition("@")
        ok({f"{language}.UTF-8{at}{modifier} UTF-8", f"{place} UTF-8"} & set(supported),
           f"{tag}: Debian cannot make the locale {place}")
    ids = [v[1] | v[2] << 10 for v in LANGUAGES.values()]
    ok(len(set(ids)) == len(ids), "two tags share a LANGID")


# A right-to-left line, its style, and how the build stores it so that Wine reads it as Windows does:
# in an embedding (modern), between right-to-left marks (classic), or as written.
READING = [
    ("ב-Skyline Drift 2 עכשיו?", "modern", "\u202bב-Skyline Drift 2 עכשיו?\u202c"),
    ("לשחק בפסגות טולבר?", "classic", "\u200fלשחק בפסגות טולבר?\u200f"),
    ("לשחק בפסגות 2 טולבר", "classic", "לשחק בפסגות 2 טולבר"),
    ("أن تلعب قمم تولفار؟", "modern", "أن تلعب قمم تولفار؟"),
    ("ב-Skyline Drift 2 עכשיו?", "classic", "ב-Skyline Drift 2 עכשיו?"),
    ("שלום 3", "classic", "שלום 3"),
    ("שלום 3", "modern", "שלום 3"),
    ("3 שלום", "classic", "\u200f3 שלום\u200f"),
]


def test_reading_order():
    for line, style, stored in READING:
        res = run(brand_file("rtl.brand", {"line2": line, "style": style, "caption": "שלום", "line1": "האם",
                                           "play": "שחק", "cancel": "ביטול", "language": "he"}), "rtl")
        if ok(res.returncode == 0, f"{line} ({style}): {res.stderr.strip()}"):
            got = record("rtl")["dialogs"][0]["line2"]
            ok(got == stored, f"{line} ({style}): stored as {got!r}, expected {stored!r}")
            ok(("draws a line with Latin letters left to right" in res.stderr) == (style == "classic" and
               "Skyline" in line), f"{line} ({style}): {res.stderr.strip()!r}")


# Halfwidth and fullwidth forms, Hangul's jamo and Bopomofo are letters of their language's script.
LETTERS = [("ja", "ｹﾞｰﾑ"), ("ko", "ㅎㅏㄴ"), ("zh-TW", "ㄅㄆㄇ"), ("de", "Ｓｐｉｅｌ")]


def test_letters():
    for tag, text in LETTERS:
        res = run(brand_file("letters.brand", {"language": tag, "caption": text, "line1": text, "line2": text,
                                               "play": text, "cancel": text}), "letters")
        ok(res.returncode == 0, f"{text} under {tag}: {res.stderr.strip()}")


def test_sections():
    """Each language its template, tagged with its LANGID; a section's missing texts from the top."""
    raw = TOP + "language = en-US\n[de]\ncaption = Hallo\nplay = &Spielen\n[ja]\nline1 = 山\n[he]\nline1 = האם\n".encode()
    res = run(brand_file("langs.brand", raw=raw), "langs")
    # the English texts of the Hebrew dialog, which Wine draws left to right in a classic launcher, are named
    if not ok(res.returncode == 0 and res.stderr.count("\n") == 1 and ":2: caption [he] (and line2, play, "
              "cancel): Wine, and so Proton, draws a line with Latin letters left to right" in res.stderr,
              f"three languages: {res.stderr.strip()}"):
        return
    with open(os.path.join(WORK, "langs", "dialogs.rc"), encoding="utf-8") as f:
        rc = f.read()
    ids = [line.split(None, 2)[2] for line in rc.splitlines() if line.startswith("#define DLG_LANGUAGE")]
    ok(ids == ["0x09, 0x01", "0x07, 0x00", "0x11, 0x00", "0x0d, 0x00"], f"languages {ids}, expected en-US, de, ja, he")
    # Only the Hebrew template is mirrored, though its caption and buttons are English.
    blocks = rc.split('#include "dialog.rc"')
    mirrored = ["WS_EX_LAYOUTRTL" in b for b in blocks[:4]]
    ok(mirrored == [False, False, False, True], f"mirrored templates {mirrored}, expected he's alone")
    # Windows reverses WS_EX_RTLREADING in a mirrored window; the picture keeps its own layout.
    styles = {line.split(None, 2)[1]: line.split(None, 2)[2] for line in blocks[3].splitlines()
              if line.startswith("#define DLG_") and "STYLE" in line}
    ok(styles == {"DLG_EXSTYLE": "WS_EX_LAYOUTRTL | WS_EX_NOINHERITLAYOUT", "DLG_TEXTSTYLE": "WS_EX_LAYOUTRTL"},
       f"he's styles {styles}, expected a mirrored dialog and texts, no reading-order flag, the picture as drawn")
    got = [[d[k] for k in ("tag", "locale", "codepage", "layout", "caption", "line1", "line2", "play", "cancel")]
           for d in record("langs")["dialogs"]]
    expected = [["en-US", "en_US.UTF-8", "1252", "ltr", "A caption", "Do you wish to", "play?", "Play", "Cancel"],
                ["de", "de_DE.UTF-8", "1252", "ltr", "Hallo", "Do you wish to", "play?", "&Spielen", "Cancel"],
                ["ja", "ja_JP.UTF-8", "932", "ltr", "A caption", "山", "play?", "Play", "Cancel"],
                ["he", "he_IL.UTF-8", "1255", "rtl", "A caption", "האם", "play?", "Play", "Cancel"]]
    ok(got == expected, f"dialogs {got}")
    res = run(brand_file("langs.brand", raw=TOP + b"language = de\n[fr]\n"), "langs")
    ok(res.returncode == 0 and "warning:" in res.stderr and "en-US" in res.stderr,
       f"no en-US: exit {res.returncode}, {res.stderr.strip()!r}, expected a warning")


# A language Windows adds by a language pack, as a section beside en-US: its
# LANGID, locale, code page (UTF-8 where it has none), script and layout
LANGUAGE_PACKS = [
    ("bn", "আপনি কি খেলতে চান", "0x45, 0x00", "bn_IN.UTF-8", "65001", "bengali", "ltr"),
    ("ur", "کیا آپ کھیلنا چاہتے ہیں", "0x20, 0x00", "ur_PK.UTF-8", "65001", "urdu", "rtl"),
    # Persian's code page is Arabic's, which holds its letters but its own yeh
    ("fa", "شروع کن", "0x29, 0x00", "fa_IR.UTF-8", "1256", "arabic", "rtl"),
    ("fa", "آیا می‌خواهید", "0x29, 0x00", "fa_IR.UTF-8", "65001", "arabic", "rtl"),
    ("ka", "გსურთ თამაში", "0x37, 0x00", "ka_GE.UTF-8", "65001", "georgian", "ltr"),
    ("km", "តើអ្នកចង់លេង", "0x53, 0x00", "km_KH.UTF-8", "65001", "khmer", "ltr"),
]


def test_language_packs():
    for tag, line1, *expected in LANGUAGE_PACKS:
        raw = TOP + f"language = en-US\n[{tag}]\nline1 = {line1}\nline2 = {line1}\n".encode()
        if not built(brand_file("pack.brand", raw=raw), "pack", what=tag):
            continue
        with open(os.path.join(WORK, "pack", "dialogs.rc"), encoding="utf-8") as f:
            ids = [line.split(None, 2)[2] for line in f if line.startswith("#define DLG_LANGUAGE")]
        d = record("pack")["dialogs"][1]
        got = [ids[1]] + [d[k] for k in ("locale", "codepage", "script", "layout")]
        ok(got == expected, f"[{tag}] beside en-US: {got}, expected {expected}")


# texts, and how far they grow the standard template's line 1, line 2, the
# buttons, the dialog and Cancel's place, in dialog units, each None where it
# stays the standard one's (so that a changed standard template changes no row);
# None for the standard template, unchanged
GROWTH = [
    ({}, None),
    ({"cancel": "キャンセル", "language": "ja", "line1": "山", "caption": "山"}, (None, None, +6, +12, +6)),
    # ... in UTF-8 (é), in VL Gothic as the dialog's own font, whose full-width letters Wine draws wider
    ({"cancel": "キャンセル", "language": "ja", "line1": "山", "caption": "Jeux d'été - 山"}, (None, None, +14, +28, +14)),
    ({"line2": "сыграть в Большие Вершины Толвара?"}, (None, +25, None, +25, +25)),
    ({"line1": "هل ترغب في اللعب", "caption": "قمم"}, (+14, None, None, None, None)),
    ({"line1": "Czy chcesz zagrać w", "style": "modern"}, (+14, None, None, None, None)),
    ({"play": "Spiel starten", "cancel": "Nicht jetzt"}, (None, None, +8, +16, +8)),
    # a caption longer than the title bar: the dialog grows for it, and Cancel stays at the question's right edge
    ({"caption": "Quendle Arts - Tolvar Grand Peaks, the Complete Northern Edition"}, (None, None, None, +51, +51)),
    # ... further with an icon, which the title bar shows beside it
    ({"caption": "Quendle Arts - Tolvar Grand Peaks, the Complete Northern Edition", "icon": "pic.png"},
     (None, None, None, +63, +63)),
    # a label that fits but leaves its focus rectangle no room beside it
    ({"cancel": "Abbrechen", "language": "de", "line1": "Möchten Sie"}, (None, None, +4, +8, +4)),
    # Greek in a modern dialog, which Wine's Tahoma lacks, is drawn in a stand-in, with room spare
    ({"language": "el", "style": "modern", "line1": "Θέλετε να παίξετε", "play": "Έναρξη παιχνιδιού"},
     (+8, None, +35, +70, +35)),
    # Devanagari at 100 % and 150 %: measured unshaped as Wine measures it, a line of conjuncts
    # wider so; drawn shaped, a label whose vowel signs come first wider so; a caption in the
    # stand-in's bold
    ({"language": "hi", "style": "modern", "line1": "क्या आप खेलना चाहते हैं", "play": "खेल शुरू करें",
      "caption": "लंबी चोटी"}, (+15, None, +7, +14, +7)),
    ({"language": "hi", "style": "modern", "line1": "क्या आप स्टारवे ट्रेकर्स का"}, (+27, None, None, None, None)),
    ({"language": "hi", "caption": "क्ष" * 39}, (None, None, None, +257, +257)),
]


def test_growth():
    """A language's dialog grows for texts that do not fit it, and only then; past a screen's width it is refused."""
    import brand
    standard = (brand.LINE1_WIDTH, brand.LINE2_WIDTH, brand.BUTTON_WIDTH, brand.DIALOG_WIDTH,
                brand.STANDARD["CANCEL_RECT"][0])
    for lines, grown in GROWTH:
        expected = grown and tuple(s if g is None else s + g for s, g in zip(standard, grown))
        if not built(brand_file("grow.brand", lines), "grow", what=str(lines)):
            continue
        with open(os.path.join(WORK, "grow", "dialogs.rc"), encoding="utf-8") as f:
            rects = {line.split()[1]: [int(n) for n in line.split(None, 2)[2].split(",")]
                     for line in f if line.startswith("#define") and line.split()[1].endswith("_RECT")}
        got = (rects["QUESTION1_RECT"][2], rects["QUESTION2_RECT"][2], rects["PLAY_RECT"][2], rects["DLG_RECT"][2],
               rects["CANCEL_RECT"][0]) if rects else None
        ok(got == expected and (not rects or rects["PLAY_RECT"][2] == rects["CANCEL_RECT"][2]) and
           record("grow")["dialogs"][0]["width"] == str((expected or standard)[3]),
           f"{lines}: widths {got}, expected {expected}")
    res = run(brand_file("grow.brand", {"line2": "W" * 120}), "grow")
    ok(res.returncode != 0 and ":4: line2: the dialog would be" in res.stderr and "Traceback" not in res.stderr,
       f"a line wider than a screen: {res.stderr.strip()!r}")


def bitmap(out):
    with open(os.path.join(WORK, out, "picture.bmp"), "rb") as f:
        data = f.read()
    return data, Image.open(os.path.join(WORK, out, "picture.bmp"))


def bands(rgb, colour):
    """The sides of a built picture whose whole edge is one colour: a band round it."""
    w, h = rgb.size
    edges = {"top": [(x, 0) for x in range(w)], "bottom": [(x, h - 1) for x in range(w)],
             "left": [(0, y) for y in range(h)], "right": [(w - 1, y) for y in range(h)]}
    return [side for side, pixels in edges.items() if all(rgb.getpixel(p) == colour for p in pixels)]


def test_pictures():
    """Wide and tall pictures fill the square, with no band round them; transparent parts are the palette's
    light gray, and the launcher is told so."""
    gray = (192, 192, 192)
    shapes = [("wide", (300, 100), (255, 0, 0, 255)), ("tall", (20, 60), (0, 0, 255, 255)),
              ("see-through", (50, 50), (0, 0, 0, 0))]
    for name, size, colour in shapes:
        for fmt in ("PNG", "GIF", "JPEG", "BMP") if name == "wide" else ("PNG",):
            picture = f"{name}.{fmt.lower()}"
            im = Image.new("RGBA", size, colour)
            (im.convert("RGB") if fmt in ("JPEG", "BMP") else im).save(os.path.join(WORK, picture), fmt)
            if not built(brand_file("pic.brand", {"picture": picture}), "pic", what=str(picture)):
                continue
            data, bmp = bitmap("pic")
            info = struct.unpack_from("<IiiHHIIiiII", data, 14)
            ok(len(data) == 14 + 4424 and info == (40, 90, 90, 1, 4, 0, 4320, 0, 0, 0, 0),
               f"{picture}: {len(data)} bytes, header {info}")
            rgb = bmp.convert("RGB")
            corner, centre = rgb.getpixel((0, 0)), rgb.getpixel((45, 45))
            marked = "BRAND_TRANSPARENT" in brand_h("pic")
            ok(marked == (name == "see-through"), f"{picture}: brand.h says transparent {marked}")
            if name == "see-through":
                # the palette's light gray, which the launcher loads as the dialog's face colour
                ok(corner == gray and centre == gray, f"{picture}: {corner} {centre}, expected light gray")
            else:
                ok(corner == rgb.getpixel((89, 89)) == colour[:3],
                   f"{picture}: corners {corner} and {rgb.getpixel((89, 89))}, expected {colour[:3]} to the edges")



def test_picture_shape():
    """A picture wider than its square keeps its shape: a round disc in a 160x100 picture comes out
    round, its sides cut off, in either style."""
    from PIL import ImageChops, ImageDraw
    wide = Image.new("RGB", (160, 100), (255, 255, 255))
    ImageDraw.Draw(wide).ellipse((40, 10, 120, 90), fill=(255, 0, 0))
    wide.save(os.path.join(WORK, "disc.png"))
    for style in ("classic", "modern"):
        if built(brand_file("pic.brand", {"picture": "disc.png", "style": style}), "pic", what=f"a disc, {style}"):
            red = bitmap("pic")[1].convert("RGB").point(lambda v: 255 if v > 160 else 0)
            box = ImageChops.difference(red, Image.new("RGB", red.size, (255, 255, 255))).getbbox()
            ok(box and abs((box[2] - box[0]) - (box[3] - box[1])) <= 1,
               f"a round disc in a 160x100 picture, {style}: drawn {box[2] - box[0]}x{box[3] - box[1]}, "
               "expected as wide as high")



def test_picture_alpha():
    """A modern picture's half-transparent pixels are stored premultiplied, as GdiAlphaBlend takes
    them: the launcher's blend onto the face then gives the colour over the face by its alpha."""
    from PIL import ImageDraw
    soft = Image.new("RGBA", (180, 180), (0, 0, 0, 0))
    ImageDraw.Draw(soft).rectangle((0, 0, 179, 89), fill=(255, 128, 0, 64))
    ImageDraw.Draw(soft).rectangle((0, 90, 179, 179), fill=(255, 128, 0, 192))
    soft.save(os.path.join(WORK, "soft180.png"))
    if built(brand_file("pic.brand", {"picture": "soft180.png", "style": "modern"}), "pic", what="half-transparent"):
        data = bitmap("pic")[0]
        face = 240
        for row, alpha in ((170, 64), (10, 192)):           # bottom-up rows: the top half is the last
            b, g, r, a = data[14 + 40 + (row * 180 + 90) * 4:][:4]
            blended = [round(c + face * (255 - a) / 255) for c in (r, g, b)]
            wanted = [round((c * alpha + face * (255 - alpha)) / 255) for c in (255, 128, 0)]
            ok(a == alpha and all(abs(x - y) <= 1 for x, y in zip(blended, wanted)),
               f"alpha {alpha}: stored {(r, g, b, a)}, blended onto the face {blended}, expected {wanted}")



def test_picture_soft_edge():
    """A red disc whose edge fades out is drawn in red and the face colour alone: no ring of
    dithered specks where its edge was blended onto the face."""
    from PIL import ImageDraw, ImageFilter
    alpha = Image.new("L", (90, 90), 0)
    ImageDraw.Draw(alpha).ellipse((10, 10, 80, 80), fill=255)
    Image.merge("RGBA", [Image.new("L", (90, 90), 255), Image.new("L", (90, 90), 0), Image.new("L", (90, 90), 0),
                         alpha.filter(ImageFilter.GaussianBlur(4))]).save(os.path.join(WORK, "soft.png"))
    if built(brand_file("pic.brand", {"picture": "soft.png"}), "pic", what="a disc with a soft edge"):
        colours = sorted(c for _, c in bitmap("pic")[1].convert("RGB").getcolors())
        ok(colours == [(192, 192, 192), (255, 0, 0)], f"a red disc with a soft edge built in {colours}")



def test_tests_picture():
    """The tests' own brands' picture, wider than high and with a sky to its edges, fills the
    square in either style: no side is a band of the background."""
    gray = (192, 192, 192)
    subprocess.run([sys.executable, os.path.join(SOURCE, "tests", "picture.py"), os.path.join(WORK, "yamabiko.png")],
                   check=True)
    for style in ("classic", "modern"):
        brand = os.path.join(SOURCE, "tests", "brands", "yamabiko.brand")
        with open(brand, "rb") as f:
            raw = f.read() + f"style = {style}\n".encode()
        if built(brand_file("yamabiko.brand", raw=raw), "yamabiko", what=f"the tests' yamabiko brand, {style}"):
            rgb = bitmap("yamabiko")[1].convert("RGB")
            ok(rgb.size[0] == rgb.size[1] and not bands(rgb, gray),
               f"yamabiko.png, 160x100, built {style} as {rgb.size}, with a band of gray at {bands(rgb, gray)}")



def rgb16_png(side, colour, key, interlace):
    """A 16-bit RGB PNG, colour(x, y) its pixels, key its tRNS colour, its scanlines unfiltered."""
    import images
    passes = images.ADAM7 if interlace else ((0, 0, 1, 1),)
    rows = b"".join(b"\0" + b"".join(struct.pack(">HHH", *colour(x, y)) for x in range(x0, side, dx))
                    for x0, y0, dx, dy in passes if x0 < side for y in range(y0, side, dy))
    return (b"\x89PNG\r\n\x1a\n" + hostile.png_chunk(b"IHDR", struct.pack(">IIBBBBB", side, side, 16, 2, 0, 0, interlace))
            + hostile.png_chunk(b"tRNS", struct.pack(">HHH", *key)) + hostile.png_chunk(b"IDAT", zlib.compress(rows))
            + hostile.png_chunk(b"IEND", b""))


def test_picture_keys():
    """A PNG made transparent by its tRNS chunk is transparent where its pixels are that colour, to every
    bit of their depth, and nowhere else."""
    gray = (192, 192, 192)
    # A 16-bit gray PNG made transparent by its tRNS chunk stays transparent.
    with open(os.path.join(WORK, "gray16.png"), "wb") as f:
        f.write(hostile.gray16_keyed(40))
    if built(brand_file("pic.brand", {"picture": "gray16.png"}), "gray16", what="gray16.png"):
        marked = "BRAND_TRANSPARENT" in brand_h("gray16")
        corner = bitmap("gray16")[1].convert("RGB").getpixel((0, 0))
        ok(marked and corner == gray, f"a transparent 16-bit gray PNG: marked {marked}, corner {corner}")
    # A 16-bit RGB PNG made transparent by its tRNS colour, a red square in its middle, is transparent where a
    # pixel is that colour to all 16 bits, and nowhere else, interlaced or not.
    red = (65535, 0, 0)
    for what, key, ground, interlace, see_through in (
            ("the key", (1000, 2000, 3000), (1000, 2000, 3000), 0, True),
            ("the key, interlaced", (1000, 2000, 3000), (1000, 2000, 3000), 1, True),
            ("the key's high bytes alone", (0x0100, 0x0200, 0x0300), (0x0102, 0x0203, 0x0304), 0, False),
            ("the key's high bytes alone, interlaced", (0x0100, 0x0200, 0x0300), (0x0102, 0x0203, 0x0304), 1, False)):
        with open(os.path.join(WORK, "rgb16.png"), "wb") as f:
            f.write(rgb16_png(40, lambda x, y: red if 10 <= x < 30 and 10 <= y < 30 else ground, key, interlace))
        if built(brand_file("pic.brand", {"picture": "rgb16.png"}), "rgb16", what=f"rgb16.png, {what}"):
            marked = "BRAND_TRANSPARENT" in brand_h("rgb16")
            corner, middle = (bitmap("rgb16")[1].convert("RGB").getpixel(p) for p in ((0, 0), (45, 45)))
            ok(marked == see_through and (corner == gray) == see_through and middle == (255, 0, 0),
               f"a 16-bit RGB PNG whose ground is {what}: marked {marked}, corner {corner}, middle {middle}, "
               f"expected {'' if see_through else 'not '}transparent")

    # An 8-bit RGB PNG made transparent by its tRNS colour: that colour alone, not one a step from it.
    keyed = Image.new("RGB", (40, 40), (10, 200, 30))
    keyed.paste((10, 200, 31), (0, 20, 40, 40))
    keyed.paste((255, 0, 0), (10, 10, 30, 30))
    keyed.save(os.path.join(WORK, "rgb8.png"), transparency=(10, 200, 30))
    if built(brand_file("pic.brand", {"picture": "rgb8.png"}), "rgb8", what="rgb8.png"):
        rgb = bitmap("rgb8")[1].convert("RGB")
        top, bottom, middle = rgb.getpixel((2, 2)), rgb.getpixel((2, 87)), rgb.getpixel((45, 45))
        ok(top == gray and bottom != gray and middle == (255, 0, 0), f"an 8-bit RGB PNG keyed on its top half's "
           f"colour: top {top}, bottom {bottom} (a step from the key), middle {middle}; expected the top alone "
           "transparent")



def test_picture_kinds():
    """Pictures of every kind come out as they look, the same each time; the default one unchanged."""
    # A JPEG whose EXIF says the camera was turned (orientation 6: a quarter turn clockwise) is built turned:
    # its left half, red, comes out on top.
    turned = Image.new("RGB", (200, 100), (0, 0, 255))
    turned.paste((255, 0, 0), (0, 0, 100, 100))
    exif = Image.Exif()
    exif[0x0112] = 6
    turned.save(os.path.join(WORK, "turned.jpg"), "JPEG", exif=exif, quality=95)
    if built(brand_file("pic.brand", {"picture": "turned.jpg"}), "turned", what="turned.jpg"):
        rgb = bitmap("turned")[1].convert("RGB")
        ok(rgb.getpixel((45, 5)) == (255, 0, 0) and rgb.getpixel((45, 84)) == (0, 0, 255),
           f"an EXIF-turned JPEG: top {rgb.getpixel((45, 5))}, bottom {rgb.getpixel((45, 84))}, expected red over blue")

    # A gradient needs dithering; the same picture gives the same bytes.
    im = Image.linear_gradient("L").resize((120, 90)).convert("RGB")
    im.save(os.path.join(WORK, "gradient.png"))
    if built(brand_file("pic.brand", {"picture": "gradient.png"}), "grad1") and \
            built(brand_file("pic.brand", {"picture": "gradient.png"}), "grad2"):
        ok(bitmap("grad1")[0] == bitmap("grad2")[0], "the same picture gave different bitmaps")

    # A gray between two of the palette's comes out as a mix of both, not the nearer alone.
    Image.new("RGB", (90, 90), (160, 160, 160)).save(os.path.join(WORK, "gray.png"))
    if built(brand_file("pic.brand", {"picture": "gray.png"}), "gray"):
        colours = sorted(set(bitmap("gray")[1].convert("RGB").getdata()))
        ok(colours == [(128, 128, 128), (192, 192, 192)], f"a flat gray 160 came out as {colours}")

    # The guide's example brand (docs/example.brand) builds.
    built(os.path.join(SOURCE, "docs", "example.brand"), "example", what="docs/example.brand")

    # The default picture is already in the format, and stays as it is.
    if built(os.path.join(SOURCE, "brand", "tolvar.brand"), "default"):
        with open(os.path.join(SOURCE, "res", "football.bmp"), "rb") as f:
            ok(bitmap("default")[0] == f.read(), "the default picture changed on the way")


def test_icons():
    """16, 32 and 48 pixels, uncompressed 32-bit frames, from a picture or from an .ico."""
    Image.new("RGBA", (64, 40), (200, 30, 30, 255)).save(os.path.join(WORK, "icon.png"))
    Image.new("RGBA", (48, 48), (0, 0, 200, 255)).save(os.path.join(WORK, "given.ico"), sizes=[(16, 16), (48, 48)])
    for source in ("icon.png", "given.ico"):
        if not built(brand_file("icon.brand", {"icon": source}), "icon", what=str(source)):
            continue
        with open(os.path.join(WORK, "icon", "icon.ico"), "rb") as f:
            data = f.read()
        frames = []
        for i in range(struct.unpack_from("<H", data, 4)[0]):
            w, h, _, _, _, bits, size, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
            header = struct.unpack_from("<IiiHHI", data, offset)
            frames.append((w, h, bits, header))
        expected = [(s, s, 32, (40, s, 2 * s, 1, 32, 0)) for s in (16, 32, 48)]
        ok(frames == expected, f"{source}: frames {frames}")
        ok(record("icon")["icon"] == str(len(data)), f"{source}: the build record does not give the icon's size")


def ico_bitmap32(alpha, listed_bits):
    """A 16x16 .ico of one 32-bit bitmap frame, red on the left and green on the
    right, every pixel of the given alpha, its AND mask clear on the left and
    set on the right; its directory says listed_bits."""
    pixels = b"".join(struct.pack("BBBB", 0, 0, 255, alpha) * 8 + struct.pack("BBBB", 0, 255, 0, alpha) * 8
                      for _ in range(16))
    mask = b"\x00\xff\x00\x00" * 16
    frame = struct.pack("<IiiHHIIiiII", 40, 16, 32, 1, 32, 0, len(pixels) + len(mask), 0, 0, 0, 0) + pixels + mask
    return struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", 16, 16, 0, 0, 1, listed_bits, len(frame), 22) + frame


def test_icon_frames():
    """An .ico's bitmap frame drawn as Windows draws it: by its own header's
    bits, whatever the directory says; by its alpha, unless that is 0
    throughout, when by its AND mask."""
    for what, alpha, listed, expected in (("alpha 0 throughout", 0, 32, (255, 0)),
                                          ("the directory saying 24 bits", 255, 24, (255, 255)),
                                          ("the directory saying 0 bits", 128, 0, (128, 128))):
        with open(os.path.join(WORK, "frame.ico"), "wb") as f:
            f.write(ico_bitmap32(alpha, listed))
        if not built(brand_file("icon.brand", {"icon": "frame.ico"}), "iconframe", what=what):
            continue
        with open(os.path.join(WORK, "iconframe", "icon.ico"), "rb") as f:
            data = f.read()
        size, offset = struct.unpack_from("<II", data, 6 + 8)
        row = offset + 40 + 8 * 16 * 4          # the middle row, bottom-up
        got = (data[row + 2 * 4 + 3], data[row + 13 * 4 + 3])
        ok(got == expected, f"a 32-bit .ico frame with {what}: alpha left and right {got}, expected {expected}")


# Windows' own IDs for the versions a modern launcher declares it was made for.
SUPPORTED_OS = {"{e2011457-1546-43c5-a5fe-008deee3d3f0}": "Vista", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}": "7",
                "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}": "8", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}": "8.1",
                "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}": "10 and 11"}


def test_modern():
    """A modern brand: its manifest as Windows reads it, a 180-pixel full-colour
    picture, and icon frames for every scale, the largest a PNG; a classic one
    has no manifest."""
    import xml.etree.ElementTree as ET
    Image.new("RGB", (300, 100), (250, 100, 30)).save(os.path.join(WORK, "modern.png"))
    if not built(brand_file("modern.brand", {"style": "modern", "icon": "icon.png", "picture": "modern.png"}),
                 "modern"):
        return
    root = ET.parse(os.path.join(WORK, "modern", "manifest.xml")).getroot()
    found = {el.tag.split("}")[1]: el for el in root.iter()}
    level = found.get("requestedExecutionLevel")
    ok(level is not None and level.get("level") == "asInvoker" and level.get("uiAccess") == "false",
       f"execution level {level is not None and level.attrib}, expected asInvoker")
    systems = {el.get("Id") for el in root.iter() if el.tag.endswith("}supportedOS")}
    ok(systems == set(SUPPORTED_OS), f"supportedOS {sorted(systems)}, expected Vista, 7, 8, 8.1 and 10")
    texts = {tag: (el.text or "").strip() for tag, el in found.items()}
    ok(texts.get("dpiAware") == "true" and "dpiAwareness" not in texts,
       f"dpiAware {texts.get('dpiAware')!r}, dpiAwareness {texts.get('dpiAwareness')!r}: expected system-aware only")
    ok(texts.get("activeCodePage") == "UTF-8", f"activeCodePage {texts.get('activeCodePage')!r}, expected UTF-8")
    ok("longPathAware" not in texts, "longPathAware is set, though the launcher's buffers are MAX_PATH")
    common = [el.attrib for el in root.iter() if el.tag.endswith("}assemblyIdentity")]
    ok(common == [{"type": "win32", "name": "Microsoft.Windows.Common-Controls", "version": "6.0.0.0",
                   "processorArchitecture": "x86", "publicKeyToken": "6595b64144ccf1df", "language": "*"}],
       f"dependencies {common}, expected Common Controls 6")
    data, bmp = bitmap("modern")
    info = struct.unpack_from("<IiiHHI", data, 14)
    rgb = bmp.convert("RGB")
    ok(info == (40, 180, 180, 1, 24, 0) and rgb.getpixel((0, 0)) == rgb.getpixel((90, 90)) == (250, 100, 30),
       f"modern picture {info}, corner {rgb.getpixel((0, 0))}, centre {rgb.getpixel((90, 90))}: expected "
       "180x180 in 24 bits, its own colours to the edges")
    with open(os.path.join(WORK, "modern", "icon.ico"), "rb") as f:
        ico = f.read()
    sizes = [struct.unpack_from("<B", ico, 6 + 16 * i)[0] or 256 for i in range(struct.unpack_from("<H", ico, 4)[0])]
    last = struct.unpack_from("<I", ico, 6 + 16 * (len(sizes) - 1) + 12)[0]
    ok(sizes == [16, 20, 24, 32, 40, 48, 64, 256] and ico[last:last + 8] == b"\x89PNG\r\n\x1a\n",
       f"modern icon frames {sizes}, expected 16 to 256 with 256 a PNG")
    ok(record("modern")["style"] == "modern", "the build record does not say modern")
    built(brand_file("classic.brand", {"icon": "icon.png"}), "classic")
    ok(not os.path.exists(os.path.join(WORK, "classic", "manifest.xml")) and record("classic")["style"] == "classic",
       "a classic brand has a manifest, or its record does not say classic")


def cmake(brand, build, *args):
    return subprocess.run(["cmake", "-G", "Ninja", "-S", SOURCE, "-B", os.path.join(WORK, build), f"-DBRAND={brand}",
                           "-DCMAKE_TOOLCHAIN_FILE=" + os.path.join(SOURCE, "cmake", "i686-w64-mingw32.cmake"),
                           *args], capture_output=True, text=True)


def test_configure():
    """A bad brand stops CMake's configure with the message, however CMake wraps it;
    a publisher's own build, without the tests, makes the .exe by the name written."""
    path = brand_file("configure.brand", {"exe": "setup.exe"})
    res = cmake(path, "configure")
    ok(res.returncode != 0 and "".join(f"{path}:1: exe".split()) in "".join(res.stderr.split()),
       f"configure with exe = setup.exe: exit {res.returncode}, {res.stderr.strip()[-300:]!r}")
    res = cmake(brand_file("my;game.brand"), "semicolon")
    ok(res.returncode != 0 and "whichCMakecannotpass" in "".join(res.stderr.split()),
       f"a brand file named with a ;: exit {res.returncode}, {res.stderr.strip()[-300:]!r}")
    res = cmake(brand_file("own.brand", {"exe": "Spiel.EXE"}), "own", "-DBUILD_TESTING=OFF")
    if ok(res.returncode == 0, f"a publisher's build: {res.stderr.strip()[-300:]}"):
        res = subprocess.run(["cmake", "--build", os.path.join(WORK, "own")], capture_output=True, text=True)
        built = sorted(os.listdir(os.path.join(WORK, "own", "bin")))
        ok(res.returncode == 0 and built == ["Spiel.EXE", "dinstall.record.txt"],
           f"a publisher's build: exit {res.returncode}, built {built}, expected only Spiel.EXE and its record")


def bad_images():
    """The damaged and hostile images of the table above."""
    def write(name, data):
        with open(os.path.join(WORK, name), "wb") as f:
            f.write(data)

    os.mkfifo(os.path.join(WORK, "fifo.png"))
    Image.new("RGB", (8, 8)).save(os.path.join(WORK, "profile.png"), icc_profile=bytes(2 << 20))
    write("huge.png", hostile.png_claiming(13370, 13370))
    Image.new("RGB", (10, 10)).save(os.path.join(WORK, "pic.tif"))
    Image.new("RGBA", (48, 48), (0, 0, 200, 255)).save(os.path.join(WORK, "good.ico"), sizes=[(16, 16), (48, 48)])
    with open(os.path.join(WORK, "good.ico"), "rb") as f:
        ico = f.read()
    size, offset = struct.unpack_from("<II", ico, 6 + 16 + 8)       # the second frame
    with open(os.path.join(WORK, "damaged.ico"), "wb") as f:
        f.write(ico[:offset + size // 2])
    with open(os.path.join(WORK, "lying.ico"), "wb") as f:
        f.write(ico[:6] + bytes([32, 32]) + ico[8:])          # the 16x16 frame says it is 32x32
    with open(os.path.join(WORK, "lying20.ico"), "wb") as f:
        f.write(ico[:6] + bytes([20, 20]) + ico[8:])          # ... or 20x20, a size a classic icon does not take
    one = io.BytesIO()
    Image.new("RGBA", (16, 16), (0, 0, 200, 255)).save(one, "ICO", sizes=[(16, 16)])
    with open(os.path.join(WORK, "lying1.ico"), "wb") as f:
        f.write(one.getvalue()[:6] + bytes([32, 32]) + one.getvalue()[8:])   # its only frame, which Pillow reads first
    write("bomb.png", hostile.png_claiming(20000, 20000))
    write("big.png", hostile.png_claiming(10000, 10000))
    write("scans.jpg", hostile.jpeg_of_scans(20001))
    write("mpo.jpg", hostile.jpeg_of_scans(20001, mpf=True))
    write("comment.gif", hostile.gif_comment(16384))
    write("idats.png", hostile.png_of_empty_idats(1000000))
    write("subblocks.gif", hostile.gif_of_subblocks(1000000))
    write("frame.ico", hostile.ico_of_png_frame(32768))
    # no header check knows it: 30 million ends of line, which Pillow decodes one by one
    write("lines.bmp", hostile.bmp_rle(4096, 4096, b"\0\0" * 30000000))
    write("chunks.png", hostile.png_of_chunks(100000))
    write("frames.ico", hostile.ico_of_frames(2000))
    write("thin.png", hostile.thin_png(1, 8192))
    Image.linear_gradient("L").resize((4000, 3000)).convert("RGB").save(os.path.join(WORK, "costly.png"))


def test_budget():
    """The pictures' budget holds whatever the work: its time (here cut to half a second, far below the
    backstop it is, so that the check takes no longer), and its memory."""
    import images
    works = (("a loop of seconds", lambda stage: [stage("picture"), sum(range(10 ** 9))], "s of processor"),
             ("an allocation", lambda stage: [stage("icon"), bytearray(2 * images.PICTURE_MEMORY)], "MB"))
    backstop, images.PICTURE_SECONDS = images.PICTURE_SECONDS, 0.5
    try:
        for what, work, says in works:
            try:
                images.within_budget(work)
                ok(False, f"{what} beyond the pictures' budget was let through")
            except images.BudgetError as e:
                ok(says in str(e) and e.what in ("picture", "icon"), f"{what} beyond the budget: {e.what}: {e}")
    finally:
        images.PICTURE_SECONDS = backstop


def test_many_chunks():
    """A PNG whose pixels come in more chunks than MAX_CHUNKS, each of an encoder's size, is an honest file:
    only short ones count."""
    import images
    noise = random.Random(1).randbytes(2048 * 6144)        # incompressible: long chunks
    pixels = zlib.compress(b"".join(b"\0" + noise[y * 6144:(y + 1) * 6144] for y in range(2048)), 1)
    count = images.MAX_CHUNKS + 2051
    size = -(-len(pixels) // count)
    ok(size >= images.SMALL_IDAT, f"chunks of {size} bytes are short; the test must make them longer")
    with open(os.path.join(WORK, "chunked.png"), "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + hostile.png_chunk(b"IHDR", struct.pack(">IIBBBBB", 2048, 2048, 8, 2, 0, 0, 0)) +
                b"".join(hostile.png_chunk(b"IDAT", pixels[i:i + size]) for i in range(0, len(pixels), size)) +
                hostile.png_chunk(b"IEND", b""))
    built(brand_file("chunked.brand", {"picture": "chunked.png"}), "chunked",
          what=f"a 2048x2048 PNG in {count:,} chunks of {size:,} bytes")


def test_unreadable():
    """A picture or icon that exists but cannot be opened, or cannot be mapped into memory (a file of the
    kernel's, whose size is a page and whose contents are not), is answered naming its key and why, with no
    traceback. Root opens any file, so as root the kit runs as nobody, from a folder of its own."""
    folder = tempfile.mkdtemp(prefix="unreadable-")
    os.chmod(folder, 0o755)
    shutil.copy(os.path.join(WORK, "pic.png"), os.path.join(folder, "pic.png"))
    shutil.copy(os.path.join(WORK, "pic.png"), os.path.join(folder, "locked.png"))
    os.chmod(os.path.join(folder, "locked.png"), 0)
    as_nobody = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"] if os.geteuid() == 0 else []
    for key, value, says in (("picture", "locked.png", "cannot read " + os.path.join(folder, "locked.png") +
                              ": Permission denied"),
                             ("icon", "locked.png", "cannot read " + os.path.join(folder, "locked.png")),
                             ("picture", "/sys/devices/system/cpu/online", "is not a PNG, JPEG, GIF or BMP image")):
        path = os.path.join(folder, "unreadable.brand")
        with open(path, "w", encoding="utf-8") as f:
            f.write("".join(f"{k} = {v}\n" for k, v in dict(GOOD, **{key: value}).items()))
        os.chmod(path, 0o644)
        res = subprocess.run(as_nobody + [sys.executable, BRAND_PY, path, os.path.join(folder, "out")],
                             capture_output=True, text=True)
        ok(res.returncode != 0 and f": {key}: " in res.stderr and says in res.stderr and "Traceback" not in res.stderr,
           f"{key} = {value}: {res.stderr.strip()[-300:]!r}, expected a message naming {key} that says {says!r}")
    shutil.rmtree(folder)


def test_sameness():
    """The answer is the file's: the largest pictures the limits take, as both picture and icon, build every
    time, the same bytes each time, also while another process keeps a core busy."""
    noise = Image.effect_noise((4096, 4096), 64)
    Image.merge("RGB", (noise, noise.transpose(Image.FLIP_LEFT_RIGHT), noise.transpose(Image.FLIP_TOP_BOTTOM))) \
        .save(os.path.join(WORK, "large.png"), compress_level=1)
    with open(os.path.join(WORK, "large16.png"), "wb") as f:
        f.write(hostile.rgb16_near_key(noise))
    busy = subprocess.Popen([sys.executable, "-c", "while True: pass"])
    try:
        for picture in ("large.png", "large16.png"):
            made = set()
            for run_number in range(3):
                path = brand_file("same.brand", {"picture": picture, "icon": picture})
                if built(path, "same", what=f"{picture} as picture and icon, run {run_number + 1}, a core busy"):
                    with open(os.path.join(WORK, "same", "picture.bmp"), "rb") as f, \
                            open(os.path.join(WORK, "same", "icon.ico"), "rb") as g:
                        made.add(f.read() + g.read())
            ok(len(made) == 1, f"{picture}: {len(made)} different builds of the same file")
    finally:
        busy.kill()
        busy.wait()


def test_more_brands():
    """A 16-bit gray picture keeps its gray; a brand file whose name is not UTF-8
    builds, and so does one whose lines end in CR alone, with a PNG followed by
    zero bytes; a missing picture's name is shown escaped and short."""
    with open(os.path.join(WORK, "pic.png"), "rb") as f:
        padded = f.read() + bytes(65536)
    with open(os.path.join(WORK, "padded.png"), "wb") as f:
        f.write(padded)
    built(brand_file("cr.brand", raw=TOP.replace(b"\n", b"\r")), "cr", what="a brand file with CR line ends")
    built(brand_file("padded.brand", {"picture": "padded.png"}), "padded", what="a PNG followed by zero bytes")
    res = run(brand_file("spoof.brand", {"picture": "\u202e" + "p" * 772 + ".png"}))
    said = res.stderr.partition(":5: picture: ")[2]
    ok(res.returncode != 0 and "\u202e" not in res.stderr and len(said) < 320 and "ppp.png" in said,
       f"a missing picture named with U+202E and 777 characters: {res.stderr!r}")
    Image.new("I;16", (90, 90), int(0.07 * 65535)).save(os.path.join(WORK, "gray16.png"))
    if built(brand_file("pic.brand", {"picture": "gray16.png"}), "gray16", what="a 16-bit gray PNG"):
        gray = list(bitmap("gray16")[1].convert("L").getdata())
        ok(0 < sum(gray) / len(gray) < 40, f"a 7 % gray 16-bit PNG came out {sum(gray) / len(gray):.0f} of 255 bright")
    name = os.fsencode(os.path.join(WORK, "caf")) + b"\xe9.brand"
    with open(name, "wb") as f:
        f.write(TOP)
    res = subprocess.run([sys.executable, BRAND_PY, name, os.path.join(WORK, "latin1")], capture_output=True,
                         text=True)
    ok(res.returncode == 0 and "Traceback" not in res.stderr, f"a brand file named in Latin-1: {res.stderr[-300:]}")


shutil.rmtree(WORK, ignore_errors=True)
os.makedirs(WORK)
Image.new("RGB", (10, 10)).save(os.path.join(WORK, "pic.png"))
with open(os.path.join(WORK, "text.png"), "w") as f:
    f.write("not an image\n")
bad_images()
test_facts_held()
test_bad_brands()
test_good_brand()
test_exe_names()
test_short_messages()
test_games()
test_game_cautions()
test_properties()
test_argument_readings()
test_codepages()
test_language_table()
test_sections()
test_reading_order()
test_letters()
test_growth()
test_icons()
test_icon_frames()
test_modern()
test_pictures()
test_picture_shape()
test_picture_alpha()
test_picture_soft_edge()
test_tests_picture()
test_picture_keys()
test_picture_kinds()
test_more_brands()
test_budget()
test_many_chunks()
test_unreadable()
test_sameness()
test_stand_in_names()
test_configure()
print(f"brand_files.py: {checks} checks, {failures} failures")
sys.exit(1 if failures else 0)
