#!/usr/bin/env python3
"""Renders Tarn Contour4 through tarn-host and checks every sample against a model of the
shape text, the wave table and the oscillator written here from their description: float32
steps through ctypes, double steps as Python floats, x87 extended steps as exact fractions
rounded to a 64-bit significand."""
import ctypes
import math
import os
import shlex
import struct
import subprocess
import sys
import tempfile
from fractions import Fraction

# tarn-host of the build under test (a command line) and the module DLL, as ctest gives them.
HOST = shlex.split(os.environ["TARN_HOST"])
DLL = os.environ["TARN_DLL"]
DEFAULT = ("(-5.0,-5.0)(-4.58,-4.58)(-4.16,-4.16)(-3.75,-3.75)(-3.33,-3.33)(-2.92,-2.92)"
           "(-2.50,-2.50)(-2.08,-2.08)(-1.67,-1.67)(-1.25,-1.25)(-0.84,-0.84)(-0.42,-0.42)"
           "(0.00,0.00)(0.40,0.40)(0.82,0.82)(1.24,1.24)(1.65,1.65)(2.07,2.07)(2.48,2.48)"
           "(2.90,2.90)(3.32,3.32)(3.73,3.73)(4.15,4.15)(4.56,4.56)(4.98,4.98)")
HALF_WIDTH = [1, 3, 5, 7, 9, 19, 29, 39, 49, 59]
TWO_PI = ctypes.c_float(6.2831855).value


def f32(x):
    return ctypes.c_float(x).value


def round_bits(q, bits):
    """Rounds a Fraction to the nearest value with a `bits`-bit significand, ties to even."""
    num, den = q.numerator, q.denominator
    if num == 0:
        return Fraction(0)
    sign = -1 if num < 0 else 1
    num = abs(num)
    # e: the exponent of the leading bit, 2**e <= q < 2**(e + 1).
    e = num.bit_length() - den.bit_length()
    if (num < den << e) if e >= 0 else (num << -e < den):
        e -= 1
    shift = bits - 1 - e  # q * 2**shift holds `bits` bits before the point
    if shift >= 0:
        n, r = divmod(num << shift, den)
        d = den
    else:
        d = den << -shift
        n, r = divmod(num, d)
    if 2 * r > d or (2 * r == d and n % 2 == 1):
        n += 1
    return Fraction(sign * n, 1 << shift) if shift >= 0 else Fraction(sign * n << -shift)


def ext(q):
    return round_bits(Fraction(q), 64)


def number(field):
    """The field's leading number: blanks, sign, digits with '.', exponent e/E/d/D."""
    i, n = 0, len(field)
    while i < n and field[i] in " \t\n\v\f\r":
        i += 1
    start = i
    if i < n and field[i] in "+-":
        i += 1
    digits = False
    while i < n and field[i].isdigit():
        i, digits = i + 1, True
    if i < n and field[i] == ".":
        i += 1
        while i < n and field[i].isdigit():
            i, digits = i + 1, True
    if not digits:
        return 0.0
    mantissa = field[start:i]
    if i < n and field[i] in "eEdD":
        j = i + 1
        if j < n and field[j] in "+-":
            j += 1
        if j < n and field[j].isdigit():
            while j < n and field[j].isdigit():
                j += 1
            mantissa += "e" + field[i + 1:j]
    try:
        return f32(float(mantissa))
    except OverflowError:
        return math.copysign(math.inf, float(mantissa[0] == "-" and -1 or 1))


def parse(text, nodes):
    rest = text if text else DEFAULT
    for i in range(25):
        p, c, e = rest.find("("), rest.find(","), rest.find(")")
        if e < 1:
            return
        def fld(start, length):
            return rest[start:] if length < 0 else rest[start:start + length]
        x = number(fld(p + 1, c - p - 1))
        y = number(fld(c + 1, e - c - 1))
        nodes[i] = (f32(f32(x + 5.0) * 10.0), f32(f32(5.0 - y) * 10.0))
        rest = rest[e + 1:]
        if not rest:
            return


def tables(text):
    nodes = [(0.0, 0.0)] * 25
    parse(text, nodes)
    stepped = [f32(0.5 - 0.01 * nodes[n // 10][1]) for n in range(250)]
    raw = list(stepped)
    for n in range(5, 250):
        s = 0.0
        for t in range(n - 5, n + 6):
            s = f32(s + stepped[t % 250])
        raw[n] = f32(s * f32(0.09090909))
    value = [0.0] * 2501
    slope = [0.0] * 2501
    for k, a in enumerate(HALF_WIDTH):
        for j in range(251):
            s = Fraction(0)
            for t in range(2 * a):
                s = ext(s + Fraction(raw[(j - a + t) % 250]))
            value[k * 250 + j] = f32(float(round_bits(ext(ext(s / a) * Fraction(1, 2)), 24)))
    A = B = 0.0
    c09, c009, c01 = ext(Fraction("0.9")), ext(Fraction("0.09")), ext(Fraction("0.1"))
    for k in range(10):
        f = ext(c09 - ext(c009 * k))
        fb = ext(c01 + ext(c01 / ext(1 - f)))
        for i in range(251):
            at = k * 250 + i
            vin = Fraction(value[at])
            fa, fbv = Fraction(A), Fraction(B)
            inner = ext(ext(ext(fa - fbv) * fb) + ext(vin - fa))
            A = float(round_bits(ext(fa + ext(f * inner)), 24))
            fa = Fraction(A)
            B = float(round_bits(ext(fbv + ext(f * ext(fa - fbv))), 24))
            value[at] = B
            if i > 0:
                slope[at] = f32(B - value[at - 1])
    slope[0] = f32(value[0] - value[249])
    return value, slope


def band(p):
    if p >= 0.8:
        return 9
    for b, bound in ((8, 0.75), (7, 0.7), (6, 0.65), (5, 0.6), (4, 0.55), (3, 0.5), (2, 0.45)):
        if p >= f32(bound):
            return b
    return 1 if p >= 0.4 else 0


def model(text, pitch_volts, level_volts, rate, frames, sync):
    value, slope = tables(text)
    p = f32(pitch_volts / 10.0)
    level = f32(level_volts / 10.0)
    row = band(p)
    p = min(p, f32(0.94))
    inc_per_hz = f32(f32(1.0 / f32(rate)) * TWO_PI)
    inc = f32(440.0 * math.pow(2.0, 10.0 * p - 5.0) * inc_per_hz)
    scale = f32(39.390846)
    phase, last_sync, out = 0.0, 0.0, []
    for n in range(frames):
        phase = f32(phase + inc)
        if phase >= TWO_PI:
            phase = f32(phase - TWO_PI)
        x = sync[n] if n < len(sync) else (sync[-1] if sync else 0.0)
        if last_sync < 0.0 and x >= 0.0:
            phase = 0.0
        last_sync = x
        pos = f32(scale * phase)
        i = round(pos)  # Python rounds ties to even, as the SSE conversion does
        frac = f32(pos - i)
        at = row * 250 + i
        out.append(f32(f32(value[at] + f32(frac * slope[at])) * level))
    return out


def render(args, path):
    cmd = HOST + ["render", DLL, "--out", path] + args
    subprocess.run(cmd, check=True, stdout=subprocess.DEVNULL)
    with open(path, "rb") as f:
        data = f.read()
    return list(struct.unpack("<%df" % (len(data) // 4), data))


def main():
    sync = [f32(0.1 * math.sin(n * 0.05)) for n in range(3000)]
    cases = [
        ("default line at 5 V", "", "5", "8", 44100, 2000, None),
        ("two nodes at 2.5 V, 48 kHz, level 3 V", "(-5,3.5)(-4.6,-3.5)", "2.5", "3", 48000, 3000,
         None),
        ("a d-exponent text at 7.5 V", "(0,1d0)(0,-2.5)(1,3.3)(2,-0.7)(3,4.9)", "7.5", "8", 44100,
         2000, None),
        ("a sine-like text with sync, 10 V clamped", "".join(
            "(%.1f,%.1f)" % (i * 10 / 24 - 5, 3.5 * math.sin(2 * math.pi * i / 25))
            for i in range(25)), "10", "8", 96000, 3000, sync),
    ]
    failures = 0
    with tempfile.TemporaryDirectory() as tmp:
        for name, text, pitch, level, rate, frames, sync_in in cases:
            path = os.path.join(tmp, "c.f32")
            args = ["--set", "Pitch=" + pitch, "--set", "Level=" + level, "--rate", str(rate),
                    "--frames", str(frames), "--block", "256"]
            if text:
                args += ["--shape", text]
            if sync_in:
                sync_path = os.path.join(tmp, "sync.f32")
                with open(sync_path, "wb") as f:
                    f.write(struct.pack("<%df" % len(sync_in), *sync_in))
                args += ["--input", "Sync=" + sync_path]
            got = render(args, path)
            want = model(text, float(pitch), float(level), rate, frames, sync_in or [])
            bad = [i for i in range(frames) if i >= len(got) or got[i] != want[i]]
            if len(got) != frames or bad:
                failures += 1
                i = bad[0] if bad else len(got)
                print("FAIL %s: %d of %d frames differ, first at %d: %r, expected %r" %
                      (name, len(bad), frames, i, got[i] if i < len(got) else None, want[i]))
            else:
                print("ok %s: %d frames" % (name, frames))
    return 1 if failures else 0


if __name__ == "__main__":
    if subprocess.run(HOST + ["--help"], capture_output=True).returncode == 77:
        sys.exit(77)  # this build's programs cannot run here
    sys.exit(main())
