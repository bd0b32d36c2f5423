#!/usr/bin/env bash
# The plug-ins in real time under a JACK server on its dummy driver: jalv runs each LV2
# plug-in, and the JACK programs run themselves; jack_rec records the output, which must equal
# an offline render of the same input by our lilv host. Tarn Contour4 under jalv plays a loop
# of notes from jack_midiseq (its CV inputs left at 0 V); the others run on their settings.
#   check_jack.sh PLUGIN_DIR LV2_HOST WORK_DIR      (exits 77 when a JACK tool is missing)
set -uo pipefail
plugins=$1
lv2_host=$2
work=$3
here=$(cd "$(dirname "$0")" && pwd)
for tool in jackd jalv jack_rec jack_midiseq jack_connect jack_lsp python3; do
  command -v "$tool" > /dev/null || { echo "SKIP: $tool is not installed (./run setup)"; exit 77; }
done
mkdir -p "$work"
rate=48000
period=256
seconds=2
export LV2_PATH=$plugins/lv2
export JACK_DEFAULT_SERVER=tarn-check-$$
started=()
cleanup() {
  local pid
  for pid in "${started[@]}"; do kill "$pid" 2> /dev/null; done
  for pid in "${started[@]}"; do wait "$pid" 2> /dev/null; done
  exec 3>&- 2> /dev/null
  rm -f "$work/stdin"
}
trap cleanup EXIT

jackd -n "$JACK_DEFAULT_SERVER" --no-realtime -d dummy -r $rate -p $period > "$work/jackd.log" 2>&1 &
started+=($!)
for _ in $(seq 100); do jack_lsp > /dev/null 2>&1 && break; sleep 0.1; done
jack_lsp > /dev/null 2>&1 || { echo "FAIL the JACK server did not start"; cat "$work/jackd.log"; exit 1; }

# jalv reads commands from its input: one that stays open and says nothing.
rm -f "$work/stdin"
mkfifo "$work/stdin"
exec 3<> "$work/stdin"

# Starts a program and waits until its JACK port shows.
start() {
  local port=$1
  shift
  "$@" <&3 > "$work/program-$BASHPID.log" 2>&1 &
  started+=($!)
  for _ in $(seq 100); do jack_lsp | grep -qxF "$port" && return 0; sleep 0.1; done
  echo "FAIL $port did not appear"
  return 1
}

failed=0
# Records a port while it runs, renders offline (render arguments after the port), compares.
check() {
  local name=$1 port=$2
  shift 2
  local recording=$work/$name.wav render=$work/$name.f32
  rm -f "$recording"
  jack_rec -f "$recording" -d $seconds -b 32 "$port" > /dev/null 2>&1
  "$lv2_host" render "$@" --rate $rate --block $period --frames $((rate * 30)) --out "$render" || { failed=$((failed + 1)); return; }
  if python3 "$here/match_recording.py" "$recording" "$render"; then echo "ok $name"; else echo "FAIL $name"; failed=$((failed + 1)); fi
}

notes=()
for k in $(seq 0 29); do notes+=(--note $((k * rate)):69:100 --note $((k * rate + rate / 2)):69:0); done

if start "lfo:lv2_output" jalv -x -n lfo -c speed=9 -c wave=7 urn:tarn:lfo; then
  check "jalv Tarn LFO, Slow Rand at 9 V" lfo:lv2_output urn:tarn:lfo --set speed=9 --set wave=7
else failed=$((failed + 1)); fi

if start "c4:lv2_output" jalv -x -n c4 urn:tarn:contour4 &&
   start "seq:out" jack_midiseq seq $rate 0 69 $((rate / 2)) && jack_connect seq:out c4:lv2_events_in; then
  check "jalv Tarn Contour4, note 69 on and off each second" c4:lv2_output urn:tarn:contour4 \
    --set Pitch=0 --set Sync=0 --set Level=0 "${notes[@]}"
else failed=$((failed + 1)); fi

if start "Tarn LFO:output" "$plugins/jack/TarnLFO"; then
  check "the JACK program Tarn LFO at its defaults" "Tarn LFO:output" urn:tarn:lfo
else failed=$((failed + 1)); fi

# The JACK program starts on its first program, "Sine".
if start "Tarn Contour4:output" "$plugins/jack/TarnContour4"; then
  check "the JACK program Tarn Contour4 at its defaults" "Tarn Contour4:output" urn:tarn:contour4 --preset Sine \
    --set Pitch=5 --set Sync=0 --set Level=8
else failed=$((failed + 1)); fi

echo "jack: $failed failed"
[ "$failed" -eq 0 ]
