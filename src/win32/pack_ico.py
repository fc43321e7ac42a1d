#!/usr/bin/env python3
"""Packs PNG images into one .ico file, PNG data stored as is: pack_ico.py OUT.ico IN.png...

The bytes depend on the inputs alone (no time, no path), so the build is reproducible.
"""
import struct
import sys


def png_size(data):
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        raise SystemExit("not a PNG image")
    return struct.unpack(">II", data[16:24])


def main(out, inputs):
    images = []
    for name in inputs:
        with open(name, "rb") as f:
            data = f.read()
        width, height = png_size(data)
        if width > 256 or height > 256:
            raise SystemExit(f"{name}: an icon image is at most 256 x 256")
        images.append((width, height, data))
    images.sort(key=lambda image: image[0])
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    entries, blobs = b"", b""
    for width, height, data in images:
        # 256 is written as 0; 32 bits per pixel, one plane, no palette.
        entries += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32, len(data), offset)
        blobs += data
        offset += len(data)
    with open(out, "wb") as f:
        f.write(header + entries + blobs)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2:])
