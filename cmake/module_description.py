#!/usr/bin/env python3
"""Reads a module's description (<module>/description.txt), the one place its identity and pins are
declared, and writes what the build makes of it.

The format: `key = value` lines in sections, `[module]` first, then one `[pin NAME]` per pin in
index order (a pin's index is its number in the host's pin table and in saved patches: never
reorder them). Blank lines and lines starting with # are skipped. A value is the rest of the
line, trimmed; a key appears once per section, except `about` and `edge-text`. Numbers are decimal
(volts), or hexadecimal where said. A text in double quotes is taken as it is between them (edge
spaces, an empty text); it holds no double quote.

[module]
  name        the module's name, as the host lists it
  id          its identifier, the host's key for it
  library     the library's file name without ".dll" (also the build's target)
  frame       the frame's interface version: 2230 or 2120. A new module takes 2230 unless a host
              it must load in knows 2120 only; the two differ only where frame/module_base.h says
              (2230 leaves GUI-only pins out of the signal side's table, for a panel's pins)
  magic       the signal record's magic number, hexadecimal: 32 bits of the module's own, which
              hosts tell its record by, so draw a new one (python3 -c "import secrets;
              print(hex(secrets.randbits(32)))"), never copy one, and keep it once published
  flags       what getModuleProperties writes as flags; without it they are left unwritten
  about       a line of the module's own about text, after its name, the project's credit lines
              (PROJECT_CREDITS below) and an empty line; repeat for more lines (nothing after
              "=": an empty line). Without it the text is the name and the credit lines
  about-whole instead of about: a line of an about text that words its credits itself, the whole
              text; repeat for more lines
  summary     what the module is, in one line: the README's list of modules, the manual
  uri         the plug-ins' URI; the modular LV2 form, a plug-in of its own, is URI:cv, named
              "NAME CV"
  clap-id     the CLAP id, in reverse-domain form
  plugin-id   four characters: the plug-ins' unique id
  core        the signal core's class and header (`tarn::Class in folder/header.h`; the core as
              frame/core_module.h serves it): the library's signal object is CoreModule<core>,
              and the plug-ins are plugins/described_plugin.h's, made from this description
  signal      instead of core (or beside it, for the library): a signal object of the module's own
  plugin-text what the plug-ins say the module is; without it the summary
  parameters  the plug-ins' parameters, every audio and choice input's symbol once, in the order
              hosts keep them by; without it the pins' order
  lv2-category, vst3-categories, clap-features  how the plug-ins of a core present themselves
              (clap-features space separated); without them a utility, "Fx", "audio-effect"
  panel       the panel's class, header and size: `tarn::Class in folder/header.h, 256x100`
  scratch     bytes of a buffer handed to the host at open (HOST_SCRATCH_BUFFER)
  shared-generator  a word: the choices and panel menu items whose names hold it draw from the C
              library's generator, which every instance on a thread shares (so two instances
              need not agree on them)

[pin NAME]    NAME as the host shows it
  direction   in or out
  type        audio (samples in signal units, 1.0 = 10 V), choice (one of a list) or text
  symbol      the pin's name in code and in the plug-ins (see below)
  default     as the host's pin table gives it: volts for audio, a choice's value; none without
  unit        V (volts), for audio pins
  range       the lowest and highest value a front-end with knobs offers, in the unit
  choices     for choice pins: the host's list, "name=value,name=value,..."
  flags       the host's pin flags, hexadecimal; 0 without
  state       yes: plug-ins save the pin as their state (text pins), not as a parameter
  gate        audio inputs: at or below this many volts the module is silent and may sleep
  every-frame yes: the module reads the audio input at every frame, not once a block (so checks
              that hand it to a plug-in's parameter change the parameter at its own frames)
  doc         what the pin does, for the manual

  A text input's grammar, all optional, for a host's checks (tarn-host validate --describe):
  nodes       how many nodes a full text has; without it the checks send texts of any bytes
  node        one node's form, its two numbers written x and y: (x,y)
  number-range  LOW HIGH: the ordinary numbers of a node, drawn with up to two decimals
  exponents   the letters that begin a number's exponent: eE
  odd-numbers number texts the module's reader must survive, each in double quotes, space separated
  written-decimals  the panel writes every number as an optional "-", digits, "." and this many
              digits (0: no point), and exactly `nodes` nodes
  steady      a text, in double quotes, with which two instances must sound alike
  first, second  a text the host hands, then the one it replaces it with, in double quotes
  edge-text   a text that overflows, underflows or says nothing, in double quotes; repeat for
              more; the last is the one the checks drag a panel with

Names in the plug-ins: a pin is a parameter (or a port) named NAME with the symbol SYMBOL. An
audio input that a plug-in makes both a parameter and a CV port (the modular LV2 form of a core's
plug-in) names the port "NAME CV" with the symbol "SYMBOL_cv"; where the input is a CV port
alone, the port keeps NAME and SYMBOL. Symbols are lower case letters, digits and "_", begin with
a letter, do not begin with "lv2" (DPF's own ports) and do not end in "_cv"; no two names,
symbols or CV forms in a module are equal. So a name or a symbol always means one thing,
whichever form a host lists (tests/plugins/check_lv2_names.py checks the installed bundles).

Usage:
  module_description.py generate DESCRIPTION FOLDER VERSION OUTDIR
      OUTDIR/FOLDER/description.h      the description as C++ constants (common/module_description.h)
      OUTDIR/FOLDER/FOLDER_entry.cpp   the library's two exports
      OUTDIR/FOLDER/description.cmake  what tarn_add_module reads
      OUTDIR/FOLDER/plugin/DistrhoPluginInfo.h  with a core: what DPF builds its plug-in as
      Each is rewritten only when it changes. A malformed description exits 1 with FILE:LINE.
  module_description.py choices DESCRIPTION PIN     the choice names of a pin, one a line
  module_description.py distinct FOLDER...       fails where two modules share a name, id,
      library, magic, uri, clap-id or plugin-id, naming both folders and the key
  module_description.py every-frame DESCRIPTION     the inputs read at every frame, one a line
  module_description.py uri DESCRIPTION [cv]        the plug-ins' URI, or the modular LV2 form's
No two modules the build lists share a name, id, library, magic, uri, clap-id or plugin-id: the
configure stops, naming both folders and the key.
Scripts import it: read_description(path) gives a Module with its pins.
"""
import math
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

MODULE_KEYS = {"name", "id", "library", "frame", "magic", "flags", "about", "about-whole", "summary", "uri",
               "clap-id", "plugin-id", "signal", "core", "panel", "scratch", "shared-generator",
               "plugin-text", "parameters", "lv2-category", "vst3-categories", "clap-features"}
MODULE_REQUIRED = ["name", "id", "library", "frame", "magic", "summary", "uri", "clap-id",
                   "plugin-id"]
# What the plug-ins of a module with a core say of it, where its description does not.
PLUGIN_DEFAULTS = {"lv2-category": "lv2:UtilityPlugin", "vst3-categories": "Fx", "clap-features": "audio-effect"}
NODE_KEYS = ["node", "number-range", "exponents", "odd-numbers", "written-decimals"]
TEXT_KEYS = ["steady", "first", "second", "edge-text"]
GRAMMAR_KEYS = ["nodes"] + NODE_KEYS + TEXT_KEYS
PIN_KEYS = {"direction", "type", "symbol", "default", "unit", "range", "choices", "flags", "state",
            "gate", "every-frame", "doc"} | set(GRAMMAR_KEYS)
REPEATED = {"about", "about-whole", "edge-text"}
# Who made every module and under which licence: the about text's lines after the module's name.
PROJECT_CREDITS = ["from the Tarn modules project", "by the Tarn module makers", "MIT licence"]
# What tells one module from another, to hosts, plug-in hosts and saved patches: no two modules
# may share one.
IDENTITY_KEYS = ["name", "id", "library", "magic", "uri", "clap-id", "plugin-id"]
QUOTED = re.compile(r'^"[^"]*"$')
QUOTED_LIST = re.compile(r'^"[^"]*"([ \t]+"[^"]*")*$')
PIN_REQUIRED = ["direction", "type", "symbol"]
FRAMES = (2230, 2120)
DECIMAL = re.compile(r"^[-+]?(\d+\.?\d*|\.\d+)([eE][-+]?\d+)?$")
SYMBOL = re.compile(r"^[a-z][a-z0-9_]*$")
CLASS_IN_HEADER = re.compile(r"^([A-Za-z_][\w:]*) in ([\w./]+\.h)$")


class DescriptionError(Exception):
    pass


class Field:
    """A value and the line it was read from."""

    def __init__(self, value, line):
        self.value = value
        self.line = line


class Section:
    def __init__(self, path, title, line):
        self.path = path
        self.title = title
        self.line = line
        self.fields = {}
        self.repeated = {}

    def fail(self, message, line=None):
        raise DescriptionError("%s:%d: %s" % (self.path, line or self.line, message))

    def has(self, key):
        return key in self.fields

    def field(self, key):
        if key not in self.fields:
            self.fail("[%s] has no %s" % (self.title, key))
        return self.fields[key]

    def text(self, key):
        return self.field(key).value

    def optional(self, key, default):
        return self.fields[key].value if key in self.fields else default

    def check(self, key, ok, what):
        f = self.field(key)
        if not ok(f.value):
            self.fail("%s must be %s, not \"%s\"" % (key, what, f.value), f.line)
        return f.value

    def number(self, key, pattern, convert, what):
        return convert(self.check(key, lambda v: re.match(pattern, v) is not None, what))


def decimal(section, key, value, line):
    if not DECIMAL.match(value) or not math.isfinite(float(value)):
        section.fail("%s must be a decimal number, not \"%s\"" % (key, value), line)
    return float(value)


class Pin:
    def __init__(self, section, index):
        s = section
        for key in PIN_REQUIRED:
            s.field(key)
        self.index = index
        self.line = s.line
        self.name = s.title[len("pin "):].strip()
        if not self.name:
            s.fail("a pin needs a name: [pin NAME]")
        self.direction = s.check("direction", lambda v: v in ("in", "out"), "in or out")
        self.type = s.check("type", lambda v: v in ("audio", "choice", "text"), "audio, choice or text")
        self.symbol_line = s.field("symbol").line
        self.symbol = s.check("symbol", lambda v: SYMBOL.match(v) and not v.startswith("lv2")
                              and not v.endswith("_cv"),
                              "lower case letters, digits and _, from a letter, not lv2... or ..._cv")
        self.doc = s.optional("doc", "")
        self.unit = s.check("unit", lambda v: v == "V" and self.type == "audio",
                            "V, on an audio pin") if s.has("unit") else ""
        self.state = s.check("state", lambda v: v in ("yes", "no"), "yes or no") == "yes" if s.has("state") else False
        self.flags = s.number("flags", r"^0[xX][0-9a-fA-F]+$", lambda v: int(v, 16),
                              "hexadecimal (0x...)") if s.has("flags") else 0
        self.choices = []
        if self.type == "choice":
            self.choice_list = s.field("choices").value
            self.choices = self.read_choices(s)
        elif s.has("choices"):
            s.fail("only a choice pin has choices", s.field("choices").line)
        self.default = s.optional("default", None)
        self.default_value = 0.0
        if self.default is not None:
            f = s.field("default")
            if self.type == "audio":
                self.default_value = decimal(s, "default", f.value, f.line)
            elif self.type == "choice":
                values = {str(v) for _, v in self.choices}
                if f.value not in values:
                    s.fail("default must be one of the choices' values, not \"%s\"" % f.value, f.line)
                self.default_value = float(f.value)
        self.range = None
        if s.has("range"):
            f = s.field("range")
            parts = f.value.split()
            if self.type != "audio" or len(parts) != 2:
                s.fail("range must be two numbers, lowest and highest, on an audio pin", f.line)
            low, high = (decimal(s, "range", p, f.line) for p in parts)
            if low > high:
                s.fail("range goes from its lowest to its highest value", f.line)
            self.range = (low, high)
        elif self.type == "choice":
            values = [v for _, v in self.choices]
            self.range = (float(min(values)), float(max(values)))
        self.gate = None
        if s.has("gate"):
            f = s.field("gate")
            if self.type != "audio" or self.direction != "in":
                s.fail("only an audio input has a gate", f.line)
            self.gate = decimal(s, "gate", f.value, f.line)
        self.cv = self.type == "audio" and self.direction == "in"
        self.every_frame = False
        if s.has("every-frame"):
            if not self.cv:
                s.fail("only an audio input is read at every frame", s.field("every-frame").line)
            self.every_frame = s.check("every-frame", lambda v: v in ("yes", "no"), "yes or no") == "yes"
        self.grammar = self.check_grammar(s)

    def check_grammar(self, s):
        """Whether the pin has a grammar, which tarn-host's validator reads; checked here as there."""
        given = [k for k in GRAMMAR_KEYS if s.has(k)]
        if not given:
            return False
        if self.type != "text" or self.direction != "in":
            s.fail("only a text input has a grammar (%s)" % given[0], s.field(given[0]).line)
        if s.has("nodes"):
            s.number("nodes", r"^\d+$", int, "a whole number")
            if int(s.text("nodes")) < 1:
                s.fail("nodes must be 1 or more", s.field("nodes").line)
            s.check("node", lambda v: re.match(r"^[^xy]*x[^xy]*y[^xy]*$", v), "a node's form with x, then y, as (x,y)")
            f = s.field("number-range")
            ends = f.value.split()
            if len(ends) != 2 or decimal(s, "number-range", ends[0], f.line) >= decimal(s, "number-range", ends[1], f.line):
                s.fail("number-range must be two numbers, lowest and highest", f.line)
            if s.has("exponents"):
                s.check("exponents", lambda v: v.isascii() and v.isalpha(), "letters")
            if s.has("odd-numbers"):
                s.check("odd-numbers", QUOTED_LIST.match, "texts in double quotes")
            if s.has("written-decimals"):
                s.check("written-decimals", lambda v: re.match(r"^\d$", v), "a digit")
        else:
            for key in NODE_KEYS:
                if s.has(key):
                    s.fail("%s describes nodes: it needs nodes" % key, s.field(key).line)
        for key in ("steady", "first", "second"):
            if s.has(key):
                s.check(key, QUOTED.match, "a text in double quotes")
        for f in s.repeated.get("edge-text", []):
            if not QUOTED.match(f.value):
                s.fail("edge-text must be a text in double quotes, not \"%s\"" % f.value, f.line)
        return True

    @staticmethod
    def read_choices(s):
        f = s.field("choices")
        choices = []
        for item in f.value.split(","):
            name, eq, value = item.rpartition("=")
            if not eq or not name or not re.match(r"^[-+]?\d+$", value) or not -32768 <= int(value) <= 32767:
                s.fail("choices must be name=value items (value a whole number), not \"%s\"" % item, f.line)
            choices.append((name, int(value)))
        for what, items in (("name", [n for n, _ in choices]), ("value", [v for _, v in choices])):
            if len(set(items)) != len(items):
                s.fail("two choices have the same %s" % what, f.line)
        return choices

    @property
    def cv_name(self):
        return self.name + " CV" if self.cv else None

    @property
    def cv_symbol(self):
        return self.symbol + "_cv" if self.cv else None

    @property
    def kind(self):
        if self.type == "audio":
            return "output" if self.direction == "out" else "input"
        return self.type


class Module:
    def __init__(self, path, module, pins):
        s = module
        self.path = path
        for key in MODULE_REQUIRED:
            s.field(key)
        self.name = s.check("name", lambda v: v and not set(v) & set("|;"), "a name without | or ;")
        self.id = s.check("id", lambda v: v and not set(v) & set("|;"), "an id without | or ;")
        self.library = s.check("library", lambda v: re.match(r"^[A-Za-z0-9_]+$", v), "letters, digits and _")
        self.frame = s.number("frame", r"^\d+$", int, "a number")
        if self.frame not in FRAMES:
            s.fail("frame must be one of %s, not %d" % (", ".join(map(str, FRAMES)), self.frame),
                   s.field("frame").line)
        self.magic = s.number("magic", r"^0[xX][0-9a-fA-F]{1,8}$", lambda v: int(v, 16), "hexadecimal (0x...)")
        self.flags = s.number("flags", r"^0[xX][0-9a-fA-F]+$", lambda v: int(v, 16),
                              "hexadecimal (0x...)") if s.has("flags") else None
        self.about = self.read_about(s)
        self.summary = s.text("summary")
        self.uri = s.text("uri")
        self.cv_uri = self.uri + ":cv"
        self.clap_id = s.text("clap-id")
        self.plugin_id = s.check("plugin-id", lambda v: len(v) == 4 and v.isascii(), "four characters")
        if not s.has("signal") and not s.has("core"):
            s.fail("[module] needs a signal object or a core: signal = ... or core = ...")
        self.core = self.class_in_header(s, "core") if s.has("core") else None
        self.signal = self.class_in_header(s, "signal") if s.has("signal") else None
        capitalised = self.summary[:1].upper() + self.summary[1:]
        self.plugin_text = s.text("plugin-text") if s.has("plugin-text") else capitalised + "."
        self.plugin_kinds = {key: s.optional(key, value) for key, value in PLUGIN_DEFAULTS.items()}
        self.panel = None
        self.panel_size = (0, 0)
        if s.has("panel"):
            f = s.field("panel")
            m = re.match(r"^(.*), (\d+)x(\d+)$", f.value)
            if not m:
                s.fail("panel must be \"tarn::Class in folder/header.h, WIDTHxHEIGHT\"", f.line)
            self.panel = self.class_in_header(s, "panel", m.group(1))
            self.panel_size = (int(m.group(2)), int(m.group(3)))
        self.scratch = s.number("scratch", r"^\d+$", int, "a number of bytes") if s.has("scratch") else 0
        if s.has("shared-generator"):
            s.check("shared-generator", lambda v: v, "a word of the choices' names")
        self.pins = [Pin(p, i) for i, p in enumerate(pins)]
        if not self.pins:
            s.fail("a module needs at least one pin: [pin NAME]")
        described = [p for p in self.pins if p.grammar]
        if len(described) > 1:
            s.fail("only one text input has a grammar: [pin %s] is a second" % described[1].name, described[1].line)
        self.check_names_differ()
        self.parameters = self.read_parameters(s)
        self.identity_fields = {key: s.field(key) for key in IDENTITY_KEYS}

    def identity(self, key):
        """An identity key's value as two modules must not share it: a library's file name in any
        case, the magic as a number."""
        if key == "library":
            return self.library.lower()
        if key == "magic":
            return self.magic
        return {"name": self.name, "id": self.id, "uri": self.uri, "clap-id": self.clap_id,
                "plugin-id": self.plugin_id}[key]

    def read_about(self, s):
        own = [f.value for f in s.repeated.get("about", [])]
        whole = s.repeated.get("about-whole", [])
        if whole and own:
            s.fail("about and about-whole exclude each other: about-whole is the whole text", whole[0].line)
        if whole:
            return "\n".join(f.value for f in whole)
        return "\n".join([self.name] + PROJECT_CREDITS + ([""] + own if own else []))

    def read_parameters(self, s):
        """The pins the plug-ins make parameters, in the order hosts keep them by."""
        inputs = [p for p in self.pins if p.direction == "in" and p.type in ("audio", "choice")]
        if not s.has("parameters"):
            return inputs
        f = s.field("parameters")
        by_symbol = {p.symbol: p for p in inputs}
        symbols = f.value.split()
        if sorted(symbols) != sorted(by_symbol):
            s.fail("parameters must name each audio and choice input's symbol once: %s"
                   % " ".join(p.symbol for p in inputs), f.line)
        return [by_symbol[symbol] for symbol in symbols]

    @staticmethod
    def class_in_header(s, key, value=None):
        f = s.field(key)
        m = CLASS_IN_HEADER.match(value if value is not None else f.value)
        if not m:
            s.fail("%s must be \"tarn::Class in folder/header.h\"" % key, f.line)
        if not os.path.isfile(os.path.join(ROOT, m.group(2))):
            s.fail("%s names %s, which does not exist" % (key, m.group(2)), f.line)
        return m.group(1), m.group(2)

    def check_names_differ(self):
        seen = {}
        for pin in self.pins:
            for word, line in ((pin.name, pin.line), (pin.symbol, pin.symbol_line),
                               (pin.cv_name, pin.line), (pin.cv_symbol, pin.symbol_line)):
                if word is None:
                    continue
                if word in seen and seen[word] is not pin:
                    raise DescriptionError("%s:%d: \"%s\" already names pin \"%s\""
                                           % (self.path, line, word, seen[word].name))
                seen[word] = pin

    def pin(self, name):
        for p in self.pins:
            if p.name == name:
                return p
        raise DescriptionError("%s: no pin \"%s\"" % (self.path, name))


def read_description(path):
    """The module a description describes; DescriptionError names the file and line of a fault."""
    sections = []
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    for number, raw in enumerate(lines, 1):
        line = raw.strip()
        if not line or line.startswith("#"):
            continue
        if any(ord(c) < 32 for c in line if c != "\t"):
            raise DescriptionError("%s:%d: a control character" % (path, number))
        if line.startswith("["):
            if not line.endswith("]"):
                raise DescriptionError("%s:%d: a section is [module] or [pin NAME]" % (path, number))
            title = line[1:-1].strip()
            if (title == "module") != (not sections) or (title != "module" and not title.startswith("pin ")):
                raise DescriptionError("%s:%d: [module] comes first, then [pin NAME] sections" % (path, number))
            section = Section(path, title, number)
            sections.append(section)
            continue
        key, eq, value = line.partition("=")
        key, value = key.strip(), value.strip()
        if not eq or not sections:
            raise DescriptionError("%s:%d: expected \"key = value\" in a section" % (path, number))
        section = sections[-1]
        keys = MODULE_KEYS if section.title == "module" else PIN_KEYS
        if key not in keys:
            raise DescriptionError("%s:%d: [%s] has no key \"%s\" (it has: %s)"
                                   % (path, number, section.title, key, ", ".join(sorted(keys))))
        if key in REPEATED:
            section.repeated.setdefault(key, []).append(Field(value, number))
        elif key in section.fields:
            raise DescriptionError("%s:%d: %s given twice in [%s]" % (path, number, key, section.title))
        section.fields[key] = Field(value, number)
    if not sections:
        raise DescriptionError("%s:1: no [module] section" % path)
    return Module(path, sections[0], sections[1:])


# --- C++ ---

def c_string(text):
    if text is None:
        return "nullptr"
    return '"%s"' % text.replace("\\", "\\\\").replace('"', '\\"').replace("\n", "\\n")


def c_float(value):
    return "static_cast<float>(%r)" % float(value)


def macro(folder, what):
    return "TARN_%s_%s" % (folder.upper(), what)


def identifier(symbol):
    return "PIN_" + symbol.upper()


def pin_cpp(pin):
    low, high = pin.range or (0.0, 0.0)
    choices = "k%sChoices" % pin.symbol.title().replace("_", "") if pin.choices else "nullptr"
    gate = "signalFromWrittenVolts(%r)" % pin.gate if pin.gate is not None else "0.0f"
    fields = [
        c_string(pin.name), c_string(pin.symbol), "PinType::" + pin.type.title(),
        "true" if pin.direction == "out" else "false", c_string(pin.default), c_float(pin.default_value),
        c_string(pin.unit), c_float(low), c_float(high),
        c_string(pin.choice_list if pin.choices else None), choices, str(len(pin.choices)),
        "0x%X" % pin.flags, "true" if pin.state else "false", "true" if pin.gate is not None else "false",
        gate, c_string(pin.cv_name), c_string(pin.cv_symbol), "true" if pin.every_frame else "false",
    ]
    return "    {%s}," % ", ".join(fields)


def header(module, folder, version, source):
    major, minor, patch = version
    out = ["// %s as %s describes it. Written by cmake/module_description.py when the build is"
           % (module.name, source),
           "// configured: edit the description, not this file.",
           "#pragma once", "",
           "// The identity as literal text, for the names the plug-in formats paste together when they",
           "// are compiled.",
           "#define %s %s" % (macro(folder, "NAME"), c_string(module.name)),
           "#define %s %s" % (macro(folder, "CV_NAME"), c_string(module.name + " CV")),
           "#define %s %s" % (macro(folder, "URI"), c_string(module.uri)),
           "#define %s %s" % (macro(folder, "CV_URI"), c_string(module.cv_uri)),
           "#define %s %s" % (macro(folder, "CLAP_ID"), c_string(module.clap_id)), "",
           '#include "common/module_description.h"',
           '#include "common/pin_values.h"', "",
           "namespace tarn {", "namespace %s {" % folder, "",
           "enum Pin : int32_t {"]
    out += ["    %s = %d," % (identifier(p.symbol), p.index) for p in module.pins]
    out += ["    PIN_COUNT = %d" % len(module.pins), "};", ""]
    for p in module.pins:
        if p.choices:
            items = ", ".join("{%s, %d}" % (c_string(n), v) for n, v in p.choices)
            out += ["inline constexpr PinChoice k%sChoices[] = {%s};"
                    % (p.symbol.title().replace("_", ""), items), ""]
    out += ["// name, symbol, type, output, default, its value, unit, range, choices (list, items,",
            "// count), host flags, state, gated, gate, CV name and symbol",
            "inline constexpr PinDescription kPins[PIN_COUNT] = {"]
    out += [pin_cpp(p) for p in module.pins]
    parameters = ", ".join(identifier(p.symbol) for p in module.parameters) or "PIN_COUNT"
    out += ["};", "",
            "// The plug-ins' parameters by index: the pins they are.",
            "inline constexpr int32_t kParameterPins[] = {%s};" % parameters, "",
            "inline constexpr ModuleDescription kDescription = {",
            "    %s, %s, %s," % (c_string(module.name), c_string(module.id), c_string(module.library)),
            "    %d, 0x%08Xu, %s, 0x%X," % (module.frame, module.magic,
                                          "false" if module.flags is None else "true", module.flags or 0),
            "    %s," % c_string(module.about),
            "    %s," % c_string(module.summary),
            "    %s, %s, %s," % (c_string(module.uri), c_string(module.clap_id), c_string(module.plugin_id)),
            "    %s, %d, %d, %d," % (c_string("%d.%d.%d" % version), major, minor, patch),
            "    %d, %d, %d," % (module.panel_size + (module.scratch,)),
            "    kPins, PIN_COUNT,",
            "    %s," % c_string(module.plugin_text),
            "    kParameterPins, %d," % len(module.parameters),
            "};", "",
            "}  // namespace %s" % folder, "}  // namespace tarn", ""]
    return "\n".join(out)


def entry(module, source):
    out = ["// The two exports of the %s library. Written by cmake/module_description.py from"
           % module.name, "// %s when the build is configured." % source,
           '#include "frame/module_exports.h"']
    if module.signal:
        out.append('#include "%s"' % module.signal[1])
        signal = module.signal[0]
    else:
        out += ['#include "frame/core_module.h"', '#include "%s"' % module.core[1]]
        signal = "tarn::CoreModule<%s>" % module.core[0]
    panel = "tarn::NoPanel"
    if module.panel:
        out.append('#include "%s"' % module.panel[1])
        panel = module.panel[0]
    out += ["", "TARN_MODULE_EXPORTS(%s, %s)" % (signal, panel), ""]
    return "\n".join(out)


def plugin_info(module, folder, source):
    """DPF's DistrhoPluginInfo.h for the plug-in DPF builds of the module's core
    (plugins/described_plugin.cpp)."""
    inputs = [p for p in module.pins if p.cv]
    outputs = [p for p in module.pins if p.type == "audio" and p.direction == "out"]
    features = ", ".join(c_string(f) for f in module.plugin_kinds["clap-features"].split())
    return "\n".join([
        "// What DPF builds %s as: the plug-in of its core. Written by" % module.name,
        "// cmake/module_description.py from %s when the build is configured." % source,
        "#pragma once", "",
        '#include "%s/description.h"' % folder, "",
        "#define TARN_PLUGIN_CORE %s" % module.core[0],
        "#define TARN_PLUGIN_CORE_HEADER %s" % c_string(module.core[1]),
        "// What the format entries of ours (plugins/*_entry.cpp) read of the module.",
        "#define TARN_PLUGIN_DESCRIPTION ::tarn::%s::kDescription" % folder, "",
        "// The modular LV2 form (TARN_PLUGIN_CV) has the audio inputs as CV inputs.",
        "#ifdef TARN_PLUGIN_CV",
        "#define DISTRHO_PLUGIN_NAME %s" % macro(folder, "CV_NAME"),
        "#define DISTRHO_PLUGIN_URI %s" % macro(folder, "CV_URI"),
        "#define DISTRHO_PLUGIN_NUM_INPUTS %d" % len(inputs),
        "#else",
        "#define DISTRHO_PLUGIN_NAME %s" % macro(folder, "NAME"),
        "#define DISTRHO_PLUGIN_URI %s" % macro(folder, "URI"),
        "#define DISTRHO_PLUGIN_NUM_INPUTS 0",
        "#endif",
        "#define DISTRHO_PLUGIN_CLAP_ID %s" % macro(folder, "CLAP_ID"),
        "#define DISTRHO_PLUGIN_NUM_OUTPUTS %d" % len(outputs),
        "#define DISTRHO_PLUGIN_IS_RT_SAFE 1",
        "#define DISTRHO_PLUGIN_HAS_UI 0",
        "#define DISTRHO_PLUGIN_LV2_CATEGORY %s" % c_string(module.plugin_kinds["lv2-category"]),
        "#define DISTRHO_PLUGIN_VST3_CATEGORIES %s" % c_string(module.plugin_kinds["vst3-categories"]),
        "#define DISTRHO_PLUGIN_CLAP_FEATURES %s" % features, ""])


def cmake(module):
    flags = "unwritten" if module.flags is None else str(module.flags)
    panel = "%dx%d" % module.panel_size if module.panel else "none"
    record = "|".join(["name=" + module.name, "id=" + module.id, "magic=0x%08X" % module.magic,
                       "version=%d" % module.frame, "flags=" + flags, "panel=" + panel])
    return "\n".join(["# What tarn_add_module reads of %s (written by cmake/module_description.py)." % module.name,
                      "set(TARN_MODULE_LIBRARY %s)" % module.library,
                      "set(TARN_MODULE_FRAME %d)" % module.frame,
                      "set(TARN_MODULE_URI %s)" % module.uri,
                      "set(TARN_MODULE_CV_URI %s)" % module.cv_uri,
                      "set(TARN_MODULE_HAS_CORE %s)" % ("ON" if module.core else "OFF"),
                      "set(TARN_MODULE_CORE %s)" % (module.core[0] if module.core else ""),
                      "set(TARN_MODULE_CORE_HEADER %s)" % (module.core[1] if module.core else ""),
                      'set(TARN_MODULE_RECORD "%s")' % record.replace('"', '\\"'), ""])


def write_if_changed(path, text):
    try:
        with open(path, encoding="utf-8") as f:
            if f.read() == text:
                return
    except FileNotFoundError:
        pass
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)


def generate(path, folder, version_text, outdir):
    if not re.match(r"^[a-z][a-z0-9_]*$", folder):
        raise DescriptionError("%s: the folder \"%s\" must be a C++ name in lower case" % (path, folder))
    m = re.match(r"^(\d+)\.(\d+)\.(\d+)$", version_text)
    if not m:
        raise DescriptionError("the project's version must be MAJOR.MINOR.PATCH, not \"%s\"" % version_text)
    module = read_description(path)
    source = os.path.relpath(path, ROOT)
    target = os.path.join(outdir, folder)
    os.makedirs(target, exist_ok=True)
    write_if_changed(os.path.join(target, "description.h"),
                     header(module, folder, tuple(int(g) for g in m.groups()), source))
    write_if_changed(os.path.join(target, folder + "_entry.cpp"), entry(module, source))
    write_if_changed(os.path.join(target, "description.cmake"), cmake(module))
    if module.core:
        os.makedirs(os.path.join(target, "plugin"), exist_ok=True)
        write_if_changed(os.path.join(target, "plugin", "DistrhoPluginInfo.h"), plugin_info(module, folder, source))


def check_distinct(folders):
    """Fails where two modules share an identity (a description copied and not made its own)."""
    seen = {}
    for folder in folders:
        path = os.path.join(folder, "description.txt")
        module = read_description(os.path.join(ROOT, path))
        for key in IDENTITY_KEYS:
            value = module.identity(key)
            if (key, value) in seen:
                field = module.identity_fields[key]
                other, other_path, other_line = seen[(key, value)]
                raise DescriptionError("%s:%d: %s and %s share the %s \"%s\" (%s:%d); each module needs its own"
                                       % (path, field.line, other, folder, key, field.value, other_path, other_line))
            seen[(key, value)] = (folder, path, module.identity_fields[key].line)


def main(argv):
    try:
        if len(argv) == 5 and argv[0] == "generate":
            generate(*argv[1:])
        elif len(argv) == 3 and argv[0] == "choices":
            for name, _ in read_description(argv[1]).pin(argv[2]).choices:
                print(name)
        elif len(argv) >= 2 and argv[0] == "distinct":
            check_distinct(argv[1:])
        elif len(argv) == 2 and argv[0] == "every-frame":
            for pin in read_description(argv[1]).pins:
                if pin.every_frame:
                    print(pin.name)
        elif len(argv) in (2, 3) and argv[0] == "uri" and argv[2:] in ([], ["cv"]):
            module = read_description(argv[1])
            print(module.cv_uri if argv[2:] else module.uri)
        else:
            sys.stderr.write(__doc__[__doc__.index("Usage:"):])
            return 2
    except (DescriptionError, OSError) as e:
        sys.stderr.write("%s\n" % e)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
