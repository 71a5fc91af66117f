#!/usr/bin/env python3
"""Draws Korvale's pictures into this folder: python3 draw.py

The images are committed; the build only reads them through korvale.qrc. Standard
library only, except that the one JPEG is encoded by ImageMagick's convert.
"""

import math
import os
import random
import subprocess
import sys

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from raster import (Canvas, brush, circle, ellipse, line, mix, path, rgb,  # noqa: E402
                    write_indexed_png, write_png)

HERE = os.path.dirname(os.path.abspath(__file__))
CONVERT = '/usr/bin/convert'


# ---------------------------------------------------------------- the info figure
#
# A one-eyed little fellow with an antenna, drawn in the 36 x 43 pixel space of the info
# button; the line drawing of the info window reuses the same outline, scaled up.

CX = 17.5


def egg(cx, cy, rx, ry, bulge=0.07, n=72):
    """Rounder and a little wider at the bottom than at the top."""
    pts = []
    for i in range(n):
        t = 2 * math.pi * i / n
        pts.append((cx + rx * math.cos(t) * (1 + bulge * math.sin(t)), cy + ry * math.sin(t)))
    return pts


BODY = dict(cx=CX, cy=21.0, rx=12.6, ry=14.6)
EYE = dict(cx=CX, cy=16.6, rx=6.9, ry=6.4)
ANTENNA = 'M 17.2 7.0 C 17.0 4.6 18.4 3.0 21.0 2.6'
ANTENNA_BALL = (21.9, 2.5, 1.9)
ARMS = ['M 6.4 22.0 C 3.8 22.8 2.4 25.0 2.1 28.2',
        'M 28.6 22.0 C 31.2 22.8 32.6 25.0 32.9 28.2']
LEGS = ['M 13.2 34.0 L 12.8 39.6', 'M 21.8 34.0 L 22.2 39.6']
FEET = [(11.4, 40.7, 3.3, 1.9), (23.6, 40.7, 3.3, 1.9)]
MOUTH = 'M 14.2 27.2 Q 17.5 30.0 20.8 27.2'


ORANGE = dict(fill=rgb('#f5841f'), shade=rgb('#cf5a0c'), light=rgb('#ffc27a'),
              line=rgb('#5a2204'), lid=rgb('#e36f14'))
YELLOW = dict(fill=rgb('#ffd42a'), shade=rgb('#e3a508'), light=rgb('#fff4a8'),
              line=rgb('#5e4200'), lid=rgb('#f2bd10'))


def info_figure(colours, eye_open, width):
    cv = Canvas(width, 43)
    ln, fill = colours['line'], colours['fill']

    # limbs and antenna first: the body overlaps their roots
    for d in LEGS:
        cv.paint(brush(line(d), 3.4), ln)
        cv.paint(brush(line(d), 1.6), colours['shade'])
    for fx, fy, rx, ry in FEET:
        cv.paint([ellipse(fx, fy, rx, ry)], ln)
        cv.paint([ellipse(fx, fy - 0.2, rx - 1.0, ry - 0.9)], colours['shade'])
    for d in ARMS:
        cv.paint(brush(line(d), 3.2), ln)
        cv.paint(brush(line(d), 1.5), fill)
    cv.paint(brush(line(ANTENNA), 1.3), ln)
    bx, by, br = ANTENNA_BALL
    cv.paint([circle(bx, by, br)], ln)
    cv.paint([circle(bx - 0.1, by + 0.1, br - 0.9)], colours['light'])

    # body: outline, fill, a shadow on the lower right and a shine on the upper left
    b = BODY
    cv.paint([egg(b['cx'], b['cy'], b['rx'], b['ry'])], ln)
    inner = [egg(b['cx'], b['cy'], b['rx'] - 1.15, b['ry'] - 1.15)]
    cv.paint(inner, colours['shade'])
    cv.paint([egg(b['cx'] - 2.6, b['cy'] - 2.4, b['rx'] - 1.0, b['ry'] - 0.8)], fill, clip=inner)
    cv.paint(brush(line('M 8.6 19.0 C 8.6 14.0 10.6 10.6 13.6 9.0'), 2.0, taper=(0.3, 0.3)),
             colours['light'], clip=inner)

    # the eye
    e = EYE
    cv.paint([ellipse(e['cx'], e['cy'], e['rx'] + 1.1, e['ry'] + 1.1)], ln)
    white = [ellipse(e['cx'], e['cy'], e['rx'], e['ry'])]
    if eye_open:
        cv.paint(white, rgb('#cfd8e3'))
        cv.paint([ellipse(e['cx'] - 0.8, e['cy'] - 1.2, e['rx'] - 0.4, e['ry'] - 0.6)], rgb('#ffffff'), clip=white)
        cv.paint([circle(CX + 0.6, 17.4, 3.5)], rgb('#2f7fd6'))
        cv.paint([circle(CX + 0.6, 17.4, 1.9)], rgb('#101018'))
        cv.paint([circle(CX - 0.7, 15.9, 0.95)], rgb('#ffffff'))
    else:
        # a drowsy lid: the eyeball is covered, the lid's edge curves down across it
        cv.paint(white, colours['shade'])
        lid = path('M 9.0 17.4 Q 17.5 25.0 26.0 17.4 L 26.0 8.0 L 9.0 8.0 Z')
        cv.paint(lid, colours['lid'], clip=white)
        cv.paint([ellipse(e['cx'] - 1.2, e['cy'] - 2.4, e['rx'] - 2.6, e['ry'] - 3.6)],
                 colours['light'], clip=white, opacity=0.55)
        cv.paint(brush(line('M 10.6 17.2 Q 17.5 24.0 24.4 17.2'), 1.45), ln)

    cv.paint(brush(line(MOUTH), 1.2), ln)
    return cv


def info_rest():
    info_figure(ORANGE, eye_open=False, width=36).save(os.path.join(HERE, 'info_rest.png'))


def info_hover():
    info_figure(YELLOW, eye_open=True, width=35).save(os.path.join(HERE, 'info_hover.png'))


# ---------------------------------------------------------------- the exit cross
#
# Two quick strokes of a felt pen: each lands broad, and thins out where the pen lifts
# off with a little flick; the second is drawn over the first. Faint streaks along the
# strokes show the pen's grain.

CROSS_STROKES = [
    'M 7.0 7.0 C 12.5 10.5 16.5 16.0 21.5 22.0 C 25.5 27.0 29.5 31.5 34.0 34.5 Q 35.0 35.1 35.8 34.7',
    'M 32.5 5.5 C 28.5 10.0 24.0 14.0 19.5 20.5 C 15.5 26.5 11.5 31.0 6.5 35.5 Q 5.6 36.2 4.6 36.0',
]


def offset(pts, dist):
    """The points moved sideways along the line's normal."""
    out = []
    for k, (x, y) in enumerate(pts):
        (ax, ay), (bx, by) = pts[max(0, k - 1)], pts[min(len(pts) - 1, k + 1)]
        d = math.hypot(bx - ax, by - ay) or 1.0
        out.append((x - (by - ay) / d * dist, y + (bx - ax) / d * dist))
    return out


def exit_cross():
    cv = Canvas(40, 41)
    red, dark, light = rgb('#dc1f1b'), rgb('#7a0a08'), rgb('#ff7a66')
    for i, d in enumerate(CROSS_STROKES):
        pts = line(d, 40)

        def width(t, extra=0.0):
            return extra + (5.6 + 1.0 * math.sin(math.pi * min(1.0, t * 1.6))) * (1.0 - 0.72 * t ** 2.2)
        cv.paint(brush(pts, lambda t: width(t, 1.3), taper=(0.05, 0.0)), dark)
        body = brush(pts, width, taper=(0.05, 0.0))
        cv.paint(body, red)
        cv.paint(brush(offset(pts, -1.3), 1.0, taper=(0.1, 0.5)), light, clip=body, opacity=0.8)
        cv.paint(brush(offset(pts, 1.6), 0.8, taper=(0.3, 0.5)), dark, clip=body, opacity=0.35)
    cv.save(os.path.join(HERE, 'exit.png'))


# ---------------------------------------------------------------- the window icon
#
# The head of a black, shaggy creature peering out of its fur with two big white eyes.
# The fur is random but seeded, so every run draws the same head.

HEAD = (50.0, 55.0, 37.0, 35.0)


def fur_outline(rng):
    """The head's edge: a ring of curved tufts of uneven width, a mop on top and a ragged
    beard hanging down."""
    cx, cy, rx, ry = HEAD
    def base(a):
        return cx + (rx - 1.5) * math.cos(a), cy + (ry - 1.5) * math.sin(a)

    pts, a0 = [], -math.pi / 2
    while a0 < 1.5 * math.pi - 0.05:
        step = min(rng.uniform(0.12, 0.2), 1.5 * math.pi - a0)
        a1 = a0 + step
        mid = (a0 + a1) / 2
        up, down = max(0.0, -math.sin(mid)), max(0.0, math.sin(mid))
        length = 5.0 + 4.0 * up + 3.0 * down + rng.uniform(-1.5, 2.5)
        # hair hangs: tips lean towards the bottom of the head
        lean = 0.18 * math.cos(mid) * (1.0 if down or up < 0.5 else -0.3) + rng.uniform(-0.06, 0.06)
        tip_a = mid + lean
        tip = (cx + (rx + length) * math.cos(tip_a), cy + (ry + length) * math.sin(tip_a))
        half = (cx + (rx + length * 0.55) * math.cos(mid + lean * 0.4),
                cy + (ry + length * 0.55) * math.sin(mid + lean * 0.4))
        pts += [base(a0), ((base(a0)[0] + half[0]) / 2 + 0.6 * (half[0] - tip[0]), (base(a0)[1] + half[1]) / 2),
                tip, half, base(a1)]
        a0 = a1
    return pts


def fur_strand(rng, light):
    """One lock of hair inside the head, pointing away from its middle."""
    cx, cy, rx, ry = HEAD
    a = rng.uniform(0, 2 * math.pi)
    u = math.sqrt(rng.uniform(0.04, 1.0))
    x, y = cx + rx * u * math.cos(a), cy + ry * u * math.sin(a)
    heading = a + rng.uniform(-0.5, 0.5)
    length = rng.uniform(5.0, 10.0)
    bend = rng.uniform(-0.4, 0.4)
    pts = []
    for k in range(8):
        t = k / 7
        h = heading + bend * t
        pts.append((x + math.cos(h) * length * t, y + math.sin(h) * length * t))
    # lighter on the upper left, where the light comes from
    lit = max(0.0, -(math.cos(a) + math.sin(a)) / math.sqrt(2)) * u
    colour = mix(rgb('#1a1a1c'), light, min(1.0, 0.35 + 0.65 * lit * rng.uniform(0.6, 1.2)))
    return pts, colour


def korvale_icon():
    rng = random.Random(7)
    cv = Canvas(100, 100)
    ears = [path('M 22.0 36.0 Q 17.0 20.0 14.5 6.5 Q 20.5 14.0 29.0 19.0 Q 31.0 22.0 34.0 24.0 Z')[0],
            path('M 78.0 36.0 Q 83.0 20.0 85.5 6.5 Q 79.5 14.0 71.0 19.0 Q 69.0 22.0 66.0 24.0 Z')[0]]
    outline = [fur_outline(rng)] + ears
    cv.paint(outline, rgb('#0e0e10'))
    for ear in (path('M 22.5 30.0 Q 19.5 20.0 17.8 12.0 Q 22.0 17.0 27.5 21.5 Z'),
                path('M 77.5 30.0 Q 80.5 20.0 82.2 12.0 Q 78.0 17.0 72.5 21.5 Z')):
        cv.paint(ear, rgb('#3a2228'))
    # ragged hair along the ears' outer edges
    for ear, side in zip(ears, (-1, 1)):
        for k in range(4, 18, 2):
            x, y = ear[k]
            pts = line('M %.2f %.2f Q %.2f %.2f %.2f %.2f' % (
                x - side * 1.5, y + 1.5, x + side * 1.2, y - 0.5, x + side * rng.uniform(2.5, 4.0), y - rng.uniform(1.5, 3.0)))
            cv.paint(brush(pts, 1.6, taper=(0.0, 0.8)), rgb('#0e0e10'))
    head = cv.mask(outline)
    light = rgb('#56565c')
    for _ in range(260):
        pts, colour = fur_strand(rng, light)
        cv.paint(brush(pts, rng.uniform(0.9, 1.5), taper=(0.2, 0.6)), colour, clip=head)

    eyes = [(35.5, 52.0, -0.12), (64.5, 52.0, 0.12)]
    for ex, ey, tilt in eyes:
        cv.paint([ellipse(ex, ey, 13.6, 15.2, tilt)], rgb('#050506'))
        ball = [ellipse(ex, ey, 12.2, 13.8, tilt)]
        cv.paint(ball, rgb('#c9ced8'))
        cv.paint([ellipse(ex - 1.2, ey - 2.2, 11.2, 12.0, tilt)], rgb('#ffffff'), clip=ball)
        px, py = ex + (2.8 if ex < 50 else -2.0), ey + 3.0
        cv.paint([circle(px, py, 5.6)], rgb('#111114'))
        cv.paint([circle(px - 1.9, py - 2.0, 1.8)], rgb('#ffffff'))
        cv.paint([circle(px + 2.0, py + 2.2, 0.8)], rgb('#ffffff'), opacity=0.7)
        # a fringe of fur falls over the top of each eye
        for k in range(9):
            fx = ex - 11.0 + k * 2.7 + rng.uniform(-0.6, 0.6)
            fy = ey - 13.0 - 0.15 * abs(fx - ex) + rng.uniform(-1.0, 0.5)
            drop = rng.uniform(3.0, 5.5) * (1.0 - abs(fx - ex) / 18.0)
            lean = rng.uniform(-1.2, 1.2)
            pts = line('M %.2f %.2f Q %.2f %.2f %.2f %.2f' % (fx, fy - 4.0, fx + lean, fy, fx + lean * 1.5, fy + drop))
            cv.paint(brush(pts, 2.2, taper=(0.0, 0.8)), rgb('#0e0e10'))

    # a crooked grin with two small fangs
    mouth = path('M 38.5 74.0 Q 50.0 79.0 62.0 72.5 Q 58.0 84.0 49.0 83.5 Q 41.0 83.0 38.5 74.0 Z')
    cv.paint(mouth, rgb('#050506'))
    inner = path('M 40.5 75.3 Q 50.0 79.6 60.0 74.4 Q 56.5 82.4 49.0 82.0 Q 42.5 81.6 40.5 75.3 Z')
    cv.paint(inner, rgb('#5e1119'))
    cv.paint([ellipse(50.0, 82.0, 5.0, 2.6)], rgb('#a8323c'), clip=inner)
    for fx in (44.5, 55.0):
        cv.paint(path('M %.1f 76.6 L %.1f 77.2 L %.1f 81.0 Z' % (fx - 1.8, fx + 1.8, fx + 0.2)), rgb('#f4f4ee'))
    cv.save(os.path.join(HERE, 'korvale.png'))


# ---------------------------------------------------------------- the pointing hand
#
# A mouse pointer is crisp pixel work, so it is drawn pixel by pixel: X is the black
# outline, . the white fill, anything else transparent. The raised finger's tip is the
# top row from x = 5, so a hot spot at (5, 0) is the fingertip and one at (0, 0) lies
# just beside it.

HAND = """
     XXX
    X...X
    X...X
    X...X
    X...X
    X...X
    X...XXX
    X...X..XXX
    X...X..X..XXX
    X...X..X..X..X
XXX X...X..X..X..X
X..XX...X..X..X..X
X...X.........X..X
 X...............X
  X..............X
  X..............X
   X.............X
   X............X
    X...........X
    X..........X
     X.........X
     X.........X
     XXXXXXXXXXX
"""


def hand_pointer():
    rows = HAND.strip('\n').split('\n')
    palette = [(0, 0, 0, 0), (0, 0, 0, 255), (255, 255, 255, 255)]
    indices = [0] * (32 * 32)
    for y, row in enumerate(rows):
        for x, ch in enumerate(row):
            indices[y * 32 + x] = {'X': 1, '.': 2}.get(ch, 0)
    write_indexed_png(os.path.join(HERE, 'hand.png'), 32, 32, indices, palette)


# ---------------------------------------------------------------- the info window's icon
#
# Four triangles meeting in the middle, like a low pyramid seen from above and lit from
# the left. Each pixel averages 8 x 8 samples, so the diagonals are smooth and the
# triangles meet without seams.

FACES = {'left': rgb('#9eeeff'), 'top': rgb('#4b93e6'), 'right': rgb('#1d4fd6'), 'bottom': rgb('#0c1b52')}


def face_colour(x, y, size):
    half = size / 2
    dx, dy = x - half, y - half
    if abs(dx) >= abs(dy):
        face = 'left' if dx < 0 else 'right'
    else:
        face = 'top' if dy < 0 else 'bottom'
    # a slight fall-off towards the rim gives the faces some depth
    rim = max(abs(dx), abs(dy)) / half
    return mix(FACES[face], rgb('#000000'), 0.12 * rim ** 3)


def info_icon():
    size, n = 33, 8
    out = bytearray()
    for py in range(size):
        for px in range(size):
            acc = [0.0, 0.0, 0.0]
            for sy in range(n):
                for sx in range(n):
                    c = face_colour(px + (sx + 0.5) / n, py + (sy + 0.5) / n, size)
                    for k in range(3):
                        acc[k] += c[k]
            out += bytes(int(round(v / (n * n) * 255)) for v in acc) + b'\xff'
    write_png(os.path.join(HERE, 'info_icon.png'), size, size, bytes(out))


# ---------------------------------------------------------------- the info window's picture
#
# The info figure again, as an ink drawing twice its button size, waving from a strip of
# grass. Only the left 153 pixels show in the info window, so everything that matters
# stands there; the grass runs on to the right edge.

INK, PAPER = rgb('#000000'), rgb('#ffffff')
SCALE, LEFT, TOP = 1.95, 74.0, 10.0


def at(x, y):
    """A point of the button figure's space in the picture."""
    return LEFT + (x - CX) * SCALE, TOP + y * SCALE


def placed(pts):
    return [at(x, y) for x, y in pts]


def pen(k):
    """An ink line that swells and thins a little, as a dip pen does."""
    return lambda t: 1.45 + 0.35 * math.sin(t * 9.0 + k)


def inked(cv, shape, k=0.0):
    """A closed shape: white inside, an ink line around it."""
    cv.paint([shape], PAPER)
    cv.paint(brush(shape + shape[:1], pen(k)), INK)


def limb(cv, pts, width):
    cv.paint(brush(pts, width + 3.0), INK)
    cv.paint(brush(pts, width), PAPER)


def grass(cv, rng, x_from, x_to, count, front):
    for _ in range(count):
        x = rng.uniform(x_from, x_to)
        y = rng.uniform(95.0, 99.5) if front else rng.uniform(90.5, 95.5)
        h = rng.uniform(5.0, 12.0) if not front else rng.uniform(4.0, 8.0)
        lean = rng.uniform(-4.0, 4.0)
        pts = line('M %.2f %.2f Q %.2f %.2f %.2f %.2f' % (x, y, x + lean * 0.2, y - h * 0.6, x + lean, y - h))
        if front:
            cv.paint(brush(pts, 2.6, taper=(0.0, 0.9)), PAPER)
        cv.paint(brush(pts, 1.1, taper=(0.0, 0.9)), INK)


def daisy(cv, x, y, stem):
    cv.paint(brush(line('M %.1f %.1f Q %.1f %.1f %.1f %.1f' % (x + 1.5, y + stem, x - 1.0, y + stem / 2, x, y)), 1.0), INK)
    for k in range(7):
        a = 2 * math.pi * k / 7 + 0.3
        petal = ellipse(x + 3.0 * math.cos(a), y + 3.0 * math.sin(a), 2.4, 1.3, a)
        cv.paint([petal], PAPER)
        cv.paint(brush(petal + petal[:1], 0.8), INK)
    cv.paint([circle(x, y, 1.6)], INK)


def info_picture():
    rng = random.Random(11)
    cv = Canvas(182, 100, background=PAPER)

    # the strip of grass: a wavy line of ground, tufts behind the figure
    ground = [(x * 2.0, 93.5 + 1.2 * math.sin(x * 0.37) + 0.6 * math.sin(x * 1.3)) for x in range(0, 92)]
    cv.paint(brush(ground, 1.0), INK)
    grass(cv, rng, 0.0, 182.0, 70, front=False)

    # the figure, back to front: legs and feet, arms, antenna, body, face
    for d in LEGS:
        limb(cv, placed(line(d)), 2.4)
    for k, (fx, fy, rx, ry) in enumerate(FEET):
        inked(cv, placed(ellipse(fx, fy, rx, ry)), k)
    limb(cv, placed(line(ARMS[0])), 2.2)
    waving = placed(line('M 28.6 21.4 C 31.6 20.2 33.2 17.2 33.6 13.2'))
    limb(cv, waving, 2.2)
    for x, y, r in ((2.1, 28.6, 1.5), (33.7, 12.6, 1.5)):
        inked(cv, placed(circle(x, y, r)), 1.0)
    cv.paint(brush(placed(line(ANTENNA)), 1.3), INK)
    bx, by, br = ANTENNA_BALL
    inked(cv, placed(circle(bx, by + 0.3, br)), 2.0)
    b = BODY
    body = placed(egg(b['cx'], b['cy'], b['rx'], b['ry']))
    inked(cv, body, 0.5)
    # hatching on the shaded side
    for k in range(5):
        t = 0.25 + k * 0.1
        x0, y0 = at(25.0 + 3.0 * t, 20.0 + 30.0 * (t - 0.25))
        cv.paint(brush([(x0, y0), (x0 + 4.0, y0 - 2.4)], 1.1, taper=(0.3, 0.3)), INK, clip=[body])
    e = EYE
    inked(cv, placed(ellipse(e['cx'], e['cy'], e['rx'], e['ry'])), 3.0)
    px, py = at(CX + 0.8, 16.0)
    cv.paint([circle(px, py, 4.6)], INK)
    cv.paint([circle(px - 1.6, py - 1.7, 1.5)], PAPER)
    cv.paint(brush(placed(line(MOUTH)), 1.5), INK)
    # it waves: two little marks beside the raised hand
    for d in ('M 35.4 9.8 Q 36.6 11.2 36.6 13.2', 'M 36.9 8.6 Q 38.6 10.6 38.5 13.6'):
        cv.paint(brush(placed(line(d)), 1.0, taper=(0.3, 0.3)), INK)

    grass(cv, rng, 0.0, 182.0, 45, front=True)
    cloud = path('M 14.0 24.0 Q 12.0 17.0 19.0 17.0 Q 21.0 10.0 29.0 12.5 Q 35.0 9.0 39.0 15.5 '
                 'Q 46.0 16.0 44.0 23.0 Q 44.0 25.5 40.0 25.5 L 17.0 25.5 Q 13.5 25.5 14.0 24.0 Z', 12)[0]
    inked(cv, cloud, 1.0)
    for x, y, w in ((118.0, 22.0, 4.5), (129.0, 15.0, 3.5)):
        d = 'M %.1f %.1f Q %.1f %.1f %.1f %.1f Q %.1f %.1f %.1f %.1f' % (
            x - w, y, x - w / 2, y - w / 2, x, y + 0.5, x + w / 2, y - w / 2, x + w, y)
        cv.paint(brush(line(d), 1.0, taper=(0.2, 0.2)), INK)
    daisy(cv, 128.0, 80.0, 12.0)
    daisy(cv, 24.0, 84.0, 9.0)
    daisy(cv, 166.0, 83.0, 10.0)

    png = os.path.join(HERE, 'info_picture.tmp.png')
    cv.save(png)
    try:
        subprocess.run([CONVERT, png, '-strip', '-colorspace', 'Gray', '-quality', '92',
                        os.path.join(HERE, 'info_picture.jpg')], check=True)
    finally:
        os.remove(png)


PICTURES = {
    'info_picture': info_picture,
    'info_icon': info_icon,
    'hand': hand_pointer,
    'korvale': korvale_icon,
    'exit': exit_cross,
    'info_rest': info_rest,
    'info_hover': info_hover,
}


def main(names):
    for name in names or PICTURES:
        PICTURES[name]()
        print('drew', name)


if __name__ == '__main__':
    main(sys.argv[1:])
