#!/usr/bin/env bash
# Every benchmark, each figure against a baseline of the same run: the native ones (Google
# Benchmark), each module's DLL under Wine on the Windows build that runs here, and the LV2
# plug-ins in our lilv host against an oscillator Debian ships (blop-lv2).
# Usage: bench.sh MODULES_TXT (./run bench sets TARN_WIN_ARCH and TARN_DIST).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
for b in "$ROOT"/build/native/tarn_bench_* "$ROOT"/build/native/bench/tarn_bench_*; do [ -x "$b" ] && "$b" --benchmark_min_time=0.2; done
tree=$ROOT/build/win
[ "$TARN_WIN_ARCH" = win64 ] && tree=$ROOT/build/win64
echo "== the DLLs of the $TARN_WIN_ARCH build under Wine"
plugins=(--plugin http://drobilla.net/plugins/blop/sawtooth --set Frequency=440)
while read -r name dir; do
  b=$tree/bench/tarn_bench_win_$dir.exe
  if [ -f "$b" ]; then "$ROOT/cmake/windows-run.sh" "$TARN_WIN_ARCH" "$b" "Z:${TARN_DIST//\//\\}"; fi
  plugins+=(--plugin "urn:tarn:$dir")
  if [ -f "$ROOT/$dir/bench/lv2_settings.txt" ]; then read -r -a settings < "$ROOT/$dir/bench/lv2_settings.txt"; plugins+=("${settings[@]}"); fi
done < "$1"
echo "== the LV2 plug-ins in our lilv host"
LV2_PATH="$ROOT/dist/plugins/lv2:/usr/lib/lv2" "$ROOT/build/native/tests/plugins/tarn-lv2-host" bench --block 64 \
  --blocks 200000 "${plugins[@]}"
