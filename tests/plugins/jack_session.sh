# Sourced by the JACK checks (each module's, and the panel in hosts): a JACK server on its dummy
# driver, programs started on it, and `check NAME PORT RENDER-ARGS...`: tarn-jack-record (beside
# the lilv host) records the port with the server freewheeling, so that no frame is lost however
# busy the machine, and the recording must equal an offline render of the same input by our lilv
# host. Every wait is for a condition, with a time limit. Expects plugins, lv2_host, work set;
# counts failed.
here_lib=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
recorder=$(dirname "$lv2_host")/tarn-jack-record
for tool in jackd jalv jack_midiseq jack_connect jack_lsp python3; do
  command -v "$tool" > /dev/null || { echo "SKIP: $tool is not installed (./run setup)"; exit 77; }
done
[ -x "$recorder" ] || { echo "SKIP: $recorder is not built (the JACK headers are missing)"; exit 77; }
# A condition's time limit in tenths of a second: long, for a machine whose cores are all busy.
patience=600
mkdir -p "$work"
rate=48000
period=256
seconds=2
# The offline render's length, and the note loop's: the programs run in real time from their
# start until the recording, which a busy machine may put off.
span=120
export LV2_PATH=$plugins/lv2
# One name for every run of a checkout: JACK keeps a table of a few servers, and a name reused
# takes the place of a server of that name that is gone, where a new name each run would fill the
# table. Two checkouts tested at once must not share a server.
export JACK_DEFAULT_SERVER=tarn-check-$(cd "$plugins" && pwd | cksum | cut -d' ' -f1)
started=()
cleanup() {
  local i
  # The programs first, then the server: a client whose server went first waits for it.
  for ((i = ${#started[@]} - 1; i >= 0; i--)); do
    kill "${started[i]}" 2> /dev/null
    wait "${started[i]}" 2> /dev/null
  done
  exec 3>&- 2> /dev/null
  rm -f "$work/stdin"
}
trap cleanup EXIT

jackd -n "$JACK_DEFAULT_SERVER" --no-realtime -d dummy -r $rate -p $period > "$work/jackd.log" 2>&1 &
started+=($!)
for _ in $(seq $patience); do jack_lsp > /dev/null 2>&1 && break; sleep 0.1; done
jack_lsp > /dev/null 2>&1 || { echo "FAIL the JACK server did not start"; cat "$work/jackd.log"; exit 1; }

# jalv reads commands from its input: one that stays open and says nothing.
rm -f "$work/stdin"
mkfifo "$work/stdin"
exec 3<> "$work/stdin"

# Waits until a JACK port shows; says so and fails when it does not.
wait_port() {
  for _ in $(seq $patience); do jack_lsp | grep -qxF "$1" && return 0; sleep 0.1; done
  echo "FAIL $1 did not appear"
  return 1
}

# Starts a program and waits until its JACK port shows.
start() {
  local port=$1
  shift
  "$@" <&3 > "$work/program-$BASHPID.log" 2>&1 &
  started+=($!)
  wait_port "$port"
}

# jack_midiseq playing note 69 on and off each second into a MIDI port; its pid in seq_pid, and
# the same notes over the span as render arguments in notes.
note_loop() {
  local k
  start "seq:out" jack_midiseq seq $rate 0 69 $((rate / 2)) || return 1
  seq_pid=${started[-1]}
  jack_connect seq:out "$1" || return 1
  notes=()
  for k in $(seq 0 $((span - 1))); do notes+=(--note $((k * rate)):69:100 --note $((k * rate + rate / 2)):69:0); done
}

failed=0
# Records a port while it runs, renders offline (render arguments after the port), compares.
check() {
  local name=$1 port=$2
  shift 2
  local recording=$work/$name.recorded.f32 render=$work/$name.f32
  "$recorder" "$port" $((rate * seconds)) "$recording" || { echo "FAIL $name: no recording"; failed=$((failed + 1)); return; }
  "$lv2_host" render "$@" --rate $rate --block $period --frames $((rate * span)) --out "$render" || { failed=$((failed + 1)); return; }
  if python3 "$here_lib/match_recording.py" "$recording" "$render"; then echo "ok $name"; else echo "FAIL $name"; failed=$((failed + 1)); fi
}

