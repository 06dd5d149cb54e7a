#!/usr/bin/env python3
"""Writes Plain.ft, the stroke font that ships with the program, into this
folder: a plain single-stroke design of the printable ASCII characters.

Run by hand after a change; the file is kept beside this script, so a build
needs no Python. With --preview out.ppm it also draws every glyph large, with
its baseline and advance, for looking at the design.

Each glyph is a list of strokes (polylines) in font units, y upwards, the
baseline at 0: capitals and digits 40 units tall (a text's `size` is 50 units,
so a label drawn centred on its baseline offset sits centred on its tick),
lower case 26, descenders to -14. Curves are arcs of ellipses cut into short
chords and rounded to whole units."""
import math
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
OUTPUT = os.path.join(HERE, 'Plain.ft')

# The header line of every stroke-font file, line feed included.
HEADER = b'QVR 1.00 Font  (C) Quorvalestrandmoleck (2026)\n'
MARKER = 0x80
RECORD_LIMIT = 1023  # width byte through end pair, as the program reads it

CAP, XH, DESC = 40, 26, -14
SIDE = 4        # space on each side of a glyph's ink
DIGIT_ADVANCE = 30  # digits share one advance, so that numbers line up


def arc(cx, cy, rx, ry, a0, a1, chord=4.0):
    """Points of the ellipse arc from angle a0 to a1 (degrees; a1 < a0 runs
    clockwise), one about every `chord` units."""
    span = math.radians(a1 - a0)
    length = abs(span) * max(rx, ry)
    n = max(2, int(math.ceil(length / chord)))
    out = []
    for i in range(n + 1):
        t = math.radians(a0) + span * i / n
        out.append((cx + rx * math.cos(t), cy + ry * math.sin(t)))
    return out


def ring(cx, cy, rx, ry, start=90):
    return arc(cx, cy, rx, ry, start, start + 360)


def dot(x, y):
    """A dot as a small square, so that it shows at every size."""
    return [(x - 1, y), (x + 1, y), (x + 1, y + 2), (x - 1, y + 2), (x - 1, y)]


def line(*points):
    return list(points)


def mirror(strokes, width):
    return [[(width - x, y) for (x, y) in s] for s in strokes]


# Glyphs: character -> list of strokes. Ink starts at x = 0 unless a glyph
# needs room on the left; the advance follows from the ink (see build()).
G = {}

# Capitals
G['A'] = [line((0, 0), (13, CAP), (26, 0)), line((5, 14), (21, 14))]
G['B'] = [[(0, 21), (15, 21)] + arc(15, 10.5, 10.5, 10.5, 90, -90) + [(0, 0), (0, CAP), (14, CAP)]
          + arc(14, 30.5, 9.5, 9.5, 90, -90)]
G['C'] = [arc(14, 20, 14, 20, 40, 320)]
G['D'] = [[(0, 0), (0, CAP), (8, CAP)] + arc(8, 20, 16, 20, 90, -90) + [(0, 0)]]
G['E'] = [line((22, CAP), (0, CAP), (0, 0), (22, 0)), line((0, 21), (16, 21))]
G['F'] = [line((22, CAP), (0, CAP), (0, 0)), line((0, 21), (16, 21))]
G['G'] = [arc(14, 20, 14, 20, 45, 360) + [(17, 20)]]
G['H'] = [line((0, 0), (0, CAP)), line((24, 0), (24, CAP)), line((0, 21), (24, 21))]
G['I'] = [line((0, CAP), (10, CAP)), line((5, CAP), (5, 0)), line((0, 0), (10, 0))]
G['J'] = [[(20, CAP), (20, 11)] + arc(10, 11, 10, 11, 0, -165)]
G['K'] = [line((0, 0), (0, CAP)), line((24, CAP), (0, 13)), line((8, 22), (24, 0))]
G['L'] = [line((0, CAP), (0, 0), (20, 0))]
G['M'] = [line((0, 0), (0, CAP), (15, 8), (30, CAP), (30, 0))]
G['N'] = [line((0, 0), (0, CAP), (24, 0), (24, CAP))]
G['O'] = [ring(14, 20, 14, 20)]
G['P'] = [[(0, 0), (0, CAP), (14, CAP)] + arc(14, 30, 10, 10, 90, -90) + [(0, 20)]]
G['Q'] = [ring(14, 20, 14, 20), line((16, 10), (28, -3))]
G['R'] = [[(0, 0), (0, CAP), (14, CAP)] + arc(14, 30, 10, 10, 90, -90) + [(0, 20)], line((12, 20), (24, 0))]
G['S'] = [arc(12, 30.5, 11, 9.5, 25, 270) + arc(12, 10.5, 12, 10.5, 90, -155)]
G['T'] = [line((0, CAP), (26, CAP)), line((13, CAP), (13, 0))]
G['U'] = [[(0, CAP), (0, 12)] + arc(12, 12, 12, 12, 180, 360) + [(24, CAP)]]
G['V'] = [line((0, CAP), (13, 0), (26, CAP))]
G['W'] = [line((0, CAP), (8, 0), (17, 30), (26, 0), (34, CAP))]
G['X'] = [line((0, CAP), (24, 0)), line((0, 0), (24, CAP))]
G['Y'] = [line((0, CAP), (13, 19), (26, CAP)), line((13, 19), (13, 0))]
G['Z'] = [line((0, CAP), (24, CAP), (0, 0), (24, 0))]

# Lower case
BOWL = ring(10, 13, 10, 13)
G['a'] = [BOWL, line((20, XH), (20, 0))]
G['b'] = [line((0, CAP), (0, 0)), ring(10, 13, 10, 13, 180)]
G['c'] = [arc(10, 13, 10, 13, 40, 320)]
G['d'] = [BOWL, line((20, CAP), (20, 0))]
G['e'] = [[(0, 13), (20, 13)] + arc(10, 13, 10, 13, 0, 320)]
G['f'] = [[(16, 38)] + arc(12, 34, 5, 6, 60, 180) + [(7, 0)], line((1, XH), (15, XH))]
G['g'] = [BOWL, [(20, XH), (20, -4)] + arc(10, -4, 10, 10, 0, -160)]
G['h'] = [line((0, CAP), (0, 0)), arc(10, 16, 10, 10, 180, 0) + [(20, 0)]]
G['i'] = [line((0, 0), (0, XH)), dot(0, 34)]
G['j'] = [[(8, XH), (8, -6)] + arc(2, -6, 6, 8, 0, -170), dot(8, 34)]
G['k'] = [line((0, CAP), (0, 0)), line((18, XH), (0, 9)), line((6, 14), (20, 0))]
G['l'] = [line((0, CAP), (0, 0))]
G['m'] = [line((0, 0), (0, XH)), arc(8, 17, 8, 9, 180, 0) + [(16, 0)], arc(24, 17, 8, 9, 180, 0) + [(32, 0)]]
G['n'] = [line((0, 0), (0, XH)), arc(10, 16, 10, 10, 180, 0) + [(20, 0)]]
G['o'] = [BOWL]
G['p'] = [line((0, XH), (0, DESC)), ring(10, 13, 10, 13, 180)]
G['q'] = [BOWL, line((20, XH), (20, DESC))]
G['r'] = [line((0, 0), (0, XH)), arc(11, 15, 11, 11, 180, 65)]
G['s'] = [arc(9, 19.5, 8, 6.5, 25, 270) + arc(9, 6.5, 9, 6.5, 90, -155)]
G['t'] = [[(6, 36), (6, 5)] + arc(11, 5, 5, 5, 180, 300), line((0, XH), (14, XH))]
G['u'] = [[(0, XH), (0, 10)] + arc(10, 10, 10, 10, 180, 360), line((20, XH), (20, 0))]
G['v'] = [line((0, XH), (10, 0), (20, XH))]
G['w'] = [line((0, XH), (7, 0), (14, 20), (21, 0), (28, XH))]
G['x'] = [line((0, XH), (20, 0)), line((0, 0), (20, XH))]
G['y'] = [line((0, XH), (11, 0)), line((22, XH), (7, -10), (4, -13), (0, DESC))]
G['z'] = [line((0, XH), (20, XH), (0, 0), (20, 0))]

# Digits, 22 units wide
G['0'] = [ring(11, 20, 11, 20)]
G['1'] = [line((4, 32), (12, CAP), (12, 0)), line((4, 0), (20, 0))]
G['2'] = [arc(11, 29, 11, 11, 155, -40) + [(0, 0), (22, 0)]]
G['3'] = [arc(11, 30.5, 10, 9.5, 150, -90) + arc(11, 10.5, 11, 10.5, 90, -150)]
G['4'] = [line((17, 0), (17, CAP), (0, 12), (24, 12))]
G['5'] = [[(20, CAP), (3, CAP)] + arc(10, 13, 12, 13, 135, -150)]
G['6'] = [arc(11, 25, 11, 15, 50, 180) + arc(11, 12, 11, 12, 180, 540)]
G['7'] = [line((0, CAP), (22, CAP), (8, 0))]
G['8'] = [ring(11, 30.5, 9, 9.5, 270), ring(11, 10.5, 11, 10.5)]
G['9'] = [ring(11, 28, 11, 12, 0), [(22, 28)] + arc(11, 15, 11, 15, 0, -130)]

# Punctuation and signs
G[' '] = []
G['!'] = [line((0, CAP), (0, 12)), dot(0, 0)]
G['"'] = [line((0, CAP), (0, 31)), line((8, CAP), (8, 31))]
G['#'] = [line((7, 0), (11, CAP)), line((17, 0), (21, CAP)), line((2, 13), (26, 13)), line((4, 27), (28, 27))]
G['$'] = [arc(12, 30.5, 11, 9.5, 25, 270) + arc(12, 10.5, 12, 10.5, 90, -155), line((12, 45), (12, -5))]
G['%'] = [ring(6, 33, 6, 7), line((26, CAP), (2, 0)), ring(22, 7, 6, 7)]
G['&'] = [[(26, 0), (7, 27)] + arc(12, 33, 6, 7, 210, -30) + [(3, 13)] + arc(11, 9, 9, 9, 150, 315) + [(25, 16)]]
G["'"] = [line((0, CAP), (0, 31))]
G['('] = [arc(20, 18, 18, 27, 125, 235)]
G[')'] = mirror(G['('], 12)
G['*'] = [line((9, 20), (9, 36)), line((2, 32), (16, 24)), line((2, 24), (16, 32))]
G['+'] = [line((0, 16), (24, 16)), line((12, 4), (12, 28))]
G[','] = [line((2, 2), (2, 0), (-1, -8))]
G['-'] = [line((0, 16), (16, 16))]
G['.'] = [dot(0, 0)]
G['/'] = [line((0, -3), (20, 43))]
G[':'] = [dot(0, 0), dot(0, 24)]
G[';'] = [dot(2, 24), line((2, 2), (2, 0), (-1, -8))]
G['<'] = [line((22, 30), (0, 16), (22, 2))]
G['='] = [line((0, 10), (22, 10)), line((0, 22), (22, 22))]
G['>'] = mirror(G['<'], 22)
G['?'] = [arc(10, 31, 10, 10, 160, -90) + [(10, 12)], dot(10, 0)]
G['@'] = [ring(15, 17, 6, 8), [(21, 25), (21, 12)] + arc(25, 12, 4, 4, 180, 360) + arc(16, 17, 13, 20, 0, 320)]
G['['] = [line((10, 45), (0, 45), (0, -6), (10, -6))]
G['\\'] = [line((0, 43), (20, -3))]
G[']'] = mirror(G['['], 10)
G['^'] = [line((0, 28), (10, CAP), (20, 28))]
G['_'] = [line((0, -8), (26, -8))]
G['`'] = [line((0, CAP), (6, 32))]
G['{'] = [line((11, 45), (7, 43), (6, 38), (6, 24), (1, 19.5), (6, 15), (6, 0), (7, -5), (11, -7))]
G['|'] = [line((0, 45), (0, -8))]
G['}'] = mirror(G['{'], 12)
G['~'] = [arc(6, 17, 6, 5, 180, 0) + arc(18, 17, 6, 5, 180, 360)]

SPACE_ADVANCE = 20


def build():
    """code -> (advance, strokes of whole-unit points), ink shifted to SIDE."""
    font = {}
    for ch, strokes in G.items():
        code = ord(ch)
        pts = [(round(x), round(y)) for s in strokes for (x, y) in s]
        if not pts:
            font[code] = (SPACE_ADVANCE, [])
            continue
        left = min(x for x, _ in pts)
        right = max(x for x, _ in pts)
        if ch.isdigit():
            shift = (DIGIT_ADVANCE - (right - left)) // 2 - left
            advance = DIGIT_ADVANCE
        else:
            shift = SIDE - left
            advance = right - left + 2 * SIDE
        out = []
        for s in strokes:
            stroke = []
            for (x, y) in s:
                p = (round(x) + shift, round(y))
                if not stroke or stroke[-1] != p:
                    stroke.append(p)
            out.append(stroke)
        font[code] = (advance, out)
    return font


def encode(font):
    data = bytearray(HEADER)
    for code in sorted(font):
        advance, strokes = font[code]
        assert 1 <= code <= 255 and 0 <= advance < MARKER, (chr(code), advance)
        record = bytearray([advance])
        for stroke in strokes:
            record.append(MARKER)
            for (x, y) in stroke:
                assert -127 <= x <= 127 and -127 <= y <= 127, (chr(code), x, y)
                record += bytes((x & 0xFF, y & 0xFF))
        record += bytes((MARKER, MARKER))
        assert len(record) <= RECORD_LIMIT, (chr(code), len(record))
        data.append(code)
        data += record
    data.append(0)
    return bytes(data)


def preview(font, path, scale=3, per_row=16):
    """Every glyph at `scale` pixels per unit, grey baseline and advance."""
    cell_w, top, bottom = 100, 50, -20
    codes = sorted(font)
    rows = (len(codes) + per_row - 1) // per_row
    w, h = per_row * cell_w * scale // 2, rows * (top - bottom) * scale
    px = [[(255, 255, 255)] * w for _ in range(h)]

    def put(x, y, colour):
        if 0 <= x < w and 0 <= y < h:
            px[y][x] = colour

    def segment(x0, y0, x1, y1, colour):
        n = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(n + 1):
            put(round(x0 + (x1 - x0) * i / n), round(y0 + (y1 - y0) * i / n), colour)

    for i, code in enumerate(codes):
        ox = (i % per_row) * cell_w * scale // 2 + 4 * scale
        oy = (i // per_row) * (top - bottom) * scale + top * scale
        advance, strokes = font[code]
        grey = (200, 200, 200)
        segment(ox, oy, ox + advance * scale, oy, grey)
        segment(ox + advance * scale, oy, ox + advance * scale, oy - CAP * scale, grey)
        for s in strokes:
            p = [(ox + x * scale, oy - y * scale) for (x, y) in s]
            if len(p) == 1:
                p = p * 2
            for a, b in zip(p, p[1:]):
                for d in range(2):
                    segment(a[0] + d, a[1], b[0] + d, b[1], (0, 0, 0))
    with open(path, 'wb') as f:
        f.write(b'P6 %d %d 255\n' % (w, h) + bytes(c for row in px for p in row for c in p))


def main():
    font = build()
    missing = [chr(c) for c in range(32, 127) if c not in font]
    assert not missing, missing
    with open(OUTPUT, 'wb') as f:
        f.write(encode(font))
    if len(sys.argv) == 3 and sys.argv[1] == '--preview':
        preview(font, sys.argv[2])


if __name__ == '__main__':
    main()
