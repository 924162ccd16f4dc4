"""How wide a dialog's texts are, in the fonts the preview draws them in: Wine's
MS Sans Serif (bitmap .fon files, one for each code page) or Tahoma, the
stand-ins for the scripts those lack, and the East Asian fonts that Wine links
to them. Used by brand.py to size each language's dialog; the preview then
checks the dialog under Wine."""
import ctypes
import ctypes.util
import os
import struct
import unicodedata

WINE_FONTS = "/usr/share/wine/fonts"
# 8 points at 96 DPI: the cell of MS Sans Serif's face
CELL = 13


def em(dpi):
    """The em of a TrueType font at 8 points, in pixels, as Windows rounds it."""
    return (8 * dpi + 36) // 72

# Wine's MS Sans Serif for each ANSI code page; the East Asian ones have the Western face
SANS_SERIF = {1252: "sserife.fon", 1250: "sserifee.fon", 1251: "sserifer.fon", 1253: "sserifeg.fon",
              1254: "sserifet.fon", 1255: "ssee1255.fon", 1256: "ssee1256.fon", 1257: "ssee1257.fon",
              874: "ssee874.fon"}
TAHOMA = "tahoma.ttf"
DEBIAN_FONTS = "/usr/share/fonts/truetype"
# The fonts that stand in for a script's (tools/prefix.sh), and those Wine links
# to for East Asian letters, with the Debian package of each.
STAND_INS = {"thai": ("tlwg/Loma.ttf", "fonts-tlwg-loma-ttf"),
             "hebrew": ("dejavu/DejaVuSans.ttf", "fonts-dejavu-core"),
             "greek": ("dejavu/DejaVuSans.ttf", "fonts-dejavu-core"),
             "arabic": ("dejavu/DejaVuSans.ttf", "fonts-dejavu-core"),
             "latin": ("dejavu/DejaVuSans.ttf", "fonts-dejavu-core")}
# Windows 10 and 11 draw the scripts of India and Sri Lanka in Nirmala UI,
# Khmer, Lao, Myanmar, Georgian, Armenian and Ethiopic in faces of their own,
# and Urdu's letters in Segoe UI, each holding Latin letters too. Debian's Noto faces for them, made for
# interfaces (the UI ones, with Windows' tight line height), hold no Latin
# letters, which a dialog's font needs for its base units: so the stand-in is
# made from the script's face and Noto Sans' Latin ones (made_font), into the
# build folder's fonts/, where the preview's prefix takes it from too.
NOTO = {"devanagari": "DevanagariUI", "bengali": "BengaliUI", "gujarati": "GujaratiUI",
        "gurmukhi": "GurmukhiUI", "kannada": "KannadaUI", "malayalam": "MalayalamUI", "oriya": "OriyaUI",
        "sinhala": "SinhalaUI", "tamil": "TamilUI", "telugu": "TeluguUI", "khmer": "KhmerUI", "lao": "LaoUI",
        "myanmar": "MyanmarUI", "georgian": "Georgian", "armenian": "Armenian", "ethiopic": "Ethiopic",
        "urdu": "ArabicUI"}
MADE_FONTS = os.path.join(os.path.abspath(os.environ.get("LAUNCHER_BUILD") or
                                          os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "build")),
                          "fonts")
MADE_PACKAGES = "fonts-noto-core fonts-noto-ui-core python3-fonttools"
_recipes = {}
for script, stem in NOTO.items():
    for style in ("Regular", "Bold"):
        _recipes[os.path.join(MADE_FONTS, f"StandIn{script.title()}-{style}.ttf")] = \
            (f"noto/NotoSans{stem}-{style}.ttf", f"noto/NotoSans-{style}.ttf", f"Stand-in {script.title()}")
    STAND_INS[script] = (os.path.join(MADE_FONTS, f"StandIn{script.title()}-Regular.ttf"), MADE_PACKAGES)
# Latin letters Wine's faces lack, Vietnamese ones above all, in Noto Sans: it
# sets a tone mark beside a circumflex or breve, as Vietnamese type does, where
# DejaVu Sans stacks the two, and at 8 pt draws Ồ as it draws Ô. Made under a
# name of its own too, whose regular full name is its family's (made_font).
for style in ("Regular", "Bold"):
    _recipes[os.path.join(MADE_FONTS, f"StandInLatin-{style}.ttf")] = \
        (f"noto/NotoSans-{style}.ttf", None, "Stand-in Latin")
STAND_INS["latin"] = (os.path.join(MADE_FONTS, "StandInLatin-Regular.ttf"), MADE_PACKAGES)
SHAPED = tuple(script.upper() + " " for script in NOTO if script != "urdu")
# The Latin letters, punctuation and spaces a dialog's texts may take from Noto Sans
LATIN_RANGES = [(0x20, 0x24f), (0x2000, 0x206f), (0x20a0, 0x20bf)]
# A script whose stand-in lacks some of its letters (the ones Urdu adds to
# Arabic's) takes a fuller one; both draw Latin letters, as a dialog's font must
# for Wine's base units.
FULLER = {"arabic": "urdu"}
# Wine links the dialog's font to MS UI Gothic, SimSun, Gulim and PMingLiU,
# in an order that depends on the code page, for what it lacks (Greek in
# Tahoma, say); the prefix replaces them with VL Gothic and WenQuanYi.
GOTHIC = ("vlgothic/VL-Gothic-Regular.ttf", "fonts-vlgothic")
WENQUANYI = ("wqy/wqy-microhei.ttc", "fonts-wqy-microhei")
# An East Asian dialog that Wine must run in UTF-8 (its texts hold a letter its
# code page lacks, an accented Latin name say) loses Wine's linking to the
# language's font: the font Wine links first stands in for the whole dialog.
STAND_INS.update(japanese=GOTHIC, chinese=WENQUANYI, korean=WENQUANYI)
LINKED = {932: [GOTHIC, WENQUANYI], 936: [WENQUANYI, GOTHIC], 949: [WENQUANYI, GOTHIC], 950: [WENQUANYI, GOTHIC]}
# The faces East Asian Windows draw their dialogs and captions in, for each
# code page; the prefix replaces them with the first of LINKED (tools/prefix.reg).
EAST_ASIAN_FACES = {932: "MS UI Gothic", 936: "SimSun", 949: "Gulim", 950: "PMingLiU"}
LETTERS = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"


def linked(codepage):
    """The fonts Wine links to a dialog's font under a code page, in its order."""
    return LINKED.get(codepage, [GOTHIC, WENQUANYI])


class FontError(Exception):
    pass


def fnt_widths(path, cell):
    """The advance of each character code of the face of a .fon file whose
    cell is `cell` pixels high: a dict from byte to pixels."""
    try:
        with open(path, "rb") as f:
            data = f.read()
    except OSError:
        raise FontError(f"no font {path}: apt-get install fonts-wine")
    ne = struct.unpack_from("<I", data, 0x3C)[0]
    table = ne + struct.unpack_from("<H", data, ne + 0x24)[0]
    shift = struct.unpack_from("<H", data, table)[0]
    at = table + 2
    while True:
        kind, count = struct.unpack_from("<HH", data, at)
        if not kind:
            break
        for i in range(count):
            offset = struct.unpack_from("<H", data, at + 8 + 12 * i)[0] << shift
            version, = struct.unpack_from("<H", data, offset)
            height, = struct.unpack_from("<H", data, offset + 88)
            if kind != 0x8008 or height != cell:
                continue
            first, last = struct.unpack_from("<BB", data, offset + 95)
            entry, start = (4, 118) if version < 0x300 else (6, 148)
            return {first + c: struct.unpack_from("<H", data, offset + start + entry * c)[0]
                    for c in range(last - first + 1)}
        at += 8 + 12 * count
    raise FontError(f"{path} has no face {cell} pixels high")


class Measure:
    """Widths in pixels of texts drawn in a dialog of one code page, script and style."""

    def __init__(self, codepage, script, style, dpi=96):
        self.fnt, self.faces, self.em = None, [], em(dpi)
        # the bitmap face's characters are bytes of its code page; the East Asian ones have the Western face
        self.encoding = f"cp{codepage}" if codepage in SANS_SERIF else "cp1252"
        if script != "-":
            self.faces.append(STAND_INS[script])
        elif style == "modern":
            self.faces.append((os.path.join(WINE_FONTS, TAHOMA), "fonts-wine"))
        else:
            self.fnt = fnt_widths(os.path.join(WINE_FONTS, SANS_SERIF.get(codepage, SANS_SERIF[1252])), CELL)
        # what the dialog's font lacks comes from the fonts Wine links to it
        self.own = self.faces[:1]
        self.faces += linked(codepage)

    def font(self, c):
        """What draws c: None for the bitmap face, else a TrueType face."""
        if self.fnt and self.code(c) in self.fnt:
            return None
        for spec in self.faces:
            face = truetype(*spec, self.em)
            if face.has(c):
                return face
        return face

    def undrawn(self, text):
        """The characters of text that neither the dialog's font nor a font
        Wine links to it draws, which Wine would show as boxes."""
        return [c for c in dict.fromkeys(text) if not drawn_by_none(c) and (face := self.font(c)) and not face.has(c)]

    def code(self, c):
        """c's byte in the bitmap face's code page, or None."""
        try:
            code = c.encode(self.encoding)
        except UnicodeEncodeError:
            return None
        return code[0] if len(code) == 1 else None

    def run(self, face, text):
        """Wine adds up each character's whole-pixel advance, as Windows does, a
        mark's too (most fonts give theirs none; Tamil's give the virama and
        some vowel signs one). The scripts of the made stand-ins it measures
        so, unshaped, but draws shaped, as Windows measures and draws them: a
        vowel sign before its consonant can make that wider, so the wider of
        the two counts."""
        if face is None:
            return sum(self.fnt[self.code(c)] for c in text)
        own = self.own and face is truetype(*self.own[0], self.em)
        width = sum(face.own_advance(c) if own else face.advance(c) for c in text if unicodedata.category(c) != "Cf")
        if any(unicodedata.name(c, "").startswith(SHAPED) for c in text):
            return max(width, face.shaped(text, self.em))
        return width

    def width(self, text):
        """A text as a static control or a button draws it: & marks the next
        letter and is not drawn, && is one &."""
        text = text.replace("&&", "\0").replace("&", "").replace("\0", "&")
        total, start = 0, 0
        for i in range(1, len(text) + 1):
            if i == len(text) or self.font(text[i]) is not self.font(text[start]):
                total += self.run(self.font(text[start]), text[start:i])
                start = i
        return total

    def base_units(self):
        """The dialog's base units, as Windows works them out from its font:
        the letters' average width, and the font's height."""
        height = CELL if self.fnt else truetype(*self.faces[0], self.em).height(self.em)
        return (self.width(LETTERS) // 26 + 1) // 2, height


def fuller(script, text):
    """The script whose stand-in draws every letter of text: script's own, or a fuller one."""
    if script in FULLER and not all(truetype(*STAND_INS[script]).has(c) for c in text if not drawn_by_none(c)) \
            and all(truetype(*STAND_INS[FULLER[script]]).has(c) for c in text if not drawn_by_none(c)):
        return FULLER[script]
    return script


def drawn_by_none(c):
    """Characters no font is asked to draw: white space, marks of format and controls."""
    return c.isspace() or unicodedata.category(c) in ("Cf", "Cc", "Zs")


def stand_in_face(script):
    """The face that the preview puts in place of the dialog's font for a
    script's letters, or "-" where the dialog's own font draws them."""
    return truetype(*STAND_INS[script]).family() if script != "-" else "-"


TAHOMA_BOLD = "tahomabd.ttf"
CAPTION_HEIGHT = 11         # pixels of the title bar's font at 96 DPI (tools/prefix.sh's caption_font)


def bold_of(spec):
    """A face's bold one, where its font has one (DejaVuSans-Bold.ttf beside
    DejaVuSans.ttf); None where Wine makes the face itself bolder."""
    path, package = spec
    if path.endswith(TAHOMA):
        bold = path[:-len(TAHOMA)] + TAHOMA_BOLD
    elif path.endswith("-Regular.ttf"):
        bold = path[:-len("-Regular.ttf")] + "-Bold.ttf"
    else:
        bold = path.replace(".ttf", "-Bold.ttf")
    full = bold if os.path.isabs(bold) else os.path.join(DEBIAN_FONTS, bold)
    return (bold, package) if bold != path and (os.path.isfile(full) or full in _recipes) else None


def caption_face(codepage, script):
    """The face the preview draws a dialog's caption in, as the title bar's
    font, or "-" for the prefix's own (Tahoma)."""
    if script != "-":
        return stand_in_face(script)
    return EAST_ASIAN_FACES.get(codepage, "-")


def caption_bold(codepage, script):
    """Whether the title bar's font is bold, as the classic caption font is. An
    East Asian one is regular, as Windows draws them from Vista on (Meiryo UI,
    Malgun Gothic and the like); made bolder by Wine, its small stand-ins would
    run their strokes together, an m into a block."""
    return not ((script == "-" and codepage in LINKED) or STAND_INS.get(script) in (GOTHIC, WENQUANYI))


def caption_width(text, codepage, script, dpi=96):
    """A caption's width as Wine draws it in the title bar, in the caption face
    the preview sets (tools/prefix.sh), bold but for an East Asian one
    (caption_bold): a script's stand-in, the East Asian Windows' dialog font,
    else Tahoma; and what that lacks in the fonts Wine links to it. A face with
    no bold of its own Wine makes bolder, which widens every glyph it draws by
    a pixel at these sizes, a mark's too."""
    if script != "-":
        regular = STAND_INS[script]
    else:
        regular = LINKED[codepage][0] if codepage in LINKED else (os.path.join(WINE_FONTS, TAHOMA), "fonts-wine")
    bold = caption_bold(codepage, script)
    faces = [(bold_of(regular), 0)] if bold and bold_of(regular) else [(regular, int(bold))]
    faces += [(spec, int(bold)) for spec in linked(codepage)]
    size, total = (CAPTION_HEIGHT * dpi + 48) // 96, 0
    for c in text:
        invisible = unicodedata.category(c) == "Cf"
        for spec, synthetic in faces:
            face = truetype(*spec, size)
            if face.has(c):
                advance = face.own_advance(c) if spec is faces[0][0] else face.advance(c)
                total += (0 if invisible else advance) + synthetic
                break
        else:
            total += 0 if invisible else face.advance(c) + synthetic
    return total


_loaded = {}
made = set()            # the made stand-ins a text was measured in, which the build watches


def truetype(path, package, size=em(96)):
    """A TrueType font with an em of `size` pixels; each is read once, when a text first needs it."""
    path = path if os.path.isabs(path) else os.path.join(DEBIAN_FONTS, path)
    if (path, size) not in _loaded:
        if path in _recipes:
            if not os.path.isfile(path) or os.path.getmtime(path) < os.path.getmtime(__file__):
                made_font(path)
            made.add(path)
        if not os.path.isfile(path):
            raise FontError(f"no font {path}: apt-get install {package}")
        _loaded[path, size] = TrueType(path, size)
    return _loaded[path, size]


class _Metrics(ctypes.Structure):
    _fields_ = [(n, ctypes.c_long) for n in ("width", "height", "horiBearingX", "horiBearingY", "horiAdvance",
                                             "vertBearingX", "vertBearingY", "vertAdvance")]


class _GlyphSlot(ctypes.Structure):
    _fields_ = [("library", ctypes.c_void_p), ("face", ctypes.c_void_p), ("next", ctypes.c_void_p),
                ("glyph_index", ctypes.c_uint), ("generic", ctypes.c_void_p * 2), ("metrics", _Metrics)]


class _Face(ctypes.Structure):
    _fields_ = [("num_faces", ctypes.c_long), ("face_index", ctypes.c_long), ("face_flags", ctypes.c_long),
                ("style_flags", ctypes.c_long), ("num_glyphs", ctypes.c_long), ("family_name", ctypes.c_char_p),
                ("style_name", ctypes.c_char_p), ("num_fixed_sizes", ctypes.c_int),
                ("available_sizes", ctypes.c_void_p), ("num_charmaps", ctypes.c_int), ("charmaps", ctypes.c_void_p),
                ("generic", ctypes.c_void_p * 2), ("bbox", ctypes.c_long * 4), ("units_per_EM", ctypes.c_ushort),
                ("metrics", ctypes.c_short * 7), ("glyph", ctypes.POINTER(_GlyphSlot))]


class TrueType:
    """A TrueType font measured as Wine measures it: through FreeType (the
    library Pillow uses), each glyph hinted at 8 points from its outline, its
    advance rounded up to whole pixels."""
    LOAD = 0x8 | 0x200          # FT_LOAD_NO_BITMAP | FT_LOAD_IGNORE_GLOBAL_ADVANCE_WIDTH, as Wine loads
    _library = None

    def __init__(self, path, size):
        if not TrueType._library:
            TrueType._ft = ctypes.CDLL(ctypes.util.find_library("freetype") or "libfreetype.so.6")
            TrueType._library = ctypes.c_void_p()
            if TrueType._ft.FT_Init_FreeType(ctypes.byref(TrueType._library)):
                raise FontError("FreeType does not start")
        self.path, self.size, self.face, self.cache, self.shapers = path, size, ctypes.c_void_p(), {}, {}
        self.wide = None        # own_advance's, once read
        if self._ft.FT_New_Face(self._library, path.encode(), 0, ctypes.byref(self.face)) or \
                self._ft.FT_Set_Pixel_Sizes(self.face, 0, size):
            raise FontError(f"FreeType cannot read {path}")
        self.slot = ctypes.cast(self.face, ctypes.POINTER(_Face)).contents.glyph

    def family(self):
        return ctypes.cast(self.face, ctypes.POINTER(_Face)).contents.family_name.decode()

    def os2(self):
        """The font's OS/2 table, up to its Windows ascent and descent."""
        table, length = ctypes.create_string_buffer(78), ctypes.c_ulong(78)
        if self._ft.FT_Load_Sfnt_Table(self.face, int.from_bytes(b"OS/2", "big"), 0, table, ctypes.byref(length)):
            raise FontError(f"{self.path} has no OS/2 table")
        return table.raw

    def own_advance(self, c):
        """c's advance where the face is the dialog's own: where it is
        monospaced by its PANOSE (VL Gothic), Wine draws a glyph wider than
        the average twice the average width, rounded (12 pixels at 11, where
        the glyph's own is 11); as a font linked to another, its own."""
        if self.wide is None:
            table = self.os2()
            upem = ctypes.cast(self.face, ctypes.POINTER(_Face)).contents.units_per_EM
            average = struct.unpack_from(">h", table, 2)[0]
            self.wide = 2 * ((average * self.size * 2 + upem) // (2 * upem)) if table[35] == 9 else 0
        advance = self.advance(c)
        return self.wide if self.wide and advance > self.wide // 2 else advance

    def height(self, size):
        """The font's height in pixels, as Wine works it out: its ascent and its
        descent for Windows (the OS/2 table), each scaled and rounded."""
        ascent, descent = struct.unpack_from(">HH", self.os2(), 74)
        upem = ctypes.cast(self.face, ctypes.POINTER(_Face)).contents.units_per_EM
        scale = ((size * 64 << 16) + upem // 2) // upem
        return sum((((m * scale + 0x8000) >> 16) + 32) >> 6 for m in (ascent, descent))

    def has(self, c):
        return self._ft.FT_Get_Char_Index(self.face, ord(c)) != 0

    def advance(self, c):
        if c not in self.cache:
            self._ft.FT_Load_Glyph(self.face, self._ft.FT_Get_Char_Index(self.face, ord(c)), self.LOAD)
            self.cache[c] = (self.slot.contents.metrics.horiAdvance + 63) >> 6
        return self.cache[c]

    def shaped(self, text, size):
        """A run's width shaped as a whole, as Windows and Wine draw Devanagari
        (Pillow, through HarfBuzz)."""
        from PIL import ImageFont
        if size not in self.shapers:
            self.shapers[size] = ImageFont.truetype(self.path, size=size)
        return round(self.shapers[size].getlength(text))


def made_font(path):
    """A stand-in made of a script's Noto face and Noto Sans' Latin letters
    (the Latin one of Noto Sans alone), under a family name of its own, which
    does not begin as the script's face's does (Wine, given one that does,
    draws no caption). The script's
    glyphs keep their hinting; the Latin ones go without theirs, whose
    programs cannot join the script face's. The same sources make the same
    bytes: the merge's dates are the script face's."""
    try:
        from fontTools import merge, subset
        from fontTools.ttLib import TTFont
    except ImportError:
        raise FontError(f"making {os.path.basename(path)} needs fontTools: apt-get install python3-fonttools")
    sources = [os.path.join(DEBIAN_FONTS, p) for p in _recipes[path][:2] if p]
    for source in sources:
        if not os.path.isfile(source):
            raise FontError(f"no font {source}: apt-get install {MADE_PACKAGES}")
    parts, temporary = [], f"{path}.{os.getpid()}"
    os.makedirs(os.path.dirname(path), exist_ok=True)
    for source, unicodes in zip(sources, (None, [c for low, high in LATIN_RANGES for c in range(low, high + 1)])):
        options = subset.Options()
        options.hinting, options.layout_features, options.name_IDs, options.notdef_outline = not unicodes, ["*"], \
            ["*"], True
        options.glyph_names, options.recalc_timestamp = True, False
        font = TTFont(source, recalcTimestamp=False)
        subsetter = subset.Subsetter(options)
        subsetter.populate(unicodes=unicodes if unicodes else font.getBestCmap().keys())
        subsetter.subset(font)
        part = f"{temporary}.{len(parts)}"
        font.save(part)
        parts.append(part)
    font = merge.Merger().merge(parts) if len(parts) > 1 else TTFont(parts[0], recalcTimestamp=False)
    font.recalcTimestamp = False
    font["head"].created = font["head"].modified = TTFont(sources[0])["head"].modified
    names = font["name"]
    family, style = _recipes[path][2], names.getDebugName(2)
    for record in list(names.names):
        if record.nameID in (1, 2, 3, 4, 6, 16, 17, 21, 22):
            names.removeNames(nameID=record.nameID)
    names.setName(family, 1, 3, 1, 0x409)
    names.setName(style, 2, 3, 1, 0x409)
    # A regular face's full name is its family's, as in Windows' own faces:
    # Wine names the title bar's font by the full name of the face it finds,
    # and one naming the regular face alone would keep it from the bold face,
    # which it would then make of the regular by widening every glyph.
    names.setName(family if style == "Regular" else f"{family} {style}", 4, 3, 1, 0x409)
    names.setName(f"{family} {style}", 3, 3, 1, 0x409)
    names.setName(f"{family}-{style}".replace(" ", ""), 6, 3, 1, 0x409)
    font.save(temporary, reorderTables=True)
    for part in parts:
        os.remove(part)
    os.replace(temporary, path)
