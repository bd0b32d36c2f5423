#!/usr/bin/env bash
# Every benchmark, each figure against a baseline of the same run: the native ones (Google
# Benchmark), each module's DLL under Wine on the Windows build that runs here, and the plug-in
# table: each module's process call through LV2, CLAP and VST3 in our test hosts (the call alone,
# its ports filled once), through the Windows CLAP and VST3 in the same hosts built for Windows
# under 64-bit Wine, and its DLL under Wine, read against its signal core alone, with Debian's
# LV2 oscillators (blop, x42, swh) timed in the same lilv host and DPF's own per-call work. The
# table's figures are the best of TARN_BENCH_ROUNDS rounds (default 2).
# Usage: bench.sh MODULES_TXT (./run bench sets TARN_WIN_ARCH and TARN_DIST).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
hosts=$ROOT/build/native/tests/plugins
plugins=$ROOT/dist/plugins
work=$ROOT/build/bench
mkdir -p "$work"
rm -f "$work"/*.json "$work/figures.txt"
for b in "$ROOT"/build/native/tarn_bench_* "$ROOT"/build/native/bench/tarn_bench_*; do [ -x "$b" ] && "$b" --benchmark_min_time=0.2; done
tree=$ROOT/build/win
[ "$TARN_WIN_ARCH" = win64 ] && tree=$ROOT/build/win64
windows_hosts=$ROOT/build/win64/tests

# Debian's oscillators, each a saw: URI, label, settings.
debian=("http://drobilla.net/plugins/blop/sawtooth|blop sawtooth (LV2)|--set Frequency=440"
        "http://gareus.org/oss/lv2/testsignal|x42 test signal, saw (LV2)|--set mode=9"
        "http://plugin.org.uk/swh-plugins/analogueOsc|swh analogue oscillator, saw (LV2)|--set wave=4 --set freq=440")

# One round of the table's figures: round K MODULES_TXT.
round() {
  local k=$1 name dir label settings uri b
  echo "== the DLLs of the $TARN_WIN_ARCH build under Wine (round $k)"
  while read -r name dir; do
    b=$tree/bench/tarn_bench_win_$dir.exe
    if [ -f "$b" ]; then "$ROOT/cmake/windows-run.sh" "$TARN_WIN_ARCH" "$b" "Z:${TARN_DIST//\//\\}" < /dev/null | tee -a "$work/figures.txt"; fi
  done < "$2"
  echo "== the plug-ins' process calls in our hosts (the Windows ones under 64-bit Wine), the cores alone, DPF's per-call work (round $k)"
  while read -r name dir; do
    # The module's name as its benchmarks print it, and the settings of every format.
    { read -r label; read -r -a settings; } < "$ROOT/$dir/bench/plugin_settings.txt"
    # LV2 in the modular form, whose inputs are buffers filled once, as the DLL's and the core's
    # are; the DAW form's are control ports.
    uri=$(python3 "$ROOT/cmake/module_description.py" uri "$ROOT/$dir/description.txt" cv)
    LV2_PATH=$plugins/lv2-cv "$hosts/tarn-lv2-host" bench "$uri" --label "$label" "${settings[@]}" < /dev/null >> "$work/figures.txt"
    for format in clap vst3; do
      "$hosts/tarn-$format-host" bench "$plugins/$format/$name.$format" --label "$label" "${settings[@]}" < /dev/null >> "$work/figures.txt"
      # The same plug-in built for Windows, in the same host built for Windows.
      "$ROOT/cmake/windows-run.sh" win64 "$windows_hosts/tarn-$format-host.exe" bench "$plugins/windows/$format/$name.$format" \
        --label "$label" "${settings[@]}" < /dev/null >> "$work/figures.txt" || echo "not run: $name's Windows $format (64-bit Wine)"
    done
    [ -x "$ROOT/build/native/tarn_bench_${dir}_core" ] && "$ROOT/build/native/tarn_bench_${dir}_core" \
      --benchmark_repetitions=3 --benchmark_min_time=0.1 --benchmark_format=json < /dev/null > "$work/core-$dir-$k.json"
  done < "$2"
  for entry in "${debian[@]}"; do
    IFS='|' read -r uri label settings <<< "$entry"
    read -r -a settings <<< "$settings"
    LV2_PATH=/usr/lib/lv2 "$hosts/tarn-lv2-host" bench "$uri" --label "$label" "${settings[@]}" < /dev/null >> "$work/figures.txt" ||
      echo "not run: $label (not installed: ./run setup)"
  done
  [ -x "$ROOT/build/native/bench/tarn_bench_dpf" ] && "$ROOT/build/native/bench/tarn_bench_dpf" \
    --benchmark_repetitions=3 --benchmark_min_time=0.1 --benchmark_format=json > "$work/dpf-$k.json"
  return 0
}
for k in $(seq "${TARN_BENCH_ROUNDS:-2}"); do round "$k" "$1"; done
echo "== the plug-in table (ns per process call, the best of every round)"
python3 "$ROOT/bench/plugin_table.py" "$work/figures.txt" "$work"/*.json
