#!/usr/bin/python3
"""Writes samples/bracket.dxf, the sample drawing of the package.

A 120 x 80 mm mounting bracket: the outline with rounded corners, a slot and a
window (closed LWPOLYLINEs whose arcs are bulges) for the contour job, and six
holes (CIRCLEs) for the point-list job. Run: /usr/bin/python3 samples/make_bracket.py
The file is committed; this script is not shipped.

The drawing is built from the complete R2000 drawing tests/geometry/dxf/square.dxf
(header, tables, blocks and objects as a CAD program writes them): its entities
are replaced, the handle seed moves past the new handles, and the header gets the
drawing's extents and millimetres as its unit, so that a CAD program opens it
zoomed to the part.
"""
import math
import os

HERE = os.path.dirname(os.path.abspath(__file__))
TEMPLATE = os.path.join(HERE, "..", "tests", "geometry", "dxf", "square.dxf")
OUTPUT = os.path.join(HERE, "bracket.dxf")

MODEL_SPACE_RECORD = "17"  # the template's *Model_Space block record
CORNER = math.tan(math.radians(90) / 4)  # bulge of a quarter circle, counter-clockwise


def rounded_rectangle(x0, y0, x1, y1, r):
    """Counter-clockwise, closed: (x, y, bulge) with the bulge on each arc's first vertex."""
    return [
        (x0 + r, y0, 0), (x1 - r, y0, CORNER),
        (x1, y0 + r, 0), (x1, y1 - r, CORNER),
        (x1 - r, y1, 0), (x0 + r, y1, CORNER),
        (x0, y1 - r, 0), (x0, y0 + r, CORNER),
    ]


def slot(xa, xb, y, width):
    """A slot between the centres (xa, y) and (xb, y): two straights, two half circles."""
    h = width / 2
    return [(xa, y - h, 0), (xb, y - h, 1), (xb, y + h, 0), (xa, y + h, 1)]


CONTOURS = [
    rounded_rectangle(0, 0, 120, 80, 8),  # outline
    slot(40, 80, 60, 10),  # adjusting slot
    rounded_rectangle(45, 14, 75, 34, 4),  # cable window
]
HOLES = [  # (x, y, radius)
    (10, 10, 3.25), (110, 10, 3.25), (110, 70, 3.25), (10, 70, 3.25),  # M6 clearance
    (25, 40, 4), (95, 40, 4),  # dowels
]


def number(v):
    return repr(float(v))


def group(code, value):
    return "%3d\n%s\n" % (code, value)


def entities(first_handle):
    handle = first_handle
    out = []
    for contour in CONTOURS:
        text = group(0, "LWPOLYLINE") + group(5, "%X" % handle) + group(330, MODEL_SPACE_RECORD)
        text += group(100, "AcDbEntity") + group(8, "0") + group(100, "AcDbPolyline")
        text += group(90, len(contour)) + group(70, 1)
        for x, y, bulge in contour:
            text += group(10, number(x)) + group(20, number(y))
            if bulge:
                text += group(42, number(bulge))
        out.append(text)
        handle += 1
    for x, y, r in HOLES:
        text = group(0, "CIRCLE") + group(5, "%X" % handle) + group(330, MODEL_SPACE_RECORD)
        text += group(100, "AcDbEntity") + group(8, "0") + group(100, "AcDbCircle")
        text += group(10, number(x)) + group(20, number(y)) + group(30, number(0))
        text += group(40, number(r))
        out.append(text)
        handle += 1
    return "".join(out), handle


def set_header(lines, name, values):
    """Replaces the values that follow the header variable `name` (code, value pairs)."""
    i = lines.index(name)
    for k, value in enumerate(values):
        lines[i + 2 + 2 * k] = value


def main():
    with open(TEMPLATE, newline="") as f:
        lines = f.read().split("\n")
    seed = int(lines[lines.index("$HANDSEED") + 2], 16)
    body, next_handle = entities(seed)
    set_header(lines, "$HANDSEED", ["%X" % next_handle])
    set_header(lines, "$EXTMIN", ["0.0", "0.0", "0.0"])
    set_header(lines, "$EXTMAX", ["120.0", "80.0", "0.0"])
    set_header(lines, "$INSUNITS", ["4"])  # millimetres
    text = "\n".join(lines)
    start = text.index("ENTITIES\n") + len("ENTITIES\n")
    end = text.index("  0\nENDSEC\n", start)
    text = text[:start] + body + text[end:]
    with open(OUTPUT, "w", newline="") as f:
        f.write(text)


if __name__ == "__main__":
    main()
