#!/usr/bin/env bash
# Times the window's Preview, GCode Gen and a repaint of the preview for the
# largest job each tab takes, under Wine with Xvfb, as the operator meets them:
# kelvora_window.exe (the window alone, through the native back-end) clicks the
# buttons through the native controls and prints how long each click took until
# the window was drawn again, and the slowest of ten repaints of the preview.
#
#   scripts/measure-window.sh [--build DIR] [--out FILE]
#
# DIR is a Windows build folder holding apps/testhost/win32/kelvora_window.exe
# (default build/windows, else build/windows64). The inputs (a million-point
# list, a 50 MB drawing, a million-cut list) are written to a temporary folder.
# The times are printed as a Markdown table, and written to FILE too.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=""
out=""
while [ $# -gt 0 ]; do
  case $1 in
    --build) build=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    *) echo "usage: $0 [--build DIR] [--out FILE]" >&2; exit 2 ;;
  esac
done
if [ -z "$build" ]; then
  for b in build/windows build/windows64; do
    if [ -x "$here/$b/apps/testhost/win32/kelvora_window.exe" ]; then build=$here/$b; break; fi
  done
fi
exe=$build/apps/testhost/win32/kelvora_window.exe
[ -f "$exe" ] || { echo "measure-window: no kelvora_window.exe under '$build'" >&2; exit 1; }
# The build's own Wine runner: its prefix, fonts and settings.
wine=$build/wine-run.sh
[ -x "$wine" ] || { echo "measure-window: no wine-run.sh in '$build'" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The inputs: a million points, a million cuts, a drawing of 50 MB (the
# largest lists the table-row limit takes).
/usr/bin/python3 - "$work" <<'PY'
import math, os, sys
work = sys.argv[1]
with open(os.path.join(work, "points.csv"), "w") as f:
    f.write("Name,X,Y\n")
    for i in range(1_000_000):
        f.write(f"p{i},{i % 1000},{i // 1000}\n")
with open(os.path.join(work, "cuts.csv"), "w") as f:
    f.write("Name,Y,X1,X2\n")
    for i in range(1_000_000):
        f.write(f"c{i},{i * 0.01:.2f},0,500\n")
with open(os.path.join(work, "teach.csv"), "w") as f:
    f.write("Operation,X,Y,Z,A,B,C,F\n")
    for i in range(1_000_000):
        f.write(f"0,{i % 1000},{i // 1000},0,0,0,0,\n")
with open(os.path.join(work, "drawing.dxf"), "w") as f:
    f.write("  0\nSECTION\n  2\nENTITIES\n")
    size = 0
    i = 0
    while f.tell() < 50_000_000:
        ox, oy = (i % 300) * 40.0, (i // 300) * 40.0
        f.write("  0\nLWPOLYLINE\n  8\nOuter Contour\n 90\n64\n 70\n1\n")
        for v in range(64):
            a = 2 * math.pi * v / 64
            f.write(f" 10\n{ox + 15 * math.cos(a):.6f}\n 20\n{oy + 15 * math.sin(a):.6f}\n")
        i += 1
    f.write("  0\nENDSEC\n  0\nEOF\n")
PY
winpath() { echo "Z:${1//\//\\}"; }

# Each step: a name and the window's arguments; the times come from --time and
# --repaint.
steps=(
  "Circle, 32,767 holes (the largest 16-bit count)|--page tabPage5 --type txtn 32767 --type txtpassdepth 5 --time --click btnKhoanTronPreview --repaint pbxKhoanTron --click btnDrillGcodeGen --repaint pbxKhoanTron"
  "Grid, 1,000 x 1,000 holes|--page tabPage6 --type txtGridn 1000 --type txtGridm 1000 --type txtGridStep 5 --time --click btnGridPreview --repaint pbxGridDrill --click btnGridGcodGen --repaint pbxGridDrill"
  "Surface, 100,000 rows|--page tabPage10 --type txtMSqrLy 100000 --type txtMSqrStep 1 --type txtMSqrDepth 0.5 --type txtMSqrStepdwn 0.5 --time --click btnMSqrPreview --repaint pxbMSqr --click btnMSqrGcodeGen --repaint pxbMSqr"
  "Point list, 1,000,000 points|--page tabPage7 --open-file $(winpath "$work/points.csv") --time --click btnAnyLoadFile --click btnAnyPreview --repaint pxbAny --click btnAnyGcodeGen --repaint pxbAny"
  "DXF contours, 50 MB drawing, one layer|--page tabPage15 --type txtDxfStepdwn 5 --open-file $(winpath "$work/drawing.dxf") --time --click btnDxfOpen --repaint pxbDxf --click btnDxfGcodeGen --repaint pxbDxf"
  "Teach table, 1,000,000 rows|--page tabPage2 --open-file $(winpath "$work/teach.csv") --time --click btnTchOpen --click btnTchGc_gen"
  "Cut list, 1,000,000 horizontal cuts, one layer|--page tabPage13 --type txtDxfStepdwn 5 --open-file $(winpath "$work/cuts.csv") --time --click btnCutOpen --click btnCutPreview --repaint pxbDxf --click btnDxfGcodeGen"
)

table="| job | step | wall time (s) | processor time (s) |
|---|---|---|---|"
for step in "${steps[@]}"; do
  name=${step%%|*}
  args=${step#*|}
  echo "measure-window: $name" >&2
  # shellcheck disable=SC2086
  log=$(xvfb-run -a -s "-screen 0 1280x1024x24" "$wine" "$exe" --quiet $args --seconds 0 2>&1 || true)
  echo "$log" | grep -E "^(time|message|question)" >&2 || true
  while IFS= read -r line; do
    # "click NAME: 1.234 s (cpu 0.987 s)" or "repaint NAME: 0.004 s"
    what=${line#time: }
    step=${what%%: *}
    times=${what#*: }
    wall=${times%% s*}
    cpu=""
    case $times in *cpu*) cpu=${times##*cpu }; cpu=${cpu%% s*} ;; esac
    table+="
| $name | $step | $wall | $cpu |"
  done < <(echo "$log" | grep "^time: " | tr -d '\r')
done
echo "$table"
[ -n "$out" ] && echo "$table" >"$out"
exit 0
