#!/usr/bin/env bash
# Pitch bend in VST3, where a host sends it on hidden parameters (DPF's MIDI mapping), against
# CLAP, where it is MIDI as sent: the same notes and bends must give the same samples, with the
# VST3 parameter first set to 0 (full bend down), as a host that starts parameters there does,
# with the full bend up that DPF turns into 16384, and with a first bend that no start value
# precedes (then a full bend down, a bend once the channel has bent).
#   check_bends.sh CLAP_HOST CLAP_PLUGIN VST3_HOST VST3_BUNDLE
# (a host may be a command line: "windows-run.sh win64 HOST.exe")
set -uo pipefail
read -r -a clap_host <<< "$1"
read -r -a vst3_host <<< "$3"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# CASE VST3_FIRST NOTES...: the notes through both, VST3 after VST3_FIRST (none when empty).
same() {
  local case=$1 first=$2
  shift 2
  "${clap_host[@]}" render "$clap" "$@" --out "$work/clap.f32" || exit 1
  "${vst3_host[@]}" render "$vst3" $first "$@" --out "$work/vst3.f32" || exit 1
  if cmp "$work/clap.f32" "$work/vst3.f32"; then echo "ok VST3 $case as CLAP does"; else echo "FAIL VST3 $case otherwise"; exit 1; fi
}
clap=$2
vst3=$4
same "bends after a start at 0" "--note 0:bend:0" \
  --note 0:69:100 --note 3000:bend:12000 --note 6000:bend:16383 --note 9000:bend:0 --frames 12000
same "bends with no start value" "" --note 0:69:100 --note 3000:bend:12000 --note 6000:bend:0 --frames 8000
