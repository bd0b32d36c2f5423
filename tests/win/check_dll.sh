#!/usr/bin/env bash
# Checks a module DLL as the host loads it: PE32 for i386, exactly the two exports by name,
# and imports from system DLLs only.
set -euo pipefail
dll=$1
dump=$(i686-w64-mingw32-objdump -p "$dll")
fail() { echo "FAIL $dll: $*"; exit 1; }

i686-w64-mingw32-objdump -f "$dll" | grep -q "file format pei-i386" || fail "not a PE32 i386 image"
grep -q "^Magic.*010b" <<< "$dump" || fail "optional header is not PE32"

exports=$(echo "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | grep -E "^\s+\[ *[0-9]+\] " | awk "{print \$NF}" | sort | tr '\n' ' ')
[ "$exports" = "getModuleProperties makeModule " ] || fail "exports are '$exports'"

imports=$(echo "$dump" | grep "DLL Name:" | awk '{print toupper($3)}' | sort -u | tr '\n' ' ')
for dllname in $imports; do
  case "$dllname" in
    KERNEL32.DLL|USER32.DLL|GDI32.DLL|MSVCRT.DLL) ;;
    *) fail "imports $dllname (all imports: $imports)" ;;
  esac
done
echo "ok $dll: exports $exports; imports $imports"
