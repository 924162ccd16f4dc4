#!/usr/bin/python3
"""Turns a brand file into what the launcher's build needs.

    brand.py BRAND_FILE OUT_DIR

Writes into OUT_DIR:
  brand.h      the class, the game's command line and whether there is an icon, for the code
  dialogs.rc   the launch dialog's texts in each of the brand's languages, for the resource script
  picture.bmp  the picture as a 90x90, 16-colour bitmap
  icon.ico     the icon at 16, 32 and 48 pixels, if the brand has one
  brand.txt    what the tests and the preview expect of the launcher (see write_expectations)
and prints the picture's and the icon's paths, so that the build can watch them.
A brand file that will not do is refused with a message naming its file, line
and key; what builds but deserves a look is printed as a warning."""
import os
import struct
import sys

REQUIRED = ("exe", "caption", "line1", "line2", "picture", "class")
DEFAULTS = {"play": "Play", "cancel": "Cancel", "game": "GAME.BAT"}
KEYS = REQUIRED + ("play", "cancel", "language", "icon", "game")
TEXTS = ("caption", "line1", "line2", "play", "cancel")     # what a language section may set
SIZE = 90
ICON_SIZES = (16, 32, 48)
LIGHT_GRAY = (192, 192, 192)
# The standard Windows 16-colour palette, in its usual order.
PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
           (0, 0, 128), (128, 0, 128), (0, 128, 128), (128, 128, 128),
           (192, 192, 192), (255, 0, 0), (0, 255, 0), (255, 255, 0),
           (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
# Windows takes a 32-bit program whose name holds one of these for an
# installer and asks for administrator rights before it starts.
INSTALLER_WORDS = ("install", "setup", "update", "upgrade", "patch", "uninst")
DEVICE_NAMES = {"con", "prn", "aux", "nul"} | {f"{d}{n}" for d in ("com", "lpt") for n in range(1, 10)}
MAX_PATH = 260
MAX_NAME = 255

# Windows' ANSI code pages, in the order the preview tries them, with a
# locale of each for Wine, which takes its code page from the locale.
CODEPAGES = {1252: "en_US", 1250: "pl_PL", 1251: "ru_RU", 1253: "el_GR", 1254: "tr_TR", 1257: "lt_LT",
             1255: "he_IL", 1256: "ar_EG", 874: "th_TH", 1258: "vi_VN",
             932: "ja_JP", 936: "zh_CN", 949: "ko_KR", 950: "zh_TW"}
# Language tags: the LANGID of the template (primary, sublanguage), the locale
# the preview runs it under, and that locale's code page. A tag without a
# country is tagged with the neutral sublanguage, which Windows picks for
# every country of that language.
LANGUAGES = {
    "en-US": (0x09, 0x01, "en_US", 1252), "en-GB": (0x09, 0x02, "en_GB", 1252),
    "de": (0x07, 0, "de_DE", 1252), "fr": (0x0c, 0, "fr_FR", 1252), "es": (0x0a, 0, "es_ES", 1252),
    "it": (0x10, 0, "it_IT", 1252), "pt-BR": (0x16, 0x01, "pt_BR", 1252), "nl": (0x13, 0, "nl_NL", 1252),
    "sv": (0x1d, 0, "sv_SE", 1252), "pl": (0x15, 0, "pl_PL", 1250), "cs": (0x05, 0, "cs_CZ", 1250),
    "hu": (0x0e, 0, "hu_HU", 1250), "ru": (0x19, 0, "ru_RU", 1251), "el": (0x08, 0, "el_GR", 1253),
    "tr": (0x1f, 0, "tr_TR", 1254), "ja": (0x11, 0, "ja_JP", 932), "ko": (0x12, 0, "ko_KR", 949),
    "zh-CN": (0x04, 0x02, "zh_CN", 936), "zh-TW": (0x04, 0x01, "zh_TW", 950),
}


class BrandError(Exception):
    pass


def language_tag(text):
    """The tag as this table spells it, or None."""
    return next((t for t in LANGUAGES if t.lower() == text.lower()), None)


def parse(path):
    """The top part's values and, for each [TAG] section, its own; each value
    with the line it stood on."""
    try:
        with open(path, "rb") as f:
            raw = f.read()
    except OSError as e:
        raise BrandError(f"{path}: cannot read the brand file: {e.strerror}")
    if raw.startswith(b"\xef\xbb\xbf"):
        raw = raw[3:]
    top = {}
    sections = []           # (tag, values, line of the header)
    values = top
    for number, line in enumerate(raw.split(b"\n"), 1):
        try:
            text = line.decode("utf-8").rstrip("\r").strip()
        except UnicodeDecodeError:
            raise BrandError(f"{path}:{number}: the line is not valid UTF-8")
        if not text or text.startswith("#"):
            continue
        if text.startswith("[") and text.endswith("]"):
            name = text[1:-1].strip()
            where = f"{path}:{number}: [{name}]"
            tag = language_tag(name)
            if not top:
                raise BrandError(f"{where}: a section comes before the top part; begin with exe, caption and "
                                 "the other keys, then the sections")
            if not tag:
                raise BrandError(f"{where}: unknown language tag; the tags are {', '.join(LANGUAGES)}")
            seen = [(t, n) for t, _, n in sections if t == tag]
            if seen:
                raise BrandError(f"{where}: repeated; that section began on line {seen[0][1]}")
            values = {}
            sections.append((tag, values, number))
            continue
        key, eq, value = text.partition("=")
        key, value = key.strip(), value.strip()
        where = f"{path}:{number}: {key or '(no key)'}"
        if not eq:
            raise BrandError(f"{where}: expected a line of the form key = value")
        if key not in KEYS:
            raise BrandError(f"{where}: unknown key; the keys are {', '.join(KEYS)}")
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
            raise BrandError(f"{path}: {key}: missing; every brand sets {', '.join(REQUIRED)}")
    if sections and "language" not in top:
        raise BrandError(f"{path}:{sections[0][2]}: [{sections[0][0]}]: a brand with language sections names "
                         "the language of its top part with language = TAG")
    return top, sections


def check_class(value, where):
    if not all(" " <= c <= "~" for c in value):
        raise BrandError(f"{where}: the class must be printable ASCII")
    if len(value) > MAX_NAME:
        raise BrandError(f"{where}: the class has {len(value)} characters, at most {MAX_NAME} are allowed")


def check_exe(value, where):
    if not value.lower().endswith(".exe") or not value[:-4].strip(" ."):
        raise BrandError(f"{where}: the file name must be a name ending in .exe")
    if len(value) > MAX_NAME:
        raise BrandError(f"{where}: the file name has {len(value)} characters; Windows takes at most {MAX_NAME}")
    bad = sorted({c for c in value if c in '<>:"/\\|?*' or ord(c) < 32})
    if bad:
        raise BrandError(f"{where}: Windows forbids {' '.join(repr(c) for c in bad)} in file names")
    if value.split(".")[0].rstrip(" ").lower() in DEVICE_NAMES:
        raise BrandError(f"{where}: {value.split('.')[0]} is a device name on Windows")
    for word in INSTALLER_WORDS:
        if word in value.lower():
            raise BrandError(f"{where}: a name with \"{word}\" makes Windows take the launcher for an "
                             "installer and ask for administrator rights")


def check_text(value, where):
    if any(ord(c) < 32 or ord(c) == 127 for c in value):
        raise BrandError(f"{where}: control characters are not allowed")


def check_game(value, where):
    """The command line Play hands to WinExec, which takes it in ANSI; returns
    the program it names."""
    if not all(" " <= c <= "~" for c in value):
        raise BrandError(f"{where}: the command line must be printable ASCII")
    if len(value) >= MAX_PATH:
        raise BrandError(f"{where}: the command line has {len(value)} characters; "
                         f"at most {MAX_PATH - 1} fit in MAX_PATH")
    if value.startswith('"'):
        name, closed, _ = value[1:].partition('"')
        if not closed:
            raise BrandError(f"{where}: the quote around the program's name is not closed")
    else:
        name = value.split(" ")[0]
    if not name.strip():
        raise BrandError(f"{where}: the program's name is empty")
    return name


def codepage(texts):
    """The first of Windows' ANSI code pages that holds all of the texts, else
    the one that holds the most; with the characters it cannot hold."""
    best = None
    for cp in CODEPAGES:
        missing = sorted({c for c in "".join(texts) if not can_encode(c, cp)})
        if not missing:
            return cp, ""
        if best is None or len(missing) < len(best[1]):
            best = (cp, missing)
    return best[0], "".join(best[1])


def can_encode(c, cp):
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
            raise BrandError(f"{path}:{top['language'][1]}: language: unknown language tag; "
                             f"the tags are {', '.join(LANGUAGES)}")
    parts = [(language, top)] + [(tag, values) for tag, values, _ in sections]
    if sections and language in [tag for tag, _, _ in sections]:
        number = next(n for tag, _, n in sections if tag == language)
        raise BrandError(f"{path}:{number}: [{language}]: repeated; the top part is {language} already")
    out = []
    for tag, values in parts:
        texts = {}
        for key in TEXTS:
            value, line = values.get(key) or top.get(key) or (DEFAULTS.get(key), 0)
            check_text(value, f"{path}:{line}: {key}")
            texts[key] = value
        # A static control, like a button, takes & for a mnemonic: the question shows it as written.
        for key in ("line1", "line2"):
            texts[key] = texts[key].replace("&", "&&")
        if tag:
            # Windows picks a template by the player's language, so it is
            # previewed under that language's locale, whatever it lacks.
            locale, cp = LANGUAGES[tag][2], LANGUAGES[tag][3]
            missing = "".join(sorted({c for c in "".join(texts.values()) if not can_encode(c, cp)}))
        else:
            cp, missing = codepage(texts.values())
            locale = CODEPAGES[cp]
        language_id = (LANGUAGES[tag][0], LANGUAGES[tag][1]) if sections else (0, 0)
        out.append({"tag": tag or "-", "id": language_id, "locale": locale + ".UTF-8", "codepage": cp,
                    "missing": missing, **texts})
    if len(out) > 1 and "en-US" not in [d["tag"] for d in out]:
        warn(f"{path}: no [en-US] section: where a player's language is not among the brand's, "
             "Windows shows the first of its dialogs, not an English one")
    return out


def warn(message):
    sys.stderr.write(f"warning: {message}\n")


def load_image(path, where):
    try:
        from PIL import Image
    except ImportError:
        raise BrandError("brand.py needs Pillow: apt-get install python3-pil")
    try:
        im = Image.open(path)
        im.load()
        return im
    except FileNotFoundError:
        raise BrandError(f"{where}: no such file: {path}")
    except Exception as e:
        raise BrandError(f"{where}: cannot read {path} as an image: {e}")


def fit(image, size, background):
    """The image fitted into a square of `size`, keeping its shape, centred on `background`."""
    from PIL import Image
    rgba = image.convert("RGBA")
    scale = min(size / rgba.width, size / rgba.height)
    fitted = (max(1, round(rgba.width * scale)), max(1, round(rgba.height * scale)))
    if fitted != rgba.size:
        rgba = rgba.resize(fitted, Image.LANCZOS)
    canvas = Image.new("RGBA", (size, size), background)
    canvas.alpha_composite(rgba, ((size - fitted[0]) // 2, (size - fitted[1]) // 2))
    return canvas


def picture(path, where):
    """The picture fitted into 90x90 on light gray, in the 16 standard colours, as a DIB."""
    from PIL import Image
    canvas = fit(load_image(path, where), SIZE, LIGHT_GRAY + (255,))

    palette = Image.new("P", (1, 1))
    palette.putpalette([c for rgb in PALETTE for c in rgb])
    indexed = canvas.convert("RGB").quantize(palette=palette, dither=Image.Dither.FLOYDSTEINBERG)

    # Pillow writes no 4-bit bitmaps: pack the rows by hand, bottom-up, each to 4 bytes.
    pixels = list(indexed.getdata())
    rows = []
    for y in range(SIZE - 1, -1, -1):
        row = pixels[y * SIZE:(y + 1) * SIZE]
        packed = bytes((row[x] << 4) | row[x + 1] for x in range(0, SIZE, 2))
        rows.append(packed + b"\0" * (-len(packed) % 4))
    bits = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE, 1, 4, 0, len(bits), 0, 0, 0, 0)
    colours = b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in PALETTE)
    offset = 14 + len(info) + len(colours)
    head = struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset)
    return head + info + colours + bits


def icon(path, where):
    """A Windows icon of the image at 16, 32 and 48 pixels: 32-bit frames with
    alpha and an AND mask, uncompressed, as Windows XP and later read them.
    An .ico gives its own frame of each size where it has one."""
    image = load_image(path, where)
    own = set(image.info.get("sizes", ())) if image.format == "ICO" else set()
    largest = image.copy()
    frames = []
    for size in ICON_SIZES:
        if (size, size) in own:
            image.size = (size, size)
            image.load()
            source = image
        else:
            source = largest
        frame = fit(source, size, (0, 0, 0, 0))
        pixels = list(frame.getdata())
        xor = b"".join(struct.pack("BBBB", b, g, r, a) for y in range(size - 1, -1, -1)
                       for r, g, b, a in pixels[y * size:(y + 1) * size])
        stride = (size + 31) // 32 * 4
        mask = b""
        for y in range(size - 1, -1, -1):
            row = bytearray(stride)
            for x in range(size):
                if pixels[y * size + x][3] < 128:
                    row[x // 8] |= 0x80 >> (x % 8)
            mask += bytes(row)
        header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
        frames.append((size, header + xor + mask))
    out = struct.pack("<HHH", 0, 1, len(frames))
    offset = 6 + 16 * len(frames)
    for size, data in frames:
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(data for _, data in frames)


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


def write_expectations(path, values, icon_size, languages):
    """brand.txt: tab-separated lines. exe, class, game, program (the one game
    names), icon (its size in bytes, 0 for none) and extra (what the brand adds to the .exe's size
    budget: its icon, and a 512-byte block of the file for each language
    beyond the first) each on a line of its own; then a dialog line for each
    language: tag (- for none), the locale to preview it under, that locale's
    code page, the five texts, and the characters Wine cannot show under it."""
    extra = icon_size + (len(languages) - 1) * 512
    lines = [f"exe\t{values['exe']}", f"class\t{values['class']}", f"game\t{values['game']}",
             f"program\t{values['program']}", f"icon\t{icon_size}", f"extra\t{extra}"]
    for d in languages:
        fields = [d["tag"], d["locale"], str(d["codepage"])] + [d[k] for k in TEXTS] + [d["missing"]]
        lines.append("dialog\t" + "\t".join(fields))
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


def main(argv):
    if len(argv) != 3:
        raise BrandError("usage: brand.py BRAND_FILE OUT_DIR")
    path, out = argv[1], argv[2]
    top, sections = parse(path)
    where = {k: f"{path}:{line}: {k}" for k, (_, line) in top.items()}
    values = dict(DEFAULTS, **{k: v for k, (v, _) in top.items()})
    check_exe(values["exe"], where["exe"])
    check_class(values["class"], where["class"])
    values["program"] = check_game(values["game"], where.get("game", f"{path}: game"))
    languages = dialogs(path, top, sections)
    folder = os.path.dirname(os.path.abspath(path))
    image = os.path.join(folder, values["picture"])
    bmp = picture(image, where["picture"])
    ico = None
    if "icon" in values:
        ico_path = os.path.join(folder, values["icon"])
        ico = icon(ico_path, where["icon"])

    os.makedirs(out, exist_ok=True)
    with open(os.path.join(out, "picture.bmp"), "wb") as f:
        f.write(bmp)
    note = f"Made by brand.py from {os.path.basename(path)}: edit that file, not this one."
    header = [f"/* {note} */",
              f"#define BRAND_CLASS    {literal(values['class'])}",
              f"#define BRAND_GAME     {literal(values['game'])}"]
    if ico:
        with open(os.path.join(out, "icon.ico"), "wb") as f:
            f.write(ico)
        header.append("#define BRAND_ICON     1")
    with open(os.path.join(out, "brand.h"), "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(header) + "\n")

    rc = [f"/* {note}", " * The launch dialog in each of the brand's languages. */"]
    for d in languages:
        rc.append("")
        rc.append(f"#define DLG_LANGUAGE    0x{d['id'][0]:02x}, 0x{d['id'][1]:02x}")
        rc += [f"#define DLG_{k.upper():11} {literal(d[k])}" for k in TEXTS]
        rc.append('#include "dialog.rc"')
        rc += [f"#undef DLG_{k.upper()}" for k in ("language",) + TEXTS]
    with open(os.path.join(out, "dialogs.rc"), "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(rc) + "\n")

    write_expectations(os.path.join(out, "brand.txt"), values, len(ico) if ico else 0, languages)
    print(os.path.abspath(image))
    if ico:
        print(os.path.abspath(ico_path))


if __name__ == "__main__":
    try:
        main(sys.argv)
    except BrandError as e:
        sys.stderr.write(f"brand: {e}\n")
        sys.exit(1)
