#!/usr/bin/env bash
# Takes a screenshot of a Windows program's window under Wine on a virtual X
# display: the program runs inside a Wine virtual desktop (so Wine draws the
# title bar and borders as Windows does), and after a delay the desktop is
# captured into a PNG.
#
#   scripts/wine-screenshot.sh [--build DIR] [--delay SECONDS] [--size WxH] [--face FACE]
#                              OUT.png PROGRAM.exe [ARGS...]
#
# DIR is the Windows build folder (default build/windows): its wine-run.sh and
# Wine prefix are used. --face draws "Microsoft Sans Serif" in another face for
# this capture (Laksaman for Thai captions, see cmake/wine-fonts.reg). The program should end by itself (the test host's
# window program takes --seconds); it is stopped after the capture otherwise.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/windows
delay=4
size=1024x700
face=
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build=$2; shift 2 ;;
    --delay) delay=$2; shift 2 ;;
    --size) size=$2; shift 2 ;;
    --face) face=$2; shift 2 ;;
    *) break ;;
  esac
done
if [ $# -lt 2 ]; then
  sed -n '2,14p' "$0" >&2
  exit 2
fi
out=$1
shift
program=$1
shift
run="$build/wine-run.sh"
if [ ! -x "$run" ]; then
  echo "no $run: configure the Windows build first (cmake --preset windows)" >&2
  exit 1
fi

# A display of our own unless one is given.
xvfb_pid=
if [ -z "${DISPLAY-}" ]; then
  displayfile=$(mktemp)
  setsid Xvfb -displayfd 5 -screen 0 1600x1000x24 -nolisten tcp 5>"$displayfile" \
    </dev/null >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$displayfile" ] && break
    sleep 0.1
  done
  DISPLAY=":$(cat "$displayfile")"
  rm -f "$displayfile"
  export DISPLAY
fi
replacement() {
  "$run" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Microsoft Sans Serif' /d "$1" /f \
    </dev/null >/dev/null 2>&1
}
stop() {
  [ -n "${program_pid-}" ] && kill "$program_pid" 2>/dev/null || true
  [ -n "$face" ] && replacement "Liberation Sans"
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap stop EXIT

[ -n "$face" ] && replacement "$face"
"$run" explorer "/desktop=Kelvora,$size" "$program" "$@" </dev/null >/dev/null 2>&1 &
program_pid=$!
sleep "$delay"
mkdir -p "$(dirname "$out")"
# The virtual desktop sits at the top left of the screen.
import -window root -crop "$size+0+0" +repage "$out"
echo "$out"
wait "$program_pid" 2>/dev/null || true
program_pid=
