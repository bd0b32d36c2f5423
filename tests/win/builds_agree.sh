#!/usr/bin/env bash
# The x86-64 build stands for the i686 product only if it computes the same samples: renders of
# both modules through both builds' tarn-host, compared byte for byte.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Input streams in signal units: a sync square at about 150 Hz, and a level gate that closes for
# a while (silence and sleep) and opens again at a different level.
python3 - "$tmp" <<'PY'
import struct, sys
d = sys.argv[1]
frames = 12000
sync = [0.5 if (i // 147) % 2 else -0.5 for i in range(frames)]
level = [0.8 if i < 3000 else 0.0 if i < 7000 else 0.35 for i in range(frames)]
for name, data in (("sync", sync), ("level", level)):
    with open("%s/%s.f32" % (d, name), "wb") as f:
        f.write(struct.pack("<%df" % len(data), *data))
PY

saw="(-5,-3.5)(5,3.5)"
pulse="(-5,3.5)(-0.2,3.5)(0,-3.5)(4.8,-3.5)(5,3.5)"
odd="(0,1e39)(1,2"
# One render a line: module, then its arguments, separated by "|".
cases=(
  "TarnContour4|--frames|9000"
  "TarnContour4|--shape|$saw|--set|Pitch=1|--frames|9000|--block|64"
  "TarnContour4|--shape|$saw|--set|Pitch=8.3|--rate|48000|--frames|9000|--block|333"
  "TarnContour4|--shape|$pulse|--set|Pitch=5|--rate|96000|--frames|9000|--block|1"
  "TarnContour4|--shape|$pulse|--set|Pitch=10|--rate|22050|--frames|9000|--block|1024"
  "TarnContour4|--shape|$saw|--set|Pitch=3.7|--input|Sync=$tmp/sync.f32|--frames|12000|--block|100"
  "TarnContour4|--shape|$pulse|--set|Pitch=6|--input|Level=$tmp/level.f32|--frames|12000|--block|256"
  "TarnContour4|--shape|$odd|--set|Pitch=5|--frames|2000"
  "TarnLFO|--set|Wave=Sine|--set|Speed=7|--frames|20000|--block|64"
  "TarnLFO|--set|Wave=Saw|--set|Speed=3|--frames|20000|--rate|48000"
  "TarnLFO|--set|Wave=Ramp|--set|Speed=0.5|--frames|20000|--block|333"
  "TarnLFO|--set|Wave=25% Pulse|--set|Speed=9|--frames|20000"
  "TarnLFO|--set|Wave=Fast Rand|--set|Speed=6|--frames|20000|--block|1"
  "TarnLFO|--set|Wave=Slow Rand|--set|Speed=10|--frames|20000"
)

failed=0
for i in "${!cases[@]}"; do
  IFS='|' read -r -a words <<< "${cases[$i]}"
  for arch in win32 win64; do
    TARN_WIN_ARCH=$arch "$root/run" host render "$root/dist/${words[0]}.dll" "${words[@]:1}" \
      --out "$tmp/$i.$arch.f32" > /dev/null
  done
  if [ -s "$tmp/$i.win32.f32" ] && cmp -s "$tmp/$i.win32.f32" "$tmp/$i.win64.f32"; then
    echo "ok same samples: ${cases[$i]//|/ }"
  else
    echo "FAIL the builds differ: ${cases[$i]//|/ } ($(cmp "$tmp/$i.win32.f32" "$tmp/$i.win64.f32" 2>&1 | head -n 1))"
    failed=$((failed + 1))
  fi
done
echo "$((${#cases[@]} - failed)) of ${#cases[@]} renders agree bit for bit"
[ "$failed" -eq 0 ]
