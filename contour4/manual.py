"""Tarn Contour4's parts of the manuals and install notes (scripts/manual.py assembles them), from
the pictures and measurements its pictures.sh made: the panel, every preset, the pitch bands, the
measured sound, and how to play it as a plug-in."""
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
{doc.figure("panel.png", "The Tarn Contour4 panel with its default curve (three times its size)")}
<p>An audio oscillator. Its cycle is a curve through 25 nodes that you shape on the panel. From the
curve the module builds ten progressively smoother wave tables and plays the one that suits the
pitch, so that high notes stay clean.</p>
{doc.pins_heading()}
{doc.pins()}
{on_insert(doc)}
<h3>Pitch and frequency</h3>
<p>One volt per octave: 5 V is A4 = 440 Hz, 4 V an octave lower, 6 V an octave higher; 0 V is 13.75 Hz.
Each pitch plays one of ten table bands: band 0 below 4 V, then a band per half octave up to band 9
from 8 V, each smoother than the one before.</p>
{pitch_table(doc, rows)}
<h3>Sync and Level</h3>
<p><b>Sync</b>: whenever the Sync signal rises through zero (the previous sample below 0 V, the new
one at 0 V or above), the cycle starts again from its first node. A Sync input held at one level
never restarts anything{"" if doc.modular else "; as a plug-in parameter, Sync restarts the cycle when a host or an automation moves it from below 0 V to 0 V or above"}.</p>
{doc.modular_only("Patch another oscillator's output into Sync for hard sync: Contour4 then restarts at every rising zero crossing of that oscillator and takes its pitch, with its own shape.", cv_form=True)}
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
{"" if doc.modular else preset_names_note(doc)}
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
heights (y) shape the sound; the nodes are played evenly spaced, in order.{"" if doc.modular else " In the plug-ins the text is the saved state of the session: the panel writes it, and a session or a preset brings it back."} This is the Digital Saw
preset:</p>
<pre>{html.escape(saw_text)}</pre>
{doc.modular_only("Type or paste a shape text like this one into the &ldquo;shape&rdquo; pin to try it, or patch a text from another module into it; a plug-in host has no text field for it.")}
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
{doc.figure("measured_sound.png", "The strongest alias against pitch, for the Digital Saw and the 50% Pulse at 44.1 and 48 kHz")}
{doc.figure("spectrogram.png", "Spectrogram of the Digital Saw at 5 V (440 Hz), 44.1 kHz")}
"""


def on_insert(doc):
    """What the module sounds with nothing patched (the plug-ins' manuals say it for each format)."""
    if not doc.modular:
        return ""
    pitch, level = doc.module.pin("Pitch").default_value, doc.module.pin("Level")
    hz = 440.0 * 2.0 ** (pitch - 5.0)
    return f"""<p><b>On insert, with nothing patched</b>, it sounds: its inputs stand at their defaults
(Pitch {pitch:g} V, Level {level.default_value:g} V), so it plays a {hz:g} Hz tone of its default
curve, the rising line, at once. To keep it silent, patch or set Level to {level.gate:g} V or less.</p>"""


def preset_names_note(doc):
    kinds = "LV2 presets and VST3 programs" if doc.package == "linux" else "VST3 programs"
    return f"""<p>As {kinds} the shapes keep their group in their names
(&ldquo;Pulse 50%&rdquo;, not &ldquo;50%&rdquo;), and &ldquo;Random&rdquo;, which draws new heights
each time from the panel's menu, is one fixed random curve as a preset or program,
&ldquo;Random (fixed curve)&rdquo;, the same each time it is chosen.</p>"""


def plugins(doc):
    linux = doc.package == "linux"
    forms = "LV2, CLAP, VST3 and the JACK program" if linux else "CLAP and VST3"
    cv = """
<h3>Playing it from CV, in a modular LV2 host</h3>
<p>The CV form, &ldquo;Tarn Contour4 CV&rdquo; (<code>lv2-cv/</code>), has Pitch, Sync and Level as
CV inputs (1.0 = 10 V) besides its MIDI input. Patch a pitch CV into Pitch (0.5 = 5 V = 440 Hz, one
volt per octave) and an envelope or a constant into Level; unpatched, they read 0 V, which is silent.
Notes still play it: each of Pitch and Level follows whichever changed last, its note or its CV, so
a patch that sends no notes sounds as the 32-bit module does with the same voltages.</p>
<p>On insert, before any note, the CV form is silent (Level reads 0 V).</p>""" if linux else ""
    return f"""
<h3>Playing it from notes, in a DAW</h3>
<p>Tarn Contour4 is an instrument: put it on a MIDI (instrument) track and play. The last held note
sets Pitch (note 69 = A4 = 5 V = 440 Hz, one volt per octave; pitch bend &plusmn;2 semitones); a
held note sets Level to 8 V and releasing the last note sets it to 0 V, which silences it. Pitch,
Sync and Level are also parameters with the module's ranges and defaults; each of Pitch and Level
follows whichever changed last, the notes or the parameter.</p>
<p><b>On insert, before any note</b>, it sounds: at its defaults (Pitch 5 V, Level 8 V) it plays a
440 Hz tone in {forms}{" (which starts on its first program, &ldquo;Sine&rdquo;)" if linux else ""},
as the 32-bit module does with nothing patched. The first note and its release set Level, so from
then on it is silent between notes. To keep it silent until the first note, set Level to 0 V.</p>
<p>The panel is the plug-in's window: drag nodes, and click the strip along its top for the menu of
presets and edits{" (drawn by the window itself: work it with the mouse, or with the arrow keys, Enter and Escape)" if linux else " (Windows' own popup menu)"}.
A drag or a menu command changes the shape, which the session saves; a preset or a session the host
loads shows on the panel. The 27 shapes of the menu are also {"LV2 presets and " if linux else ""}VST3
programs; DPF's CLAP format has no presets.</p>
{doc.figure(os.path.join(os.path.dirname(HERE), "docs", "panel_linux.png"),
            "The panel as the 32-bit module shows it under Wine, as the LV2 plug-in shows it in jalv, and its drawn menu", 804) if linux else ""}
{cv}"""


def install(doc):
    text = """Tarn Contour4 is an instrument: play it from a MIDI track. The last held note sets Pitch
(note 69 = 5 V = 440 Hz, pitch bend +-2 semitones); a held note sets Level to 8 V and releasing
the last one silences it. Before any note it plays a 440 Hz tone at its defaults (Pitch 5 V,
Level 8 V); set Level to 0 V to keep it silent until the first note. Its window is the panel:
drag the nodes, click the top strip for the menu of presets and edits. The shape is saved with
your session; the 27 shapes of the menu are its VST3 programs"""
    if doc.package == "linux":
        text += """ and LV2 presets (DPF's CLAP
format offers none; the JACK program starts on the first, "Sine"). In the CV form (lv2-cv/)
Pitch, Sync and Level are CV inputs, 0 V unpatched, so it is silent until a note or a Level CV."""
    else:
        text += " (DPF's CLAP format offers none)."
    return text + "\n"


# Its part of the README's notes on playing the plug-ins (markdown).
README_PLUGIN_NOTES = """\
- **Tarn Contour4** is an instrument. The last held MIDI note sets Pitch (1 V per octave, note 69 =
  5 V = 440 Hz, pitch bend ±2 semitones); a held note sets Level to its default 8 V, and releasing
  the last one sets it to 0 V, where the module's own level gate silences it. Pitch, Sync and Level
  are parameters with the module's ranges and defaults (Pitch 0…10 V at 5 V, Sync −10…10 V at 0 V,
  Level 0…10 V at 8 V) in LV2, CLAP, VST3 and the JACK program, and CV inputs in the CV form. **How
  notes and inputs combine:** each of Pitch and Level follows whichever changed last, its notes or
  its parameter (or CV input). So a DAW plays the notes at their pitch, and a modular host that
  patches CV and sends no notes gets exactly the DLL's sound. A note and the start of playback are
  pin changes, where the module decides between sounding and silence; a parameter or a CV input is
  a stream it reads at the start of each block (Sync at every frame), as the DLL does.
- **With no note yet**, Contour4 at its defaults sounds its 5 V tone (440 Hz at 8 V) in LV2, CLAP,
  VST3 and the JACK program (there on its first program, "Sine"), as the DLL does with nothing
  patched; set Level to 0 V to keep it silent until the first note. The CV form reads its CV
  inputs, 0 V where nothing is patched, so it is silent until a note.
- A VST3 host delivers pitch bend on hidden parameters, one a channel, which default to and read
  as the centre (no bend); Ardour sends each that value before the first note. A host that starts
  them at 0 (a full bend down) instead gets no bend from it: a 0 before a channel's first other
  value is taken as where its parameter starts. Every other value bends at once, so a host need not
  send a start value, and a note plays at its pitch until a real bend arrives. Only a full bend down
  sent before any other value on its channel cannot be told from such a start, and is lost.
- The shape text is the plug-in's saved state: a session stores and restores it, and a stored text
  that is not a valid shape gets the module's own answer to it (the lenient parser; silence where
  the table would not be finite). The 27 shapes of the panel's menu are LV2 presets and VST3
  programs with the menu's names (DPF's CLAP format has no presets; the JACK program starts on the
  first, "Sine"). A preset or program changes only the shape: Pitch, Sync and Level stay where they
  are (the LV2 presets DPF writes set every input too; the build takes those values out). A program
  a host chooses on its audio thread (a MIDI program change in the JACK program or a DAW) is built
  on a thread of the plug-in's own; no format loads a program, sets a state or builds a table on an
  audio thread.
- **The panel** is the window of every format: the same panel code as in the DLL, drawn with Cairo
  (DGL's Cairo backend), at the same size, with the same colours, grid, nodes and curve (pixel for
  pixel outside the " Menu " button, whose text comes in another font). Drag nodes with the mouse;
  click the top strip for the menu, which the window draws itself (X11 lends no native one): work
  it with the mouse, or with the arrow keys, Enter and Escape. A drag or a command sets the shape
  text, the state the host saves; a state or a program the host sets shows on the panel.

  ![The panel: the DLL's under Wine, the LV2 plug-in's in jalv.gtk3, and the drawn menu](docs/panel_linux.png)
"""


def readme(doc):
    parts = {"plug-in notes": README_PLUGIN_NOTES.rstrip("\n")}
    if doc.pics is None:
        return parts
    lines = ["### Tarn Contour4", "", "The Digital Saw preset at 5 V:", "",
             "![Spectrogram of the Digital Saw at 5 V](docs/spectrogram.png)", "",
             "How clean it is: the strongest component that is not a harmonic of the played note (an alias),",
             "relative to the fundamental, for the Digital Saw and the 50% Pulse presets, and the table band",
             "each pitch plays. Measured by `contour4/measure_alias.py` (numpy) from renders of the real DLL.", "",
             "| Pitch | Hz | band | Digital Saw 44.1 kHz | Digital Saw 48 kHz | 50% Pulse 44.1 kHz | 50% Pulse 48 kHz |",
             "|---|---|---|---|---|---|---|"]
    for r in measured(doc)["rows"]:
        lines.append("| %d V | %.1f | %d | %s |" % (r["volts"], r["hz"], r["band"],
                                                   " | ".join("%.1f dB" % r[k] for k in KINDS)))
    lines += ["", "![Alias level against pitch](docs/measured_sound.png)"]
    parts["pictures"] = "\n".join(lines)
    return parts
