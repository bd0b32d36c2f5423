#!/usr/bin/env bash
# Runs the validator on each deliberately faulty module of a Windows build and requires the
# check named in faults.txt to FAIL; the module without a fault must PASS every one of those
# checks. Usage: check_faults.sh FAULTY_DIR (the build's faulty DLLs); TARN_HOST runs tarn-host.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
dir=$1
read -r -a host <<< "$TARN_HOST"
code=0
"${host[@]}" --help > /dev/null 2>&1 || code=$?
[ "$code" -ne 77 ] || exit 77  # this build's programs cannot run here
# The machine of this build's DLLs, from their PE header: some faults are faults on one only.
pe=$(od -An -tu4 -j60 -N4 "$dir/Faulty_NONE.dll" | tr -d ' ')
case $(od -An -tx2 -j$((pe + 4)) -N2 "$dir/Faulty_NONE.dll" | tr -d ' ') in
  014c) build=win32 ;;
  *) build=win64 ;;
esac
checks=$(grep -E '^[A-Z_]+\|' "$root/tests/faulty/faults.txt" | cut -d'|' -f2 | grep -v '^-$' | sort -u)
only="^($(echo "$checks" | sed 's/\./\\./g' | paste -sd'|'))\$"
failed=0
while IFS='|' read -r fault check what onlyIn; do
  case "$fault" in ''|\#*) continue ;; esac
  if [ -n "$onlyIn" ] && [ "$onlyIn" != "$build" ]; then
    echo "ok $fault: a fault in the $onlyIn build only"
    continue
  fi
  out=$("${host[@]}" validate "$dir/Faulty_$fault.dll" --strictness 2 --seed 7 \
          --only "$([ "$check" = - ] && echo "$only" || echo "^${check//./\\.}\$")" 2> /dev/null)
  if [ "$check" = - ]; then
    if grep -q "^FAIL" <<< "$out" || [ "$(grep -c "^PASS" <<< "$out")" -ne "$(wc -l <<< "$checks")" ]; then
      echo "FAIL $fault: the module without a fault did not pass every check"; echo "$out"; failed=$((failed + 1))
    else
      echo "ok $fault: passes $(wc -l <<< "$checks") checks"
    fi
  elif grep -q "^FAIL $check:" <<< "$out"; then
    echo "ok $fault ($what): $(grep "^FAIL $check:" <<< "$out" | cut -c1-160)"
  else
    echo "FAIL $fault ($what): $check did not catch it"; echo "$out"; failed=$((failed + 1))
  fi
done < "$root/tests/faulty/faults.txt"
[ "$failed" -eq 0 ]
