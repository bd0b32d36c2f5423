#!/usr/bin/env bash
# Draws and measures everything the manual and the README show, from renders of the real DLLs
# (through ./run host, so on the Windows build that runs here). Usage: pictures.sh OUTDIR
#   OUTDIR/panel.png, presets/NN.png and .txt, presets.png   the panel, every preset, a sheet
#   OUTDIR/lfo/waveN.png, lfo_waves.png, lfo_periods.tsv      each LFO wave, all eight, periods
#   OUTDIR/spectrogram.png                                     a saw at 5 V
#   OUTDIR/measured.json, measured_sound.png                  alias levels and bands, and a plot
#   OUTDIR/build.txt                                           which Windows build drew them
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
OUT=$1
mkdir -p "$OUT/presets" "$OUT/lfo" "$OUT/renders"
host() { "$ROOT/run" host "$@"; }
C4=$ROOT/dist/TarnContour4.dll
LFO=$ROOT/dist/TarnLFO.dll
BG="#f4f2ea"

if [ "${TARN_WIN_ARCH:-win32}" = win64 ]; then
  echo "the x86-64 Windows build (64-bit Wine), which renders the same samples as the i686 DLLs" > "$OUT/build.txt"
else
  echo "the i686 DLLs of this package (32-bit Wine)" > "$OUT/build.txt"
fi

# The panel as a host shows it, and every preset through the real popup menu.
host panel "$C4" --png "$OUT/panel_1x.png" > /dev/null
convert "$OUT/panel_1x.png" -filter point -resize 300% "$OUT/panel.png"
mapfile -t presets < "$ROOT/scripts/presets.txt"
sheet=()
for i in "${!presets[@]}"; do
  n=$(printf "%02d" "$i")
  host panel "$C4" --menu "${presets[$i]}" --png "$OUT/presets/$n.png" | sed -n 's/^shape: //p' > "$OUT/presets/$n.txt"
  label=${presets[$i]##*/}
  sheet+=(-label "${label% }" "$OUT/presets/$n.png")
done
montage "${sheet[@]}" -tile 5x -geometry +6+6 -pointsize 14 -background "$BG" "$OUT/presets.png"

# The LFO: each wave over two cycles at Speed 5 V, all eight together, and periods measured
# from the Saw's wraps at several speeds.
lfo_names=("Sine" "Saw" "Ramp" "100% Pulse" "50% Pulse" "25% Pulse" "Fast Rand" "Slow Rand")
plot=""
for i in "${!lfo_names[@]}"; do
  host render "$LFO" --set "Wave=$i" --set Speed=5 --frames 16000 --out "$OUT/renders/lfo$i.f32"
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
  [ -n "$plot" ] && plot+=", "
  plot+="'$OUT/renders/lfo$i.f32' binary format='%float32' using (\$0/44100):(\$1*0.8-$i) with lines lw 2 title '${lfo_names[$i]}'"
done
gnuplot <<GNUPLOT
set terminal pngcairo size 1000,700 font "DejaVu Sans,11" background "$BG"
set output "$OUT/lfo_waves.png"
set title "Tarn LFO: the eight Wave choices at Speed 5 V (seconds at 44.1 kHz)"
set ytics ("Sine" 0, "Saw" -1, "Ramp" -2, "100%% Pulse" -3, "50%% Pulse" -4, "25%% Pulse" -5, "Fast Rand" -6, "Slow Rand" -7)
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

# One spectrogram: the Digital Saw preset at 5 V.
saw=$(cat "$OUT/presets/01.txt")
pulse=$(cat "$OUT/presets/13.txt")
host render "$C4" --shape "$saw" --set Pitch=5 --seconds 2 --out "$OUT/renders/saw5.wav"
sox "$OUT/renders/saw5.wav" -n spectrogram -x 800 -y 360 -z 110 \
  -t "Tarn Contour4: Digital Saw at 5 V (440 Hz), 44.1 kHz" -o "$OUT/spectrogram.png"

# Alias levels: the Digital Saw and the 50% Pulse presets at 1 ... 9 V, at 44.1 and 48 kHz.
for rate in 44100 48000; do
  for v in 1 2 3 4 5 6 7 8 9; do
    host render "$C4" --shape "$saw" --set "Pitch=$v" --rate "$rate" --seconds 2 --out "$OUT/renders/saw_${rate}_$v.f32"
    host render "$C4" --shape "$pulse" --set "Pitch=$v" --rate "$rate" --seconds 2 --out "$OUT/renders/pulse_${rate}_$v.f32"
  done
done
/usr/bin/python3 "$ROOT/scripts/measure_alias.py" "$OUT/renders" > "$OUT/measured.json"
/usr/bin/python3 - "$OUT/measured.json" > "$OUT/measured.dat" <<'PY'
import json, sys
m = json.load(open(sys.argv[1]))
for row in m["rows"]:
    print(row["volts"], *(row[k] for k in ("saw_44100", "saw_48000", "pulse_44100", "pulse_48000")))
PY
gnuplot <<GNUPLOT
set terminal pngcairo size 900,480 font "DejaVu Sans,11" background "$BG"
set output "$OUT/measured_sound.png"
set title "Tarn Contour4: strongest alias component relative to the fundamental"
set xlabel "Pitch (V); 5 V = 440 Hz"
set ylabel "dB"
set xtics 1
set grid
set key bottom right
plot '$OUT/measured.dat' using 1:2 with linespoints lw 2 title "Digital Saw, 44.1 kHz", \
     '' using 1:3 with linespoints lw 2 title "Digital Saw, 48 kHz", \
     '' using 1:4 with linespoints lw 2 title "50% Pulse, 44.1 kHz", \
     '' using 1:5 with linespoints lw 2 title "50% Pulse, 48 kHz"
GNUPLOT
rm -rf "$OUT/renders"
echo "pictures and measurements in $OUT"
