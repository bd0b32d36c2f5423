#!/usr/bin/env python3
"""A JACK recording against an offline render of the same input: jack_rec writes 32-bit PCM,
so the render is quantized as libsndfile does (x * 2^31, rounded to nearest even), and the
recording must equal some stretch of it exactly. The recording starts at a moment of its own,
and may begin with silence: the program not yet connected, or a plug-in whose shape is still
on its way from the thread that builds it while its cycle already runs. From its first sound
on, every frame must be the render's.
usage: match_recording.py RECORDING.wav RENDER.f32"""
import struct
import sys
import wave


def main(recording_path, render_path):
    with wave.open(recording_path) as w:
        if w.getsampwidth() != 4 or w.getnchannels() != 1:
            print("FAIL the recording is not one channel of 32-bit samples")
            return 1
        recorded = struct.unpack("<%di" % w.getnframes(), w.readframes(w.getnframes()))
    with open(render_path, "rb") as f:
        data = f.read()
    render = [round(x * 2147483648.0) for x in struct.unpack("<%df" % (len(data) // 4), data)]
    first = next((k for k, v in enumerate(recorded) if v != 0), None)
    if first is None:
        print("FAIL the recording is silent")
        return 1

    sound = recorded[first:]
    for j, v in enumerate(render):
        if v != sound[0]:
            continue
        if j + len(sound) > len(render):
            break
        if render[j:j + len(sound)] == list(sound):
            print("ok the %d recorded frames from the first sound on equal the offline render from its frame %d on"
                  % (len(sound), j))
            return 0
    print("FAIL no stretch of the offline render equals the recording")
    return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
