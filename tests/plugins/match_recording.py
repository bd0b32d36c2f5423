#!/usr/bin/env python3
"""A JACK recording against an offline render of the same input, both raw float32: the recording
must equal some stretch of the render bit for bit. The recording starts at a moment of its own,
and may begin with silence: the program not yet connected, or a plug-in whose shape is still on
its way from the thread that builds it while its cycle already runs. From its first sound on,
every frame must be the render's.
usage: match_recording.py RECORDING.f32 RENDER.f32"""
import array
import sys

FRAME = 4  # bytes of one float32 frame


def main(recording_path, render_path):
    with open(recording_path, "rb") as f:
        recorded = f.read()
    with open(render_path, "rb") as f:
        render = f.read()
    values = array.array("f", recorded)
    first = next((k for k, v in enumerate(values) if v != 0.0), None)
    if first is None:
        print("FAIL the recording is silent")
        return 1
    sound = recorded[first * FRAME:]
    at = render.find(sound)
    while at != -1 and at % FRAME != 0:
        at = render.find(sound, at + 1)
    if at == -1:
        print("FAIL no stretch of the offline render equals the recording")
        return 1
    print("ok the %d recorded frames from the first sound on equal the offline render from its frame %d on"
          % (len(sound) // FRAME, at // FRAME))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
