#!/usr/bin/env bash
# The LV2 bundles in Debian's own tools: lv2ls and lv2info list both plug-ins with their ports
# (LV2_PATH holds only the build's bundles), and sord_validate passes the bundles against the
# schemas that lv2-dev ships for every extension they use. Exits 77 when a tool is missing.
set -uo pipefail
bundles=${1:?usage: check_lv2_tools.sh LV2_DIR}
schemas=/usr/lib/lv2
for tool in lv2ls lv2info sord_validate; do
  command -v "$tool" > /dev/null || { echo "SKIP: $tool is not installed (./run setup)"; exit 77; }
done
export LV2_PATH=$bundles
failed=0
check() { if "$@"; then echo "ok $desc"; else echo "FAIL $desc"; failed=$((failed + 1)); fi; }

desc="lv2ls lists exactly the two plug-ins"
check test "$(lv2ls | sort | tr '\n' ' ')" = "urn:tarn:contour4 urn:tarn:lfo "

contour4=$(lv2info urn:tarn:contour4)
lfo=$(lv2info urn:tarn:lfo)
has() { grep -qF -- "$2" <<< "$1"; }
for port in "Name:        Pitch" "Name:        Sync" "Name:        Level" "Name:        Output"; do
  desc="lv2info: Tarn Contour4 has the port \"${port##* }\""
  check has "$contour4" "$port"
done
desc="lv2info: Tarn Contour4's Pitch, Sync and Level are CV inputs"
check test "$(grep -c 'lv2core#CVPort' <<< "$contour4")" -eq 3
desc="lv2info: Tarn Contour4 has an event input (its notes)"
check has "$contour4" "Name:        Events Input"
desc="lv2info: Tarn Contour4 offers the 27 presets, \"Oboesque \" with its blank"
check test "$(awk '/Presets:/ {on = 1; next} on && NF == 0 {exit} on {n++} END {print n}' <<< "$contour4")" -eq 27
check grep -q "^[[:space:]]*Oboesque \$" <<< "$contour4"
for port in "Name:        Speed" "Name:        Wave" "Name:        Output" '"Fast Rand"' '"100% Pulse"'; do
  desc="lv2info: Tarn LFO has ${port##* }"
  check has "$lfo" "$port"
done
desc="lv2info: Tarn LFO's Speed input and output are CV"
check test "$(grep -c 'lv2core#CVPort' <<< "$lfo")" -eq 2

# Every schema the bundles' prefixes name, from lv2-dev's bundles.
desc="sord_validate passes both bundles against lv2-dev's schemas"
mapfile -t files < <(find "$schemas"/{core,atom,buf-size,event,midi,options,parameters,patch,port-groups,port-props,presets,resize-port,state,time,ui,units,urid,worker,schemas}.lv2 -name '*.ttl')
check sord_validate "${files[@]}" "$(dirname "$0")/programs_extension.ttl" "$bundles"/*/*.ttl
echo "$failed failed"
[ "$failed" -eq 0 ]
