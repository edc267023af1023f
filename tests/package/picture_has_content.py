#!/usr/bin/env python3
"""Checks that a screenshot shows something: at least MIN_SHARE of its pixels
differ clearly from its background (the colour of its corners) and they hold
at least MIN_COLOURS distinct colours.

    picture_has_content.py FILE.png MIN_SHARE MIN_COLOURS
"""
import struct
import sys
import zlib


def read_png(path):
    """(width, height, rows of (r, g, b) tuples) of an 8-bit RGB or RGBA PNG."""
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG file")
    pos, idat, header = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = header
    channels = {2: 3, 6: 4}.get(colour)
    if depth != 8 or channels is None or interlace:
        raise ValueError(f"unsupported PNG (depth {depth}, colour type {colour})")
    raw, stride = zlib.decompress(idat), width * channels
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - channels] if i >= channels else 0
            b, c = previous[i], previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + a) & 255
            elif kind == 2:
                line[i] = (line[i] + b) & 255
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append([tuple(line[x * channels:x * channels + 3]) for x in range(width)])
        previous = line
    return width, height, rows


def main(argv):
    path, min_share, min_colours = argv[1], float(argv[2]), int(argv[3])
    width, height, rows = read_png(path)
    corners = [rows[0][0], rows[0][-1], rows[-1][0], rows[-1][-1]]
    background = max(set(corners), key=corners.count)
    content = [p for row in rows for p in row
               if sum(abs(p[k] - background[k]) for k in range(3)) > 48]
    share, colours = len(content) / (width * height), len(set(content))
    verdict = share >= min_share and colours >= min_colours
    print(f"{path}: {width}x{height}, background {background}, {share:.1%} content "
          f"in {colours} colours (wanted {min_share:.1%}, {min_colours}): {'ok' if verdict else 'FAIL'}")
    return 0 if verdict else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
