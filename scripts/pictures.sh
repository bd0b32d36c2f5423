#!/usr/bin/env bash
# Draws and measures everything the manual and the README show, from renders of the real DLLs
# on the Windows build that runs here: each module's own pictures.sh, into one folder.
# Usage: pictures.sh OUTDIR MODULES_TXT [--sounds]   (TARN_HOST runs tarn-host, TARN_DIST holds
# the DLLs: ./run sets both, else the build that runs here)
#   OUTDIR/build.txt   which Windows build drew them
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$ROOT/cmake/wine-env.sh"
default_windows_build
OUT=$1
mkdir -p "$OUT"
if [ "$TARN_WIN_ARCH" = win64 ]; then
  echo "the x86-64 Windows build (under 64-bit Wine), which renders the same samples as the i686 DLLs" > "$OUT/build.txt"
else
  echo "the i686 DLLs (under 32-bit Wine)" > "$OUT/build.txt"
fi
while read -r name dir; do
  [ -x "$ROOT/$dir/pictures.sh" ] || continue
  TARN_DLL=$TARN_DIST/$name.dll bash "$ROOT/$dir/pictures.sh" "$OUT" ${3:+"$3"}
done < "$2"
