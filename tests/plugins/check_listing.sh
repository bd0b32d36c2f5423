#!/usr/bin/env bash
# What a CLAP or VST3 host shows of one plug-in: one audio output and no audio input, and every
# line its module expects (one a line in EXPECTED, if given; lines starting "vst3:" only in VST3).
#   check_listing.sh HOST PLUGIN [EXPECTED]   (HOST may be a command line: "windows-run.sh win64 HOST.exe")
set -uo pipefail
read -r -a host <<< "$1"
plugin=$2 expected=${3:-}
listing=$("${host[@]}" info "$plugin") || exit 1
echo "$listing"
failed=0
expect() {
  if grep -qF -- "$1" <<< "$listing"; then echo "ok $1"; else echo "FAIL missing: $1"; failed=$((failed + 1)); fi
}
if [ -n "$expected" ] && [ -f "$expected" ]; then
  while IFS= read -r line; do
    case "$line" in ''|'#'*) continue ;; vst3:*) [[ "$plugin" == *.vst3 ]] && expect "${line#vst3:}" ;; *) expect "$line" ;; esac
  done < "$expected"
fi
if [ "$(grep -c '^audio output' <<< "$listing")" -eq 1 ] && ! grep -q '^audio input' <<< "$listing"; then
  echo "ok one output, no audio input"
else
  echo "FAIL not one output alone"; failed=$((failed + 1))
fi
[ "$failed" -eq 0 ]
