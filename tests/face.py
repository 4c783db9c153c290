#!/usr/bin/python3
# face: the picture codes' face, as our own writer made it, read back by
# fonttools. Every table's checksum and the whole face's must hold (FreeType,
# which draws it here, reads on past a wrong sum; a stricter reader may
# not); and what our
# writer works out (bounding boxes, the metrics' extremes, the point and
# contour counts, the first and last character) must be what fonttools works
# out again from the same outlines when it saves the face anew.
# Usage: face.py FACE.ttf
import io
import logging
import sys

from fontTools.ttLib import TTFont

logging.getLogger('fontTools').setLevel(logging.ERROR)  # not a word on our dates, which are 0 on purpose

path = sys.argv[1]
ours = TTFont(path, checkChecksums=2, recalcTimestamp=False)  # raises on a table whose sum is wrong
whole = open(path, 'rb').read()
total = sum(int.from_bytes(whole[i:i + 4].ljust(4, b'\0'), 'big') for i in range(0, len(whole), 4)) % 2 ** 32
if total != 0xB1B0AFBA:
    sys.exit('the face does not sum to the magic number: head\'s checkSumAdjustment is wrong')

anew = TTFont(path, recalcTimestamp=False)
for tag in anew.keys():
    anew[tag]  # read, so that saving works its derived values out again
for name in anew.getGlyphOrder():
    anew['glyf'][name]  # and each glyph's box
saved = io.BytesIO()
anew.save(saved)
again = TTFont(io.BytesIO(saved.getvalue()))
failures = []
for tag in sorted(ours.keys()):
    if tag == 'GlyphOrder':
        continue
    mine, theirs = io.StringIO(), io.StringIO()
    ours.saveXML(mine, tables=[tag])
    again.saveXML(theirs, tables=[tag])
    lines = [[line.strip() for line in xml.getvalue().splitlines() if 'checkSumAdjustment' not in line]
             for xml in (mine, theirs)]
    if lines[0] != lines[1]:
        a, b = next(((a, b) for a, b in zip(*lines) if a != b), ('...', '...'))
        failures.append(f'{tag}: ours "{a}", worked out anew "{b}"')
if failures:
    sys.exit('\n'.join(failures))
print(f'{path}: {len(ours.getGlyphOrder())} glyphs, every sum and derived value right')
