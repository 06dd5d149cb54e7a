#!/usr/bin/env python3
"""Draws the toolbar button strips (98 images side by side, three sizes) and
the customise dialog's button frame into this folder.

Run by hand after a change; the resource script includes the files. Every
image is a small pictogram of its command, drawn from simple shapes on a
16 x 14 design grid and rasterised afresh at each size (not scaled from a
bitmap), so that the small strip stays crisp. Light grey is the button face:
the common controls derive the greyed image from it, so no image fills its
background."""
import math

from make_images import VGA, write_bmp

# The 16 colours by their index in the palette.
(BLACK, MAROON, DKGREEN, OLIVE, NAVY, PURPLE, TEAL, FACE,
 GREY, RED, LIME, YELLOW, BLUE, MAGENTA, CYAN, WHITE) = range(16)

# Small capitals and signs, one string per row ('#' = ink).
GLYPHS = {
    'x': ["...", "#.#", ".#.", "#.#", "..."], 'y': ["#.#", "#.#", ".##", "..#", "##."],
    'a': ["##.", "..#", "###", "#.#", "###"], 'b': ["#..", "##.", "#.#", "#.#", "##."],
    'f': [".##", "#..", "##.", "#..", "#.."], "'": ["#", "#", ".", ".", "."],
    '0': ["###", "#.#", "#.#", "#.#", "###"], '1': [".#.", "##.", ".#.", ".#.", "###"],
    '3': ["###", "..#", ".##", "..#", "###"], '=': ["...", "###", "...", "###", "..."],
    '<': ["..#", ".#.", "#..", ".#.", "..#"], '>': ["#..", ".#.", "..#", ".#.", "#.."],
    '/': ["..#", "..#", ".#.", "#..", "#.."], 'E': ["###", "#..", "##.", "#..", "###"],
    'S': [".##", "#..", ".#.", "..#", "##."], 'C': [".##", "#..", "#..", "#..", ".##"],
    'A': [".#.", "#.#", "###", "#.#", "#.#"], '+': ["...", ".#.", "###", ".#.", "..."],
    '-': ["...", "...", "###", "...", "..."], ' ': [".", ".", ".", ".", "."],
    '?': [".###.", "##.##", "...##", "..##.", ".##..", ".##..", ".....", ".##.."],
}


class Pic:
    """One image. Coordinates are on the 16 x 14 design grid: design pixel
    (i, j) covers [i, i+1) x [j, j+1), whatever the size drawn."""

    def __init__(self, width):
        self.w, self.h = width, width - (2 + (width - 16) // 8)
        self.s = width / 16.0
        self.px = [[FACE] * self.w for _ in range(self.h)]

    def put(self, x, y, colour):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = colour

    def shape(self, inside, fill, edge=BLACK):
        """Fills the pixels whose centres are inside; those with a neighbour
        outside get the 1-pixel edge colour (None keeps what is there)."""
        s = self.s
        mask = {(x, y) for y in range(self.h) for x in range(self.w)
                if inside((x + 0.5) / s, (y + 0.5) / s)}
        for (x, y) in mask:
            border = any((x + dx, y + dy) not in mask for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
            colour = edge if border and edge is not None else fill
            if colour is not None:
                self.put(x, y, colour)

    def rect(self, x0, y0, x1, y1, fill, edge=BLACK):
        self.shape(lambda u, v: x0 <= u < x1 and y0 <= v < y1, fill, edge)

    def poly(self, pts, fill, edge=BLACK):
        def inside(u, v):
            odd = False
            for (ax, ay), (bx, by) in zip(pts, pts[1:] + pts[:1]):
                if (ay > v) != (by > v) and u < ax + (v - ay) * (bx - ax) / (by - ay):
                    odd = not odd
            return odd
        self.shape(inside, fill, edge)

    def ellipse(self, cx, cy, rx, ry, fill, edge=BLACK):
        self.shape(lambda u, v: ((u - cx) / rx) ** 2 + ((v - cy) / ry) ** 2 <= 1.0, fill, edge)

    def ring(self, cx, cy, r0, r1, colour, a0=0.0, a1=360.0):
        """An arc band between radii r0 and r1, from angle a0 to a1 (degrees,
        counter-clockwise from east, y up)."""
        def inside(u, v):
            d = math.hypot(u - cx, v - cy)
            a = math.degrees(math.atan2(cy - v, u - cx)) % 360.0
            return r0 <= d <= r1 and (a0 <= a <= a1 or a0 <= a + 360.0 <= a1)
        self.shape(inside, colour, None)

    def line(self, x0, y0, x1, y1, colour, width=1):
        """A stroke between design points; 'width' in design pixels."""
        n = max(1, int(round(width * self.s)))
        off = (n - 1) / 2.0
        a = (int(x0 * self.s - off), int(y0 * self.s - off))
        b = (int(x1 * self.s - off), int(y1 * self.s - off))
        steps = max(abs(b[0] - a[0]), abs(b[1] - a[1]), 1)
        for k in range(steps + 1):
            x = a[0] + round((b[0] - a[0]) * k / steps)
            y = a[1] + round((b[1] - a[1]) * k / steps)
            for dy in range(n):
                for dx in range(n):
                    self.put(x + dx, y + dy, colour)

    def dot(self, x, y, colour):
        self.rect(x, y, x + 1, y + 1, colour, None)

    def text(self, x, y, chars, colour, centred=False, narrow=False):
        """Glyphs in whole-pixel blocks (1 x 1 small, 2 x 2 medium and big;
        narrow: 1 x 1 medium): a glyph stretched by one and a half would
        lose its shape. Centred: x is the middle of the text."""
        k = int(self.s) if narrow else int(round(self.s))
        width = sum(len(GLYPHS[ch][0]) + 1 for ch in chars) - 1
        x0 = int(x * self.s) - (width * k) // 2 if centred else int(x * self.s)
        y0 = int(y * self.s)
        for ch in chars:
            rows = GLYPHS[ch]
            for r, row in enumerate(rows):
                for c, bit in enumerate(row):
                    if bit == '#':
                        for dy in range(k):
                            for dx in range(k):
                                self.put(x0 + c * k + dx, y0 + r * k + dy, colour)
            x0 += (len(rows[0]) + 1) * k


# ---- motifs shared by several commands ----

def page(p, x0, y0, x1, y1, fold=3):
    p.poly([(x0, y0), (x1 - fold, y0), (x1, y0 + fold), (x1, y1), (x0, y1)], WHITE)
    p.poly([(x1 - fold, y0), (x1, y0 + fold), (x1 - fold, y0 + fold)], FACE)
    p.line(x1 - fold + 0.5, y0 + 0.5, x1 - fold + 0.5, y0 + fold + 0.5, BLACK)
    p.line(x1 - fold + 0.5, y0 + fold + 0.5, x1 - 0.5, y0 + fold + 0.5, BLACK)


def text_lines(p, x0, y0, x1, y1, colour=GREY, gap=2):
    y = y0
    while y < y1:
        p.line(x0 + 0.5, y + 0.5, x1 - 0.5, y + 0.5, colour)
        y += gap


def folder(p, x0, y0, x1, y1, opened):
    p.poly([(x0, y0 + 1), (x0 + 4, y0 + 1), (x0 + 5, y0 + 2), (x1 - 1, y0 + 2), (x1 - 1, y1), (x0, y1)], OLIVE)
    if opened:
        p.poly([(x0 + 3, y0 + 5), (x1 + 1, y0 + 5), (x1 - 2, y1), (x0, y1)], YELLOW)
    else:
        p.rect(x0, y0 + 4, x1 - 1, y1, YELLOW)


def floppy(p, x0, y0, x1, y1):
    p.poly([(x0, y0), (x1 - 1, y0), (x1, y0 + 1), (x1, y1), (x0, y1)], NAVY)
    p.rect(x0 + 2, y0, x1 - 2, y0 + (y1 - y0) // 2, WHITE)
    p.rect(x0 + 3, y1 - 4, x1 - 3, y1, FACE)
    p.dot(x1 - 5, y1 - 3, NAVY)


def printer(p, x0, y0, x1, y1):
    p.rect(x0 + 3, y0, x1 - 3, y0 + 5, WHITE)
    p.rect(x0, y0 + 4, x1, y1 - 2, FACE)
    p.rect(x0 + 1, y1 - 3, x1 - 1, y1, GREY)
    p.rect(x0 + 3, y1 - 2, x1 - 3, y1 + 1, WHITE)
    p.dot(x1 - 3, y0 + 6, LIME)


def window(p, x0, y0, x1, y1, client=WHITE, title=NAVY):
    p.rect(x0, y0, x1, y1, client)
    p.rect(x0, y0, x1, y0 + 3, title)


def graph_window(p, x0, y0, x1, y1):
    window(p, x0, y0, x1, y1)
    w, h = x1 - x0, y1 - y0
    p.line(x0 + 1.5, y1 - 2.5, x0 + w * 0.4, y0 + 3.5 + h * 0.1, RED)
    p.line(x0 + w * 0.4, y0 + 3.5 + h * 0.1, x0 + w * 0.65, y1 - 3, RED)
    p.line(x0 + w * 0.65, y1 - 3, x1 - 1.5, y0 + 4.5, RED)


def text_window(p, x0, y0, x1, y1):
    window(p, x0, y0, x1, y1)
    text_lines(p, x0 + 2, y0 + 4, x1 - 2, y1 - 1, BLACK)


def new_star(p, x, y):
    """A sparkle: this command makes something new."""
    p.poly([(x, y - 4), (x + 1.5, y - 1.5), (x + 4, y), (x + 1.5, y + 1.5), (x, y + 4),
            (x - 1.5, y + 1.5), (x - 4, y), (x - 1.5, y - 1.5)], YELLOW, OLIVE)


def pencil(p, x, y):
    """A pencil from its tip (x, y) going up to the right."""
    p.poly([(x, y), (x + 1, y - 3), (x + 6, y - 8), (x + 8, y - 6), (x + 3, y - 1)], YELLOW)
    p.poly([(x, y), (x + 1, y - 3), (x + 3, y - 1)], WHITE)
    p.dot(x, y - 1, BLACK)


def red_x(p, x0, y0, size=6):
    p.line(x0 + 1, y0 + 1, x0 + size - 1, y0 + size - 1, RED, 2)
    p.line(x0 + size - 1, y0 + 1, x0 + 1, y0 + size - 1, RED, 2)


def arrow(p, x0, y0, x1, y1, colour, head=2):
    """A straight arrow with a filled head at (x1, y1) (axis-aligned)."""
    p.line(x0, y0, x1, y1, colour, 2 if head > 2 else 1)
    dx = (x1 > x0) - (x1 < x0)
    dy = (y1 > y0) - (y1 < y0)
    tip = (x1 + dx, y1 + dy)
    if dx:
        p.poly([(tip[0], tip[1]), (x1 - dx * head, y1 - head - 0.5), (x1 - dx * head, y1 + head + 0.5)],
               colour, None)
    else:
        p.poly([(tip[0], tip[1]), (x1 - head - 0.5, y1 - dy * head), (x1 + head + 0.5, y1 - dy * head)],
               colour, None)


def eraser(p, x, y):
    p.poly([(x, y + 4), (x + 4, y), (x + 8, y + 3), (x + 4, y + 7)], MAGENTA)
    p.poly([(x, y + 4), (x + 2, y + 2), (x + 6, y + 5), (x + 4, y + 7)], WHITE)


def circle_arrow(p, cx, cy, r, colour=DKGREEN):
    """Three quarters of a circle, its head at the top pointing right."""
    p.ring(cx, cy, r - 1.6, r, colour, 100, 360)
    p.poly([(cx + 2.5, cy - r + 0.8), (cx - 0.5, cy - r - 2.2), (cx - 0.5, cy - r + 3.8)], colour, None)


def clipboard(p, x0, y0, x1, y1):
    p.rect(x0, y0 + 1, x1, y1, OLIVE)
    p.rect(x0 + 1, y0 + 3, x1 - 1, y1 - 1, WHITE, None)
    p.rect(x0 + (x1 - x0) // 2 - 2, y0, x0 + (x1 - x0) // 2 + 2, y0 + 3, GREY)


def element(p, x0, y0, x1, y1):
    """A graphics element: a selected ellipse with its handles."""
    p.ellipse((x0 + x1) / 2.0, (y0 + y1) / 2.0, (x1 - x0) / 2.0, (y1 - y0) / 2.0, CYAN, BLUE)
    for hx, hy in ((x0, y0), (x1 - 1, y0), (x0, y1 - 1), (x1 - 1, y1 - 1)):
        p.dot(hx, hy, BLACK)


def card(p):
    """The problem's settings: a sheet with a teal header."""
    p.rect(1, 0, 14, 14, WHITE)
    p.rect(1, 0, 14, 3, TEAL)


def keycap(p, x, y):
    """A key: the same settings asked for by keyboard."""
    p.rect(x, y + 1, x + 6, y + 5, FACE)
    p.rect(x + 1, y + 2, x + 5, y + 3, WHITE, None)


def settings_badge(p, x, y):
    """Two sliders: this command sets something up."""
    p.rect(x, y, x + 7, y + 7, WHITE)
    for k, knob in ((2, 2), (4, 4)):
        p.line(x + 1.5, y + k + 0.5, x + 5.5, y + k + 0.5, GREY)
        p.rect(x + knob, y + k - 1, x + knob + 1, y + k + 2, RED, None)


def plotter(p, x0, y0, x1, y1):
    """A pen plotter from above: the sheet on its bed, the rail across it
    and the pen on the rail drawing a curve."""
    pen = x0 + (x1 - x0) * 0.6
    p.rect(x0, y0 + 2, x1, y1, WHITE)
    p.line(x0 + 1.5, y1 - 1.5, x0 + 4, y1 - 5.5, RED)
    p.line(x0 + 4, y1 - 5.5, pen, y1 - 2.5, RED)
    p.rect(x0, y0 + 4, x1, y0 + 7, GREY)
    p.rect(pen - 1.5, y0, pen + 1.5, y1 - 2, BLUE)


def picture(p, x0, y0, x1, y1):
    p.rect(x0, y0, x1, y1, CYAN)
    p.poly([(x0 + 1, y1 - 1), (x0 + 4, y0 + 3), (x0 + 7, y1 - 3), (x0 + 9, y1 - 5), (x1 - 1, y1 - 1)],
           DKGREEN, None)
    p.dot(x1 - 3, y0 + 2, YELLOW)


def magnifier(p, sign):
    p.line(9.5, 9.5, 13.5, 13.5, MAROON, 2)
    p.ellipse(6, 6, 5.5, 5.5, WHITE)
    p.text(6.5, 3.5, sign, BLACK, centred=True)


def cursor(p):
    p.poly([(1, 0), (1, 11), (3.5, 8.5), (5.5, 13), (7.5, 12), (5.5, 8), (9, 8)], WHITE)


def app_window(p, x0, y0, x1, y1):
    window(p, x0, y0, x1, y1, WHITE, BLUE)
    p.line(x0 + 1.5, y0 + 3.5, x1 - 1.5, y0 + 3.5, GREY)


def fractal(p):
    """A Sierpinski triangle of order 2."""
    def tri(x, y, size, depth):
        if depth == 0:
            p.poly([(x, y + size), (x + size / 2.0, y), (x + size, y + size)], LIME, DKGREEN)
        else:
            h = size / 2.0
            tri(x + h / 2.0, y, h, depth - 1)
            tri(x, y + h, h, depth - 1)
            tri(x + h, y + h, h, depth - 1)
    tri(0, 0, 12, 2)


def library_box(p):
    """A library of code: a closed box seen from the front and above."""
    p.poly([(1, 4), (4, 1), (14, 1), (11, 4)], OLIVE)
    p.poly([(11, 4), (14, 1), (14, 10), (11, 13)], MAROON)
    p.rect(1, 4, 12, 14, YELLOW)


# ---- one drawing per command ----

def new_problem(p):
    page(p, 3, 0, 13, 14)


def open_problem(p):
    folder(p, 0, 1, 15, 13, True)


def save_problem(p):
    floppy(p, 1, 1, 14, 14)


def save_as(p):
    floppy(p, 0, 1, 12, 13)
    pencil(p, 7, 13)


def printer_setup(p):
    printer(p, 0, 0, 12, 11)
    settings_badge(p, 9, 7)


def print_window(p):
    printer(p, 1, 1, 15, 13)


def quit_program(p):
    p.rect(1, 0, 9, 14, MAROON)
    p.poly([(2, 1), (7, 2), (7, 14), (2, 13)], OLIVE)
    p.dot(6, 7, YELLOW)
    arrow(p, 9.5, 7, 13.5, 7, RED, 3)


def problem_glyph(chars, badge=None):
    def draw(p):
        card(p)
        p.text(3, 5, chars, BLACK)
        if badge:
            badge(p, 9, 9)
    return draw


def problem_range(badge=None):
    def draw(p):
        card(p)
        p.line(3.5, 5, 3.5, 10, BLACK)
        p.line(11.5, 5, 11.5, 10, BLACK)
        p.line(4.5, 7.5, 10.5, 7.5, BLUE)
        p.poly([(4, 7.5), (6, 5.5), (6, 9.5)], BLUE, None)
        p.poly([(11, 7.5), (9, 5.5), (9, 9.5)], BLUE, None)
        if badge:
            badge(p, 9, 9)
    return draw


def method(p):
    card(p)
    for x, y in ((3, 11), (5, 9), (7, 7), (9, 5), (11, 4)):
        p.line(x + 0.5, y + 0.5, x + 2.5, y + 0.5, BLUE)
        p.line(x + 2.5, y + 0.5, x + 2.5, y - 1.5, BLUE)


def notes(p):
    p.poly([(1, 1), (14, 1), (14, 10), (10, 14), (1, 14)], YELLOW)
    p.poly([(14, 10), (10, 10), (10, 14)], OLIVE)
    text_lines(p, 3, 3, 12, 10, OLIVE)


def all_settings(p):
    p.rect(4, 0, 15, 11, WHITE)
    p.rect(1, 3, 12, 14, WHITE)
    p.rect(1, 3, 12, 6, TEAL)
    text_lines(p, 3, 7, 10, 13, BLACK)


def boundary_conditions(p):
    card(p)
    p.line(3.5, 11.5, 6.5, 6.5, BLUE)
    p.line(6.5, 6.5, 9.5, 9.5, BLUE)
    p.line(9.5, 9.5, 11.5, 5.5, BLUE)
    p.rect(2, 10, 5, 13, RED, None)
    p.rect(10, 4, 13, 7, RED, None)


def browser(chars):
    def draw(p):
        window(p, 0, 1, 16, 14, WHITE, TEAL)
        p.text(2, 6, chars, BLACK, narrow=True)
        p.line(9.5, 4, 9.5, 13, GREY)
        for y in (6, 9, 12):
            p.line(11, y + 0.5, 15, y + 0.5, BLUE)
    return draw


def html_notes(edit):
    def draw(p):
        page(p, 1, 0, 13, 14)
        p.text(3, 4, '< >', BLUE, narrow=True)
        text_lines(p, 3, 10, 10, 13, GREY)
        if edit:
            pencil(p, 8, 13)
    return draw


def calculator(p):
    p.rect(2, 0, 14, 14, GREY)
    p.rect(4, 2, 12, 5, LIME)
    for y in (7, 10):
        for x in (4, 7, 10):
            p.rect(x, y, x + 2, y + 2, WHITE, None)


def new_graph(p):
    graph_window(p, 2, 3, 16, 14)
    new_star(p, 4, 4)


def graphics_format(p):
    p.line(2.5, 1, 2.5, 12.5, BLACK)
    p.line(2.5, 12.5, 15, 12.5, BLACK)
    for k in (5, 8, 11, 14):
        p.line(k + 0.5, 11.5, k + 0.5, 13.5, BLACK)
    for k in (3, 6, 9):
        p.line(1.5, k + 0.5, 3.5, k + 0.5, BLACK)
    p.line(4.5, 10.5, 8.5, 3.5, RED)
    p.line(8.5, 3.5, 13.5, 9.5, RED)


def colours(p):
    p.rect(1, 1, 15, 13, WHITE)
    for (x, y), c in zip(((2, 2), (8, 2), (2, 7), (8, 7)), (RED, LIME, BLUE, YELLOW)):
        p.rect(x, y, x + 6, y + 5, c)


def view_point(p):
    p.line(6.5, 8.5, 6.5, 0.5, BLUE)
    p.line(6.5, 8.5, 15, 8.5, RED)
    p.line(6.5, 8.5, 1, 13.5, DKGREEN)
    p.ellipse(12, 3.5, 3.5, 2.5, WHITE)
    p.ellipse(12, 3.5, 1.3, 1.3, BLACK, None)


def new_text(p):
    text_window(p, 2, 3, 16, 14)
    new_star(p, 4, 4)


def text_format(p):
    p.rect(0, 1, 16, 13, WHITE)
    p.rect(0, 1, 16, 4, FACE)
    for x in (5, 10):
        p.line(x + 0.5, 1, x + 0.5, 13, GREY)
    for y in (6, 8, 10):
        for x in (2, 7, 12):
            p.line(x, y + 0.5, x + 2, y + 0.5, BLACK)


def plotter_settings(p):
    plotter(p, 0, 0, 12, 11)
    settings_badge(p, 9, 7)


def plotter_output(p):
    plotter(p, 1, 1, 15, 13)


def eject_page(p):
    p.rect(0, 8, 16, 14, GREY)
    p.rect(3, 3, 13, 10, WHITE)
    arrow(p, 8, 8, 8, 1, DKGREEN, 2)
    p.rect(3, 3, 13, 10, None)  # the sheet's edge again, over the arrow's foot


def write_epilog(p):
    plotter(p, 0, 2, 12, 14)
    p.line(9.5, 4.5, 11.5, 6.5, DKGREEN, 2)
    p.line(11.5, 6.5, 15, 1, DKGREEN, 2)


def status_line(p):
    window(p, 0, 1, 16, 14)
    p.rect(0, 10, 16, 14, FACE)
    p.line(2, 11.5, 9, 11.5, BLACK)
    p.rect(11, 11, 14, 13, LIME, None)


def draw_to_plotter(p):
    plotter(p, 0, 4, 12, 14)
    arrow(p, 13.5, 0, 13.5, 8, RED, 2)


def windows_with(badge, count):
    def draw(p):
        if count == 2:
            window(p, 0, 0, 11, 9)
            window(p, 3, 3, 14, 12)
        else:
            window(p, 1, 1, 13, 12)
        badge(p)
    return draw


def erase_badge(p):
    eraser(p, 7.5, 6.5)


def close_badge(p):
    red_x(p, 9, 7, 7)


def get_screen(p):
    picture(p, 0, 4, 11, 14)
    arrow(p, 11.5, 8, 11.5, 1, BLUE, 2)


def put_screen(p):
    picture(p, 0, 4, 11, 14)
    arrow(p, 13.5, 0, 13.5, 7, BLUE, 2)


def save_screen(p):
    picture(p, 0, 0, 11, 10)
    floppy(p, 8, 6, 16, 14)


def load_screen(p):
    picture(p, 5, 0, 16, 10)
    folder(p, 0, 5, 11, 14, True)


def save_points(p):
    for x, y in ((1, 8), (3, 5), (5, 3), (7, 4), (9, 1), (2, 1), (10, 5)):
        p.rect(x, y, x + 2, y + 2, RED, None)
    floppy(p, 8, 6, 16, 14)


def cascade(p):
    for k in range(3):
        window(p, k * 3, k * 3, k * 3 + 10, k * 3 + 8)


def tile(horizontal):
    def draw(p):
        if horizontal:
            window(p, 1, 0, 15, 7)
            window(p, 1, 7, 15, 14)
        else:
            window(p, 0, 1, 8, 13)
            window(p, 8, 1, 16, 13)
    return draw


def arrange_icons(p):
    p.rect(0, 0, 16, 14, WHITE)
    for x in (1, 6, 11):
        p.rect(x, 10, x + 4, 13, NAVY)


def clone_window(p):
    window(p, 0, 0, 10, 9)
    window(p, 5, 5, 15, 14)
    p.rect(11, 1, 16, 2.5, DKGREEN, None)
    p.rect(12.75, 0, 14.25, 4, DKGREEN, None)


def with_clipboard(thing, to_clipboard):
    def draw(p):
        clipboard(p, 7, 0, 16, 14)
        thing(p)
        if to_clipboard:
            arrow(p, 4, 2, 9, 2, DKGREEN, 2)
        else:
            arrow(p, 9, 2, 3, 2, DKGREEN, 2)
    return draw


def small_window(p):
    window(p, 0, 6, 10, 14)


def small_element(p):
    element(p, 0, 6, 10, 14)


def start(p):
    p.poly([(3, 1), (14, 7), (3, 13)], LIME, DKGREEN)


def stop(p):
    p.rect(3, 2, 13, 12, RED, MAROON)


def continue_run(p):
    p.rect(2, 2, 5, 12, LIME, DKGREEN)
    p.poly([(7, 1), (15, 7), (7, 13)], LIME, DKGREEN)


def backward(p):
    p.poly([(13, 1), (2, 7), (13, 13)], LIME, DKGREEN)
    p.rect(13, 2, 15, 12, DKGREEN, None)


def refresh(count):
    def draw(p):
        if count == 2:
            graph_window(p, 0, 0, 11, 9)
        graph_window(p, 3 * (count - 1), 3 * (count - 1), 16 - (count == 1), 14)
        p.ellipse(11.5, 9.5, 4.5, 4.5, WHITE, None)
        circle_arrow(p, 11.5, 9.5, 4)
    return draw


def element_with(badge, count=1):
    def draw(p):
        if count == 2:
            element(p, 0, 0, 9, 7)
        element(p, 2 + 2 * (count - 1), 2 + 2 * (count - 1), 12 + (count - 1), 11 + (count - 1))
        if badge:
            badge(p)
    return draw


def element_badge_new(p):
    new_star(p, 12, 3)


def element_badge_edit(p):
    pencil(p, 7, 13)


def element_badge_remove(p):
    red_x(p, 9, 7, 7)


def element_step(forward):
    def badge(p):
        if forward:
            arrow(p, 9, 12.5, 14, 12.5, BLUE, 2)
        else:
            arrow(p, 14, 12.5, 9, 12.5, BLUE, 2)
    return badge


def zoom(sign):
    def draw(p):
        magnifier(p, sign)
    return draw


def mouse_mode(badge):
    def draw(p):
        cursor(p)
        badge(p)
    return draw


def mode_initial(p):
    p.line(9, 12.5, 12.5, 6.5, BLUE)
    p.line(12.5, 6.5, 15, 9, BLUE)
    p.rect(8, 11, 11, 14, LIME, DKGREEN)


def mode_select(p):
    for x in range(9, 16, 2):
        p.dot(x, 5, BLACK)
        p.dot(x, 13, BLACK)
    for y in range(7, 13, 2):
        p.dot(9, y, BLACK)
        p.dot(15, y, BLACK)


def mode_move(p):
    p.line(12.5, 5, 12.5, 13.5, BLACK)
    p.line(8.5, 9.5, 16, 9.5, BLACK)
    for pts in (((12.5, 4), (10.5, 6), (14.5, 6)), ((12.5, 15), (10.5, 13), (14.5, 13)),
                ((8, 9.5), (10, 7.5), (10, 11.5)), ((16.5, 9.5), (14.5, 7.5), (14.5, 11.5))):
        p.poly(list(pts), BLACK, None)


def mode_origin(p):
    p.line(10.5, 5, 10.5, 12.5, BLACK)
    p.line(10.5, 12.5, 16, 12.5, BLACK)
    p.rect(9, 11, 12, 14, RED, None)


def mode_points(chosen, count):
    """Dots of an element's points, the one this mode sets in red."""
    spots = ((9, 11), (13, 11), (11, 6))

    def badge(p):
        for k, (x, y) in enumerate(spots[:count]):
            p.rect(x, y, x + 3, y + 3, RED if k == chosen else BLACK, None)
    return badge


def mode_value(first):
    def badge(p):
        p.line(9, 9.5, 16, 9.5, BLACK)
        x = 9 if first else 14
        p.rect(x, 6, x + 2, 13, RED, None)
    return badge


def mode_rotate(p):
    circle_arrow(p, 12, 10, 3.5, BLACK)


def fractal_order(forward):
    def draw(p):
        fractal(p)
        element_step(forward)(p)
    return draw


def preferences(p):
    p.rect(1, 0, 15, 14, WHITE)
    for y, checked in ((2, True), (6, False), (10, True)):
        p.rect(3, y, 6, y + 3, WHITE)
        if checked:
            p.dot(4, y + 1, BLACK)
        p.line(7.5, y + 1.5, 13.5, y + 1.5, GREY)


def toolbars(p):
    p.rect(0, 3, 16, 11, FACE)
    p.line(0.5, 3.5, 15.5, 3.5, WHITE)
    for x, c in ((1, RED), (6, LIME), (11, BLUE)):
        p.rect(x, 5, x + 4, 9, c)


def library(badge):
    def draw(p):
        library_box(p)
        badge(p)
    return draw


def lib_codes(p):
    for x, y in ((2, 11), (4, 9), (6, 7)):
        p.line(x + 0.5, y + 0.5, x + 2.5, y + 0.5, BLACK)
        p.line(x + 2.5, y + 0.5, x + 2.5, y - 1.5, BLACK)


def lib_math(p):
    p.text(3, 7, 'fx', BLACK, narrow=True)


def lib_plotter(p):
    p.line(3.5, 12.5, 8.5, 7.5, BLUE, 2)
    p.dot(3, 12, BLACK)


def font_files(p):
    page(p, 1, 0, 13, 14)
    p.line(3.5, 12.5, 7, 3, BLACK, 2)
    p.line(7, 3, 10.5, 12.5, BLACK, 2)
    p.line(5, 9.5, 9, 9.5, BLACK)


def escape_sequences(p):
    p.rect(0, 2, 16, 12, FACE)
    p.rect(1, 3, 15, 10, WHITE, None)
    p.text(8, 4, 'ESC', BLACK, centred=True, narrow=True)


def help_index(p):
    p.rect(2, 0, 14, 14, NAVY)
    p.rect(3, 12, 14, 14, WHITE)
    p.text(8.5, 2, '?', YELLOW, centred=True)


def show_fonts(p):
    p.line(1, 12.5, 5, 1.5, BLACK, 2)
    p.line(5, 1.5, 9, 12.5, BLACK, 2)
    p.line(3, 8.5, 7, 8.5, BLACK)
    p.text(10, 7, 'a', BLUE)


def step_size(larger):
    def draw(p):
        p.line(3.5, 0, 3.5, 7, BLACK)
        p.line(0, 3.5, 7, 3.5, BLACK)
        end = 15 if larger else 9
        arrow(p, 3.5, 10.5, end - 1.5, 10.5, BLUE, 2)
        p.text(10, 1, '+' if larger else '-', BLACK)
    return draw


def full_screen(p):
    p.rect(0, 1, 16, 13, CYAN)
    for x, y, dx, dy in ((2, 3, 1, 1), (13, 3, -1, 1), (2, 10, 1, -1), (13, 10, -1, -1)):
        p.rect(min(x, x + 3 * dx), y, max(x, x + 3 * dx) + 1, y + 1, NAVY, None)
        p.rect(x, min(y, y + 2 * dy), x + 1, max(y, y + 2 * dy) + 1, NAVY, None)


def mail(p):
    p.rect(0, 2, 16, 13, WHITE)
    p.line(0.5, 2.5, 8, 8.5, BLACK)
    p.line(8, 8.5, 15.5, 2.5, BLACK)


def open_example(p):
    folder(p, 0, 3, 15, 14, True)
    p.rect(6, 0, 15, 7, WHITE)
    p.line(7.5, 5.5, 10, 2.5, RED)
    p.line(10, 2.5, 13.5, 4.5, RED)
    p.poly([(3, 8), (16, 8), (13, 14), (0, 14)], YELLOW)  # the flap in front of the page


def link_chain(p):
    p.ellipse(5, 7, 4.5, 3.5, None, RED)
    p.ellipse(11, 7, 4.5, 3.5, None, MAROON)
    p.ellipse(5, 7, 3.5, 2.5, None, RED)
    p.ellipse(11, 7, 3.5, 2.5, None, MAROON)


def new_instance(p):
    app_window(p, 2, 3, 16, 14)
    new_star(p, 4, 4)


def open_copy(p):
    app_window(p, 4, 0, 16, 10)
    folder(p, 0, 5, 11, 14, True)


# Image order of the strips: command id -> drawing.
COMMANDS = [
    (101, new_problem), (102, open_problem), (103, save_problem), (104, save_as),
    (105, printer_setup), (106, print_window), (108, quit_program),
    (201, problem_glyph("x'")), (202, problem_glyph('xy')),
    (203, problem_glyph('xy', keycap)), (204, problem_glyph('ab')), (205, problem_glyph('=')),
    (206, problem_glyph('x0')), (208, problem_range()), (209, problem_range(keycap)),
    (210, method), (211, notes), (212, all_settings),
    (301, new_graph), (302, graphics_format), (303, colours), (304, view_point), (305, new_text),
    (306, text_format), (307, plotter_settings), (308, plotter_output), (310, eject_page),
    (311, write_epilog), (312, status_line),
    (411, windows_with(erase_badge, 1)), (412, windows_with(erase_badge, 2)), (413, get_screen),
    (414, put_screen), (415, save_screen), (416, load_screen), (418, cascade), (419, tile(True)),
    (420, tile(False)), (421, arrange_icons), (422, windows_with(close_badge, 1)),
    (423, windows_with(close_badge, 2)),
    (501, start), (502, stop), (503, continue_run), (504, backward),
    (601, refresh(1)), (602, refresh(2)), (605, element_with(element_badge_new)),
    (606, element_with(element_badge_edit)), (609, element_with(None, 2)),
    (612, element_with(element_badge_remove)), (613, element_with(element_badge_remove, 2)),
    (661, zoom('+')), (662, zoom('-')), (663, zoom('1')),
    (641, mouse_mode(mode_initial)), (642, mouse_mode(mode_select)), (643, mouse_mode(mode_move)),
    (644, mouse_mode(mode_origin)), (645, mouse_mode(mode_points(0, 1))),
    (646, mouse_mode(mode_points(2, 3))), (647, mouse_mode(mode_value(True))),
    (648, mouse_mode(mode_value(False))), (649, mouse_mode(mode_rotate)),
    (666, fractal_order(True)), (701, preferences), (702, toolbars), (703, library(lib_codes)),
    (704, library(lib_math)), (705, library(lib_plotter)), (309, draw_to_plotter), (706, font_files),
    (707, escape_sequences), (901, help_index), (904, show_fonts), (667, fractal_order(False)),
    (607, element_with(element_step(True))), (608, element_with(element_step(False))),
    (664, step_size(True)), (665, step_size(False)), (603, full_screen), (107, mail),
    (207, boundary_conditions), (417, save_points), (221, browser('x0')), (222, browser('ab')),
    (424, clone_window), (425, with_clipboard(small_window, True)),
    (426, with_clipboard(small_window, False)), (708, link_chain), (109, open_example),
    (213, html_notes(False)), (610, with_clipboard(small_element, True)),
    (611, with_clipboard(small_element, False)), (110, new_instance), (111, open_copy),
    (214, html_notes(True)), (230, calculator),
]


def strip(name, width):
    images = []
    for _, draw in COMMANDS:
        p = Pic(width)
        draw(p)
        images.append(p)
    height = images[0].h
    pixels = [sum((im.px[y] for im in images), []) for y in range(height)]
    write_bmp(name, width * len(images), height, 4, VGA, pixels)


def button_frame():
    w, h = 22, 20
    pixels = [[7] * w for _ in range(h)]
    for x in range(w):
        pixels[0][x] = 15
        pixels[h - 1][x] = 8
    for y in range(h):
        pixels[y][0] = 15
        pixels[y][w - 1] = 8
    write_bmp('button_frame.bmp', w, h, 4, VGA, pixels)


if __name__ == '__main__':
    assert len(COMMANDS) == 98
    strip('toolbar_small.bmp', 16)
    strip('toolbar_medium.bmp', 24)
    strip('toolbar_big.bmp', 32)
    button_frame()
