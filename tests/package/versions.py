#!/usr/bin/env python3
"""Every version a user can see is the project's (the first line of VERSION): the packages' names,
each manual's title and footer, the install notes, the README's package names, and in the
unpacked Linux tarball the LV2 bundles' lv2:minorVersion and lv2:microVersion, each CLAP
descriptor's version and each VST3 class's version, read by loading the plug-ins as a host does.
Usage: versions.py ROOT PACKAGES_TXT LINUX_DIR ZIP_DIR WINDOWS_DIR (the packages unpacked)"""
import ctypes
import glob
import os
import re
import sys

VERSIONED = re.compile(r"tarn-modules-([^-\s/`\"<]+)-")


class ClapDescriptor(ctypes.Structure):
    _fields_ = [("clap_version", ctypes.c_uint32 * 3)] + [(n, ctypes.c_char_p) for n in (
        "id", "name", "vendor", "url", "manual_url", "support_url", "version", "description")]


def clap_versions(path):
    library = ctypes.CDLL(path)
    entry = ctypes.cast(library.clap_entry, ctypes.POINTER(ctypes.c_void_p))
    init = ctypes.CFUNCTYPE(ctypes.c_bool, ctypes.c_char_p)(entry[2])
    deinit = ctypes.CFUNCTYPE(None)(entry[3])
    get_factory = ctypes.CFUNCTYPE(ctypes.c_void_p, ctypes.c_char_p)(entry[4])
    if not init(path.encode()):
        return ["(init failed)"]
    try:
        factory = ctypes.cast(get_factory(b"clap.plugin-factory"), ctypes.POINTER(ctypes.c_void_p))
        count = ctypes.CFUNCTYPE(ctypes.c_uint32, ctypes.c_void_p)(factory[0])
        describe = ctypes.CFUNCTYPE(ctypes.POINTER(ClapDescriptor), ctypes.c_void_p, ctypes.c_uint32)(factory[1])
        return [describe(factory, i).contents.version.decode() for i in range(count(factory))]
    finally:
        deinit()


class Vst3ClassInfo2(ctypes.Structure):
    _fields_ = [("cid", ctypes.c_uint8 * 16), ("cardinality", ctypes.c_int32), ("category", ctypes.c_char * 32),
                ("name", ctypes.c_char * 64), ("flags", ctypes.c_uint32), ("subcategories", ctypes.c_char * 128),
                ("vendor", ctypes.c_char * 64), ("version", ctypes.c_char * 64), ("sdk_version", ctypes.c_char * 64)]


# IPluginFactory2's interface id, in the byte order of VST3 on Linux.
FACTORY2 = bytes.fromhex("0007B650F24B4C0BA464EDB9F00B2ABB")


def vst3_versions(path):
    library = ctypes.CDLL(path)
    library.ModuleEntry.argtypes = [ctypes.c_void_p]
    library.ModuleEntry(None)
    library.GetPluginFactory.restype = ctypes.c_void_p
    base = library.GetPluginFactory()
    query = ctypes.CFUNCTYPE(ctypes.c_int32, ctypes.c_void_p, ctypes.c_char_p, ctypes.POINTER(ctypes.c_void_p))(
        ctypes.cast(ctypes.cast(base, ctypes.POINTER(ctypes.c_void_p))[0], ctypes.POINTER(ctypes.c_void_p))[0])
    factory = ctypes.c_void_p()
    if query(base, FACTORY2, ctypes.byref(factory)) != 0:
        return ["(no IPluginFactory2)"]
    table = ctypes.cast(ctypes.cast(factory, ctypes.POINTER(ctypes.c_void_p))[0], ctypes.POINTER(ctypes.c_void_p))
    count = ctypes.CFUNCTYPE(ctypes.c_int32, ctypes.c_void_p)(table[4])(factory)
    info = ctypes.CFUNCTYPE(ctypes.c_int32, ctypes.c_void_p, ctypes.c_int32, ctypes.POINTER(Vst3ClassInfo2))(table[7])
    versions = []
    for i in range(count):
        c = Vst3ClassInfo2()
        if info(factory, i, ctypes.byref(c)) == 0:
            versions.append(c.version.decode())
    return versions


def main(root, packages, linux, zip_dir, windows):
    version = open(os.path.join(root, "VERSION")).readline().strip()
    seen = []  # (where, version shown)
    with open(packages) as f:
        seen += [(os.path.basename(p), m) for p in f.read().split() for m in VERSIONED.findall(os.path.basename(p))]
    for path in [os.path.join(root, "README.md"), os.path.join(linux, "INSTALL.txt"), os.path.join(windows, "INSTALL.txt")]:
        seen += [(os.path.relpath(path, os.path.dirname(root)), m) for m in VERSIONED.findall(open(path).read())]
    for folder in (zip_dir, linux, windows):
        text = open(os.path.join(folder, "MANUAL.html"), encoding="utf-8").read()
        where = "the manual of " + os.path.basename(folder)
        seen += [(where + " (title)", m) for m in re.findall(r"<h1>Tarn modules (\S+) ", text)]
        seen += [(where, m) for m in VERSIONED.findall(text)]
        if re.search(r"\bVERSION\b", re.sub(r"<[^>]+>", "", text)):
            seen.append((where + " says", "VERSION"))
    for ttl in sorted(glob.glob(os.path.join(linux, "lv2*", "*.lv2", "*_dsp.ttl"))):
        text = open(ttl).read()
        shown = "0.%s.%s" % tuple(re.search(r"lv2:%sVersion (\d+)" % k, text).group(1) for k in ("minor", "micro"))
        seen.append((os.path.relpath(ttl, linux), shown))
    for clap in sorted(glob.glob(os.path.join(linux, "clap", "*.clap"))):
        seen += [(os.path.relpath(clap, linux), v) for v in clap_versions(clap)]
    for vst3 in sorted(glob.glob(os.path.join(linux, "vst3", "*.vst3", "Contents", "x86_64-linux", "*.so"))):
        seen += [(os.path.relpath(vst3, linux), v) for v in vst3_versions(vst3)]
    wrong = [(where, shown) for where, shown in seen if shown != version]
    for where, shown in wrong:
        print("FAIL %s shows version %s, not %s" % (where, shown, version))
    kinds = {w.split(" ")[0].split("/")[0] for w, _ in seen}
    print("%d versions shown (%s), %d not %s" % (len(seen), ", ".join(sorted(kinds)), len(wrong), version))
    return 1 if wrong or len(seen) < 10 else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:6]))
