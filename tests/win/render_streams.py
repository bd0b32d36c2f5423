#!/usr/bin/env python3
"""Writes the input streams of the render cases into a folder: sync.f32, a square of about
150 Hz, and level.f32, a level that drops to 0 for a while and comes back (signal units)."""
import struct
import sys

FRAMES = 12000
streams = {
    "sync": [0.5 if (i // 147) % 2 else -0.5 for i in range(FRAMES)],
    "level": [0.8 if i < 3000 else 0.0 if i < 7000 else 0.35 for i in range(FRAMES)],
}
for name, data in streams.items():
    with open("%s/%s.f32" % (sys.argv[1], name), "wb") as f:
        f.write(struct.pack("<%df" % len(data), *data))
