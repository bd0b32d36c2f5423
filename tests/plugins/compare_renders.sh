#!/usr/bin/env bash
# Renders a module's render cases through one plug-in format and compares them byte for byte
# with the DLL's renders:
#   compare_renders.sh reference DIR CASES NAME           the DLL NAME.dll (under Wine) into DIR
#   compare_renders.sh FORMAT DIR CASES NAME "HOST ..."   FORMAT lv2, lv2-cv, clap or vst3: its test
#                                                          host's render command up to the case's options
# CASES is <module>/tests/render_cases.txt; the module's description beside it says which inputs
# the module reads at every frame. Exits 77 when the DLL's renders are missing (no Windows build or
# no Wine here).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
format=$1 dir=$2 cases=$3 name=$4
read -r -a command <<< "${5:-}"
mkdir -p "$dir"
source "$root/tests/win/render_cases.sh"
mapfile -t every_frame < <(python3 "$root/cmake/module_description.py" every-frame \
  "$(dirname "$(dirname "$cases")")/description.txt")

# The DLL of the Windows build that runs here.
source "$root/cmake/wine-env.sh"
default_windows_build
dist=$TARN_DIST
read -r -a reference_host <<< "$TARN_HOST"

failed=0
total=0
missing=""
one_case() {
  local -a args=("$@")
  local reference=$dir/reference-$total.f32 out=$dir/$format-$total.f32 i pin
  total=$((total + 1))
  if [ "$format" = reference ]; then
    "${reference_host[@]}" render "$dist/$name.dll" "${args[@]}" --out "$reference" > /dev/null
    return
  fi
  if [ ! -s "$reference" ]; then missing=$reference; return; fi
  # Through a parameter, an input the module reads at every frame changes at its own frames: the
  # host splits its call there (a CV port takes every frame anyway).
  for i in "${!args[@]}"; do
    for pin in "${every_frame[@]}"; do
      if [ "${args[$i]}" = --input ] && [[ "${args[$((i + 1))]}" == "$pin"=* ]]; then
        args[$i]=--input-frames
      fi
    done
  done
  if "${command[@]}" "${args[@]}" --out "$out" && cmp -s "$reference" "$out"; then
    echo "ok same samples: $name ${args[*]}"
  else
    echo "FAIL $format differs from the DLL: $name ${args[*]} ($(cmp "$reference" "$out" 2>&1 | head -n 1))"
    failed=$((failed + 1))
  fi
}
if [ "$format" = reference ] && [ ! -f "$dist/$name.dll" ]; then
  echo "SKIP: no $dist/$name.dll (./run build)"
  exit 77
fi
render_cases "$cases" "$dir" one_case
if [ -n "$missing" ]; then echo "SKIP: the DLL's render $missing is missing: run the reference first"; exit 77; fi
if [ "$format" = reference ]; then echo "$total DLL renders in $dir"; exit 0; fi
echo "$format: $((total - failed)) of $total renders equal the DLL's"
[ "$failed" -eq 0 ]
