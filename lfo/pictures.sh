#!/usr/bin/env bash
# Tarn LFO's pictures, from renders of its DLL (TARN_DLL) through tarn-host (TARN_HOST): each wave
# over two cycles at Speed 5 V, all eight together, periods measured from the Saw's wraps, and
# the start at the defaults.
# With --sounds, also each wave as a WAV. Usage: pictures.sh OUTDIR [--sounds]
#   OUTDIR/lfo/waveN.png, lfo_waves.png, lfo_periods.tsv      each wave, all eight, periods
#   OUTDIR/lfo_start.txt     the volts at frame 4410 (0.1 s at 44.1 kHz) at the defaults
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
OUT=$1
SOUNDS=${2:-}
read -r -a HOST <<< "$TARN_HOST"
host() { "${HOST[@]}" "$@"; }
BG="#f4f2ea"
LFO=$TARN_DLL
mkdir -p "$OUT/lfo" "$OUT/renders"

# The LFO: each wave over two cycles at Speed 5 V, all eight together, and periods measured
# from the Saw's wraps at several speeds.
mapfile -t lfo_names < <(python3 "$HERE/../cmake/module_description.py" choices "$HERE/description.txt" Wave)
[ "${#lfo_names[@]}" -gt 0 ] || { echo "pictures.sh: no Wave choices in $HERE/description.txt" >&2; exit 1; }
plot=""
ytics=""
for i in "${!lfo_names[@]}"; do
  host render "$LFO" --set "Wave=$i" --set Speed=5 --frames 16000 --out "$OUT/renders/lfo$i.f32"
  [ "$SOUNDS" = --sounds ] && host render "$LFO" --set "Wave=$i" --set Speed=4 --seconds 0.5 --out "$OUT/lfo/wave$i.wav"
  gnuplot <<GNUPLOT
set terminal pngcairo size 480,200 font "DejaVu Sans,10" background "$BG"
set output "$OUT/lfo/wave$i.png"
set title "${lfo_names[$i]} at Speed 5 V"
set xlabel "frames"
set yrange [-0.65:0.65]
set ytics ("-5 V" -0.5, "0" 0, "+5 V" 0.5)
set grid
unset key
plot '$OUT/renders/lfo$i.f32' binary format='%float32' using 0:1 with lines lw 2 lc rgb "#2b5f8a"
GNUPLOT
  [ -n "$plot" ] && plot+=", " && ytics+=", "
  ytics+="\"${lfo_names[$i]//%/%%}\" $((-i))"
  plot+="'$OUT/renders/lfo$i.f32' binary format='%float32' using (\$0/44100):(\$1*0.8-$i) with lines lw 2 title '${lfo_names[$i]}'"
done
gnuplot <<GNUPLOT
set terminal pngcairo size 1000,700 font "DejaVu Sans,11" background "$BG"
set output "$OUT/lfo_waves.png"
set title "Tarn LFO: the eight Wave choices at Speed 5 V (seconds at 44.1 kHz)"
set ytics ($ytics)
set yrange [-7.6:0.6]
set grid xtics
unset key
plot $plot
GNUPLOT
printf "speed_volts\tperiod_frames\n" > "$OUT/lfo_periods.tsv"
for v in 1 2 5 10; do
  host render "$LFO" --set Wave=Saw --set "Speed=$v" --frames 90000 --out "$OUT/renders/period$v.f32"
  python3 - "$OUT/renders/period$v.f32" "$v" >> "$OUT/lfo_periods.tsv" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
x = struct.unpack("<%df" % (len(data) // 4), data)
wraps = [n for n in range(1, len(x)) if x[n] < x[n - 1]]
print("%s\t%d" % (sys.argv[2], wraps[1] - wraps[0]))
PY
done
# How far the default Saw at the default Speed (the slowest rate) has risen after a tenth of a
# second at 44.1 kHz, in volts: the manual's word on how still it seems.
host render "$LFO" --frames 4411 --out "$OUT/renders/start.f32"
python3 - "$OUT/renders/start.f32" > "$OUT/lfo_start.txt" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
print("%.9g" % (struct.unpack_from("<f", data, 4410 * 4)[0] * 10))
PY

rm -rf "$OUT/renders"
echo "Tarn LFO: pictures in $OUT"
