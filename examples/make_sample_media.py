#!/usr/bin/env python3
"""Writes the sample wallpaper's media: two small Flash movies of our own and
the two preview pictures. The results are committed; run this again only to
change them (the pictures need ImageMagick's `convert`).

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


def picture(path, image_format):
    subprocess.run(
        ["convert", "-size", "160x120", "gradient:#0a3d62-#38ada9",
         "-fill", "#f6e58d", "-draw", "circle 120,32 130,32",
         "-strip", "-type", "TrueColor", "-quality", "85", image_format + ":" + str(path)],
        check=True)


def main():
    (HERE / "content" / "media").mkdir(parents=True, exist_ok=True)
    (HERE / "content" / "aurora.swf").write_bytes(fws((0x0A, 0x3D, 0x62)))
    (HERE / "content" / "media" / "aurora-cws.swf").write_bytes(cws((0x38, 0xAD, 0xA9)))
    picture(HERE / "preview.jpg", "JPEG")
    picture(HERE / "preview.bmp", "BMP3")


if __name__ == "__main__":
    main()
