#!/usr/bin/env python3
"""Checks that the Level pin's documented formula is what the module plays: its example (a curve at
+A V gives +B V at the default L V) must follow from the stated divisor, L must be Level's default,
and a render of a flat curve at A V at the default pitch must give B V at every sample.
Usage: check_level_doc.py DESCRIPTION CLAP_HOST PLUGIN.clap"""
import os
import re
import struct
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "cmake"))
from module_description import read_description  # noqa: E402

NODES = 25
SIGNAL_VOLTS = 10.0  # 1.0 of signal is 10 V
TOLERANCE_VOLTS = 1e-4
FORMULA = re.compile(r"Output = curve voltage × Level ÷ ([\d.]+) \(a curve at \+([\d.]+) V gives "
                     r"\+([\d.]+) V at the default ([\d.]+) V\)")


def main(description, host, plugin):
    level = read_description(description).pin("Level")
    match = FORMULA.search(level.doc)
    if not match:
        print("FAIL the Level pin's doc states no formula with an example: %s" % level.doc)
        return 1
    divisor, curve, out, default = map(float, match.groups())
    problems = []
    if default != level.default_value:
        problems.append("the example's Level %g V is not the default %g V" % (default, level.default_value))
    if abs(curve * default / divisor - out) > TOLERANCE_VOLTS:
        problems.append("%g × %g ÷ %g is not %g" % (curve, default, divisor, out))
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "flat.f32")
        subprocess.run([host, "render", plugin, "--shape", "(0,%g)" % curve * NODES, "--set", "Level=%g" % default,
                        "--frames", "2000", "--out", path], check=True)
        with open(path, "rb") as f:
            data = f.read()
    volts = [x * SIGNAL_VOLTS for x in struct.unpack("<%df" % (len(data) // 4), data)]
    wrong = [v for v in volts if abs(v - out) > TOLERANCE_VOLTS]
    if wrong:
        problems.append("a flat curve at %g V plays %g ... %g V, not %g V" % (curve, min(volts), max(volts), out))
    for p in problems:
        print("FAIL " + p)
    print("Level's doc: a curve at %g V gives %g V at Level %g V; %d samples rendered" % (curve, out, default, len(volts)))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
