#!/usr/bin/env bash
# The x86-64 build stands for the i686 product only if it computes the same samples: every
# module's render cases (<module>/tests/render_cases.txt) through both builds' tarn-host,
# compared byte for byte. Usage: builds_agree.sh MODULES_TXT (the build's list of modules).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
run=$root/cmake/windows-run.sh
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
source "$root/cmake/wine-env.sh"
source "$root/tests/win/render_cases.sh"
for arch in win32 win64; do
  why=$(why_not_run "$arch")
  [ -z "$why" ] || { echo "not run: $why"; exit 77; }
done

failed=0
total=0
both_builds() {
  "$run" win32 "$root/dist/tarn-host.exe" render "$root/dist/$name.dll" "$@" --out "$tmp/a.f32" > /dev/null
  "$run" win64 "$root/dist/win64/tarn-host.exe" render "$root/dist/win64/$name.dll" "$@" --out "$tmp/b.f32" > /dev/null
  total=$((total + 1))
  if [ -s "$tmp/a.f32" ] && cmp -s "$tmp/a.f32" "$tmp/b.f32"; then
    echo "ok same samples: $name $*"
  else
    echo "FAIL the builds differ: $name $* ($(cmp "$tmp/a.f32" "$tmp/b.f32" 2>&1 | head -n 1))"
    failed=$((failed + 1))
  fi
}
while read -r name dir <&6; do
  render_cases "$root/$dir/tests/render_cases.txt" "$tmp" both_builds
done 6< "$1"
echo "$((total - failed)) of $total renders agree bit for bit"
[ "$failed" -eq 0 ]
