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
