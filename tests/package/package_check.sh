#!/usr/bin/env bash
# One check of the release packages that scripts/package.sh wrote (their paths in
# build/package/packages.txt): package_check.sh CHECK MODULES_TXT, CHECK one of
#   files              the zip holds each module's DLL, the manual, the licence and checksums
#   checksums          sha256sum -c in both packages
#   product-dlls       the zip's DLLs: PE32 i386, two exports, system imports, no debug sections
#   linux-tarball      one folder per plug-in format holding every module, the install note
#   manual-in-browser  each package's manual in headless Chromium: every image loaded and captioned,
#                      every link of its contents reaching its heading, no console error
#   versions           every version a user can see is VERSION's (versions.py)
#   readme-pictures    every picture the README names exists
#   windows-zip        the Windows zip: every module's VST3 bundle and CLAP file (PE32+ x86-64, the
#                      format's entry points, system imports, no debug sections), the documents
#   windows-installer  the installer run silently under Wine (windows_installer_check.sh)
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
check=$1 modules=$2
list=$root/build/package/packages.txt
[ -f "$list" ] || { echo "no packages: build/package/packages.txt is missing"; exit 1; }
zip=$(sed -n 1p "$list") tarball=$(sed -n 2p "$list") windows_zip=$(sed -n 3p "$list") installer=$(sed -n 4p "$list")
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
unzip -q "$zip" -d "$tmp/zip" || exit 1
tar -C "$tmp" -xzf "$tarball" || exit 1
linux=$(find "$tmp" -maxdepth 1 -type d -name '*linux*' | head -n 1)
names=$(awk '{print $1}' "$modules")

case "$check" in
  files)
    want=$(printf '%s.dll\n' $names; printf '%s\n' LICENSE MANUAL.html SHA256SUMS)
    got=$(cd "$tmp/zip" && find . -type f | sed 's|^\./||')
    [ "$(sort <<< "$want")" = "$(sort <<< "$got")" ] || { echo "files: $got"; exit 1; }
    ls -l "$tmp/zip" | awk 'NR > 1 {printf "%s %s, ", $9, $5}' ;;
  checksums)
    (cd "$tmp/zip" && sha256sum --quiet -c SHA256SUMS) && (cd "$linux" && sha256sum --quiet -c SHA256SUMS) ;;
  product-dlls)
    for name in $names; do
      "$root/tests/win/check_dll.sh" win32 "$tmp/zip/$name.dll" || exit 1
      if i686-w64-mingw32-objdump -h "$tmp/zip/$name.dll" | grep -q "\.debug_"; then echo "$name.dll carries debug sections"; exit 1; fi
    done
    echo "PE32 i386, two exports, system imports, no debug sections" ;;
  linux-tarball)
    for name in $names; do
      for file in "lv2/$name.lv2/manifest.ttl" "lv2-cv/${name}CV.lv2/manifest.ttl" "clap/$name.clap" "vst3/$name.vst3" "jack/$name"; do
        [ -e "$linux/$file" ] || { echo "missing: $file"; exit 1; }
      done
    done
    for file in INSTALL.txt MANUAL.html LICENSE; do [ -f "$linux/$file" ] || { echo "missing: $file"; exit 1; }; done
    echo "lv2 (both forms), clap, vst3 and jack for $(wc -w <<< "$names") modules, with the manual and the install note" ;;
  manual-in-browser)
    unzip -q "$windows_zip" -d "$tmp/windows" || exit 1
    for package in zip:win32 "$(basename "$linux"):linux" windows:windows; do
      node "$root/tests/browser/check_manual.js" "$tmp/${package%%:*}/MANUAL.html" \
        "$root/build/package/manual-first-screen-${package##*:}.png" || exit 1
    done ;;
  versions)
    unzip -q "$windows_zip" -d "$tmp/windows" || exit 1
    python3 "$root/tests/package/versions.py" "$root" "$list" "$linux" "$tmp/zip" "$tmp/windows" ;;
  readme-pictures)
    n=0 missing=()
    for path in $(grep -oE '\(docs/[^)]+\)|src="docs/[^"]+"' "$root/README.md" | sed -E 's/^\(|^src="|\)$|"$//g'); do
      n=$((n + 1))
      [ -f "$root/$path" ] || missing+=("$path")
    done
    [ "$n" -gt 0 ] || { echo "the README names no picture"; exit 1; }
    [ "${#missing[@]}" -eq 0 ] || { echo "missing: ${missing[*]}"; exit 1; }
    echo "$n pictures" ;;
  windows-zip)
    unzip -q "$windows_zip" -d "$tmp/windows" || exit 1
    for name in $names; do
      "$root/tests/win/check_dll.sh" win64 "$tmp/windows/vst3/$name.vst3/Contents/x86_64-win/$name.vst3" InitDll ExitDll GetPluginFactory &&
        "$root/tests/win/check_dll.sh" win64 "$tmp/windows/clap/$name.clap" clap_entry || exit 1
    done
    if find "$tmp/windows" -type f \( -name '*.clap' -o -name '*.vst3' \) -exec x86_64-w64-mingw32-objdump -h {} \; | grep -q "\.debug_"; then
      echo "a plug-in carries debug sections"; exit 1
    fi
    for file in INSTALL.txt MANUAL.html LICENSE; do [ -f "$tmp/windows/$file" ] || { echo "missing: $file"; exit 1; }; done
    (cd "$tmp/windows" && sha256sum --quiet -c SHA256SUMS) || exit 1
    echo "VST3 and CLAP for $(wc -w <<< "$names") modules, PE32+ x86-64, the formats' entry points, with the manual and the install note" ;;
  windows-installer)
    "$root/tests/package/windows_installer_check.sh" "$installer" "$modules" ;;
  *) echo "unknown check $check"; exit 2 ;;
esac
