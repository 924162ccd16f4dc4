#!/usr/bin/python3
"""How long brand.py takes, and how much memory, to answer the files a hostile
or careless publisher might give it: each is made here, then built once.

    tools/bench/brand_bench.py [WORK_DIR]

Prints one line a file: accepted or refused, the seconds and the peak memory
of brand.py's process. A report, not a test: ./test does not run it."""
import io
import os
import struct
import subprocess
import sys
import tempfile
import time
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "brand"))
from PIL import Image  # noqa: E402
from languages import LANGUAGES, LANGUAGE_SCRIPTS  # noqa: E402

BRAND_PY = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "brand", "brand.py")
WORK = sys.argv[1] if len(sys.argv) > 1 else tempfile.mkdtemp(prefix="brand-bench-")
os.makedirs(WORK, exist_ok=True)
# a word of each script, for a language section's texts
WORDS = {"ARABIC": "العب", "HEBREW": "שחק", "GREEK": "Παίξτε", "THAI": "เล่น", "DEVANAGARI": "खेलें",
         "CYRILLIC": "Играть", "HIRAGANA": "あそぶ", "HANGUL": "놀다", "CJK UNIFIED IDEOGRAPH": "游戏",
         "LATIN": "Spielen"}


def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def brand(name, picture="pic.png", extra="", line2="play?"):
    path = os.path.join(WORK, name)
    with open(path, "w", encoding="utf-8") as f:
        f.write(f"exe = bench.exe\ncaption = Bench\nline1 = Do you wish to\nline2 = {line2}\n"
                f"picture = {picture}\nclass = Bench\n{extra}")
    return path


def files():
    Image.new("RGB", (90, 90), (20, 120, 200)).save(os.path.join(WORK, "pic.png"))
    sections = "language = en-US\n"
    for tag in LANGUAGES:
        if tag == "en-US":
            continue
        word = WORDS[LANGUAGE_SCRIPTS.get(tag, ("LATIN",))[0]]
        sections += f"[{tag}]\ncaption = {word} - {word} {word}\nline1 = {word} {word}\n" \
                    f"line2 = {word} {word} {word} {word}?\nplay = {word}\ncancel = {word} {word}\n"
    yield "a brand of every language, each grown", brand("languages.brand", extra=sections)
    yield "a Hindi text wider than a screen", brand("hindi.brand", extra="language = hi\n",
                                                     line2="क्या आप लंबी चोटी खेलना चाहते हैं " * 6)
    jpeg = io.BytesIO()
    Image.new("RGB", (16, 16), (10, 200, 30)).save(jpeg, "JPEG", progressive=True)
    jpeg = jpeg.getvalue()
    scan = jpeg[jpeg.rfind(b"\xff\xda"):-2]
    mpf = b"\xff\xe2" + struct.pack(">H", 2 + 4 + 8) + b"MPF\0" + b"MM\0*\0\0\0\x08"
    with open(os.path.join(WORK, "mpo.jpg"), "wb") as f:
        f.write(jpeg[:2] + mpf + jpeg[2:-2] + scan * 20000 + b"\xff\xd9")
    yield "a JPEG of 20,000 scans with an MPF segment", brand("mpo.brand", "mpo.jpg")
    gif = io.BytesIO()
    Image.new("P", (8, 8)).save(gif, "GIF")
    gif = gif.getvalue()
    comment = b"\x21\xfe" + (b"\xff" + b"c" * 255) * 16384 + b"\0"
    with open(os.path.join(WORK, "comment.gif"), "wb") as f:
        f.write(gif[:-1] + comment + gif[-1:])
    yield "a 4 MB GIF comment of 16,384 sub-blocks", brand("gif.brand", "comment.gif")
    frame = io.BytesIO()
    Image.new("RGBA", (16, 16), (200, 0, 0, 255)).save(frame, "PNG")
    frame = frame.getvalue()
    count = 2000
    directory = b"".join(struct.pack("<BBBBHHII", 16, 16, 0, 0, 1, 32, len(frame), 6 + 16 * count + len(frame) * i)
                         for i in range(count))
    with open(os.path.join(WORK, "frames.ico"), "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, count) + directory + frame * count)
    yield "an .ico of 2,000 frames", brand("ico.brand", extra="icon = frames.ico\n")
    png = io.BytesIO()
    Image.new("RGB", (90, 90), (20, 120, 200)).save(png, "PNG")
    png = png.getvalue()
    with open(os.path.join(WORK, "chunks.png"), "wb") as f:
        f.write(png[:33] + chunk(b"quIt", b"") * 1000000 + png[33:])
    yield "a PNG of a million empty chunks", brand("chunks.brand", "chunks.png")
    Image.new("RGB", (1, 8192), (20, 120, 200)).save(os.path.join(WORK, "thin.png"))
    yield "a 1x8192 PNG, modern", brand("thin.brand", "thin.png", "style = modern\n")


def main():
    print(f"brand.py on hostile files, in {WORK}")
    for what, path in files():
        start = time.monotonic()
        with open(os.path.join(WORK, "stderr.txt"), "w+") as err:
            child = subprocess.Popen([sys.executable, BRAND_PY, path, os.path.join(WORK, "out")],
                                     stdout=subprocess.DEVNULL, stderr=err)
            _, status, usage = os.wait4(child.pid, 0)
            took = time.monotonic() - start
            err.seek(0)
            message = err.read().strip()
        peak = usage.ru_maxrss // 1024
        verdict = "accepted" if status == 0 else "refused: " + message.split(": ", 2)[-1][:70]
        print(f"{took:6.2f} s {peak:5d} MB  {what}: {verdict}")


main()
