#!/usr/bin/env bash
# The x86-64 build stands for the i686 product only if it computes the same samples: every
# module's render cases (<module>/tests/render_cases.txt) through both builds' tarn-host,
# compared byte for byte. Usage: builds_agree.sh MODULES_TXT (the build's list of modules).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
run=$root/cmake/windows-run.sh
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
python3 "$root/tests/win/render_streams.py" "$tmp"
source "$root/cmake/wine-env.sh"
for arch in win32 win64; do
  why=$(why_not_run "$arch")
  [ -z "$why" ] || { echo "not run: $why"; exit 77; }
done

failed=0
total=0
while read -r name dir; do
  while IFS= read -r line; do
    case "$line" in ''|'#'*) continue ;; esac
    line=${line//\{sync\}/$tmp/sync.f32}
    line=${line//\{level\}/$tmp/level.f32}
    IFS='|' read -r -a args <<< "$line"
    "$run" win32 "$root/dist/tarn-host.exe" render "$root/dist/$name.dll" "${args[@]}" --out "$tmp/a.f32" > /dev/null
    "$run" win64 "$root/dist/win64/tarn-host.exe" render "$root/dist/win64/$name.dll" "${args[@]}" --out "$tmp/b.f32" > /dev/null
    total=$((total + 1))
    if [ -s "$tmp/a.f32" ] && cmp -s "$tmp/a.f32" "$tmp/b.f32"; then
      echo "ok same samples: $name ${args[*]}"
    else
      echo "FAIL the builds differ: $name ${args[*]} ($(cmp "$tmp/a.f32" "$tmp/b.f32" 2>&1 | head -n 1))"
      failed=$((failed + 1))
    fi
  done < "$root/$dir/tests/render_cases.txt"
done < "$1"
echo "$((total - failed)) of $total renders agree bit for bit"
[ "$failed" -eq 0 ]
