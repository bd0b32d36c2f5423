#!/usr/bin/env bash
# Tarn Contour4's window in hosts no one here wrote, driven as a person would with xdotool:
# jalv.gtk3 embeds the LV2 plug-in's X11 window under its own File and Presets menus, with a JACK
# server on its dummy driver, and the JACK program shows the same window on its own. Each
# screenshot of the panel is compared with the reference host's picture of the DLL's panel after
# the same events (compare_panel.py states the tolerance); a drag, a command picked from the drawn
# menu with the mouse and one picked with the keys must leave the plug-in's state, as jalv saves
# it, at the text that `tarn-host panel` prints for the same events; a preset picked from jalv's
# own menu must show on the panel; the saved session, reopened, must show the same curve and
# play, through JACK, the samples of an offline render of that text. The JACK program's drag
# changes what it plays the same way. Each step waits for what it needs (a window shown, a
# picture, a saved state) with a time limit, never for a fixed time: the window takes the pointer
# and keys in the order sent, whatever the machine's load.
#   check_panel_hosts.sh PLUGIN_DIR LV2_HOST PANEL_RENDER WORK_DIR
# Exits 77 when a tool is missing or the DLL (for the reference pictures) is not built.
set -uo pipefail
plugins=$(cd "$1" && pwd)
lv2_host=$2
panel_render=$3
work=$4
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
skip() { echo "SKIP: $1"; exit 77; }
for tool in Xvfb jackd jalv.gtk3 jack_rec jack_midiseq jack_connect jack_lsp xdotool xwininfo import convert identify stdbuf; do
  command -v "$tool" > /dev/null || skip "$tool is not installed (./run setup)"
done
/usr/bin/python3 -c 'import numpy' 2> /dev/null || skip "python3-numpy is not installed"
# The reference pictures come from the DLL of the Windows build that runs here.
source "$root/cmake/wine-env.sh"
default_windows_build
dist=$TARN_DIST
[ -f "$dist/TarnContour4.dll" ] || skip "the DLL is not built (./run build): no reference pictures"
read -r -a reference_host <<< "$TARN_HOST"
rm -rf "$work"
# The JACK server on its dummy driver, the programs' input, and their end (programs first).
source "$root/tests/plugins/jack_session.sh"
export NO_AT_BRIDGE=1
fail() { echo "FAIL $1"; failed=$((failed + 1)); }
ok() { echo "ok $1"; }

# The DLL's panel after some events under the reference host: the picture, and the text it prints.
reference() {
  local name=$1
  shift
  "${reference_host[@]}" panel "$dist/TarnContour4.dll" "$@" --png "$work/ref-$name.png" 2> "$work/ref-$name.log" |
    sed -n 's/^shape: //p' > "$work/ref-$name.txt"
  [ -s "$work/ref-$name.txt" ] || { cat "$work/ref-$name.log"; fail "the reference host's panel for $name"; }
}
drag_events=(--press 128,50 --move 128,35 --move 128,20 --release)
reference default
reference drag "${drag_events[@]}"
reference menus "${drag_events[@]}" --menu "Various/DNA" --menu "Saw/Analog Saw 2"
# A text read back holds one decimal where the panel that wrote it held more: a reopened session,
# and the JACK program on its first program, show the text as read.
reference menus-reopened --shape "$(cat "$work/ref-menus.txt")"
reference sine --menu Sine
reference sine-shown --shape "$(cat "$work/ref-sine.txt")"
reference sine-drag --shape "$(cat "$work/ref-sine.txt")" "${drag_events[@]}"

# A display of our own, unless the caller has one.
if [ -z "${DISPLAY:-}" ]; then
  start_xvfb 200 260 1024x768x24 || skip "no display, and Xvfb found no free display number"
  started+=("$xvfb_pid")
  export DISPLAY=$xvfb_display
fi
# Starts a program; its pid in $last.
launch() {
  local log=$1
  shift
  "$@" <&3 > "$work/$log.log" 2>&1 &
  last=$!
  started+=($last)
}
stop() { kill "$1" 2> /dev/null; wait "$1" 2> /dev/null; }
# Stops a host and waits until its panel has left the screen, so that the next host's panel is
# the only one found.
stop_host() {
  stop "$1"
  for _ in $(seq $patience); do
    xwininfo -root -tree 2> /dev/null | grep -qF '("DISTRHO-Tarn Contour4"' || return 0
    sleep 0.1
  done
}

# The panel's top-left corner on the screen ("X Y"), once its window shows.
panel_corner() {
  local line
  for _ in $(seq $patience); do
    line=$(xwininfo -root -tree 2> /dev/null | grep -F '("DISTRHO-Tarn Contour4"' | grep -F ' 256x100+' | head -n 1)
    if [ -n "$line" ]; then
      sed -E 's/.* \+(-?[0-9]+)\+(-?[0-9]+) *$/\1 \2/' <<< "$line"
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# Compares screenshots of the panel with a picture until one matches, within the time limit: a
# host hands a window its state when it has it, lays its own window out again as it fills, and a
# loaded machine takes longer. The panel's corner is read again before each screenshot.
looks_like() {
  local what=$1 picture=$2 _
  for _ in $(seq $((patience / 5))); do
    read -r px py < <(panel_corner)
    import -window root "$work/shot-$what.png"
    if /usr/bin/python3 "$here/compare_panel.py" "$picture" "$work/shot-$what.png" "$px,$py" > "$work/compare.log"; then
      cat "$work/compare.log"
      ok "$what looks like the reference"
      return
    fi
    sleep 0.5
  done
  cat "$work/compare.log"
  fail "$what looks like the reference"
}

drag() {
  xdotool mousemove $((px + 128)) $((py + 50)) mousedown 1 mousemove $((px + 128)) $((py + 35)) \
    mousemove $((px + 128)) $((py + 20)) mouseup 1
}

# Opens the drawn menu with a click at (5, 5) of the panel.
open_menu() { xdotool mousemove $((px + 5)) $((py + 5)) click 1; }

pick_with_mouse() {
  local point x y
  open_menu
  for point in $("$panel_render" --menu-points "$1"); do
    x=${point%,*}
    y=${point#*,}
    xdotool mousemove $((px + x)) $((py + y))
  done
  xdotool click 1
}

# The visible windows of jalv, one id a line.
jalv_windows() { xdotool search --onlyvisible --class jalv.gtk3 2> /dev/null | sort; }

# Waits until jalv shows a window that was not among those given (a menu opening).
wait_new_window() {
  for _ in $(seq $patience); do
    comm -13 <(echo "$1") <(jalv_windows) | grep -q . && return 0
    sleep 0.1
  done
  return 1
}

# jalv's File > Save As, by its shortcut, into a folder, once its dialog shows (it covers the
# screen, so the pointer's focus puts the keys there); prints the saved shape text once the file
# holds it.
save_session() {
  local dir=$1 text=""
  rm -rf "$dir"
  xdotool mousemove $((px + 100)) $((py - 12)) key ctrl+s
  for _ in $(seq $patience); do xdotool search --onlyvisible --name "Save State" > /dev/null 2>&1 && break; sleep 0.1; done
  xdotool type --delay 10 "$dir"
  for _ in 1 2 3; do
    xdotool key Return
    for _ in $(seq $((patience / 3))); do
      text=$(sed -n 's/.*<urn:distrho:shape> "\(.*\)"$/\1/p' "$dir/state.ttl" 2> /dev/null)
      [ -n "$text" ] && break 2
      sleep 0.1
    done
  done
  printf '%s\n' "$text"
}

# Saves jalv's session until its shape is the text wanted, within the time limit: the window's
# write reaches the signal side through jalv's next cycles.
saves_text() {
  local what=$1 dir=$2 want=$3 got="" _
  for _ in 1 2 3 4 5; do
    got=$(save_session "$dir")
    [ "$got" = "$want" ] && break
  done
  if [ -n "$got" ] && [ "$got" = "$want" ]; then ok "$what"; else fail "$what: got \"$got\", want \"$want\""; fi
}

# 1. jalv.gtk3 with the LV2 plug-in's window: a new instance shows the default shape.
launch jalv stdbuf -oL jalv.gtk3 -x --jack-name c4 urn:tarn:contour4
jalv=$last
if read -r px py < <(panel_corner); then
  looks_like "jalv, a new instance" "$work/ref-default.png"
  drag
  looks_like "jalv, after a drag" "$work/ref-drag.png"
  saves_text "jalv saves the dragged shape" "$work/session-drag" "$(cat "$work/ref-drag.txt")"
  pick_with_mouse "Various/DNA"
  open_menu
  xdotool key Down Down Down Right Down Down Return
  looks_like "jalv, after DNA by mouse and Analog Saw 2 by keys" "$work/ref-menus.png"
  saves_text "jalv saves the menus' shape" "$work/session-menus" "$(cat "$work/ref-menus.txt")"
  # A preset from jalv's own menu (the first under Save and Delete): the panel shows its text.
  # Each key waits for the menu it opens, which takes the keys from then on.
  windows=$(jalv_windows)
  xdotool mousemove $((px + 60)) $((py - 12)) key F10
  wait_new_window "$windows" || fail "jalv's File menu did not open"
  windows=$(jalv_windows)
  xdotool key Right
  wait_new_window "$windows" || fail "jalv's Presets menu did not open"
  xdotool key Down Down Down Return
  # jalv hands the preset's state to the plug-in in its own time: a save may come first.
  for _ in 1 2 3 4 5; do
    preset=$(save_session "$work/session-preset")
    [ "$preset" != "$(cat "$work/ref-menus.txt")" ] && break
  done
  "$panel_render" --shape "$preset" --png "$work/preset.png" > /dev/null
  looks_like "jalv, after a preset from its own menu" "$work/preset.png"
  [ "$preset" != "$(cat "$work/ref-menus.txt")" ] || fail "jalv's preset changed the state"
else
  fail "jalv showed no panel"; cat "$work/jalv.log"
fi
stop_host "$jalv"

# 2. The saved session reopened: the same curve, and the samples of its text (its Pitch and Level
# set to 0 V in the session, so that it sounds from the first note on).
sed -z -i -E 's/("(pitch|level)" ;\s*pset:value )[0-9.]+/\10.0/g' "$work/session-menus/state.ttl"
launch jalv-reopened jalv.gtk3 -x --jack-name c4 -l "$work/session-menus" urn:tarn:contour4
jalv=$last
if read -r px py < <(panel_corner) && wait_port c4:lv2_output; then
  looks_like "jalv, the session reopened" "$work/ref-menus-reopened.png"
  note_loop c4:lv2_events_in || fail "the note loop into the reopened session"
  check "jalv, the session reopened, plays the render" c4:lv2_output urn:tarn:contour4 --shape "$(cat "$work/ref-menus.txt")" \
    --set Pitch=0 --set Sync=0 --set Level=0 "${notes[@]}"
  stop "$seq_pid"
else
  fail "the reopened session showed no panel"; cat "$work/jalv-reopened.log"
fi
stop_host "$jalv"

# 3. The JACK program: it starts on "Sine"; the same drag changes what it plays.
launch program "$plugins/jack/TarnContour4"
program=$last
if read -r px py < <(panel_corner) && wait_port "Tarn Contour4:output"; then
  looks_like "the JACK program, on its first program" "$work/ref-sine-shown.png"
  drag
  looks_like "the JACK program, after a drag" "$work/ref-sine-drag.png"
  check "the JACK program, after a drag, plays the render" "Tarn Contour4:output" urn:tarn:contour4 --shape "$(cat "$work/ref-sine-drag.txt")" \
    --set Pitch=5 --set Sync=0 --set Level=8
else
  fail "the JACK program showed no panel"; cat "$work/program.log"
fi
stop_host "$program"

echo "panel in hosts: $failed failed"
[ "$failed" -eq 0 ]
