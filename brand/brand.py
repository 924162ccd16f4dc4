#!/usr/bin/python3
"""Turns a brand file into what the launcher's build needs.

    brand.py BRAND_FILE OUT_DIR

Writes into OUT_DIR:
  brand.h      for the code: the class, the game's command line, whether Play starts a
               program directly, and which features the brand has (icon, modern, gamepad)
  dialogs.rc   the launch dialog's texts in each of the brand's languages, for the resource script
  picture.bmp  the picture as a 90x90, 16-colour bitmap (modern: 180x180 in full colour)
  icon.ico     the icon at 16, 32 and 48 pixels (modern: 16 to 256), if the brand has one
  manifest.xml the application manifest of a modern launcher
  record.txt   the build record, which the build, the preview and the tests read (FORMAT.md)
and prints the picture's and the icon's paths, so that the build can watch them.
A brand file that will not do is refused with a message naming its file, line
and key; what builds but deserves a look is printed as a warning."""
import difflib
import os
import sys
import unicodedata

import fonts
import images

REQUIRED = ("exe", "caption", "line1", "line2", "picture", "class")
DEFAULTS = {"play": "Play", "cancel": "Cancel", "game": "GAME.BAT", "style": "classic", "gamepad": "no"}
KEYS = REQUIRED + ("play", "cancel", "language", "icon", "game", "style", "gamepad")
STYLES = ("classic", "modern")
TEXTS = ("caption", "line1", "line2", "play", "cancel")     # what a language section may set
# Windows takes a 32-bit program whose name holds one of these for an
# installer and asks for administrator rights before it starts.
INSTALLER_WORDS = ("install", "setup", "update", "upgrade", "patch", "uninst")
# Names Windows keeps for devices, whatever follows them after a dot; the
# superscript digits count as digits there.
DEVICE_NAMES = {"con", "prn", "aux", "nul", "conin$", "conout$", "clock$"} | \
    {f"{d}{n}" for d in ("com", "lpt") for n in "0123456789\u00b9\u00b2\u00b3"}
# Classes of windows that Windows itself makes, many of them top-level in every
# session or every program: a launcher of such a class would refuse to start.
SYSTEM_CLASSES = {c.lower() for c in (
    "Button", "ComboBox", "ComboLBox", "DDEMLEvent", "DDEMLMom", "Edit", "ListBox", "MDIClient",
    "ScrollBar", "Static", "Message", "IME", "MSCTFIME UI", "tooltips_class32", "tooltips_class",
    "Shell_TrayWnd", "Shell_SecondaryTrayWnd", "Progman", "WorkerW", "SysShadow", "SysListView32",
    "SysTreeView32", "SysHeader32", "ToolbarWindow32", "msctls_statusbar32", "msctls_progress32",
    "msctls_trackbar32", "msctls_updown32", "SysTabControl32", "ReBarWindow32", "SysLink",
    "ConsoleWindowClass", "OleMainThreadWndClass", "CicMarshalWndClass", "ApplicationFrameWindow",
    "Windows.UI.Core.CoreWindow", "DesktopWindowXamlSource", "NotifyIconOverflowWindow",
    "TaskManagerWindow", "ForegroundStaging", "MultitaskingViewFrame", "Ghost", "#32768", "#32769",
    "#32770", "#32771", "#32772")}
# Characters that a file name may hold on Windows but that the build's tools
# (CMake's lists, make, the shell behind windres) cannot pass through, or that
# would reach the linker as an option (a comma, inside -Wl,).
BUILD_UNSAFE = ';$%#`",'
MAX_TEXT = 255              # UTF-16 units of a caption, line or label
MODERN_CODE = 1024          # what a modern launcher's code and templates add
CLASSIC_PICTURE = 4424      # bytes of the 16-colour picture resource
GAMEPAD_CODE = 1024         # what reading a controller adds
MAX_PATH = 260
MAX_NAME = 255
MAX_FILE = 1 << 20          # bytes of a brand file: a hundred times what forty languages need
MAX_LINE = 4096             # characters of a line
MAX_SHOWN = 60              # characters of a value quoted in a message

# Windows' ANSI code pages, in the order the preview tries them, with a
# locale of each for Wine, which takes its code page from the locale.
CODEPAGES = {1252: "en_US", 1250: "pl_PL", 1251: "ru_RU", 1253: "el_GR", 1254: "tr_TR", 1257: "lt_LT",
             1255: "he_IL", 1256: "ar_EG", 874: "th_TH", 1258: "vi_VN",
             932: "ja_JP", 936: "zh_CN", 949: "ko_KR", 950: "zh_TW"}
UTF8 = 65001
# The code pages whose letters Wine's MS Sans Serif draws (Windows' own has Thai,
# Hebrew and Arabic ones too; Wine's draws those as boxes), and the scripts it
# lacks whatever the code page.
BITMAP_CODEPAGES = (1252, 1250, 1251, 1253, 1254, 1257, 932, 936, 949, 950)
SCRIPTS = ("THAI", "HEBREW", "ARABIC", "DEVANAGARI")
# Language tags, one for each display language of Windows: the name, the
# LANGID of the template (primary, sublanguage), the locale the preview runs it
# under and that locale's ANSI code page (0: Unicode only). Windows' resource
# loader tries the player's exact LANGID, then the language with the neutral
# sublanguage: a tag without a country takes the neutral one and so serves
# every country of its language; a tag with a country serves that country
# alone. Croatian and Serbian share a primary language, so Croatian keeps its
# country and Serbian (Latin) serves the rest. README.md shows this table.
LANGUAGES = {
    "ar": ("Arabic", 0x01, 0, "ar_SA", 1256), "bg": ("Bulgarian", 0x02, 0, "bg_BG", 1251),
    "cs": ("Czech", 0x05, 0, "cs_CZ", 1250), "da": ("Danish", 0x06, 0, "da_DK", 1252),
    "de": ("German", 0x07, 0, "de_DE", 1252), "el": ("Greek", 0x08, 0, "el_GR", 1253),
    "en-US": ("English (United States)", 0x09, 0x01, "en_US", 1252),
    "en-GB": ("English (United Kingdom)", 0x09, 0x02, "en_GB", 1252),
    "es": ("Spanish", 0x0a, 0, "es_ES", 1252), "es-MX": ("Spanish (Mexico)", 0x0a, 0x02, "es_MX", 1252),
    "et": ("Estonian", 0x25, 0, "et_EE", 1257), "fi": ("Finnish", 0x0b, 0, "fi_FI", 1252),
    "fr": ("French", 0x0c, 0, "fr_FR", 1252), "fr-CA": ("French (Canada)", 0x0c, 0x03, "fr_CA", 1252),
    "he": ("Hebrew", 0x0d, 0, "he_IL", 1255), "hi": ("Hindi", 0x39, 0, "hi_IN", 0),
    "hr": ("Croatian", 0x1a, 0x01, "hr_HR", 1250), "hu": ("Hungarian", 0x0e, 0, "hu_HU", 1250),
    "it": ("Italian", 0x10, 0, "it_IT", 1252), "ja": ("Japanese", 0x11, 0, "ja_JP", 932),
    "ko": ("Korean", 0x12, 0, "ko_KR", 949), "lt": ("Lithuanian", 0x27, 0, "lt_LT", 1257),
    "lv": ("Latvian", 0x26, 0, "lv_LV", 1257), "nb": ("Norwegian (Bokmål)", 0x14, 0, "nb_NO", 1252),
    "nl": ("Dutch", 0x13, 0, "nl_NL", 1252), "pl": ("Polish", 0x15, 0, "pl_PL", 1250),
    "pt-BR": ("Portuguese (Brazil)", 0x16, 0x01, "pt_BR", 1252),
    "pt-PT": ("Portuguese (Portugal)", 0x16, 0x02, "pt_PT", 1252),
    "ro": ("Romanian", 0x18, 0, "ro_RO", 1250), "ru": ("Russian", 0x19, 0, "ru_RU", 1251),
    "sk": ("Slovak", 0x1b, 0, "sk_SK", 1250), "sl": ("Slovenian", 0x24, 0, "sl_SI", 1250),
    "sr-Latn": ("Serbian (Latin)", 0x1a, 0, "sr_RS@latin", 1250), "sv": ("Swedish", 0x1d, 0, "sv_SE", 1252),
    "th": ("Thai", 0x1e, 0, "th_TH", 874), "tr": ("Turkish", 0x1f, 0, "tr_TR", 1254),
    "uk": ("Ukrainian", 0x22, 0, "uk_UA", 1251), "vi": ("Vietnamese", 0x2a, 0, "vi_VN", 1258),
    "zh-CN": ("Chinese (Simplified)", 0x04, 0x02, "zh_CN", 936),
    "zh-TW": ("Chinese (Traditional)", 0x04, 0x01, "zh_TW", 950),
}
# Languages written right to left: Windows mirrors their dialogs.
RIGHT_TO_LEFT = ("ar", "he")


class BrandError(Exception):
    pass


def language_tag(text):
    """The tag as this table spells it, or None."""
    return next((t for t in LANGUAGES if t.lower() == text.lower()), None)


def tag_hint(text):
    """A table's tag of the same language, for a tag with a country the table does not name."""
    same = [t for t in LANGUAGES if t.split("-")[0].lower() == text.split("-")[0].lower()]
    return f" (did you mean {' or '.join(same)}?)" if same else ""


def parse(path):
    """The top part's values and, for each [TAG] section, its own; each value
    with the line it stood on."""
    shown = printable(path)
    try:
        if not os.path.isfile(path):
            raise BrandError(f"{shown}: not a brand file")
        with open(path, "rb") as f:
            raw = f.read()
    except OSError as e:
        raise BrandError(f"{shown}: cannot read the brand file: {e.strerror}")
    if raw.startswith((b"\xff\xfe", b"\xfe\xff")):
        raise BrandError(f"{shown}:1: the file is UTF-16; save it as UTF-8")
    if len(raw) > MAX_FILE:
        raise BrandError(f"{shown}: the file has {len(raw):,} bytes; a brand file has at most {MAX_FILE:,}")
    if raw.startswith(b"\xef\xbb\xbf"):
        raw = raw[3:]
    top = {}
    sections = []           # (tag, values, line of the header)
    values = top
    for number, line in enumerate(raw.split(b"\n"), 1):
        if len(line) > MAX_LINE:
            raise BrandError(f"{shown}:{number}: the line has {len(line):,} bytes; a line has at most {MAX_LINE:,}")
        try:
            text = line.decode("utf-8").rstrip("\r").strip()
        except UnicodeDecodeError:
            raise BrandError(f"{shown}:{number}: the line is not valid UTF-8{encoding_hint(line)}; "
                             "save the file as UTF-8")
        if not text or text.startswith("#"):
            continue
        if text.startswith("[") and text.endswith("]"):
            name = text[1:-1].strip()
            where = f"{shown}:{number}: [{clip(name)}]"
            tag = language_tag(name)
            if not top:
                raise BrandError(f"{where}: a section comes before the top part; begin with exe, caption and "
                                 "the other keys, then the sections")
            if not tag:
                raise BrandError(f"{where}: unknown language tag{tag_hint(name)}; the tags are {', '.join(LANGUAGES)}")
            seen = [(t, n) for t, _, n in sections if t == tag]
            if seen:
                raise BrandError(f"{where}: repeated; that section began on line {seen[0][1]}")
            values = {}
            sections.append((tag, values, number))
            continue
        key, eq, value = text.partition("=")
        key, value = key.strip(), value.strip()
        where = f"{shown}:{number}: {clip(key) or '(no key)'}"
        if not eq:
            raise BrandError(f"{where}: expected a line of the form key = value")
        if key not in KEYS:
            near = difflib.get_close_matches(key.lower(), KEYS, n=1)
            raise BrandError(f"{where}: unknown key{f' (did you mean {near[0]}?)' if near else ''}; "
                             f"the keys are {', '.join(KEYS)}")
        controls = [c for c in value if unicodedata.category(c) == "Cc"]
        if controls:
            raise BrandError(f"{where}: {char_names(controls)} is a control character, which no key takes")
        if values is not top and key not in TEXTS:
            raise BrandError(f"{where}: a language section may set only {', '.join(TEXTS)}; "
                             f"put {key} in the top part")
        if key in values:
            raise BrandError(f"{where}: repeated; it was set on line {values[key][1]}")
        if not value:
            raise BrandError(f"{where}: the value is empty")
        values[key] = (value, number)
    for key in REQUIRED:
        if key not in top:
            raise BrandError(f"{shown}: {key}: missing; every brand sets {', '.join(REQUIRED)}")
    if sections and "language" not in top:
        raise BrandError(f"{shown}:{sections[0][2]}: [{sections[0][0]}]: a brand with language sections names "
                         "the language of its top part with language = TAG")
    return top, sections


def char_names(chars):
    """Characters as a reader can tell them apart: U+2013 EN DASH."""
    names = []
    for c in sorted(set(chars)):
        names.append(f"U+{ord(c):04X} {unicodedata.name(c, '')}".rstrip())
    return ", ".join(names)


def clip(text):
    """A value as a message quotes it: at most MAX_SHOWN characters."""
    return text if len(text) <= MAX_SHOWN else text[:MAX_SHOWN] + f"... ({len(text):,} characters)"


def encoding_hint(line):
    """What a line that is not UTF-8 looks like."""
    try:
        line.decode("cp1252")
    except UnicodeDecodeError:
        return ""
    return " (it looks like Windows-1252 or Latin-1)"


def utf16_units(value):
    return len(value.encode("utf-16-le")) // 2


def noncharacters(value):
    """Code points Unicode keeps out of text; at the start of a resource string
    U+FFFF even turns it into a number."""
    return sorted({c for c in value if 0xFDD0 <= ord(c) <= 0xFDEF or (ord(c) & 0xFFFE) == 0xFFFE})


def check_class(value, where):
    bad = [c for c in value if not " " <= c <= "~"]
    if bad:
        raise BrandError(f"{where}: the class must be printable ASCII, not {char_names(bad)}")
    if len(value) > MAX_NAME:
        raise BrandError(f"{where}: the class has {len(value)} characters, at most {MAX_NAME} are allowed")
    if value.startswith("#") or value.lower() in SYSTEM_CLASSES:
        raise BrandError(f"{where}: {value} is a class of Windows' own windows, which would make every start "
                         "of the launcher end at once; choose a name of the game's own")


def check_name(value, where, what):
    """A file name as Windows takes it."""
    bad = sorted({c for c in value if c in '<>:"/\\|?*' or ord(c) < 32})
    if bad:
        raise BrandError(f"{where}: Windows forbids {char_names(bad)} in {what}")
    stem = value.split(".")[0].rstrip(" ")
    if stem.lower() in DEVICE_NAMES:
        raise BrandError(f"{where}: {stem} is a device name on Windows, never a file")


def check_exe(value, where):
    if not value.lower().endswith(".exe") or not value[:-4].strip(" ."):
        raise BrandError(f"{where}: the file name must be a name ending in .exe")
    if utf16_units(value) > MAX_NAME:
        raise BrandError(f"{where}: the file name has {utf16_units(value)} UTF-16 units; Windows takes at most "
                         f"{MAX_NAME}")
    if len(value.encode("utf-8")) > MAX_NAME:
        raise BrandError(f"{where}: the file name has {len(value.encode('utf-8'))} bytes in UTF-8; the build's "
                         f"file system takes at most {MAX_NAME}")
    check_name(value, where, "file names")
    bad = sorted({c for c in value if c in BUILD_UNSAFE} | set(noncharacters(value)))
    if bad:
        raise BrandError(f"{where}: the build cannot make a file whose name holds {char_names(bad)}")
    for word in INSTALLER_WORDS:
        if word in value.lower():
            raise BrandError(f"{where}: a name with \"{word}\" makes Windows take the launcher for an "
                             "installer and ask for administrator rights")


def check_text(value, where):
    bad = noncharacters(value)
    if bad:
        raise BrandError(f"{where}: {char_names(bad)} is not a character; "
                         "Windows would not store the text as written")
    if utf16_units(value) > MAX_TEXT:
        raise BrandError(f"{where}: {utf16_units(value)} UTF-16 units; each text may have at most {MAX_TEXT}, "
                         "which keeps the .exe within its size budget")


def check_game(value, where):
    """The command line Play hands to WinExec, which takes it in ANSI and
    expands nothing; returns the program it names."""
    bad = [c for c in value if not " " <= c <= "~"]
    if bad:
        raise BrandError(f"{where}: the command line must be printable ASCII (Windows takes it in ANSI), "
                         f"not {char_names(bad)}")
    if len(value) >= MAX_PATH:
        raise BrandError(f"{where}: the command line has {len(value)} characters; "
                         f"at most {MAX_PATH - 1} fit in MAX_PATH")
    if value.startswith('"'):
        name, closed, _ = value[1:].partition('"')
        if not closed:
            raise BrandError(f"{where}: the quote around the program's name is not closed")
    else:
        name = value.split(" ")[0]
    if value.count('"') % 2:
        raise BrandError(f"{where}: a quote is not closed")
    if not name.strip():
        raise BrandError(f"{where}: the program's name is empty")
    if name[0] in "-/":
        raise BrandError(f"{where}: {name} is an option, not a program: name the program first")
    if "%" in name:
        raise BrandError(f"{where}: Windows does not expand %variables% here: name the program itself")
    drive = len(name) > 2 and name[1] == ":" and name[0].isalpha() and name[2] in "\\/"
    last = name.replace("/", "\\").rstrip(" ").split("\\")[-1]
    if not last:
        raise BrandError(f"{where}: {name} names a folder, not a program")
    for part in (name[2:] if drive else name).replace("/", "\\").split("\\"):
        check_name(part, where, "a program's name")
    return name


def codepage(texts):
    """The first of Windows' ANSI code pages that holds all of the texts, else
    UTF-8 (65001), under which Wine keeps every character as Windows does."""
    for cp in CODEPAGES:
        if all(can_encode(c, cp) for c in "".join(texts)):
            return cp
    return UTF8


def script(texts):
    """The script whose letters the texts hold but Wine's MS Sans Serif cannot
    draw in any code page, where Windows draws them in a font of that script:
    one of SCRIPTS, "latin" for letters such as Vietnamese ones, "-" for none."""
    for c in "".join(texts):
        name = unicodedata.name(c, "")
        for word in SCRIPTS:
            if name.startswith(word + " "):
                return word.lower()
        if name.startswith(("LATIN ", "COMBINING ")) and not any(can_encode(c, cp) for cp in BITMAP_CODEPAGES):
            return "latin"
    return "-"


def can_encode(c, cp):
    if cp == UTF8:
        return True
    if not cp:
        return c.isascii()
    try:
        c.encode("gbk" if cp == 936 else f"cp{cp}")
        return True
    except UnicodeEncodeError:
        return False


def dialogs(path, top, sections):
    """The brand's launch dialogs: one with no language for a brand without
    sections, else one for the top part's language and one for each section."""
    language = None
    if "language" in top:
        language = language_tag(top["language"][0])
        if not language:
            raise BrandError(f"{path}:{top['language'][1]}: language: unknown language tag"
                             f"{tag_hint(top['language'][0])}; the tags are {', '.join(LANGUAGES)}")
    parts = [(language, top)] + [(tag, values) for tag, values, _ in sections]
    if sections and language in [tag for tag, _, _ in sections]:
        number = next(n for tag, _, n in sections if tag == language)
        raise BrandError(f"{path}:{number}: [{language}]: repeated; the top part is {language} already")
    out = []
    for (tag, values), header in zip(parts, [top.get("language", (None, 0))[1]] + [n for _, _, n in sections]):
        texts, where = {}, {}
        for key in TEXTS:
            value, line = values.get(key) or top.get(key) or (DEFAULTS.get(key), 0)
            where[key] = f"{path}:{line}: {key}" + (f" [{tag}]" if sections else "")
            # Composed, as Windows' fonts and its shaping expect: combining marks
            # typed apart from their letters land beside them.
            value = unicodedata.normalize("NFC", value)
            # A static control, like a button, takes & for a mnemonic: the question shows it as written.
            texts[key] = value.replace("&", "&&") if key in ("line1", "line2") else value
            check_text(texts[key], where[key])
        if tag:
            check_script(tag, texts, f"{path}:{header}: " + (f"[{tag}]" if values is not top else "language"))
        if tag:
            # Windows picks a template by the player's language, so it is
            # previewed under that language's locale, in UTF-8 if its code
            # page lacks some of the texts.
            locale, cp = LANGUAGES[tag][3], LANGUAGES[tag][4]
            if not all(can_encode(c, cp) for c in "".join(texts.values())):
                cp = UTF8
        else:
            cp = codepage(texts.values())
            locale = CODEPAGES.get(cp, "en_US")
        language_id = (LANGUAGES[tag][1], LANGUAGES[tag][2]) if sections else (0, 0)
        place, at, modifier = locale.partition("@")
        out.append({"tag": tag or "-", "id": language_id, "locale": place + ".UTF-8" + at + modifier, "codepage": cp,
                    "script": script(texts.values()), "rtl": right_to_left(tag, texts), "where": where, **texts})
    if len(out) > 1 and "en-US" not in [d["tag"] for d in out]:
        warn(f"{path}: no [en-US] section: where a player's language is not among the brand's, "
             "Windows shows the first of its dialogs, not an English one")
    return out


# The letters a language's texts are written in, by the start of their Unicode
# names; every other tag of LANGUAGES is written in Latin letters.
LANGUAGE_SCRIPTS = {
    "ar": ("ARABIC",), "he": ("HEBREW",), "el": ("GREEK",), "th": ("THAI",), "hi": ("DEVANAGARI",),
    "bg": ("CYRILLIC",), "ru": ("CYRILLIC",), "uk": ("CYRILLIC",),
    "ja": ("HIRAGANA", "KATAKANA", "CJK UNIFIED IDEOGRAPH"), "ko": ("HANGUL",),
    "zh-CN": ("CJK UNIFIED IDEOGRAPH",), "zh-TW": ("CJK UNIFIED IDEOGRAPH",),
}


def check_script(tag, texts, where):
    """A dialog for a language holds at least one letter of that language's
    script: a name in Latin letters inside it is fine, texts left in another
    language are not."""
    scripts = LANGUAGE_SCRIPTS.get(tag, ("LATIN",))
    letters = [unicodedata.name(c, "") for t in texts.values() for c in t if c.isalpha()]
    if not any(name.startswith(scripts) for name in letters):
        script = scripts[0].split()[0].capitalize() if tag not in ("ja", "zh-CN", "zh-TW") else "Chinese or Japanese"
        raise BrandError(f"{where}: none of the {LANGUAGES[tag][0]} dialog's texts holds a {script} letter; "
                         f"its texts are still in another language (caption: {clip(texts['caption'])!r}, "
                         f"line1: {clip(texts['line1'])!r})")


def right_to_left(tag, texts):
    """Whether Windows lays the dialog out right to left: a Hebrew or Arabic
    one, or one without a language whose question (else caption) starts with a
    Hebrew or Arabic letter, though a caption may begin with a Latin name."""
    if tag:
        return tag in RIGHT_TO_LEFT
    for c in "".join(texts[k] for k in ("line1", "line2", "caption", "play", "cancel")):
        kind = unicodedata.bidirectional(c)
        if kind in ("L", "R", "AL"):
            return kind != "L"
    return False


# The standard dialog, in dialog units: the question's lines, the buttons, the
# room the lines and the buttons share, and what lies beside and around them
# (res/resource.h). A language whose texts do not fit grows from it.
LINE1_WIDTH, LINE2_WIDTH, BUTTON_WIDTH, CONTENT_WIDTH = 60, 110, 40, 110
CONTENT_X, BUTTON_GAP, DIALOG_MARGIN, DIALOG_X = 90, 30, 20, 70
BUTTON_EDGES = 6            # pixels of a button's edges, inside which its label lies
SLACK = 2                   # pixels a grown control keeps spare, for Wine's hinting and 150 %
MIN_SCREEN = 800            # pixels: the narrowest screen Windows 10 and 11 run on


def layout(d, style):
    """The rectangles of a dialog whose texts do not fit the standard one, in
    the fonts the preview draws them in (with a tenth spare where a stand-in
    font draws them), or None when they fit: the lines, the buttons (both as
    wide as the wider label needs) and the dialog grow, nothing else moves."""
    measure = fonts.Measure(d["codepage"], d["script"], style)
    base = measure.base_unit()
    spare = 10 if d["script"] != "-" else 0

    def need(key, units, edges):
        text = d[key]
        px = lambda u: (u * base + 2) // 4 - edges
        if measure.width(text) <= px(units) * (100 - spare) // 100:
            return units
        while measure.width(text) > (px(units) - SLACK) * (100 - spare) // 100:
            units += 1
        return units

    line1, line2 = need("line1", LINE1_WIDTH, 0), need("line2", LINE2_WIDTH, 0)
    button = max(need("play", BUTTON_WIDTH, BUTTON_EDGES), need("cancel", BUTTON_WIDTH, BUTTON_EDGES))
    if (line1, line2, button) == (LINE1_WIDTH, LINE2_WIDTH, BUTTON_WIDTH):
        return None
    content = max(CONTENT_WIDTH, line1, line2, 2 * button + BUTTON_GAP)
    width = CONTENT_X + content + DIALOG_MARGIN
    pixels = ((DIALOG_X + width) * base + 2) // 4 + BUTTON_EDGES
    if pixels > MIN_SCREEN:
        key = max(("line1", "line2", "play"), key=lambda k: {"line1": line1, "line2": line2, "play": 2 * button}[k])
        raise BrandError(f"{d['where'][key]}: the dialog would be {pixels:,} pixels wide to hold it, more than a "
                         f"screen {MIN_SCREEN} pixels wide has: shorten it")
    return {"DLG_RECT": (DIALOG_X, 70, width, 80), "PLAY_RECT": (CONTENT_X, 50, button, 14),
            "CANCEL_RECT": (CONTENT_X + content - button, 50, button, 14),
            "QUESTION1_RECT": (CONTENT_X, 10, line1, 10), "QUESTION2_RECT": (CONTENT_X, 20, line2, 10)}


def warn(message):
    sys.stderr.write(f"warning: {message}\n")


def template_size(texts):
    """Bytes of a language's dialog template in the .exe, with its resource
    entries: the template's fixed part and five controls, and the texts in UTF-16."""
    units = sum(utf16_units(texts[k]) + 1 for k in TEXTS)
    return 256 + 2 * units


def extra_size(values, languages, icon_size, picture_size=0):
    """What the brand adds to the .exe over Tolvar's: its icon, its dialogs, its
    longer class and game, and a modern launcher's manifest, larger picture and
    code, in whole 512-byte blocks of the file."""
    top, sections = parse(os.path.join(os.path.dirname(os.path.abspath(__file__)), "tolvar.brand"))
    tolvar = dict(DEFAULTS, **{k: v for k, (v, _) in top.items()})
    grown = sum(template_size(d) for d in languages) - template_size(dialogs("tolvar.brand", top, sections)[0])
    grown += len(values["class"]) - len(tolvar["class"]) + len(values["game"]) - len(tolvar["game"])
    if values["style"] == "modern":
        grown += len(MANIFEST) + picture_size - CLASSIC_PICTURE + MODERN_CODE
    if values["gamepad"] == "yes":
        grown += GAMEPAD_CODE
    grown = icon_size + max(0, grown)
    return -(-grown // 512) * 512


# A modern launcher's manifest: never elevated; the Windows it was made for, so
# that none treats it as an old program; sharp at the system's DPI; themed
# buttons; and UTF-8 as its code page, for paths and commands in any script.
# Not per-monitor aware (its picture is drawn for one DPI) nor long-path aware
# (its buffers are MAX_PATH).
MANIFEST = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0">
  <trustInfo xmlns="urn:schemas-microsoft-com:asm.v3">
    <security>
      <requestedPrivileges>
        <requestedExecutionLevel level="asInvoker" uiAccess="false"/>
      </requestedPrivileges>
    </security>
  </trustInfo>
  <compatibility xmlns="urn:schemas-microsoft-com:compatibility.v1">
    <application>
      <supportedOS Id="{e2011457-1546-43c5-a5fe-008deee3d3f0}"/>
      <supportedOS Id="{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"/>
      <supportedOS Id="{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}"/>
      <supportedOS Id="{1f676c76-80e1-4239-95bb-83d0f6d0da78}"/>
      <supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"/>
    </application>
  </compatibility>
  <application xmlns="urn:schemas-microsoft-com:asm.v3">
    <windowsSettings>
      <dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings">true</dpiAware>
      <activeCodePage xmlns="http://schemas.microsoft.com/SMI/2019/WindowsSettings">UTF-8</activeCodePage>
    </windowsSettings>
  </application>
  <dependency>
    <dependentAssembly>
      <assemblyIdentity type="win32" name="Microsoft.Windows.Common-Controls" version="6.0.0.0"
                        processorArchitecture="x86" publicKeyToken="6595b64144ccf1df" language="*"/>
    </dependentAssembly>
  </dependency>
</assembly>
"""


def guard_name(cls):
    """The kernel object that a modern launcher takes before it looks for the
    class's window: in the session's namespace, as windows are, named after the
    class, with no backslash (which would name a namespace) and within MAX_PATH."""
    return ("Local\\" + cls.replace("\\", "/"))[:MAX_PATH - 1]


def image_at(folder, value):
    """A picture or icon named relative to the brand file; either separator
    does, as a publisher on Windows writes it."""
    return os.path.join(folder, value.replace("\\", "/"))


def literal(value):
    """A string literal that both the C compiler and the resource compiler read
    as the same UTF-8: quotes and control characters as octal escapes."""
    out = []
    for c in value:
        if c == "\\":
            out.append("\\\\")
        elif c == '"' or ord(c) < 32 or ord(c) == 127:
            out.append("\\%03o" % ord(c))
        else:
            out.append(c)
    return '"' + "".join(out) + '"'


# The build record: what the build, the preview and the tests know of a built
# launcher. Its fields are described in FORMAT.md, and this is its Python reader.
RECORD_FIELDS = ("exe", "class", "game", "program", "icon", "style", "gamepad", "extra")
DIALOG_FIELDS = ("locale", "codepage", "script", "layout", "width") + TEXTS


def write_record(path, values, languages, icon_size, extra):
    lines = ["# The build record of a launcher, made by brand.py: see brand/FORMAT.md"]
    record = dict(values, icon=icon_size, extra=extra)
    lines += [f"{k}\t{record[k]}" for k in RECORD_FIELDS]
    for d in languages:
        lines.append(f"dialog\t{d['tag']}")
        width = d["rects"]["DLG_RECT"][2] if d["rects"] else CONTENT_X + CONTENT_WIDTH + DIALOG_MARGIN
        d = dict(d, layout="rtl" if d["rtl"] else "ltr", width=width)
        lines += [f"{k}\t{d[k]}" for k in DIALOG_FIELDS]
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


def read_record(path):
    """The record as a dict of its fields, with "dialogs" a list of dicts, each with its "tag"."""
    record = {"dialogs": []}
    with open(path, encoding="utf-8") as f:
        for line in f:
            if line.startswith("#"):
                continue
            key, _, value = line.rstrip("\n").partition("\t")
            if key == "dialog":
                record["dialogs"].append({"tag": value})
            elif record["dialogs"]:
                record["dialogs"][-1][key] = value
            else:
                record[key] = value
    return record


def main(argv):
    if len(argv) != 3:
        raise BrandError("usage: brand.py BRAND_FILE OUT_DIR")
    path, out = argv[1], argv[2]
    top, sections = parse(path)
    shown = printable(path)
    where = {k: f"{shown}:{line}: {k}" for k, (_, line) in top.items()}
    values = dict(DEFAULTS, **{k: v for k, (v, _) in top.items()})
    check_exe(values["exe"], where["exe"])
    check_class(values["class"], where["class"])
    values["program"] = check_game(values["game"], where.get("game", f"{shown}: game"))
    if values["style"] not in STYLES:
        raise BrandError(f"{where['style']}: the style is classic or modern")
    if values["gamepad"] not in ("no", "yes"):
        raise BrandError(f"{where['gamepad']}: gamepad is yes or no")
    modern = values["style"] == "modern"
    languages = dialogs(shown, top, sections)
    try:
        for d in languages:
            d["rects"] = layout(d, values["style"])
    except fonts.FontError as e:
        raise BrandError(f"{shown}: cannot measure the texts: {e}")
    folder = os.path.dirname(os.path.abspath(path))
    watched = [image_at(folder, values["picture"])]
    try:
        source = images.open_image(watched[0])
        bmp = images.picture_full(source) if modern else images.picture(source)
        ico = None
        if "icon" in values:
            watched.append(image_at(folder, values["icon"]))
            ico = images.icon(*images.open_icon(watched[1]),
                              sizes=images.MODERN_ICON_SIZES if modern else images.ICON_SIZES)
    except images.ImageError as e:
        raise BrandError(f"{where['icon' if len(watched) > 1 else 'picture']}: {e}")

    os.makedirs(out, exist_ok=True)
    with open(os.path.join(out, "picture.bmp"), "wb") as f:
        f.write(bmp)
    note = f"Made by brand.py from {printable(os.path.basename(path))}: edit that file, not this one."
    header = [f"/* {note} */",
              f"#define BRAND_CLASS    {literal(values['class'])}",
              f"#define BRAND_GAME     {literal(values['game'])}"]
    if ico:
        with open(os.path.join(out, "icon.ico"), "wb") as f:
            f.write(ico)
        header.append("#define BRAND_ICON     1")
    if not values["program"].lower().endswith((".bat", ".cmd")):
        header.append("#define BRAND_DIRECT   1")
    if modern:
        with open(os.path.join(out, "manifest.xml"), "w", encoding="utf-8", newline="\n") as f:
            f.write(MANIFEST)
        header.append("#define BRAND_MODERN   1")
        header.append(f"#define BRAND_GUARD    {literal(guard_name(values['class']))}")
    if values["gamepad"] == "yes":
        header.append("#define BRAND_GAMEPAD  1")
    with open(os.path.join(out, "brand.h"), "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(header) + "\n")

    rc = [f"/* {note}", " * The launch dialog in each of the brand's languages. */"]
    for d in languages:
        rc.append("")
        rc.append(f"#define DLG_LANGUAGE    0x{d['id'][0]:02x}, 0x{d['id'][1]:02x}")
        if d["rtl"]:
            # Mirrored, which makes the reading order right to left too: in a
            # mirrored window Windows reverses WS_EX_RTLREADING. The texts and
            # buttons are mirrored as the dialog; the picture is not, so that
            # it is shown as drawn.
            rc.append("#define DLG_EXSTYLE     WS_EX_LAYOUTRTL | WS_EX_NOINHERITLAYOUT")
            rc.append("#define DLG_TEXTSTYLE   WS_EX_LAYOUTRTL")
        rc += [f"#define DLG_{k.upper():11} {literal(d[k])}" for k in TEXTS]
        if d["rects"]:
            # grown for its texts: the standard layout is back after it
            rc += [f"#undef {k}\n#define {k:15} {', '.join(map(str, r))}" for k, r in d["rects"].items()]
        rc.append('#include "dialog.rc"')
        rc += [f"#undef DLG_{k.upper()}" for k in ("language", "exstyle", "textstyle") + TEXTS]
        if d["rects"]:
            rc += [f"#undef {k}" for k in d["rects"]] + ['#include "resource.h"']
    with open(os.path.join(out, "dialogs.rc"), "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(rc) + "\n")

    icon_size = len(ico) if ico else 0
    write_record(os.path.join(out, "record.txt"), values, languages, icon_size,
                 extra_size(values, languages, icon_size, len(bmp) - 14))
    for image in watched:
        print(os.path.abspath(image))


def printable(path):
    """A path as it can be shown, whatever bytes its name holds."""
    return os.fsencode(path).decode("utf-8", "backslashreplace")


if __name__ == "__main__":
    sys.stderr.reconfigure(errors="backslashreplace")
    sys.stdout.reconfigure(errors="surrogateescape")
    try:
        main(sys.argv)
    except BrandError as e:
        sys.stderr.write(f"brand: {e}\n")
        sys.exit(1)
