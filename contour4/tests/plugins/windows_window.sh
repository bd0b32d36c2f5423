#!/usr/bin/env bash
# Tarn Contour4's window in a Windows plug-in, opened by our test host in a window of its own as a
# DAW opens it and driven with window messages and the real popup menu: after each run of events
# the plug-in's saved shape text must be the text `tarn-host panel` prints for the same events on
# the DLL's panel, and the window's pixels that panel's picture, every one (both run under the same
# Wine, so even the button's font is the same). A shape the host restores shows on the panel,
# after a dismissed menu a move drags nothing, and a host that closes the editor while its popup
# menu is open (from a timer of its own) ends the menu with it and keeps the state. A host whose
# thread holds another floating-point environment gets the same texts and pixels, and its own code
# run inside the popup menu finds its environment there (in VST3 after a program the host chose,
# which the window shows; DPF's CLAP has no programs).
#   windows_window.sh "RUN" TARN_HOST.exe MODULE.dll TEST_HOST.exe PLUGIN WORK_DIR
# RUN: how a Windows program runs here (windows-run.sh win64).
set -uo pipefail
read -r -a run <<< "$1"
reference_host=$2 dll=$3 test_host=$4 plugin=$5 work=$6
command -v compare > /dev/null || { echo "SKIP: ImageMagick's compare is not installed (./run setup)"; exit 77; }
mkdir -p "$work" && rm -f "$work"/*.png "$work"/*.txt
failed=0
# What only the reference host or only the plug-in's host is given first, in a check.
reference_first=()
plugin_first=()

# One run of events on both: the same text and the same pixels.
check() {
  local name=$1
  shift
  "${run[@]}" "$reference_host" panel "$dll" "${reference_first[@]}" "$@" --png "$work/ref-$name.png" > "$work/ref-$name.txt" || {
    echo "FAIL the reference host's panel for $name"; failed=$((failed + 1)); return; }
  "${run[@]}" "$test_host" window "$plugin" "${plugin_first[@]}" "$@" --png "$work/$name.png" > "$work/$name.txt" || {
    echo "FAIL the plug-in's window for $name" "$(grep '^FAIL' "$work/$name.txt")"; failed=$((failed + 1)); return; }
  local differing
  differing=$(compare -metric AE "$work/ref-$name.png" "$work/$name.png" null: 2>&1)
  if ! cmp -s "$work/ref-$name.txt" "$work/$name.txt"; then
    echo "FAIL $name: the plug-in saved $(cat "$work/$name.txt"), the reference host printed $(cat "$work/ref-$name.txt")"
    failed=$((failed + 1))
  elif [ "$differing" != 0 ]; then
    echo "FAIL $name: $differing pixels differ from the reference host's panel"
    failed=$((failed + 1))
  else
    echo "ok $name: $(cat "$work/$name.txt" | cut -c1-60)..., every pixel the reference host's"
  fi
}

check default
check drag --press 128,50 --move 128,35 --move 128,20 --release
check menus --press 128,50 --move 128,20 --release --menu "Various/DNA" --menu "Saw/Analog Saw 2" --menu "Edit/Invert"
check restored --shape "$(sed -n 's/^shape: //p' "$work/ref-menus.txt")"
check dismissed --menu "Ramp" --menu-dismiss --move 40,90 --release
# Rounding toward zero, flush-to-zero and 24-bit x87 on the host's thread.
plugin_first=(--fp-env mixed)
if [[ "$plugin" == *.vst3 ]]; then
  # The window shows a program as the text the plug-in made of it, as it shows a restored state.
  program=$("${run[@]}" "$reference_host" panel "$dll" --menu "Saw/Analog Saw 2" | sed -n 's/^shape: //p')
  reference_first=(--shape "$program")
  plugin_first+=(--program "Analog Saw 2")
fi
check fp-env --press 128,50 --move 128,20 --release --menu "Various/DNA"
reference_first=() plugin_first=()
if "${run[@]}" "$test_host" window "$plugin" --menu "Ramp" --close-in-menu > "$work/closed.txt" &&
   sed -n 's/^shape: //p' "$work/ref-dismissed.txt" | cmp -s - <(sed -n 's/^shape: //p' "$work/closed.txt"); then
  echo "ok closed in the menu: the menu ended with the editor, the state kept"
else
  echo "FAIL closed in the menu: $(cat "$work/closed.txt")"
  failed=$((failed + 1))
fi
[ "$failed" -eq 0 ]
