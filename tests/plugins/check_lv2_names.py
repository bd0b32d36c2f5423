#!/usr/bin/env python3
"""Every LV2 plug-in in the folders given names each of its ports (parameters included) and gives
each a symbol that no other port of it has: a host or a user that finds a port by name or by symbol
finds one. Reads the installed bundles' descriptions with Debian's sordi, as a host reads them.

  check_lv2_names.py FOLDER...     exits 77 without sordi, 1 naming each shared name or symbol"""
import glob
import os
import re
import shutil
import subprocess
import sys

LV2 = "http://lv2plug.in/ns/lv2core#"
TYPE = "http://www.w3.org/1999/02/22-rdf-syntax-ns#type"
TRIPLE = re.compile(r'^(\S+) <([^>]+)> (.+) \.$')


def triples(path):
    out = subprocess.run(["sordi", "-i", "turtle", path, "file://" + os.path.abspath(path)],
                         capture_output=True, text=True, check=True).stdout
    # A blank node's label holds within its file only.
    local = lambda node: path + node if node.startswith("_:") else node
    for line in out.splitlines():
        m = TRIPLE.match(line)
        if m:
            yield local(m.group(1)), m.group(2), local(m.group(3))


def main(folders):
    if shutil.which("sordi") is None:
        print("SKIP: no sordi (./run setup installs it)")
        return 77
    plugins, ports, words = set(), {}, {}
    bundles = sorted(b for f in folders for b in glob.glob(os.path.join(f, "*.lv2")))
    for bundle in bundles:
        for ttl in glob.glob(os.path.join(bundle, "*.ttl")):
            for s, p, o in triples(ttl):
                if p == TYPE and o == "<%sPlugin>" % LV2:
                    plugins.add(s)
                elif p == LV2 + "port":
                    ports.setdefault(s, []).append(o)
                elif p in (LV2 + "name", LV2 + "symbol"):
                    words.setdefault(s, []).append((p[len(LV2):], o))
    faults = 0
    for plugin in sorted(plugins):
        seen = set()
        shared = [(kind, word) for port in ports.get(plugin, []) for kind, word in words.get(port, [])
                  if (kind, word) in seen or seen.add((kind, word))]
        for kind, word in shared:
            print("FAIL %s: two ports have the %s %s" % (plugin, kind, word))
        if not shared:
            print("ok %s: %d ports, every name and symbol once" % (plugin, len(ports.get(plugin, []))))
        faults += len(shared)
    if not plugins:
        print("FAIL no LV2 plug-in in %s" % " ".join(folders))
        return 1
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
