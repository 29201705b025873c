#!/usr/bin/env python3
"""Writes the sample wallpaper's media: two small Flash movies of our own and
the two preview pictures, 350 x 150 like the installer's preview area. The
results are committed; run this again only to change them (the JPEG needs
libjpeg's `cjpeg`, from libjpeg-turbo-progs, which `./dev setup` installs).

The movies are small SWF files of our own: the 8-byte header ("FWS" or "CWS",
version, file length), the frame size rectangle, frame rate and count, then
SetBackgroundColor (first, where the installer looks for it), two DefineShape
tags (a moon and a hill, drawn with curves), and 24 frames in which
PlaceObject2 moves the moon up over three hills, each ended by ShowFrame; End
closes the movie. The "CWS" movie holds the same body compressed with zlib;
its length field gives the expanded size.
"""
import pathlib
import struct
import subprocess
import zlib

HERE = pathlib.Path(__file__).resolve().parent / "sample"

TWIPS = 20
WIDTH, HEIGHT = 800, 600
SWF_VERSION = 6
FRAMES = 24
# The installer's preview area: a picture of this size is shown as it is, any other stretched.
PREVIEW_SIZE = (350, 150)


def rect(xmin, xmax, ymin, ymax):
    values = (xmin, xmax, ymin, ymax)
    nbits = max(v.bit_length() for v in values) + 1  # signed fields
    bits = format(nbits, "05b") + "".join(format(v, "0%db" % nbits) for v in values)
    bits += "0" * (-len(bits) % 8)
    return bytes(int(bits[i:i + 8], 2) for i in range(0, len(bits), 8))


def tag(code, body=b""):
    if len(body) < 0x3F:
        return struct.pack("<H", code << 6 | len(body)) + body
    return struct.pack("<HI", code << 6 | 0x3F, len(body)) + body


class Bits:
    """A bit stream, most significant bit first, as SWF's records are written."""

    def __init__(self):
        self.bits = ""

    def unsigned(self, value, count):
        self.bits += format(value, "0%db" % count) if count else ""

    def signed(self, value, count):
        self.unsigned(value & ((1 << count) - 1), count)

    def bytes(self):
        padded = self.bits + "0" * (-len(self.bits) % 8)
        return bytes(int(padded[i:i + 8], 2) for i in range(0, len(padded), 8))


def signed_bits(*values):
    return max(max(v.bit_length() for v in values) + 1, 2)


def define_shape(shape_id, rgb, start, edges, size):
    """DefineShape: one solid fill, no line, a path from start of straight edges (dx, dy) and
    curved edges (cx, cy, ax, ay), in twips; the fill lies to the right of the path."""
    bits = Bits()
    bits.unsigned(0, 1)          # style change record
    bits.unsigned(0b00101, 5)    # fill style 1 set, move to start
    count = signed_bits(*start)
    bits.unsigned(count, 5)
    bits.signed(start[0], count)
    bits.signed(start[1], count)
    bits.unsigned(1, 1)          # fill style 1 = the first fill
    for edge in edges:
        count = signed_bits(*edge)
        bits.unsigned(1, 1)      # edge record
        if len(edge) == 2:
            bits.unsigned(1, 1)  # straight
            bits.unsigned(count - 2, 4)
            bits.unsigned(1, 1)  # general line
            bits.signed(edge[0], count)
            bits.signed(edge[1], count)
        else:
            bits.unsigned(0, 1)  # curved
            bits.unsigned(count - 2, 4)
            for value in edge:
                bits.signed(value, count)
    bits.unsigned(0, 6)          # end of shape
    fills = bytes([1, 0x00]) + bytes(rgb)  # one solid fill
    lines = bytes([0])
    return tag(2, struct.pack("<H", shape_id) + rect(0, size, 0, size) + fills + lines +
               bytes([0x10]) + bits.bytes())


def circle(radius):
    """The start (the top) and eight quadratic curves around a circle, clockwise on screen."""
    import math

    def point(angle, distance):
        return (round(radius + distance * math.sin(angle)),
                round(radius - distance * math.cos(angle)))

    control = radius / math.cos(math.pi / 8)
    edges = []
    here = point(0, radius)
    for i in range(8):
        c = point((i + 0.5) * math.pi / 4, control)
        a = point((i + 1) * math.pi / 4, radius)
        edges.append((c[0] - here[0], c[1] - here[1], a[0] - c[0], a[1] - c[1]))
        here = a
    return point(0, radius), edges


def place(depth, x, y, shape_id=None):
    """PlaceObject2: a new shape at depth, or the one there moved, translated to (x, y) twips."""
    matrix = Bits()
    matrix.unsigned(0, 1)        # no scale
    matrix.unsigned(0, 1)        # no rotation
    count = signed_bits(x, y)
    matrix.unsigned(count, 5)
    matrix.signed(x, count)
    matrix.signed(y, count)
    flags = 0x04 | (0x02 if shape_id else 0x01)
    body = bytes([flags]) + struct.pack("<H", depth)
    if shape_id:
        body += struct.pack("<H", shape_id)
    return tag(26, body + matrix.bytes())


def swf_body(rgb):
    """A yellow moon rising over three teal hills: two shapes, FRAMES frames."""
    frame = rect(0, WIDTH * TWIPS, 0, HEIGHT * TWIPS)
    moon, hill = 60 * TWIPS, 200 * TWIPS
    tags = tag(9, bytes(rgb))    # SetBackgroundColor comes first: the installer reads it
    tags += define_shape(1, (0xF6, 0xE5, 0x8D), *circle(moon // 2), moon)
    tags += define_shape(2, (0x38, 0xAD, 0xA9), *circle(hill // 2), hill)
    for depth, x in ((2, 0), (3, 300), (4, 600)):
        tags += place(depth, x * TWIPS, 480 * TWIPS, shape_id=2)
    for index in range(FRAMES):
        x, y = (560 + index * 4) * TWIPS, (420 - index * 12) * TWIPS
        tags += place(1, x, y, shape_id=1 if index == 0 else None)
        tags += tag(1)           # ShowFrame
    tags += tag(0)               # End
    rate_and_count = struct.pack("<HH", 12 << 8, FRAMES)  # 12.0 frames a second
    return frame + rate_and_count + tags


def fws(rgb):
    body = swf_body(rgb)
    return b"FWS" + bytes([SWF_VERSION]) + struct.pack("<I", 8 + len(body)) + body


def cws(rgb):
    body = swf_body(rgb)
    return (b"CWS" + bytes([SWF_VERSION]) + struct.pack("<I", 8 + len(body)) +
            zlib.compress(body, 9))


def preview_pixels():
    """Rows top to bottom of (r, g, b): a gradient from the movie's blue to teal, with a
    small yellow moon."""
    top, bottom, moon = (0x0A, 0x3D, 0x62), (0x38, 0xAD, 0xA9), (0xF6, 0xE5, 0x8D)
    width, height = PREVIEW_SIZE
    rows = []
    for y in range(height):
        shade = tuple(round(t + (b - t) * y / (height - 1)) for t, b in zip(top, bottom))
        rows.append([moon if (x - 262) ** 2 + (y - 40) ** 2 <= 14 ** 2 else shade
                     for x in range(width)])
    return rows


def write_bmp(path):
    """A 24-bit Windows bitmap (BITMAPINFOHEADER), rows bottom to top."""
    width, height = PREVIEW_SIZE
    stride = (width * 3 + 3) & ~3
    pixels = b"".join(
        b"".join(bytes((b, g, r)) for r, g, b in row).ljust(stride, b"\0")
        for row in reversed(preview_pixels()))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    path.write_bytes(header + info + pixels)


def write_jpeg(path, bmp):
    """The bitmap as a baseline colour JPEG, through libjpeg's cjpeg."""
    with open(path, "wb") as out:
        subprocess.run(["cjpeg", "-quality", "85", str(bmp)], stdout=out, check=True)


def main():
    (HERE / "content" / "media").mkdir(parents=True, exist_ok=True)
    (HERE / "content" / "aurora.swf").write_bytes(fws((0x0A, 0x3D, 0x62)))
    (HERE / "content" / "media" / "aurora-cws.swf").write_bytes(cws((0x38, 0xAD, 0xA9)))
    write_bmp(HERE / "preview.bmp")
    write_jpeg(HERE / "preview.jpg", HERE / "preview.bmp")


if __name__ == "__main__":
    main()
