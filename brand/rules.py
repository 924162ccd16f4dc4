"""What a brand file may hold: its keys, and the rules that Windows, the
build and the launcher set on each value. parse() reads a brand file; the
check_ functions refuse a value with a message naming its file, line and key."""
import difflib
import functools
import json
import os
import re
import unicodedata

from languages import LANGUAGES, language_tag, tag_hint

REQUIRED = ("exe", "caption", "line1", "line2", "picture", "class")
DEFAULTS = {"play": "Play", "cancel": "Cancel", "game": "GAME.BAT", "style": "classic", "gamepad": "no"}
# What Windows shows of the file (its version resource), and the web address its signature names.
PROPERTIES = ("publisher", "product", "version", "copyright", "website")
KEYS = REQUIRED + ("play", "cancel", "language", "icon", "game", "style", "gamepad") + PROPERTIES
STYLES = ("classic", "modern")
# A language's texts. Those of the dialog (TEXTS) get, by being here, what
# every dialog text gets: a section's own or the top's (brand.dialogs), NFC,
# the code page that holds them or UTF-8 (languages.codepage), a stand-in that
# draws them (check_drawn), their width in the layout (brand.layout), the
# marks that make Wine read them right to left (read_right_to_left), at most
# MAX_TEXT UTF-16 units, a DLG_ macro for res/dialog.rc (dialogs_rc) and a
# line of the build record. To add one, besides its key here:
#   res/resource.h: its control's id; res/dialog.rc: its control, at DLG_KEY;
#   brand.layout: its room, where it may grow; harness/record.h: its index,
#   name, id and record_fields[] row (CAPTION...CANCEL, text_names, text_ids),
#   which the preview and the driver go through; preview/preview.cpp: where
#   it is drawn (check_text's where[]); FORMAT.md and docs/publishing.md: the
#   key; tests/brand_files.py: a row of GOOD, and a growth row if it may grow.
# A text shown elsewhere than the dialog (product, in Explorer's Details) is a
# section's key alone: it gets NFC and check_property, not the dialog's rules.
TEXTS = ("caption", "line1", "line2", "play", "cancel")     # the dialog's texts
SECTION_KEYS = TEXTS + ("product",)                         # what a language section may set
# Windows takes a 32-bit program whose name holds one of these for an
# installer and asks for administrator rights before it starts.
INSTALLER_WORDS = ("install", "setup", "update", "upgrade", "patch", "uninst")
# What a second extension before .exe is taken against: every extension a
# type of the shared MIME database is known by (Debian's shared-mime-info,
# kept by freedesktop.org), and the kinds Windows itself registers that it
# lacks. Explorer, hiding the extensions it knows, would show such a name as a
# document's, a picture's or a shortcut's.
MIME_GLOBS = "/usr/share/mime/globs2"
WINDOWS_KINDS = {"appx", "bat", "cmd", "com", "cpl", "dll", "hta", "inf", "jfif", "jse", "lnk", "msc", "msg", "msix",
                 "pif", "ps1", "scr", "sys", "vbe", "website", "wsf"}
UNICODE_PROPERTIES = "/usr/share/unicode/DerivedCoreProperties.txt"
UNICODE_SCRIPTS = "/usr/share/unicode/Scripts.txt"
# What CreateProcess runs as a program, and the batch files it hands to cmd.
PROGRAM_EXTENSIONS = (".exe", ".com", ".bat", ".cmd")
BATCH_EXTENSIONS = (".bat", ".cmd")
# cmd reads these in a batch file's name as its own, outside quotes: & runs
# what follows as a second command, ^ escapes, the rest part words or group.
CMD_SPECIAL = "&^(),;=@ "
# ... and these outside quotes in its arguments: a second command, a pipe, a
# redirection, an escape.
CMD_OPERATORS = "&|<>^"
# ... and these even inside quotes: a variable (! where the player's cmd
# expands variables late, a setting of its own).
CMD_VARIABLES = "%!"
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
MAX_PATH = 260
MAX_NAME = 255
MAX_FILE = 1 << 20          # bytes of a brand file: a hundred times what forty languages need
MAX_LINE = 4096             # characters of a line
MAX_SHOWN = 60              # characters of a value quoted in a message


class BrandError(Exception):
    pass


def read_lines(path, shown):
    """The brand file's lines, each with its number, decoded; a file that is
    not UTF-8 text of a brand file's size is refused."""
    try:
        if not os.path.isfile(path):
            raise BrandError(f"{shown}: not a brand file")
        with open(path, "rb") as f:
            raw = f.read()
    except OSError as e:
        raise BrandError(f"{shown}: cannot read the brand file: {e.strerror}")
    wide = unicode_form(raw)
    if wide:
        raise BrandError(f"{shown}:1: the file is {wide}; save it as UTF-8")
    if len(raw) > MAX_FILE:
        raise BrandError(f"{shown}: the file has {len(raw):,} bytes; a brand file has at most {MAX_FILE:,}")
    if raw.startswith(b"\xef\xbb\xbf"):
        raw = raw[3:]
    # CR LF, LF, or CR alone as an old Mac editor saves it
    for number, line in enumerate(raw.replace(b"\r\n", b"\n").replace(b"\r", b"\n").split(b"\n"), 1):
        if len(line) > MAX_LINE:
            raise BrandError(f"{shown}:{number}: the line has {len(line):,} bytes; a line has at most {MAX_LINE:,}")
        try:
            yield number, line.decode("utf-8").strip()
        except UnicodeDecodeError:
            raise BrandError(f"{shown}:{number}: the line is not valid UTF-8{encoding_hint(line)}; "
                             "save the file as UTF-8")


def unicode_form(raw):
    """UTF-32 or UTF-16, by its byte-order mark or, without one, by the zero
    bytes that ASCII text has in every second or in three of every four; else
    None."""
    marks = (("UTF-32", (b"\xff\xfe\x00\x00", b"\x00\x00\xfe\xff")), ("UTF-16", (b"\xff\xfe", b"\xfe\xff")))
    for form, mark in marks:
        if raw.startswith(mark):
            return form
    head = raw[:64]
    if len(head) >= 4 and head.count(0) * 4 >= len(head) * 3:
        return "UTF-32 without a byte-order mark"
    if len(head) >= 2 and head.count(0) * 2 >= len(head) - 1:
        return "UTF-16 without a byte-order mark"
    return None


def section_tag(name, where, top, sections):
    """The tag of a section's header, which must follow the top part and not repeat."""
    tag = language_tag(name)
    if not top:
        raise BrandError(f"{where}: a section comes before the top part; begin with exe, caption and "
                         "the other keys, then the sections")
    if not tag:
        raise BrandError(f"{where}: unknown language tag{tag_hint(name)}; the tags are {', '.join(LANGUAGES)}")
    seen = [(t, n) for t, _, n in sections if t == tag]
    if seen:
        raise BrandError(f"{where}: repeated; that section began on line {seen[0][1]}")
    return tag


def key_value(text, where, in_section, values):
    """A key = value line's key and value, each checked as a line of the top
    part (or of a section) may hold them."""
    key, eq, value = text.partition("=")
    key, value = key.strip(), value.strip()
    where = f"{where}: {escaped(clip(key)) or '(no key)'}"
    if not eq:
        raise BrandError(f"{where}: expected a line of the form key = value")
    if key not in KEYS:
        near = difflib.get_close_matches(key.lower(), KEYS, n=1)
        raise BrandError(f"{where}: unknown key{f' (did you mean {near[0]}?)' if near else ''}; "
                         f"the keys are {', '.join(KEYS)}")
    controls = [c for c in value if unicodedata.category(c) == "Cc"]
    if controls:
        raise BrandError(f"{where}: {char_names(controls)} is a control character, which no key takes")
    if in_section and key not in SECTION_KEYS:
        raise BrandError(f"{where}: a language section may set only {', '.join(SECTION_KEYS)}; "
                         f"put {key} in the top part")
    if key in values:
        raise BrandError(f"{where}: repeated; it was set on line {values[key][1]}")
    if not value:
        raise BrandError(f"{where}: the value is empty")
    if all(blank(c) for c in value):
        raise BrandError(f"{where}: the value is empty but for {char_names(set(value))}, which shows nothing")
    return key, value


def parse(path):
    """The top part's values and, for each [TAG] section, its own; each value
    with the line it stood on."""
    shown = printable(path)
    top = {}
    sections = []           # (tag, values, line of the header)
    values = top
    for number, text in read_lines(path, shown):
        if not text or text.startswith("#"):
            continue
        if text.startswith("[") and text.endswith("]"):
            name = text[1:-1].strip()
            values = {}
            sections.append((section_tag(name, f"{shown}:{number}: [{escaped(clip(name))}]", top, sections),
                             values, number))
            continue
        key, value = key_value(text, f"{shown}:{number}", values is not top, values)
        values[key] = (value, number)
    for key in REQUIRED:
        if key not in top:
            raise BrandError(f"{shown}: {key}: missing; every brand sets {', '.join(REQUIRED)}")
    if sections and "language" not in top:
        raise BrandError(f"{shown}:{sections[0][2]}: [{sections[0][0]}]: a brand with language sections names "
                         "the language of its top part with language = TAG")
    return top, sections


# What an editor or a word processor types for " and ', and a dash for -.
TYPOGRAPHIC = {"\u201c": '"', "\u201d": '"', "\u201e": '"', "\u00ab": '"', "\u00bb": '"', "\u2018": "'",
               "\u2019": "'", "\u201a": "'", "\u2032": "'", "\u2033": '"', "\u2013": "-", "\u2014": "-"}


def char_names(chars):
    """Characters as a reader can tell them apart: U+2013 EN DASH; a typographic
    quote or dash with the plain one to type instead."""
    names = []
    for c in sorted(set(chars)):
        name = f"U+{ord(c):04X} {unicodedata.name(c, '')}".rstrip()
        names.append(name + (f" (type a plain {TYPOGRAPHIC[c]} instead)" if c in TYPOGRAPHIC else ""))
    return ", ".join(names)


def escaped(text):
    """Text from the file as a message shows it: what does not print, such as a
    control that would turn the rest of the terminal's line round, as \\uXXXX."""
    return "".join(c if c.isprintable() else f"\\u{ord(c):04x}" if ord(c) < 0x10000 else f"\\U{ord(c):08x}"
                   for c in text)


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


@functools.lru_cache(None)
def unicode_ranges(path):
    """The code point ranges of one of Unicode's own data files (Debian's
    unicode-data), each with its value: [(low, high, value)]."""
    ranges = []
    try:
        with open(path, encoding="utf-8") as f:
            for line in f:
                fields = [x.strip() for x in line.partition("#")[0].split(";")]
                if len(fields) == 2:
                    low, _, high = fields[0].partition("..")
                    ranges.append((int(low, 16), int(high or low, 16), fields[1]))
    except OSError:
        raise BrandError(f"brand.py needs Unicode's data, {path}: apt-get install unicode-data")
    return ranges


@functools.lru_cache(None)
def default_ignorable():
    """Unicode's Default_Ignorable_Code_Point, assigned or not, as ranges."""
    return [(low, high) for low, high, value in unicode_ranges(UNICODE_PROPERTIES)
            if value == "Default_Ignorable_Code_Point"]


def script_name(c):
    """The script Unicode puts c in, as it names it: Tamil, Old_Italic, Common."""
    return next((value for low, high, value in unicode_ranges(UNICODE_SCRIPTS) if low <= ord(c) <= high), "Unknown")


def invisible(text):
    """Characters that show nothing, or turn what follows round: format
    characters (bidirectional controls and marks among them) and every code
    point Unicode keeps default-ignorable."""
    return [c for c in text if unicodedata.category(c) == "Cf" or
            any(low <= ord(c) <= high for low, high in default_ignorable())]


def blank(c):
    """A character that shows as nothing but room: white space, a
    default-ignorable one, or a blank by its name (U+2800 BRAILLE PATTERN BLANK)."""
    return c.isspace() or unicodedata.category(c) == "Zs" or bool(invisible(c)) or \
        unicodedata.name(c, "").endswith(" BLANK")


@functools.lru_cache(None)
def lookalikes():
    """Each character that Unicode's confusables list (Debian's
    python3-confusable-homoglyphs holds them) gives as looking like a printable
    ASCII one, mapped to that one."""
    try:
        import confusable_homoglyphs
    except ImportError:
        raise BrandError("brand.py needs Unicode's confusables: apt-get install python3-confusable-homoglyphs")
    with open(os.path.join(os.path.dirname(confusable_homoglyphs.__file__), "confusables.json"),
              encoding="utf-8") as f:
        table = json.load(f)
    out = {}
    for c, like in table.items():
        plain = [h["c"].strip("\u200e\u200f") for h in like]
        plain = [h for h in plain if len(h) == 1 and " " < h <= "~"]
        if len(c) == 1 and not c.isascii() and plain:
            out[c] = plain[0]
    return out


def check_exe(value, where):
    hidden = invisible(value)
    if hidden:
        raise BrandError(f"{where}: {char_names(hidden)} shows nothing or turns the name round, so that Windows "
                         "and Explorer would show the player another name than the file's (photo<U+202E>gpj.exe "
                         "shows as photoexe.jpg): leave it out")
    if not value.lower().endswith(".exe") or not value[:-4].strip(" ."):
        raise BrandError(f"{where}: the file name must be a name ending in .exe")
    shown_as(value[:-4], value[-4:], where)
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


@functools.lru_cache(None)
def known_extensions():
    """The extensions of every type the system knows, lower case."""
    found = set(WINDOWS_KINDS)
    try:
        with open(MIME_GLOBS, encoding="utf-8") as f:
            for line in f:
                glob = re.fullmatch(r"[^#][^:]*:[^:]+:\*\.([A-Za-z0-9][A-Za-z0-9+_-]*)(:.*)?", line.rstrip("\n"))
                if glob:
                    found.add(glob.group(1).lower())
    except OSError:
        raise BrandError(f"brand.py needs the shared MIME database, {MIME_GLOBS}: apt-get install shared-mime-info")
    return found


def lookalike(c):
    """The ASCII character that c is, or looks like, one for one: its
    compatibility form (fullwidth ｅ is e), else what Unicode's confusables
    give (U+2024 ONE DOT LEADER is a dot)."""
    plain = unicodedata.normalize("NFKC", c)[:1] or c
    return lookalikes().get(plain, plain)


def shown_as(stem, extension, where):
    """A name must show in Explorer as what it is: not blank, its extension not
    pushed out of view by spaces, and no second extension of a kind Explorer
    knows, in plain letters or in ones that look like them, before .exe:
    hiding the extensions it knows, Explorer shows invoice.pdf.exe as
    invoice.pdf."""
    if all(blank(c) or c == "." for c in stem):
        raise BrandError(f"{where}: the name before {extension} shows as blank ({char_names(set(stem))}): Explorer "
                         f"would show the player an empty name; name the game")
    spaces = re.search(r"\s{2,}", stem)
    if spaces:
        raise BrandError(f"{where}: {len(spaces.group())} spaces at character {spaces.start() + 1} push the name's "
                         f"end out of sight in Explorer, which may show it as {escaped(stem[:spaces.start()])}...; "
                         "leave them out")
    # behind the dots and spaces, of any kind, that Windows and Explorer show nothing of at a name's end
    end = len(stem)
    while end and (blank(stem[end - 1]) or lookalike(stem[end - 1]) == "."):
        end -= 1
    look = "".join(lookalike(c) for c in stem[:end]).lower()
    second = re.search(r"\.([a-z0-9+_-]+)$", look)
    if second and second.group(1) in known_extensions():
        part = stem[second.start():]
        fakes = [c for c in part if not c.isascii()]
        raise BrandError(f"{where}: Explorer, which hides the extensions it knows, would show the player "
                         f"{escaped(stem)}, the name of a .{second.group(1)} file, not a program's"
                         + (f" ({char_names(fakes)}: not the plain letter or dot it looks like)" if fakes
                            else "")
                         + f": leave out {escaped(part)}")


def check_version(value, where):
    """A version as Windows stores it: one to four numbers, each at most 65535;
    returns all four."""
    parts = value.split(".")
    if not 1 <= len(parts) <= 4 or not all(p.isascii() and p.isdigit() for p in parts):
        raise BrandError(f"{where}: a version is one to four numbers with dots between, such as 1.4.2, "
                         f"not {escaped(clip(value))}")
    big = [p for p in parts if int(p) > 0xFFFF]
    if big:
        raise BrandError(f"{where}: {clip(big[0])} is more than 65535, the most Windows stores in each part of a "
                         "version")
    return tuple(int(p) for p in parts) + (0,) * (4 - len(parts))


def check_website(value, where):
    """A web address as a signature carries it: http or https, printable ASCII."""
    if not re.fullmatch(r"https?://[!-~]+", value) or len(value) > MAX_TEXT:
        raise BrandError(f"{where}: a web address begins with https:// or http:// and is printable ASCII of at "
                         f"most {MAX_TEXT} characters, not {escaped(clip(value))}")


def check_label(value, where):
    """A button's label: an & underlines the letter after it, so one with none
    after it is refused, with the label that shows it."""
    if re.search(r"&(\s|$)", value.replace("&&", "")):
        shown = "&&".join(part.replace("&", "&&") for part in value.split("&&"))
        raise BrandError(f"{where}: an & underlines the letter after it, and none follows: write {shown} to show "
                         "the &, or put it before the letter that Alt presses")


def check_text(value, where):
    bad = noncharacters(value)
    if bad:
        raise BrandError(f"{where}: {char_names(bad)} is not a character; "
                         "Windows would not store the text as written")
    if utf16_units(value) > MAX_TEXT:
        raise BrandError(f"{where}: {utf16_units(value)} UTF-16 units; each text may have at most {MAX_TEXT}, "
                         "which keeps the .exe within its size budget")


def check_property(value, where):
    """A text of the file's properties, which Explorer shows as it shows the
    file's name: no character that shows nothing, turns the text round, breaks
    its line or has no meaning outside the font that defines it."""
    check_text(value, where)
    bad = sorted(set(invisible(value)) | {c for c in value if unicodedata.category(c) in ("Zl", "Zp", "Co", "Cs")})
    if bad:
        raise BrandError(f"{where}: {char_names(bad)} shows nothing, turns the text round, breaks its line or is a "
                         "private character, so that Explorer would show the player another text: leave it out")


def split_arguments(text, quote_in_quotes):
    """What follows the program, split as Microsoft's C runtime and
    CommandLineToArgvW split it: spaces outside quotes part arguments; 2n
    backslashes before a quote are n, and the quote opens or closes; 2n+1 are n
    and the quote itself; other backslashes stand as they are. Inside quotes, ""
    is a quote, after which the quotes go on (quote_in_quotes "stay": the C
    runtime since 2008) or end ("end": its earlier versions and
    CommandLineToArgvW). Returns the arguments and whether the text ends
    inside quotes."""
    args, arg, quoted, i = [], None, False, 0
    while i < len(text):
        c = text[i]
        if c in " \t" and not quoted:
            if arg is not None:
                args.append(arg)
            arg, i = None, i + 1
            continue
        arg = arg or ""
        if c == "\\":
            j = i + len(text[i:]) - len(text[i:].lstrip("\\"))
            arg += "\\" * ((j - i) // 2 if text[j:j + 1] == '"' else j - i)
            if text[j:j + 1] == '"' and (j - i) % 2:
                arg, j = arg + '"', j + 1
            i = j
        elif c == '"' and quoted and text[i + 1:i + 2] == '"':
            arg, quoted, i = arg + '"', quote_in_quotes == "stay", i + 2
        elif c == '"':
            quoted, i = not quoted, i + 1
        else:
            arg, i = arg + c, i + 1
    if arg is not None:
        args.append(arg)
    return args, quoted


def read_arguments(value, rest, where):
    """The arguments every reader of the line finds alike: the game's C
    runtime, old or new, started directly or by the shell, and
    CommandLineToArgvW. A line they would read otherwise is refused."""
    stay, end = split_arguments(rest, "stay"), split_arguments(rest, "end")
    if stay != end:
        raise BrandError(f"{where}: some programs read \"\" inside quotes as a quote, others as the end of the "
                         "quotes: write \\\" for a quote inside an argument")
    if stay[1]:
        head = value[:len(value) - len(rest)]
        for i in range(len(rest)):
            if rest[i] == '"' and (len(rest[:i]) - len(rest[:i].rstrip("\\"))) % 2:
                mended = rest[:i] + "\\" + rest[i:]
                reading = split_arguments(mended, "stay")
                if not reading[1] and reading == split_arguments(mended, "end"):
                    raise BrandError(f"{where}: Windows reads a backslash before a quote as a quote inside the "
                                     "argument, so the line ends inside quotes: to end an argument in a backslash, "
                                     f"double it: write game = {head}{mended}")
        raise BrandError(f"{where}: a quote is not closed")
    return stay[0]


def program_kind(value, name, quoted, where):
    """The program must end like one: without an extension CreateProcess adds
    .exe where the shell tries others too, and a file of another type
    CreateProcess runs as a program where the shell opens it by its type.
    Windows reads an unquoted program piece by piece, up to each space in turn,
    and runs the first piece it finds: "North Peak.exe -x" tries North.exe
    first, anywhere on the search path."""
    last = name.replace("/", "\\").split("\\")[-1]
    if last.lower().endswith(PROGRAM_EXTENSIONS):
        return
    words = value.split(" ")
    runs = f"{name}.exe" if "." not in last else name
    for i in range(2, 1 if quoted else len(words) + 1):
        longer = " ".join(words[:i])
        if longer.lower().endswith(PROGRAM_EXTENSIONS):
            rest = " ".join(words[i:])
            raise BrandError(f"{where}: a program's name with a space must be quoted, or Windows tries "
                             f"{runs} first, wherever it lies: write game = {command_line(longer, rest)}")
    if "." in last:
        raise BrandError(f"{where}: {last} is not a program's name: CreateProcess would run it as a program, the "
                         "shell open it by its type; name a program ending in .exe or .com, or a batch file "
                         "ending in .bat or .cmd")
    if quoted:
        guess, rest = name, value[len(name) + 2:].lstrip(" ")
    else:
        # the name ends before an option, or before a word with an extension, a file it is given
        n = next((i for i, w in enumerate(words) if i and (w[:1] in "-/" or "." in w)), len(words))
        guess, rest = " ".join(words[:n]), " ".join(words[n:])
    raise BrandError(f"{where}: {guess} has no extension, so Windows runs {runs} and the shell may run another "
                     f"file: name the program with its extension, quoted if it holds a space: write game = "
                     f"{command_line(guess + '.exe', rest)}")


def command_line(program, rest):
    return (f'"{program}"' if " " in program else program) + (f" {rest}" if rest else "")


def check_game(value, where):
    """The command line Play starts, which Windows takes in ANSI and expands
    nothing of; returns the program it names, the arguments after it as
    written, and those arguments as the game reads them (none for a batch
    file, whose arguments cmd reads)."""
    bad = [c for c in value if not " " <= c <= "~"]
    if bad:
        raise BrandError(f"{where}: the command line must be printable ASCII (Windows takes it in ANSI), "
                         f"not {char_names(bad)}")
    if len(value) >= MAX_PATH:
        raise BrandError(f"{where}: the command line has {len(value)} characters; "
                         f"at most {MAX_PATH - 1} fit in MAX_PATH")
    quoted = value.startswith('"')
    if quoted:
        name, closed, rest = value[1:].partition('"')
        if not closed:
            raise BrandError(f"{where}: the quote around the program's name is not closed")
        if rest[:1] not in ("", " "):
            raise BrandError(f"{where}: a C program reads \"{name}\"{rest.split(' ')[0]} as one word, the shell "
                             f"as two: put a space after the program's quote: write game = \"{name}\" {rest}")
    else:
        name, _, rest = value.partition(" ")
    rest = rest.lstrip(" ")
    if not name.strip():
        raise BrandError(f"{where}: the program's name is empty")
    if name[0] in "-/":
        raise BrandError(f"{where}: {name} is an option, not a program: name the program first")
    if re.search(r"%[^%\s]+%", name):
        raise BrandError(f"{where}: Windows does not expand %variables% here: name the program itself")
    drive = len(name) > 2 and name[1] == ":" and name[0].isalpha() and name[2] in "\\/"
    last = name.replace("/", "\\").rstrip(" ").split("\\")[-1]
    if not last.strip("."):
        raise BrandError(f"{where}: {name} names a folder, not a program")
    for part in (name[2:] if drive else name).replace("/", "\\").split("\\"):
        check_name(part, where, "a program's name")
        if len(part) > MAX_NAME:
            raise BrandError(f"{where}: a part of the program's path has {len(part)} characters; Windows takes at "
                             f"most {MAX_NAME}")
    program_kind(value, name, quoted, where)
    if name.lower().endswith(BATCH_EXTENSIONS):
        check_batch(name, quoted, rest, where)
        return name, rest, []
    return name, rest, read_arguments(value, rest, where)


def check_batch(name, quoted, rest, where):
    """A batch file runs in cmd, which reads the whole line by rules of its
    own: the name must reach it as one name, and the arguments as arguments."""
    bad = sorted({c for c in name if c in CMD_VARIABLES})
    if bad:
        raise BrandError(f"{where}: cmd reads {char_names(bad)} in a batch file's name as part of a variable, "
                         "even in quotes, and may run another file: rename the batch file without it")
    bad = sorted({c for c in name if c in CMD_SPECIAL})
    if bad and not quoted:
        raise BrandError(f"{where}: cmd reads {char_names(bad)} in {name} as its own and would run another file "
                         f"or command: quote the name, which cmd then takes whole: write game = "
                         f"{chr(34)}{name}{chr(34)}{' ' + rest if rest else ''}")
    # cmd reads every quote as one, backslash or not
    if rest.count('"') % 2:
        raise BrandError(f"{where}: a quote is not closed")
    outside = "".join(part for i, part in enumerate(rest.split('"')) if i % 2 == 0)
    bad = sorted({c for c in outside if c in CMD_OPERATORS})
    if bad:
        raise BrandError(f"{where}: cmd reads {char_names(bad)} outside quotes as its own, and would run or "
                         "redirect something else: put that argument in quotes")
    if "!" in rest:
        raise BrandError(f"{where}: cmd reads {char_names('!')} as part of a variable where the player's "
                         "settings expand them late, even in quotes: leave it out of the arguments")


def game_cautions(program, rest):
    """What builds but may not do on a player's machine what the publisher
    meant: a program outside the game's folder, and %variables% in the
    arguments, which CreateProcess leaves as written and cmd expands."""
    said = []
    folder = re.match(r"([A-Za-z]:)?[\\/]", program)
    if folder:
        said.append(f"{program} is an absolute path: Play runs it only where the player's machine has it there, "
                    "whatever folder the game is installed in; name it from the launcher's folder instead")
    for variable in sorted(set(re.findall(r"%[^%\s]+%", rest))):
        if program.lower().endswith(BATCH_EXTENSIONS):
            said.append(f"cmd puts the player's value of {variable} in its place, or leaves it as written where "
                        "the player has none")
        else:
            said.append(f"Windows expands no variable on a program's command line: the game receives {variable} "
                        "as written")
    return said


def guard_name(cls):
    """The kernel object that a modern launcher takes before it looks for the
    class's window: in the session's namespace, as windows are, named after the
    class, with no backslash (which would name a namespace) and within MAX_PATH."""
    return ("Local\\" + cls.replace("\\", "/"))[:MAX_PATH - 1]


def printable(path):
    """A path as it can be shown, whatever bytes its name holds."""
    return os.fsencode(path).decode("utf-8", "backslashreplace")
