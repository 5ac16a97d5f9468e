#!/usr/bin/env python3
"""Writes a Windows icon file holding the given PNG pictures as they are (one entry each).
usage: make_ico.py OUT.ico SIZE.png..."""
import struct
import sys


def png_size(data):
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise SystemExit("make_ico.py: not a PNG file")
    return struct.unpack(">II", data[16:24])


def main(out, pictures):
    blobs = [open(p, "rb").read() for p in pictures]
    head = struct.pack("<HHH", 0, 1, len(blobs))
    entries, offset = b"", 6 + 16 * len(blobs)
    for blob in blobs:
        w, h = png_size(blob)
        entries += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    with open(out, "wb") as f:
        f.write(head + entries + b"".join(blobs))


if __name__ == "__main__":
    if len(sys.argv) < 3:
        raise SystemExit(__doc__)
    main(sys.argv[1], sys.argv[2:])
