#!/usr/bin/env python3
"""Writes MANUAL.html, the host user's manual: one self-contained page whose pictures are embedded
and whose measured figures come from the files that pictures.sh made from the real DLLs.
Usage: manual.py PICTURES_DIR VERSION OUT.html
       manual.py --readme-table PICTURES_DIR README.md   (rewrites the README's measured-sound table)"""
import base64
import html
import json
import os
import sys

PRESETS = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "contour4", "presets.txt")
LV2_PORTS = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "docs", "lv2_ports.png")
PANEL_LINUX = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "docs", "panel_linux.png")


def image(path, alt, width=None):
    with open(path, "rb") as f:
        data = base64.b64encode(f.read()).decode("ascii")
    size = ' width="%d"' % width if width else ""
    return '<img src="data:image/png;base64,%s" alt="%s"%s>' % (data, html.escape(alt), size)


def table(head, rows):
    out = ["<table><tr>" + "".join("<th>%s</th>" % h for h in head) + "</tr>"]
    for row in rows:
        out.append("<tr>" + "".join("<td>%s</td>" % c for c in row) + "</tr>")
    return "\n".join(out) + "</table>"


def linux_section():
    return f"""
<h2>Installing and playing Tarn in a Linux host</h2>
<p>Both modules also come as native Linux x86-64 plug-ins in
<code>tarn-modules-VERSION-linux-x86_64.tar.gz</code>: one folder per format, for each module an LV2
bundle, a CLAP plug-in, a VST3 bundle and a JACK program. Copy what your host loads:
<code>lv2/*.lv2</code> into <code>~/.lv2</code> (Ardour, Carla, Qtractor, Zrythm, jalv),
<code>clap/*.clap</code> into <code>~/.clap</code> (Bitwig, REAPER, Zrythm, Carla),
<code>vst3/*.vst3</code> into <code>~/.vst3</code> (Ardour, REAPER, Bitwig, Carla); or run
<code>jack/TarnContour4</code> or <code>jack/TarnLFO</code> with a JACK server running. They sound
exactly like the Windows modules, sample for sample.</p>
<p><b>Tarn Contour4</b> is an instrument: the last held MIDI note sets Pitch (note 69 = 5 V = 440 Hz,
pitch bend &plusmn;2 semitones), a held note sets Level to 8 V, and releasing the last one sets it to
0 V, which silences it. Pitch, Sync and Level are CV inputs in LV2 and parameters in the other
formats; each of Pitch and Level follows whichever changed last, the notes or its input. So a DAW
that feeds the CV inputs 0 V plays your notes, and a modular host that patches CV and sends no notes
sounds as the Windows module does. The shape text is saved with your session; the 27 shapes of the
menu are LV2 presets and VST3 programs with the menu's names.</p>
<p><b>The panel</b> is the window of every format, the same panel as on Windows at the same size,
with the same colours, grid, nodes and curve: drag nodes with the mouse, and click the top strip for
the menu, which the window draws itself; work it with the mouse, or with the arrow keys, Enter and
Escape. A drag or a command changes the shape your session saves; a preset or a session your host
loads shows on the panel. Side by side, the Windows panel and the LV2 plug-in's window in jalv, with
its menu open:</p>
{image(PANEL_LINUX, "The panel: on Windows, in jalv, and its drawn menu", 804)}
<p><b>Tarn LFO</b>: Wave is a parameter with the eight names, Speed a parameter in volts (in LV2 also a
CV input, added to it); one output, CV in LV2 and audio elsewhere. On CV and audio ports 1.0 is 10 V.</p>
{image(LV2_PORTS, "The ports of both LV2 plug-ins, as lv2info lists them")}
"""


def windows_section():
    return """
<h2>Installing and playing Tarn in a Windows DAW</h2>
<p>The modules also come as 64-bit Windows plug-ins (x86-64), for each module a VST3 bundle and a
CLAP file, in <code>tarn-modules-VERSION-windows-x86_64.zip</code> and in an installer,
<code>tarn-modules-VERSION-windows-x86_64-setup.exe</code>. The installer puts the VST3 bundles into
<code>C:\\Program Files\\Common Files\\VST3</code> and the CLAP files into
<code>C:\\Program Files\\Common Files\\CLAP</code>, where DAWs look for them, and registers an
uninstaller (&ldquo;Tarn modules&rdquo; in Settings &rsaquo; Apps); <code>setup.exe /S</code> installs
without asking anything. From the zip, copy each folder in <code>vst3\\</code> and each file in
<code>clap\\</code> into those folders yourself. VST3 is for DAWs such as Cubase, Studio One, Ableton
Live, Bitwig, REAPER and Cakewalk, CLAP for DAWs such as Bitwig, REAPER and FL Studio. They need a
64-bit DAW and nothing else (no runtime to install); the modular host loads the 32-bit DLLs above
instead.</p>
<p>Notes, parameters, the shape as saved state and the 27 programs (VST3) work as in the Linux CLAP
and VST3 plug-ins below, and they play the same samples as the modules. The window is the module's
own panel in a child window of the DAW's: the same code paints it with Windows' own drawing, as in
the modular host, and the menu is Windows' own popup menu.</p>
<p>What was checked, and how: under Wine (64-bit) on Linux, by our own CLAP and VST3 test hosts
built for Windows: every render case sample for sample against the modules, notes, parameters, the
saved state restored, the window's pixels and the shapes that drags and menu commands write against
the modular host's panel, a hundred windows opened and closed, and the installer installing,
loading and uninstalling silently. No Windows DAW was run: the plug-ins have not been tried in any
of the DAWs named above.</p>
"""


def preset_section(pics):
    with open(PRESETS) as f:
        paths = [line.rstrip("\n") for line in f if line.strip()]
    groups = {}
    for i, path in enumerate(paths):
        group = path.split("/")[0] if "/" in path else ""
        name = path.split("/")[-1].strip()
        figure = ('<figure>%s<figcaption>%s</figcaption></figure>'
                  % (image(os.path.join(pics, "presets", "%02d.png" % i), name), html.escape(name)))
        groups.setdefault(group, []).append(figure)
    parts = []
    for group, figures in groups.items():
        title = "Menu &rsaquo; %s" % html.escape(group) if group else "Menu (main level)"
        parts.append('<h4>%s</h4><div class="sheet">%s</div>' % (title, "".join(figures)))
    return "\n".join(parts)


def lfo_section(pics):
    names = ["Sine", "Saw", "Ramp", "100% Pulse", "50% Pulse", "25% Pulse", "Fast Rand", "Slow Rand"]
    what = [
        "a triangle (not a sine): rises from 0 to +5 V, falls to &minus;5 V and rises again",
        "rises from &minus;5 V to +5 V, then jumps back",
        "falls from +5 V to &minus;5 V, then jumps back",
        "+5 V for the upper half of the saw's travel (50 % of the cycle), &minus;5 V for the rest",
        "+5 V for 75 % of the cycle",
        "+5 V for 87 % of the cycle",
        "a new random level twenty times per cycle",
        "a new random level once per cycle",
    ]
    figures = []
    for i, name in enumerate(names):
        figures.append('<figure>%s<figcaption>%d &ldquo;%s&rdquo;: %s</figcaption></figure>'
                       % (image(os.path.join(pics, "lfo", "wave%d.png" % i), name, 480), i, html.escape(name),
                          what[i]))
    return '<div class="sheet">%s</div>' % "".join(figures)


def lfo_periods(pics):
    rows = []
    with open(os.path.join(pics, "lfo_periods.tsv")) as f:
        next(f)
        for line in f:
            volts, frames = line.split()
            frames = int(frames)
            rows.append(["%s V" % volts, "{:,}".format(frames), "%.3f s" % (frames / 44100.0),
                         "%.3f s" % (frames / 48000.0)])
    return table(["Speed", "one cycle (frames)", "at 44.1 kHz", "at 48 kHz"], rows)


def pitch_table(measured):
    rows = [["%d V" % r["volts"], r["note"], "%.2f" % r["hz"], str(r["band"])] for r in measured["rows"]]
    return table(["Pitch", "note", "Hz", "table band"], rows)


def measured_table(measured):
    rows = []
    for r in measured["rows"]:
        rows.append(["%d V" % r["volts"], "%.1f Hz" % r["hz"], str(r["band"])] +
                    ["%.1f dB" % r[k] for k in ("saw_44100", "saw_48000", "pulse_44100", "pulse_48000")])
    return table(["Pitch", "frequency", "band", "Digital Saw 44.1 kHz", "Digital Saw 48 kHz",
                  "50% Pulse 44.1 kHz", "50% Pulse 48 kHz"], rows)


STYLE = """
body { font-family: "DejaVu Sans", Verdana, sans-serif; max-width: 62em; margin: 2em auto; padding: 0 1em;
       color: #222; background: #fbfaf6; line-height: 1.45; }
h1, h2, h3 { color: #2b4a5f; } h2 { border-bottom: 2px solid #d8d3c0; padding-bottom: .2em; margin-top: 2em; }
table { border-collapse: collapse; margin: .8em 0; } th, td { border: 1px solid #cfc9b4; padding: .25em .6em; }
th { background: #ece8da; text-align: left; } code, pre { background: #f0ede2; }
pre { padding: .6em; overflow-x: auto; white-space: pre-wrap; word-break: break-all; }
.sheet { display: flex; flex-wrap: wrap; gap: .6em; } figure { margin: 0; }
figcaption { font-size: .85em; max-width: 480px; } footer { margin-top: 3em; font-size: .85em; color: #555; }
"""


README_START = "<!-- measured-sound table: ./run docs writes it -->"
README_END = "<!-- end of the measured-sound table -->"


def readme_table(pics, readme):
    with open(os.path.join(pics, "measured.json")) as f:
        measured = json.load(f)
    lines = [README_START,
             "| Pitch | Hz | band | Digital Saw 44.1 kHz | Digital Saw 48 kHz | 50% Pulse 44.1 kHz | 50% Pulse 48 kHz |",
             "|---|---|---|---|---|---|---|"]
    for r in measured["rows"]:
        lines.append("| %d V | %.1f | %d | %s |" % (r["volts"], r["hz"], r["band"], " | ".join(
            "%.1f dB" % r[k] for k in ("saw_44100", "saw_48000", "pulse_44100", "pulse_48000"))))
    lines.append(README_END)
    with open(readme) as f:
        text = f.read()
    start, end = text.index(README_START), text.index(README_END) + len(README_END)
    with open(readme, "w") as f:
        f.write(text[:start] + "\n".join(lines) + text[end:])


def main():
    if sys.argv[1] == "--readme-table":
        readme_table(sys.argv[2], sys.argv[3])
        return
    pics, version, out = sys.argv[1:4]
    with open(os.path.join(pics, "measured.json")) as f:
        measured = json.load(f)
    with open(os.path.join(pics, "build.txt")) as f:
        drawn_by = f.read().strip()
    with open(os.path.join(pics, "presets", "01.txt")) as f:
        saw_text = f.read().strip()
    body = f"""
<h1>Tarn modules {html.escape(version)}</h1>
<p>Two modules for a modular synthesizer host: <b>Tarn Contour4</b>, an audio oscillator whose single
cycle is a curve you draw on its panel, and <b>Tarn LFO</b>, a low-frequency oscillator with eight
control waveforms.</p>
{image(os.path.join(pics, "panel.png"), "The Tarn Contour4 panel with its default curve")}

<h2>Installing</h2>
<p>The package holds <code>TarnContour4.dll</code> and <code>TarnLFO.dll</code>. Both are
<b>32-bit Windows modules</b> (PE32, i386): they load in the 32-bit host, not in a 64-bit program.
Copy both files into the folder in which your host looks for plug-in modules (see your host's
documentation), then restart the host or let it scan for new modules; they appear as
&ldquo;Tarn Contour4&rdquo; and &ldquo;Tarn LFO&rdquo;. They need nothing else: only the system
libraries every Windows has. <code>SHA256SUMS</code> lists the checksum of every file in the
package (<code>sha256sum -c SHA256SUMS</code> checks them).</p>
<p>All signals are in volts as the host shows them; inside, 10 V is a signal of 1.0.</p>

<h2>Tarn Contour4</h2>
<p>An audio oscillator. Its cycle is a curve through 25 nodes that you shape on the panel. From the
curve the module builds ten progressively smoother wave tables and plays the one that suits the
pitch, so that high notes stay clean.</p>
<h3>Pins</h3>
{table(["pin", "kind", "unit and range", "default", "what it does"], [
    ["shape", "text", "the shape text (below)", "a rising straight line",
     "the curve; the panel writes it, and you can type or paste one"],
    ["Pitch", "input", "volts, 1 V per octave, 5 V = 440 Hz; above 9.4 V it plays 9.4 V (9289 Hz)", "5 V",
     "the frequency, read at the start of each block"],
    ["Sync", "input", "volts", "0 V",
     "each rising zero crossing (from below 0 V to 0 V or above) restarts the cycle"],
    ["Level", "input", "volts; 0.05 V or less is silence", "8 V",
     "the output level: Output = curve voltage &times; Level &divide; 20 (a curve at +5 V gives +2 V at the default 8 V)"],
    ["Output", "output", "volts", "0 V", "the oscillator"],
])}
<h3>Pitch and frequency</h3>
<p>One volt per octave: 5 V is A4 = 440 Hz, 4 V an octave lower, 6 V an octave higher; 0 V is 13.75 Hz.
Each pitch plays one of ten table bands: band 0 below 4 V, then a band per half octave up to band 9
from 8 V, each smoother than the one before.</p>
{pitch_table(measured)}
<h3>Sync and Level</h3>
<p><b>Sync</b>: whenever the Sync signal rises through zero (the previous sample below 0 V, the new
one at 0 V or above), the cycle starts again from its first node. Connect another oscillator here
for hard sync; a Sync input held at one level never restarts anything.</p>
<p><b>Level</b> scales the output and gates it. The level of each block is its first Level sample.
The gate is decided whenever the host reports a change on one of the module's pins: with Level at
0.05 V or less the module writes silence, and after one block of silence it tells the host that it
may stop calling it (it sleeps and costs nothing) until a pin changes again. A change that finds
Level above 0.05 V makes it sound.</p>
<h3>The panel</h3>
<p>The panel is 256 &times; 100 pixels: the curve's 25 nodes on a grid from &minus;5 V (bottom) to
+5 V (top), with a &ldquo;Menu&rdquo; button at the top left.</p>
<ul>
<li><b>Dragging a node</b>: press the mouse button anywhere below the top strip and move: the node whose
column is under the pointer takes the pointer's height. Sweep across the panel to draw many nodes in
one stroke. Nodes move only up and down.</li>
<li><b>The clamp</b>: a dragged node stays between +3.5 V and &minus;3.5 V.</li>
<li><b>The ends</b>: the first and the last node stay on the left and right edges.</li>
<li>When you release the button the curve goes to the &ldquo;shape&rdquo; pin and the sound changes.</li>
</ul>
<h3>The menu</h3>
<p>A press in the strip along the top edge (the top 12 pixels) opens the popup menu. Its main level
holds &ldquo;Edit&rdquo; (Invert, Reverse, Rotate Left), then &ldquo;Sine&rdquo;, the submenus
&ldquo;Saw&rdquo;, &ldquo;Triangle&rdquo;, &ldquo;Pulse&rdquo; and &ldquo;Various&rdquo;,
&ldquo;Ramp&rdquo; and, last, &ldquo;Random&rdquo; (new random heights each time). Every preset,
as the panel draws it:</p>
{preset_section(pics)}
<h4>Menu &rsaquo; Edit</h4>
<ul>
<li><b>Invert</b> turns the curve upside down (+3 V becomes &minus;3 V).</li>
<li><b>Reverse</b> plays the curve backwards: the last node becomes the first.</li>
<li><b>Rotate Left</b> moves the shape of the last preset or edit by one node: each node takes the
height of the node before it and the first takes the last one's. It works on that last menu result,
not on nodes dragged since, so a drag is undone by it.</li>
</ul>
<h3>The shape text</h3>
<p>The curve travels on the &ldquo;shape&rdquo; pin as text: 25 nodes, each
<code>(x,y)</code> in volts from &minus;5 to +5 with one decimal, written one after another. Only the
heights (y) shape the sound; the nodes are played evenly spaced, in order. This is the Digital Saw
preset; copy it into the pin to try it:</p>
<pre>{html.escape(saw_text)}</pre>
<p>What the module does with odd texts:</p>
<ul>
<li>An empty text is the default rising line.</li>
<li>Fewer than 25 nodes: the missing ones are played at +5 V; the panel keeps its own heights for them.</li>
<li>A field that is not a number reads as 0 V; blanks before a number are skipped, anything after it
ignored; an exponent may be written with e or d (<code>2.5e-1</code>, <code>2.5d-1</code>).</li>
<li>Values beyond &plusmn;5 V are played as they are (louder); a value too large for the module's
numbers makes it silent until the next text.</li>
<li>A text with no closing bracket changes nothing; whatever follows the 25th node is ignored.</li>
</ul>

<h2>Tarn LFO</h2>
<p>A low-frequency oscillator for modulation. It has no panel.</p>
{table(["pin", "kind", "unit and range", "default", "what it does"], [
    ["Speed", "input", "volts; 0.001 V or less (and 0 V) runs at the slowest rate", "0 V",
     "how fast the wave runs; read at the start of each block"],
    ["Wave", "choice", "Sine, Saw, Ramp, 100% Pulse, 50% Pulse, 25% Pulse, Fast Rand, Slow Rand", "Saw",
     "the waveform; switching keeps the running phase"],
    ["Output", "output", "&minus;5 V &hellip; +5 V", "&ndash;", "the wave"],
])}
<p>One cycle lasts 40,000 &divide; Speed (in volts) sample frames, whatever the sample rate, so the
time depends on the rate the host runs at. Measured from renders:</p>
{lfo_periods(pics)}
{lfo_section(pics)}
<p><b>Fast Rand</b> and <b>Slow Rand</b> hold a level and draw a new one from the C library's random
generator: one of the ten levels &minus;5 V, &minus;4 V, &hellip;, +4 V. Fast Rand draws twenty times
per cycle, Slow Rand once per cycle. The generator is shared with everything else on the host's audio
thread, so two LFOs draw different sequences.</p>
{image(os.path.join(pics, "lfo_waves.png"), "All eight LFO waves")}

{windows_section()}
{linux_section()}
<h2>Measured sound</h2>
<p>How clean is the oscillator? Tarn Contour4 playing the Digital Saw and the 50% Pulse presets at
1 V to 9 V, at 44.1 and 48 kHz, two seconds each, rendered by the module itself and analysed with a
Kaiser window (&beta; = 20). The figure is the level of the strongest component that is not a
harmonic of the played note (an alias of a harmonic above half the sample rate, folded back),
relative to the fundamental. Lower is cleaner.</p>
{measured_table(measured)}
{image(os.path.join(pics, "measured_sound.png"), "Alias level against pitch")}
{image(os.path.join(pics, "spectrogram.png"), "Spectrogram of the Digital Saw at 5 V")}

<footer>Licence: MIT (see LICENSE). Pictures and measurements in this manual were drawn by {html.escape(drawn_by)}.</footer>
"""
    with open(out, "w") as f:
        f.write('<!DOCTYPE html>\n<html lang="en"><head><meta charset="utf-8">'
                '<title>Tarn modules %s: manual</title><style>%s</style></head><body>%s</body></html>\n'
                % (html.escape(version), STYLE, body))


if __name__ == "__main__":
    main()
