#!/usr/bin/env python3
"""Writes the fuzzers' seed corpora under fuzz/corpus/ from the test fixtures.

Usage: fuzz/make_corpus.py KELVORA   (a built command line, for the jobs' key order)

Reader targets get the fixture files as they are. A job target's input is the
texts of the job's keys in the order `kelvora JOB --help` lists them, each ended
by a NUL byte, followed by the file the job reads (if any); every command-line
golden case of the job becomes one seed, and so does every fixture of the job's
file kind with the default texts.
"""
import hashlib
import pathlib
import re
import shutil
import subprocess
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
TESTS = ROOT / "tests"
CORPUS = ROOT / "fuzz" / "corpus"
# Drawings larger than this only slow the fuzzer down; the small fixtures cover
# the same entities.
MAX_SEED = 40_000
# The G-code reader's seeds: a few golden programs of different jobs, and the
# words they never write (cycles, inches, R arcs, incremental moves, damage).
GCODE_SEEDS = ["generators/golden/circle_peck_four.nc", "generators/golden/surface_example.nc",
               "generators/golden/thread_example.nc", "generators/golden/points_pocket_example.nc",
               "generators/golden/teach_example.nc", "generators/golden/dxf/square.nc"]
GCODE_TEXTS = [
    "G20 G90 G0 Z0.5\nG98 G83 X1 Y1 Z-0.5 R0.1 Q0.1 F5\nX2\nG99 G73 X3 Z-0.4 R0.1 Q0.15\n"
    "G82 X4 Z-0.2 R0.1 P0.5\nG80\nM2\n",
    "G21 G91 G0 Z5\nG81 X10 Y5 Z-3 R-4 L4 F100\nG90\nM30\n",
    "G90.1 G0 X10 Y0\nG3 X0 Y10 I0 J0 F300\nG91.1 G2 X10 Y0 R-10\nG3 I-5 P3 Z-1\n",
    "n10 g 0 x 1 0 . 5 (comment) y-.5 ; rest\r\n%\r\nM3 S1200\nT2 M6\nG4 P1.5\nM0\nM5\n",
    "M101\nG54 X1.2.3 Y1,5 Z--2 #1=[2]\n(open\nG2 X10 R1\nG81 Z-1\n",
]


def write(target, data):
    folder = CORPUS / target
    folder.mkdir(parents=True, exist_ok=True)
    name = hashlib.sha1(data).hexdigest()[:16]
    (folder / name).write_bytes(data)


def fixtures(pattern):
    for p in sorted(TESTS.glob(pattern)):
        data = p.read_bytes()
        if len(data) <= MAX_SEED:
            yield p, data


def job_keys(kelvora, job):
    """The job's keys and default texts, in help order."""
    out = subprocess.run([kelvora, job, "--help"], capture_output=True, text=True).stdout
    keys = []
    for line in out.splitlines():
        m = re.match(r'^  (\w+) = "(.*)"  ', line)
        if m:
            keys.append((m.group(1), m.group(2)))
    return keys


def encode(keys, assigns, file_bytes):
    data = b""
    for key, default in keys:
        data += assigns.get(key, default).encode() + b"\0"
    return data + file_bytes


# The outline choices of the outlines target's seeds: DxfOutlines, DxfJoinTol,
# DxfChordTol, DxfLayers, DxfOrder.
OUTLINE_CHOICES = [
    ("LWPOLYLINEs", "0.001", "0.01", "", "As read"),
    ("All outline entities", "0.001", "0.01", "", "Shortest"),
    ("All outline entities", "0.5", "0.1", "0, Outlines", "As read"),
]
# The contour plan's seeds: texts of fuzz/harness/harness.h's kContourPlanKeys
# (side, tool diameter, direction, entry, ramp angle, lead-in, tab count, tab
# spacing, tab width, tab height, pocket, step-over, depth, step-down).
PLAN_OPTIONS = [
    ("On the line", "3", "Climb", "Plunge", "3", "0", "0", "0", "5", "1", "False", "40", "5", "2"),
    ("Outside", "6", "Climb", "Ramp", "5", "2", "4", "0", "3", "1", "False", "40", "6", "2"),
    ("Inside", "3", "Conventional", "Helix", "3", "1", "0", "30", "4", "0.5", "False", "40", "3", "1"),
    ("Left", "2", "Climb", "Ramp", "10", "0", "2", "0", "2", "1", "False", "50", "2", "1"),
    ("Right", "4", "Conventional", "Plunge", "3", "0", "0", "0", "5", "1", "True", "40", "4", "2"),
]


def plan_contours():
    """Contours as the contour plan target reads them: 6 bytes a vertex. Small
    ones: a pocket is planned whole for each input, and one of 50 x 40 mm takes
    seconds under the fuzz build's checks."""
    import struct

    def vertex(x, y, bulge=0.0, flags=0):
        return struct.pack("<hhbB", int(x * 16), int(y * 16), int(bulge * 64), flags)

    square = b"".join(vertex(x, y, 0, f) for x, y, f in
                      [(0, 0, 0), (20, 0, 0), (20, 16, 0), (0, 16, 3)])
    hole = b"".join(vertex(x, y, 0, f) for x, y, f in
                    [(8, 6, 0), (12, 6, 0), (12, 10, 0), (8, 10, 3)])
    circle = vertex(28, 8, 1.0) + vertex(36, 8, 1.0, 3)
    slot = vertex(0, 24) + vertex(12, 24, 0.5) + vertex(16, 28, 0, 1)
    return [square, square + hole, circle, slot, square + hole + circle + slot]


def plan_seeds():
    """The outlines, contour plan and job report targets' seeds."""
    for _, data in fixtures("geometry/dxf/*.dxf"):
        if len(data) > 8192:
            continue
        for choice in OUTLINE_CHOICES:
            write("outlines", "\0".join(choice).encode() + b"\0" + data)
    for options, contours in zip(PLAN_OPTIONS * 2, plan_contours() * 2):
        write("contour_plan", "\0".join(options).encode() + b"\0" + contours)
    # The job report's seeds: each job's seeds with a first byte choosing the job
    # (modulo 8, in FuzzJobReport's order) and the control (divided by 8).
    jobs = ["circle", "grid", "surface", "dxf", "points", "thread", "cuts", "teach"]
    for index, job in enumerate(jobs):
        folder = CORPUS / ("job_" + job)
        for n, seed in enumerate(sorted(folder.iterdir())[:4]):
            data = seed.read_bytes()
            if len(data) <= 8192:
                write("job_report", bytes([index + 8 * (n % 4)]) + data)


def main():
    kelvora = sys.argv[1]
    shutil.rmtree(CORPUS, ignore_errors=True)

    for _, data in fixtures("geometry/dxf/*.dxf"):
        write("dxf", data)
    for _, data in fixtures("generators/points/*.csv"):
        write("points_csv", data)
    for _, data in fixtures("generators/golden/autogrid_*.csv"):
        write("points_csv", data)
    for p, data in fixtures("generators/lists/*.csv"):
        write("teach_csv" if p.name.startswith("teach") else "cuts_csv", data)
    for _, data in fixtures("cli/profiles/*.xml"):
        write("profile", data)
    for name in GCODE_SEEDS:
        for _, data in fixtures(name):
            write("gcode", data)
    for text in GCODE_TEXTS:
        write("gcode", text.encode())
    for text in ["0", "-1.5", "2.0005", "0.25", "1.255", "0,5", "1,234.5", " 7 ", "-0.0004",
                 "1E-05", "1.5E+15", "123456789012345678", "0.000000001", "-32768", "2147483647",
                 "99999999999999.95", "1e308", "4.9e-324"]:
        write("numbers", text.encode())

    file_option = {"--dxf": "dxf", "--points": "points", "--cuts": "cuts", "--teach": "teach"}
    jobs = ["circle", "grid", "surface", "dxf", "points", "thread", "cuts", "teach", "autogrid"]
    keys = {job: job_keys(kelvora, job) for job in jobs}
    cases = (TESTS / "cli" / "cases.txt").read_text(encoding="utf-8").splitlines()
    for line in cases:
        if not line or line.startswith("#"):
            continue
        fields = line.replace("@DATA@", str(TESTS)).split("|")
        args = fields[2:]
        job = args[0]
        if job not in keys:
            continue
        assigns, file_bytes, i = {}, b"", 1
        while i < len(args):
            a = args[i]
            if a in file_option and i + 1 < len(args):
                p = pathlib.Path(args[i + 1])
                file_bytes = p.read_bytes() if p.is_file() else b""
                i += 2
                continue
            if a.startswith("-"):
                i += 2
                continue
            k, _, v = a.partition("=")
            assigns[k] = v
            i += 1
        if len(file_bytes) <= MAX_SEED:
            write("job_" + job, encode(keys[job], assigns, file_bytes))

    for job, pattern in [("dxf", "geometry/dxf/*.dxf"), ("points", "generators/points/*.csv"),
                         ("points", "geometry/dxf/r12_entities.dxf"),
                         ("cuts", "generators/lists/[ghuv]*.csv"),
                         ("teach", "generators/lists/teach_*.csv")]:
        for _, data in fixtures(pattern):
            write("job_" + job, encode(keys[job], {}, data))
    for job in ["circle", "grid", "surface", "thread", "autogrid"]:
        write("job_" + job, encode(keys[job], {}, b""))
    write("job_autogrid", encode(keys["autogrid"], {"AnyNumOfRow": "3", "AnyNumOfCol": "4",
                                                    "AnyDistRow": "10", "AnyDistCol": "5",
                                                    "AnyByRow": "True", "AnyDual": "True",
                                                    "AnyDualDist": "2.5", "AnyEndcont": "True",
                                                    "AnyZigZacRow": "1.25", "AnySub1": "True"}, b""))
    write("job_points", encode(keys["points"], {"AnyPocket": "True", "AnyRo": "2",
                                                "AnyHoleSize": "6", "AnyStepOvr": "1",
                                                "Anyd": "3", "AnyDepth": "2", "AnyStepdown": "1"},
                               (TESTS / "generators/points/drill.csv").read_bytes()))
    plan_seeds()
    for folder in sorted(CORPUS.iterdir()):
        print(folder.name, len(list(folder.iterdir())))


if __name__ == "__main__":
    main()
