#!/usr/bin/env python3
"""Makes the demo scene's resource files from nothing but code.

Writes into the given directory (default: resources/ of the repository):
  1.obj, 1.mtl      a trefoil-knot tube, quads and triangles, three materials
  dravinLeaves.png  leafy twigs over full transparency (RGBA)
  dravinBirds.png   evening sky with a flock of birds (opaque)
  default.tif       a small checkerboard, the texture of last resort

Everything is deterministic: running it again gives the same bytes, which
`make_resources.py --check [dir]` verifies against the committed files.
Only the Python standard library is used.
"""

import math
import os
import random
import struct
import sys
import zlib

# ---------------------------------------------------------------- file formats


def write_png(path, width, height, rgba):
    """rgba: bytes of width*height*4, top row first. Colour type 6, 8 bits."""

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    stride = width * 4
    raw = bytearray()
    for y in range(height):
        raw.append(0)  # filter: none
        raw += rgba[y * stride:(y + 1) * stride]
    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def write_tiff(path, width, height, rgba):
    """Baseline little-endian TIFF, uncompressed, RGBA with unassociated alpha."""
    entries = []  # (tag, type, count, value-or-offset bytes)
    SHORT, LONG, RATIONAL = 3, 4, 5
    pixels = bytes(rgba)
    # Layout: header, pixel strip, out-of-line values, IFD.
    header_size = 8
    strip_offset = header_size
    extra_offset = strip_offset + len(pixels)
    bits = struct.pack("<4H", 8, 8, 8, 8)
    resolution = struct.pack("<II", 72, 1)
    bits_offset = extra_offset
    xres_offset = bits_offset + len(bits)
    yres_offset = xres_offset + len(resolution)
    ifd_offset = yres_offset + len(resolution)

    def short(tag, value):
        entries.append((tag, SHORT, 1, struct.pack("<HH", value, 0)))

    def long_(tag, value):
        entries.append((tag, LONG, 1, struct.pack("<I", value)))

    long_(256, width)  # ImageWidth
    long_(257, height)  # ImageLength
    entries.append((258, SHORT, 4, struct.pack("<I", bits_offset)))  # BitsPerSample
    short(259, 1)  # Compression: none
    short(262, 2)  # PhotometricInterpretation: RGB
    long_(273, strip_offset)  # StripOffsets
    short(274, 1)  # Orientation: top left
    short(277, 4)  # SamplesPerPixel
    long_(278, height)  # RowsPerStrip: one strip
    long_(279, len(pixels))  # StripByteCounts
    entries.append((282, RATIONAL, 1, struct.pack("<I", xres_offset)))
    entries.append((283, RATIONAL, 1, struct.pack("<I", yres_offset)))
    short(284, 1)  # PlanarConfiguration: chunky
    short(296, 2)  # ResolutionUnit: inch
    short(338, 2)  # ExtraSamples: unassociated alpha
    entries.sort()

    ifd = struct.pack("<H", len(entries))
    for tag, kind, count, value in entries:
        ifd += struct.pack("<HHI", tag, kind, count) + value
    ifd += struct.pack("<I", 0)  # no next IFD
    data = b"II*\x00" + struct.pack("<I", ifd_offset)
    data += pixels + bits + resolution + resolution + ifd
    with open(path, "wb") as f:
        f.write(data)


# ---------------------------------------------------------------- small vector helpers


def add(a, b):
    return (a[0] + b[0], a[1] + b[1], a[2] + b[2])


def sub(a, b):
    return (a[0] - b[0], a[1] - b[1], a[2] - b[2])


def mul(a, s):
    return (a[0] * s, a[1] * s, a[2] * s)


def dot(a, b):
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]


def cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def norm(a):
    length = math.sqrt(dot(a, a))
    return mul(a, 1.0 / length)


def rotate(v, axis, angle):
    """Rodrigues: v turned by angle (radians) about the unit axis."""
    c, s = math.cos(angle), math.sin(angle)
    return add(add(mul(v, c), mul(cross(axis, v), s)), mul(axis, dot(axis, v) * (1.0 - c)))


# ---------------------------------------------------------------- the model

KNOT_SCALE = 1.45  # the knot's centre line spans about 8 units
TUBE_RADIUS = 0.78  # chunky, yet the strands keep clear of each other
SEGMENTS = 270  # along the knot; a multiple of BAND_PERIOD
SIDES = 18  # around the tube
BAND_PERIOD = 15  # every so many segments a band of triangles
BAND_WIDTH = 3
TEXTURE_LOBES = 6  # texture runs 0..1..0 this many half-cycles along the knot

MATERIALS = [
    # name, Ns, Ka, Kd, Ks
    ("knotBody", 48.0, (0.10, 0.12, 0.10), (0.32, 0.58, 0.30), (0.70, 0.70, 0.70)),
    ("bandGold", 96.0, (0.15, 0.12, 0.05), (0.85, 0.66, 0.22), (0.95, 0.90, 0.70)),
    ("bandCopper", 64.0, (0.12, 0.07, 0.05), (0.72, 0.38, 0.22), (0.90, 0.75, 0.65)),
]


def knot_centre(t):
    """Trefoil, turned so that one lobe points up."""
    x = math.sin(t) + 2.0 * math.sin(2.0 * t)
    y = math.cos(t) - 2.0 * math.cos(2.0 * t)
    z = -math.sin(3.0 * t)
    return (-x * KNOT_SCALE, -y * KNOT_SCALE, z * KNOT_SCALE)


def tube_frames(points):
    """Parallel-transported frames along the closed curve, with the closing
    twist spread evenly so that the tube meets itself without a seam."""
    n = len(points)
    tangents = [norm(sub(points[(i + 1) % n], points[i - 1])) for i in range(n)]
    t0 = tangents[0]
    seed = (0.0, 0.0, 1.0) if abs(t0[2]) < 0.9 else (1.0, 0.0, 0.0)
    normals = [norm(sub(seed, mul(t0, dot(seed, t0))))]
    for i in range(1, n + 1):
        t = tangents[i % n]
        prev = normals[-1]
        normals.append(norm(sub(prev, mul(t, dot(prev, t)))))
    # Angle from the transported frame back to the starting one, about t0.
    back = normals[n]
    twist = math.atan2(dot(cross(back, normals[0]), t0), dot(back, normals[0]))
    frames = []
    for i in range(n):
        nrm = rotate(normals[i], tangents[i], twist * i / n)
        frames.append((tangents[i], nrm, cross(tangents[i], nrm)))
    return frames


def triangle_wave(x):
    """0 at even integers, 1 at odd ones, linear between: a seamless texture run."""
    f = x % 2.0
    return f if f <= 1.0 else 2.0 - f


def build_knot():
    points = [knot_centre(2.0 * math.pi * i / SEGMENTS) for i in range(SEGMENTS)]
    frames = tube_frames(points)
    verts, normals = [], []
    for i in range(SEGMENTS):
        _, n, b = frames[i]
        for j in range(SIDES):
            a = 2.0 * math.pi * j / SIDES
            out = add(mul(n, math.cos(a)), mul(b, math.sin(a)))
            normals.append(out)
            verts.append(add(points[i], mul(out, TUBE_RADIUS)))
    # Centre the box on the origin.
    lo = [min(v[k] for v in verts) for k in range(3)]
    hi = [max(v[k] for v in verts) for k in range(3)]
    mid = tuple((lo[k] + hi[k]) / 2.0 for k in range(3))
    verts = [sub(v, mid) for v in verts]

    texcoords, tex_index = [], {}

    def uv(i, j):
        u = round(triangle_wave(TEXTURE_LOBES * i / SEGMENTS), 5)
        # Around the tube: the sky part of the birds image, clear of the hills.
        v = round(0.04 + 0.60 * triangle_wave(2.0 * j / SIDES), 5)
        key = (u, v)
        if key not in tex_index:
            tex_index[key] = len(texcoords)
            texcoords.append(key)
        return tex_index[key]

    def corner(i, j):
        i %= SEGMENTS
        j %= SIDES
        index = i * SIDES + j
        return (index, uv(i, j), index)

    # Faces in file order, each with its material index. Corners run
    # counter-clockwise seen from outside the tube.
    faces = []
    for i in range(SEGMENTS):
        in_band = i % BAND_PERIOD < BAND_WIDTH
        band_material = 1 + (i // BAND_PERIOD) % 2
        for j in range(SIDES):
            a = corner(i, j)
            b = corner(i + 1, j)
            c = corner(i + 1, j + 1)
            d = corner(i, j + 1)
            if not in_band:
                faces.append((0, (a, d, c, b)))
            elif (i + j) % 2 == 0:
                faces.append((band_material, (a, d, c)))
                faces.append((band_material, (a, c, b)))
            else:
                faces.append((band_material, (a, d, b)))
                faces.append((band_material, (d, c, b)))
    return verts, texcoords, normals, faces


def number(x):
    text = "%.5f" % x
    return "0.00000" if text == "-0.00000" else text


def write_obj(directory, verts, texcoords, normals, faces):
    lines = [
        "# dravin demo model: a trefoil knot tube, made by tools/resources/make_resources.py",
        "o dravinKnot",
        "mtllib 1.mtl",
    ]
    lines += ["v %s %s %s" % tuple(number(c) for c in v) for v in verts]
    lines += ["vt %s %s" % (number(u), number(v)) for u, v in texcoords]
    lines += ["vn %s %s %s" % tuple(number(c) for c in n) for n in normals]
    current = None
    for material, corners in faces:
        if material != current:
            lines.append("usemtl " + MATERIALS[material][0])
            current = material
        lines.append("f " + " ".join("%d/%d/%d" % (v + 1, t + 1, n + 1) for v, t, n in corners))
    with open(os.path.join(directory, "1.obj"), "w", newline="\n") as f:
        f.write("\n".join(lines) + "\n")

    mtl = []
    for name, ns, ka, kd, ks in MATERIALS:
        mtl.append("newmtl " + name)
        mtl.append("Ns %s" % number(ns))
        mtl.append("Ka %s %s %s" % tuple(number(c) for c in ka))
        mtl.append("Kd %s %s %s" % tuple(number(c) for c in kd))
        mtl.append("Ks %s %s %s" % tuple(number(c) for c in ks))
        mtl.append("d 1.00000")
        mtl.append("illum 2")
    with open(os.path.join(directory, "1.mtl"), "w", newline="\n") as f:
        f.write("\n".join(mtl) + "\n")


def check_obj(directory):
    """Reads the model back as the scene's reader will and checks what the
    scene relies on. Returns a summary dict; raises on any fault."""
    verts, tex, normals, faces, materials_used = [], 0, [], [], set()
    with open(os.path.join(directory, "1.obj"), "rb") as f:
        data = f.read()
    assert data.endswith(b"\n") and b"\r" not in data
    for raw in data.decode("ascii").split("\n")[:-1]:
        assert 0 < len(raw) + 1 < 200, "line too long or empty"
        words = raw.split()
        kind = words[0]
        assert kind in ("#", "o", "mtllib", "v", "vt", "vn", "usemtl", "f"), raw
        if kind == "v":
            verts.append(tuple(float(w) for w in words[1:4]))
        elif kind == "vt":
            assert all(0.0 <= float(w) <= 1.0 for w in words[1:3])
            tex += 1
        elif kind == "vn":
            normals.append(tuple(float(w) for w in words[1:4]))
        elif kind == "usemtl":
            materials_used.add(raw[7:])
        elif kind == "f":
            assert len(words) in (4, 5)
            corners = [tuple(int(x) for x in w.split("/")) for w in words[1:]]
            assert all(len(c) == 3 for c in corners)
            faces.append(corners)
    assert materials_used == {m[0] for m in MATERIALS}

    # Indices in range; outward winding; every edge shared by exactly two
    # faces running it in opposite directions (closed, consistently wound).
    edges = {}
    quads = triangles = 0
    for corners in faces:
        for v, t, n in corners:
            assert 1 <= v <= len(verts) and 1 <= t <= tex and 1 <= n <= len(normals)
        a, b, c = (verts[corners[k][0] - 1] for k in range(3))
        face_normal = cross(sub(b, a), sub(c, a))
        for v, _, n in corners:
            assert dot(face_normal, normals[n - 1]) > 0.0, "face wound inward"
        for k in range(len(corners)):
            edge = (corners[k][0], corners[(k + 1) % len(corners)][0])
            assert edge not in edges, "edge used twice in one direction"
            edges[edge] = True
        quads += len(corners) == 4
        triangles += len(corners) == 3
    for a, b in edges:
        assert (b, a) in edges, "open edge"
    lo = [min(v[k] for v in verts) for k in range(3)]
    hi = [max(v[k] for v in verts) for k in range(3)]
    return {
        "v": len(verts),
        "vt": tex,
        "vn": len(normals),
        "f": len(faces),
        "quads": quads,
        "triangles": triangles,
        "box": (lo, hi),
    }


# ---------------------------------------------------------------- images

# Both scene textures are stretched over a tile 6.4 wide and 4.0 high, so the
# images are drawn in those units: shapes keep their proportions on screen.
TILE_W, TILE_H = 6.4, 4.0
SIZE = 512
PX_W, PX_H = TILE_W / SIZE, TILE_H / SIZE
# The leaves quads repeat every 5.8 units: the pattern repeats with that period.
LEAF_PERIOD = 5.8


def clamp01(x):
    return 0.0 if x < 0.0 else 1.0 if x > 1.0 else x


def smoothstep(e0, e1, x):
    t = clamp01((x - e0) / (e1 - e0))
    return t * t * (3.0 - 2.0 * t)


def mix(a, b, t):
    return tuple(a[k] + (b[k] - a[k]) * t for k in range(len(a)))


def hsv(h, s, v):
    h = (h % 360.0) / 60.0
    i = int(h)
    f = h - i
    p, q, t = v * (1 - s), v * (1 - s * f), v * (1 - s * (1 - f))
    return [(v, t, p), (q, v, p), (p, v, t), (p, q, v), (t, p, v), (v, p, q)][i % 6]


class Canvas:
    """Straight-alpha float canvas in tile units; 'over' compositing."""

    def __init__(self, background, alpha):
        n = SIZE * SIZE
        self.r = [background[0]] * n
        self.g = [background[1]] * n
        self.b = [background[2]] * n
        self.a = [alpha] * n

    def paint(self, box, shade, period_x=None, period_y=None):
        """box: (x0, y0, x1, y1) in tile units; shade(x, y) -> (r, g, b, a)
        or None. With periods, every copy that meets the tile is painted."""
        shifts_x = [0.0] if period_x is None else [-period_x, 0.0, period_x]
        shifts_y = [0.0] if period_y is None else [-period_y, 0.0, period_y]
        for dy in shifts_y:
            for dx in shifts_x:
                x0, y0, x1, y1 = box[0] + dx, box[1] + dy, box[2] + dx, box[3] + dy
                c0, c1 = max(0, int(x0 / PX_W)), min(SIZE - 1, int(x1 / PX_W) + 1)
                r0, r1 = max(0, int(y0 / PX_H)), min(SIZE - 1, int(y1 / PX_H) + 1)
                for row in range(r0, r1 + 1):
                    y = (row + 0.5) * PX_H - dy
                    base = row * SIZE
                    for col in range(c0, c1 + 1):
                        s = shade((col + 0.5) * PX_W - dx, y)
                        if s is None or s[3] <= 0.0:
                            continue
                        i = base + col
                        sa = s[3]
                        da = self.a[i] * (1.0 - sa)
                        oa = sa + da
                        self.r[i] = (s[0] * sa + self.r[i] * da) / oa
                        self.g[i] = (s[1] * sa + self.g[i] * da) / oa
                        self.b[i] = (s[2] * sa + self.b[i] * da) / oa
                        self.a[i] = oa

    def rgba(self):
        out = bytearray(SIZE * SIZE * 4)
        for i in range(SIZE * SIZE):
            out[4 * i] = int(clamp01(self.r[i]) * 255.0 + 0.5)
            out[4 * i + 1] = int(clamp01(self.g[i]) * 255.0 + 0.5)
            out[4 * i + 2] = int(clamp01(self.b[i]) * 255.0 + 0.5)
            out[4 * i + 3] = int(clamp01(self.a[i]) * 255.0 + 0.5)
        return out


EDGE = 0.011  # soft edge width in tile units, a little over one pixel


def leaf_shader(base, direction, length, width, colour, light_side):
    ux, uy = direction
    px, py = -uy, ux  # across the leaf
    peak_s = 0.55 / (0.55 + 0.95)
    peak = peak_s**0.55 * (1.0 - peak_s) ** 0.95
    veins = 5 + int(length * 6)

    def half_width(s):
        if s <= 0.0 or s >= 1.0:
            return 0.0
        return 0.5 * width * (s**0.55) * ((1.0 - s) ** 0.95) / peak

    def shade(x, y):
        dx, dy = x - base[0], y - base[1]
        along = dx * ux + dy * uy
        across = dx * px + dy * py
        s = along / length
        if s < -0.02 or s > 1.02:
            return None
        h = half_width(clamp01(s))
        d = h - abs(across)
        # Tips: fade along the axis as well so the points stay soft.
        d = min(d, along + 0.004, length - along + 0.004)
        alpha = clamp01(d / EDGE + 0.5)
        if alpha <= 0.0:
            return None
        c = colour
        # One half catches more light than the other.
        if (across > 0.0) == light_side:
            c = mix(c, (1.0, 1.0, 0.85), 0.12)
        else:
            c = mix(c, (0.0, 0.08, 0.0), 0.12)
        c = mix(c, (0.95, 0.95, 0.55), 0.18 * clamp01(s))  # paler toward the tip
        rel = abs(across) / max(h, 1e-6)
        # Midrib, thinning toward the tip.
        rib = 0.012 * (1.0 - 0.7 * clamp01(s))
        vein = 1.0 - smoothstep(rib * 0.5, rib, abs(across))
        # Side veins sweep from the midrib toward the tip.
        phase = (s - 0.35 * rel * width / length) * veins
        f = phase - math.floor(phase)
        side = (1.0 - smoothstep(0.0, 0.12, min(f, 1.0 - f))) * (1.0 - smoothstep(0.6, 0.95, rel))
        side *= smoothstep(0.05, 0.15, s) * (1.0 - smoothstep(0.85, 0.97, s))
        vein = max(vein, 0.7 * side)
        c = mix(c, (0.93, 0.95, 0.62), 0.55 * vein)
        c = mix(c, (0.05, 0.15, 0.02), 0.35 * (1.0 - smoothstep(0.0, 0.03, d)))  # dark rim
        return (c[0], c[1], c[2], alpha)

    corners = [(base[0] + ux * a + px * b, base[1] + uy * a + py * b)
               for a in (-0.02, length + 0.02) for b in (-0.5 * width - 0.02, 0.5 * width + 0.02)]
    box = (min(c[0] for c in corners), min(c[1] for c in corners), max(c[0] for c in corners),
           max(c[1] for c in corners))
    return box, shade


def stroke_shader(p0, p1, width, colour):
    """A round-ended line segment."""
    vx, vy = p1[0] - p0[0], p1[1] - p0[1]
    ll = vx * vx + vy * vy

    def shade(x, y):
        t = clamp01(((x - p0[0]) * vx + (y - p0[1]) * vy) / ll)
        qx, qy = p0[0] + vx * t - x, p0[1] + vy * t - y
        d = 0.5 * width - math.sqrt(qx * qx + qy * qy)
        alpha = clamp01(d / EDGE + 0.5)
        return None if alpha <= 0.0 else (colour[0], colour[1], colour[2], alpha)

    pad = width
    box = (min(p0[0], p1[0]) - pad, min(p0[1], p1[1]) - pad, max(p0[0], p1[0]) + pad,
           max(p0[1], p1[1]) + pad)
    return box, shade


def leaf_colour(rng):
    if rng.random() < 0.2:
        return hsv(rng.uniform(48.0, 62.0), rng.uniform(0.65, 0.85), rng.uniform(0.75, 0.92))
    return hsv(rng.uniform(78.0, 135.0), rng.uniform(0.55, 0.85), rng.uniform(0.42, 0.78))


def make_leaves():
    rng = random.Random(20240611)
    canvas = Canvas((0.30, 0.45, 0.15), 0.0)
    # Twig starts on a jittered grid over one period of the pattern, so the
    # leaves spread evenly and no part of the silhouette stays bare for long.
    cols, rows = 9, 6
    for gy in range(rows):
        for gx in range(cols):
            start = ((gx + rng.uniform(0.1, 0.9)) * LEAF_PERIOD / cols,
                     (gy + rng.uniform(0.1, 0.9)) * TILE_H / rows)
            angle = rng.uniform(0.0, 2.0 * math.pi)
            bend = rng.uniform(-0.5, 0.5)
            twig_length = rng.uniform(0.6, 0.9)
            steps = 8
            points = [start]
            heading = angle
            for _ in range(steps):
                heading += bend / steps
                last = points[-1]
                points.append((last[0] + math.cos(heading) * twig_length / steps,
                               last[1] + math.sin(heading) * twig_length / steps))
            bark = hsv(rng.uniform(20.0, 35.0), 0.55, rng.uniform(0.30, 0.42))
            for k in range(steps):
                w = 0.026 - 0.012 * k / steps
                box, shade = stroke_shader(points[k], points[k + 1], w, bark)
                canvas.paint(box, shade, LEAF_PERIOD, TILE_H)
            # Leaves alternate along the twig and end with one at its tip.
            side = 1.0 if rng.random() < 0.5 else -1.0
            for k in range(2, steps + 1):
                p = points[k]
                q = points[min(k + 1, steps)] if k < steps else points[k]
                h = math.atan2(q[1] - points[k - 1][1], q[0] - points[k - 1][0])
                if k == steps:
                    leaf_dir = h + rng.uniform(-0.15, 0.15)
                else:
                    leaf_dir = h + side * rng.uniform(0.6, 0.95)
                length = rng.uniform(0.22, 0.32)
                width = length * rng.uniform(0.42, 0.56)
                d = (math.cos(leaf_dir), math.sin(leaf_dir))
                stalk_end = (p[0] + d[0] * 0.05, p[1] + d[1] * 0.05)
                box, shade = stroke_shader(p, stalk_end, 0.012, bark)
                canvas.paint(box, shade, LEAF_PERIOD, TILE_H)
                box, shade = leaf_shader(stalk_end, d, length, width, leaf_colour(rng),
                                         rng.random() < 0.5)
                canvas.paint(box, shade, LEAF_PERIOD, TILE_H)
                side = -side
    return canvas.rgba()


def make_birds():
    rng = random.Random(1851)
    canvas = Canvas((0.0, 0.0, 0.0), 1.0)
    sun = (2.1, 2.85)  # low in the sky
    top = (0.10, 0.20, 0.45)
    middle = (0.38, 0.52, 0.78)
    horizon = (0.98, 0.78, 0.55)
    for row in range(SIZE):
        y = (row + 0.5) * PX_H
        h = y / TILE_H
        sky = mix(top, middle, smoothstep(0.0, 0.55, h))
        sky = mix(sky, horizon, smoothstep(0.45, 1.0, h))
        for col in range(SIZE):
            x = (col + 0.5) * PX_W
            d = math.hypot(x - sun[0], y - sun[1])
            glow = math.exp(-d * d / 0.9) * 0.45
            c = mix(sky, (1.0, 0.92, 0.70), glow)
            disc = 1.0 - smoothstep(0.26, 0.28, d)
            c = mix(c, (1.0, 0.96, 0.82), disc)
            i = row * SIZE + col
            canvas.r[i], canvas.g[i], canvas.b[i] = c

    # Long soft clouds across the sky.
    for _ in range(9):
        cx, cy = rng.uniform(0.0, TILE_W), rng.uniform(0.5, 2.9)
        rx, ry = rng.uniform(0.6, 1.4), rng.uniform(0.05, 0.11)
        tint = mix((1.0, 0.85, 0.80), (0.95, 0.95, 1.0), cy / TILE_H)

        def cloud(x, y, cx=cx, cy=cy, rx=rx, ry=ry, tint=tint):
            e = ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2
            a = 0.45 * math.exp(-2.5 * e)
            return None if a < 0.004 else (tint[0], tint[1], tint[2], a)

        canvas.paint((cx - 2.2 * rx, cy - 2.2 * ry, cx + 2.2 * rx, cy + 2.2 * ry), cloud)

    # Two ranges of hills along the bottom.
    for depth, colour, base_y, amp in ((0, (0.36, 0.30, 0.45), 3.45, 0.22),
                                       (1, (0.16, 0.13, 0.24), 3.70, 0.16)):
        phases = [rng.uniform(0.0, 2.0 * math.pi) for _ in range(3)]

        def hills(x, y, colour=colour, base_y=base_y, amp=amp, phases=phases):
            ridge = base_y - amp * (0.6 * math.sin(x * 0.9 + phases[0]) +
                                    0.3 * math.sin(x * 2.3 + phases[1]) +
                                    0.1 * math.sin(x * 5.1 + phases[2]))
            a = clamp01((y - ridge) / PX_H + 0.5)
            return None if a <= 0.0 else (colour[0], colour[1], colour[2], a)

        canvas.paint((0.0, base_y - 2.0 * amp, TILE_W, TILE_H), hills)

    # The flock: a loose V with stragglers.
    birds = []
    lead = (3.6, 1.15)
    for k in range(11):
        arm = 1 if k % 2 else -1
        rank = (k + 1) // 2
        birds.append((lead[0] + arm * rank * 0.42 + rng.uniform(-0.05, 0.05),
                      lead[1] + rank * 0.2 + rng.uniform(-0.04, 0.04), rng.uniform(0.28, 0.36)))
    for _ in range(6):
        birds.append((rng.uniform(0.4, 6.0), rng.uniform(0.4, 2.6), rng.uniform(0.14, 0.22)))
    for cx, cy, span in birds:
        lift = rng.uniform(0.12, 0.24)
        ink = (0.10, 0.09, 0.16)

        def bird(x, y, cx=cx, cy=cy, span=span, lift=lift, ink=ink):
            u = abs(x - cx) / (0.5 * span)
            if u > 1.0:
                return None
            centre = cy - span * (lift * math.sin(math.pi * u**0.8) - 0.10 * u)
            thick = span * (0.075 * (1.0 - u) ** 0.6 + 0.01)
            body = 0.05 * span * max(0.0, 1.0 - u * 6.0)
            d = 0.5 * thick + body - abs(y - centre)
            a = clamp01(d / (0.6 * EDGE) + 0.5)
            return None if a <= 0.0 else (ink[0], ink[1], ink[2], a)

        canvas.paint((cx - span, cy - span, cx + span, cy + span), bird)
    return canvas.rgba()


def make_checker():
    size, square = 64, 8
    out = bytearray()
    for y in range(size):
        for x in range(size):
            light = ((x // square) + (y // square)) % 2 == 0
            out += bytes((208, 208, 212, 255)) if light else bytes((92, 96, 112, 255))
    return size, out


# ---------------------------------------------------------------- main


def generate(directory):
    os.makedirs(directory, exist_ok=True)
    verts, texcoords, normals, faces = build_knot()
    write_obj(directory, verts, texcoords, normals, faces)
    summary = check_obj(directory)
    write_png(os.path.join(directory, "dravinLeaves.png"), SIZE, SIZE, make_leaves())
    write_png(os.path.join(directory, "dravinBirds.png"), SIZE, SIZE, make_birds())
    size, checker = make_checker()
    write_tiff(os.path.join(directory, "default.tif"), size, size, checker)
    return summary


OUTPUTS = ("1.obj", "1.mtl", "dravinLeaves.png", "dravinBirds.png", "default.tif")


def check_committed(directory):
    """Makes everything afresh in a scratch directory and compares it with
    the files in directory: the committed files must be what this makes."""
    import tempfile

    def content(path):
        if not os.path.exists(path):
            return None
        with open(path, "rb") as f:
            data = f.read()
        if not path.endswith(".png"):
            return data
        # Compare PNGs by header and pixels: another zlib may pack them differently.
        pos, kept, idat = 8, b"", b""
        while pos < len(data):
            (length,) = struct.unpack(">I", data[pos:pos + 4])
            kind, body = data[pos + 4:pos + 8], data[pos + 8:pos + 8 + length]
            if kind == b"IDAT":
                idat += body
            else:
                kept += kind + body
            pos += 12 + length
        return kept + zlib.decompress(idat)

    with tempfile.TemporaryDirectory() as scratch:
        generate(scratch)
        stale = [name for name in OUTPUTS
                 if content(os.path.join(scratch, name)) != content(os.path.join(directory, name))]
    for name in stale:
        print("out of date:", os.path.join(directory, name))
    return not stale


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    args = argv[1:]
    checking = bool(args) and args[0] == "--check"
    if checking:
        args = args[1:]
    directory = args[0] if args else os.path.join(here, "..", "..", "resources")
    if checking:
        return 0 if check_committed(directory) else 1

    summary = generate(directory)
    lo, hi = summary["box"]
    print("1.obj: v %d, vt %d, vn %d, f %d (%d quads, %d triangles)" %
          (summary["v"], summary["vt"], summary["vn"], summary["f"], summary["quads"],
           summary["triangles"]))
    print("1.obj: box (%.3f, %.3f, %.3f) to (%.3f, %.3f, %.3f)" % (*lo, *hi))
    print("written to", os.path.normpath(directory))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
