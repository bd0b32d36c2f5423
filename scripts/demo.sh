#!/usr/bin/env bash
# Renders and draws with the real DLLs under Wine; everything lands in out/.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
OUT=$ROOT/out
host() { "$ROOT/run" host "$@"; }

lfo_demo() {
  local dir=$OUT/lfo
  mkdir -p "$dir"
  local names=("Sine" "Saw" "Ramp" "100% Pulse" "50% Pulse" "25% Pulse" "Fast Rand" "Slow Rand")
  local plot="" i
  for i in "${!names[@]}"; do
    local file="$dir/wave$i"
    host render "$ROOT/dist/TarnLFO.dll" --set "Wave=$i" --set Speed=4 --seconds 0.5 --out "$file.wav"
    host render "$ROOT/dist/TarnLFO.dll" --set "Wave=$i" --set Speed=4 --seconds 0.5 --out "$file.f32"
    [ -n "$plot" ] && plot+=", "
    plot+="'$file.f32' binary format='%float32' using (\$0/44100):(\$1*0.8-$i) with lines lw 2 title '$i ${names[$i]}'"
  done
  gnuplot <<GNUPLOT
set terminal pngcairo size 1200,1000 font "DejaVu Sans,11"
set output "$dir/lfo_waves.png"
set title "Tarn LFO: the eight Wave choices at Speed 4 V (one trace per wave)"
set xlabel "seconds"
set ytics ("Sine" 0, "Saw" -1, "Ramp" -2, "100%% Pulse" -3, "50%% Pulse" -4, "25%% Pulse" -5, "Fast Rand" -6, "Slow Rand" -7)
set yrange [-7.6:0.6]
set grid xtics
set key outside right
plot $plot
GNUPLOT
  rm -f "$dir"/*.f32
  echo "Tarn LFO: $dir/wave0.wav ... wave7.wav and $dir/lfo_waves.png"
}

lfo_demo

contour4_demo() {
  local dir=$OUT/contour4
  mkdir -p "$dir"
  local names=("default" "saw" "pulse" "sine")
  local shapes=(""
    "(-5.0,-3.5)(-4.6,-3.2)(-4.2,-2.9)(-3.8,-2.6)(-3.3,-2.3)(-2.9,-2.0)(-2.5,-1.7)(-2.1,-1.4)(-1.7,-1.1)(-1.3,-0.8)(-0.8,-0.5)(-0.4,-0.2)(0.0,0.1)(0.4,0.4)(0.8,0.7)(1.3,1.0)(1.7,1.3)(2.1,1.6)(2.5,1.9)(2.9,2.2)(3.3,2.5)(3.8,2.8)(4.2,3.1)(4.6,3.4)(5.0,3.7)"
    "(-5.0,3.5)(-4.6,3.5)(-4.2,3.5)(-3.8,3.5)(-3.3,3.5)(-2.9,3.5)(-2.5,3.5)(-2.1,3.5)(-1.7,3.5)(-1.3,3.5)(-0.8,3.5)(-0.4,3.5)(0.0,-3.5)(0.4,-3.5)(0.8,-3.5)(1.3,-3.5)(1.7,-3.5)(2.1,-3.5)(2.5,-3.5)(2.9,-3.5)(3.3,-3.5)(3.8,-3.5)(4.2,-3.5)(4.6,-3.5)(5.0,-3.5)"
    "(-5.0,0.0)(-4.6,0.9)(-4.2,1.7)(-3.8,2.4)(-3.3,3.0)(-2.9,3.4)(-2.5,3.5)(-2.1,3.5)(-1.7,3.2)(-1.3,2.7)(-0.8,2.1)(-0.4,1.3)(0.0,0.5)(0.4,-0.4)(0.8,-1.2)(1.3,-2.0)(1.7,-2.6)(2.1,-3.1)(2.5,-3.4)(2.9,-3.4)(3.3,-3.3)(3.8,-2.9)(4.2,-2.3)(4.6,-1.6)(5.0,-0.8)")
  local i v
  for i in "${!names[@]}"; do
    for v in 1 5 8; do
      local file="$dir/${names[$i]}_${v}V"
      local shape_args=()
      [ -n "${shapes[$i]}" ] && shape_args=(--shape "${shapes[$i]}")
      host render "$ROOT/dist/TarnContour4.dll" "${shape_args[@]}" --set "Pitch=$v" --seconds 2 --out "$file.wav"
      sox "$file.wav" -n spectrogram -x 800 -y 400 -z 100 -t "Tarn Contour4: ${names[$i]} at ${v} V" -o "$file.png"
    done
  done
  echo "Tarn Contour4: $dir/*.wav with a spectrogram (*.png) each; default, saw, pulse and sine at 1, 5 and 8 V"
}

contour4_demo

presets_demo() {
  local dir=$OUT/presets
  mkdir -p "$dir"
  # The menu paths of the 27 presets, one a line (the host's menu texts, trailing blank included).
  local presets
  mapfile -t presets < "$ROOT/scripts/presets.txt"
  local i
  for i in "${!presets[@]}"; do
    printf '%s\0' "${presets[$i]}"
  done | xargs -0 -P 1 -I{} bash -c '
    name=$(printf "%s" "${3##*/}" | sed "s/ *$//; s/[^A-Za-z0-9.]/_/g")
    "$0" host panel "$1" --menu "$3" --png "$2/$name.png" --set Pitch=5 --seconds 2 \
      --out "$2/$name.wav" > "$2/$name.txt"
  ' "$ROOT/run" "$ROOT/dist/TarnContour4.dll" "$dir" {}
  local args=()
  for i in "${!presets[@]}"; do
    local path=${presets[$i]}
    local name
    name=$(printf "%s" "${path##*/}" | sed "s/ *$//; s/[^A-Za-z0-9.]/_/g")
    args+=(-label "${path##*/}" "$dir/$name.png")
  done
  montage "${args[@]}" -tile 5x -geometry +6+6 -pointsize 14 -background "#f4f2ea" "$dir/presets_contact_sheet.png"
  echo "Tarn Contour4 presets: $dir/*.png (panel), *.wav (5 V), *.txt (shape text) and $dir/presets_contact_sheet.png"
}

presets_demo
