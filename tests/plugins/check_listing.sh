#!/usr/bin/env bash
# What a CLAP or VST3 host shows of both plug-ins: one output each; Contour4's Pitch, Sync and
# Level with the module's ranges and defaults (and in VST3 its 27 programs); the LFO's Wave with
# its eight labels, and Speed.
#   check_listing.sh HOST DIR   (DIR holds TarnContour4.EXT and TarnLFO.EXT)
set -uo pipefail
host=$1
dir=$2
ext=$(ls "$dir" | sed -n 's/^TarnLFO\.//p' | head -n 1)
[ -n "$ext" ] || { echo "FAIL no plug-ins in $dir"; exit 1; }
contour4=$("$host" info "$dir/TarnContour4.$ext") || exit 1
lfo=$("$host" info "$dir/TarnLFO.$ext") || exit 1
printf '%s\n%s\n' "$contour4" "$lfo"
failed=0
expect() {
  if grep -qF -- "$2" <<< "$1"; then echo "ok $2"; else echo "FAIL missing: $2"; failed=$((failed + 1)); fi
}
expect "$contour4" 'parameter "Pitch" 0 ... 10 default 5'
expect "$contour4" 'parameter "Sync" -10 ... 10 default 0'
expect "$contour4" 'parameter "Level" 0 ... 10 default 8'
expect "$lfo" 'parameter "Wave" 0 ... 7 default 1 [Sine] [Saw] [Ramp] [100% Pulse] [50% Pulse] [25% Pulse] [Fast Rand] [Slow Rand]'
expect "$lfo" 'parameter "Speed" 0 ... 10 default 0'
# VST3 has programs; DPF's CLAP format none.
if [ "$ext" = vst3 ]; then expect "$contour4" 'programs 27'; fi
for listing in "$contour4" "$lfo"; do
  if [ "$(grep -c '^audio output' <<< "$listing")" -eq 1 ] && ! grep -q '^audio input' <<< "$listing"; then
    echo "ok one output, no audio input"
  else
    echo "FAIL not one output alone"; failed=$((failed + 1))
  fi
done
[ "$failed" -eq 0 ]
