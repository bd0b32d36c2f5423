#!/usr/bin/env bash
# Redraws the README's pictures (docs/) and rewrites its list of modules and the modules' parts
# (the notes on playing the plug-ins, their pictures and measurements), from the modules' descriptions and
# manual.py files and the DLLs of the Windows build that runs here. Usage: docs.sh MODULES_TXT
# (./run docs).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
pics=$ROOT/build/docs
rm -rf "$pics"
bash "$ROOT/scripts/pictures.sh" "$pics" "$1"
python3 "$ROOT/scripts/manual.py" --readme "$ROOT/README.md" "$1" "$pics"
mkdir -p "$ROOT/docs"
# Every picture the rewritten README names that the modules drew.
for f in $(grep -oE 'docs/[A-Za-z0-9_]+\.png' "$ROOT/README.md" | sort -u); do
  if [ -f "$pics/${f#docs/}" ]; then cp "$pics/${f#docs/}" "$ROOT/$f"; fi
done
echo "docs: docs/*.png, and the list of modules and the modules' parts in README.md"
