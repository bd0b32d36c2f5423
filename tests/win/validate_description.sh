#!/usr/bin/env bash
# The validator judges a module by what its description says, read at run time: Contour4's gated
# "Level" and the form of its panel's write-back come from contour4/description.txt (one that says
# 24 nodes fails the module's write-back); a random menu walk that picks its menu's "Random"
# (seed 5 does), which draws from the C library's generator, passes the comparison of the
# floating-point environments with the description or without; without a description a module
# gets the checks every module gets, and a description of another module or with a fault
# stops the run, naming its file and line (exit 2). Usage: validate_description.sh DIST_DIR;
# TARN_HOST runs tarn-host.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
dist=$1
read -r -a host <<< "$TARN_HOST"
code=0
"${host[@]}" --help > /dev/null 2>&1 || code=$?
[ "$code" -ne 77 ] || exit 77  # this build's programs cannot run here
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
contour4=$root/contour4/description.txt
failed=0

# expect WHAT EXIT PATTERN MODULE [ARGS...]: the run (at strictness 1, seed 7 unless ARGS say
# otherwise) exits EXIT and its output (both streams) holds a line matching PATTERN.
expect() {
  local what=$1 exit=$2 pattern=$3 out code=0
  shift 3
  out=$("${host[@]}" validate "$dist/$1.dll" --strictness 1 --seed 7 "${@:2}" 2>&1) || code=$?
  if [ "$code" -eq "$exit" ] && grep -qE "$pattern" <<< "$out"; then
    echo "ok $what: $(grep -E "$pattern" <<< "$out" | head -n 1 | cut -c1-160)"
  else
    echo "FAIL $what: exit $code, wanted $exit and a line matching $pattern"
    echo "$out"
    failed=$((failed + 1))
  fi
}

expect "Contour4's gate" 0 '^PASS inputs\.Level\.crossing-the-gate$' TarnContour4 \
  --describe "$contour4" --only '^inputs\.Level\.crossing-the-gate$'
expect "Contour4's write-back" 0 '^PASS panel\.write-back$' TarnContour4 --describe "$contour4" --only '^panel\.write-back$'
expect "Contour4 without its description" 0 '^SKIP panel\.write-back' TarnContour4 --only '^panel\.write-back$'

sed 's/^nodes = 25$/nodes = 24/' "$contour4" > "$tmp/24-nodes.txt"
expect "a description of 24 nodes" 1 '^FAIL panel\.write-back: .*: 25 nodes' TarnContour4 \
  --describe "$tmp/24-nodes.txt" --only '^panel\.write-back$'
expect "Contour4's \"Random\"" 0 '^PASS fpenv\.round-down$' TarnContour4 --describe "$contour4" --seed 5 \
  --only '^fpenv\.round-down$'
expect "Contour4's \"Random\" without its description" 0 '^PASS fpenv\.round-down$' TarnContour4 --seed 5 \
  --only '^fpenv\.round-down$'

expect "another module's description" 2 "^tarn-host: $contour4:[0-9]+: .*\"Tarn Contour4\".*\"Tarn LFO\"" TarnLFO --describe "$contour4"
sed 's/^node = (x,y)$/node (x,y)/' "$contour4" > "$tmp/malformed.txt"
line=$(grep -n '^node (x,y)$' "$tmp/malformed.txt" | cut -d: -f1)
expect "a malformed description" 2 "^tarn-host: $tmp/malformed.txt:$line: expected \"key = value\"" TarnContour4 \
  --describe "$tmp/malformed.txt"
[ "$failed" -eq 0 ]
