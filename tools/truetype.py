"""truetype: a small TrueType face from quadratic outlines, with Python alone.

    face(glyphs, cmap, names, ascent, descent, em, vendor) -> bytes

glyphs: (name, contours, advance, left side bearing), the first .notdef; a
contour is a list of (x, y, on_curve) points in font units, turning
clockwise (y up) to fill, and may have no on-curve point at all (a circle).
cmap: code point -> glyph name. names: name ID -> text.

Written here rather than taken from fonttools so that building the program
needs Python's standard library alone: fonttools and what it brings along
(scipy, sympy, boost's headers) were a third of what a first `scripts/run`
unpacked. The face is plain: no hinting, no kerning; the glyphs say that
their outlines overlap (filled by winding, as every renderer does), for the
few renderers that ask. Nothing depends on the clock: a second run gives
the same bytes.
"""

import struct

ON_CURVE, X_SHORT, Y_SHORT, X_SAME_OR_POSITIVE, Y_SAME_OR_POSITIVE, OVERLAP_SIMPLE = 1, 2, 4, 16, 32, 64


def bounds(contours):
    xs = [x for contour in contours for x, _, _ in contour]
    ys = [y for contour in contours for _, y, _ in contour]
    return min(xs), min(ys), max(xs), max(ys)


def glyph(contours):
    """One glyph as the glyf table holds it, padded to 4 bytes."""
    if not contours:
        return b''
    flags, xs, ys = bytearray(), bytearray(), bytearray()
    last = (0, 0)
    for contour in contours:
        for x, y, on in contour:
            flag = ON_CURVE if on else 0
            for delta, short, same, out in ((x - last[0], X_SHORT, X_SAME_OR_POSITIVE, xs),
                                            (y - last[1], Y_SHORT, Y_SAME_OR_POSITIVE, ys)):
                if delta == 0:
                    flag |= same
                elif abs(delta) <= 255:
                    flag |= short | (same if delta > 0 else 0)
                    out.append(abs(delta))
                else:
                    out += struct.pack('>h', delta)
            flags.append(flag)
            last = (x, y)
    flags[0] |= OVERLAP_SIMPLE
    ends = [sum(len(c) for c in contours[:i + 1]) - 1 for i in range(len(contours))]
    data = (struct.pack('>5h', len(contours), *bounds(contours)) + struct.pack('>%dH' % len(ends), *ends)
            + struct.pack('>H', 0) + flags + xs + ys)  # no instructions
    return data + b'\0' * (-len(data) % 4)


def character_map(cmap, ids):
    """Format 4 for the Basic Multilingual Plane (Unicode's and Windows'
    records), format 12 for every plane (Windows'); a segment, or a group,
    for each code point, since there are few."""
    pairs = sorted((code, ids[name]) for code, name in cmap.items())
    bmp = [(code, gid) for code, gid in pairs if code <= 0xFFFF] + [(0xFFFF, 0)]
    n = len(bmp)
    power = 2 ** (n.bit_length() - 1)
    format4 = (struct.pack('>4H', 2 * n, 2 * power, power.bit_length() - 1, 2 * (n - power))
               + struct.pack('>%dH' % n, *(code for code, _ in bmp)) + b'\0\0'
               + struct.pack('>%dH' % n, *(code for code, _ in bmp))
               + struct.pack('>%dH' % n, *((gid - code) % 0x10000 if code != 0xFFFF else 1 for code, gid in bmp))
               + struct.pack('>%dH' % n, *([0] * n)))
    format4 = struct.pack('>3H', 4, 6 + len(format4), 0) + format4
    format12 = (struct.pack('>2H3L', 12, 0, 16 + 12 * len(pairs), 0, len(pairs))
                + b''.join(struct.pack('>3L', code, code, gid) for code, gid in pairs))
    start4, start12 = 4 + 8 * 3, 4 + 8 * 3 + len(format4)
    return (struct.pack('>2H', 0, 3) + struct.pack('>2HL', 0, 3, start4) + struct.pack('>2HL', 3, 1, start4)
            + struct.pack('>2HL', 3, 10, start12) + format4 + format12)


def naming(names):
    """The names for the Mac (Roman) and for Windows (English, UTF-16)."""
    records, strings = b'', b''
    for platform, encoding, language, codec in ((1, 0, 0, 'mac_roman'), (3, 1, 0x409, 'utf-16-be')):
        for name_id, text in sorted(names.items()):
            data = text.encode(codec)
            records += struct.pack('>6H', platform, encoding, language, name_id, len(data), len(strings))
            strings += data
    count = 2 * len(names)
    return struct.pack('>3H', 0, count, 6 + 12 * count) + records + strings


def postscript(glyph_names):
    """Format 2: the glyphs' names, .notdef being the Mac's standard first."""
    extra = glyph_names[1:]
    return (struct.pack('>LLhhLLLLL', 0x00020000, 0, 0, 0, 0, 0, 0, 0, 0)
            + struct.pack('>%dH' % (len(glyph_names) + 1), len(glyph_names), 0, *range(258, 258 + len(extra)))
            + b''.join(bytes([len(name)]) + name.encode('ascii') for name in extra))


def checksum(data):
    data += b'\0' * (-len(data) % 4)
    return sum(struct.unpack('>%dL' % (len(data) // 4), data)) % 2 ** 32


def face(glyphs, cmap, names, ascent, descent, em, vendor):
    ids = {name: i for i, (name, _, _, _) in enumerate(glyphs)}
    outlines = [glyph(contours) for _, contours, _, _ in glyphs]
    offsets = [sum(len(o) for o in outlines[:i]) for i in range(len(outlines) + 1)]
    short_offsets = offsets[-1] < 2 ** 17
    drawn = [(advance, lsb, bounds(contours)) for _, contours, advance, lsb in glyphs if contours]
    boxes = [box for _, _, box in drawn]
    advances = [advance for _, _, advance, _ in glyphs]
    unicode_ranges = ((1 << 28 if any(0xE000 <= code <= 0xF8FF for code in cmap) else 0)  # the Private Use Area
                      | (1 << 25 if max(cmap) > 0xFFFF else 0))  # beyond the Basic Multilingual Plane
    tables = {
        'OS/2': struct.pack('>HhHHH11h10B4L4s3H3h2H2L2h3H',
                            3, round(sum(advances) / len(advances)), 400, 5, 4,  # weight: regular; width: normal
                            *([0] * 11), *([0] * 10), 0, unicode_ranges, 0, 0, vendor, 0,
                            min(cmap), min(max(cmap), 0xFFFF), ascent, -descent, 0, ascent, descent,
                            0, 0, 0, 0, 0, 32, 0),
        'cmap': character_map(cmap, ids),
        'glyf': b''.join(outlines),
        'head': struct.pack('>4L2H2q4h2H3h', 0x00010000, 0x00010000, 0, 0x5F0F3CF5, 1, em, 0, 0,
                            min(b[0] for b in boxes), min(b[1] for b in boxes),
                            max(b[2] for b in boxes), max(b[3] for b in boxes),
                            0, 3, 2, 0 if short_offsets else 1, 0),
        'hhea': struct.pack('>L3hH3h3h4hhH', 0x00010000, ascent, -descent, 0, max(advances),
                            min(lsb for _, lsb, _ in drawn),
                            min(advance - lsb - (b[2] - b[0]) for advance, lsb, b in drawn),
                            max(lsb + b[2] - b[0] for _, lsb, b in drawn), 1, 0, 0, 0, 0, 0, 0, 0, len(glyphs)),
        'hmtx': b''.join(struct.pack('>Hh', advance, lsb) for _, _, advance, lsb in glyphs),
        'loca': (struct.pack('>%dH' % len(offsets), *(o // 2 for o in offsets)) if short_offsets
                 else struct.pack('>%dL' % len(offsets), *offsets)),
        'maxp': struct.pack('>L14H', 0x00010000, len(glyphs), max(sum(len(c) for c in contours)
                                                                   for _, contours, _, _ in glyphs),
                            max(len(contours) for _, contours, _, _ in glyphs), 0, 0, 2, *([0] * 8)),
        'name': naming(names),
        'post': postscript([name for name, _, _, _ in glyphs]),
    }
    tags = sorted(tables)
    power = 2 ** (len(tags).bit_length() - 1)
    font = bytearray(struct.pack('>L4H', 0x00010000, len(tags), 16 * power, power.bit_length() - 1,
                                 16 * (len(tags) - power)))
    offset = len(font) + 16 * len(tags)
    body, head = b'', 0
    for tag in tags:
        data = tables[tag]
        head = offset + len(body) if tag == 'head' else head
        font += struct.pack('>4s3L', tag.encode('ascii'), checksum(data), offset + len(body), len(data))
        body += data + b'\0' * (-len(data) % 4)
    font += body
    # The whole face sums to this magic number once head says by how much it missed.
    font[head + 8:head + 12] = struct.pack('>L', (0xB1B0AFBA - checksum(bytes(font))) % 2 ** 32)
    return bytes(font)
