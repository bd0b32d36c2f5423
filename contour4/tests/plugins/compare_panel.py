#!/usr/bin/python3
"""Two pictures of the Contour4 panel, one painted by Windows' GDI (the reference host's
`panel --png`) and one by the plug-in window on Cairo, compared where the geometry lives:
every pixel outside the " Menu " button (whose text may come in another font) in the panel's
colours (grid grey, curve ink, handle fill, the host's background), and the centre of each
node's handle. The tolerance: at most MAX_PIXELS differing pixels outside the button, and every
handle centre within MAX_CENTRE_SHIFT pixels.
usage: compare_panel.py REFERENCE.png PICTURE.png [X,Y]   (X,Y: the panel's corner in PICTURE)"""
import subprocess
import sys

import numpy as np

PANEL_W, PANEL_H = 256, 100
BUTTON_W, BUTTON_H = 33, 12
HANDLE_FILL = (150, 150, 0)
MAX_PIXELS = 0
MAX_CENTRE_SHIFT = 0


def load(path):
    size = subprocess.run(["identify", "-format", "%w %h", path], capture_output=True, text=True, check=True)
    w, h = map(int, size.stdout.split())
    raw = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], capture_output=True, check=True).stdout
    return np.frombuffer(raw, np.uint8).reshape(h, w, 3).astype(int)


def handle_centres(img):
    """Per column of handle fill, the middle of its run: the handles' centres as columns see them."""
    fill = np.all(img == HANDLE_FILL, axis=2)
    centres = {}
    for x in range(PANEL_W):
        ys = np.nonzero(fill[:, x])[0]
        if len(ys):
            centres[x] = (ys.min() + ys.max()) / 2.0
    return centres


def main(reference_path, picture_path, corner="0,0"):
    cx, cy = map(int, corner.split(","))
    ref = load(reference_path)
    pic = load(picture_path)[cy:cy + PANEL_H, cx:cx + PANEL_W]
    if ref.shape != (PANEL_H, PANEL_W, 3) or pic.shape != ref.shape:
        print(f"FAIL sizes differ: {ref.shape[1]}x{ref.shape[0]} and {pic.shape[1]}x{pic.shape[0]}")
        return 1
    differ = np.any(ref != pic, axis=2)
    differ[:BUTTON_H, :BUTTON_W] = False
    pixels = int(differ.sum())
    a, b = handle_centres(ref), handle_centres(pic)
    shift = max([abs(a[x] - b.get(x, -99)) for x in a] + [abs(b[x] - a.get(x, -99)) for x in b] + [0])
    ok = pixels <= MAX_PIXELS and shift <= MAX_CENTRE_SHIFT
    print(f"{'ok' if ok else 'FAIL'} {picture_path}: {pixels} pixels differ outside the button "
          f"(at most {MAX_PIXELS}), handle centres {shift:g} px apart (at most {MAX_CENTRE_SHIFT})")
    if not ok:
        ys, xs = np.nonzero(differ)
        print("  first differing pixels (x,y):", list(zip(xs[:12].tolist(), ys[:12].tolist())))
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
