#!/usr/bin/env python3
"""Writes the input streams a module's render cases declare into a folder, NAME.f32 each (float32
in signal units), and prints their names, one a line. A stream is a line of the cases file:
    stream NAME = VALUE*FRAMES VALUE*FRAMES ... [repeated to FRAMES]
runs of a value, in turn, the whole repeated up to FRAMES frames where said.
Usage: render_streams.py CASES DIR"""
import re
import struct
import sys

STREAM = re.compile(r"^stream ([a-z][a-z0-9_]*) = (.+?)(?: repeated to (\d+))?$")
RUN = re.compile(r"^([-+]?[0-9.]+(?:[eE][-+]?\d+)?)\*(\d+)$")


def stream(cases, number, runs, total):
    data = []
    for run in runs.split():
        m = RUN.match(run)
        if not m:
            sys.exit("%s:%d: a run is VALUE*FRAMES, not \"%s\"" % (cases, number, run))
        data += [float(m.group(1))] * int(m.group(2))
    if total is not None:
        data = (data * (int(total) // len(data) + 1))[:int(total)]
    return data


def main(cases, folder):
    with open(cases, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.strip()
            if not line.startswith("stream "):
                continue
            m = STREAM.match(line)
            if not m:
                sys.exit("%s:%d: a stream is \"stream NAME = VALUE*FRAMES ... [repeated to FRAMES]\"" % (cases, number))
            data = stream(cases, number, m.group(2), m.group(3))
            with open("%s/%s.f32" % (folder, m.group(1)), "wb") as out:
                out.write(struct.pack("<%df" % len(data), *data))
            print(m.group(1))


if __name__ == "__main__":
    main(*sys.argv[1:])
