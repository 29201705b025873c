#!/usr/bin/env python3
"""Writes the sample wallpaper's media: two small Flash movies of our own and
the two preview pictures, 350 x 150 like the installer's preview area. The
results are committed; run this again only to change them (the JPEG needs
libjpeg's `cjpeg`, Debian package libjpeg-turbo-progs).

The movies are the smallest complete SWF files: the 8-byte header ("FWS" or
"CWS", version, file length), the frame size rectangle, frame rate and count,
then three tags: SetBackgroundColor, ShowFrame and End. The "CWS" movie holds
the same kind of body compressed with zlib; its length field gives the
expanded size.
"""
import pathlib
import struct
import subprocess
import zlib

HERE = pathlib.Path(__file__).resolve().parent / "sample"

TWIPS = 20
WIDTH, HEIGHT = 800, 600
SWF_VERSION = 6
# The installer's preview area: a picture of this size is shown as it is, any other stretched.
PREVIEW_SIZE = (350, 150)


def rect(xmin, xmax, ymin, ymax):
    values = (xmin, xmax, ymin, ymax)
    nbits = max(v.bit_length() for v in values) + 1  # signed fields
    bits = format(nbits, "05b") + "".join(format(v, "0%db" % nbits) for v in values)
    bits += "0" * (-len(bits) % 8)
    return bytes(int(bits[i:i + 8], 2) for i in range(0, len(bits), 8))


def tag(code, body=b""):
    assert len(body) < 0x3F
    return struct.pack("<H", code << 6 | len(body)) + body


def swf_body(rgb):
    frame = rect(0, WIDTH * TWIPS, 0, HEIGHT * TWIPS)
    rate_and_count = struct.pack("<HH", 12 << 8, 1)  # 12.0 frames a second, one frame
    tags = tag(9, bytes(rgb)) + tag(1) + tag(0)  # SetBackgroundColor, ShowFrame, End
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
