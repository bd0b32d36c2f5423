"""Tarn LFO's parts of the manuals and install notes (scripts/manual.py assembles them), from the
pictures and periods its pictures.sh made: the pins, the cycle's length, each wave, and how to use
it as a plug-in."""
import os

# One cycle at the slowest rate (Speed 0 V, or 0.001 V and below), in frames, between the Saw's
# wraps in a render of 54,000,000 frames (too long to render at each package build). Not
# 40,000,000: a step this small is rounded to the phase's float at every frame.
SLOWEST_CYCLE_FRAMES = 35690597
# A Speed to start from in a DAW: a cycle of 8,001 frames, about 5.5 Hz at 44.1 kHz.
START_SPEED_VOLTS = 5

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
    rows.insert(0, ["0 V (the default)", "{:,}".format(SLOWEST_CYCLE_FRAMES), minutes(SLOWEST_CYCLE_FRAMES, 44100),
                    minutes(SLOWEST_CYCLE_FRAMES, 48000)])
    return doc.table(["Speed", "one cycle (frames)", "at 44.1 kHz", "at 48 kHz"], rows)


def minutes(frames, rate):
    seconds = round(frames / rate)
    return "%d min %02d s" % divmod(seconds, 60)


def waves(doc):
    figures = []
    for name, value in doc.module.pin("Wave").choices:
        figures.append(doc.figure(os.path.join("lfo", "wave%d.png" % value),
                                  "%d &ldquo;%s&rdquo;: %s" % (value, doc.escape(name), WAVES[name]), 480))
    return '<div class="sheet">%s</div>' % "".join(figures)


def section(doc):
    return f"""
<p>A low-frequency oscillator for modulation. It has no panel.</p>
{doc.pins_heading()}
{doc.pins()}
<p>One cycle lasts about 40,000 &divide; Speed (in volts) sample frames, whatever the sample rate, so
the time depends on the rate the host runs at. At the default Speed, 0 V, it runs at its slowest
rate, a cycle of {minutes(SLOWEST_CYCLE_FRAMES, 44100)} at 44.1 kHz: it seems to stand still. Measured
from renders:</p>
{periods(doc)}
{waves(doc)}
<p><b>Fast Rand</b> and <b>Slow Rand</b> hold a level and draw a new one from the C library's random
generator: one of the ten levels &minus;5 V, &minus;4 V, &hellip;, +4 V. Fast Rand draws twenty times
per cycle, Slow Rand once per cycle. The generator is shared with everything else on the host's audio
thread, so two LFOs draw different sequences.</p>
{doc.figure("lfo_waves.png", "All eight waves at Speed 5 V, over the same time")}
"""


def plugins(doc):
    linux = doc.package == "linux"
    slowest = minutes(SLOWEST_CYCLE_FRAMES, 44100)
    cv = """
<h3>In a modular LV2 host</h3>
<p>The CV form, &ldquo;Tarn LFO CV&rdquo; (<code>lv2-cv/</code>), has a CV output and a Speed CV input
(added to the Speed parameter; 1.0 = 10 V): patch its output into any CV input, as with the 32-bit
module in the modular host.</p>""" if linux else ""
    return f"""
<h3>In a DAW</h3>
<p>Tarn LFO makes a control signal: it has <b>no audio input</b> and one output. DAWs list it
among effects, but on an audio track it <b>replaces the track's sound</b> with its slow wave
(&plusmn;5 V at full swing, samples of &plusmn;0.5), which is nothing to listen to. Use it where a DAW takes modulation from audio: put it on
a track or bus of its own whose output goes nowhere audible (mute it or send it to no output), and
use that track as the modulation source, as a side-chain input of a plug-in that takes one or a
DAW's audio-to-parameter modulation (REAPER's parameter modulation, Bitwig's audio-rate modulators,
Carla's CV routing){"; or use the CV form in a modular LV2 host (below)" if linux else ""}.</p>
<p><b>On insert</b> it starts at 0 V on its default wave, Saw, at its default Speed, 0 V: the slowest
cycle, {slowest} at 44.1 kHz ({minutes(SLOWEST_CYCLE_FRAMES, 48000)} at 48 kHz), so it rises from 0 V by
{start_rise(doc)} in a tenth of a second and seems to do nothing. Set <b>Speed</b> first: {START_SPEED_VOLTS} V gives a
cycle of 8,001 frames (about 5.5 Hz at 44.1 kHz, a vibrato), 1 V about 1.1 Hz, 0.1 V one cycle in
about 9 s; each volt more is a faster cycle (see the table below). Wave and Speed are parameters a
host can automate; a change of Wave keeps the running phase.</p>
{cv}"""


def start_rise(doc):
    """How far the wave has risen at frame 4410 (0.1 s at 44.1 kHz) at the defaults, measured."""
    with open(doc.path("lfo_start.txt")) as f:
        return "%.1f mV" % (float(f.read()) * 1000)


def install(doc):
    return """Tarn LFO makes a control signal and has no audio input: on an audio track it replaces the
track's sound. Put it on a track or bus of its own and use it where the DAW takes modulation
from audio. Wave chooses one of eight waves; Speed sets the rate (a cycle lasts about
40000 / Speed sample frames, Speed in volts). Its default Speed, 0 V, is the slowest cycle,
%s at 44.1 kHz, which seems to stand still: start from Speed %d V (about 5.5 Hz).%s
""" % (minutes(SLOWEST_CYCLE_FRAMES, 44100), START_SPEED_VOLTS,
       " In the CV form\n(lv2-cv/) Speed is also a CV input, added to the parameter." if doc.package == "linux" else "")


def readme(doc):
    parts = {"plug-in notes": """\
- **Tarn LFO**: Wave is an enumerated parameter with the eight names, Speed a parameter in volts
  (in the CV form also a CV input, added to the parameter); one output, audio (CV in the CV form).
  It has no audio input: on an audio track it replaces the track's sound, so put it on a track of
  its own where the DAW takes modulation from audio, or use the CV form in a modular LV2 host. Its
  default Speed, 0 V, is its slowest cycle, %s at 44.1 kHz: start from Speed %d V (about
  5.5 Hz).""" % (minutes(SLOWEST_CYCLE_FRAMES, 44100), START_SPEED_VOLTS)}
    if doc.pics is not None:
        parts["pictures"] = "### Tarn LFO\n\nIts eight waves:\n\n![The eight Tarn LFO waves](docs/lfo_waves.png)"
    return parts
