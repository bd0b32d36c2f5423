#!/usr/bin/env bash
# The LV2 bundles in Debian's own tools: lv2ls lists exactly the modules' plug-ins (LV2_PATH
# holds only the build's bundles, both forms), and sord_validate passes the bundles against the
# schemas that lv2-dev ships for every extension they use. Exits 77 when a tool is missing.
#   check_lv2_tools.sh LV2_DIR[:LV2_DIR...] URI...
set -uo pipefail
bundles=$1
shift
schemas=/usr/lib/lv2
for tool in lv2ls sord_validate; do
  command -v "$tool" > /dev/null || { echo "SKIP: $tool is not installed (./run setup)"; exit 77; }
done
export LV2_PATH=$bundles
failed=0
check() { if "$@"; then echo "ok $desc"; else echo "FAIL $desc"; failed=$((failed + 1)); fi; }

desc="lv2ls lists exactly the modules' plug-ins: $*"
check test "$(lv2ls | sort | tr '\n' ' ')" = "$(printf '%s\n' "$@" | sort | tr '\n' ' ')"

# Every schema the bundles' prefixes name, from lv2-dev's bundles.
desc="sord_validate passes the bundles against lv2-dev's schemas"
mapfile -t files < <(find "$schemas"/{core,atom,buf-size,event,midi,options,parameters,patch,port-groups,port-props,presets,resize-port,state,time,ui,units,urid,worker,schemas}.lv2 -name '*.ttl')
mapfile -t ours < <(tr ':' '\n' <<< "$bundles" | while read -r dir; do printf '%s\n' "$dir"/*/*.ttl; done)
check sord_validate "${files[@]}" "$(dirname "$0")/programs_extension.ttl" "${ours[@]}"
echo "$failed failed"
[ "$failed" -eq 0 ]
