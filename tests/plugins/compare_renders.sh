#!/usr/bin/env bash
# Renders a module's render cases through one plug-in format and compares them byte for byte
# with the DLL's renders:
#   compare_renders.sh reference DIR CASES NAME           the DLL NAME.dll (under Wine) into DIR
#   compare_renders.sh FORMAT DIR CASES NAME "HOST ..."   FORMAT lv2, lv2-cv, clap or vst3: its test
#                                                          host's render command up to the case's options
# Exits 77 when the DLL's renders are missing (no Windows build or no Wine here).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
format=$1 dir=$2 cases=$3 name=$4
read -r -a command <<< "${5:-}"
mkdir -p "$dir"
python3 "$root/tests/win/render_streams.py" "$dir"

# The DLL of the Windows build that runs here.
source "$root/cmake/wine-env.sh"
default_windows_build
dist=$TARN_DIST
read -r -a reference_host <<< "$TARN_HOST"

failed=0
total=0
while IFS= read -r line; do
  case "$line" in ''|'#'*) continue ;; esac
  line=${line//\{sync\}/$dir/sync.f32}
  line=${line//\{level\}/$dir/level.f32}
  IFS='|' read -r -a args <<< "$line"
  reference=$dir/reference-$total.f32
  if [ "$format" = reference ]; then
    [ -f "$dist/$name.dll" ] || { echo "SKIP: no $dist/$name.dll (./run build)"; exit 77; }
    "${reference_host[@]}" render "$dist/$name.dll" "${args[@]}" \
      --out "$reference" > /dev/null
    total=$((total + 1))
    continue
  fi
  if [ ! -s "$reference" ]; then
    echo "SKIP: the DLL's render $reference is missing: run the reference first"
    exit 77
  fi
  out=$dir/$format-$total.f32
  # Through a parameter (every form but the CV one), Sync changes at its own frames: the host
  # splits its call there.
  for i in "${!args[@]}"; do
    if [ "$format" != lv2-cv ] && [ "${args[$i]}" = --input ] && [[ "${args[$((i + 1))]}" == Sync=* ]]; then
      args[$i]=--input-frames
    fi
  done
  if "${command[@]}" "${args[@]}" --out "$out" && cmp -s "$reference" "$out"; then
    echo "ok same samples: $name ${args[*]}"
  else
    echo "FAIL $format differs from the DLL: $name ${args[*]} ($(cmp "$reference" "$out" 2>&1 | head -n 1))"
    failed=$((failed + 1))
  fi
  total=$((total + 1))
done < "$cases"
if [ "$format" = reference ]; then echo "$total DLL renders in $dir"; exit 0; fi
echo "$format: $((total - failed)) of $total renders equal the DLL's"
[ "$failed" -eq 0 ]
