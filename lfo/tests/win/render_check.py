#!/usr/bin/env python3
"""Renders every Tarn LFO wave through tarn-host and checks it sample by sample against a model
of the waves written here from their description, in float32 arithmetic."""
import ctypes
import os
import shlex
import struct
import subprocess
import sys
import tempfile

# tarn-host of the build under test (a command line) and the module DLL, as ctest gives them.
HOST = shlex.split(os.environ["TARN_HOST"])
DLL = os.environ["TARN_DLL"]


def f32(x):
    return ctypes.c_float(x).value


class Crt:
    """The C library's generator: state * 214013 + 2531011, bits 16-30, state starts at 1."""

    def __init__(self):
        self.state = 1

    def rand(self):
        self.state = (self.state * 214013 + 2531011) & 0xFFFFFFFF
        return (self.state >> 16) & 0x7FFF


def model(wave, speed_volts, frames, block, crt):
    s = f32(speed_volts / 10.0)
    if not s > f32(0.0001):
        s = f32(0.0001)
    inc = f32(s * f32(0.00025))
    phase = level = held = f32(0.0)
    direction = f32(1.0)
    out = []
    for _ in range(frames):
        if wave == 0:
            if direction >= 1.0:
                level = f32(level + inc)
                if level >= 0.5:
                    direction = 0.0
            else:
                level = f32(level - inc)
                if level <= -0.5:
                    direction = 1.0
            out.append(level)
            continue
        if wave == 2:
            phase = f32(phase - inc)
            if phase <= -0.5:
                phase = 0.5
            out.append(phase)
            continue
        phase = f32(phase + inc)
        if wave == 6:
            if phase >= f32(0.05):
                phase = 0.0
                held = f32((crt.rand() % 10) * 0.1 - 0.5)
            out.append(held)
            continue
        if phase >= 0.5:
            phase = -0.5
            if wave == 7:
                held = f32((crt.rand() % 10) * 0.1 - 0.5)
        if wave == 1:
            out.append(phase)
        elif wave == 7:
            out.append(held)
        else:
            threshold = {3: 0.0, 4: -0.25, 5: f32(-0.37)}[wave]
            out.append(0.5 if phase > threshold else -0.5)
    return out


def render(args, path):
    cmd = HOST + ["render", DLL,
           "--out", path] + args
    subprocess.run(cmd, check=True, stdout=subprocess.DEVNULL)
    with open(path, "rb") as f:
        data = f.read()
    return list(struct.unpack("<%df" % (len(data) // 4), data))


def main():
    failures = 0
    cases = [(w, "10", 9000, 1024) for w in range(8)] + [(1, "2.5", 3000, 7), (6, "40", 5000, 64)]
    with tempfile.TemporaryDirectory() as tmp:
        for wave, speed, frames, block in cases:
            path = os.path.join(tmp, "w.f32")
            got = render(["--set", "Wave=%d" % wave, "--set", "Speed=" + speed, "--frames",
                          str(frames), "--block", str(block)], path)
            want = model(wave, float(speed), frames, block, Crt())
            bad = [i for i in range(frames) if i >= len(got) or got[i] != want[i]]
            name = "wave %d speed %s V block %d" % (wave, speed, block)
            if len(got) != frames or bad:
                failures += 1
                i = bad[0] if bad else len(got)
                print("FAIL %s: frame %d is %r, expected %r" %
                      (name, i, got[i] if i < len(got) else None, want[i]))
            else:
                print("ok %s: %d frames" % (name, frames))
    return 1 if failures else 0


if __name__ == "__main__":
    if subprocess.run(HOST + ["--help"], capture_output=True).returncode == 77:
        sys.exit(77)  # this build's programs cannot run here
    sys.exit(main())
