"""A small anti-aliased vector painter that writes PNG files, standard library only.

Shapes are polygons in pixel coordinates (y grows downwards, pixel (i, j) covers the
square from (i, j) to (i + 1, j + 1)). Coverage is exact along each of SUBROWS sub-rows
per pixel row, which gives smooth edges without blurring straight, pixel-aligned ones.
"""

import math
import struct
import zlib

SUBROWS = 16


# ---------------------------------------------------------------- colours

def rgb(spec, alpha=1.0):
    """'#rrggbb' or an (r, g, b) tuple in 0..255 -> (r, g, b, a) in 0..1."""
    if isinstance(spec, str):
        spec = spec.lstrip('#')
        spec = tuple(int(spec[i:i + 2], 16) for i in (0, 2, 4))
    return (spec[0] / 255.0, spec[1] / 255.0, spec[2] / 255.0, alpha)


def mix(a, b, t):
    """Blend two colours of rgb(): t = 0 gives a, t = 1 gives b."""
    return tuple(x + (y - x) * t for x, y in zip(a, b))


# ---------------------------------------------------------------- geometry

def signed_area(poly):
    return 0.5 * sum(x0 * y1 - x1 * y0
                     for (x0, y0), (x1, y1) in zip(poly, poly[1:] + poly[:1]))


def positive(poly):
    """The polygon turned so that overlapping parts of a union add up."""
    return poly if signed_area(poly) >= 0 else poly[::-1]


def ellipse(cx, cy, rx, ry, rot=0.0, n=None):
    if n is None:
        n = max(12, int(2 * math.pi * max(rx, ry) * 2))
    c, s = math.cos(rot), math.sin(rot)
    pts = []
    for i in range(n):
        t = 2 * math.pi * i / n
        x, y = rx * math.cos(t), ry * math.sin(t)
        pts.append((cx + x * c - y * s, cy + x * s + y * c))
    return pts


def circle(cx, cy, r):
    return ellipse(cx, cy, r, r)


def _bezier(p0, p1, p2, p3, steps):
    out = []
    for i in range(1, steps + 1):
        t = i / steps
        u = 1 - t
        out.append((u * u * u * p0[0] + 3 * u * u * t * p1[0] + 3 * u * t * t * p2[0] + t * t * t * p3[0],
                    u * u * u * p0[1] + 3 * u * u * t * p1[1] + 3 * u * t * t * p2[1] + t * t * t * p3[1]))
    return out


def path(d, steps=20):
    """Path data with absolute M, L, C, Q and Z commands -> a list of point lists."""
    tokens = d.replace(',', ' ').split()
    subpaths, current, i, cmd = [], [], 0, None
    pos = (0.0, 0.0)

    def take(k):
        nonlocal i
        vals = [float(v) for v in tokens[i:i + k]]
        i += k
        return [(vals[j], vals[j + 1]) for j in range(0, k, 2)]

    while i < len(tokens):
        if tokens[i].isalpha():
            cmd = tokens[i]
            i += 1
            if cmd == 'Z':
                if current:
                    subpaths.append(current)
                current = []
                continue
        if cmd == 'M':
            if current:
                subpaths.append(current)
            (pos,) = take(2)
            current = [pos]
            cmd = 'L'
        elif cmd == 'L':
            (pos,) = take(2)
            current.append(pos)
        elif cmd == 'C':
            c1, c2, end = take(6)
            current += _bezier(pos, c1, c2, end, steps)
            pos = end
        elif cmd == 'Q':
            c, end = take(4)
            c1 = (pos[0] + 2 / 3 * (c[0] - pos[0]), pos[1] + 2 / 3 * (c[1] - pos[1]))
            c2 = (end[0] + 2 / 3 * (c[0] - end[0]), end[1] + 2 / 3 * (c[1] - end[1]))
            current += _bezier(pos, c1, c2, end, steps)
            pos = end
        else:
            raise ValueError('unsupported path command %r' % cmd)
    if current:
        subpaths.append(current)
    return subpaths


def line(d, steps=20):
    """The points of a single open path, for strokes."""
    return path(d, steps)[0]


def brush(pts, width, taper=(0.0, 0.0)):
    """A round-ended stroke along the points, as a union of polygons.

    width is a number or a function of t in 0..1 along the stroke's length; taper narrows
    the first and last fraction of the length down to a point, as a pen lifts off."""
    lengths = [0.0]
    for (x0, y0), (x1, y1) in zip(pts, pts[1:]):
        lengths.append(lengths[-1] + math.hypot(x1 - x0, y1 - y0))
    total = lengths[-1] or 1.0

    def w_at(t):
        w = width(t) if callable(width) else width
        if taper[0] and t < taper[0]:
            w *= 0.25 + 0.75 * t / taper[0]
        if taper[1] and t > 1 - taper[1]:
            w *= 0.25 + 0.75 * (1 - t) / taper[1]
        return w

    radii = [w_at(s / total) / 2 for s in lengths]
    polys = [positive(circle(x, y, r)) for (x, y), r in zip(pts, radii) if r > 0.05]
    for (p0, r0), (p1, r1) in zip(zip(pts, radii), zip(pts[1:], radii[1:])):
        dx, dy = p1[0] - p0[0], p1[1] - p0[1]
        d = math.hypot(dx, dy)
        if d < 1e-9:
            continue
        nx, ny = -dy / d, dx / d
        polys.append(positive([(p0[0] + nx * r0, p0[1] + ny * r0), (p1[0] + nx * r1, p1[1] + ny * r1),
                               (p1[0] - nx * r1, p1[1] - ny * r1), (p0[0] - nx * r0, p0[1] - ny * r0)]))
    return polys


# ---------------------------------------------------------------- coverage

def coverage(polys, w, h, evenodd=False):
    """Fraction of each pixel covered: (x0, y0, cols, rows, values) over the bounding box."""
    edges = []
    for poly in polys:
        for (x0, y0), (x1, y1) in zip(poly, poly[1:] + poly[:1]):
            if y0 == y1:
                continue
            direction = 1 if y1 > y0 else -1
            if y0 > y1:
                x0, y0, x1, y1 = x1, y1, x0, y0
            edges.append((y0, y1, x0, (x1 - x0) / (y1 - y0), direction))
    if not edges:
        return 0, 0, 0, 0, []
    xs = [x for poly in polys for x, _ in poly]
    bx0 = max(0, int(math.floor(min(xs))))
    bx1 = min(w, int(math.ceil(max(xs))) + 1)
    by0 = max(0, int(math.floor(min(e[0] for e in edges))))
    by1 = min(h, int(math.ceil(max(e[1] for e in edges))) + 1)
    cols, rows = bx1 - bx0, by1 - by0
    if cols <= 0 or rows <= 0:
        return 0, 0, 0, 0, []
    edges.sort()
    values = [0.0] * (cols * rows)
    weight = 1.0 / SUBROWS
    active, nxt = [], 0
    for row in range(rows):
        acc = [0.0] * (cols + 1)
        diff = [0.0] * (cols + 1)
        for sub in range(SUBROWS):
            y = by0 + row + (sub + 0.5) / SUBROWS
            while nxt < len(edges) and edges[nxt][0] <= y:
                active.append(edges[nxt])
                nxt += 1
            active = [e for e in active if e[1] > y]
            crossings = sorted((e[2] + (y - e[0]) * e[3], e[4]) for e in active if e[0] <= y)
            wind, start = 0, 0.0
            for x, direction in crossings:
                before = wind
                wind = (wind + 1) % 2 if evenodd else wind + direction
                if before == 0 and wind != 0:
                    start = x
                elif before != 0 and wind == 0:
                    _span(acc, diff, start - bx0, x - bx0, cols, weight)
        run = 0.0
        base = row * cols
        for c in range(cols):
            run += diff[c]
            values[base + c] = min(1.0, acc[c] + run)
    return bx0, by0, cols, rows, values


def _span(acc, diff, xa, xb, cols, weight):
    xa, xb = max(0.0, xa), min(float(cols), xb)
    if xb <= xa:
        return
    ia, ib = int(xa), int(xb)
    if ia == ib:
        acc[ia] += (xb - xa) * weight
        return
    acc[ia] += (ia + 1 - xa) * weight
    diff[ia + 1] += weight
    diff[ib] -= weight
    if ib < cols:
        acc[ib] += (xb - ib) * weight


# ---------------------------------------------------------------- canvas

class Canvas:
    """Premultiplied RGBA pixels in 0..1; shapes are composited 'over' what is there."""

    def __init__(self, w, h, background=None):
        self.w, self.h = w, h
        fill = background if background else (0.0, 0.0, 0.0, 0.0)
        r, g, b, a = fill
        self.px = [[r * a, g * a, b * a, a] for _ in range(w * h)]

    def paint(self, polys, colour, clip=None, opacity=1.0, evenodd=False):
        """Fill the union of the polygons. colour is rgb() or a function (x, y) -> rgb();
        clip limits the fill to a further list of polygons or to a mask()."""
        x0, y0, cols, rows, cov = coverage(polys, self.w, self.h, evenodd)
        if clip is not None:
            clip_cov = clip if callable(clip) else self.mask(clip)
        for r in range(rows):
            y = y0 + r
            for c in range(cols):
                a = cov[r * cols + c] * opacity
                if a <= 0.0:
                    continue
                x = x0 + c
                if clip is not None:
                    a *= clip_cov(x, y)
                    if a <= 0.0:
                        continue
                cr, cg, cb, ca = colour(x + 0.5, y + 0.5) if callable(colour) else colour
                a *= ca
                p = self.px[y * self.w + x]
                k = 1.0 - a
                p[0] = cr * a + p[0] * k
                p[1] = cg * a + p[1] * k
                p[2] = cb * a + p[2] * k
                p[3] = a + p[3] * k

    def mask(self, polys):
        """The coverage of the polygons as a function (x, y) -> 0..1, to clip many fills."""
        x0, y0, cols, rows, values = coverage(polys, self.w, self.h)

        def at(x, y):
            if x0 <= x < x0 + cols and y0 <= y < y0 + rows:
                return values[(y - y0) * cols + (x - x0)]
            return 0.0
        return at

    def rgba_bytes(self):
        out = bytearray()
        for r, g, b, a in self.px:
            if a <= 0.0:
                out += b'\0\0\0\0'
            else:
                out += bytes(min(255, int(round(v / a * 255))) for v in (r, g, b))
                out.append(min(255, int(round(a * 255))))
        return bytes(out)

    def save(self, filename):
        write_png(filename, self.w, self.h, self.rgba_bytes())


# ---------------------------------------------------------------- PNG files

def _chunk(kind, data):
    return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data) & 0xffffffff)


def write_png(filename, w, h, rgba):
    """An 8-bit RGBA PNG."""
    rows = b''.join(b'\0' + rgba[y * w * 4:(y + 1) * w * 4] for y in range(h))
    _write(filename, struct.pack('>IIBBBBB', w, h, 8, 6, 0, 0, 0), [], rows)


def write_indexed_png(filename, w, h, indices, palette):
    """A palette PNG; palette entries are (r, g, b, a) in 0..255."""
    rows = b''.join(b'\0' + bytes(indices[y * w:(y + 1) * w]) for y in range(h))
    extra = [_chunk(b'PLTE', b''.join(bytes(p[:3]) for p in palette)),
             _chunk(b'tRNS', bytes(p[3] for p in palette))]
    _write(filename, struct.pack('>IIBBBBB', w, h, 8, 3, 0, 0, 0), extra, rows)


def _write(filename, header, extra, rows):
    with open(filename, 'wb') as f:
        f.write(b'\x89PNG\r\n\x1a\n')
        f.write(_chunk(b'IHDR', header))
        for chunk in extra:
            f.write(chunk)
        f.write(_chunk(b'IDAT', zlib.compress(rows, 9)))
        f.write(_chunk(b'IEND', b''))
