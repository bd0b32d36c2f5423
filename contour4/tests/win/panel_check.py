#!/usr/bin/env python3
"""Checks the Contour4 panel through tarn-host with Wine's real GDI and real popup menu: the
painted pixels, every menu command's shape text, a dismissed menu, and a drag that changes
what the signal side plays."""
import os
import shlex
import struct
import subprocess
import sys
import tempfile

# tarn-host of the build under test (a command line) and the module DLL, as ctest gives them.
HOST = shlex.split(os.environ["TARN_HOST"])
DLL = os.environ["TARN_DLL"]

DEFAULT_X = [-5.0, -4.58, -4.16, -3.75, -3.33, -2.92, -2.50, -2.08, -1.67, -1.25, -0.84, -0.42,
             0.00, 0.40, 0.82, 1.24, 1.65, 2.07, 2.48, 2.90, 3.32, 3.73, 4.15, 4.56, 4.98]

PRESETS = {
    "Sine": [50, 41, 33, 26, 20, 16, 15, 15, 18, 23, 29, 37, 45, 54, 62, 70, 76, 81, 84, 84, 83, 79, 73, 66, 58],
    "Saw/Digital Saw": [85 - 3 * i for i in range(25)],
    "Saw/Analog Saw 1": [85 - 3 * i for i in range(23)] + [18, 23],
    "Saw/Analog Saw 2": [85 - 3 * i for i in range(24)] + [50],
    "Saw/Analog Saw 3": [19] + [85 - 3 * i for i in range(1, 25)],
    "Saw/Double Saw 1": [85, 81, 75, 70, 63, 58, 52, 46, 41, 35, 28, 21, 15, 85, 79, 73, 66, 60, 54, 48, 41, 35, 28, 22, 15],
    "Saw/Double Saw 2": [85, 81, 75, 70, 63, 58, 52, 46, 41, 35, 28, 21, 15, 50, 79, 73, 66, 60, 54, 48, 41, 35, 28, 22, 15],
    "Saw/Saw 90": [85 - 3 * ((i + 19) % 25) for i in range(25)],
    "Saw/Saw 180": [85 - 3 * ((i + 13) % 25) for i in range(25)],
    "Ramp": [15 + 3 * i for i in range(25)],
    "Triangle/Triangle": [85 - 6 * i if i <= 12 else 13 + 6 * (i - 12) for i in range(25)],
    "Triangle/TriPulse": [73, 73, 73, 67, 61, 55, 49, 43, 37, 31, 25, 25, 25, 25, 25, 31, 37, 43, 49, 55, 61, 67, 73, 73, 73],
    "Triangle/TriFold": [61, 68, 73, 67, 61, 55, 49, 43, 37, 31, 39, 44, 51, 44, 38, 31, 37, 43, 49, 55, 61, 67, 73, 68, 60],
    "Pulse/50%": [15] * 12 + [85] * 13,
    "Pulse/25%": [15] * 6 + [85] * 19,
    "Pulse/12.5%": [15] * 3 + [85] * 22,
    "Pulse/6.25%": [15] + [85] * 24,
    "Various/Cosine": [15, 16, 19, 24, 31, 39, 47, 56, 64, 72, 78, 82, 84, 84, 82, 78, 72, 64, 56, 47, 39, 31, 24, 19, 15],
    "Various/A Spline": [15, 16, 19, 24, 31, 39, 47, 56, 64, 72, 15, 82, 84, 84, 82, 78, 72, 64, 56, 47, 39, 31, 24, 19, 15],
    "Various/M Spline": [15, 16, 19, 24, 31, 39, 47, 56, 64, 72, 26, 15, 85, 15, 26, 78, 72, 64, 56, 47, 39, 31, 24, 19, 15],
    "Various/Resonator": [85 if i % 2 == 0 else 15 for i in range(25)],
    "Various/DNA": [30, 15, 51, 85, 15, 15, 50, 85, 15, 15, 52, 85, 15, 15, 53, 85, 15, 15, 51, 85, 15, 15, 53, 85, 66],
    "Various/DC Woodwind": [54, 60, 66, 76, 85, 85, 85, 85, 85, 49, 49, 49, 49, 49, 48, 48, 85, 85, 85, 85, 82, 82, 72, 62, 54],
    "Various/Extra Pulse": [16, 85, 85, 15, 15, 15, 85, 85, 85, 85, 15, 15, 15, 15, 15, 85, 85, 85, 85, 85, 85, 15, 15, 15, 53],
    "Various/Cosine Saw": [85, 69, 58, 47, 37, 31, 27, 23, 19, 16, 15, 15, 85, 74, 60, 47, 38, 32, 28, 24, 22, 19, 16, 15, 15],
    "Various/Oboesque ": [52, 85, 79, 70, 61, 54, 47, 39, 53, 70, 15, 15, 15, 73, 71, 54, 37, 47, 56, 66, 74, 81, 85, 78, 53],
}


def f32(x):
    return struct.unpack("<f", struct.pack("<f", x))[0]


def default_nodes():
    return [(f32(f32(x + 5.0) * 10.0), f32(f32(5.0 - f32(x)) * 10.0)) for x in map(f32, DEFAULT_X)]


def text_of(xs, heights):
    return "".join("(%3.1f,%3.1f)" % (x * 0.1 - 5.0, 5.0 - h * 0.1) for x, h in zip(xs, heights))


def expected_texts():
    nodes = default_nodes()
    xs = [n[0] for n in nodes]
    ys = [n[1] for n in nodes]
    want = {path: text_of(xs, h) for path, h in PRESETS.items()}
    want["Edit/Invert"] = text_of(xs, [f32(100.0 - y) for y in ys])
    want["Edit/Reverse"] = text_of(xs, ys[::-1])
    want["Edit/Rotate Left"] = text_of(xs, [50.0] * 25)
    state, heights = 1, []
    for _ in range(25):
        state = (state * 214013 + 2531011) & 0xFFFFFFFF
        heights.append(16 + ((state >> 16) & 0x7FFF) % 74)
    want["Random"] = text_of(xs, heights)
    return want


def panel(args):
    out = subprocess.run(HOST + ["panel", DLL] + args,
                         capture_output=True, text=True, timeout=120)
    shape = [line[7:] for line in out.stdout.splitlines() if line.startswith("shape: ")]
    return out.returncode, shape[0] if shape else None, out.stderr


def pixels(png):
    raw = subprocess.run(["convert", png, "-depth", "8", "rgb:-"], capture_output=True,
                         check=True).stdout
    return lambda x, y: tuple(raw[(y * 256 + x) * 3:(y * 256 + x) * 3 + 3])


def read_f32(path):
    with open(path, "rb") as f:
        data = f.read()
    return struct.unpack("<%df" % (len(data) // 4), data)


class Checks:
    def __init__(self):
        self.failed = 0

    def check(self, ok, name, detail=""):
        print(("ok " if ok else "FAIL ") + name + ("" if ok else ": " + detail))
        self.failed += 0 if ok else 1


def main():
    c = Checks()
    with tempfile.TemporaryDirectory() as tmp:
        png = os.path.join(tmp, "p.png")
        code, shape, err = panel(["--png", png])
        c.check(code == 0 and shape.startswith("(-5.0,-5.0)(-4.58,-4.58)"), "an empty pin gets the default text", err)
        at = pixels(png)
        grey, ink, handle, back = (130, 130, 130), (10, 10, 10), (150, 150, 0), (228, 226, 214)
        c.check(all(at(x, 50) == grey for x in range(40, 80)), "the horizontal centre line at H/2", str(at(60, 50)))
        c.check(all(at(128, y) == grey for y in range(70, 100)), "the vertical centre line at W/2", str(at(128, 80)))
        c.check(at(31, 11) == grey and at(33, 5) != grey and at(2, 12) != grey, "the button face 0..32 x 0..11",
                "%s %s %s" % (at(31, 11), at(33, 5), at(2, 12)))
        c.check(sum(at(x, y) == ink for x in range(33) for y in range(12)) > 20, "the Menu text in ink")
        # A circle in the box (123,45)-(133,55): filled inside, the box's corners left alone.
        c.check(at(128, 47) == handle and at(126, 52) == handle and at(123, 45) == back and at(132, 54) == back,
                "node 12's handle box (123,45)-(133,55)",
                "%s %s %s %s" % (at(128, 47), at(126, 52), at(123, 45), at(132, 54)))
        c.check(at(250, 90) == back, "the host's background where nothing is drawn", str(at(250, 90)))

        want = expected_texts()
        # One at a time: Wine programs of one prefix share a desktop, and menus of programs
        # running at once would take each other's keys.
        runs = {path: panel(["--menu", path]) for path in want}
        for path, (code, shape, err) in sorted(runs.items()):
            c.check(code == 0 and shape == want[path], "menu \"%s\"" % path,
                    "exit %d, shape %s, expected %s %s" % (code, shape, want[path], err.strip()))
        c.check(len(want) == 30, "thirty menu commands")

        one = text_of([n[0] for n in default_nodes()], PRESETS["Ramp"])
        code, shape, err = panel(["--shape", one, "--menu-dismiss", "--press", "200,3", "--release"])
        c.check(code == 0 and shape == one, "a dismissed menu changes nothing", "%s %s" % (shape, err))
        code, shape, err = panel(["--menu", "Saw/Nope"])
        c.check(code == 2 and "Saw/Nope" in err, "an unknown menu path is a usage error naming it", err)

        before, after, check = (os.path.join(tmp, n) for n in ("a.f32", "b.f32", "c.f32"))
        _, start, _ = panel(["--out", before, "--frames", "2000"])
        code, dragged, err = panel(["--press", "128,50", "--move", "128,20", "--move", "64,90", "--release",
                                    "--out", after, "--frames", "2000"])
        subprocess.run(HOST + ["render", DLL, "--shape", dragged, "--out", check,
                        "--frames", "2000"], check=True, stdout=subprocess.DEVNULL)
        a, b, r = read_f32(before), read_f32(after), read_f32(check)
        c.check(code == 0 and dragged != start and a != b, "a drag and release change the sound", err)
        c.check(b == r, "the signal side plays the text the panel wrote")
    print("%d failed" % c.failed)
    return 1 if c.failed else 0


if __name__ == "__main__":
    if subprocess.run(HOST + ["--help"], capture_output=True).returncode == 77:
        sys.exit(77)  # this build's programs cannot run here
    sys.exit(main())
