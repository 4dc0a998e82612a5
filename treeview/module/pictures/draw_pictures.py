#!/usr/bin/env python3
"""Draws the tree's built-in pictures as 16 x 16 GIFs: the blank and vertical-line indents, the
sixteen connectors (leaf, expanded, position) and the four node icons. Run it to redraw them;
the GIFs are kept in the tree beside it so that building needs no Python."""
import os
import sys

SIZE = 16
# Palette: 0 transparent white, 1 line grey, 2 black, 3 white, 4 folder yellow, 5 folder shade,
# 6 page blue (selection), 7 dark blue.
PALETTE = [(255, 255, 255), (128, 128, 128), (0, 0, 0), (255, 255, 255),
           (255, 214, 99), (198, 148, 41), (49, 106, 197), (0, 0, 128)]


def lzw(pixels, min_code_size=3):
    """GIF LZW of a list of palette indexes."""
    clear, end = 1 << min_code_size, (1 << min_code_size) + 1
    table = {(i,): i for i in range(clear)}
    next_code, width = end + 1, min_code_size + 1
    out, acc, nbits = bytearray(), 0, 0

    def emit(code):
        nonlocal acc, nbits
        acc |= code << nbits
        nbits += width
        while nbits >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            nbits -= 8

    emit(clear)
    run = ()
    for p in pixels:
        grown = run + (p,)
        if grown in table:
            run = grown
            continue
        emit(table[run])
        if next_code < 4096:
            table[grown] = next_code
            next_code += 1
            if next_code > (1 << width) and width < 12:
                width += 1
        else:
            emit(clear)
            table = {(i,): i for i in range(clear)}
            next_code, width = end + 1, min_code_size + 1
        run = (p,)
    if run:
        emit(table[run])
    emit(end)
    if nbits:
        out.append(acc & 0xFF)
    return bytes(out)


def gif(grid):
    pixels = [c for row in grid for c in row]
    data = bytearray(b"GIF89a")
    data += SIZE.to_bytes(2, "little") * 2
    data += bytes([0xF2, 0, 0])  # global table of 8 colours
    for r, g, b in PALETTE:
        data += bytes([r, g, b])
    data += bytes([0x21, 0xF9, 4, 1, 0, 0, 0, 0])  # colour 0 is transparent
    data += b"\x2C" + bytes(4) + SIZE.to_bytes(2, "little") * 2 + b"\x00"
    data.append(3)
    body = lzw(pixels)
    for i in range(0, len(body), 255):
        chunk = body[i:i + 255]
        data.append(len(chunk))
        data += chunk
    data += b"\x00\x3B"
    return bytes(data)


def canvas():
    return [[0] * SIZE for _ in range(SIZE)]


def dotted_v(g, x, y0, y1):
    for y in range(y0, y1 + 1):
        if y % 2 == 0:
            g[y][x] = 1


def dotted_h(g, y, x0, x1):
    for x in range(x0, x1 + 1):
        if x % 2 == 0:
            g[y][x] = 1


MID = 8


def connector(leaf, expanded, position):
    g = canvas()
    # position 0: line above and below (a following sibling); 1: above only (the last);
    # 2: none (the only top-level node); 3: below only (the first top-level node).
    if position in (0, 1):
        dotted_v(g, MID, 0, MID)
    if position in (0, 3):
        dotted_v(g, MID, MID, SIZE - 1)
    dotted_h(g, MID, MID, SIZE - 1)
    if not leaf:
        for i in range(MID - 4, MID + 5):  # the box
            g[MID - 4][i] = g[MID + 4][i] = 1
            g[i][MID - 4] = g[i][MID + 4] = 1
        for y in range(MID - 3, MID + 4):
            for x in range(MID - 3, MID + 4):
                g[y][x] = 3
        for x in range(MID - 2, MID + 3):  # minus
            g[MID][x] = 2
        if not expanded:  # plus
            for y in range(MID - 2, MID + 3):
                g[y][MID] = 2
    return g


def page(selected):
    g = canvas()
    ink, paper = (7, 6) if selected else (1, 3)
    for y in range(1, 15):
        for x in range(3, 13):
            g[y][x] = paper
    for x in range(3, 13):
        g[1][x] = g[14][x] = ink
    for y in range(1, 15):
        g[y][3] = g[y][12] = ink
    for y in (4, 6, 8, 10):
        for x in range(5, 11):
            g[y][x] = 3 if selected else 1
    return g


def folder(opened):
    g = canvas()
    for x in range(1, 7):
        g[3][x] = 5
    for y in range(4, 14):
        for x in range(1, 15):
            g[y][x] = 4
    for x in range(1, 15):
        g[4][x] = g[13][x] = 5
    for y in range(4, 14):
        g[y][1] = g[y][14] = 5
    if opened:  # the front flap tilted open
        for y in range(7, 14):
            for x in range(2 + (13 - y) // 2, 16 - (13 - y) // 3 - 1):
                g[y][x] = 4
            g[y][2 + (13 - y) // 2] = 5
        for x in range(5, 15):
            g[7][x] = 5
        for x in range(1, 15):
            g[13][x] = 5
    return g


def pictures():
    yield "blank", canvas()
    g = canvas()
    dotted_v(g, MID, 0, SIZE - 1)
    yield "vertline", g
    for leaf in (0, 1):
        for expanded in (0, 1):
            for position in range(4):
                yield f"heritage{leaf}{expanded}{position}", connector(leaf, expanded, position)
    yield "leafdefault", page(False)
    yield "leafselected", page(True)
    yield "branchdefault", folder(False)
    yield "branchselected", folder(True)


def main():
    folder_out = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    for name, grid in pictures():
        with open(os.path.join(folder_out, name + ".gif"), "wb") as f:
            f.write(gif(grid))


if __name__ == "__main__":
    main()
