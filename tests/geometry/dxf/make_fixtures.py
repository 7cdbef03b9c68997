#!/usr/bin/python3
"""Writes the DXF drawings the reader and contour tests use.

Run with Debian's Python (python3-ezdxf): /usr/bin/python3 make_fixtures.py
The generated files are committed, so the build never needs this script. A few
small drawings are written by hand below because no CAD program would write them
(lower-case names, a missing group, a file that is not DXF).
"""
import math
import os

import ezdxf

HERE = os.path.dirname(os.path.abspath(__file__))


def path(name):
    return os.path.join(HERE, name)


def save(doc, name):
    # A fixed creation time keeps regenerated files comparable.
    doc.header["$TDCREATE"] = 2459000.5
    doc.header["$TDUPDATE"] = 2459000.5
    doc.saveas(path(name))


def square():
    """The worked example: one open square that repeats its first vertex."""
    doc = ezdxf.new("R2000")
    doc.modelspace().add_lwpolyline([(0, 0), (10, 0), (10, 10), (0, 10), (0, 0)])
    save(doc, "square.dxf")


def r12_entities():
    """R12: lines, circles, arcs, an old-style POLYLINE (not read), a TEXT reading LINE."""
    doc = ezdxf.new("R12")
    msp = doc.modelspace()
    doc.layers.new("CUT")
    msp.add_line((0, 0), (100, 0), dxfattribs={"layer": "CUT"})
    msp.add_line((100, 0), (100, 50.5))
    msp.add_circle((10.12345, -4), 3)
    msp.add_circle((20, 20), 2.5)
    msp.add_circle((-7.0005, 30.25), 1)
    msp.add_arc((50, 50), 10, 0, 90, dxfattribs={"layer": "CUT"})
    msp.add_text("LINE", dxfattribs={"insert": (5, 5)})
    msp.add_polyline2d([(0, 0), (5, 5), (10, 0)])
    msp.add_line((1, 2), (3, 4))
    save(doc, "r12_entities.dxf")


def r2000_contours():
    """R2000: bulges of both signs, open and closed contours, widths."""
    doc = ezdxf.new("R2000")
    msp = doc.modelspace()
    doc.layers.new("Outer Contour")
    # Open: a half circle counter-clockwise, then a straight, then clockwise.
    msp.add_lwpolyline(
        [(0, 0, 1), (10, 0, 0), (10, 10, -1), (20, 10, 0)],
        format="xyb",
        dxfattribs={"layer": "Outer Contour"},
    )
    # Closed rectangle whose last corner has a bulge: the closing segment is an arc.
    msp.add_lwpolyline(
        [(30, 0, 0), (50, 0, 0), (50, 20, 0), (30, 20, math.tan(math.radians(22.5)))],
        format="xyb",
        close=True,
    )
    # Closed and repeating its first vertex: no extra closing segment.
    msp.add_lwpolyline([(60, 0), (70, 0), (70, 10), (60, 0)], close=True)
    # Widths: constant width (43) and per-vertex start and end widths (40, 41).
    msp.add_lwpolyline(
        [(0, 30, 0.5, 1.5, 0.5), (10, 30, 1.5, 0.5, 0), (10, 40, 0, 0, 0)],
        format="xyseb",
    )
    msp.add_lwpolyline([(20, 30), (30, 30), (30, 40)], dxfattribs={"const_width": 0.8})
    msp.add_line((0, -10), (10, -10), dxfattribs={"layer": "Outer Contour"})
    msp.add_arc((0, 0), 5, 45, 135, dxfattribs={"layer": "Outer Contour"})
    save(doc, "r2000_contours.dxf")


def r2007_edge_cases():
    """R2007: single-vertex polylines, a TEXT reading LINE, the mirrored extrusion."""
    doc = ezdxf.new("R2007")
    msp = doc.modelspace()
    doc.layers.new("Drill Holes")
    # A single vertex, immediately followed by a circle that must not be lost.
    msp.add_lwpolyline([(5, 5)])
    msp.add_circle((1, 2), 0.5, dxfattribs={"layer": "Drill Holes"})
    # A single vertex marked closed: still no segment.
    msp.add_lwpolyline([(7, 7)], close=True)
    msp.add_text("LINE", dxfattribs={"insert": (0, 0)})
    msp.add_mtext("LINE")
    # Seen from below (extrusion 0,0,-1): X and the bulge turn over.
    msp.add_lwpolyline(
        [(10, 0, 0.5), (20, 0, 0), (20, 10, 0)],
        format="xyb",
        dxfattribs={"extrusion": (0, 0, -1)},
    )
    msp.add_circle((15, 5), 2, dxfattribs={"extrusion": (0, 0, -1)})
    # Another direction is read as it is.
    msp.add_circle((3, 4), 1, dxfattribs={"extrusion": (0, 1, 0)})
    msp.add_spline(fit_points=[(0, 0), (5, 5), (10, 0), (15, 5)])
    msp.add_lwpolyline([(0, 50), (5, 50)])
    save(doc, "r2007_edge_cases.dxf")


def many_vertices():
    """R2018: one closed polygon of 5000 vertices, more than any fixed record held."""
    doc = ezdxf.new("R2018")
    n = 5000
    pts = [
        (round(100 * math.cos(2 * math.pi * i / n), 6), round(100 * math.sin(2 * math.pi * i / n), 6))
        for i in range(n)
    ]
    doc.modelspace().add_lwpolyline(pts, close=True)
    doc.modelspace().add_circle((0, 0), 1)
    save(doc, "many_vertices.dxf")


def crlf():
    """The contours drawing again with CR LF line ends, as Windows programs write it."""
    doc = ezdxf.new("R2013")
    msp = doc.modelspace()
    msp.add_lwpolyline([(0, 0, 0), (10, 0, 1), (10, 10, 0)], format="xyb")
    msp.add_circle((2.5, 2.5), 1, dxfattribs={"layer": "Holes"})
    save(doc, "crlf.dxf")
    with open(path("crlf.dxf"), "rb") as f:
        data = f.read().replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")
    with open(path("crlf.dxf"), "wb") as f:
        f.write(data)


def binary():
    """A binary DXF: not an ASCII drawing, so it loads as an empty one."""
    doc = ezdxf.new("R2000")
    doc.modelspace().add_lwpolyline([(0, 0), (10, 0), (10, 10)])
    doc.modelspace().add_line((0, 0), (1, 1))
    doc.header["$TDCREATE"] = 2459000.5
    doc.header["$TDUPDATE"] = 2459000.5
    doc.saveas(path("binary.dxf"), fmt="bin")


def truncated():
    """The square drawing cut short inside its polyline, as an interrupted copy leaves it."""
    with open(path("square.dxf"), "rb") as f:
        lines = f.read().split(b"\n")
    at = lines.index(b"LWPOLYLINE", lines.index(b"ENTITIES")) + 22
    with open(path("truncated.dxf"), "wb") as f:
        f.write(b"\n".join(lines[:at]) + b"\n")


def write_raw(name, groups):
    with open(path(name), "w", newline="\n") as f:
        for code, value in groups:
            f.write(f"{code:>3}\n{value}\n")


def hand_written():
    """Drawings no CAD program writes, for the reader's rules on damaged input."""
    entities = [(0, "SECTION"), (2, "ENTITIES")]
    # Lower-case names are not entities.
    entities += [(0, "line"), (8, "0"), (10, 1), (20, 1), (11, 2), (21, 2)]
    # A LINE without its end point: the missing codes stay 0, the next entity is kept.
    entities += [(0, "LINE"), (8, "Layer With Blanks"), (10, 3), (20, 4)]
    entities += [(0, "CIRCLE"), (10, "12.5abc"), (20, "x"), (40, 2)]
    # A polyline that declares more vertices than it has.
    entities += [(0, "LWPOLYLINE"), (90, 3), (70, 0), (10, 0.0), (20, 0.0), (42, 1.0), (10, 2.0), (20, 0.0)]
    entities += [(0, "ENDSEC"), (0, "SECTION"), (2, "OBJECTS"), (0, "LINE"), (0, "ENDSEC"), (0, "EOF")]
    write_raw("damaged.dxf", entities)
    with open(path("not_dxf.dxf"), "w", newline="\n") as f:
        f.write("This is a parts list, not a drawing.\nLINE\nCIRCLE 10 20 40\n")


if __name__ == "__main__":
    square()
    r12_entities()
    r2000_contours()
    r2007_edge_cases()
    many_vertices()
    crlf()
    hand_written()
    binary()
    truncated()
