#!/usr/bin/env python3
"""Draws the program's icons, cursors and pictures into this folder.

Run by hand after a change; the resource script includes the files it
writes, so a build needs no Python."""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

FONT = {  # 5 x 7 capitals for the splash title
    'V': ["10001", "10001", "10001", "10001", "01010", "01010", "00100"],
    'A': ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    'N': ["10001", "11001", "10101", "10011", "10001", "10001", "10001"],
    'T': ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    'O': ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    'R': ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    'E': ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    'L': ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
}


def bmp_bytes(width, height, bits, palette, pixels):
    """pixels[y][x] top row first: palette indices (bits <= 8) or (r, g, b)."""
    row = ((width * bits + 31) // 32) * 4
    data = bytearray()
    for y in range(height - 1, -1, -1):
        line = bytearray()
        if bits == 24:
            for x in range(width):
                r, g, b = pixels[y][x]
                line += bytes((b, g, r))
        elif bits == 8:
            line += bytes(pixels[y])
        elif bits == 4:
            for x in range(0, width, 2):
                hi = pixels[y][x]
                lo = pixels[y][x + 1] if x + 1 < width else 0
                line.append((hi << 4) | lo)
        elif bits == 1:
            for x in range(0, width, 8):
                v = 0
                for k in range(8):
                    if x + k < width and pixels[y][x + k]:
                        v |= 0x80 >> k
                line.append(v)
        line += bytes(row - len(line))
        data += line
    pal = bytearray()
    for (r, g, b) in palette:
        pal += bytes((b, g, r, 0))
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, bits, 0, len(data), 2835, 2835,
                       len(palette), 0)
    return info, bytes(pal), bytes(data)


def write_bmp(name, width, height, bits, palette, pixels):
    info, pal, data = bmp_bytes(width, height, bits, palette, pixels)
    offset = 14 + len(info) + len(pal)
    head = struct.pack('<2sIHHI', b'BM', offset + len(data), 0, 0, offset)
    with open(os.path.join(HERE, name), 'wb') as f:
        f.write(head + info + pal + data)


def icon_image(pixels, hotspot=None):
    """32 x 32, 4 bits over the 16 standard colours; None pixels are clear."""
    size = 32
    xor = [[0 if p is None else p for p in r] for r in pixels]
    mask = [[1 if p is None else 0 for p in r] for r in pixels]
    info, pal, data = bmp_bytes(size, size, 4, VGA, xor)
    info = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    _, _, m = bmp_bytes(size, size, 1, [], mask)
    return info + pal + data + m


def write_icon(name, pixels, hotspot=None):
    image = icon_image(pixels)
    kind = 2 if hotspot else 1
    a, b = (hotspot if hotspot else (1, 4))
    head = struct.pack('<HHH', 0, kind, 1)
    entry = struct.pack('<BBBBHHII', 32, 32, 16, 0, a, b, len(image), 6 + 16)
    with open(os.path.join(HERE, name), 'wb') as f:
        f.write(head + entry + image)


VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
       (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
       (255, 0, 255), (0, 255, 255), (255, 255, 255)]
WHITE, BLACK, RED, BLUE, NAVY, GREY, YELLOW, GREEN = 15, 0, 9, 12, 4, 8, 11, 2


def lorenz(n, dt=0.01):
    x, y, z = 1.0, 1.0, 1.0
    pts = []
    for _ in range(n):
        def f(x, y, z):
            return 10 * (y - x), x * (28 - z) - y, x * y - 8 / 3 * z
        k1 = f(x, y, z)
        k2 = f(x + dt / 2 * k1[0], y + dt / 2 * k1[1], z + dt / 2 * k1[2])
        k3 = f(x + dt / 2 * k2[0], y + dt / 2 * k2[1], z + dt / 2 * k2[2])
        k4 = f(x + dt * k3[0], y + dt * k3[1], z + dt * k3[2])
        x += dt / 6 * (k1[0] + 2 * k2[0] + 2 * k3[0] + k4[0])
        y += dt / 6 * (k1[1] + 2 * k2[1] + 2 * k3[1] + k4[1])
        z += dt / 6 * (k1[2] + 2 * k2[2] + 2 * k3[2] + k4[2])
        pts.append((x, y, z))
    return pts


def blank(w, h, v):
    return [[v] * w for _ in range(h)]


def framed_icon(paper, ink, draw):
    p = blank(32, 32, None)
    for y in range(2, 30):
        for x in range(2, 30):
            p[y][x] = paper
    for i in range(2, 30):
        p[2][i] = p[29][i] = p[i][2] = p[i][29] = ink
    draw(p)
    return p


def attractor_icon(p):
    for (x, y, z) in lorenz(3000)[200:]:
        px, py = int(16 + x * 0.55), int(28 - z * 0.48)
        if 3 <= px < 29 and 3 <= py < 29:
            p[py][px] = RED


def text_icon(p):
    for row in range(6, 27, 4):
        for x in range(6, 26 - (row % 8)):
            p[row][x] = BLACK


def editor_icon(p):
    for row in range(6, 27, 3):
        for x in range(5, 22 + (row % 5)):
            p[row][x] = NAVY


def bulb_icon(p):
    for y in range(32):
        for x in range(32):
            if (x - 16) ** 2 + (y - 13) ** 2 <= 81:
                p[y][x] = YELLOW
    for y in range(22, 28):
        for x in range(12, 21):
            p[y][x] = GREY


def back_icon(p):
    # A left arrow: the way back from full screen.
    for y in range(8, 24):
        for x in range(6, 16):
            if abs(y - 15.5) <= x - 6:
                p[y][x] = NAVY
    for y in range(12, 20):
        for x in range(16, 26):
            p[y][x] = NAVY


def program_icon():
    p = blank(32, 32, None)
    for y in range(32):
        for x in range(32):
            if (x - 15.5) ** 2 + (y - 15.5) ** 2 <= 15.5 ** 2:
                p[y][x] = NAVY
    for (x, y, z) in lorenz(4000)[200:]:
        px, py = int(16 + x * 0.5), int(29 - z * 0.5)
        if 0 <= px < 32 and 0 <= py < 32 and p[py][px] is not None:
            p[py][px] = YELLOW
    return p


def cursor(shape):
    p = blank(32, 32, None)
    for y, line in enumerate(shape):
        for x, c in enumerate(line):
            if c == 'X':
                p[y][x] = BLACK
            elif c == '.':
                p[y][x] = WHITE
    return p


CROSS = []
for y in range(32):
    line = ''
    for x in range(32):
        if (x == 15 and y != 15 and 4 <= y <= 26) or (y == 15 and x != 15 and 4 <= x <= 26):
            line += 'X'
        else:
            line += ' '
    CROSS.append(line)

ARROW_HELP = [
    "X                ",
    "XX               ",
    "X.X              ",
    "X..X             ",
    "X...X     XXXXX  ",
    "X....X   XX...XX ",
    "X.....X  X.XXX.X ",
    "X......X XXX X.X ",
    "X.......X   X..X ",
    "X........X X..XX ",
    "X.....XXXXXX.XX  ",
    "X..X..X    X.X   ",
    "X.X X..X   XXX   ",
    "XX  X..X   X.X   ",
    "X    X..X  XXX   ",
    "     X..X        ",
    "      XX         ",
]

HAND = [
    "     XX          ",
    "    X..X         ",
    "    X..X         ",
    "    X..X         ",
    "    X..XXX       ",
    "    X..X..XXX    ",
    "    X..X..X..XX  ",
    " XX X..X..X..X.X ",
    "X..XX........X.X ",
    "X...X..........X ",
    " X.............X ",
    "  X............X ",
    "  X...........X  ",
    "   X..........X  ",
    "    X........X   ",
    "    X........X   ",
    "    XXXXXXXXXX   ",
]


def splash():
    w, h = 256, 128
    palette = []
    for i in range(256):
        t = i / 255
        palette.append((int(255 * t), int(80 + 120 * t * (1 - t) * 4 * 0.5), int(255 * (1 - t))))
    palette[0] = (0, 0, 48)
    palette[1] = (255, 255, 255)
    p = blank(w, h, 0)
    for i, (x, y, z) in enumerate(lorenz(20000)[300:]):
        px, py = int(180 + x * 2.6), int(124 - z * 2.3)
        if 0 <= px < w and 0 <= py < h:
            p[py][px] = 2 + int(253 * min(1.0, z / 48))
    scale, x0, y0 = 3, 10, 30
    for k, ch in enumerate("VANTOREL"):
        glyph = FONT[ch]
        for gy, line in enumerate(glyph):
            for gx, c in enumerate(line):
                if c == '1':
                    for dy in range(scale):
                        for dx in range(scale):
                            p[y0 + gy * scale + dy][x0 + k * 6 * scale + gx * scale + dx] = 1
    return w, h, palette, p


def about():
    w = h = 192
    p = blank(w, h, WHITE)
    x, y = 0.1, 0.1
    for i in range(40000):
        x, y = 1 - 1.4 * x * x + y, 0.3 * x
        if i > 100:
            px, py = int(96 + x * 70), int(96 - y * 230)
            if 0 <= px < w and 0 <= py < h:
                p[py][px] = NAVY if i % 3 else RED
    for i in range(w):
        p[0][i] = p[h - 1][i] = p[i][0] = p[i][w - 1] = GREY
    return w, h, VGA, p


def caret():
    p = blank(16, 16, 0)
    for i in range(16):
        p[7][i] = p[i][7] = 1
    return p


write_icon('graph.ico', framed_icon(WHITE, BLACK, attractor_icon))
write_icon('text.ico', framed_icon(WHITE, BLACK, text_icon))
write_icon('editor.ico', framed_icon(YELLOW, BLACK, editor_icon))
write_icon('tips.ico', framed_icon(WHITE, GREY, bulb_icon))
write_icon('vantorel.ico', program_icon())
write_icon('back.ico', framed_icon(WHITE, BLACK, back_icon))
write_icon('graph.cur', cursor(CROSS), (15, 15))
write_icon('help.cur', cursor(ARROW_HELP), (0, 0))
write_icon('link.cur', cursor(HAND), (5, 0))
w, h, pal, px = splash()
write_bmp('splash.bmp', w, h, 8, pal, px)
w, h, pal, px = about()
write_bmp('about.bmp', w, h, 4, pal, px)
write_bmp('caret.bmp', 16, 16, 1, [(0, 0, 0), (255, 255, 255)], caret())
