"""The launcher's pictures: reading a publisher's image safely, fitting it
into a square, the 16-colour bitmap the dialog shows and the game's icon.
Used by brand.py, which keeps Pillow's own warnings quiet, and by
tools/football.py."""
import io
import mmap
import os
import stat
import struct
import zlib

import resource_h
from rules import escaped

SIZE = resource_h.DEFINES["PICTURE_WIDTH"]     # the picture's width and height in pixels
ICON_SIZES = (16, 32, 48)
# A modern launcher's: its picture at twice the size, drawn down to the DPI,
# and an icon for every scale, the largest stored as PNG as Windows stores it.
MODERN_SIZE = 2 * SIZE
MODERN_ICON_SIZES = (16, 20, 24, 32, 40, 48, 64, 256)
LIGHT_GRAY, DARK_GRAY = (192, 192, 192), (128, 128, 128)
LIGHT_GRAY_INDEX = 8
# The standard Windows 16-colour palette, in its usual order.
PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
           (0, 0, 128), (128, 0, 128), (0, 128, 128), (128, 128, 128),
           (192, 192, 192), (255, 0, 0), (0, 255, 0), (255, 255, 0),
           (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
# What a picture may be; an icon may also be an .ico.
FORMATS = ("PNG", "JPEG", "GIF", "BMP")
# Larger pictures are refused rather than read: a hostile file must not take
# seconds or gigabytes of the build.
MAX_SIDE = 8192
MAX_PIXELS = 4096 * 4096
MAX_BYTES = 64 << 20
MAX_SCANS = 64             # a progressive JPEG has about ten; each one is decoded again
MAX_ASPECT = 8             # a picture at most this many times as wide as high, or high as wide: scaled
                           # to cover its square, a longer one would take millions of pixels and lose most
MAX_CHUNKS = 4096          # a PNG's chunks, a GIF's extension blocks: each is read on its own
MAX_FRAMES = 256           # an .ico's frames
SMALL_IDAT = 1024          # encoders write a PNG's pixels in chunks of 8 KB or more: a smaller one counts as a chunk
RLE_SPARE = 64             # a run-length BMP's codes take at most 1/RLE_SPARE more than its pixels uncompressed
SHOWN_PATH = 255           # characters of a path a message shows: a whole path, most often
WORK_SIDE = 512            # a large picture is cut down to no less than this on its shorter side before it is drawn
# The limits above decide what is taken, by the file alone. The budget is a
# backstop for what they cannot foresee: processor time, which no picture
# they take comes near (the slowest, a 4096x4096 progressive JPEG as both
# picture and icon, takes 2 s here: docs/benchmark.md), on a build server
# several times slower and however loaded; and memory beyond what the kit
# holds as it begins, which a file takes alike on every machine.
PICTURE_SECONDS = 30
PICTURE_MEMORY = 512 << 20


class ImageError(Exception):
    pass


class BudgetError(Exception):
    """The pictures' budget ran out while `what` (picture or icon) was read or drawn."""
    def __init__(self, what, why):
        super().__init__(why)
        self.what = what


def shown(path):
    """A file's path as a message shows it: what does not print escaped, as
    the brand file's values are, and at most its last SHOWN_PATH characters,
    which name the file and the folders nearest it."""
    text = escaped(path)
    return text if len(text) <= SHOWN_PATH else "..." + text[-SHOWN_PATH:]


def within_budget(work, *args):
    """work(stage, *args) in a child process held to PICTURE_SECONDS of
    processor time and PICTURE_MEMORY: a file of any kind that would take more
    is refused by the budget, not by a list of the files known to. work calls
    stage(what) as it begins on each file, so that a refusal names it, and
    finds the last in stage.what. Returns what work returns, or raises what it
    raised; BudgetError when the budget ran out."""
    import pickle
    import signal
    read, write = os.pipe()
    pid = os.fork()
    if not pid:
        os.close(read)
        held(work, args, os.fdopen(write, "wb", buffering=0))
    os.close(write)
    with os.fdopen(read, "rb") as f:
        data = f.read()
    _, status = os.waitpid(pid, 0)
    stream, what = io.BytesIO(data), None
    while stream.tell() < len(data):
        try:
            kind, value = pickle.load(stream)
        except Exception:
            break           # cut off where the child was
        if kind == "stage":
            what = value
        elif kind == "done":
            return value
        elif kind == "raised":
            raise value
    if os.WIFSIGNALED(status) and os.WTERMSIG(status) == signal.SIGPROF:
        raise BudgetError(what, f"reading and drawing it takes more than the {PICTURE_SECONDS} s of processor "
                                "time a picture may take; save it smaller, in another format")
    raise BudgetError(what, f"reading and drawing it needs more than the {PICTURE_MEMORY >> 20} MB a picture may "
                            "take; save it smaller")


def held(work, args, out):
    """The budget's child: work(stage, *args) under its limits, each stage and
    the outcome sent to the parent through out as it goes. Never returns."""
    import pickle
    import resource
    import signal
    status = 1

    def send(message):
        out.write(pickle.dumps(message))

    def stage(what):
        stage.what = what
        send(("stage", what))
    # Whatever happens, this process ends here: what it was sent to do is done or not.
    try:
        with open("/proc/self/statm") as f:
            held_bytes = int(f.read().split()[0]) * os.sysconf("SC_PAGE_SIZE")
        hard = resource.getrlimit(resource.RLIMIT_AS)[1]
        resource.setrlimit(resource.RLIMIT_AS, (held_bytes + PICTURE_MEMORY, hard))
        signal.setitimer(signal.ITIMER_PROF, PICTURE_SECONDS)
        try:
            result = ("done", work(stage, *args))
        except MemoryError:
            result = ("memory", None)
        except Exception as e:
            result = ("raised", e)
        signal.setitimer(signal.ITIMER_PROF, 0)
        resource.setrlimit(resource.RLIMIT_AS, (hard, hard))
        send(result)
        status = 0
    finally:
        os._exit(status)


def open_image(path, formats=FORMATS):
    """The image at path, loaded and in a mode that convert() takes as it looks."""
    try:
        from PIL import Image, UnidentifiedImageError
    except ImportError:
        raise ImageError("brand.py needs Pillow: apt-get install python3-pil")
    try:
        info = os.stat(path)
    except FileNotFoundError:
        raise ImageError(f"no such file: {shown(path)}{near_miss(path)}")
    except OSError as e:
        raise ImageError(f"cannot read {shown(path)}: {e.strerror}")
    if not stat.S_ISREG(info.st_mode):
        raise ImageError(f"{shown(path)} is not a file")
    if info.st_size > MAX_BYTES:
        raise ImageError(f"{shown(path)} has {info.st_size:,} bytes; a picture may have at most {MAX_BYTES:,}")
    kind, deep, scans = scan_file(path, formats)
    Image.MAX_IMAGE_PIXELS = None
    try:
        image = Image.open(path, formats=formats)
    except Exception as e:
        # a file of one of the formats that Pillow cannot read (a colour
        # profile larger than it takes, say) is told so, not called another
        if kind in formats and not isinstance(e, UnidentifiedImageError):
            raise ImageError(f"cannot read {shown(path)} as a {kind}: "
                             f"{getattr(e, 'strerror', None) or e or type(e).__name__}")
        raise ImageError(f"{shown(path)} is not a {', '.join(formats[:-1])} or {formats[-1]} image")
    width, height = image.size
    if width > MAX_SIDE or height > MAX_SIDE or width * height > MAX_PIXELS:
        raise ImageError(f"{shown(path)} is {width}x{height} pixels; at most {MAX_PIXELS:,} pixels "
                         f"and {MAX_SIDE} on a side are taken")
    if image.format != "ICO" and max(width, height) > MAX_ASPECT * min(width, height):
        raise ImageError(f"{shown(path)} is {width}x{height} pixels; in its square it would lose most of itself: "
                         f"a picture at most {MAX_ASPECT} times as wide as high, or high as wide, is taken")
    if image.format in ("JPEG", "MPO") and scans > MAX_SCANS:     # a JPEG with an MPF segment opens as MPO
        raise ImageError(f"{shown(path)} is a JPEG of more than {MAX_SCANS} scans; at most {MAX_SCANS} are taken")
    try:
        if image.format in ("JPEG", "MPO"):
            image.draft("RGB", (SIZE * 2, SIZE * 2))   # decode at a fraction of the size: fast
        image.load()
        key = image.info.get("transparency")
        if deep and image.mode == "RGB" and isinstance(key, tuple):
            image = keyed_deep(image, path, key)
        out = workable(plain(upright(image)))
        out.format = image.format
        return out
    except MemoryError:
        raise
    except Exception as e:
        raise ImageError(f"cannot read {shown(path)} as an image: {e or type(e).__name__}")


def scan_file(path, formats):
    """Chunks and blocks counted, and a run-length BMP's codes, an .ico's
    frames and a JPEG's scans, against limits of our own, before Pillow reads
    anything but the header: a file past one is refused. Returns the format its
    first bytes name, whether it is a 16-bit PNG, and its scans."""
    data = mapped(path)
    blocks, kind = count_blocks(data)
    deep = kind == "PNG" and data[24:25] == b"\x10"       # 16 bits a sample, by its header
    damaged = damaged_frame(data) if "ICO" in formats and data[:4] == b"\0\0\1\0" else None
    # Start of Scan markers: entropy-coded data never holds FF DA
    scans = count_markers(data, b"\xff\xda") if data[:2] == b"\xff\xd8" else 0
    runs = run_length_excess(data)
    unmap(data)
    if runs:
        raise ImageError(f"{shown(path)} is a run-length BMP whose codes take {runs[0]:,} bytes, more than its "
                         f"{runs[1]:,} bytes of pixels would take uncompressed: save it uncompressed, or as a PNG")
    if damaged:
        raise ImageError(f"the {damaged[0][0]}x{damaged[0][1]} frame of {shown(path)} is {damaged[1]}: the icon is "
                         "damaged")
    if blocks > MAX_CHUNKS:
        raise ImageError(f"{shown(path)} is a {kind} of more than {MAX_CHUNKS:,} chunks or blocks; "
                         f"at most {MAX_CHUNKS:,} are taken")
    return kind, deep, scans


def mapped(path):
    """The file's bytes: mapped rather than read, so that they leave no heap
    behind for the pictures' budget, or read where its file system maps
    nothing. A file that cannot be opened is refused with the reason."""
    try:
        with open(path, "rb") as f:
            try:
                return mmap.mmap(f.fileno(), 0, access=mmap.ACCESS_READ) if os.fstat(f.fileno()).st_size else b""
            except (OSError, ValueError):
                return f.read(MAX_BYTES + 1)
    except OSError as e:
        raise ImageError(f"cannot read {shown(path)}: {e.strerror or e}")


def unmap(data):
    if isinstance(data, mmap.mmap):
        data.close()


def signature_kind(data):
    """The format a file's first bytes name, of those a picture or icon may be."""
    for kind, magic in (("PNG", b"\x89PNG\r\n\x1a\n"), ("JPEG", b"\xff\xd8\xff"), ("GIF", b"GIF"), ("BMP", b"BM"),
                        ("ICO", b"\0\0\1\0")):
        if data[:len(magic)] == magic:
            return kind
    return ""


def run_length_excess(data):
    """For a run-length BMP (8 or 4 bits a pixel) whose codes take more room
    than RLE_SPARE allows beside its pixels uncompressed, with two bytes a row
    for its ends of line: the codes' size and the pixels'. Each code costs
    Pillow a step, and an encoder compresses, so no honest file has more."""
    if data[:2] != b"BM" or len(data) < 54 or struct.unpack_from("<I", data, 30)[0] not in (1, 2):
        return None
    offset, _, width, height, _, bits = struct.unpack_from("<IIiiHH", data, 10)
    rows = abs(height)
    plain_bytes = (abs(width) * bits + 31) // 32 * 4 * rows
    codes = len(data) - offset
    if codes > plain_bytes + plain_bytes // RLE_SPARE + 2 * rows + 2:
        return codes, plain_bytes
    return None


# Adam7's passes: where each starts, and its steps across and down.
ADAM7 = ((0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2))


def png_chunks(data):
    at = 8
    while at + 8 <= len(data):
        length, kind = struct.unpack_from(">I4s", data, at)
        yield kind, data[at + 8:at + 8 + length]
        at += 12 + length


def png_chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))


def low_bytes(path):
    """The low bytes of a 16-bit RGB PNG's samples, as an 8-bit RGB picture of
    their own. PNG's filters work byte by byte on the bytes one pixel to the
    left and above, so each 16-bit scanline's low bytes, under its filter,
    are a scanline of an 8-bit picture, and Pillow, which keeps only the high
    bytes, reads them as one."""
    from PIL import Image
    data = mapped(path)
    try:
        header = next(body for kind, body in png_chunks(data) if kind == b"IHDR")
        width, height, _, _, _, _, interlace = struct.unpack(">IIBBBBB", header)
        passes = ADAM7 if interlace else ((0, 0, 1, 1),)
        lengths = [-(-(width - x) // dx) * 6 + 1 for x, y, dx, dy in passes if width > x
                   for _ in range(-(-(height - y) // dy))]
        inflate, deflate = zlib.decompressobj(), zlib.compressobj(1)
        out, pending, row = [], b"", 0
        for kind, body in png_chunks(data):
            if kind == b"IDAT" and row < len(lengths):
                pending += inflate.decompress(body)
                at = 0
                while row < len(lengths) and at + lengths[row] <= len(pending):
                    out.append(deflate.compress(pending[at:at + 1] + pending[at + 2:at + lengths[row]:2]))
                    at += lengths[row]
                    row += 1
                pending = pending[at:]
    finally:
        unmap(data)
    out.append(deflate.flush())
    png = (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, interlace)) +
           png_chunk(b"IDAT", b"".join(out)) + png_chunk(b"IEND", b""))
    del out
    image = Image.open(io.BytesIO(png), formats=("PNG",))
    image.load()
    return image


def matching(image, colour):
    """A mask, 255 where each of the image's bands is the colour's."""
    from PIL import ImageChops
    mask = None
    for band, value in zip(image.split(), colour):
        match = band.point(lambda v, value=value: 255 if v == value else 0)
        mask = match if mask is None else ImageChops.multiply(mask, match)
    return mask


def keyed_deep(image, path, key):
    """A 16-bit RGB PNG made transparent by its tRNS colour, transparent where
    a pixel is that colour to all 16 bits, as PNG defines it, and nowhere else:
    its high bytes are the image Pillow read, its low bytes read apart."""
    from PIL import ImageChops
    image.info.pop("transparency", None)
    high = matching(image, tuple(v >> 8 for v in key))
    if not high.getbbox():
        return image
    low = matching(low_bytes(path), tuple(v & 255 for v in key))
    image = image.convert("RGBA")
    image.putalpha(ImageChops.invert(ImageChops.multiply(high, low)))
    return image


def workable(image):
    """The picture shrunk, in a mode that reduce takes, transparency kept."""
    if min(image.size) // WORK_SIDE >= 2 and (image.mode not in ("RGB", "RGBA", "L", "LA") or
                                             "transparency" in image.info):
        image = image.convert("RGBA")
    return shrunk(image)


def upright(image):
    """The image as a camera's EXIF orientation says it is held; as it is where
    that is missing or damaged."""
    from PIL import ImageOps
    try:
        # exif_transpose copies even a picture held upright
        return image if image.getexif().get(0x0112, 1) == 1 else ImageOps.exif_transpose(image)
    except Exception:
        return image


def near_miss(path):
    """A hint when the file is there under other letter cases, as on Windows it would be found."""
    folder, name = os.path.split(path)
    try:
        same = [n for n in os.listdir(folder or ".") if n.lower() == name.lower()]
    except OSError:
        return ""
    return f" (there is {same[0]}: names are case-sensitive here)" if same else ""


def plain(image):
    """The image in an 8-bit mode: deeper grays and floats scaled to their range,
    which convert() would otherwise clip to white or black; a deep gray that a
    PNG makes transparent by its value (tRNS) with that transparency. A large
    deep gray is cut down first (shrunk), as its full-size copies would be large."""
    key = image.info.get("transparency")
    if image.mode in ("I;16", "I;16L", "I;16B", "I;16N"):
        image = image.convert("I")
    if image.mode == "I":
        from PIL import Image, ImageMath
        top = image.getextrema()[1]
        small = shrunk(image)
        gray = small.point(lambda v: v / 257 if top > 255 else v).convert("L")
        if isinstance(key, int):
            # each pixel's own value, not an average, is what matches the key
            sampled = image if small is image else image.resize(small.size, Image.NEAREST)
            gray.putalpha(ImageMath.eval("convert(deep != key, 'L')", deep=sampled, key=key).point(lambda v: v * 255))
        return gray
    if image.mode == "F":
        low, top = image.getextrema()
        scale = 255 if top <= 1.0 else 255 / 65535 if top > 255 else 1
        return image.point(lambda v: v * scale).convert("L")
    return image


def shrunk(image):
    """A large picture cut down by a whole factor, each pixel the average of
    those it joins (Pillow's reduce), to no less than WORK_SIDE on its shorter
    side: every size drawn from it after is then quick, and as sharp."""
    factor = min(image.size) // WORK_SIDE
    return image.reduce(factor) if factor >= 2 else image


def damaged_frame(data):
    """The first frame of an .ico whose own header (a PNG's, or a bitmap's of
    twice its height) says another size than the directory, or none, as the
    size it states and what the frame is; read before any frame is decoded."""
    for width, height, _, _, offset in ico_directory(data)[:MAX_FRAMES]:
        head = data[offset:offset + 24]
        if head[:8] == b"\x89PNG\r\n\x1a\n" and len(head) == 24:
            own = struct.unpack_from(">II", head, 16)
        elif len(head) >= 12:
            own_width, own_height = struct.unpack_from("<ii", head, 4)
            own = (own_width, own_height // 2)
        else:
            return (width, height), "missing"
        if own != (width, height):
            return (width, height), f"{own[0]}x{own[1]}"
    return None


def count_markers(data, marker):
    """How often marker stands in data, up to one more than MAX_SCANS."""
    count, at = 0, data.find(marker)
    while at >= 0 and count <= MAX_SCANS:
        count, at = count + 1, data.find(marker, at + 2)
    return count


def count_blocks(data):
    """A PNG's chunks up to its end (IEND), or a GIF's extension sub-blocks,
    counted from their headers alone, and the format the file's first bytes
    name; past MAX_CHUNKS the count stops, as the file is refused."""
    count, kind = 0, signature_kind(data)
    if kind == "PNG":       # but its pixels' (IDAT), of which a large picture has many, unless small
        at = 8
        while at + 8 <= len(data) and count <= MAX_CHUNKS and data[at + 4:at + 8] != b"IEND":
            length = struct.unpack_from(">I", data, at)[0]
            count += data[at + 4:at + 8] != b"IDAT" or length < SMALL_IDAT
            at += 12 + length
    elif kind == "GIF" and len(data) >= 13:
        at = 13 + (3 << ((data[10] & 7) + 1) if data[10] & 0x80 else 0)
        while at < len(data) and count <= MAX_CHUNKS:
            if data[at] == 0x21:                        # an extension: its label, then sub-blocks
                at += 2
            elif data[at] == 0x2C and at + 10 <= len(data):
                # an image: its pixels' sub-blocks are not counted, but for
                # short ones before its last, which no encoder writes
                flags = data[at + 9]
                at += 10 + (3 << ((flags & 7) + 1) if flags & 0x80 else 0) + 1
                while at < len(data) and data[at] and count <= MAX_CHUNKS:
                    count += data[at] < 255 and data[at + 1 + data[at]:at + 2 + data[at]] not in (b"", b"\0")
                    at += 1 + data[at]
                at += 1
                continue
            else:
                break
            while at < len(data) and data[at] and count <= MAX_CHUNKS:
                at += 1 + data[at]
                count += 1
            at += 1
    return count, kind


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


def fill(image, size, background):
    """The image filling a square of `size`, keeping its shape: scaled to cover
    it and its middle cut out, so that no band of another colour frames it
    in the dialog; transparent pixels show `background`."""
    from PIL import Image
    rgba = image.convert("RGBA")
    scale = max(size / rgba.width, size / rgba.height)
    covered = (max(size, round(rgba.width * scale)), max(size, round(rgba.height * scale)))
    if covered != rgba.size:
        rgba = rgba.resize(covered, Image.LANCZOS)
    left, top = (covered[0] - size) // 2, (covered[1] - size) // 2
    canvas = Image.new("RGBA", (size, size), background)
    canvas.alpha_composite(rgba.crop((left, top, left + size, top + size)))
    return canvas


def bitmap16(indices):
    """A bottom-up 4-bit BMP file of SIZE x SIZE palette indices (a row each, top first)."""
    rows = []
    for row in reversed(indices):
        packed = bytes((row[x] << 4) | row[x + 1] for x in range(0, SIZE, 2))
        rows.append(packed + b"\0" * (-len(packed) % 4))
    bits = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE, 1, 4, 0, len(bits), 0, 0, 0, 0)
    colours = b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in PALETTE)
    offset = 14 + len(info) + len(colours)
    head = struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset)
    return head + info + colours + bits


def see_through(canvas):
    """Whether a filled picture shows anything behind it: a pixel of it less than half opaque."""
    return canvas.getchannel("A").getextrema()[0] < 128


def picture(image):
    """The image filling 90x90 in the 16 standard colours, as a BMP file, and
    whether it has transparent parts. Those are the palette's light gray, which
    the launcher then loads as the dialog's face colour (LR_LOADMAP3DCOLORS,
    which makes the dark gray the 3-D shadow's too), so that its other pixels
    are drawn in the 14 colours beside the two grays. Sixteen colours cannot
    draw a soft edge: blended on the face colour and dithered, it would come
    out a ring of specks, so what is at least half opaque keeps its own colour
    and the rest is face, a clean edge. The transparent part is handed to the
    dithering as a colour of the palette, so that it spreads no error into the
    picture beside it."""
    from PIL import Image
    canvas = fill(image, SIZE, (0, 0, 0, 0))
    transparent = see_through(canvas)
    colours = [i for i in range(16) if not transparent or PALETTE[i] not in (DARK_GRAY, LIGHT_GRAY)]
    palette = Image.new("P", (1, 1))
    palette.putpalette([c for i in colours for c in PALETTE[i]])
    if transparent:
        solid = canvas.getchannel("A").point(lambda a: 255 if a >= 128 else 0)
        opaque = Image.new("RGB", canvas.size, PALETTE[colours[0]])
        opaque.paste(canvas.convert("RGB"), mask=solid)
    else:
        opaque = Image.alpha_composite(Image.new("RGBA", canvas.size, LIGHT_GRAY + (255,)), canvas).convert("RGB")
    indexed = opaque.quantize(colors=len(colours), palette=palette, dither=Image.Dither.FLOYDSTEINBERG)
    alpha = list(canvas.getchannel("A").getdata())
    # (a palette shorter than 256 may come back padded with black)
    pixels = [LIGHT_GRAY_INDEX if transparent and a < 128 else colours[i] if i < len(colours) else 0
              for i, a in zip(indexed.getdata(), alpha)]
    return bitmap16([pixels[y * SIZE:(y + 1) * SIZE] for y in range(SIZE)]), transparent


def picture_full(image):
    """The image filling MODERN_SIZE in full colour, as a BMP file, and whether
    it has transparent parts: then as 32-bit pixels with their alpha,
    premultiplied, which the launcher draws on the dialog's face colour; else
    as 24-bit ones, what is partly transparent on light gray."""
    from PIL import Image
    canvas = fill(image, MODERN_SIZE, (0, 0, 0, 0))
    transparent = see_through(canvas)
    if transparent:
        from PIL import ImageChops
        r, g, b, a = canvas.split()
        canvas = Image.merge("RGBA", [ImageChops.multiply(c, a) for c in (r, g, b)] + [a])
        bits, depth = canvas.transpose(Image.Transpose.FLIP_TOP_BOTTOM).tobytes("raw", "BGRA"), 32
    else:
        canvas = Image.alpha_composite(Image.new("RGBA", canvas.size, LIGHT_GRAY + (255,)), canvas).convert("RGB")
        bits, depth = canvas.transpose(Image.Transpose.FLIP_TOP_BOTTOM).tobytes("raw", "BGR"), 24
    # rows need no padding: 180 pixels of 3 or 4 bytes
    info = struct.pack("<IiiHHIIiiII", 40, MODERN_SIZE, MODERN_SIZE, 1, depth, 0, len(bits), 0, 0, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(bits), 0, 0, 14 + len(info))
    return head + info + bits, transparent


def icon(image, frames_of=None, sizes=ICON_SIZES):
    """A Windows icon of the image at the sizes: 32-bit frames with alpha and an
    AND mask, uncompressed, as Windows XP and later read them, but a 256-pixel
    one as PNG. frames_of(size) may give an .ico's own frame of a size, or None."""
    import io
    frames = []
    for size in sizes:
        frame = fit((frames_of and frames_of(size)) or image, size, (0, 0, 0, 0))
        if size == 256:
            png = io.BytesIO()
            frame.save(png, "PNG", optimize=True)
            frames.append((size, png.getvalue()))
            continue
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
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(data for _, data in frames)


def ico_directory(data):
    """The frames an .ico's directory states, as written (Pillow corrects the
    sizes of the frames it has read): each as its width, height, bit count,
    length and offset."""
    count = struct.unpack_from("<H", data, 4)[0]
    entries = data[6:6 + 16 * count]
    return [(e[0] or 256, e[1] or 256) + struct.unpack_from("<HII", e, 6)
            for e in (entries[16 * i:16 * i + 16] for i in range(len(entries) // 16))]


def windows_alpha(image, data, listed):
    """A frame as Windows draws it. Windows reads a bitmap frame's bits from its
    own header, whatever the directory says, and draws one of 32 bits by its
    alpha unless that is 0 throughout, and any other by its AND mask; Pillow
    goes by the directory's bits, and by the alpha alone."""
    from PIL import Image
    # the frame Pillow read for this size: of the most bits the directory states
    width, height, _, length, offset = max((e for e in listed if e[:2] == image.size), key=lambda e: e[2])
    frame = data[offset:offset + length]
    if len(frame) < 40 or frame[:8] == b"\x89PNG\r\n\x1a\n":
        return image
    size, _, _, _, bits, compression = struct.unpack_from("<IiiHHI", frame)
    start = size + (12 if compression == 3 and size == 40 else 0)
    xor, stride = width * height * 4, (width + 31) // 32 * 4
    if bits != 32 or len(frame) < start + xor + stride * height:
        return image
    alpha = Image.frombuffer("L", (width, height), frame[start + 3:start + xor:4], "raw", "L", 0, -1)
    if not alpha.getbbox():
        alpha = Image.frombuffer("1", (width, height), frame[start + xor:start + xor + stride * height], "raw",
                                 "1;I", stride, -1).convert("L")
    out = image.convert("RGBA")
    out.putalpha(alpha)
    return out


def open_icon(path):
    """An icon source: any picture, or an .ico whose own frames are used where
    it has them. Every frame of an .ico is read here, so that one whose
    directory lies about it is refused whichever sizes the build takes."""
    image = open_image(path, FORMATS + ("ICO",))
    if image.format != "ICO":
        return image, None
    from PIL import Image
    frames = {}
    # the file mapped, each frame's header read from it as Windows reads it (windows_alpha)
    data = mapped(path)
    try:
        listed = ico_directory(data)
        if len(listed) > MAX_FRAMES:
            raise ImageError(f"{shown(path)} has {len(listed):,} frames; an icon of at most {MAX_FRAMES} is taken")
        stated = {e[:2] for e in listed}
        lying = sorted(stated - set(image.info.get("sizes", stated)))
        if lying:
            raise ImageError(f"the {lying[0][0]}x{lying[0][1]} frame of {shown(path)} is another size: "
                             "the icon is damaged")
        ico = Image.open(path, formats=("ICO",))       # once: each frame is then read from it
        for width, height in sorted(stated):
            try:
                ico.size = (width, height)
                ico.load()
            except MemoryError:
                raise
            except Exception as e:
                raise ImageError(f"cannot read the {width}x{height} frame of {shown(path)}: "
                                 f"{e or type(e).__name__}")
            if ico.size != (width, height):
                raise ImageError(f"the {width}x{height} frame of {shown(path)} is {ico.width}x{ico.height}: "
                                 "the icon is damaged")
            if width == height:
                frames[width] = plain(windows_alpha(ico.copy(), data, listed))     # the next size reloads ico
        image = windows_alpha(image, data, listed) if image.size in stated else image
    finally:
        unmap(data)
    return image, frames.get
