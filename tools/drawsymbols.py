#!/usr/bin/python3
"""drawsymbols: draws the picture codes' symbols into a small TrueType face.

    drawsymbols.py OUTPUT.ttf

The pigpen grid's 24 letters at U+E000-E017 (the Private Use Area, since
Unicode has no pigpen), and the 24 clock faces at their own code points,
U+1F550-1F567, so that a message copied out still reads as clocks wherever
an emoji face is installed. The windows ask for this face after the one they
are drawn in, so that it draws only what the other lacks.

Every stroke is a filled outline: a line is a rectangle squared past its
ends, a dot and the clock's rim are circles of quadratic curves; outlines may
overlap (TrueType fills by winding, and each turns the same way), and the
rim's hole turns the other way. Nothing depends on the clock or the machine:
a second run gives the same bytes.
"""

import math
import sys

import truetype

EM = 1000
ASCENT, DESCENT = 800, 200
STROKE = 70  # as heavy as the bold face's stems at the keys' size

# The pigpen cell: a square standing on the baseline, cap-height tall.
CELL = 600
SIDE = 130  # the side bearing: cells that stand together still read apart
PIGPEN_ADVANCE = CELL + 2 * SIDE
DOT = 62  # the dot's radius

# The clock: a face as tall as a capital with a little more, on the baseline.
CLOCK_RADIUS = 430
CLOCK_CENTRE = (520, 300)
CLOCK_ADVANCE = 1040


def clockwise(points):
    """The points turned clockwise (y up), as TrueType's filled outlines are."""
    area = sum(x0 * y1 - x1 * y0 for (x0, y0), (x1, y1) in zip(points, points[1:] + points[:1]))
    return points if area < 0 else points[::-1]


def polygon(outline, points):
    outline.append([(x, y, True) for x, y in clockwise([(round(x), round(y)) for x, y in points])])


def line(outline, a, b, width=STROKE):
    """A stroke from a to b, squared half its width past each end, so that
    two strokes meeting at a corner meet square."""
    (ax, ay), (bx, by) = a, b
    length = math.hypot(bx - ax, by - ay)
    ux, uy = (bx - ax) / length, (by - ay) / length  # along
    nx, ny = -uy * width / 2, ux * width / 2  # across, half the width
    ex, ey = ux * width / 2, uy * width / 2  # past the ends
    polygon(outline, [(ax - ex + nx, ay - ey + ny), (bx + ex + nx, by + ey + ny),
                      (bx + ex - nx, by + ey - ny), (ax - ex - nx, ay - ey - ny)])


def circle(outline, centre, radius, hole=False):
    """A circle as eight quadratic curves: off-curve points on the octagon
    round it, whose midpoints lie on the circle."""
    cx, cy = centre
    reach = radius / math.cos(math.pi / 8)
    points = [(round(cx + reach * math.cos(math.pi / 8 * (2 * k + 1))),
               round(cy + reach * math.sin(math.pi / 8 * (2 * k + 1)))) for k in range(8)]
    points = clockwise(points)
    if hole:
        points = points[::-1]
    outline.append([(x, y, False) for x, y in points])


# --- Pigpen -----------------------------------------------------------------------------------
#
# Α-Ι fill the first grid row by row, Κ-Σ the second (each with a dot), Τ-Χ
# the cross (top, left, right, bottom), Ψ and Ω the dotted cross's top and
# left; its right and bottom stay empty. A letter is drawn as the lines
# round its cell: in a grid, the sides it shares with other cells; in a
# cross, the two arms beside it.

LEFT, RIGHT, BOTTOM, TOP = SIDE, SIDE + CELL, 0, CELL
MIDDLE = ((LEFT + RIGHT) / 2, (BOTTOM + TOP) / 2)


def grid_cell(outline, row, column, dotted):
    if column < 2:
        line(outline, (RIGHT, BOTTOM), (RIGHT, TOP))
    if column > 0:
        line(outline, (LEFT, BOTTOM), (LEFT, TOP))
    if row < 2:
        line(outline, (LEFT, BOTTOM), (RIGHT, BOTTOM))
    if row > 0:
        line(outline, (LEFT, TOP), (RIGHT, TOP))
    if dotted:
        circle(outline, MIDDLE, DOT)


# Where a cross's cell opens: its two arms meet at the point across from it.
CROSS = {
    'top': ((LEFT, TOP), ((LEFT + RIGHT) / 2, BOTTOM), (RIGHT, TOP)),
    'left': ((LEFT, TOP), (RIGHT, (BOTTOM + TOP) / 2), (LEFT, BOTTOM)),
    'right': ((RIGHT, TOP), (LEFT, (BOTTOM + TOP) / 2), (RIGHT, BOTTOM)),
    'bottom': ((LEFT, BOTTOM), ((LEFT + RIGHT) / 2, TOP), (RIGHT, BOTTOM)),
}


def cross_cell(outline, side, dotted):
    a, point, b = CROSS[side]
    line(outline, a, point)
    line(outline, point, b)
    if dotted:
        # In the open side's half of the cell, clear of the arms.
        towards = {'top': (0, 1), 'left': (-1, 0), 'right': (1, 0), 'bottom': (0, -1)}[side]
        circle(outline, (MIDDLE[0] + towards[0] * CELL * 0.22, MIDDLE[1] + towards[1] * CELL * 0.22), DOT)


def pigpen(letter):
    """The outline of the letter at `letter` (0 for Α)."""
    outline = []
    if letter < 18:
        grid_cell(outline, letter % 9 // 3, letter % 3, letter >= 9)
    else:
        cross_cell(outline, ('top', 'left', 'right', 'bottom')[(letter - 18) % 4], letter >= 22)
    return outline


# --- The clock ----------------------------------------------------------------------------------
#
# Α is twelve o'clock, and each letter half an hour later, round to Ω at half
# past eleven: the face's code point is U+1F550 for one o'clock up to U+1F55B
# for twelve, then U+1F55C for half past one up to U+1F567 for half past twelve.

def clock_code_point(letter):
    hour, half = (letter // 2 + 11) % 12 + 1, letter % 2  # 12, 12, 1, 1, ... 11, 11
    return (0x1F550 if not half else 0x1F55C) + hour - 1


def clock(letter):
    outline = []
    cx, cy = CLOCK_CENTRE
    circle(outline, CLOCK_CENTRE, CLOCK_RADIUS)
    circle(outline, CLOCK_CENTRE, CLOCK_RADIUS - STROKE * 0.8, hole=True)
    # The hands alone, as the emoji faces draw them: marks on the rim run
    # into a hand at the keys' size.
    minutes = 30 * (letter % 2)
    hours = (letter // 2) % 12 + minutes / 60
    for turn, length, width in ((hours / 12, CLOCK_RADIUS * 0.45, STROKE * 1.15),
                                (minutes / 60, CLOCK_RADIUS * 0.72, STROKE * 0.8)):
        angle = 2 * math.pi * turn  # from twelve, clockwise
        line(outline, (cx, cy), (cx + length * math.sin(angle), cy + length * math.cos(angle)), width)
    circle(outline, CLOCK_CENTRE, STROKE * 0.8)
    return outline


def main(output):
    glyphs = [('.notdef', [], PIGPEN_ADVANCE, 0)]
    cmap = {}
    for letter in range(24):
        glyphs.append(('pigpen%02d' % letter, pigpen(letter), PIGPEN_ADVANCE, SIDE))
        cmap[0xE000 + letter] = glyphs[-1][0]
        glyphs.append(('clock%02d' % letter, clock(letter), CLOCK_ADVANCE, CLOCK_CENTRE[0] - CLOCK_RADIUS))
        cmap[clock_code_point(letter)] = glyphs[-1][0]
    names = {0: 'Drawn for Simatoplektis; free to use, change and share', 1: 'Simatoplektis Pictures',
             2: 'Regular', 5: 'Version 1.0'}
    with open(output, 'wb') as out:
        out.write(truetype.face(glyphs, cmap, names, ASCENT, DESCENT, EM, b'SIMA'))


if __name__ == '__main__':
    if len(sys.argv) != 2:
        sys.exit('usage: drawsymbols.py OUTPUT.ttf')
    main(sys.argv[1])
