#!/usr/bin/python3
"""Draws the motion of one hole of each drilling scheme as an SVG picture.

Runs the command line's circle job once per scheme (one hole, the inputs below),
takes the Z moves of the hole from the program and draws them left to right:
feeds as solid lines, rapids dashed, a dwell as a dot. The picture is made from
the programs themselves, so it shows what the machine is told, not a drawing of
what it should be told.

Usage: scripts/drill-sketches.py KELVORA_BINARY OUT.svg
"""
import re
import subprocess
import sys

COMMON = ["Cirn=1", "CirR=0", "CirXc=0", "CirYc=0", "CirDepth=5", "CirStep=2",
          "CirRetract=1", "CirZsafe=3", "CirFeedrate=100", "CirEnSpin=False"]
SCHEMES = [
    ("Standard", []),
    ("Full retract", []),
    ("Chip break", ["CirBackOff=0.5", "CirFullEvery=2", "CirStep=1.5"]),
    ("Decreasing", ["CirPeckFactor=0.6", "CirMinPeck=0.75", "CirStep=2.5"]),
    ("Single plunge", ["CirDwell=0.5"]),
]
WORD = re.compile(r"([A-Z])(-?[0-9.]+)")


def hole_moves(program):
    """(kind, z) for every Z move of the first hole, and 'dwell' markers."""
    moves, inside = [], False
    for line in program.splitlines():
        words = dict(WORD.findall(line))
        if line.startswith("G0X"):
            if inside:
                break
            inside = True
            continue
        if not inside:
            continue
        if line.startswith("G4"):
            moves.append(("dwell", None))
        elif "Z" in words and line.startswith(("G0", "G1")):
            moves.append(("feed" if line.startswith("G1") else "rapid", float(words["Z"])))
        elif line.startswith("M"):
            break
    return moves


def panel(name, extra, binary, x0, y0, w, h):
    args = [binary, "circle", f"CirScheme={name}"] + COMMON + extra
    program = subprocess.run(args, check=True, capture_output=True, text=True).stdout
    moves = hole_moves(program)
    ztop, zbot = 3.0, -5.5
    sy = h / (ztop - zbot)
    steps = sum(1 for k, _ in moves if k != "dwell")
    sx = w / max(steps + 1, 1)
    Y = lambda z: y0 + (ztop - z) * sy
    out = [f'<text x="{x0 + w / 2}" y="{y0 - 8}" text-anchor="middle" '
           f'font-family="sans-serif" font-size="13">{name}</text>']
    for z, label in ((1.0, "R 1"), (0.0, "0"), (-5.0, "−5")):
        out.append(f'<line x1="{x0}" y1="{Y(z)}" x2="{x0 + w}" y2="{Y(z)}" stroke="#bbb" '
                   'stroke-width="0.8"/>')
        out.append(f'<text x="{x0 - 4}" y="{Y(z) + 4}" text-anchor="end" '
                   f'font-family="sans-serif" font-size="10" fill="#666">{label}</text>')
    x, z = x0, 1.0  # every hole starts at the retract height
    for kind, target in moves:
        if kind == "dwell":
            out.append(f'<circle cx="{x}" cy="{Y(z)}" r="3.5" fill="#c00"/>')
            continue
        nx = x + sx
        style = ('stroke="#1f5fbf" stroke-width="2"' if kind == "feed" else
                 'stroke="#e08000" stroke-width="1.5" stroke-dasharray="4 3"')
        out.append(f'<line x1="{x}" y1="{Y(z)}" x2="{nx}" y2="{Y(target)}" {style}/>')
        x, z = nx, target
    return out


def main():
    binary, target = sys.argv[1], sys.argv[2]
    w, h, gap, top = 150, 150, 50, 40
    width = len(SCHEMES) * (w + gap) + gap
    body = []
    for i, (name, extra) in enumerate(SCHEMES):
        body += panel(name, extra, binary, gap + i * (w + gap), top, w, h)
    legend_y = top + h + 28
    body.append(f'<line x1="{gap}" y1="{legend_y}" x2="{gap + 30}" y2="{legend_y}" '
                'stroke="#1f5fbf" stroke-width="2"/>')
    body.append(f'<text x="{gap + 36}" y="{legend_y + 4}" font-family="sans-serif" '
                'font-size="11">feed</text>')
    body.append(f'<line x1="{gap + 90}" y1="{legend_y}" x2="{gap + 120}" y2="{legend_y}" '
                'stroke="#e08000" stroke-width="1.5" stroke-dasharray="4 3"/>')
    body.append(f'<text x="{gap + 126}" y="{legend_y + 4}" font-family="sans-serif" '
                'font-size="11">rapid</text>')
    body.append(f'<circle cx="{gap + 190}" cy="{legend_y}" r="3.5" fill="#c00"/>')
    body.append(f'<text x="{gap + 198}" y="{legend_y + 4}" font-family="sans-serif" '
                'font-size="11">dwell</text>')
    height = legend_y + 20
    svg = (f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}">'
           f'<rect width="100%" height="100%" fill="white"/>' + "".join(body) + "</svg>\n")
    with open(target, "w", encoding="utf-8") as f:
        f.write(svg)


if __name__ == "__main__":
    main()
