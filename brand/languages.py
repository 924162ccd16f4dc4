"""The languages a brand's dialogs may be in, and the scripts and code pages
of their texts: Windows' language tags and IDs, its ANSI code pages, the
locale the preview shows each under, and which letters need a stand-in font."""
import unicodedata

UTF8 = 65001
# The code pages whose letters Wine's MS Sans Serif draws (Windows' own has Thai,
# Hebrew and Arabic ones too; Wine's draws those as boxes), and the scripts it
# lacks whatever the code page.
BITMAP_CODEPAGES = (1252, 1250, 1251, 1253, 1254, 1257, 932, 936, 949, 950)
# Greek is among them: Wine's MS Sans Serif for code page 1253 misplaces its
# accents (on α and ε, not on ή and ύ), and its Tahoma has none.
SCRIPTS = ("THAI", "HEBREW", "ARABIC", "DEVANAGARI", "TAMIL", "GREEK", "BENGALI", "GUJARATI", "GURMUKHI",
           "KANNADA", "MALAYALAM", "ORIYA", "SINHALA", "TELUGU", "KHMER", "LAO", "MYANMAR", "GEORGIAN", "ARMENIAN",
           "ETHIOPIC")
# The East Asian code pages, whose dialogs Wine draws through fonts linked by the code page.
EAST_ASIAN = {932: "japanese", 936: "chinese", 949: "korean", 950: "chinese"}
# Language tags, one for each display language of Windows: the name, the
# LANGID of the template (primary, sublanguage), the locale the preview runs it
# under and that locale's ANSI code page (0: Unicode only). Windows' resource
# loader tries the player's exact LANGID, then the language with the neutral
# sublanguage: a tag without a country takes the neutral one and so serves
# every country of its language; a tag with a country serves that country
# alone. Croatian and Serbian share a primary language, so Croatian keeps its
# country and Serbian (Latin) serves the rest. brand/FORMAT.md names this table.
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
# ... and the languages Windows 10 and 11 add by a language pack over one of
# those (a Local Experience Pack), which the resource loader picks by their
# LANGIDs as it does the others'. Persian and Urdu have Arabic's code page;
# the rest none, as Hindi: a classic launcher's dialog in one of them is
# previewed, as Hindi's is, in UTF-8.
LANGUAGE_PACKS = {
    "fa": ("Persian", 0x29, 0, "fa_IR", 1256), "ur": ("Urdu", 0x20, 0, "ur_PK", 1256),
    "bn": ("Bengali", 0x45, 0, "bn_IN", 0), "gu": ("Gujarati", 0x47, 0, "gu_IN", 0),
    "pa": ("Punjabi", 0x46, 0, "pa_IN", 0), "ta": ("Tamil", 0x49, 0, "ta_IN", 0),
    "te": ("Telugu", 0x4a, 0, "te_IN", 0), "kn": ("Kannada", 0x4b, 0, "kn_IN", 0),
    "ml": ("Malayalam", 0x4c, 0, "ml_IN", 0), "mr": ("Marathi", 0x4e, 0, "mr_IN", 0),
    "ne": ("Nepali", 0x61, 0, "ne_NP", 0), "or": ("Odia", 0x48, 0, "or_IN", 0),
    "si": ("Sinhala", 0x5b, 0, "si_LK", 0), "km": ("Khmer", 0x53, 0, "km_KH", 0),
    "lo": ("Lao", 0x54, 0, "lo_LA", 0), "ka": ("Georgian", 0x37, 0, "ka_GE", 0),
    "hy": ("Armenian", 0x2b, 0, "hy_AM", 0), "am": ("Amharic", 0x5e, 0, "am_ET", 0),
}
LANGUAGES.update(LANGUAGE_PACKS)
# Windows' ANSI code pages, in the order the preview tries them, each with a
# language of it whose locale Wine takes the code page from.
CODEPAGE_LANGUAGES = {1252: "en-US", 1250: "pl", 1251: "ru", 1253: "el", 1254: "tr", 1257: "lt", 1255: "he",
                      1256: "ar", 874: "th", 1258: "vi", 932: "ja", 936: "zh-CN", 949: "ko", 950: "zh-TW"}
CODEPAGES = {cp: LANGUAGES[tag][3] for cp, tag in CODEPAGE_LANGUAGES.items()}
assert all(LANGUAGES[tag][4] == cp for cp, tag in CODEPAGE_LANGUAGES.items())
# Languages written right to left: Windows mirrors their dialogs.
RIGHT_TO_LEFT = ("ar", "he", "fa", "ur")


def language_tag(text):
    """The tag as this table spells it, or None."""
    return next((t for t in LANGUAGES if t.lower() == text.lower()), None)


# Languages with a tag of their own that the table leaves out, so that a
# publisher who writes one is told what it is rather than that it is unknown.
OTHER_LANGUAGES = {
    "af": "Afrikaans", "az": "Azerbaijani", "be": "Belarusian", "bs": "Bosnian", "ca": "Catalan", "cy": "Welsh",
    "eu": "Basque", "fil": "Filipino", "ga": "Irish", "gl": "Galician", "id": "Indonesian", "is": "Icelandic",
    "kk": "Kazakh", "mk": "Macedonian", "mn": "Mongolian", "ms": "Malay", "mt": "Maltese", "my": "Burmese",
    "sq": "Albanian", "sw": "Swahili", "tl": "Tagalog", "uz": "Uzbek", "zu": "Zulu",
}


def tag_hint(text):
    """What a tag the table does not have may mean: the table's tag written
    another way (pt_BR, PT-br), the same language's tags, a tag a letter away,
    or a language that the kit builds no dialog for."""
    import difflib
    lower = {t.lower(): t for t in LANGUAGES}
    written = text.strip().replace("_", "-").lower()
    if written in lower:
        return f" (did you mean {lower[written]}?)"
    same = [t for t in LANGUAGES if t.split("-")[0].lower() == written.split("-")[0]]
    if same:
        return f" (did you mean {' or '.join(same)}?)"
    close = difflib.get_close_matches(written, lower, n=1, cutoff=0.6)
    if close:
        return f" (did you mean {lower[close[0]]}?)"
    name = OTHER_LANGUAGES.get(written.split("-")[0])
    return f" ({name}, a language the kit builds no dialog of its own for: a brand without sections, written " \
        "in it, builds the one dialog every player sees)" if name else ""


def codepage(texts):
    """The first of Windows' ANSI code pages that holds all of the texts, else
    UTF-8 (65001), under which Wine keeps every character as Windows does."""
    for cp in CODEPAGES:
        if all(can_encode(c, cp) for c in "".join(texts)):
            return cp
    return UTF8


# The spaces of typography (U+2000 to U+200A, U+202F, U+205F), which Windows
# draws in any dialog through font linking and Wine's MS Sans Serif and Tahoma
# lack: as a plain space each, for the code page of the letters around them.
LINKED_SPACES = dict.fromkeys([*range(0x2000, 0x200B), 0x202F, 0x205F], " ")


def script(texts):
    """The script whose letters the texts hold but Wine's MS Sans Serif cannot
    draw in any code page, where Windows draws them in a font of that script:
    one of SCRIPTS, "latin" for letters such as Vietnamese ones and for a space
    of typography among letters of a code page Wine's face draws, "-" for none."""
    texts = list(texts)
    for c in "".join(texts):
        if unicodedata.category(c) == "Cf":
            continue            # an invisible mark, such as U+061C ARABIC LETTER MARK, is no letter
        name = unicodedata.name(c, "")
        for word in SCRIPTS:
            if name.startswith(word + " "):
                return word.lower()
        if name.startswith(("LATIN ", "COMBINING ")) and not any(can_encode(c, cp) for cp in BITMAP_CODEPAGES):
            return "latin"
    plain = [t.translate(LINKED_SPACES) for t in texts]
    cp = codepage(plain)
    return "latin" if plain != texts and cp in BITMAP_CODEPAGES and cp not in EAST_ASIAN else "-"


RLE, PDF, RLM = "\u202b", "\u202c", "\u200f"


def read_right_to_left(text, utf8):
    """A text of a mirrored dialog as Wine, too, reads it right to left, or
    None where Wine cannot be made to. Windows reads every line of a mirrored
    window right to left; Wine 8 lays a line out left to right even there.
    Inside a right-to-left embedding (RLE ... PDF) Wine reads it right to
    left, and Windows as before; but only a UTF-8 code page keeps those marks
    (a modern launcher's). In an ANSI one, right-to-left marks (RLM), which
    code pages 1255 and 1256 hold, put punctuation at either end where
    Windows puts it, but cannot turn Latin letters round."""
    latin = any(unicodedata.bidirectional(c) == "L" for c in text)
    kinds = [unicodedata.bidirectional(c) for c in text.strip()]
    # Wine reads a run of right-to-left letters right to left, digits and all,
    # and a line that begins with one and holds nothing but them, digits and spaces
    if not latin and kinds and kinds[0] in ("R", "AL") and \
            (kinds[-1] in ("R", "AL") or all(k in ("R", "AL", "EN", "AN", "WS", "NSM") for k in kinds)):
        return text
    if utf8:
        return RLE + text + PDF
    return None if latin else RLM + text + RLM


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
# The letters a language's texts are written in, by the start of their Unicode
# names; every other tag of LANGUAGES is written in Latin letters.
LANGUAGE_SCRIPTS = {
    "ar": ("ARABIC",), "he": ("HEBREW",), "el": ("GREEK",), "th": ("THAI",), "hi": ("DEVANAGARI",),
    "bg": ("CYRILLIC",), "ru": ("CYRILLIC",), "uk": ("CYRILLIC",),
    "ja": ("HIRAGANA", "KATAKANA", "CJK UNIFIED IDEOGRAPH"), "ko": ("HANGUL",),
    "zh-CN": ("CJK UNIFIED IDEOGRAPH",), "zh-TW": ("CJK UNIFIED IDEOGRAPH", "BOPOMOFO"),
    "fa": ("ARABIC",), "ur": ("ARABIC",), "bn": ("BENGALI",), "gu": ("GUJARATI",), "pa": ("GURMUKHI",),
    "ta": ("TAMIL",), "te": ("TELUGU",), "kn": ("KANNADA",), "ml": ("MALAYALAM",), "mr": ("DEVANAGARI",),
    "ne": ("DEVANAGARI",), "or": ("ORIYA",), "si": ("SINHALA",), "km": ("KHMER",), "lo": ("LAO",),
    "ka": ("GEORGIAN",), "hy": ("ARMENIAN",), "am": ("ETHIOPIC",),
}


def right_to_left(tag, texts):
    """Whether Windows lays the dialog out right to left: a Hebrew or Arabic
    one, or one without a language whose question (else caption) starts with a
    Hebrew or Arabic letter, though a caption may begin with a Latin name."""
    if tag:
        return tag in RIGHT_TO_LEFT
    # the first letter decides: not a mark, nor a letter of a script the kit builds no dialog for
    for c in "".join(texts[k] for k in ("line1", "line2", "caption", "play", "cancel")):
        if c.isalpha():
            return unicodedata.name(c, "").startswith(("HEBREW ", "ARABIC "))
    return False
