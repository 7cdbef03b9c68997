#!/usr/bin/python3
"""Writes the drawings the side-by-nesting and drawing-units tests read.

Run with Debian's Python (python3-ezdxf): /usr/bin/python3 make_drawings.py
The generated files are committed, so the build never needs this script. The
drawing without a header and the two the reader refuses are written by hand:
no CAD program writes them.
"""
import os

import ezdxf

HERE = os.path.dirname(os.path.abspath(__file__))


def save(doc, name, units):
    doc.header["$TDCREATE"] = 2459000.5
    doc.header["$TDUPDATE"] = 2459000.5
    doc.header["$INSUNITS"] = units
    doc.saveas(os.path.join(HERE, name))


def part():
    """A part 120 x 60: a rounded slot, a round hole, a square window with an
    island (a boss left standing in the window)."""
    doc = ezdxf.new("R2000")
    msp = doc.modelspace()
    msp.add_lwpolyline([(0, 0), (120, 0), (120, 60), (0, 60)], close=True)
    # The slot runs clockwise, the others counter-clockwise: the side must not
    # depend on the direction a contour was drawn in.
    msp.add_lwpolyline([(20, 25, 0), (40, 25, -1), (40, 15, 0), (20, 15, -1)], format="xyb",
                       close=True)
    msp.add_lwpolyline([(68, 30, 1), (52, 30, 1)], format="xyb", close=True)
    msp.add_lwpolyline([(80, 10), (110, 10), (110, 50), (80, 50)], close=True)
    msp.add_lwpolyline([(90, 25), (100, 25), (100, 35), (90, 35)], close=True)
    save(doc, "part_slot_hole.dxf", 4)


def plate(name, units):
    """A plate 4 x 2 with two circles, in the drawing's own numbers."""
    doc = ezdxf.new("R2000")
    msp = doc.modelspace()
    msp.add_lwpolyline([(0, 0), (4, 0), (4, 2, 0.5), (0, 2)], format="xyb", close=True)
    msp.add_circle((1, 0.5), 0.125)
    msp.add_circle((3, 1.5), 0.25)
    save(doc, name, units)


PLATE_ENTITIES = """0
SECTION
2
ENTITIES
0
LWPOLYLINE
8
0
90
4
70
1
10
0
20
0
10
4
20
0
10
4
20
2
42
0.5
10
0
20
2
0
CIRCLE
8
0
10
1
20
0.5
40
0.125
0
CIRCLE
8
0
10
3
20
1.5
40
0.25
0
ENDSEC
0
EOF
"""


def by_hand():
    with open(os.path.join(HERE, "plate_no_header.dxf"), "w", newline="\n") as f:
        f.write(PLATE_ENTITIES)
    # The second vertex's X, on line 18.
    huge = PLATE_ENTITIES.replace("10\n4\n20\n0\n", "10\n1e308\n20\n0\n", 1)
    with open(os.path.join(HERE, "coordinate_1e308.dxf"), "w", newline="\n") as f:
        f.write(huge)
    # The second circle's radius, on line 50.
    comma = PLATE_ENTITIES.replace("40\n0.25\n", "40\n0,25\n", 1)
    with open(os.path.join(HERE, "decimal_comma.dxf"), "w", newline="\n") as f:
        f.write(comma)


part()
plate("plate_inches.dxf", 1)
plate("plate_millimetres.dxf", 4)
plate("plate_metres.dxf", 6)
plate("plate_centimetres.dxf", 5)
by_hand()
