"""A word of each script the kit's languages are written in, and an edition's
sections that say it in each language: the texts of the benchmarks' brands.
Needs brand/ on the module path."""
from languages import LANGUAGE_SCRIPTS

WORDS = {"ARABIC": "العب", "HEBREW": "שחק", "GREEK": "Παίξτε", "THAI": "เล่น", "DEVANAGARI": "खेलें",
         "CYRILLIC": "Играть", "HIRAGANA": "あそぶ", "HANGUL": "놀다", "CJK UNIFIED IDEOGRAPH": "游戏",
         "LATIN": "Spielen", "BENGALI": "খেলুন", "GUJARATI": "રમો", "GURMUKHI": "ਖੇਡੋ", "TAMIL": "விளையாடு",
         "TELUGU": "ఆడండి", "KANNADA": "ಆಡಿ", "MALAYALAM": "കളിക്കുക", "ORIYA": "ଖେଳନ୍ତୁ", "SINHALA": "ක්‍රීඩා",
         "KHMER": "លេង", "LAO": "ຫຼິ້ນ", "GEORGIAN": "თამაში", "ARMENIAN": "Խաղալ", "ETHIOPIC": "ተጫወት"}


def sections(tags, line1=None):
    """A section of each tag in its script's word; line1, where given, a
    dict of the first lines some of them have instead."""
    out = ""
    for tag in tags:
        word = WORDS[LANGUAGE_SCRIPTS.get(tag, ("LATIN",))[0]]
        first = (line1 or {}).get(tag, f"{word} {word}")
        out += f"[{tag}]\ncaption = {word} - {word} {word}\nline1 = {first}\n" \
               f"line2 = {word} {word} {word} {word}?\nplay = {word}\ncancel = {word} {word}\n"
    return out
