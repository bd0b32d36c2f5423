#!/usr/bin/env python3
"""Writes the manuals of the release packages and the parts of the README and the install notes
that come from the modules. Each manual is one self-contained page whose pictures are embedded and
whose figures come from the files that pictures.sh made from the real DLLs; it opens with its own
package's install and requirements (read from the binaries the package holds), then a section per
module. Everything about a module comes from the modules of the build's list (MODULES_TXT, "NAME
folder" a line): its description (<folder>/description.txt: summary and pin table) and its
<folder>/manual.py, which has
    section(doc)   the HTML of its section, after its heading, in every manual
and may have
    plugins(doc)   the HTML of how to play it as a plug-in (DAW and modular LV2 host), for the
                   manuals of the plug-in packages
    install(doc)   plain text for the install note of a plug-in package
    readme(doc)    {NAME: markdown} for the README's parts between
                   "<!-- NAME: ./run docs writes it -->" and "<!-- end of the NAME -->"
                   (doc.pics is None where no pictures were drawn)
where doc is a Doc (below): the module's description, the package, its pictures and helpers.
The plug-in manuals' port lists are read from the built plug-ins in dist/plugins/: LV2 with lv2info,
CLAP and VST3 with the native build's test hosts (build/native/tests/plugins).
Usage: manual.py PICTURES_DIR VERSION OUT_DIR MODULES_TXT
           OUT_DIR/MANUAL-<package>.html for each package (win32, linux, windows)
       manual.py --install PACKAGE TEMPLATE OUT MODULES_TXT
           the install note: TEMPLATE (a title, a line under it) with @MODULES@ (each module's
           install text), @VERSION@, and for linux @GLIBC@ and @GLIBCXX@ (read from the binaries)
       manual.py --readme README.md MODULES_TXT [PICTURES_DIR]
           rewrites the README's list of modules, and with the pictures each module's parts
       manual.py --check-readme README.md MODULES_TXT
           exits 1 when the README's list of modules is not the one the modules describe"""
import base64
import glob
import html
import importlib.util
import os
import re
import subprocess
import sys
import textwrap

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
# No bytecode caches in the source tree: the package's inputs are the tree's files.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(ROOT, "cmake"))
from module_description import read_description  # noqa: E402

DIST = os.path.join(ROOT, "dist")
PLUGINS = os.path.join(DIST, "plugins")
MODULE_LIST = "module list"
PACKAGES = ("win32", "linux", "windows")
LINUX_FORMATS = ("lv2", "lv2-cv", "clap", "vst3", "jack")
NOTE_WIDTH = 96  # the install notes' lines


def version_text(version):
    return open(os.path.join(ROOT, "VERSION")).readline().strip() if version is None else version


def package_name(package, version):
    return "tarn-modules-%s-%s" % (version, {"win32": "win32", "linux": "linux-x86_64",
                                              "windows": "windows-x86_64"}[package])


def image(path, alt, width=None):
    with open(path, "rb") as f:
        data = base64.b64encode(f.read()).decode("ascii")
    size = ' width="%d"' % width if width else ""
    return '<img src="data:image/png;base64,%s" alt="%s"%s>' % (data, html.escape(alt), size)


def figure(path, caption, width=None):
    """A picture with its caption: every picture of a manual has one."""
    return '<figure>%s<figcaption>%s</figcaption></figure>' % (image(path, caption, width), caption)


def table(head, rows):
    out = ["<table><tr>" + "".join("<th>%s</th>" % h for h in head) + "</tr>"]
    for row in rows:
        out.append("<tr>" + "".join("<td>%s</td>" % c for c in row) + "</tr>")
    return "\n".join(out) + "</table>"


def number(value):
    return ("%g" % value).replace("-", "&minus;")


def pin_row(pin, modular):
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
    if pin.type == "text" and not modular:
        what += ('. <span class="tag">Modular host only</span>: typing or pasting a text into it (a'
                 ' plug-in host has no text field; the text is the saved state)')
    return [html.escape(pin.name), pin.kind, span, default, what]


# The test hosts that list a built plug-in's ports and parameters as a CLAP or VST3 host sees them.
TEST_HOSTS = os.path.join(ROOT, "build", "native", "tests", "plugins")


def host_info(host, path):
    return subprocess.run([os.path.join(TEST_HOSTS, host), "info", path], capture_output=True, text=True,
                          check=True).stdout.strip()


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
    """What a module's manual section works with: its description, the package the manual is for
    (win32: the modular host's DLLs; linux and windows: the plug-ins) and its pictures."""

    def __init__(self, module, pics, package):
        self.module = module.description
        self.library = module.library
        self.folder = module.folder
        self.pics = pics
        self.package = package
        self.modular = package == "win32"

    def path(self, name):
        return os.path.join(self.pics, name)

    def image(self, name, alt, width=None):
        return image(self.path(name), alt, width)

    def figure(self, name, caption, width=None):
        path = name if os.path.isabs(name) else self.path(name)
        return figure(path, caption, width)

    table = staticmethod(table)
    escape = staticmethod(html.escape)

    def pins(self):
        return table(["pin", "kind", "range", "default", "what it does"], [pin_row(p, self.modular) for p in self.module.pins])

    def pins_heading(self):
        """The pins are the module's as the modular host shows them; the plug-ins show them as
        their parameters and ports (the manual's port lists)."""
        return "<h3>Pins</h3>" if self.modular else "<h3>Pins, as the modular host shows them</h3>"

    def modular_only(self, text, cv_form=False):
        """A paragraph of what only a modular host can do: as it is in the modular host's manual,
        marked in the plug-ins' (where the LV2 CV form can do it too, cv_form says so)."""
        if self.modular:
            return "<p>%s</p>" % text
        where = "the 32-bit module in a modular host"
        if cv_form and self.package == "linux":
            where += ", or the LV2 CV form (<code>lv2-cv/</code>) in a modular LV2 host"
        return '<p class="modular"><span class="tag">Modular host only</span> (%s): %s</p>' % (where, text)


def read_modules(modules_txt):
    with open(modules_txt) as f:
        return [Module(*line.split()) for line in f if line.strip()]


def module_list(modules):
    return "\n".join("- **%s** (`%s.dll`; plug-ins `%s.lv2`, `%s.clap`, `%s.vst3`, `jack/%s`): %s."
                     % ((m.description.name,) + (m.library,) * 5 + (m.description.summary,)) for m in modules)


# What the binaries of a package need, read from them as a loader would.
def objdump(tool, path, flag):
    return subprocess.run([tool, flag, path], capture_output=True, text=True, check=True).stdout


def needed_versions(paths):
    """The highest glibc and libstdc++ symbol versions the Linux binaries ask for."""
    found = {}
    for path in paths:
        for family, version in re.findall(r"\((GLIBC|GLIBCXX)_([0-9.]+)\)", objdump("objdump", path, "-T")):
            key = tuple(int(p) for p in version.split("."))
            found[family] = max(found.get(family, key), key)
    return {family: ".".join(map(str, v)) for family, v in found.items()}


def needed_libraries(tool, paths, pattern):
    return sorted({name for path in paths for name in re.findall(pattern, objdump(tool, path, "-p"))},
                  key=str.lower)


def linux_binaries():
    found = []
    for form in LINUX_FORMATS:
        for path in glob.glob(os.path.join(PLUGINS, form, "**", "*"), recursive=True):
            if os.path.isfile(path) and (form == "jack" or path.endswith((".so", ".clap"))):
                found.append(path)
    return sorted(found)


def codes(names):
    return ", ".join("<code>%s</code>" % html.escape(n) for n in names)


def quoted(names):
    return ", ".join("&ldquo;%s&rdquo;" % html.escape(n) for n in names)


def win32_install(modules, version):
    dlls = [os.path.join(DIST, "%s.dll" % m.library) for m in modules]
    imports = needed_libraries("i686-w64-mingw32-objdump", dlls, r"DLL Name: (\S+)")
    return f"""
<h2>Installing</h2>
<p>This package, <code>{package_name("win32", version)}.zip</code>, holds the modules' libraries:
{codes(m.library + ".dll" for m in modules)}. Each is a <b>32-bit Windows module</b> (PE32, i386) for
the modular synthesizer host: it loads in that 32-bit host, not in a 64-bit program or a DAW (for
DAWs there are the plug-in packages: &ldquo;The other packages&rdquo;).</p>
<ol>
<li>Copy the <code>.dll</code> files into the folder in which your host looks for plug-in modules (see
your host's documentation).</li>
<li>Restart the host or let it scan for new modules; they appear as {quoted(m.description.name for m in modules)}.</li>
</ol>
<h3>Requirements</h3>
<p>Windows (or Wine) and the 32-bit modular host. Nothing to install besides: the libraries import
only system libraries every Windows has ({codes(imports)}). <code>SHA256SUMS</code> lists the
checksum of every file in the package (<code>sha256sum -c SHA256SUMS</code> checks them).</p>
<p>All signals are in volts as the host shows them; inside, 10 V is a signal of 1.0.</p>
<h3>The other packages</h3>
<p>The same modules, sample for sample, also come as plug-ins:
<code>{package_name("linux", version)}.tar.gz</code> (LV2, CLAP, VST3 and JACK programs for Linux
x86-64) and <code>{package_name("windows", version)}.zip</code> with its installer (CLAP and VST3 for
64-bit Windows DAWs). Each brings a manual of its own.</p>
"""


def linux_install(modules, version):
    binaries = linux_binaries()
    versions = needed_versions(binaries)
    libraries = needed_libraries("objdump", binaries, r"NEEDED\s+(\S+)")
    jack = " ".join("jack/%s" % m.library for m in modules)
    first = modules[0].library
    return f"""
<h2>Installing</h2>
<p>This package, <code>{package_name("linux", version)}.tar.gz</code>, holds native Linux x86-64
plug-ins, one folder per format: for each module an LV2 bundle (<code>lv2/</code>), a CLAP plug-in
(<code>clap/</code>), a VST3 bundle (<code>vst3/</code>) and a JACK program (<code>jack/</code>), and
a second LV2 form for modular LV2 hosts (<code>lv2-cv/</code>). Unpack it and copy what your host
loads:</p>
<pre>tar -xzf {package_name("linux", version)}.tar.gz
cd {package_name("linux", version)}
mkdir -p ~/.lv2 ~/.clap ~/.vst3
cp -r lv2/*.lv2 ~/.lv2/          # Ardour, Carla, Qtractor, Zrythm, jalv
cp clap/*.clap ~/.clap/          # Bitwig, REAPER, Zrythm, Carla, Qtractor
cp -r vst3/*.vst3 ~/.vst3/       # Ardour, REAPER, Bitwig, Carla
cp -r lv2-cv/*.lv2 ~/.lv2/       # only for a modular LV2 host (jalv, a patchbay), not for a DAW</pre>
<p>Then let the host scan for new plug-ins. <code>SHA256SUMS</code> lists the checksum of every file
(<code>sha256sum -c SHA256SUMS</code> checks them).</p>
<h3>Requirements</h3>
<ul>
<li>Linux on x86-64 with glibc {versions.get("GLIBC", "?")} or later and libstdc++ with
<code>GLIBCXX_{versions.get("GLIBCXX", "?")}</code> (GCC 11 or later; Debian 12, Ubuntu 22.04, Fedora 35
and later have both).</li>
<li>The libraries the binaries load: {codes(libraries)}; the windows draw with cairo on X11 (under
Wayland through XWayland).</li>
<li>The JACK programs ({codes(jack.split())}) need a running JACK server: JACK 2
(<code>jackd</code>) or PipeWire's JACK (run them as <code>pw-jack jack/{first}</code> where
PipeWire's libjack is not the system's).</li>
</ul>
<h3>The JACK programs</h3>
<p>Each program is a JACK client named after its module, with an audio output
<code>output</code> and a MIDI input <code>events-in</code> (every program has one; an instrument
plays its notes). Start one, then list the ports and connect a MIDI source (a keyboard, a
sequencer) to its MIDI input and its output to your speakers, with a patchbay
(<code>qjackctl</code>, <code>qpwgraph</code>, Carla) or on the command line:</p>
<pre>jack/{first} &amp;
jack_lsp -t                                  # every port, with its type
jack_connect "system:midi_capture_1" "{html.escape(modules[0].description.name)}:events-in"
jack_connect "{html.escape(modules[0].description.name)}:output" system:playback_1</pre>
<p>A hardware MIDI keyboard shows as <code>system:midi_capture_N</code> with JACK's ALSA MIDI bridge
(<code>jackd -X seq</code>, or <code>a2jmidid</code>, where it is <code>a2j:&hellip;</code>); under
PipeWire it is listed as it is named. The names <code>jack_lsp</code> prints are the ones to use.</p>
<p>A program whose module has a panel opens it as its window, which needs an X display
(<code>DISPLAY</code> set; under Wayland, XWayland). Without one the program says so (DPF's
&ldquo;Failed to create Pugl view&rdquo;, with assertion messages before it) and keeps running
headless, without a window, its ports <code>output</code> and <code>events-in</code> in place.</p>
<p>On CV and audio ports 1.0 is 10 V.</p>
"""


def windows_install(modules, version):
    files = glob.glob(os.path.join(PLUGINS, "windows", "clap", "*.clap"))
    files += glob.glob(os.path.join(PLUGINS, "windows", "vst3", "**", "*.vst3"), recursive=True)
    files = [f for f in files if os.path.isfile(f)]
    imports = needed_libraries("x86_64-w64-mingw32-objdump", files, r"DLL Name: (\S+)")
    name = package_name("windows", version)
    return f"""
<h2>Installing</h2>
<p>This package holds every module as 64-bit Windows plug-ins (x86-64): a VST3 bundle
(<code>vst3\\</code>) and a CLAP file (<code>clap\\</code>), in <code>{name}.zip</code> and in an
installer, <code>{name}-setup.exe</code>.</p>
<ul>
<li><b>With the installer</b>: run it. It puts the VST3 bundles into
<code>C:\\Program Files\\Common Files\\VST3</code> and the CLAP files into
<code>C:\\Program Files\\Common Files\\CLAP</code>, where DAWs look for them, this manual into
<code>C:\\Program Files\\Tarn</code>, and registers an uninstaller (&ldquo;Tarn modules&rdquo; in
Settings &rsaquo; Apps). <code>{name}-setup.exe /S</code> installs without asking anything.</li>
<li><b>From the zip</b>: copy each folder in <code>vst3\\</code> (a whole <code>.vst3</code> bundle)
into <code>C:\\Program Files\\Common Files\\VST3</code> and each file in <code>clap\\</code> into
<code>C:\\Program Files\\Common Files\\CLAP</code> (make the folder if it is not there).</li>
</ul>
<p>Then let the DAW scan for new plug-ins. VST3 is for DAWs such as Cubase, Studio One, Ableton
Live, Bitwig, REAPER and Cakewalk, CLAP for DAWs such as Bitwig, REAPER and FL Studio.</p>
<h3>Requirements</h3>
<p>64-bit Windows and a 64-bit DAW, and nothing else: the plug-ins import only system libraries
({codes(imports)}), so there is no runtime to install. The modular host loads the 32-bit modules
of <code>{package_name("win32", version)}.zip</code> instead.</p>
<p>What was checked, and how: under Wine (64-bit) on Linux, by our own CLAP and VST3 test hosts
built for Windows: every render case sample for sample against the modules, notes, parameters, the
saved state restored, the window's pixels and the shapes that drags and menu commands write against
the modular host's panel, a hundred windows opened and closed, and the installer installing,
loading and uninstalling silently. No Windows DAW was run: the plug-ins have not been tried in any
of the DAWs named above.</p>
<p>The plug-ins play the same samples as the modules. A module's panel is its plug-in's window, in
a child window of the DAW's, painted by the same code with Windows' own drawing, and its menu is
Windows' own popup menu. On audio outputs 1.0 is 10 V.</p>
"""


def lv2_ports(form, uri):
    """An LV2 plug-in's ports as lv2info lists them from the built bundle, one line a port."""
    env = dict(os.environ, LV2_PATH=os.path.join(PLUGINS, form))
    text = subprocess.run(["lv2info", uri], capture_output=True, text=True, env=env, check=True).stdout
    lines = []
    for block in re.split(r"\n\tPort \d+:\n", text)[1:]:
        kinds = re.findall(r"lv2core#(\w+)Port|ext/atom#(Atom)Port", block)
        kinds = [a or b for a, b in kinds]
        direction = "in " if "Input" in kinds else "out"
        kind = next((k for k in kinds if k not in ("Input", "Output")), "?")
        field = dict(re.findall(r"^\t\t(\w+):\s+(.*)$", block, re.M))
        line = '%-4s %-8s %-16s "%s"' % (direction, kind, field.get("Symbol", ""), field.get("Name", ""))
        if "Default" in field:
            line += " %g ... %g, default %g" % tuple(float(field[k]) for k in ("Minimum", "Maximum", "Default"))
        points = sorted((int(float(v)), n) for v, n in re.findall(r'^\t\t\t(\S+) = "(.*)"$', block, re.M))
        if points:
            line += ": " + ", ".join('%d "%s"' % p for p in points)
        lines.append(line)
    presets = re.findall(r"^\t {9}(.*)$", text.split("Presets:")[1].split("\n\tPort")[0], re.M)
    if presets:
        lines.append('and %d presets: %s' % (len(presets), ", ".join('"%s"' % p for p in presets)))
    return "\n".join(lines)


def port_lists(modules, package):
    """The ports and parameters each plug-in shows a host, read from the built plug-ins, as text."""
    linux = package == "linux"
    parts = ["<h2>Ports and parameters</h2>",
             "<p>Each plug-in as a host lists it, read from the built plug-ins: CLAP and VST3 as our test "
             "hosts list them (<code>tarn-clap-host info</code>, <code>tarn-vst3-host info</code>: audio ports, "
             "parameters with range, default and choices, VST3 programs)%s</p>" % (
                 "; LV2 as <code>lv2info</code> lists the bundles (direction, kind, symbol, name, range "
                 "and default). Each JACK program is a JACK client named after its module with an audio "
                 "output <code>output</code> and a MIDI input <code>events-in</code>." if linux else
                 ". They are read from the Linux build of the same source; the checks of the Windows "
                 "build find the same output and parameters in its CLAP and VST3 plug-ins.")]
    for m in modules:
        d = m.description
        clap = os.path.join(PLUGINS, "clap", m.library + ".clap")
        vst3 = os.path.join(PLUGINS, "vst3", m.library + ".vst3")
        parts.append("<h3>%s</h3>" % html.escape(d.name))
        parts.append("<p>CLAP <code>%s</code>:</p><pre>%s</pre>"
                     % (html.escape(d.clap_id), html.escape(host_info("tarn-clap-host", clap))))
        parts.append("<p>VST3:</p><pre>%s</pre>" % html.escape(host_info("tarn-vst3-host", vst3)))
        if linux:
            for form, uri, name in (("lv2", d.uri, d.name), ("lv2-cv", d.cv_uri, d.name + " CV")):
                parts.append("<p>LV2 &ldquo;%s&rdquo; <code>%s</code> (<code>%s/</code>):</p><pre>%s</pre>"
                             % (html.escape(name), html.escape(uri), form, html.escape(lv2_ports(form, uri))))
    return "\n".join(parts)


STYLE = """
body { font-family: "DejaVu Sans", Verdana, sans-serif; max-width: 62em; margin: 2em auto; padding: 0 1em;
       color: #222; background: #fbfaf6; line-height: 1.45; }
h1, h2, h3 { color: #2b4a5f; } h2 { border-bottom: 2px solid #d8d3c0; padding-bottom: .2em; margin-top: 2em; }
table { border-collapse: collapse; margin: .8em 0; } th, td { border: 1px solid #cfc9b4; padding: .25em .6em; }
th { background: #ece8da; text-align: left; } code, pre { background: #f0ede2; }
pre { padding: .6em; overflow-x: auto; white-space: pre-wrap; word-break: break-all; }
.sheet { display: flex; flex-wrap: wrap; gap: .6em; } figure { margin: .6em 0; }
figcaption { font-size: .85em; max-width: 480px; } footer { margin-top: 3em; font-size: .85em; color: #555; }
nav { font-size: .9em; } nav ul { list-style: none; padding-left: 0; margin: .3em 0; }
.modular { border-left: 4px solid #c9a227; padding-left: .6em; }
.tag { background: #c9a227; color: #fff; font-size: .8em; padding: .05em .4em; border-radius: .2em; }
"""

TITLES = {
    "win32": "for the modular host (32-bit Windows modules)",
    "linux": "for Linux (LV2, CLAP, VST3, JACK on x86-64)",
    "windows": "for Windows DAWs (CLAP, VST3 on x86-64)",
}


def contents(body):
    """Gives every h2 and h3 an id and returns the body with a table of contents in front."""
    entries = []

    def anchor(match):
        level, title = match.group(1), match.group(2)
        ident = "s%d" % (len(entries) + 1)
        entries.append((level, ident, title))
        return '<h%s id="%s">%s</h%s>' % (level, ident, title, level)

    body = re.sub(r"<h([23])>(.*?)</h\1>", anchor, body)
    # One line a section, its subsections after it, so that the install stays on the first screen.
    rows = []
    for level, ident, title in entries:
        link = '<a href="#%s">%s</a>' % (ident, re.sub(r"<[^>]+>", "", title))
        if level == "2":
            rows.append([link])
        else:
            rows[-1].append(link)
    items = "".join("<li><b>%s</b>%s</li>" % (r[0], ": " + " &middot; ".join(r[1:]) if r[1:] else "") for r in rows)
    return '<nav><b>Contents</b><ul>%s</ul></nav>' % items, body


def manual(package, pics, version, modules):
    with open(os.path.join(pics, "build.txt")) as f:
        drawn_by = f.read().strip()
    docs = [(m, Doc(m, pics, package)) for m in modules]
    listed = "".join("<li><b>%s</b>: %s.</li>" % (html.escape(m.description.name), html.escape(m.description.summary))
                     for m in modules)
    install = {"win32": win32_install, "linux": linux_install, "windows": windows_install}[package](modules, version)
    sections = []
    for m, d in docs:
        part = "\n<h2>%s</h2>\n" % html.escape(m.description.name)
        if package != "win32":
            part += m.part("plugins", d, "")
        sections.append(part + m.part("section", d))
    ports = port_lists(modules, package) if package != "win32" else ""
    what = ("the modules' libraries (i686)" if package == "win32" else
            "the modules' plug-ins, which play the same samples as the 32-bit modules")
    body = f"""
{install}
{"".join(sections)}
{ports}
"""
    toc, body = contents(body)
    page = f"""
<h1>Tarn modules {html.escape(version)} {TITLES[package]}</h1>
{toc}
<p>Version {html.escape(version)}. The modules:</p>
<ul>{listed}</ul>
{body}
<footer>Tarn modules {html.escape(version)}, {package_name(package, version)}: {what}. Licence: MIT (see
LICENSE). The pictures and measurements in this manual were drawn by the modules' libraries,
{html.escape(drawn_by)}.</footer>
"""
    return ('<!DOCTYPE html>\n<html lang="en"><head><meta charset="utf-8">'
            '<title>Tarn modules %s %s: manual</title><style>%s</style></head><body>%s</body></html>\n'
            % (html.escape(version), TITLES[package], STYLE, page))


def write_manuals(pics, version, out_dir, modules):
    os.makedirs(out_dir, exist_ok=True)
    for package in PACKAGES:
        with open(os.path.join(out_dir, "MANUAL-%s.html" % package), "w", encoding="utf-8") as f:
            f.write(manual(package, pics, version, modules))


def install_note(package, template, out, modules, version):
    with open(template, encoding="utf-8") as f:
        text = f.read()
    parts = [m.part("install", Doc(m, None, package), "") for m in modules]
    parts = [textwrap.fill(" ".join(p.split()), NOTE_WIDTH) for p in parts if p]
    text = text.replace("@MODULES@", "\n\n".join(parts))
    text = text.replace("@VERSION@", version)
    if package == "linux":
        for family, value in needed_versions(linux_binaries()).items():
            text = text.replace("@%s@" % family, value)
    title, rule, rest = text.split("\n", 2)
    with open(out, "w", encoding="utf-8") as f:
        f.write("%s\n%s\n%s" % (title, "=" * len(title), rest))


def markers(name):
    return "<!-- %s: ./run docs writes it -->" % name, "<!-- end of the %s -->" % name


def readme_part(text, name):
    start, end = markers(name)
    if start not in text or end not in text:
        raise SystemExit("README.md has no \"%s\" ... \"%s\"" % (start, end))
    return text.index(start) + len(start), text.index(end)


def readme(path, modules, pics):
    """The README's parts from the modules: the list, and each module's parts, those of one name
    joined in the modules' order (parts drawn from pictures only when there are pictures)."""
    parts = {MODULE_LIST: module_list(modules)}
    for m in modules:
        for name, part in m.part("readme", Doc(m, pics, "win32"), {}).items():
            parts[name] = parts[name] + "\n\n" + part if name in parts else part
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
    if argv[0] == "--install":
        install_note(argv[1], argv[2], argv[3], read_modules(argv[4]), version_text(None))
        return 0
    pics, version, out_dir, modules_txt = argv[:4]
    write_manuals(pics, version, out_dir, read_modules(modules_txt))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
