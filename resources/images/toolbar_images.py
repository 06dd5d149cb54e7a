#!/usr/bin/env python3
"""Draws the toolbar button strips (98 images side by side, three sizes) and
the customise dialog's button frame into this folder.

Run by hand after a change; the resource script includes the files. Each
image is a coloured tile by the command's menu group with the image's index
in small digits, so that every button is told apart."""
from make_images import VGA, write_bmp

DIGITS = {
    '0': ["111", "101", "101", "101", "111"], '1': ["010", "110", "010", "010", "111"],
    '2': ["111", "001", "111", "100", "111"], '3': ["111", "001", "111", "001", "111"],
    '4': ["101", "101", "111", "001", "001"], '5': ["111", "100", "111", "001", "111"],
    '6': ["111", "100", "111", "101", "111"], '7': ["111", "001", "010", "010", "010"],
    '8': ["111", "101", "111", "101", "111"], '9': ["111", "101", "111", "001", "111"],
}
IDS = [101, 102, 103, 104, 105, 106, 108, 201, 202, 203, 204, 205, 206, 208, 209, 210, 211, 212, 301, 302,
       303, 304, 305, 306, 307, 308, 310, 311, 312, 411, 412, 413, 414, 415, 416, 418, 419, 420, 421, 422,
       423, 501, 502, 503, 504, 601, 602, 605, 606, 609, 612, 613, 661, 662, 663, 641, 642, 643, 644, 645,
       646, 647, 648, 649, 666, 701, 702, 703, 704, 705, 309, 706, 707, 901, 904, 667, 607, 608, 664, 665,
       603, 107, 207, 417, 221, 222, 424, 425, 426, 708, 109, 213, 610, 611, 110, 111, 214, 230]
# VGA indices: group colour per hundred; 7 light grey is the button face.
GROUP = {1: 1, 2: 2, 3: 3, 4: 4, 5: 5, 6: 6, 7: 9, 9: 12}


def strip(name, width):
    height = width - (2 + (width - 16) // 8)
    pixels = [[7] * (width * 98) for _ in range(height)]
    scale = 1 + (width - 16) // 8
    for i, cid in enumerate(IDS):
        x0 = i * width
        colour = GROUP[cid // 100]
        for y in range(1, height - 1):
            for x in range(1, width - 1):
                if y in (1, height - 2) or x in (1, width - 2):
                    pixels[y][x0 + x] = colour
        text = '%d' % i
        tx = x0 + (width - (4 * len(text) - 1) * scale) // 2
        ty = (height - 5 * scale) // 2
        for k, ch in enumerate(text):
            for r, row in enumerate(DIGITS[ch]):
                for c, bit in enumerate(row):
                    if bit == '1':
                        for dy in range(scale):
                            for dx in range(scale):
                                pixels[ty + r * scale + dy][tx + (4 * k + c) * scale + dx] = 0
    write_bmp(name, width * 98, height, 4, VGA, pixels)


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
    strip('toolbar_small.bmp', 16)
    strip('toolbar_medium.bmp', 24)
    strip('toolbar_big.bmp', 32)
    button_frame()
