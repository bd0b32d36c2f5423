#!/usr/bin/env python3
"""The plug-ins in Ardour 7 (Debian's), headless: its own tools with the dummy backend, a home of
their own, and only the bundles under test on LV2_PATH and VST3_PATH.

  ardour_check.py scan PLUGIN_DIR WORK EXPECTED...
      Ardour's VST3 scanner and its plug-in list: every EXPECTED line ("LV2 Tarn LFO, Oscillator Plugin, ...", as
      ardour_session.lua lists) is listed.
  ardour_check.py instrument PLUGIN_DIR WORK TYPE NAME --preset LABEL --parameters "Level=0"
      A MIDI track playing a region through the plug-in (LV2 or VST3) on a mono master at unity,
      exported by ardour7-export: bit for bit the DLL's render of the same pitches and shape;
      saved, reopened and exported again: the same samples; every preset Ardour lists loaded in
      turn within a time limit, each leaving the plug-in's state at the preset's shape, and the
      last one's shape playing the notes with the parameters as they were; and with
      nothing changed and no note, the DLL's tone at the defaults.
  ardour_check.py generator PLUGIN_DIR WORK TYPE NAME --parameters "Wave=1;Speed=5" --dll-sets "Wave=Saw;Speed=5"
      The plug-in on an audio bus: the DLL's render with the same settings.

In every check no tool says a word about the plug-ins, and none warns of anything else.

A plug-in runs from the moment Ardour starts its engine, so a sound that starts before the
first note (the defaults' tone, a generator's wave) is the DLL's from some frame on: the check
finds that frame. Exits 77 when Ardour or the DLL is missing."""
import argparse
import base64
import os
import re
import shutil
import struct
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
TOOLS = ["ardour7-lua", "ardour7-export", "ardour7-new_session", "/usr/lib/ardour7/ardour-vst3-scanner"]
ARDOUR_MIDNAMS = "/usr/share/ardour7/patchfiles/"  # the MIDI device names Ardour comes with
SECONDS_PER_TOOL = 120    # what one run of an Ardour tool may take before it is counted as hung
SECONDS_PER_EXPORT = 60   # what one export of a few seconds may take before it is counted as hung
ATTEMPTS = 4              # Ardour's tools, with no plug-in at all, now and then hang (ardour7-export
                          # at its start, its butler waiting) or abort (in free(), or on a port
                          # that "already exists") on a busy machine: such a run is made again
SECONDS_PER_PRESET = 10   # what loading one preset may take: a hang is a failure, not a wait
RATE = 44100
FRAMES_PER_BEAT = RATE // 2  # Ardour's default tempo, 120 beats a minute
SUPERCLOCKS_PER_FRAME = 282240000 // RATE  # Ardour 7's unit of time in a session file
DLL_BLOCK = 525  # divides half a beat: the DLL's blocks start where the notes and the bend change
BEND = 12000  # the region's pitch bend, 1.86 semitones up: a real bend, after Ardour's start value
SEARCH_SECONDS = 60  # how long Ardour may run a plug-in before its export starts


class Failure(Exception):
    pass


def skip(reason):
    print("SKIP: " + reason)
    sys.exit(77)


class Ardour:
    """Ardour's tools, with a home of their own and the bundles under test."""

    def __init__(self, plugins, work):
        self.plugins = plugins
        self.work = work
        self.said = []  # every line a tool wrote, to look for words about the plug-ins
        home = os.path.join(work, "home")
        specs = os.path.join(work, "lv2-specs")
        os.makedirs(home)
        os.makedirs(specs)
        # The LV2 core bundle names the plug-in classes ("Instrument Plugin").
        os.symlink("/usr/lib/lv2/core.lv2", os.path.join(specs, "core.lv2"))
        self.env = dict(os.environ, HOME=home, LV2_PATH=os.path.join(plugins, "lv2") + ":" + specs,
                        VST3_PATH=os.path.join(plugins, "vst3"), LD_LIBRARY_PATH="/usr/lib/ardour7")

    # again: what makes a run's starting point afresh before it is made again (a session that a
    # crashed run may have left half changed).
    def run(self, args, seconds=SECONDS_PER_TOOL, again=None, **env):
        tool = os.path.basename(args[0])
        for attempt in range(1, ATTEMPTS + 1):
            try:
                done = subprocess.run(args, env=dict(self.env, **env), stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                      timeout=seconds, text=True, errors="replace")
            except subprocess.TimeoutExpired:
                fault = f"{tool} did not finish within {seconds} s"
            else:
                lines = done.stdout.replace("\r", "\n").splitlines()
                if done.returncode == 0:
                    self.said += lines
                    return [line[2:] for line in lines if line.startswith("> ")]
                print("\n".join(lines[-20:]))
                if done.returncode > 0:
                    raise Failure(f"{tool} exited {done.returncode}")
                fault = f"{tool} ended by signal {-done.returncode}"
            if attempt == ATTEMPTS:
                raise Failure(fault)
            print(f"{fault}; running it again")
            if again is not None:
                again()

    # The VST3 bundles scanned into the home's cache, which Ardour's tools take only while it is
    # newer than the bundles.
    def scan(self):
        vst3 = os.path.join(self.plugins, "vst3")
        bundles = sorted(os.path.join(vst3, b) for b in os.listdir(vst3))
        self.run([TOOLS[3], "-f", "-q"] + bundles)

    def new_session(self, name):
        folder = os.path.join(self.work, name)
        shutil.rmtree(folder, ignore_errors=True)
        self.run(["ardour7-new_session", "-m", "1", "-s", str(RATE), folder, name])
        return folder

    # A new session with the plug-in on a track or bus; a build that Ardour ends by a crash is
    # made again in a session made afresh.
    def built_session(self, name, **env):
        folder = self.new_session(name)
        self.lua(folder, "build", again=lambda: self.new_session(name), **env)
        return folder

    def lua(self, folder, command, again=None, **env):
        return self.run(["ardour7-lua", os.path.join(HERE, "ardour_session.lua")], again=again, TARN_COMMAND=command,
                        TARN_SESSION=folder, **env)

    def export(self, folder, out):
        if os.path.exists(out):
            os.remove(out)
        self.run(["ardour7-export", "-b", "float", "-o", out, folder, os.path.basename(folder)], SECONDS_PER_EXPORT)
        return wav_floats(out)

    def words_about_plugins(self):
        """Lines that name the plug-ins, and every warning or error but those Ardour says of its
        own setup here (no synth to audition MIDI with, a note of its Lua interpreter's, its own
        MIDNAM files, which it parses on a thread of its own at every start and on a busy machine
        now and then reports whole ones as empty documents)."""
        pattern = re.compile(r"tarn|dpf|" + re.escape(self.plugins) + r"|warning|error|ignored|invalid|fail", re.IGNORECASE)
        own = re.compile(r"midi-audition|Midi Audition|direct dispatch of call slot|" + re.escape(ARDOUR_MIDNAMS))
        return [line for line in self.said if pattern.search(line) and not own.search(line) and not line.startswith("> ")]


def wav_floats(path):
    data = open(path, "rb").read()
    at = 12
    while at + 8 <= len(data):
        chunk, size = data[at:at + 4], struct.unpack("<I", data[at + 4:at + 8])[0]
        if chunk == b"data":
            return data[at + 8:at + 8 + size]
        at += 8 + size + (size & 1)
    raise Failure(f"{path} holds no samples")


def floats(samples):
    return struct.pack(f"<{len(samples)}f", *samples)


# ---- the DLL ---------------------------------------------------------------------------------

def dll_host(name):
    got = subprocess.run(["bash", "-c", 'source "$0/cmake/wine-env.sh"; default_windows_build; '
                          'printf "%s\\n%s\\n" "$TARN_DIST" "$TARN_HOST"', ROOT],
                         stdout=subprocess.PIPE, text=True, check=True).stdout.splitlines()
    dll = os.path.join(got[0], name + ".dll")
    if not os.path.exists(dll):
        skip(f"no {dll} (./run build): no DLL to compare with")
    return got[1].split(), dll


def dll_render(module, work, tag, args):
    host, dll = dll_host(module)
    out = os.path.join(work, f"dll-{tag}.f32")
    subprocess.run(host + ["render", dll, "--out", out] + args, check=True, stdout=subprocess.DEVNULL, timeout=300)
    return open(out, "rb").read()


def same(name, ardour, dll):
    if ardour == dll:
        print(f"ok {name}: {len(ardour) // 4} frames, the DLL's samples bit for bit")
        return
    first = next(i for i in range(0, min(len(ardour), len(dll)), 4) if ardour[i:i + 4] != dll[i:i + 4]) // 4 \
        if min(len(ardour), len(dll)) else 0
    raise Failure(f"{name}: {len(ardour) // 4} frames from Ardour, {len(dll) // 4} from the DLL, first differing frame {first}")


def found_in(name, ardour, dll):
    """Ardour's samples are the DLL's from some frame on; that frame."""
    probe = ardour[:256]
    at = dll.find(probe)
    while at >= 0:
        if at % 4 == 0 and dll[at:at + len(ardour)] == ardour:
            print(f"ok {name}: {len(ardour) // 4} frames, the DLL's bit for bit from its frame {at // 4} on")
            return
        at = dll.find(probe, at + 1)
    raise Failure(f"{name}: no stretch of {SEARCH_SECONDS} s of the DLL's render holds Ardour's {len(ardour) // 4} frames")


# ---- a session's file ------------------------------------------------------------------------

def varlen(n):
    """A MIDI file's variable-length number."""
    out = [n & 0x7F]
    while n > 0x7F:
        n >>= 7
        out.insert(0, 0x80 | (n & 0x7F))
    return bytes(out)


def write_smf(path, notes, bends, beats, ticks_per_beat=1920):
    """A one-track standard MIDI file of so many beats: notes as (note, from beat, to beat), pitch
    bends as (beat, value)."""
    events = [(int(beat * ticks_per_beat), 2, bytes([0xE0, value & 0x7F, value >> 7])) for beat, value in bends]
    for note, start, end in notes:
        events += [(start * ticks_per_beat, 1, bytes([0x90, note, 100])), (end * ticks_per_beat, 0, bytes([0x80, note, 0]))]
    track, last = b"", 0
    for tick, _, message in sorted(events):
        track += varlen(tick - last) + message
        last = tick
    # The track ends where the region does.
    track += varlen(beats * ticks_per_beat - last) + b"\xff\x2f\x00"
    open(path, "wb").write(b"MThd" + struct.pack(">IHHH", 6, 0, 1, ticks_per_beat) + b"MTrk" +
                          struct.pack(">I", len(track)) + track)


def edit_session(folder, frames, notes=None, bends=()):
    """The session's range from frame 0, and a MIDI region of the notes and bends on the track
    "notes"."""
    name = os.path.basename(folder)
    path = os.path.join(folder, name + ".ardour")
    text = open(path).read()
    end = frames * SUPERCLOCKS_PER_FRAME
    text = text.replace("<Locations/>", f'<Locations><Location id="90004" name="session" start="a0" end="a{end}" '
                        'flags="IsSessionRange" locked="0" timestamp="0" cue="0"/></Locations>', 1)
    if notes:
        write_smf(os.path.join(folder, "interchange", name, "midifiles", "notes.mid"), notes, bends, frames // FRAMES_PER_BEAT)
        region = ('<Region name="notes" length="a{0}@a0" start="a0" sync-position="a0" muted="0" opaque="1" locked="0" '
                  'whole-file="{1}" type="midi" id="{2}" source-0="90001" master-source-0="90001"/>')
        text = text.replace("<Sources/>", '<Sources><Source name="notes.mid" type="midi" flags="" id="90001" '
                            'captured-for="" origin=""/></Sources>', 1)
        text = text.replace("<Regions/>", "<Regions>" + region.format(end, 1, 90002) + "</Regions>", 1)
        playlist = re.search(r'<Playlist ([^>]*name="notes" type="midi"[^>]*)/>', text)
        if playlist is None:
            raise Failure("the session has no playlist of the track \"notes\"")
        text = text.replace(playlist.group(0), f"<Playlist {playlist.group(1)}>" + region.format(end, 0, 90003) +
                            "</Playlist>")
    open(path, "w").write(text)


def ttl_shapes(ttl, subject=""):
    """The shape texts of LV2 states in Turtle, after a subject if given (with long quotes or not)."""
    found = re.findall(subject + r'\s*state:state \[\s*<urn:distrho:shape>\s*(?:"""(.*?)"""|"(.*?)")' if subject else
                       r'<urn:distrho:shape>\s*(?:"""(.*?)"""|"(.*?)")', ttl, re.S)
    return [long or short for long, short in found]


def plugin_shapes(folder, snapshot):
    """The shape texts of the plug-in's state in a snapshot: VST3 keeps it in a chunk, LV2 in a
    state folder of the session."""
    text = open(os.path.join(folder, snapshot + ".ardour")).read()
    shapes = []
    for chunk in re.findall(r"<chunk>([^<]*)</chunk>", text):
        state = base64.b64decode(chunk)
        shapes += [m.decode() for m in re.findall(rb"\x00shape\x00([^\x00]*)", state)]
    for lv2 in re.findall(r'<lv2 [^>]*state-dir="([^"]*)"', text):
        for root, _, files in os.walk(os.path.join(folder, "plugins")):
            if os.path.basename(root) == lv2 and "state.ttl" in files:
                shapes += ttl_shapes(open(os.path.join(root, "state.ttl")).read())
    return shapes


def presets_of(bundle):
    """A DPF LV2 bundle's presets: label and shape text, in the bundle's order."""
    manifest = open(os.path.join(bundle, "manifest.ttl")).read()
    labels = dict(re.findall(r"<([^>]*#preset\d+)>\s*a pset:Preset ;.*?rdfs:label \"(.*?)\"", manifest, re.S))
    presets = open(os.path.join(bundle, "presets.ttl")).read()
    return [(labels[uri], ttl_shapes(presets, re.escape(f"<{uri}>"))[0]) for uri in sorted(labels)]


# ---- the checks ------------------------------------------------------------------------------

def check_scan(a, expected):
    a.scan()
    listed = a.lua(a.new_session("list"), "list")
    print("\n".join(listed))
    missing = [line for line in expected if line not in [p[len("plugin "):] for p in listed]]
    if missing:
        raise Failure("Ardour does not list: " + "; ".join(missing))
    print(f"ok Ardour lists the {len(expected)} plug-ins as expected")


def check_instrument(a, o):
    module = o.name.replace(" ", "")
    bundle = os.path.join(o.plugins, "lv2", module + ".lv2")
    presets = presets_of(bundle)
    shapes = dict(presets)
    if o.type == "VST3":
        a.scan()
    common = dict(TARN_PLUGIN=o.name, TARN_TYPE=o.type, TARN_ROLE="instrument")

    # A beat of silence, note 69 for a beat, then 81, bent up half way, released a beat before the
    # end; Pitch and Level through the notes alone. (A note on the region's first frame reaches
    # Ardour's LV2 plug-ins 16 frames early.)
    folder = a.built_session("notes", TARN_PRESET=o.preset, TARN_PARAMETERS=o.parameters, **common)
    beat = FRAMES_PER_BEAT
    edit_session(folder, 4 * beat, notes=[(69, 1, 2), (81, 2, 3)], bends=[(2.5, BEND)])
    first = a.export(folder, os.path.join(a.work, "notes.wav"))
    if first[:4 * beat] != bytes(4 * beat):
        raise Failure(f"{o.type}: sound before the first note, with Level at 0 V")
    # The DLL from the first note on: its inputs as the notes and the bend set them (1 V an octave,
    # the bend 2 semitones a side, in signal units).
    bent = (5 + (12 + 2 * (BEND - 8192) / 8192) / 12) / 10
    half = beat // 2
    streams = {"pitch": [0.5] * beat + [0.6] * half + [bent] * (beat + half), "level": [0.8] * 2 * beat + [0.0] * beat}
    for stream, values in streams.items():
        open(os.path.join(a.work, stream + ".f32"), "wb").write(floats(values))
    def dll_notes(tag, shape):
        return dll_render(module, a.work, tag, ["--shape", shape, "--frames", str(3 * beat), "--block", str(DLL_BLOCK),
                          "--input", "Pitch=" + os.path.join(a.work, "pitch.f32"),
                          "--input", "Level=" + os.path.join(a.work, "level.f32")])
    same(f'{o.type} notes 69 and 81, bent, on "{o.preset}", from the first', first[4 * beat:], dll_notes("notes", shapes[o.preset]))

    a.lua(folder, "resave", **common)
    if a.export(folder, os.path.join(a.work, "reopened.wav")) != first:
        raise Failure(f"{o.type}: the session saved and reopened plays other samples")
    print(f"ok {o.type}: the session saved and reopened plays the same samples")

    listed = a.lua(folder, "presets", TARN_PRESETS=";".join(label for label, _ in presets),
                   TARN_SECONDS=str(SECONDS_PER_PRESET), **common)
    previous = None
    for index, (label, shape) in enumerate(presets, 1):
        held = plugin_shapes(folder, f"preset-{index:02d}")
        if held != [shape]:
            raise Failure(f'after the preset "{label}" the plug-in holds {held}, not the preset\'s shape')
        if shape == previous:
            raise Failure(f'the preset "{label}" changes nothing')
        previous = shape
    print(f"ok {o.type}: Ardour lists and loads the {len(listed)} presets, each within {SECONDS_PER_PRESET} s, "
          "each leaving the plug-in at its shape")
    # The session as the last preset left it: its shape sounds, and Level is still 0 V (a preset
    # changes only the shape), so nothing sounds before the first note.
    after = a.export(folder, os.path.join(a.work, "presets.wav"))
    if after[:4 * beat] != bytes(4 * beat):
        raise Failure(f'{o.type}: sound before the first note after the presets: a preset set Level')
    if after == first:
        raise Failure(f'{o.type}: the presets changed nothing of the sound')
    same(f'{o.type} the notes after the preset "{label}"', after[4 * beat:], dll_notes("presets", shape))

    # Nothing set and no note: the defaults' tone.
    folder = a.built_session("defaults", TARN_PRESET="", TARN_PARAMETERS="", **common)
    edit_session(folder, beat)
    found_in(f"{o.type} with no note, the tone at the defaults", a.export(folder, os.path.join(a.work, "defaults.wav")),
             dll_render(module, a.work, "defaults", ["--frames", str(SEARCH_SECONDS * RATE)]))


def check_generator(a, o):
    module = o.name.replace(" ", "")
    if o.type == "VST3":
        a.scan()
    folder = a.built_session("wave", TARN_PLUGIN=o.name, TARN_TYPE=o.type, TARN_ROLE="generator", TARN_PRESET="",
                             TARN_PARAMETERS=o.parameters)
    edit_session(folder, RATE)
    sets = [arg for setting in o.dll_sets.split(";") for arg in ("--set", setting)]
    found_in(f"{o.type} on a bus, {o.dll_sets}", a.export(folder, os.path.join(a.work, "wave.wav")),
             dll_render(module, a.work, "wave", sets + ["--frames", str(SEARCH_SECONDS * RATE)]))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("check", choices=["scan", "instrument", "generator"])
    parser.add_argument("plugins")
    parser.add_argument("work")
    parser.add_argument("rest", nargs="*")
    parser.add_argument("--preset", default="")
    parser.add_argument("--parameters", default="")
    parser.add_argument("--dll-sets", default="")
    o = parser.parse_args()
    for tool in TOOLS:
        if shutil.which(tool) is None:
            skip(f"{tool} is not installed (./run setup installs Debian's ardour)")
    shutil.rmtree(o.work, ignore_errors=True)
    a = Ardour(os.path.abspath(o.plugins), os.path.abspath(o.work))
    try:
        if o.check == "scan":
            check_scan(a, o.rest)
        else:
            o.type, o.name = o.rest
            (check_instrument if o.check == "instrument" else check_generator)(a, o)
        words = a.words_about_plugins()
        if words:
            raise Failure("Ardour's tools said:\n  " + "\n  ".join(words))
        print("ok no Ardour tool said a word about the plug-ins or warned of anything")
    except Failure as failure:
        print(f"FAIL {failure}")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
