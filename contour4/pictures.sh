#!/usr/bin/env bash
# Tarn Contour4's pictures and measurements, from renders of its DLL (TARN_DLL) through tarn-host
# (TARN_HOST): the panel, every preset through the real popup menu and a sheet of them, a
# spectrogram, and the alias levels. With --sounds, also each preset's sound at 5 V and curves at
# 1, 5 and 8 V with their spectrograms. Usage: pictures.sh OUTDIR [--sounds]
#   OUTDIR/panel.png, presets/NN.png and .txt, presets.png   the panel, every preset, a sheet
#   OUTDIR/spectrogram.png                                     a saw at 5 V
#   OUTDIR/measured.json, measured_sound.png                  alias levels and bands, and a plot
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
OUT=$1
SOUNDS=${2:-}
read -r -a HOST <<< "$TARN_HOST"
host() { "${HOST[@]}" "$@"; }
BG="#f4f2ea"
C4=$TARN_DLL
mkdir -p "$OUT/presets" "$OUT/renders"

# The panel as a host shows it, and every preset through the real popup menu.
host panel "$C4" --png "$OUT/panel_1x.png" > /dev/null
convert "$OUT/panel_1x.png" -filter point -resize 300% "$OUT/panel.png"
mapfile -t presets < "$HERE/presets.txt"
sheet=()
for i in "${!presets[@]}"; do
  n=$(printf "%02d" "$i")
  sound=()
  [ "$SOUNDS" = --sounds ] && sound=(--set Pitch=5 --seconds 2 --out "$OUT/presets/$n.wav")
  host panel "$C4" --menu "${presets[$i]}" --png "$OUT/presets/$n.png" "${sound[@]}" | sed -n 's/^shape: //p' > "$OUT/presets/$n.txt"
  label=${presets[$i]##*/}
  sheet+=(-label "${label% }" "$OUT/presets/$n.png")
done
montage "${sheet[@]}" -tile 5x -geometry +6+6 -pointsize 14 -background "$BG" "$OUT/presets.png"

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
/usr/bin/python3 "$HERE/measure_alias.py" "$OUT/renders" > "$OUT/measured.json"
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

# Curves at 1, 5 and 8 V, to hear, with a spectrogram each.
if [ "$SOUNDS" = --sounds ]; then
  dir=$OUT/curves
  mkdir -p "$dir"
  names=("default" "saw" "pulse" "sine")
  shapes=(""
    "(-5.0,-3.5)(-4.6,-3.2)(-4.2,-2.9)(-3.8,-2.6)(-3.3,-2.3)(-2.9,-2.0)(-2.5,-1.7)(-2.1,-1.4)(-1.7,-1.1)(-1.3,-0.8)(-0.8,-0.5)(-0.4,-0.2)(0.0,0.1)(0.4,0.4)(0.8,0.7)(1.3,1.0)(1.7,1.3)(2.1,1.6)(2.5,1.9)(2.9,2.2)(3.3,2.5)(3.8,2.8)(4.2,3.1)(4.6,3.4)(5.0,3.7)"
    "(-5.0,3.5)(-4.6,3.5)(-4.2,3.5)(-3.8,3.5)(-3.3,3.5)(-2.9,3.5)(-2.5,3.5)(-2.1,3.5)(-1.7,3.5)(-1.3,3.5)(-0.8,3.5)(-0.4,3.5)(0.0,-3.5)(0.4,-3.5)(0.8,-3.5)(1.3,-3.5)(1.7,-3.5)(2.1,-3.5)(2.5,-3.5)(2.9,-3.5)(3.3,-3.5)(3.8,-3.5)(4.2,-3.5)(4.6,-3.5)(5.0,-3.5)"
    "(-5.0,0.0)(-4.6,0.9)(-4.2,1.7)(-3.8,2.4)(-3.3,3.0)(-2.9,3.4)(-2.5,3.5)(-2.1,3.5)(-1.7,3.2)(-1.3,2.7)(-0.8,2.1)(-0.4,1.3)(0.0,0.5)(0.4,-0.4)(0.8,-1.2)(1.3,-2.0)(1.7,-2.6)(2.1,-3.1)(2.5,-3.4)(2.9,-3.4)(3.3,-3.3)(3.8,-2.9)(4.2,-2.3)(4.6,-1.6)(5.0,-0.8)")
  for i in "${!names[@]}"; do
    for v in 1 5 8; do
      file="$dir/${names[$i]}_${v}V"
      shape_args=()
      [ -n "${shapes[$i]}" ] && shape_args=(--shape "${shapes[$i]}")
      host render "$C4" "${shape_args[@]}" --set "Pitch=$v" --seconds 2 --out "$file.wav"
      sox "$file.wav" -n spectrogram -x 800 -y 400 -z 100 -t "Tarn Contour4: ${names[$i]} at ${v} V" -o "$file.png"
    done
  done
fi
echo "Tarn Contour4: pictures and measurements in $OUT"
