#!/usr/bin/python3
"""Writes one outline (a 60 x 40 rectangle with corners rounded to 8) the ways
drawing programs write it, each next to a reference drawing of the same
geometry as LWPOLYLINEs, into the folder named on the command line:

  lwpolyline.dxf  one closed LWPOLYLINE with bulges (the reference itself)
  pieces.dxf      LINE and ARC entities in scrambled order and directions
  r12.dxf         an R12 drawing: POLYLINE with VERTEX entities
  blocks.dxf      the outline in a block inserted twice, turned and scaled
  spline.dxf      one rational quadratic SPLINE through the same shape

For each NAME.dxf, NAME_ref.dxf holds the expected contours as LWPOLYLINEs.
Exits with 3 when ezdxf cannot be imported.
"""
import math
import os
import random
import sys

try:
    import ezdxf
except ImportError:
    sys.exit(3)

W, H, R = 60.0, 40.0, 8.0
Q = math.tan(math.radians(90) / 4)  # bulge of a quarter circle

# The outline counter-clockwise from (R, 0): (x, y, bulge to the next vertex).
SHAPE = [
    (R, 0, 0), (W - R, 0, Q), (W, R, 0), (W, H - R, Q),
    (W - R, H, 0), (R, H, Q), (0, H - R, 0), (0, R, Q),
]
CORNERS = [  # centre, start angle of each quarter arc
    ((W - R, R), -90), ((W - R, H - R), 0), ((R, H - R), 90), ((R, R), 180),
]


def save(doc, folder, name):
    doc.saveas(os.path.join(folder, name))


def reference(folder, name, shapes):
    doc = ezdxf.new("R2000")
    for points in shapes:
        doc.modelspace().add_lwpolyline(points, format="xyb", close=True)
    save(doc, folder, name)


def placed(points, base, at, scale, degrees):
    c, s = math.cos(math.radians(degrees)), math.sin(math.radians(degrees))
    out = []
    for x, y, b in points:
        x, y = (x - base[0]) * scale, (y - base[1]) * scale
        out.append((at[0] + c * x - s * y, at[1] + s * x + c * y, b))
    return out


def main(folder):
    os.makedirs(folder, exist_ok=True)

    doc = ezdxf.new("R2000")
    doc.modelspace().add_lwpolyline(SHAPE, format="xyb", close=True)
    save(doc, folder, "lwpolyline.dxf")
    reference(folder, "lwpolyline_ref.dxf", [SHAPE])

    doc = ezdxf.new("R2000")
    msp = doc.modelspace()
    pieces = []
    for i in range(0, 8, 2):
        a, b = SHAPE[i], SHAPE[i + 1]
        pieces.append(("line", (a[0], a[1]), (b[0], b[1])))
    for centre, start in CORNERS:
        pieces.append(("arc", centre, start))
    rng = random.Random(27)
    rng.shuffle(pieces)
    for kind, p, q in pieces:
        if kind == "line":
            if rng.random() < 0.5:
                p, q = q, p
            msp.add_line(p, q)
        else:
            msp.add_arc(p, R, q, q + 90)
    save(doc, folder, "pieces.dxf")
    reference(folder, "pieces_ref.dxf", [SHAPE])

    doc = ezdxf.new("R12")
    doc.modelspace().add_polyline2d(SHAPE, format="xyb", close=True)
    save(doc, folder, "r12.dxf")
    reference(folder, "r12_ref.dxf", [SHAPE])

    doc = ezdxf.new("R2000")
    block = doc.blocks.new("PART", base_point=(W / 2, H / 2))
    block.add_lwpolyline(SHAPE, format="xyb", close=True)
    msp = doc.modelspace()
    inserts = [((200, 0), 1.5, 30), ((0, 200), 0.5, -90)]
    for at, scale, degrees in inserts:
        msp.add_blockref("PART", at, dxfattribs={
            "xscale": scale, "yscale": scale, "rotation": degrees})
    save(doc, folder, "blocks.dxf")
    reference(folder, "blocks_ref.dxf",
              [placed(SHAPE, (W / 2, H / 2), at, s, d) for at, s, d in inserts])

    # The same outline as one rational quadratic B-spline: straight sides as
    # pieces with a middle control point on the line, quarter arcs with their
    # corner control point weighted by cos 45 degrees.
    points, weights = [], []
    n = len(SHAPE)
    for i in range(n):
        x0, y0, b = SHAPE[i]
        x1, y1, _ = SHAPE[(i + 1) % n]
        points.append((x0, y0))
        weights.append(1.0)
        if b == 0:
            points.append(((x0 + x1) / 2, (y0 + y1) / 2))
            weights.append(1.0)
        else:
            # The corner: where the tangents at both ends cross.
            cx, cy = CORNERS[i // 2][0]
            points.append((x1 + x0 - cx, y1 + y0 - cy))
            weights.append(math.sqrt(0.5))
    points.append(points[0])
    weights.append(1.0)
    knots = [0, 0, 0]
    for k in range(1, n):
        knots += [k, k]
    knots += [n, n, n]
    doc = ezdxf.new("R2000")
    doc.modelspace().add_rational_spline(points, weights, degree=2, knots=knots)
    save(doc, folder, "spline.dxf")
    reference(folder, "spline_ref.dxf", [SHAPE])


if __name__ == "__main__":
    main(sys.argv[1])
