#!/usr/bin/env bash
# Runs one libFuzzer target for a while on a working copy of its seed corpus, so that what it
# finds stays in the build: run_fuzz.sh TARGET CORPUS WORKDIR SECONDS. A crash leaves its input
# in WORKDIR/artifacts/ and fails.
set -uo pipefail
target=$1 corpus=$2 work=$3 seconds=${TARN_FUZZ_SECONDS:-$4}
mkdir -p "$work/corpus" "$work/artifacts"
cp -n "$corpus"/* "$work/corpus/" 2> /dev/null
"$target" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$work/artifacts/" \
  "$work/corpus" > "$work/log" 2>&1
code=$?
grep -E '^stat::number_of_executed_units|cov: ' "$work/log" | tail -n 2
[ "$code" -eq 0 ] || tail -n 30 "$work/log"
exit "$code"
