#!/usr/bin/python3
"""Turns a brand file into what the launcher's build needs.

    brand.py BRAND_FILE OUT_DIR

Writes into OUT_DIR:
  brand.h      the texts and the class as string literals, for the code and the resource script
  picture.bmp  the picture as a 90x90, 16-colour bitmap
  brand.txt    exe, caption, line1, line2 and class, one a line, for the tests
and prints the picture's path, so that the build can watch it. A brand file
that will not do is refused with a message naming its file, line and key."""
import os
import re
import struct
import sys

KEYS = ("exe", "caption", "line1", "line2", "picture", "class")
SIZE = 90
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


class BrandError(Exception):
    pass


def parse(path):
    """The brand's values, and the line each stood on."""
    try:
        with open(path, "rb") as f:
            raw = f.read()
    except OSError as e:
        raise BrandError(f"{path}: cannot read the brand file: {e.strerror}")
    if raw.startswith(b"\xef\xbb\xbf"):
        raw = raw[3:]
    values, lines = {}, {}
    for number, line in enumerate(raw.split(b"\n"), 1):
        try:
            text = line.decode("utf-8").rstrip("\r").strip()
        except UnicodeDecodeError:
            raise BrandError(f"{path}:{number}: the line is not valid UTF-8")
        if not text or text.startswith("#"):
            continue
        key, eq, value = text.partition("=")
        key, value = key.strip(), value.strip()
        where = f"{path}:{number}: {key or '(no key)'}"
        if not eq:
            raise BrandError(f"{where}: expected a line of the form key = value")
        if key not in KEYS:
            raise BrandError(f"{where}: unknown key; the keys are {', '.join(KEYS)}")
        if key in values:
            raise BrandError(f"{where}: repeated; it was set on line {lines[key]}")
        if not value:
            raise BrandError(f"{where}: the value is empty")
        values[key], lines[key] = value, number
    for key in KEYS:
        if key not in values:
            raise BrandError(f"{path}: {key}: missing; every brand sets {', '.join(KEYS)}")
    return values, lines


def check_class(value, where):
    if not all(" " <= c <= "~" for c in value):
        raise BrandError(f"{where}: the class must be printable ASCII")
    if len(value) > 255:
        raise BrandError(f"{where}: the class has {len(value)} characters, at most 255 are allowed")


def check_exe(value, where):
    if not value.lower().endswith(".exe") or not value[:-4].strip(" ."):
        raise BrandError(f"{where}: the file name must be a name ending in .exe")
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


def picture(path, where):
    """The picture fitted into 90x90 on light gray, in the 16 standard colours, as a DIB."""
    try:
        from PIL import Image
    except ImportError:
        raise BrandError("brand.py needs Pillow: apt-get install python3-pil")
    try:
        with Image.open(path) as im:
            im.load()
            rgba = im.convert("RGBA")
    except FileNotFoundError:
        raise BrandError(f"{where}: no such file: {path}")
    except Exception as e:
        raise BrandError(f"{where}: cannot read {path} as an image: {e}")

    scale = min(SIZE / rgba.width, SIZE / rgba.height)
    size = (max(1, round(rgba.width * scale)), max(1, round(rgba.height * scale)))
    if size != rgba.size:
        rgba = rgba.resize(size, Image.LANCZOS)
    canvas = Image.new("RGBA", (SIZE, SIZE), LIGHT_GRAY + (255,))
    canvas.alpha_composite(rgba, ((SIZE - size[0]) // 2, (SIZE - size[1]) // 2))

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


def main(argv):
    if len(argv) != 3:
        raise BrandError("usage: brand.py BRAND_FILE OUT_DIR")
    path, out = argv[1], argv[2]
    values, lines = parse(path)
    where = {k: f"{path}:{lines[k]}: {k}" for k in KEYS}
    check_exe(values["exe"], where["exe"])
    check_class(values["class"], where["class"])
    for key in ("caption", "line1", "line2"):
        check_text(values[key], where[key])
    image = os.path.join(os.path.dirname(os.path.abspath(path)), values["picture"])
    bmp = picture(image, where["picture"])

    os.makedirs(out, exist_ok=True)
    with open(os.path.join(out, "picture.bmp"), "wb") as f:
        f.write(bmp)
    header = [f"/* Made by brand.py from {os.path.basename(path)}: edit that file, not this one. */"]
    named = ("exe", "caption", "line1", "line2", "class")
    header += [f"#define BRAND_{k.upper():8} {literal(values[k])}" for k in named[1:]]
    with open(os.path.join(out, "brand.h"), "w", encoding="utf-8", newline="\n") as f:
        f.write("\n".join(header) + "\n")
    with open(os.path.join(out, "brand.txt"), "w", encoding="utf-8", newline="\n") as f:
        f.write("".join(values[k] + "\n" for k in named))
    print(os.path.abspath(image))


if __name__ == "__main__":
    try:
        main(sys.argv)
    except BrandError as e:
        sys.stderr.write(f"brand: {e}\n")
        sys.exit(1)
