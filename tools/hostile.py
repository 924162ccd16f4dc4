"""Pictures a hostile or careless publisher might give the brand kit, made
here rather than stored: the brand-file checks refuse each, and
tools/bench/brand_bench.py times the kit on them. Each returns the file's bytes."""
import io
import struct
import zlib

from PIL import Image

from images import png_chunk


def png_claiming(width, height):
    """A PNG header that claims a size, with no pixels behind it."""
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
            png_chunk(b"IEND", b""))


def png_of_chunks(count):
    """A small PNG with `count` empty chunks before its pixels: each is read on its own."""
    png = io.BytesIO()
    Image.new("RGB", (20, 20)).save(png, "PNG")
    png = png.getvalue()
    return png[:33] + png_chunk(b"quIt", b"") * count + png[33:]


def jpeg_of_scans(scans, mpf=False):
    """A progressive JPEG whose last scan is repeated until it has `scans`,
    each decoded again; with an MPF segment, which Pillow opens as MPO."""
    jpeg = io.BytesIO()
    Image.new("RGB", (16, 16), (10, 200, 30)).save(jpeg, "JPEG", progressive=True)
    jpeg = jpeg.getvalue()
    scan = jpeg[jpeg.rfind(b"\xff\xda"):-2]
    segment = b"\xff\xe2" + struct.pack(">H", 14) + b"MPF\0" + b"MM\0*\0\0\0\x08" if mpf else b""
    return jpeg[:2] + segment + jpeg[2:-2] + scan * (scans - jpeg.count(b"\xff\xda")) + b"\xff\xd9"


def gif_comment(blocks):
    """A GIF whose comment has `blocks` sub-blocks of 255 bytes."""
    gif = io.BytesIO()
    Image.new("P", (8, 8)).save(gif, "GIF")
    gif = gif.getvalue()
    return gif[:-1] + b"\x21\xfe" + (b"\xff" + b"c" * 255) * blocks + b"\0" + gif[-1:]


def ico_of_frames(count):
    """An honest .ico of `count` 16x16 frames."""
    frame = io.BytesIO()
    Image.new("RGBA", (16, 16), (200, 0, 0, 255)).save(frame, "PNG")
    frame = frame.getvalue()
    directory = b"".join(struct.pack("<BBBBHHII", 16, 16, 0, 0, 1, 32, len(frame), 6 + 16 * count + len(frame) * i)
                         for i in range(count))
    return struct.pack("<HHH", 0, 1, count) + directory + frame * count


def thin_png(width, height):
    """A PNG of a few bytes and a shape that would take millions of pixels to cover a square."""
    png = io.BytesIO()
    Image.new("RGB", (width, height), (20, 120, 200)).save(png, "PNG")
    return png.getvalue()


def bmp_rle(width, height, codes):
    """An 8-bit run-length BMP of the size, its pixels the codes given."""
    bits = codes + b"\x00\x01"
    palette = b"\x00\x00\x00\x00" * 256
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 1, len(bits), 0, 0, 256, 0)
    offset = 14 + len(info) + len(palette)
    return struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset) + info + palette + bits


def rle_rows(width, height):
    """Run-length codes for rows of runs of 255 pixels, each row then ended."""
    row = b"\xff\x07" * (width // 255) + (bytes((width % 255, 7)) if width % 255 else b"") + b"\x00\x00"
    return row * height


def png_of_empty_idats(count):
    """A small PNG whose pixels are followed by `count` empty IDAT chunks."""
    png = io.BytesIO()
    Image.new("RGB", (20, 20)).save(png, "PNG")
    png = png.getvalue()
    end = png.rfind(b"IEND") - 4
    return png[:end] + png_chunk(b"IDAT", b"") * count + png[end:]


def ico_of_png_frame(side):
    """An .ico whose one frame's directory says 16x16 and whose PNG is `side` square, 1-bit gray."""
    row = b"\x00" + bytes((side + 7) // 8)
    pixels = zlib.compress(row * side, 9)
    frame = (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", struct.pack(">IIBBBBB", side, side, 1, 0, 0, 0, 0)) +
             png_chunk(b"IDAT", pixels) + png_chunk(b"IEND", b""))
    return struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", 16, 16, 0, 0, 1, 32, len(frame), 22) + frame


def gray16_keyed(side):
    """A 16-bit gray PNG of the size, all of it the gray its tRNS chunk makes transparent."""
    rows = (b"\x00" + b"\x03\xe8" * side) * side
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", struct.pack(">IIBBBBB", side, side, 16, 0, 0, 0, 0)) +
            png_chunk(b"tRNS", struct.pack(">H", 1000)) + png_chunk(b"IDAT", zlib.compress(rows)) +
            png_chunk(b"IEND", b""))


def rgb16_near_key(noise):
    """A 16-bit RGB PNG of the noise's size, each sample v and 255 - v from a
    sixty-fourth of its pixels, with a transparent colour (tRNS) whose high
    bytes many pixels match and whose low bytes none does: by PNG's rules,
    nothing of it is transparent."""
    side, raw = noise.width, noise.tobytes()
    rows = b"".join(b"\0" + bytes(b for v in raw[y * side:(y + 1) * side:64] for b in (v, 255 - v) * 3) * 64
                    for y in range(side))
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", struct.pack(">IIBBBBB", side, side, 16, 2, 0, 0, 0)) +
            png_chunk(b"tRNS", struct.pack(">HHH", 0x80ff, 0x80ff, 0x80ff)) +
            png_chunk(b"IDAT", zlib.compress(rows, 1)) + png_chunk(b"IEND", b""))


def gif_of_subblocks(count):
    """A 1x1 GIF whose pixels come in `count` sub-blocks of one byte."""
    head = b"GIF89a" + struct.pack("<HHBBB", 1, 1, 0x80, 0, 0) + b"\x00\x00\x00\xff\xff\xff"
    image = b"\x2c" + struct.pack("<HHHHB", 0, 0, 1, 1, 0) + b"\x02"
    return head + image + b"\x01\x00" * count + b"\x00\x3b"
