#!/usr/bin/env python3
"""Fills the worked examples of docs/operator-guide.md with real programs.

    scripts/guide-examples.py [KELVORA] [--check]

KELVORA is the command line to run (default build/release/apps/kelvora/kelvora).
Every ```bat block holding a "kelvora.exe ..." command is run with the Linux
command line on the same arguments (its output bytes are those of kelvora.exe),
and the ```text block after it is replaced by the program it printed, CR LF shown
as line ends and the empty last line left out. Every ```csv block that follows a line naming a `file.csv` is
written to that file first, so the lists the examples read are the lists the
guide shows; `frame.dxf`, the drawing of the DXF example, is written here.
With --check nothing is written: the run fails when the guide differs.
"""
import os
import re
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
GUIDE = os.path.join(ROOT, "docs", "operator-guide.md")

# One closed LWPOLYLINE, the rectangle (0,0) (40,0) (40,20) (0,20); its closing
# side is not repeated as a vertex.
FRAME_DXF = "".join(
    f"{code}\r\n{value}\r\n"
    for code, value in [
        ("  0", "SECTION"), ("  2", "ENTITIES"), ("  0", "LWPOLYLINE"), ("  8", "0"),
        (" 90", "4"), (" 70", "1"), (" 10", "0"), (" 20", "0"), (" 10", "40"), (" 20", "0"),
        (" 10", "40"), (" 20", "20"), (" 10", "0"), (" 20", "20"), ("  0", "ENDSEC"),
        ("  0", "EOF"),
    ]
)


def arguments(command):
    """Splits the text after "kelvora.exe " at blanks (no value holds one)."""
    return command[len("kelvora.exe "):].split()


def fill(lines, kelvora, workdir):
    out = []
    i = 0
    named_file = None
    while i < len(lines):
        line = lines[i]
        m = re.search(r"`([\w.-]+\.csv)`", line)
        if m:
            named_file = m.group(1)
        if line == "```csv" and named_file:
            end = lines.index("```", i + 1)
            with open(os.path.join(workdir, named_file), "w", newline="") as f:
                f.write("\r\n".join(lines[i + 1:end]) + "\r\n")
            named_file = None
            out.extend(lines[i:end + 1])
            i = end + 1
            continue
        if line == "```bat" and lines[i + 1].startswith("kelvora.exe "):
            command = lines[i + 1]
            assert lines[i + 2] == "```", f"one command per block: {command}"
            run = subprocess.run([kelvora] + arguments(command), cwd=workdir, capture_output=True)
            if run.returncode != 0:
                sys.exit(f"{command}\nexit {run.returncode}: {run.stderr.decode()}")
            if run.stderr:
                sys.exit(f"{command}\nunexpected report: {run.stderr.decode()}")
            # The empty last line that most programs end with (the program box's
            # last line end, then the one Load adds) is not shown.
            program_lines = run.stdout.decode("utf-8").rstrip("\r\n").split("\r\n")
            out.extend(lines[i:i + 3])
            k = i + 3
            while lines[k] == "":
                out.append("")
                k += 1
            assert lines[k] == "```text", f"a ```text block must follow: {command}"
            end = lines.index("```", k + 1)
            out.append("```text")
            out.extend(program_lines)
            out.append("```")
            i = end + 1
            continue
        out.append(line)
        i += 1
    return out


def main():
    args = [a for a in sys.argv[1:] if a != "--check"]
    check = "--check" in sys.argv[1:]
    kelvora = os.path.abspath(args[0] if args else
                              os.path.join(ROOT, "build", "release", "apps", "kelvora", "kelvora"))
    with open(GUIDE, encoding="utf-8") as f:
        text = f.read()
    with tempfile.TemporaryDirectory() as workdir:
        with open(os.path.join(workdir, "frame.dxf"), "w", newline="") as f:
            f.write(FRAME_DXF)
        filled = "\n".join(fill(text.split("\n"), kelvora, workdir))
    if check:
        if filled != text:
            sys.exit("docs/operator-guide.md: a worked example differs from the program it gives")
        return
    with open(GUIDE, "w", encoding="utf-8") as f:
        f.write(filled)


if __name__ == "__main__":
    main()
