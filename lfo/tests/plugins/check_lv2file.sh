#!/usr/bin/env bash
# Tarn LFO in lv2file, Debian's command-line LV2 host (which gives a plug-in no worker, so Tarn
# Contour4, whose state needs one, cannot load there): the Saw at 5 V over a silent file is our
# lilv host's render of the same settings, up to lv2file's own rounding of what it writes (it
# rounds floats to 24 bits) over the frames it writes (whole blocks of its own). Exits 77 without
# lv2file or sox.
#   check_lv2file.sh LV2_HOST     (LV2_PATH at the build's bundles)
set -uo pipefail
for tool in lv2file sox python3; do
  command -v "$tool" > /dev/null || { echo "SKIP: $tool is not installed (./run setup)"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
frames=20000
sox -n -r 44100 -c 1 -e floating-point -b 32 "$work/silence.wav" trim 0s ${frames}s
lv2file -i "$work/silence.wav" -o "$work/lv2file.wav" -p wave:1 -p speed:5 urn:tarn:lfo > /dev/null || exit 1
sox "$work/lv2file.wav" -t f32 "$work/lv2file.f32" 2> /dev/null
"$1" render urn:tarn:lfo --set Wave=Saw --set Speed=5 --frames $frames --out "$work/ours.f32" || exit 1
python3 - "$work/lv2file.f32" "$work/ours.f32" << 'PY'
import struct, sys
theirs, ours = (open(path, "rb").read() for path in sys.argv[1:])
theirs = struct.unpack(f"<{len(theirs) // 4}f", theirs)
ours = struct.unpack(f"<{len(ours) // 4}f", ours)
worst = max(abs(a - b) for a, b in zip(theirs, ours))
if len(theirs) < len(ours) // 2 or worst > 1e-6:
    sys.exit(f"FAIL lv2file wrote {len(theirs)} frames, at most {worst} from ours")
print(f"ok lv2file plays the Saw at 5 V: {len(theirs)} frames, at most {worst} from our host's")
PY
