#!/usr/bin/env bash
# Redraws the README's pictures (docs/) and rewrites its measured-sound table, from the DLLs of
# the Windows build that runs here and the LV2 bundles. Usage: docs.sh MODULES_TXT (./run docs).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
pics=$ROOT/build/docs
rm -rf "$pics"
bash "$ROOT/scripts/pictures.sh" "$pics" "$1"
mkdir -p "$ROOT/docs"
# Every picture the README names that the modules drew.
for f in $(grep -oE 'docs/[A-Za-z0-9_]+\.png' "$ROOT/README.md" | sort -u); do
  if [ -f "$pics/${f#docs/}" ]; then cp "$pics/${f#docs/}" "$ROOT/$f"; fi
done
bash "$ROOT/plugins/port_list_picture.sh"
python3 "$ROOT/scripts/manual.py" --readme-table "$pics" "$ROOT/README.md"
echo "docs: docs/*.png and the table in README.md"
