#!/usr/bin/env bash
# The Windows packages of the plug-ins (x86-64), from what the x86-64 Windows build made in
# dist/plugins/windows/: dist/tarn-modules-VERSION-windows-x86_64.zip (every module's VST3 bundle
# and CLAP file, stripped, the manual, the licence, the install note with Windows line ends, and
# checksums) and the installer dist/tarn-modules-VERSION-windows-x86_64-setup.exe, built with
# NSIS from the same files (plugins/windows/installer.nsi).
# Usage: package_windows.sh MODULES_TXT VERSION WORK_DIR (which holds MANUAL-windows.html); prints
# the zip's path, then the installer's.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
modules=$1 version=$2 work=$3
plugins=$ROOT/dist/plugins/windows
name=tarn-modules-$version-windows-x86_64
stage=$work/$name
zip=$ROOT/dist/$name.zip
installer=$ROOT/dist/$name-setup.exe
rm -rf "$stage"
mkdir -p "$stage/clap"
while read -r module _; do
  binary=$module.vst3/Contents/x86_64-win/$module.vst3
  [ -f "$plugins/vst3/$binary" ] || continue  # a module without plug-ins
  mkdir -p "$(dirname "$stage/vst3/$binary")"
  x86_64-w64-mingw32-strip --strip-all -o "$stage/vst3/$binary" "$plugins/vst3/$binary"
  x86_64-w64-mingw32-strip --strip-all -o "$stage/clap/$module.clap" "$plugins/clap/$module.clap"
done < "$modules"
cp "$work/MANUAL-windows.html" "$stage/MANUAL.html"
cp "$ROOT/LICENSE" "$stage/"
python3 "$ROOT/scripts/manual.py" --install windows "$ROOT/plugins/windows/INSTALL.txt" "$work/INSTALL-windows.txt" "$modules"
sed 's/$/\r/' "$work/INSTALL-windows.txt" > "$stage/INSTALL.txt"
(cd "$stage" && find . -type f ! -name SHA256SUMS | sed 's|^\./||' | sort | xargs sha256sum > SHA256SUMS)
rm -f "$zip"
(cd "$stage" && zip -q -X -r "$zip" .)

# What the uninstaller removes (an NSIS include beside the stage): the staged plug-in files where
# the installer put them, then each folder of theirs, deepest first, and the formats' folders,
# each only if nothing else is in it.
list=$work/$name-uninstall.nsh
windows_path() { printf '%s' "$1" | tr / '\\'; }
{
  for format in vst3 clap; do
    common='$COMMONFILES64\'${format^^}
    (cd "$stage/$format" && find . -type f | sed 's|^\./||' | sort) | while read -r file; do
      echo "Delete \"$common\\$(windows_path "$file")\""
    done
    (cd "$stage/$format" && find . -mindepth 1 -type d | sed 's|^\./||' | sort -r) | while read -r folder; do
      echo "RMDir \"$common\\$(windows_path "$folder")\""
    done
    echo "RMDir \"$common\""
  done
} > "$list"
makensis -V2 -INPUTCHARSET UTF8 "-DVERSION=$version" "-DSTAGE=$stage" "-DUNINSTALL_LIST=$list" \
  "-DOUTFILE=$installer" "$ROOT/plugins/windows/installer.nsi" > "$work/makensis.log" ||
  { cat "$work/makensis.log" >&2; exit 1; }
echo "$zip"
echo "$installer"
