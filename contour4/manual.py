"""Tarn Contour4's section of the manual (scripts/manual.py assembles it), from the pictures and
measurements its pictures.sh made: the panel, every preset, the pitch bands, the measured sound."""
import html
import json
import os

HERE = os.path.dirname(os.path.abspath(__file__))
KINDS = ("saw_44100", "saw_48000", "pulse_44100", "pulse_48000")


def measured(doc):
    with open(doc.path("measured.json")) as f:
        return json.load(f)


def preset_section(doc):
    with open(os.path.join(HERE, "presets.txt")) as f:
        paths = [line.rstrip("\n") for line in f if line.strip()]
    groups = {}
    for i, path in enumerate(paths):
        group = path.split("/")[0] if "/" in path else ""
        name = path.split("/")[-1].strip()
        figure = ('<figure>%s<figcaption>%s</figcaption></figure>'
                  % (doc.image(os.path.join("presets", "%02d.png" % i), name), html.escape(name)))
        groups.setdefault(group, []).append(figure)
    parts = []
    for group, figures in groups.items():
        title = "Menu &rsaquo; %s" % html.escape(group) if group else "Menu (main level)"
        parts.append('<h4>%s</h4><div class="sheet">%s</div>' % (title, "".join(figures)))
    return "\n".join(parts)


def pitch_table(doc, rows):
    return doc.table(["Pitch", "note", "Hz", "table band"],
                     [["%d V" % r["volts"], r["note"], "%.2f" % r["hz"], str(r["band"])] for r in rows])


def measured_table(doc, rows):
    return doc.table(["Pitch", "frequency", "band", "Digital Saw 44.1 kHz", "Digital Saw 48 kHz",
                      "50% Pulse 44.1 kHz", "50% Pulse 48 kHz"],
                     [["%d V" % r["volts"], "%.1f Hz" % r["hz"], str(r["band"])] + ["%.1f dB" % r[k] for k in KINDS]
                      for r in rows])


def section(doc):
    rows = measured(doc)["rows"]
    with open(doc.path(os.path.join("presets", "01.txt"))) as f:
        saw_text = f.read().strip()
    return f"""
{doc.image("panel.png", "The Tarn Contour4 panel with its default curve")}
<p>An audio oscillator. Its cycle is a curve through 25 nodes that you shape on the panel. From the
curve the module builds ten progressively smoother wave tables and plays the one that suits the
pitch, so that high notes stay clean.</p>
<h3>Pins</h3>
{doc.pins()}
<h3>Pitch and frequency</h3>
<p>One volt per octave: 5 V is A4 = 440 Hz, 4 V an octave lower, 6 V an octave higher; 0 V is 13.75 Hz.
Each pitch plays one of ten table bands: band 0 below 4 V, then a band per half octave up to band 9
from 8 V, each smoother than the one before.</p>
{pitch_table(doc, rows)}
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
<p>The panel is {doc.module.panel_size[0]} &times; {doc.module.panel_size[1]} pixels: the curve's 25
nodes on a grid from &minus;5 V (bottom) to +5 V (top), with a &ldquo;Menu&rdquo; button at the top
left.</p>
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
{preset_section(doc)}
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
<h3>Measured sound</h3>
<p>How clean is the oscillator? Tarn Contour4 playing the Digital Saw and the 50% Pulse presets at
1 V to 9 V, at 44.1 and 48 kHz, two seconds each, rendered by the module itself and analysed with a
Kaiser window (&beta; = 20). The figure is the level of the strongest component that is not a
harmonic of the played note (an alias of a harmonic above half the sample rate, folded back),
relative to the fundamental. Lower is cleaner.</p>
{measured_table(doc, rows)}
{doc.image("measured_sound.png", "Alias level against pitch")}
{doc.image("spectrogram.png", "Spectrogram of the Digital Saw at 5 V")}
"""


def linux(doc):
    return f"""
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
{doc.image(os.path.join(os.path.dirname(HERE), "docs", "panel_linux.png"),
           "The panel: on Windows, in jalv, and its drawn menu", 804)}
"""


def readme(doc):
    lines = ["| Pitch | Hz | band | Digital Saw 44.1 kHz | Digital Saw 48 kHz | 50% Pulse 44.1 kHz | 50% Pulse 48 kHz |",
             "|---|---|---|---|---|---|---|"]
    for r in measured(doc)["rows"]:
        lines.append("| %d V | %.1f | %d | %s |" % (r["volts"], r["hz"], r["band"],
                                                   " | ".join("%.1f dB" % r[k] for k in KINDS)))
    return {"measured-sound table": "\n".join(lines)}
