#!/usr/bin/env bash
# The release packages, from what the builds made: dist/tarn-modules-VERSION-win32.zip (the i686
# DLLs without debug information, its manual with every picture drawn by the Windows build that
# runs here, the licence, checksums) and dist/tarn-modules-VERSION-linux-x86_64.tar.gz (the
# plug-ins, stripped, one folder per format, with its manual, the licence and an install note);
# and the x86-64 Windows plug-ins as dist/tarn-modules-VERSION-windows-x86_64.zip and an installer
# (package_windows.sh). Each package's MANUAL.html is its own (scripts/manual.py).
# Usage: package.sh MODULES_TXT (the build's list of modules). Writes their paths into
# build/package/packages.txt.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$ROOT/cmake/wine-env.sh"
default_windows_build
modules=$1
version=$(head -n 1 "$ROOT/VERSION")
work=$ROOT/build/package
# The packages are remade only when an input changed: the sources, what the builds made, the
# version and the Windows build that draws the pictures.
inputs=$(
  cd "$ROOT"
  { git ls-files -co --exclude-standard -z | xargs -0 sha1sum || true
    find dist -maxdepth 1 -type f \( -name '*.dll' -o -name '*.exe' \) -print0 | sort -z | xargs -0 -r sha1sum || true
    find dist/plugins -type f -print0 | sort -z | xargs -0 -r sha1sum || true
    echo "$version $TARN_WIN_ARCH"; } 2> /dev/null | sha1sum | cut -c1-40)
unchanged() {
  local package
  [ "$(cat "$work/inputs" 2> /dev/null)" = "$inputs" ] && [ -s "$work/packages.txt" ] || return 1
  while read -r package; do [ -f "$package" ] || return 1; done < "$work/packages.txt"
}
# Packages of another version or commit would be taken for these ones: only the packages of
# packages.txt stay in dist/ (none before a new packaging).
remove_stale() {
  local path
  for path in "$ROOT"/dist/tarn-modules-*; do
    [ -e "$path" ] || continue
    grep -qxF "$path" "$work/packages.txt" 2> /dev/null || rm -rf "$path"
  done
}
if unchanged; then
  remove_stale
  sed 's/^/package (unchanged): /' "$work/packages.txt"
  exit 0
fi
rm -rf "$work"
mkdir -p "$work"
remove_stale
bash "$ROOT/scripts/pictures.sh" "$work/pictures" "$modules"
python3 "$ROOT/scripts/manual.py" "$work/pictures" "$version" "$work" "$modules"

name=tarn-modules-$version-win32
stage=$work/$name
zip=$ROOT/dist/$name.zip
mkdir -p "$stage"
files=()
while read -r module _; do
  i686-w64-mingw32-strip --strip-all -o "$stage/$module.dll" "$ROOT/dist/$module.dll"
  files+=("$module.dll")
done < "$modules"
cp "$work/MANUAL-win32.html" "$stage/MANUAL.html"
cp "$ROOT/LICENSE" "$stage/"
files+=(MANUAL.html LICENSE)
(cd "$stage" && sha256sum "${files[@]}" > SHA256SUMS)
rm -f "$zip"
(cd "$stage" && zip -q -X "$zip" "${files[@]}" SHA256SUMS)

name=tarn-modules-$version-linux-x86_64
stage=$work/$name
tarball=$ROOT/dist/$name.tar.gz
mkdir -p "$stage"
cp -r "$ROOT/dist/plugins/"{lv2,lv2-cv,clap,vst3,jack} "$stage/"
find "$stage" -type f \( -name '*.so' -o -name '*.clap' -o -path '*/jack/*' \) -exec strip --strip-unneeded {} +
cp "$work/MANUAL-linux.html" "$stage/MANUAL.html"
cp "$ROOT/LICENSE" "$stage/"
python3 "$ROOT/scripts/manual.py" --install linux "$ROOT/plugins/INSTALL.txt" "$stage/INSTALL.txt" "$modules"
(cd "$stage" && find . -type f ! -name SHA256SUMS | sort | xargs sha256sum > SHA256SUMS)
tar -C "$work" --owner=0 --group=0 -czf "$tarball" "$name"
windows=$(bash "$ROOT/scripts/package_windows.sh" "$modules" "$version" "$work")
printf '%s\n%s\n%s\n' "$zip" "$tarball" "$windows" > "$work/packages.txt"
echo "$inputs" > "$work/inputs"
sed 's/^/package: /' "$work/packages.txt"
