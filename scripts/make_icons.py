#!/usr/bin/env python3
"""Writes the plug-in's icon and cursor files into resources/ (pure Python, no image library).

- playtally.ico: a green circle, 16 x 16 and 32 x 32 pixels, each as a 16-colour image (for old
  displays and the tray of old systems) and as a 32-bit image with a soft alpha edge.
- hand.cur: the pointing hand that link labels and the list header show: 32 x 32, monochrome,
  hot spot at the fingertip (6, 0).

Run it again after changing a drawing; the generated files are checked in, and the test `icons`
(`make_icons.py --check`) fails when they no longer match the drawings.
"""
import math
import os
import struct
import sys

# --- the circle -----------------------------------------------------------------------------------

# Colours of the circle, (blue, green, red): a dark rim, the body and a light spot up and left.
RIM = (0x00, 0x5A, 0x00)
BODY = (0x10, 0xB0, 0x10)
SPOT = (0x90, 0xF0, 0x90)

# The 16-colour images use the standard VGA palette; these are its entries for the colours above.
VGA = [(0, 0, 0), (0, 0, 128), (0, 128, 0), (0, 128, 128), (128, 0, 0), (128, 0, 128),
       (128, 128, 0), (192, 192, 192), (128, 128, 128), (0, 0, 255), (0, 255, 0), (0, 255, 255),
       (255, 0, 0), (255, 0, 255), (255, 255, 0), (255, 255, 255)]  # (red, green, blue)
VGA_RIM, VGA_BODY, VGA_SPOT = 2, 10, 15


def circle_pixel(size, x, y):
    """Coverage (0..1) and colour of pixel (x, y) of a circle filling an image of `size` pixels.

    x, y count from the top-left corner."""
    centre = size / 2.0
    radius = size / 2.0 - 0.5
    # 4 x 4 samples per pixel for the soft edge
    inside = 0
    for sy in range(4):
        for sx in range(4):
            px = x + (sx + 0.5) / 4.0
            py = y + (sy + 0.5) / 4.0
            if math.hypot(px - centre, py - centre) <= radius:
                inside += 1
    coverage = inside / 16.0
    d = math.hypot(x + 0.5 - centre, y + 0.5 - centre)
    spot = math.hypot(x + 0.5 - centre * 0.7, y + 0.5 - centre * 0.7)
    if d > radius - max(1.0, size / 16.0):
        colour, vga = RIM, VGA_RIM
    elif spot < size / 7.0:
        colour, vga = SPOT, VGA_SPOT
    else:
        colour, vga = BODY, VGA_BODY
    return coverage, colour, vga


def mask_rows(size, opaque):
    """The AND mask (1 = transparent), bottom row first, rows padded to 32 bits."""
    stride = ((size + 31) // 32) * 4
    out = bytearray()
    for y in reversed(range(size)):
        row = bytearray(stride)
        for x in range(size):
            if not opaque(x, y):
                row[x // 8] |= 0x80 >> (x % 8)
        out += row
    return bytes(out)


def bitmap_header(width, height, bits, colours, image_size):
    # The height counts the colour image and the mask together.
    return struct.pack('<IiiHHIIiiII', 40, width, height * 2, 1, bits, 0, image_size, 0, 0, colours, 0)


def circle_4bit(size):
    pixels = [[circle_pixel(size, x, y) for x in range(size)] for y in range(size)]
    opaque = lambda x, y: pixels[y][x][0] >= 0.6
    stride = ((size * 4 + 31) // 32) * 4
    xor = bytearray()
    for y in reversed(range(size)):
        row = bytearray(stride)
        for x in range(size):
            index = pixels[y][x][2] if opaque(x, y) else 0
            row[x // 2] |= index << (4 if x % 2 == 0 else 0)
        xor += row
    and_mask = mask_rows(size, opaque)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in VGA)
    data = bytes(xor) + and_mask
    return bitmap_header(size, size, 4, 16, len(data)) + palette + data, 16, 4


def circle_32bit(size):
    pixels = [[circle_pixel(size, x, y) for x in range(size)] for y in range(size)]
    xor = bytearray()
    for y in reversed(range(size)):
        for x in range(size):
            coverage, (b, g, r), _ = pixels[y][x]
            a = int(round(coverage * 255))
            xor += struct.pack('<BBBB', b, g, r, a) if a else b'\0\0\0\0'
    and_mask = mask_rows(size, lambda x, y: pixels[y][x][0] > 0)
    data = bytes(xor) + and_mask
    return bitmap_header(size, size, 32, 0, len(data)), 0, 32, data


def icon_file(images):
    """images: list of (size, colour count, bit count, image bytes)."""
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries, blobs = b'', b''
    for size, colours, bits, blob in images:
        entries += struct.pack('<BBBBHHII', size % 256, size % 256, colours % 256, 0, 1, bits, len(blob), offset)
        blobs += blob
        offset += len(blob)
    return out + entries + blobs


def make_icon():
    images = []
    for size in (16, 32):
        blob, colours, bits = circle_4bit(size)
        images.append((size, colours, bits, blob))
    for size in (16, 32):
        header, colours, bits, data = circle_32bit(size)
        images.append((size, colours, bits, header + data))
    return icon_file(images)


# --- the hand cursor ------------------------------------------------------------------------------

# '#' black, 'o' white, anything else transparent. The fingertip's top pixel is (6, 0).
HAND = [
    "     ###",
    "    #ooo#",
    "    #ooo#",
    "    #ooo#",
    "    #ooo#",
    "    #ooo###",
    "    #ooo#oo##",
    "    #ooo#oo#o##",
    "    #ooo#oo#oo###",
    " ## #ooo#oo#oo#oo#",
    "#oo##ooooooooo#oo#",
    "#ooo#ooooooooooooo#",
    " #oo#ooooooooooooo#",
    "  #oooooooooooooooo#",
    "  #oooooooooooooooo#",
    "   #ooooooooooooooo#",
    "   #ooooooooooooooo#",
    "    #ooooooooooooo#",
    "    #ooooooooooooo#",
    "     #ooooooooooo#",
    "     #ooooooooooo#",
    "     #############",
]
HOT_SPOT = (6, 0)


def make_cursor():
    size = 32
    rows = [r.ljust(size) for r in HAND] + [' ' * size] * (size - len(HAND))
    assert all(len(r) == size for r in rows), "the drawing is wider than 32 pixels"
    assert rows[HOT_SPOT[1]][HOT_SPOT[0]] == '#', "the hot spot must be on the fingertip"
    xor = bytearray()
    for y in reversed(range(size)):
        row = bytearray(4)
        for x in range(size):
            if rows[y][x] == 'o':
                row[x // 8] |= 0x80 >> (x % 8)
        xor += row
    and_mask = mask_rows(size, lambda x, y: rows[y][x] in '#o')
    palette = struct.pack('<BBBB', 0, 0, 0, 0) + struct.pack('<BBBB', 255, 255, 255, 0)
    data = bytes(xor) + and_mask
    blob = bitmap_header(size, size, 1, 2, len(data)) + palette + data
    header = struct.pack('<HHH', 0, 2, 1)
    # In a cursor directory the planes and bit-count fields hold the hot spot.
    entry = struct.pack('<BBBBHHII', size, size, 2, 0, HOT_SPOT[0], HOT_SPOT[1], len(blob), 6 + 16)
    return header + entry + blob


def main():
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'resources')
    files = {'playtally.ico': make_icon(), 'hand.cur': make_cursor()}
    if len(sys.argv) > 1 and sys.argv[1] == '--check':
        # The build compiles the committed files: they must still be what the drawings make.
        folder = sys.argv[2] if len(sys.argv) > 2 else root
        stale = [name for name, data in files.items()
                 if not os.path.exists(os.path.join(folder, name))
                 or open(os.path.join(folder, name), 'rb').read() != data]
        for name in stale:
            print(f'{name} differs from what scripts/make_icons.py draws: run the script again')
        return 1 if stale else 0
    out = sys.argv[1] if len(sys.argv) > 1 else root
    for name, data in files.items():
        with open(os.path.join(out, name), 'wb') as f:
            f.write(data)
    return 0


if __name__ == '__main__':
    sys.exit(main())
