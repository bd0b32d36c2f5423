#!/usr/bin/env python3
"""Writes MANUAL.html, the host user's manual: one self-contained page whose pictures are embedded
and whose measured figures come from the files that pictures.sh made from the real DLLs. It is
assembled from the modules of the build's list (MODULES_TXT, "NAME folder" a line): each module's
description (<folder>/description.txt: its summary and pin table) and its manual section
(<folder>/manual.py). A module's manual.py has
    section(doc)   the HTML of its section, after its heading
and may have
    linux(doc)     what its plug-ins' users need to know, for the Linux section
    readme(doc)    {NAME: markdown} for the README's parts between
                   "<!-- NAME: ./run docs writes it -->" and "<!-- end of the NAME -->"
where doc is a Doc (below): the module's description, its pictures and the page's helpers.
Usage: manual.py PICTURES_DIR VERSION OUT.html MODULES_TXT
       manual.py --readme README.md MODULES_TXT [PICTURES_DIR]
           rewrites the README's list of modules, and with the pictures each module's parts
       manual.py --check-readme README.md MODULES_TXT
           exits 1 when the README's list of modules is not the one the modules describe"""
import base64
import html
import importlib.util
import os
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
# No bytecode caches in the source tree: the package's inputs are the tree's files.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(ROOT, "cmake"))
from module_description import read_description  # noqa: E402

LV2_PORTS = os.path.join(ROOT, "docs", "lv2_ports.png")
MODULE_LIST = "module list"


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


def number(value):
    return ("%g" % value).replace("-", "&minus;")


def pin_row(pin):
    if pin.type == "choice":
        span = ", ".join(html.escape(name) for name, _ in pin.choices)
        default = next((html.escape(n) for n, v in pin.choices if str(v) == pin.default), "&ndash;")
    elif pin.type == "text":
        span, default = "text", "&ndash;"
    else:
        span = "%s &hellip; %s V" % tuple(map(number, pin.range)) if pin.range else "volts"
        default = number(pin.default_value) + " V" if pin.default is not None else "&ndash;"
    what = html.escape(pin.doc)
    if pin.gate is not None:
        what += "; at %s V or below the module is silent and may sleep" % number(pin.gate)
    return [html.escape(pin.name), pin.kind, span, default, what]


class Module:
    """One module of the build's list: its library's name, folder, description and manual.py."""

    def __init__(self, name, folder):
        self.library = name
        self.folder = folder
        self.description = read_description(os.path.join(ROOT, folder, "description.txt"))
        path = os.path.join(ROOT, folder, "manual.py")
        spec = importlib.util.spec_from_file_location("%s_manual" % folder, path)
        self.manual = importlib.util.module_from_spec(spec)
        spec.loader.exec_module(self.manual)

    def part(self, name, doc, default=None):
        f = getattr(self.manual, name, None)
        return f(doc) if f else default


class Doc:
    """What a module's manual section works with."""

    def __init__(self, module, pics):
        self.module = module.description
        self.library = module.library
        self.pics = pics

    def path(self, name):
        return os.path.join(self.pics, name)

    def image(self, name, alt, width=None):
        return image(self.path(name), alt, width)

    table = staticmethod(table)
    escape = staticmethod(html.escape)

    def pins(self):
        return table(["pin", "kind", "range", "default", "what it does"], [pin_row(p) for p in self.module.pins])


def read_modules(modules_txt):
    with open(modules_txt) as f:
        return [Module(*line.split()) for line in f if line.strip()]


def module_list(modules):
    return "\n".join("- **%s** (`dist/%s.dll`): %s." % (m.description.name, m.library, m.description.summary)
                     for m in modules)


WINDOWS = """
<h2>Installing and playing Tarn in a Windows DAW</h2>
<p>Every module also comes as 64-bit Windows plug-ins (x86-64), a VST3 bundle and a CLAP file, in
<code>tarn-modules-VERSION-windows-x86_64.zip</code> and in an installer,
<code>tarn-modules-VERSION-windows-x86_64-setup.exe</code>. The installer puts the VST3 bundles into
<code>C:\\Program Files\\Common Files\\VST3</code> and the CLAP files into
<code>C:\\Program Files\\Common Files\\CLAP</code>, where DAWs look for them, and registers an
uninstaller (&ldquo;Tarn modules&rdquo; in Settings &rsaquo; Apps); <code>setup.exe /S</code> installs
without asking anything. From the zip, copy each folder in <code>vst3\\</code> and each file in
<code>clap\\</code> into those folders yourself. VST3 is for DAWs such as Cubase, Studio One, Ableton
Live, Bitwig, REAPER and Cakewalk, CLAP for DAWs such as Bitwig, REAPER and FL Studio. They need a
64-bit DAW and nothing else (no runtime to install); the modular host loads the 32-bit libraries
above instead.</p>
<p>Notes, parameters, the saved state and the programs work as in the Linux CLAP and VST3 plug-ins
below, and they play the same samples as the modules. A module's panel is its plug-in's window, in a
child window of the DAW's: the same code paints it with Windows' own drawing, as in the modular
host, and its menu is Windows' own popup menu.</p>
<p>What was checked, and how: under Wine (64-bit) on Linux, by our own CLAP and VST3 test hosts
built for Windows: every render case sample for sample against the modules, notes, parameters, the
saved state restored, the window's pixels and the shapes that drags and menu commands write against
the modular host's panel, a hundred windows opened and closed, and the installer installing,
loading and uninstalling silently. No Windows DAW was run: the plug-ins have not been tried in any
of the DAWs named above.</p>
"""

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


def manual(pics, version, out, modules):
    with open(os.path.join(pics, "build.txt")) as f:
        drawn_by = f.read().strip()
    docs = [(m, Doc(m, pics)) for m in modules]
    names = [m.description.name for m in modules]
    listed = "".join("<li><b>%s</b>: %s.</li>" % (html.escape(m.description.name), html.escape(m.description.summary))
                     for m in modules)
    libraries = ", ".join("<code>%s.dll</code>" % m.library for m in modules)
    sections = "".join("\n<h2>%s</h2>\n%s\n" % (html.escape(m.description.name), m.part("section", d))
                       for m, d in docs)
    linux = "\n".join(m.part("linux", d, "") for m, d in docs)
    body = f"""
<h1>Tarn modules {html.escape(version)}</h1>
<p>Modules for a modular synthesizer host:</p>
<ul>{listed}</ul>

<h2>Installing</h2>
<p>The package holds the modules' libraries: {libraries}. Each is a <b>32-bit Windows module</b>
(PE32, i386): it loads in the 32-bit host, not in a 64-bit program. Copy them into the folder in
which your host looks for plug-in modules (see your host's documentation), then restart the host or
let it scan for new modules; they appear as {", ".join("&ldquo;%s&rdquo;" % html.escape(n) for n in names)}.
They need nothing else: only the system libraries every Windows has. <code>SHA256SUMS</code> lists
the checksum of every file in the package (<code>sha256sum -c SHA256SUMS</code> checks them).</p>
<p>All signals are in volts as the host shows them; inside, 10 V is a signal of 1.0.</p>
{sections}
{WINDOWS}
<h2>Installing and playing Tarn in a Linux host</h2>
<p>Every module also comes as native Linux x86-64 plug-ins in
<code>tarn-modules-VERSION-linux-x86_64.tar.gz</code>: one folder per format, for each module an LV2
bundle, a CLAP plug-in, a VST3 bundle and a JACK program. Copy what your host loads:
<code>lv2/*.lv2</code> into <code>~/.lv2</code> (Ardour, Carla, Qtractor, Zrythm, jalv),
<code>clap/*.clap</code> into <code>~/.clap</code> (Bitwig, REAPER, Zrythm, Carla),
<code>vst3/*.vst3</code> into <code>~/.vst3</code> (Ardour, REAPER, Bitwig, Carla); or run a module's
JACK program ({", ".join("<code>jack/%s</code>" % m.library for m in modules)}) with a JACK server
running. They sound exactly like the Windows modules, sample for sample.</p>
{linux}
<p>On CV and audio ports 1.0 is 10 V.</p>
{image(LV2_PORTS, "The LV2 plug-ins' ports, as lv2info lists them")}

<footer>Licence: MIT (see LICENSE). Pictures and measurements in this manual were drawn by {html.escape(drawn_by)}.</footer>
"""
    with open(out, "w", encoding="utf-8") as f:
        f.write('<!DOCTYPE html>\n<html lang="en"><head><meta charset="utf-8">'
                '<title>Tarn modules %s: manual</title><style>%s</style></head><body>%s</body></html>\n'
                % (html.escape(version), STYLE, body))


def markers(name):
    return "<!-- %s: ./run docs writes it -->" % name, "<!-- end of the %s -->" % name


def readme_part(text, name):
    start, end = markers(name)
    if start not in text or end not in text:
        raise SystemExit("README.md has no \"%s\" ... \"%s\"" % (start, end))
    return text.index(start) + len(start), text.index(end)


def readme(path, modules, pics):
    parts = {MODULE_LIST: module_list(modules)}
    if pics:
        for m in modules:
            parts.update(m.part("readme", Doc(m, pics), {}))
    with open(path, encoding="utf-8") as f:
        text = f.read()
    for name, part in parts.items():
        a, b = readme_part(text, name)
        text = text[:a] + "\n" + part + "\n" + text[b:]
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)


def check_readme(path, modules):
    with open(path, encoding="utf-8") as f:
        text = f.read()
    a, b = readme_part(text, MODULE_LIST)
    if text[a:b].strip("\n") != module_list(modules):
        print("FAIL README.md's list of modules is not the modules' own (./run docs writes it):\n"
              + module_list(modules))
        return 1
    print("README.md lists every module as its description says")
    return 0


def main(argv):
    if argv[0] == "--readme":
        readme(argv[1], read_modules(argv[2]), argv[3] if len(argv) > 3 else None)
        return 0
    if argv[0] == "--check-readme":
        return check_readme(argv[1], read_modules(argv[2]))
    pics, version, out, modules_txt = argv[:4]
    manual(pics, version, out, read_modules(modules_txt))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
