#!/usr/bin/env bash
# No file under host/ includes a module's code, its own or what the build generates from its
# description: the host knows a module through its exports and, in the validator, through its
# description read as data at run time. Usage: no_module_includes.sh MODULES_TXT
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
found=0
while read -r _ folder; do
  if grep -rnE "^[[:space:]]*#[[:space:]]*include[[:space:]]*[\"<]$folder/" "$root/host"; then
    found=1
  fi
done < "$1"
if [ "$found" -ne 0 ]; then
  echo "FAIL: the host includes a module's files (above)"
  exit 1
fi
echo "ok: no file under host/ includes a file of $(awk '{print $2}' "$1" | paste -sd' ')"
