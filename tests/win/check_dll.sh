#!/usr/bin/env bash
# Checks a module DLL as the host loads it: the image format of its build (PE32 i386 for win32,
# the product; PE32+ x86-64 for win64), exactly the two exports by name, and imports from system
# DLLs only. Usage: check_dll.sh win32|win64 FILE.dll [EXPORT...]
# With EXPORTs (a plug-in's binary), exactly those exports instead of the module's two.
set -euo pipefail
arch=$1
dll=$2
shift 2
wanted=(getModuleProperties makeModule)
[ $# -eq 0 ] || wanted=("$@")
expected=$(printf '%s\n' "${wanted[@]}" | sort | tr '\n' ' ')
case "$arch" in
  win32) objdump=i686-w64-mingw32-objdump format=pei-i386 magic=010b ;;
  win64) objdump=x86_64-w64-mingw32-objdump format=pei-x86-64 magic=020b ;;
  *) echo "usage: check_dll.sh win32|win64 FILE.dll" >&2; exit 2 ;;
esac
fail() { echo "FAIL $dll: $*"; exit 1; }
dump=$($objdump -p "$dll" 2>&1) || fail "not a $format image"

$objdump -f "$dll" | grep -q "file format $format" || fail "not a $format image"
grep -q "^Magic.*$magic" <<< "$dump" || fail "optional header magic is not $magic"

exports=$(echo "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | grep -E "^\s+\[ *[0-9]+\] " | awk "{print \$NF}" | sort | tr '\n' ' ')
[ "$exports" = "$expected" ] || fail "exports are '$exports', not '$expected'"

imports=$(echo "$dump" | grep "DLL Name:" | awk '{print toupper($3)}' | sort -u | tr '\n' ' ')
for dllname in $imports; do
  case "$dllname" in
    KERNEL32.DLL|USER32.DLL|GDI32.DLL|MSVCRT.DLL) ;;
    *) fail "imports $dllname (all imports: $imports)" ;;
  esac
done
echo "ok $dll: exports $exports; imports $imports"
