#!/usr/bin/env python3
"""The plug-in table of scripts/bench.sh: every figure named "plugin/MODULE/ROW/FRAMES" (ns per
process call), from our test hosts' and the DLLs' lines ("NAME<TAB>NS") and Google Benchmark's
JSON (the cores alone, DPF's per-call work; processor time), the best of each name over every
round. Each module's rows are read against its core alone; Debian's oscillators, timed in the
same lilv host, against Tarn Contour4's core, the same kind of work (one oscillator voice).
usage: plugin_table.py FIGURES.txt JSON..."""
import json
import sys

BLOCKS = (64, 1024)
YARDSTICK = "core alone"
DEBIAN_YARDSTICK = "Tarn Contour4"


def read(figures_path, json_paths):
    best = {}

    def keep(name, ns):
        parts = name.split("/")
        if len(parts) != 4 or parts[0] != "plugin":
            return
        key = (parts[1], parts[2], int(parts[3]))
        best[key] = min(ns, best.get(key, ns))

    with open(figures_path) as f:
        for line in f:
            name, _, ns = line.rstrip("\n").partition("\t")
            if name.startswith("plugin/") and ns:
                keep(name, float(ns))
    for path in json_paths:
        with open(path) as f:
            for run in json.load(f)["benchmarks"]:
                if run.get("run_type", "iteration") == "iteration" and run["time_unit"] == "ns":
                    keep(run["name"], run["cpu_time"])
    return best


def main(figures_path, *json_paths):
    best = read(figures_path, json_paths)
    modules = [m for m, _, _ in best if best.get((m, YARDSTICK, BLOCKS[0]))]
    modules = sorted(set(modules))
    others = sorted({m for m, _, _ in best} - set(modules))
    print("| module | timed | " + " | ".join("%d frames: ns per call | ratio" % b for b in BLOCKS) + " |")
    print("|---|---|" + "---:|---:|" * len(BLOCKS))
    for module in modules + others:
        yardstick = module if module in modules else DEBIAN_YARDSTICK
        rows = sorted({r for m, r, _ in best if m == module}, key=lambda r: (r != YARDSTICK, r))
        for row in rows:
            cells = []
            for b in BLOCKS:
                ns = best.get((module, row, b))
                base = best.get((yardstick, YARDSTICK, b))
                cells.append("%.0f" % ns if ns is not None else "-")
                cells.append("%.2f×" % (ns / base) if ns is not None and base and "DPF" not in module else "")
            print("| %s | %s | %s |" % (module, row, " | ".join(cells)))
    return 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
