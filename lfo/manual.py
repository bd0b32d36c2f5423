"""Tarn LFO's section of the manual (scripts/manual.py assembles it), from the pictures and periods
its pictures.sh made: the pins, the cycle's length, each wave."""
import os

# What each of the Wave pin's choices draws, by name.
WAVES = {
    "Sine": "a triangle (not a sine): rises from 0 to +5 V, falls to &minus;5 V and rises again",
    "Saw": "rises from &minus;5 V to +5 V, then jumps back",
    "Ramp": "falls from +5 V to &minus;5 V, then jumps back",
    "100% Pulse": "+5 V for the upper half of the saw's travel (50 % of the cycle), &minus;5 V for the rest",
    "50% Pulse": "+5 V for 75 % of the cycle",
    "25% Pulse": "+5 V for 87 % of the cycle",
    "Fast Rand": "a new random level twenty times per cycle",
    "Slow Rand": "a new random level once per cycle",
}


def periods(doc):
    rows = []
    with open(doc.path("lfo_periods.tsv")) as f:
        next(f)
        for line in f:
            volts, frames = line.split()
            frames = int(frames)
            rows.append(["%s V" % volts, "{:,}".format(frames), "%.3f s" % (frames / 44100.0),
                         "%.3f s" % (frames / 48000.0)])
    return doc.table(["Speed", "one cycle (frames)", "at 44.1 kHz", "at 48 kHz"], rows)


def waves(doc):
    figures = []
    for name, value in doc.module.pin("Wave").choices:
        figures.append('<figure>%s<figcaption>%d &ldquo;%s&rdquo;: %s</figcaption></figure>'
                       % (doc.image(os.path.join("lfo", "wave%d.png" % value), name, 480), value,
                          doc.escape(name), WAVES[name]))
    return '<div class="sheet">%s</div>' % "".join(figures)


def section(doc):
    return f"""
<p>A low-frequency oscillator for modulation. It has no panel.</p>
{doc.pins()}
<p>One cycle lasts 40,000 &divide; Speed (in volts) sample frames, whatever the sample rate, so the
time depends on the rate the host runs at. Measured from renders:</p>
{periods(doc)}
{waves(doc)}
<p><b>Fast Rand</b> and <b>Slow Rand</b> hold a level and draw a new one from the C library's random
generator: one of the ten levels &minus;5 V, &minus;4 V, &hellip;, +4 V. Fast Rand draws twenty times
per cycle, Slow Rand once per cycle. The generator is shared with everything else on the host's audio
thread, so two LFOs draw different sequences.</p>
{doc.image("lfo_waves.png", "All eight LFO waves")}
"""


def linux(doc):
    return """
<p><b>Tarn LFO</b>: Wave is a parameter with the eight names, Speed a parameter in volts (in LV2 also a
CV input, added to it); one output, CV in LV2 and audio elsewhere.</p>
"""
