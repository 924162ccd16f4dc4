#!/usr/bin/python3
"""Turns a brand file into what the launcher's build needs.

    brand.py BRAND_FILE OUT_DIR

Writes into OUT_DIR:
  brand.h      for the code: the class, the game's command line, whether Play starts a
               program directly, and which features the brand has (icon, modern, gamepad)
  dialogs.rc   the launch dialog's texts in each of the brand's languages, for the resource script
  picture.bmp  the picture as a 90x90, 16-colour bitmap (modern: 180x180 in full colour)
  icon.ico     the icon at 16, 32 and 48 pixels (modern: 16 to 256), if the brand has one
  manifest.xml the application manifest of a modern launcher, or of a classic one
               with file properties
  record.txt   the build record, which the build, the preview and the tests read (FORMAT.md)
and prints the picture's and the icon's paths, so that the build can watch them.
A brand file that will not do is refused with a message naming its file, line
and key; what builds but deserves a look is printed as a warning."""
import dataclasses
import functools
import os
import sys
import unicodedata
import warnings

import fonts
import images
import resource_h
from languages import (CODEPAGES, EAST_ASIAN, LANGUAGE_SCRIPTS, LANGUAGES, UTF8, can_encode, codepage,
                       language_tag, read_right_to_left, right_to_left, script, tag_hint)
from rules import (BATCH_EXTENSIONS, DEFAULTS, MAX_TEXT, PROPERTIES, STYLES, TEXTS, BrandError, check_class,
                   check_exe, check_game, check_label, check_property, check_text, check_version, check_website,
                   char_names, clip, game_cautions, guard_name, parse, printable, script_name, utf16_units)

MODERN_CODE = 1024          # what a modern launcher's code and templates add
# bytes of the 16-colour picture resource: the BMP file less its file header
CLASSIC_PICTURE = len(images.bitmap16([[0] * images.SIZE] * images.SIZE)) - 14
GAMEPAD_CODE = 1024         # what reading a controller adds
DIRECT_CODE = 1536          # what starting a program directly adds: the consent prompt, the message, the wait
# The size budget, which pe.cmake holds every build to, is Tolvar's launcher's
# and what a brand adds: its one dialog template, its class and its game are
# what a brand's are measured against (tolvar_base).
BASE_BUDGET = 9728
TOLVAR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "tolvar.brand")


@functools.lru_cache(None)
def tolvar_base():
    """The size of Tolvar's own dialog template, class and game, from its brand."""
    top, sections = parse(TOLVAR)
    values = dict(DEFAULTS, **{k: v for k, (v, _) in top.items()})
    (d,) = dialogs(printable(TOLVAR), top, sections)
    return template_size(d.texts), len(values["class"]), len(values["game"])


@dataclasses.dataclass
class Dialog:
    """One language's launch dialog: what dialogs() reads of it from the brand
    file, and what read_brand() then finds for it (its stand-in, its layout,
    its marks). The build record's dialog fields are written from it."""
    tag: str                # its language's tag, "-" in a brand without sections
    id: tuple               # the template's LANGID: primary language, sublanguage
    locale: str             # the locale the preview shows it under
    codepage: int           # the ANSI code page Wine passes its texts through (UTF8: none holds them)
    script: str             # the script a stand-in draws (fonts.STAND_INS), "-" for none
    rtl: bool               # mirrored
    where: dict             # each text's place in the brand file, for messages
    texts: dict             # each of TEXTS, as the template holds it
    product: str = None     # the file properties' product name in its language
    spare: int = 0          # percent of each control a stand-in's text leaves spare
    rects: dict = None      # its grown layout's rectangles, None for the standard one
    bases: dict = dataclasses.field(default_factory=dict)      # its base units at each DPI
    stand_in: str = "-"     # the stand-in's face, the caption's, and whether that is bold
    caption_face: str = "-"
    caption_bold: str = "yes"
    unturned: list = dataclasses.field(default_factory=list)   # texts Wine cannot read right to left


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
            if key in ("play", "cancel"):
                check_label(value, where[key])
        product, line = values.get("product") or top.get("product") or (None, 0)
        if product:
            where["product"] = f"{path}:{line}: product" + (f" [{tag}]" if sections else "")
            product = unicodedata.normalize("NFC", product)
            check_property(product, where["product"])
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
        letters = script(texts.values())
        if letters == "-" and tag and cp == UTF8 and LANGUAGES[tag][4] in EAST_ASIAN:
            letters = EAST_ASIAN[LANGUAGES[tag][4]]
        place, at, modifier = locale.partition("@")
        out.append(Dialog(tag=tag or "-", id=language_id, locale=place + ".UTF-8" + at + modifier, codepage=cp,
                          script=letters, rtl=right_to_left(tag, texts), where=where, texts=texts, product=product))
    if len(out) > 1 and "en-US" not in [d.tag for d in out]:
        warn(f"{path}: no [en-US] section: where a player's language is not among the brand's, "
             "Windows shows the first of its dialogs, not an English one")
    return out


def check_script(tag, texts, where):
    """A dialog for a language holds at least one letter of that language's
    script: a name in Latin letters inside it is fine, texts left in another
    language are not."""
    scripts = LANGUAGE_SCRIPTS.get(tag, ("LATIN",))
    # halfwidth katakana and Hangul, fullwidth Latin: letters of their script all the same
    letters = [unicodedata.name(c, "").removeprefix("HALFWIDTH ").removeprefix("FULLWIDTH ")
               for t in texts.values() for c in t if c.isalpha()]
    if not any(name.startswith(scripts) for name in letters):
        script = scripts[0].split()[0].capitalize() if tag not in ("ja", "zh-CN", "zh-TW") else "Chinese or Japanese"
        raise BrandError(f"{where}: none of the {LANGUAGES[tag][0]} dialog's texts holds a {script} letter; "
                         f"its texts are still in another language (caption: {clip(texts['caption'])!r}, "
                         f"line1: {clip(texts['line1'])!r})")


# The standard dialog: the question's lines, the buttons, the room the lines and
# the buttons share, and what lies beside and around them. A language whose
# texts do not fit grows from it.
STANDARD = {k: v for k, v in resource_h.DEFINES.items() if k.endswith("_RECT")}
DIALOG_WIDTH = STANDARD["DLG_RECT"][2]
CONTENT_X, _, BUTTON_WIDTH, _ = STANDARD["PLAY_RECT"]
LINE1_WIDTH, LINE2_WIDTH = STANDARD["QUESTION1_RECT"][2], STANDARD["QUESTION2_RECT"][2]
CONTENT_WIDTH = STANDARD["CANCEL_RECT"][0] + STANDARD["CANCEL_RECT"][2] - CONTENT_X
BUTTON_GAP = STANDARD["CANCEL_RECT"][0] - CONTENT_X - BUTTON_WIDTH
DIALOG_MARGIN = DIALOG_WIDTH - CONTENT_X - CONTENT_WIDTH
BUTTON_EDGES = 6            # pixels of a button's edges, inside which its label lies
SLACK = 2                   # pixels a grown line keeps spare, for Wine's hinting
BUTTON_ROOM = 8             # pixels a grown button keeps beside its label: the focus rectangle 3 px clear of it
MIN_SCREEN = 800            # pixels: the narrowest screen Windows 10 and 11 run on
FRAME = 6                   # pixels of a dialog's frame, both sides
CAPTION_BUTTON = 22         # pixels of the title bar beside the caption: the close button and its margin
ICON = 18                   # ... and the icon in it, with its margin


# The DPIs the preview shows a dialog at: 100 %, and a modern one at 150 % too.
SCALES = {"classic": (96,), "modern": (96, 144)}


def in_pixels(units, base, per=4):
    """Dialog units in pixels, as the dialog manager maps them (MulDiv, rounded):
    across, a base unit is 4 of them; down (per=8), 8."""
    return (units * base + per // 2) // per


def layout(d, style, icon):
    """The rectangles of a dialog whose texts do not fit the standard one, in
    the fonts the preview draws them in, at each scale it shows the dialog at
    (100 %, and 150 % for a modern one), with the room to spare the preview
    asks for, and the base units at each scale; the rectangles are None when
    the texts fit: the lines, the buttons (both as wide as the
    wider label needs) and the dialog grow, nothing else moves; the dialog
    grows for its caption too, which the title bar shows beside the close
    button (and the icon)."""
    spare = d.spare
    widths = {"line1": LINE1_WIDTH, "line2": LINE2_WIDTH, "play": BUTTON_WIDTH, "cancel": BUTTON_WIDTH}
    dialog, bases, titles = DIALOG_WIDTH, {}, {}
    for dpi in SCALES[style]:
        measure = fonts.Measure(d.codepage, d.script, style, dpi)
        bases[dpi] = measure.base_units()
        base, scaled = bases[dpi][0], lambda px: (px * dpi + 48) // 96

        measured = {key: measure.width(d.texts[key]) for key in widths}      # once: growing measures nothing again

        def fits(key, units, kept=0):
            edges = scaled(BUTTON_EDGES) if key in ("play", "cancel") else 0
            return measured[key] <= (in_pixels(units, base) - edges - kept) * (100 - spare) // 100

        for key, units in widths.items():
            # A label keeps room each side, clear of the focus rectangle, as in a standard button
            button = key in ("play", "cancel")
            if fits(key, units, scaled(BUTTON_ROOM) if button else 0):
                continue
            # a line that grows keeps some pixels more, for Wine's hinting
            kept = scaled(BUTTON_ROOM if button else SLACK)
            while not fits(key, units, kept):
                units += 1
            widths[key] = units

        titles[dpi] = fonts.caption_width(d.texts["caption"], d.codepage, d.script, dpi)
        beside = scaled(CAPTION_BUTTON) + (scaled(ICON) if icon else 0)
        while titles[dpi] > (in_pixels(dialog, base) - beside) * (100 - spare) // 100:
            dialog += 1
    line1, line2 = widths["line1"], widths["line2"]
    button = max(widths["play"], widths["cancel"])
    if (line1, line2, button, dialog) == (LINE1_WIDTH, LINE2_WIDTH, BUTTON_WIDTH, DIALOG_WIDTH):
        return None, bases
    content = max(CONTENT_WIDTH, line1, line2, 2 * button + BUTTON_GAP, dialog - CONTENT_X - DIALOG_MARGIN)
    width = CONTENT_X + content + DIALOG_MARGIN
    # Windows moves a dialog that would leave the screen back onto it: its own width must fit.
    pixels = in_pixels(width, bases[96][0]) + FRAME
    if pixels > MIN_SCREEN:
        label = "play" if widths["play"] >= widths["cancel"] else "cancel"
        key = max(("line1", "line2", label, "caption"), key=lambda k: {"line1": line1, "line2": line2,
                  label: 2 * button + BUTTON_GAP, "caption": dialog - CONTENT_X - DIALOG_MARGIN}[k])
        said = f"the caption is {titles[96]:,} pixels wide in the title bar's font; " if key == "caption" else ""
        raise BrandError(f"{d.where[key]}: {said}the dialog would be {pixels:,} pixels wide to hold it, more "
                         f"than a screen {MIN_SCREEN} pixels wide has: shorten it")
    # the widths and Cancel's place change; every other figure is the standard one's
    grown = {"DLG_RECT": (None, None, width, None), "PLAY_RECT": (None, None, button, None),
             "CANCEL_RECT": (CONTENT_X + content - button, None, button, None),
             "QUESTION1_RECT": (None, None, line1, None), "QUESTION2_RECT": (None, None, line2, None)}
    return {k: tuple(STANDARD[k][i] if v is None else v for i, v in enumerate(r)) for k, r in grown.items()}, bases


def check_drawn(d, style):
    """A letter that no font the preview has draws, Wine shows as a box; the
    kit has stand-ins for the scripts Windows' dialogs are written in, not for
    every script Unicode holds."""
    measure = fonts.Measure(d.codepage, d.script, style)
    for key in TEXTS:
        undrawn = measure.undrawn(d.texts[key])
        if undrawn:
            script = script_name(undrawn[0]).replace("_", " ")
            raise BrandError(f"{d.where[key]}: {char_names(undrawn[:1])}, of Unicode's {script} script, is "
                             "drawn by no font of the preview (the kit draws Latin, Greek, Cyrillic, Armenian, "
                             "Georgian, Hebrew, Arabic, Ethiopic, the scripts of India and Sri Lanka, Thai, Lao, "
                             "Khmer, Myanmar, Chinese, Japanese and Korean): write the text in one of those, or "
                             "leave the language out")


def spare_percent(script):
    """The room a text keeps spare, in percent of its control, where a stand-in
    font draws it: it is not as wide as Windows' own font of the script, nor
    does Wine shape and break its letters as Windows does. The preview asks the
    same, from the build record."""
    return 10 if script != "-" else 0


def warn(message):
    sys.stderr.write(f"warning: {message}\n")


def template_size(texts):
    """Bytes of a language's dialog template in the .exe, with its resource
    entries: the template's fixed part and five controls, and the texts in UTF-16."""
    units = sum(utf16_units(texts[k]) + 1 for k in TEXTS)
    return 256 + 2 * units


def direct(values):
    """Whether Play starts the program itself: a batch file goes to WinExec, as GAME.BAT does."""
    return not values["program"].lower().endswith(BATCH_EXTENSIONS)


def has_properties(values):
    return any(k in values for k in PROPERTIES)


def version_strings(values, d):
    """What Windows shows of the file, in a dialog's language: Explorer's
    Details, Task Manager (the description), the consent prompt. Every string
    Microsoft's VERSIONINFO calls required is there: the product, where the
    brand names none, is the caption, as the title bar names the game."""
    exe = values["exe"]
    strings = {"CompanyName": values["publisher"], "FileDescription": d.product or d.texts["caption"],
               "ProductName": d.product or d.texts["caption"], "LegalCopyright": values.get("copyright"),
               "OriginalFilename": exe, "InternalName": exe[:-4],
               "FileVersion": values["version"], "ProductVersion": values["version"]}
    return {k: v for k, v in strings.items() if v}


def check_properties(values, where):
    """A brand that gives the file properties gives the two of Windows'
    required strings that nothing else in the file can stand for."""
    given = [k for k in PROPERTIES if k in values]
    for key, what in (("publisher", "the company that makes the game"), ("version", "the file's version")):
        if given and key not in values:
            raise BrandError(f"{where[given[0]]}: with the file's properties, Windows requires {what}: add "
                             f"{key} = ..." + (", such as 1.0" if key == "version" else ""))


def version_resource(values, d):
    """A dialog's language's version resource, for version.rc: Windows loads
    the one of the player's language, as it does the dialog, and each holds
    its language's strings alone, which its Translation names."""
    numbers = ",".join(map(str, values.get("version_numbers", (0, 0, 0, 0))))
    language = d.id[1] << 10 | d.id[0]
    lines = [f"LANGUAGE 0x{d.id[0]:02x}, 0x{d.id[1]:02x}",
             "VS_VERSION_INFO VERSIONINFO",
             f"FILEVERSION {numbers}", f"PRODUCTVERSION {numbers}",
             "FILEFLAGSMASK VS_FFI_FILEFLAGSMASK", "FILEFLAGS 0", "FILEOS VOS_NT_WINDOWS32",
             "FILETYPE VFT_APP", "FILESUBTYPE VFT2_UNKNOWN",
             "BEGIN", '    BLOCK "StringFileInfo"', "    BEGIN", f'        BLOCK "{language:04X}04B0"', "        BEGIN"]
    lines += [f"            VALUE \"{k}\", {literal(v)}" for k, v in version_strings(values, d).items()]
    lines += ["        END", "    END", '    BLOCK "VarFileInfo"', "    BEGIN",
              f'        VALUE "Translation", 0x{language:04X}, 1200', "    END", "END"]
    return "\n".join(lines) + "\n"


def extra_size(values, languages, icon_size, picture_size=0):
    """What the brand adds to the .exe over Tolvar's: its icon, its dialogs, its
    longer class and game, and a modern launcher's manifest, larger picture and
    code, or a classic one's manifest, in whole 512-byte blocks of the file."""
    base_template, base_class, base_game = tolvar_base()
    grown = sum(template_size(d.texts) for d in languages) - base_template
    grown += len(values["class"]) - base_class + len(values["game"]) - base_game
    grown += len(manifest(values) or "")
    if values["style"] == "modern":
        grown += picture_size - CLASSIC_PICTURE + MODERN_CODE
    if values["gamepad"] == "yes":
        grown += GAMEPAD_CODE
    if direct(values):
        grown += DIRECT_CODE
    if has_properties(values):
        # each language's version resource: its script in UTF-16, more than the binary it becomes
        grown += sum(len(version_resource(values, d).encode("utf-16-le")) + 64 for d in languages)
    grown = icon_size + max(0, grown)
    return -(-grown // 512) * 512
def manifest(values):
    """The application manifest the launcher carries, if any."""
    if values["style"] == "modern":
        return MANIFEST
    return CLASSIC_MANIFEST if has_properties(values) else None


# A classic launcher with file properties says no more than that it runs as
# its caller: Windows' installer detection reads the properties (the company,
# the product, the description, the file's names) for words such as "setup" or
# "update", and asks for administrator rights before every start of a 32-bit
# program that has such a word and no requestedExecutionLevel. Nothing else of
# a manifest, which would change how the dialog looks.
RUNS_AS_INVOKER = """<?xml version="1.0" encoding="UTF-8" standalone="yes"?>
<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0">
  <trustInfo xmlns="urn:schemas-microsoft-com:asm.v3">
    <security>
      <requestedPrivileges>
        <requestedExecutionLevel level="asInvoker" uiAccess="false"/>
      </requestedPrivileges>
    </security>
  </trustInfo>
"""
CLASSIC_MANIFEST = RUNS_AS_INVOKER + "</assembly>\n"

# A modern launcher's manifest: never elevated; the Windows it was made for, so
# that none treats it as an old program; sharp at the system's DPI; themed
# buttons; and UTF-8 as its code page, for paths and commands in any script.
# Not per-monitor aware (its picture is drawn for one DPI) nor long-path aware
# (its buffers are MAX_PATH).
MANIFEST = RUNS_AS_INVOKER + """  <compatibility xmlns="urn:schemas-microsoft-com:compatibility.v1">
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
RECORD_FIELDS = ("exe", "class", "game", "program", "arguments", "icon", "style", "gamepad", "picture", "budget",
                 "scales", "metrics") + PROPERTIES
DIALOG_FIELDS = ("locale", "codepage", "script", "stand_in", "caption_face", "caption_bold", "layout", "width",
                 "pixels", "spare", "label_room", "description", "product", "unturned") + TEXTS


def write_record(path, values, languages, icon_size, extra, transparent):
    lines = ["# The build record of a launcher, made by brand.py: see brand/FORMAT.md"]
    record = dict(dict.fromkeys(PROPERTIES, ""), **values)
    record.update(icon=icon_size, budget=BASE_BUDGET + extra,
                  scales=" ".join(str(dpi * 100 // 96) for dpi in SCALES[values["style"]]),
                  picture="transparent" if transparent else "opaque",
                  metrics=f"{BUTTON_EDGES} {CAPTION_BUTTON} {CAPTION_BUTTON + ICON}")
    lines += [f"{k}\t{record[k]}" for k in RECORD_FIELDS]
    lines += [f"argument\t{a}" for a in values["argv"]]
    for d in languages:
        lines.append(f"dialog\t{d.tag}")
        width, height = (d.rects or STANDARD)["DLG_RECT"][2:]
        # as the dialog manager maps dialog units to pixels, at each scale
        pixels = " ".join(f"{in_pixels(width, x)}x{in_pixels(height, y, 8)}" for x, y in d.bases.values())
        strings = version_strings(values, d) if has_properties(values) else {}
        fields = dict(dataclasses.asdict(d), **d.texts, layout="rtl" if d.rtl else "ltr", width=width, pixels=pixels,
                      label_room=BUTTON_ROOM, description=strings.get("FileDescription", ""),
                      product=strings.get("ProductName", ""), unturned=" ".join(d.unturned))
        lines += [f"{k}\t{fields[k]}" for k in DIALOG_FIELDS]
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
            if key == "argument":
                record.setdefault("argv", []).append(value)
            elif key == "dialog":
                record["dialogs"].append({"tag": value})
            elif record["dialogs"]:
                record["dialogs"][-1][key] = value
            else:
                record[key] = value
    return record


def read_brand(path):
    """The brand file's values, checked, where each was set, and its dialogs, laid out."""
    top, sections = parse(path)
    shown = printable(path)
    where = {k: f"{shown}:{line}: {k}" for k, (_, line) in top.items()}
    values = dict(DEFAULTS, **{k: v for k, (v, _) in top.items()})
    check_exe(values["exe"], where["exe"])
    check_class(values["class"], where["class"])
    values["program"], values["arguments"], values["argv"] = check_game(values["game"],
                                                                        where.get("game", f"{shown}: game"))
    for caution in game_cautions(values["program"], values["arguments"]):
        warn(f"{where.get('game', shown)}: {caution}")
    if values["style"] not in STYLES:
        raise BrandError(f"{where['style']}: the style is classic or modern")
    if values["gamepad"] not in ("no", "yes"):
        raise BrandError(f"{where['gamepad']}: gamepad is yes or no")
    # composed, as the version resource, the record and the signature all hold them
    for key in ("publisher", "product", "copyright"):
        if key in values:
            values[key] = unicodedata.normalize("NFC", values[key])
            check_property(values[key], where[key])
    if "version" in values:
        values["version_numbers"] = check_version(values["version"], where["version"])
    if "website" in values:
        check_website(values["website"], where["website"])
    check_properties(values, where)
    languages = dialogs(shown, top, sections)
    try:
        for d in languages:
            d.script = fonts.fuller(d.script, "".join(d.texts.values()))
            check_drawn(d, values["style"])
            d.spare = spare_percent(d.script)
            d.rects, d.bases = layout(d, values["style"], "icon" in values)
            d.stand_in = fonts.stand_in_face(d.script)
            d.caption_face = fonts.caption_face(d.codepage, d.script)
            d.caption_bold = "yes" if fonts.caption_bold(d.codepage, d.script) else "no"
    except fonts.FontError as e:
        raise BrandError(f"{shown}: cannot measure the texts: {e}")
    for d in (d for d in languages if d.rtl):
        marked = {k: read_right_to_left(d.texts[k], values["style"] == "modern" or d.codepage == UTF8) for k in TEXTS}
        left = d.unturned = [k for k in TEXTS if marked[k] is None]
        if left:
            warn(f"{d.where[left[0]]}{' (and ' + ', '.join(left[1:]) + ')' if left[1:] else ''}: Wine, and so "
                 "Proton, draws a line with Latin letters left to right in a classic launcher, though Windows "
                 "reads it right to left; the modern style reads it right to left under Wine too")
        d.texts.update({k: marked[k] or d.texts[k] for k in TEXTS})
        for k in TEXTS:
            if utf16_units(d.texts[k]) > MAX_TEXT:
                raise BrandError(f"{d.where[k]}: with the invisible marks that make Wine read it right to left "
                                 f"too, the text has {utf16_units(d.texts[k])} UTF-16 units; each text may have at "
                                 f"most {MAX_TEXT}: shorten it by {utf16_units(d.texts[k]) - MAX_TEXT}")
    return values, where, languages


def read_pictures(path, values, where):
    """The picture as a BMP file, whether it has transparent parts, the icon
    as an .ico file or None, and the files they were made from; read and drawn
    within the pictures' budget (images.within_budget)."""
    folder = os.path.dirname(os.path.abspath(path))
    watched = [image_at(folder, values[k]) for k in ("picture", "icon") if k in values]
    # Pillow's own warnings stay out of the publisher's way, as every fault is said here.
    warnings.simplefilter("ignore")
    try:
        bmp, transparent, ico = images.within_budget(draw_pictures, watched, values["style"] == "modern", where)
    except images.BudgetError as e:
        raise BrandError(f"{where[e.what]}: {e}")
    return bmp, transparent, ico, watched


def draw_pictures(stage, watched, modern, where):
    """Both files checked and read before either is drawn."""
    try:
        stage("picture")
        source = images.open_image(watched[0])
        if len(watched) > 1:
            stage("icon")
            icon_source = images.open_icon(watched[1])
        stage("picture")
        bmp, transparent = images.picture_full(source) if modern else images.picture(source)
        stage("icon")
        ico = images.icon(*icon_source, sizes=images.MODERN_ICON_SIZES if modern else images.ICON_SIZES) \
            if len(watched) > 1 else None
    except images.ImageError as e:
        raise BrandError(f"{where[stage.what]}: {e}")
    return bmp, transparent, ico


def brand_header(values, ico, transparent, note):
    """brand.h: the class, the game, and which features the code switches on."""
    header = [f"/* {note} */",
              f"#define BRAND_CLASS    {literal(values['class'])}",
              f"#define BRAND_GAME     {literal(values['game'])}"]
    if ico:
        header.append("#define BRAND_ICON     1")
    if direct(values):
        # The program and its arguments apart too, for the shell's consent prompt.
        header.append("#define BRAND_DIRECT   1")
        header.append(f"#define BRAND_PROGRAM  {literal(values['program'])}")
        header.append(f"#define BRAND_ARGS     {literal(values['arguments'])}")
    if transparent:
        # what the picture does not cover shows the dialog's face colour
        header.append("#define BRAND_TRANSPARENT 1")
    if values["style"] == "modern":
        header.append("#define BRAND_MODERN   1")
        header.append(f"#define BRAND_GUARD    {literal(guard_name(values['class']))}")
    if values["gamepad"] == "yes":
        header.append("#define BRAND_GAMEPAD  1")
    if has_properties(values):
        header.append("#define BRAND_VERSION  1")
    if manifest(values):
        header.append("#define BRAND_MANIFEST 1")
    return "\n".join(header) + "\n"


def dialogs_rc(languages, note):
    """dialogs.rc: dialog.rc once for each language, with its texts and its layout."""
    rc = [f"/* {note}", " * The launch dialog in each of the brand's languages. */"]
    for d in languages:
        rc.append("")
        rc.append(f"#define DLG_LANGUAGE    0x{d.id[0]:02x}, 0x{d.id[1]:02x}")
        if d.rtl:
            # Mirrored, which makes the reading order right to left too: in a
            # mirrored window Windows reverses WS_EX_RTLREADING. The texts and
            # buttons are mirrored as the dialog; the picture is not, so that
            # it is shown as drawn.
            rc.append("#define DLG_EXSTYLE     WS_EX_LAYOUTRTL | WS_EX_NOINHERITLAYOUT")
            rc.append("#define DLG_TEXTSTYLE   WS_EX_LAYOUTRTL")
        rc += [f"#define DLG_{k.upper():11} {literal(d.texts[k])}" for k in TEXTS]
        if d.rects:
            # grown for its texts: the standard layout is back after it
            rc += [f"#undef {k}\n#define {k:15} {', '.join(map(str, r))}" for k, r in d.rects.items()]
        rc.append('#include "dialog.rc"')
        rc += [f"#undef DLG_{k.upper()}" for k in ("language", "exstyle", "textstyle") + TEXTS]
        if d.rects:
            rc += [f"#undef {k}" for k in d.rects] + ['#include "resource.h"']
    return "\n".join(rc) + "\n"


def write(out, name, data):
    """One of the files the build reads: bytes as they are, a text in UTF-8 as written."""
    with open(os.path.join(out, name), "wb") as f:
        f.write(data.encode("utf-8") if isinstance(data, str) else data)


def main(argv):
    if len(argv) != 3:
        raise BrandError("usage: brand.py BRAND_FILE OUT_DIR")
    path, out = argv[1], argv[2]
    values, where, languages = read_brand(path)
    bmp, transparent, ico, watched = read_pictures(path, values, where)
    note = f"Made by brand.py from {printable(os.path.basename(path))}: edit that file, not this one."
    os.makedirs(out, exist_ok=True)
    write(out, "picture.bmp", bmp)
    if ico:
        write(out, "icon.ico", ico)
    if manifest(values):
        write(out, "manifest.xml", manifest(values))
    write(out, "brand.h", brand_header(values, ico, transparent, note))
    write(out, "dialogs.rc", dialogs_rc(languages, note))
    write(out, "version.rc", f"/* {note} */\n" + "".join("\n" + version_resource(values, d) for d in languages)
          if has_properties(values) else f"/* {note} No version resource. */\n")
    icon_size = len(ico) if ico else 0
    write_record(os.path.join(out, "record.txt"), values, languages, icon_size,
                 extra_size(values, languages, icon_size, len(bmp) - 14), transparent)
    for image in watched:
        print(os.path.abspath(image))
    for font in sorted(fonts.made):
        print(font)


if __name__ == "__main__":
    sys.stderr.reconfigure(errors="backslashreplace")
    sys.stdout.reconfigure(errors="surrogateescape")
    try:
        main(sys.argv)
    except BrandError as e:
        sys.stderr.write(f"brand: {e}\n")
        sys.exit(1)