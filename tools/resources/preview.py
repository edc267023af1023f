#!/usr/bin/env python3
"""Rough software preview of the demo frame, to judge the resources by eye.

    preview.py [resources-dir] [out.png] [width height] [angle ax ay az] [scroll]

Draws what the scene's four passes give: the birds backdrop, the model
(textured with the birds image) where it covers, the leaves through the
model's silhouette, and the lit model added at half strength. Texture reads
are nearest-pixel and the interpolation is affine; good enough to look at.
"""

import math
import os
import struct
import sys
import zlib

here = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, here)
from make_resources import write_png  # noqa: E402


def read_png(path):
    data = open(path, "rb").read()
    pos, idat, width = 8, b"", 0
    while pos < len(data):
        (length,) = struct.unpack(">I", data[pos:pos + 4])
        kind = data[pos + 4:pos + 8]
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour = struct.unpack(">IIBB", body[:10])
            assert depth == 8 and colour == 6
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    raw = zlib.decompress(idat)
    stride = width * 4
    rows = [raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)] for y in range(height)]
    assert all(raw[y * (stride + 1)] == 0 for y in range(height))
    return width, height, b"".join(rows)


def sampler(image):
    w, h, px = image

    def sample(s, t):
        x = min(w - 1, max(0, int(s * w)))
        y = min(h - 1, max(0, int(t * h)))
        i = 4 * (y * w + x)
        return px[i] / 255.0, px[i + 1] / 255.0, px[i + 2] / 255.0, px[i + 3] / 255.0

    return sample


def read_obj(path):
    verts, tex, faces = [], [], []
    for line in open(path):
        w = line.split()
        if w[0] == "v":
            verts.append(tuple(float(x) for x in w[1:4]))
        elif w[0] == "vt":
            tex.append((float(w[1]), 1.0 - float(w[2])))
        elif w[0] == "f":
            faces.append([tuple(int(x) - 1 for x in c.split("/")) for c in w[1:]])
    return verts, tex, faces


def main(argv):
    directory = argv[1] if len(argv) > 1 else os.path.join(here, "..", "..", "resources")
    out = argv[2] if len(argv) > 2 else "preview.png"
    width, height = (int(argv[3]), int(argv[4])) if len(argv) > 4 else (512, 384)
    angle, axis = 0.0, (0.0, 1.0, 0.0)
    if len(argv) > 8:
        angle = float(argv[5])
        axis = tuple(float(a) for a in argv[6:9])
    scroll = float(argv[9]) if len(argv) > 9 else 0.0

    birds = sampler(read_png(os.path.join(directory, "dravinBirds.png")))
    leaves = sampler(read_png(os.path.join(directory, "dravinLeaves.png")))
    verts, tex, faces = read_obj(os.path.join(directory, "1.obj"))

    # Rotation as glRotatef, then the model 27 units away.
    n = math.sqrt(sum(a * a for a in axis))
    x, y, z = (a / n for a in axis)
    c, s = math.cos(math.radians(angle)), math.sin(math.radians(angle))
    rot = [[x * x * (1 - c) + c, x * y * (1 - c) - z * s, x * z * (1 - c) + y * s],
           [y * x * (1 - c) + z * s, y * y * (1 - c) + c, y * z * (1 - c) - x * s],
           [x * z * (1 - c) - y * s, y * z * (1 - c) + x * s, z * z * (1 - c) + c]]
    eye = [(sum(rot[0][k] * v[k] for k in range(3)), sum(rot[1][k] * v[k] for k in range(3)),
            sum(rot[2][k] * v[k] for k in range(3)) - 27.0) for v in verts]

    half_h = math.tan(math.radians(15.0))
    half_w = half_h * width / height

    def project(p):
        return ((p[0] / -p[2] / half_w * 0.5 + 0.5) * width,
                (0.5 - p[1] / -p[2] / half_h * 0.5) * height)

    screen = [project(p) for p in eye]
    depth = [float("inf")] * (width * height)
    hit = [None] * (width * height)  # (face, s, t)
    for fi, face in enumerate(faces):
        for tri in ((0, 1, 2), (0, 2, 3)) if len(face) == 4 else ((0, 1, 2),):
            cs = [face[k] for k in tri]
            (x0, y0), (x1, y1), (x2, y2) = (screen[c[0]] for c in cs)
            area = (x1 - x0) * (y2 - y0) - (x2 - x0) * (y1 - y0)
            if area >= 0.0:  # screen y points down: counter-clockwise is negative
                continue
            z0, z1, z2 = (-eye[c[0]][2] for c in cs)
            t0, t1, t2 = (tex[c[1]] for c in cs)
            for py in range(max(0, int(min(y0, y1, y2))), min(height, int(max(y0, y1, y2)) + 1)):
                for px in range(max(0, int(min(x0, x1, x2))),
                                min(width, int(max(x0, x1, x2)) + 1)):
                    qx, qy = px + 0.5, py + 0.5
                    w0 = ((x1 - qx) * (y2 - qy) - (x2 - qx) * (y1 - qy)) / area
                    w1 = ((x2 - qx) * (y0 - qy) - (x0 - qx) * (y2 - qy)) / area
                    w2 = 1.0 - w0 - w1
                    if w0 < 0 or w1 < 0 or w2 < 0:
                        continue
                    zz = w0 * z0 + w1 * z1 + w2 * z2
                    i = py * width + px
                    if zz < depth[i]:
                        depth[i] = zz
                        hit[i] = (fi, w0 * t0[0] + w1 * t1[0] + w2 * t2[0],
                                  w0 * t0[1] + w1 * t1[1] + w2 * t2[1])

    # Flat lighting of pass 4: global ambient 0.2 and the specular light.
    lit = []
    for face in faces:
        a, b, cc = (eye[face[k][0]] for k in range(3))
        e1 = [b[k] - a[k] for k in range(3)]
        e2 = [cc[k] - a[k] for k in range(3)]
        nn = [e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2],
              e1[0] * e2[1] - e1[1] * e2[0]]
        ln = math.sqrt(sum(q * q for q in nn)) or 1.0
        nn = [q / ln for q in nn]
        light = [30.0 - a[0], 0.0 - a[1], -10.0 - a[2]]
        ll = math.sqrt(sum(q * q for q in light))
        light = [q / ll for q in light]
        specular = 0.0
        if sum(nn[k] * light[k] for k in range(3)) > 0.0:
            h = [light[0], light[1], light[2] + 1.0]
            hl = math.sqrt(sum(q * q for q in h))
            specular = max(0.0, sum(nn[k] * h[k] / hl for k in range(3))) ** 10 * 0.8
        lit.append(0.5 * (0.2 + min(1.0, specular)))

    pixels = bytearray(width * height * 4)
    silhouette = bytearray(width * height * 4)
    for py in range(height):
        yn = 1.0 - 2.0 * (py + 0.5) / height
        for px in range(width):
            xn = 2.0 * (px + 0.5) / width - 1.0
            wx, wy = xn * half_w * 7.0, yn * half_h * 7.0
            col = [0.25, 0.25, 0.25]
            if -3.2 <= wx <= 3.2 and -2.0 <= wy <= 2.0:
                col = list(birds((3.2 - wx) / 6.4, (2.0 - wy) / 4.0)[:3])
            i = py * width + px
            h = hit[i]
            if h is not None:
                col = list(birds(h[1], h[2])[:3])
                if -2.0 <= wy <= 2.0:
                    for shift in (0.0, 5.8):
                        lx = wx - scroll - shift
                        if -3.2 <= lx <= 3.2:
                            r, g, b, a = leaves((3.2 - lx) / 6.4, (2.0 - wy) / 4.0)
                            col = [col[0] * (1 - a) + r * a, col[1] * (1 - a) + g * a,
                                   col[2] * (1 - a) + b * a]
                col = [min(1.0, q + lit[h[0]]) for q in col]
                silhouette[4 * i:4 * i + 4] = b"\xff\xff\xff\xff"
            else:
                silhouette[4 * i:4 * i + 4] = b"\x00\x00\x00\xff"
            pixels[4 * i:4 * i + 4] = bytes(int(q * 255 + 0.5) for q in col) + b"\xff"
    write_png(out, width, height, pixels)
    write_png(os.path.splitext(out)[0] + "_silhouette.png", width, height, silhouette)


if __name__ == "__main__":
    main(sys.argv)
