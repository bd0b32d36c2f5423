#!/usr/bin/env bash
# Tarn LFO in real time under JACK: jalv runs the modular LV2 plug-in on Slow Rand at 9 V, and the
# JACK program runs at its defaults.
#   jack.sh PLUGIN_DIR LV2_HOST WORK_DIR      (exits 77 when a JACK tool is missing)
set -uo pipefail
plugins=$1
lv2_host=$2
work=$3
source "$(dirname "$0")/../../../tests/plugins/jack_session.sh"
# The modular form, whose inputs are CV; its offline render too.
export LV2_PATH=$plugins/lv2-cv:$plugins/lv2

if start "lfo:lv2_output" jalv -x -n lfo -c speed=9 -c wave=7 urn:tarn:lfo:cv; then
  check "jalv Tarn LFO, Slow Rand at 9 V" lfo:lv2_output urn:tarn:lfo:cv --set speed=9 --set wave=7
else failed=$((failed + 1)); fi

if start "Tarn LFO:output" "$plugins/jack/TarnLFO"; then
  check "the JACK program Tarn LFO at its defaults" "Tarn LFO:output" urn:tarn:lfo
else failed=$((failed + 1)); fi

echo "jack: $failed failed"
[ "$failed" -eq 0 ]
