#!/usr/bin/env python3
"""Measures renders of Tarn Contour4: for each saw and pulse render at a pitch and rate, the level
of the strongest component that is not a harmonic of the played frequency (an alias), relative
to the fundamental, in dB. Prints JSON. Usage: measure_alias.py RENDER_DIR
(files saw_RATE_VOLTS.f32 and pulse_RATE_VOLTS.f32: raw float32, two seconds each)."""
import json
import os
import sys

import numpy as np

TWO_PI_F32 = np.float32(6.2831855)
MASK_HZ = 5.0  # half-width kept around each harmonic: the window's main lobe is about 3.2 Hz


def played_frequency(volts, rate):
    """The frequency the oscillator really plays: its float32 phase step per sample."""
    per_hz = np.float32(np.float32(1.0) / np.float32(rate)) * TWO_PI_F32
    step = np.float32(440.0 * 2.0 ** (volts - 5.0) * float(per_hz))
    return float(step) * rate / float(TWO_PI_F32)


def band(volts):
    """The table band the module plays at a pitch: half-octave bands from 4 V to 8 V."""
    if volts >= 8.0:
        return 9
    if volts < 4.0:
        return 0
    return 1 + int((volts - 4.0) / 0.5)


def alias_level(path, volts, rate):
    x = np.fromfile(path, dtype="<f4").astype(np.float64)
    spectrum = np.abs(np.fft.rfft(x * np.kaiser(len(x), 20.0)))
    hz = np.fft.rfftfreq(len(x), 1.0 / rate)
    f0 = played_frequency(volts, rate)
    near_fundamental = np.abs(hz - f0) <= MASK_HZ
    fundamental = spectrum[near_fundamental].max()
    harmonic = hz <= MASK_HZ  # DC
    for k in range(1, int(hz[-1] / f0) + 2):
        harmonic |= np.abs(hz - k * f0) <= MASK_HZ
    strongest = spectrum[~harmonic].max()
    return round(20.0 * np.log10(strongest / fundamental), 1)


def note(volts):
    names = ["A", "A#", "B", "C", "C#", "D", "D#", "E", "F", "F#", "G", "G#"]
    semitones = round((volts - 5.0) * 12) + 48  # A4 is 48 semitones above A0
    return "%s%d" % (names[semitones % 12], (semitones + 9) // 12)


def main():
    folder = sys.argv[1]
    rows = []
    for volts in range(1, 10):
        row = {"volts": volts, "note": note(volts), "hz": round(440.0 * 2.0 ** (volts - 5.0), 2),
               "band": band(volts)}
        for shape in ("saw", "pulse"):
            for rate in (44100, 48000):
                path = os.path.join(folder, "%s_%d_%d.f32" % (shape, rate, volts))
                row["%s_%d" % (shape, rate)] = alias_level(path, volts, rate)
        rows.append(row)
    json.dump({"shapes": {"saw": "Saw/Digital Saw", "pulse": "Pulse/50%"}, "rows": rows}, sys.stdout, indent=1)
    print()


if __name__ == "__main__":
    main()
