#!/usr/bin/env bash
# Tarn Contour4 in real time under JACK: jalv runs the modular LV2 plug-in with its CV inputs at
# 0 V and a loop of notes from jack_midiseq, and the JACK program runs on its first program, "Sine".
#   jack.sh PLUGIN_DIR LV2_HOST WORK_DIR      (exits 77 when a JACK tool is missing)
set -uo pipefail
plugins=$1
lv2_host=$2
work=$3
source "$(dirname "$0")/../../../tests/plugins/jack_session.sh"
# The modular form, whose inputs are CV; its offline render too.
export LV2_PATH=$plugins/lv2-cv:$plugins/lv2

if start "c4:lv2_output" jalv -x -n c4 urn:tarn:contour4:cv && note_loop c4:lv2_events_in; then
  check "jalv Tarn Contour4, note 69 on and off each second" c4:lv2_output urn:tarn:contour4:cv \
    --set Pitch=0 --set Sync=0 --set Level=0 "${notes[@]}"
else failed=$((failed + 1)); fi

if start "Tarn Contour4:output" "$plugins/jack/TarnContour4"; then
  check "the JACK program Tarn Contour4 at its defaults" "Tarn Contour4:output" urn:tarn:contour4 --preset Sine \
    --set Pitch=5 --set Sync=0 --set Level=8
else failed=$((failed + 1)); fi

echo "jack: $failed failed"
[ "$failed" -eq 0 ]
