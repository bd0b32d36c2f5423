#!/usr/bin/env bash
# The Windows installer as a user runs it silently, under 64-bit Wine in the x86-64 build's prefix:
# it must put every module's VST3 bundle and CLAP file into the common folders, its documents and
# uninstaller into Program Files\Tarn, and register the uninstaller; the test hosts built for
# Windows must load the installed plug-ins from there, and the installed copies render what the
# built ones do; the registered uninstaller, run silently, must then leave nothing behind (not
# the formats' folders either, where the installer made them).
#   windows_installer_check.sh INSTALLER.exe MODULES_TXT
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
installer=$1 modules=$2
source "$root/cmake/wine-env.sh"
run=("$root/cmake/windows-run.sh" win64)
hosts=$root/build/win64/tests
[ -f "$hosts/tarn-clap-host.exe" ] && [ -f "$hosts/tarn-vst3-host.exe" ] ||
  { echo "SKIP: the x86-64 Windows build's test hosts are not built (./run build)"; exit 77; }
drive=$(wine_prefix win64)/drive_c
common="$drive/Program Files/Common Files"
home="$drive/Program Files/Tarn"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\TarnModules'
names=$(awk '{print $1}' "$modules")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL $1"; failed=$((failed + 1)); }
# Waits until a condition holds, for 60 s at most; false when it never did.
wait_for() { for _ in $(seq 300); do "$@" && return 0; sleep 0.2; done; false; }

installed=()
for name in $names; do
  installed+=("$common/VST3/$name.vst3/Contents/x86_64-win/$name.vst3" "$common/CLAP/$name.clap")
done
installed+=("$home/uninstall.exe" "$home/MANUAL.html" "$home/LICENSE" "$home/INSTALL.txt")
registered() { "${run[@]}" reg query "$key" > /dev/null 2>&1; }
gone() { ! registered && [ ! -e "$home" ]; }

# A run that stopped half-way may have left an installation: start from none.
for name in $names; do rm -rf "$common/VST3/$name.vst3" "$common/CLAP/$name.clap"; done
rm -rf "$home"
"${run[@]}" reg delete "$key" /f > /dev/null 2>&1
formats_before=$(ls -d "$common/VST3" "$common/CLAP" 2> /dev/null)

"${run[@]}" "$installer" /S || fail "the installer exited $?"
for file in "${installed[@]}"; do [ -f "$file" ] || fail "not installed: ${file#"$drive"/}"; done
uninstall=$("${run[@]}" reg query "$key" /v QuietUninstallString 2> /dev/null | tr -d '\r' | sed -n 's/.*REG_SZ *//p')
[ "$uninstall" = '"C:\Program Files\Tarn\uninstall.exe" /S' ] || fail "registered to uninstall with: $uninstall"
shown=$("${run[@]}" reg query "$key" /v DisplayVersion 2> /dev/null | tr -d '\r' | sed -n 's/.*REG_SZ *//p')
[ "$shown" = "$(head -n 1 "$root/VERSION")" ] || fail "registered as version \"$shown\", not VERSION's"
[ "$failed" -eq 0 ] && echo "ok installed: ${#installed[@]} files, the uninstaller registered"

for name in $names; do
  for format in clap vst3; do
    path="C:\\Program Files\\Common Files\\${format^^}\\$name.$format"
    listing=$("${run[@]}" "$hosts/tarn-$format-host.exe" info "$path" 2>&1 | head -n 1)
    [[ "$listing" == "plug-in \""* ]] || { fail "the installed $path does not load: $listing"; continue; }
    built=$root/dist/plugins/windows/$format/$name.$format
    "${run[@]}" "$hosts/tarn-$format-host.exe" render "$path" --frames 4000 --out "$work/installed.f32" &&
      "${run[@]}" "$hosts/tarn-$format-host.exe" render "$built" --frames 4000 --out "$work/built.f32" &&
      cmp -s "$work/installed.f32" "$work/built.f32" ||
      fail "the installed $path does not render what the built one does"
  done
done
[ "$failed" -eq 0 ] && echo "ok every installed plug-in loads in the test hosts and renders as built"

# The uninstaller hands its work to a copy of itself and returns at once: what it leaves is
# judged once it is done, which is when the registration and its folder are gone.
"${run[@]}" "$home/uninstall.exe" /S || fail "the uninstaller exited $?"
wait_for gone || fail "the uninstaller did not finish within a minute"
for file in "${installed[@]}"; do [ ! -e "$file" ] || fail "left behind: ${file#"$drive"/}"; done
for name in $names; do [ ! -e "$common/VST3/$name.vst3" ] || fail "left behind: the folder $name.vst3"; done
[ "$(ls -d "$common/VST3" "$common/CLAP" 2> /dev/null)" = "$formats_before" ] ||
  fail "the formats' folders were $formats_before, now $(ls -d "$common/VST3" "$common/CLAP" 2> /dev/null)"
[ "$failed" -eq 0 ] && echo "ok uninstalled: nothing left, the registration gone"
[ "$failed" -eq 0 ]
