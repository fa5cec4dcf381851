#!/usr/bin/env python3
"""Draws the application icon: a white plus-shaped cross on a teal rounded square.

Writes talvoro.ico beside this script with 32-bit PNG images at 16, 24, 32, 48, 64, 128 and
256 px. Standard library only (zlib + struct); shapes are signed distance fields, so every
size is drawn anew with smooth edges rather than scaled from one bitmap.
"""
import os
import struct
import zlib

SIZES = (16, 24, 32, 48, 64, 128, 256)
TEAL_TOP = (0, 150, 156)      # the square is shaded slightly from top to bottom
TEAL_BOTTOM = (0, 118, 126)
WHITE = (255, 255, 255)

# Geometry as fractions of the icon's side.
SQUARE_MARGIN = 0.04          # transparent border around the square
SQUARE_RADIUS = 0.20          # corner radius of the square
CROSS_ARM = 0.56              # length of each bar of the cross
CROSS_THICKNESS = 0.19        # width of each bar
CROSS_RADIUS = 0.03           # slight rounding of the bar ends


def rounded_box_distance(x, y, half_w, half_h, radius):
    """Signed distance from (x, y) to a rounded box centred on the origin."""
    qx = abs(x) - half_w + radius
    qy = abs(y) - half_h + radius
    outside = (max(qx, 0.0) ** 2 + max(qy, 0.0) ** 2) ** 0.5
    return outside + min(max(qx, qy), 0.0) - radius


def coverage(distance):
    """Fraction of a pixel covered by a shape, from the distance of the pixel's centre."""
    return min(max(0.5 - distance, 0.0), 1.0)


def draw(size):
    """RGBA rows of one icon image."""
    centre = size / 2.0
    half_square = size * (0.5 - SQUARE_MARGIN)
    square_radius = size * SQUARE_RADIUS
    arm = size * CROSS_ARM / 2.0
    bar = size * CROSS_THICKNESS / 2.0
    bar_radius = size * CROSS_RADIUS
    rows = []
    for py in range(size):
        row = bytearray()
        y = py + 0.5 - centre
        t = (py + 0.5) / size
        teal = [round(a + (b - a) * t) for a, b in zip(TEAL_TOP, TEAL_BOTTOM)]
        for px in range(size):
            x = px + 0.5 - centre
            square = coverage(rounded_box_distance(x, y, half_square, half_square, square_radius))
            cross_distance = min(rounded_box_distance(x, y, arm, bar, bar_radius),
                                 rounded_box_distance(x, y, bar, arm, bar_radius))
            cross = coverage(cross_distance) * square
            colour = [round(c * (1.0 - cross) + w * cross) for c, w in zip(teal, WHITE)]
            row += bytes(colour) + bytes((round(255 * square),))
        rows.append(bytes(row))
    return rows


def png(size, rows):
    """A PNG file of 8-bit RGBA rows."""
    def chunk(kind, data):
        body = kind + data
        return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body))
    raw = b''.join(b'\x00' + row for row in rows)
    header = struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) +
            chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


def ico(images):
    """An .ico file holding the given (size, png bytes) images."""
    header = struct.pack('<HHH', 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    directory = b''
    data = b''
    for size, image in images:
        side = 0 if size >= 256 else size   # 0 stands for 256 in the directory
        directory += struct.pack('<BBBBHHII', side, side, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
        data += image
    return header + directory + data


def main():
    images = [(size, png(size, draw(size))) for size in SIZES]
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'talvoro.ico')
    with open(path, 'wb') as out:
        out.write(ico(images))


if __name__ == '__main__':
    main()
