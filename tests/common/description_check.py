#!/usr/bin/env python3
"""The modules' description reader (cmake/module_description.py) on broken descriptions: each is a
real description with one fault put in, and must be refused naming its file and the faulty line.
Two modules that share an identity are refused naming both folders and the key. A sound
description's generated files are written once and left alone when nothing changed (so
a configure run again rebuilds nothing)."""
import os
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
READER = os.path.join(ROOT, "cmake", "module_description.py")
with open(os.path.join(ROOT, "lfo", "description.txt")) as f:
    LFO = f.read().split("\n")


def line_of(text, after=0):
    return next(i for i, line in enumerate(LFO) if i >= after and line.strip() == text)


def replaced(text, new, after=0):
    i = line_of(text, after)
    return LFO[:i] + new + LFO[i + 1:], i + 1


def added(text, new):
    i = line_of(text)
    return LFO[:i + 1] + new + LFO[i + 1:], i + 2


WAVE = line_of("[pin Wave]")
# (what is wrong, the description, its faulty line, words the refusal must hold)
CASES = [
    ("an unknown key",) + added("[pin Speed]", ["colour = red"]) + ("has no key \"colour\"",),
    ("a key given twice",) + added("magic = 0xECCFE810", ["magic = 0x1"]) + ("given twice",),
    ("a missing key",) + (LFO[:line_of("type = audio")] + LFO[line_of("type = audio") + 1:],
                          line_of("[pin Speed]") + 1, "has no type"),
    ("a pin before the module",) + (["[pin X]"] + LFO, 1, "[module] comes first"),
    ("an unknown frame",) + replaced("frame = 2120", ["frame = 2000"]) + ("frame must be one of",),
    ("a default that is no number",) + replaced("default = 0", ["default = five"]) + ("decimal number",),
    ("a default that is no choice",) + replaced("default = 1", ["default = 9"], WAVE) + ("one of the choices",),
    ("a choice without a value",) + replaced(next(l for l in LFO if l.startswith("choices")),
                                             ["choices = Sine,Saw=1"]) + ("name=value",),
    ("a symbol ending in _cv",) + replaced("symbol = wave", ["symbol = wave_cv"]) + ("symbol must be",),
    ("a symbol another pin has",) + replaced("symbol = wave", ["symbol = speed"]) + ("already names pin",),
    ("a name another pin's CV form has",) + replaced("[pin Wave]", ["[pin Speed CV]"]) + ("already names pin",),
    ("a gate on an output",) + added("[pin Output]", ["gate = 0.1"]) + ("only an audio input",),
    ("a text grammar on an audio input",) + added("[pin Speed]", ["nodes = 3"]) + ("only a text input",),
    ("a header that is not there",) + replaced("core = tarn::LfoCore in lfo/signal/lfo_core.h",
                                               ["core = tarn::LfoCore in lfo/nowhere.h"]) + ("does not exist",),
    ("neither a core nor a signal object",) + (replaced("core = tarn::LfoCore in lfo/signal/lfo_core.h", [])[0],
                                                line_of("[module]") + 1, "needs a signal object or a core"),
    ("about beside about-whole",) + added("about = LFO wave oscillator", ["about-whole = Tarn LFO"])
    + ("exclude each other",),
    ("parameters that leave an input out",) + replaced("parameters = wave speed", ["parameters = wave"])
    + ("each audio and choice input",),
]


def generate(path, out):
    return subprocess.run([sys.executable, READER, "generate", path, "lfo", "1.2.3", out],
                          capture_output=True, text=True)
# A copy of the LFO's description made another module's, all but one key: (the copy's changes,
# the key the refusal must name).
COPIES = [
    ({"name": "Tarn Copy", "id": "Tarn Copy"}, "library"),
    ({"name": "Tarn Copy", "id": "Tarn Copy", "library": "TarnCopy", "magic": "0xeccfe810"}, "magic"),
]


def distinct(tmp, changes):
    copy = os.path.join(tmp, "copy")
    os.makedirs(copy, exist_ok=True)
    with open(os.path.join(copy, "description.txt"), "w") as f:
        for line in LFO:
            key = line.split(" = ")[0]
            f.write("%s = %s\n" % (key, changes[key]) if key in changes else line + "\n")
    return subprocess.run([sys.executable, READER, "distinct", "lfo", copy], capture_output=True, text=True)


def main():
    failures = 0
    with tempfile.TemporaryDirectory() as tmp:
        for changes, key in COPIES:
            r = distinct(tmp, changes)
            if r.returncode != 1 or "lfo and %s/copy share the %s" % (tmp, key) not in r.stderr:
                failures += 1
                print("FAIL a copy sharing its %s: exit %d, %r" % (key, r.returncode, r.stderr.strip()))
            else:
                print("ok a copy sharing its %s: %s" % (key, r.stderr.strip()))

        path = os.path.join(tmp, "description.txt")
        for what, lines, line, words in CASES:
            with open(path, "w") as f:
                f.write("\n".join(lines))
            r = generate(path, os.path.join(tmp, "out"))
            where = "%s:%d:" % (path, line)
            if r.returncode != 1 or not r.stderr.startswith(where) or words not in r.stderr:
                failures += 1
                print("FAIL %s: exit %d, %r (wanted %s ... %s)" % (what, r.returncode, r.stderr.strip(), where, words))
            else:
                print("ok %s: %s" % (what, r.stderr.strip()))

        out = os.path.join(tmp, "sound")
        with open(path, "w") as f:
            f.write("\n".join(LFO))
        generate(path, out)
        files = [os.path.join(out, "lfo", name) for name in ("description.h", "lfo_entry.cpp", "description.cmake")]
        for name in files:
            os.utime(name, (1, 1))
        r = generate(path, out)
        if r.returncode != 0 or any(os.stat(name).st_mtime != 1 for name in files):
            failures += 1
            print("FAIL a sound description generated again rewrote its files: %s" % r.stderr)
        else:
            print("ok a sound description generated again leaves its files as they were")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
