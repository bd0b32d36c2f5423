#!/usr/bin/env bash
# A module without a fault passes the validator's checks that draw from the seed (the battery of
# floating-point environments with its random texts and menu walks, and the random menus after
# which the panel must hold no capture) for every seed: each module's DLL over 50 seeds at
# strictness 1, in the Windows build that runs here (the other computes alike, and the seeds take
# three minutes), each judged as its description says and again with nothing but the DLL, as a
# user without the description runs it. Usage: validate_seeds.sh ARCH
# MODULES_TXT DIST_DIR; TARN_HOST runs tarn-host of build ARCH.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/cmake/wine-env.sh"
arch=$1
modules=$2
dist=$3
default_windows_build
if [ "$TARN_WIN_ARCH" != "$arch" ]; then
  echo "not run: the seeds run in the $TARN_WIN_ARCH build, the one that runs here"
  exit 77
fi
read -r -a host <<< "$TARN_HOST"
code=0
"${host[@]}" --help > /dev/null 2>&1 || code=$?
[ "$code" -ne 77 ] || exit 77  # this build's programs cannot run here
seeds=50
checks='^(fpenv\..*|panel\.capture-after-menu)$'
failed=0
while read -r name folder; do
  for how in "with its description" "without a description"; do
    flags=()
    [ "$how" != "with its description" ] || flags=(--describe "$root/$folder/description.txt")
    for k in $(seq 0 $((seeds - 1))); do
      seed=$((k * 7919 + 1))  # spread over the seeds' range rather than one small corner of it
      out=$("${host[@]}" validate "$dist/$name.dll" "${flags[@]}" --strictness 1 --seed "$seed" --only "$checks" 2>&1)
      if grep -q "^FAIL" <<< "$out" || ! grep -q "^PASS" <<< "$out"; then
        echo "FAIL $name with seed $seed $how:"
        echo "$out"
        failed=$((failed + 1))
      fi
    done
    echo "ok $name: $seeds seeds $how"
  done
done < "$modules"
[ "$failed" -eq 0 ]
