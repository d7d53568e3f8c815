#!/usr/bin/env python3
"""Packs PNG pictures into one Windows icon file (.ico): usage make_ico.py out.ico a.png b.png..."""
import struct
import sys


def png_size(data):
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        raise SystemExit("not a PNG picture")
    return struct.unpack(">II", data[16:24])


def main(out, pictures):
    images = [open(p, "rb").read() for p in pictures]
    offset = 6 + 16 * len(images)
    header = struct.pack("<HHH", 0, 1, len(images))
    entries = b""
    for data in images:
        width, height = png_size(data)
        # 0 stands for 256 in the one-byte sizes; larger pictures do not fit an icon.
        if width > 256 or height > 256:
            raise SystemExit("picture larger than 256 pixels")
        entries += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(out, "wb") as f:
        f.write(header + entries + b"".join(images))


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2:])
