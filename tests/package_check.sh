#!/usr/bin/env bash
# Checks a release package: its files, their checksums, the i686 DLLs without debug information,
# the manual in headless Chromium, and that every picture the README names exists.
# Prints PASS or FAIL per check. Usage: package_check.sh dist/tarn-modules-VERSION-win32.zip
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
zip=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
check() {
  local name=$1
  shift
  local out
  if out=$("$@" 2>&1); then echo "PASS $name${out:+: ${out##*$'\n'}}"; else echo "FAIL $name: $out"; fi
}

files() {
  unzip -q "$zip" -d "$tmp/p" || return 1
  local list
  list=$(cd "$tmp/p" && find . -type f | sed 's|^\./||' | sort | tr '\n' ' ')
  [ "$list" = "LICENSE MANUAL.html SHA256SUMS TarnContour4.dll TarnLFO.dll " ] || { echo "files: $list"; return 1; }
  ls -l "$tmp/p" | awk 'NR > 1 {printf "%s %s, ", $9, $5}'
}
checksums() { (cd "$tmp/p" && sha256sum --quiet -c SHA256SUMS); }
product_dlls() {
  local dll
  for dll in TarnContour4 TarnLFO; do
    "$root/tests/win/check_dll.sh" win32 "$tmp/p/$dll.dll" > /dev/null || { "$root/tests/win/check_dll.sh" win32 "$tmp/p/$dll.dll"; return 1; }
    if i686-w64-mingw32-objdump -h "$tmp/p/$dll.dll" | grep -q "\.debug_"; then echo "$dll.dll carries debug sections"; return 1; fi
  done
  echo "PE32 i386, two exports, system imports, no debug sections"
}
manual_in_browser() {
  mkdir -p "$root/build/package"
  node "$root/tests/browser/check_manual.js" "$tmp/p/MANUAL.html" "$root/build/package/manual-first-screen.png"
}
readme_pictures() {
  local missing=() n=0 path
  for path in $(grep -oE '\(docs/[^)]+\)|src="docs/[^"]+"' "$root/README.md" | sed -E 's/^\(|^src="|\)$|"$//g'); do
    n=$((n + 1))
    [ -f "$root/$path" ] || missing+=("$path")
  done
  [ "$n" -gt 0 ] || { echo "the README names no picture"; return 1; }
  [ "${#missing[@]}" -eq 0 ] || { echo "missing: ${missing[*]}"; return 1; }
  echo "$n pictures"
}

check package.files files
check package.checksums checksums
check package.product-dlls product_dlls
check package.manual-in-browser manual_in_browser
check docs.readme-pictures readme_pictures
