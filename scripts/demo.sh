#!/usr/bin/env bash
# Renders, draws and sounds every module with its real DLL under Wine, into out/: each module's
# pictures with its sounds, in a folder of its own. Usage: demo.sh MODULES_TXT (./run demo).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
while read -r name dir; do
  [ -x "$ROOT/$dir/pictures.sh" ] || continue
  TARN_DLL=$TARN_DIST/$name.dll bash "$ROOT/$dir/pictures.sh" "$ROOT/out/$dir" --sounds
done < "$1"
echo "demo: out/"
