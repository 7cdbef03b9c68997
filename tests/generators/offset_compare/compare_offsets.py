#!/usr/bin/env python3
"""Compares the exact contour offsets printed by offset_dump with a polygon
library's buffer of the same shapes (round joins): the region the offset paths
enclose must match the buffered region in area and lie within a small Hausdorff
distance of it.

Usage: compare_offsets.py OFFSET_DUMP

Without Shapely the comparison is skipped (exit 77, which the test runner
counts as skipped), unless KELVORA_REQUIRE_PYTHON_GEOMETRY=1 asks for it: then a
missing Shapely fails.
"""
import math
import os
import subprocess
import sys

SKIP = 77
# Arcs are sampled at this chord step (mm); the buffer's circle quality matches.
STEP = 0.01
# The library simplifies its input by up to a hundredth of the buffer distance
# before buffering, so its boundary may stand off that much from the exact one;
# the areas may differ by that along the whole boundary.
HAUSDORFF_TOL = 0.01  # mm, and a hundredth of the distance beyond 1 mm

try:
    from shapely.geometry import LineString, Polygon
    from shapely.ops import unary_union
except ImportError as missing:
    if os.environ.get("KELVORA_REQUIRE_PYTHON_GEOMETRY") == "1":
        print(f"FAIL: shapely is required but missing ({missing})")
        sys.exit(1)
    print(f"SKIP: shapely is not installed ({missing}); offsets not compared")
    sys.exit(SKIP)


def ring_points(closed, verts):
    """Points along a path of (x, y, bulge) vertices, arcs sampled densely."""
    pts = []
    n = len(verts)
    count = n if closed else n - 1
    for i in range(count):
        ax, ay, b = verts[i]
        bx, by, _ = verts[(i + 1) % n]
        pts.append((ax, ay))
        if abs(b) < 1e-12:
            continue
        theta = 4 * math.atan(b)
        chord = math.hypot(bx - ax, by - ay)
        r = chord / (2 * math.sin(abs(theta) / 2))
        # Centre: from the chord's middle along its left normal (for b > 0).
        mx, my = (ax + bx) / 2, (ay + by) / 2
        nx, ny = -(by - ay) / chord, (bx - ax) / chord
        h = (chord / 2) * (1 - b * b) / (2 * b)
        cx, cy = mx + nx * h, my + ny * h
        start = math.atan2(ay - cy, ax - cx)
        steps = max(8, int(r * abs(theta) / STEP))
        for k in range(1, steps):
            a = start + theta * k / steps
            pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    if not closed:
        pts.append(verts[-1][:2])
    return pts


def parse(text):
    cases = []
    for line in text.splitlines():
        parts = line.split()
        if not parts:
            continue
        if parts[0] == "CASE":
            cases.append({"name": parts[1], "d": float(parts[2]), "paths": []})
            continue
        closed = parts[1] == "1"
        nums = [float(x) for x in parts[2:]]
        verts = [tuple(nums[i:i + 3]) for i in range(0, len(nums), 3)]
        if parts[0] == "CONTOUR":
            cases[-1]["contour"] = (closed, verts)
        else:
            cases[-1]["paths"].append((closed, verts))
    return cases


def signed_area(pts):
    return sum(x0 * y1 - x1 * y0 for (x0, y0), (x1, y1) in zip(pts, pts[1:] + pts[:1])) / 2


def main():
    out = subprocess.run([sys.argv[1]], check=True, capture_output=True, text=True).stdout
    failures = 0
    cases = parse(out)
    for case in cases:
        closed, verts = case["contour"]
        contour = ring_points(closed, verts)
        orientation = 1 if signed_area(contour) > 0 else -1
        # Offsetting to the left of a counter-clockwise contour shrinks it.
        grow = -case["d"] * orientation
        expected = Polygon(contour).buffer(grow, resolution=256, join_style=1)
        outer, holes = [], []
        for p_closed, p_verts in case["paths"]:
            pts = ring_points(p_closed, p_verts)
            if not p_closed or len(pts) < 3:
                print(f"{case['name']} {case['d']}: an open path for a closed contour")
                failures += 1
                continue
            (outer if signed_area(pts) * orientation > 0 else holes).append(Polygon(pts))
        got = unary_union(outer).difference(unary_union(holes)) if outer else Polygon()
        hd_tol = HAUSDORFF_TOL * max(1.0, abs(case["d"]))
        area_tol = expected.length * hd_tol
        if expected.is_empty and got.is_empty:
            status = "ok"
            hd = 0.0
        elif expected.is_empty or got.is_empty:
            status = "FAIL"
            hd = math.inf
        else:
            hd = got.boundary.hausdorff_distance(expected.boundary)
            area_ok = abs(got.area - expected.area) <= area_tol
            status = "ok" if area_ok and hd <= hd_tol else "FAIL"
        if status != "ok":
            failures += 1
        print(f"{status:4} {case['name']:10} d={case['d']:+5.2f} paths={len(case['paths'])} "
              f"area={got.area:10.4f} buffer={expected.area:10.4f} hausdorff={hd:.5f}")
    print(f"{len(cases)} cases, {failures} failed")
    return 1 if failures or not cases else 0


if __name__ == "__main__":
    sys.exit(main())
