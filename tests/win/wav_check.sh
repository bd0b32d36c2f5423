#!/usr/bin/env bash
# The host's float WAV, read back by a real reader (sox): same rate, one channel, 32-bit float,
# and the same samples as the raw render. TARN_HOST runs tarn-host; TARN_DLL is a module.
set -euo pipefail
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
read -r -a host <<< "$TARN_HOST"
args=(render "$TARN_DLL" --frames 3001 --block 100 --rate 48000)
"${host[@]}" "${args[@]}" --out "$tmp/a.wav"
"${host[@]}" "${args[@]}" --out "$tmp/a.f32"
[ "$(soxi -r "$tmp/a.wav")" = 48000 ] || { echo "FAIL rate: $(soxi -r "$tmp/a.wav")"; exit 1; }
[ "$(soxi -c "$tmp/a.wav")" = 1 ] || { echo "FAIL channels"; exit 1; }
[ "$(soxi -s "$tmp/a.wav")" = 3001 ] || { echo "FAIL samples: $(soxi -s "$tmp/a.wav")"; exit 1; }
soxi -e "$tmp/a.wav" | grep -q "Floating Point" || { echo "FAIL encoding: $(soxi -e "$tmp/a.wav")"; exit 1; }
# sox carries samples as 32-bit integers inside, so what it reads back may differ in the last bit.
sox "$tmp/a.wav" -t f32 -e floating-point -b 32 -L "$tmp/b.f32"
python3 - "$tmp/a.f32" "$tmp/b.f32" <<'PY' || { echo "FAIL the WAV's samples differ from the raw render"; exit 1; }
import struct, sys
a, b = (open(p, "rb").read() for p in sys.argv[1:3])
x, y = (struct.unpack("<%df" % (len(d) // 4), d) for d in (a, b))
sys.exit(0 if len(x) == len(y) and all(abs(p - q) <= 2.0 ** -23 for p, q in zip(x, y)) else 1)
PY
echo "ok the WAV reads back through sox with the raw render's 3001 samples"
