#!/usr/bin/env bash
# Renders the build comparison's cases through one plug-in format and compares them byte for
# byte with the DLL's renders:
#   compare_renders.sh reference DIR        renders the DLL (./run host render) into DIR
#   compare_renders.sh FORMAT DIR HOST      FORMAT lv2, clap or vst3, with its test host
# Exits 77 when the DLL's renders are missing (no Windows build or no Wine here).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
format=$1
dir=$2
host=${3:-}
plugins=${TARN_PLUGIN_DIR:-$root/dist/plugins}
mkdir -p "$dir"

# The input streams: a sync square at about 150 Hz, and a level that drops to 0 and comes back.
python3 - "$dir" <<'PY'
import struct, sys
d = sys.argv[1]
frames = 12000
sync = [0.5 if (i // 147) % 2 else -0.5 for i in range(frames)]
level = [0.8 if i < 3000 else 0.0 if i < 7000 else 0.35 for i in range(frames)]
for name, data in (("sync", sync), ("level", level)):
    with open("%s/%s.f32" % (d, name), "wb") as f:
        f.write(struct.pack("<%df" % len(data), *data))
PY

# Each format's way to the module, and the pins a host must set itself where they are CV.
command_for() {
  local module=$1
  case "$format:$module" in
    lv2:TarnContour4) echo "$host render urn:tarn:contour4 --set Pitch=5 --set Sync=0 --set Level=8" ;;
    lv2:TarnLFO) echo "$host render urn:tarn:lfo" ;;
    clap:*) echo "$host render $plugins/clap/$module.clap" ;;
    vst3:*) echo "$host render $plugins/vst3/$module.vst3" ;;
    *) echo "compare_renders.sh: unknown format $format" >&2; exit 2 ;;
  esac
}

export LV2_PATH=$plugins/lv2
failed=0
total=0
while IFS= read -r line; do
  case "$line" in ''|'#'*) continue ;; esac
  line=${line//\{saw\}/(-5,-3.5)(5,3.5)}
  line=${line//\{pulse\}/(-5,3.5)(-0.2,3.5)(0,-3.5)(4.8,-3.5)(5,3.5)}
  line=${line//\{odd\}/(0,1e39)(1,2}
  line=${line//\{sync\}/$dir/sync.f32}
  line=${line//\{level\}/$dir/level.f32}
  IFS='|' read -r -a words <<< "$line"
  module=${words[0]}
  args=("${words[@]:1}")
  reference=$dir/reference-$total.f32
  if [ "$format" = reference ]; then
    "$root/run" host render "$root/dist/$module.dll" "${args[@]}" --out "$reference" > /dev/null
    total=$((total + 1))
    continue
  fi
  if [ ! -s "$reference" ]; then
    echo "the DLL's render $reference is missing: run the reference first"
    exit 77
  fi
  out=$dir/$format-$total.f32
  # Through a parameter, Sync changes at its own frames: the host splits its call there.
  for i in "${!args[@]}"; do
    if [ "$format" != lv2 ] && [ "${args[$i]}" = --input ] && [[ "${args[$((i + 1))]}" == Sync=* ]]; then
      args[$i]=--input-frames
    fi
  done
  read -r -a command <<< "$(command_for "$module")"
  if "${command[@]}" "${args[@]}" --out "$out" && cmp -s "$reference" "$out"; then
    echo "ok same samples: $module ${args[*]}"
  else
    echo "FAIL $format differs from the DLL: $module ${args[*]} ($(cmp "$reference" "$out" 2>&1 | head -n 1))"
    failed=$((failed + 1))
  fi
  total=$((total + 1))
done < "$here/render_cases.txt"
if [ "$format" = reference ]; then echo "$total DLL renders in $dir"; exit 0; fi
echo "$format: $((total - failed)) of $total renders equal the DLL's"
[ "$failed" -eq 0 ]
