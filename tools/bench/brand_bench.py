#!/usr/bin/python3
"""How long brand.py takes, and how much memory, to answer the files a hostile
or careless publisher might give it: each is made here (tools/hostile.py), then
built once.

    tools/bench/brand_bench.py [--busy] [WORK_DIR]

Prints one line a file: accepted or refused, the wall seconds, the processor
seconds and the peak memory of brand.py's process and its child, and the
pictures' budget, which the processor seconds are held to. --busy keeps one
core busy meanwhile, as a loaded build server would. A report, not a test:
./test does not run it."""
import os
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path[:0] = [os.path.join(HERE, "..", "..", "brand"), os.path.join(HERE, "..")]
from PIL import Image  # noqa: E402
from languages import LANGUAGES  # noqa: E402
import hostile  # noqa: E402
import images  # noqa: E402
import words  # noqa: E402

BRAND_PY = os.path.join(HERE, "..", "..", "brand", "brand.py")
MAKING = sys.argv[1:2] == ["--make"]         # the files alone, in a process of their own
BUSY = sys.argv[1:2] == ["--busy"]
sys.argv[1:] = sys.argv[2:] if MAKING or BUSY else sys.argv[1:]
WORK = sys.argv[1] if len(sys.argv) > 1 else tempfile.mkdtemp(prefix="brand-bench-")
os.makedirs(WORK, exist_ok=True)
# a word of each script, for a language section's texts


def brand(name, picture="pic.png", extra="", line2="play?"):
    path = os.path.join(WORK, name)
    with open(path, "w", encoding="utf-8") as f:
        f.write(f"exe = bench.exe\ncaption = Bench\nline1 = Do you wish to\nline2 = {line2}\n"
                f"picture = {picture}\nclass = Bench\n{extra}")
    return path


def make():
    """The pictures, written by a process of their own, so that brand.py's
    processes, forked from this one, do not count their bytes as their own."""
    Image.new("RGB", (90, 90), (20, 120, 200)).save(os.path.join(WORK, "pic.png"))
    made = (("mpo.jpg", lambda: hostile.jpeg_of_scans(20000, mpf=True)),
            ("comment.gif", lambda: hostile.gif_comment(16384)),
            ("frames.ico", lambda: hostile.ico_of_frames(2000)),
            ("chunks.png", lambda: hostile.png_of_chunks(1000000)),
            ("thin.png", lambda: hostile.thin_png(1, 8192)),
            ("runs.bmp", lambda: hostile.bmp_rle(4096, 4096, hostile.rle_rows(4096, 4096))),
            ("lines.bmp", lambda: hostile.bmp_rle(4096, 4096, b"\0\0" * 30000000)),
            ("idats.png", lambda: hostile.png_of_empty_idats(5000000)),
            ("frame.ico", lambda: hostile.ico_of_png_frame(32768)),
            ("gray16.png", lambda: hostile.gray16_keyed(4096)),
            ("subblocks.gif", lambda: hostile.gif_of_subblocks(8000000)))
    for name, data in made:
        with open(os.path.join(WORK, name), "wb") as f:
            f.write(data())
    # and the largest an honest picture may be, with an alpha channel
    noise = Image.effect_noise((4096, 4096), 64)
    noise.convert("RGBA").save(os.path.join(WORK, "large.png"))
    # the slowest the limits take: the largest pictures of each costly kind
    rgb = Image.merge("RGB", (noise, noise.transpose(Image.FLIP_LEFT_RIGHT), noise.transpose(Image.FLIP_TOP_BOTTOM)))
    rgb.save(os.path.join(WORK, "rgb.png"), compress_level=1)
    rgb.save(os.path.join(WORK, "progressive.jpg"), quality=95, progressive=True, subsampling=0)
    rgb.resize((8192, 2048)).save(os.path.join(WORK, "banner.png"), compress_level=1)
    with open(os.path.join(WORK, "keyed16.png"), "wb") as f:
        f.write(hostile.rgb16_near_key(noise))


def files():
    sections = "language = en-US\n" + words.sections([tag for tag in LANGUAGES if tag != "en-US"])
    yield "a brand of every language, each grown", brand("languages.brand", extra=sections)
    yield "a Hindi text wider than a screen", brand("hindi.brand", extra="language = hi\n",
                                                     line2="क्या आप लंबी चोटी खेलना चाहते हैं " * 6)
    yield "a JPEG of 20,000 scans with an MPF segment", brand("mpo.brand", "mpo.jpg")
    yield "a 4 MB GIF comment of 16,384 sub-blocks", brand("gif.brand", "comment.gif")
    yield "an .ico of 2,000 frames", brand("ico.brand", extra="icon = frames.ico\n")
    yield "a PNG of a million empty chunks", brand("chunks.brand", "chunks.png")
    yield "a 1x8192 PNG, modern", brand("thin.brand", "thin.png", "style = modern\n")
    yield "a 4096x4096 run-length BMP of 148 KB", brand("runs.brand", "runs.bmp")
    yield "a 60 MB run-length BMP of 30 million ends of line", brand("lines.brand", "lines.bmp")
    yield "a 60 MB PNG of 5 million empty pixel chunks", brand("idats.brand", "idats.png")
    yield "an .ico of 130 KB whose PNG frame is 32768x32768", brand("frame.brand", extra="icon = frame.ico\n")
    yield "a 4096x4096 16-bit gray PNG with a transparent gray", brand("gray16.brand", "gray16.png")
    yield "a 16 MB GIF of 8 million one-byte sub-blocks", brand("subblocks.brand", "subblocks.gif")
    yield "a 4096x4096 PNG of noise with alpha, modern", brand("large.brand", "large.png", "style = modern\n")
    for what, picture in (("a 4096x4096 RGB PNG", "rgb.png"), ("an 8192x2048 banner", "banner.png"),
                          ("a progressive 4:4:4 4096x4096 JPEG", "progressive.jpg"),
                          ("a 4096x4096 16-bit PNG whose key matches high bytes only", "keyed16.png")):
        yield what + " as picture and icon", brand(picture + ".brand", picture, f"icon = {picture}\n")


def main():
    if MAKING:
        return make()
    subprocess.run([sys.executable, os.path.abspath(__file__), "--make", WORK], check=True)
    busy = subprocess.Popen([sys.executable, "-c", "while True: pass"]) if BUSY else None
    print(f"brand.py on hostile and near-limit files, in {WORK}{', one core busy' if BUSY else ''}; "
          f"the pictures' budget: {images.PICTURE_SECONDS} s of processor time, {images.PICTURE_MEMORY >> 20} MB")
    for what, path in files():
        start = time.monotonic()
        with open(os.path.join(WORK, "stderr.txt"), "w+") as err:
            child = subprocess.Popen([sys.executable, BRAND_PY, path, os.path.join(WORK, "out")],
                                     stdout=subprocess.DEVNULL, stderr=err)
            _, status, usage = os.wait4(child.pid, 0)
            took = time.monotonic() - start
            err.seek(0)
            message = err.read().strip()
        peak, cpu = usage.ru_maxrss // 1024, usage.ru_utime + usage.ru_stime
        verdict = "accepted" if status == 0 else "refused: " + message.split(": ", 2)[-1][:70]
        print(f"{took:6.2f} s {cpu:6.2f} s cpu {peak:5d} MB  {what}: {verdict}")
    if busy:
        busy.kill()


main()
