#!/usr/bin/env bash
# A DAW's use of Tarn Contour4: note 69 held from the first frame and released at frame 4000.
# Until the release the plug-in must write the DLL's samples at 5 V and 8 V (the reference of
# the first render case), and silence from the release on.
#   check_notes.sh RENDERS_DIR HOST ARGS...   (the host's render command without its options)
set -uo pipefail
renders=$1
shift
reference=$renders/reference-0.f32
[ -s "$reference" ] || { echo "SKIP: no DLL reference in $renders"; exit 77; }
out=$(mktemp)
trap 'rm -f "$out"' EXIT
release=4000
"$@" --note 0:69:100 --note $release:69:0 --frames 9000 --out "$out" || exit 1
bytes=$((release * 4))
if ! cmp -n "$bytes" "$reference" "$out"; then echo "FAIL the held note differs from the DLL at 5 V"; exit 1; fi
if [ "$(tail -c +$((bytes + 1)) "$out" | tr -d '\0' | wc -c)" -ne 0 ]; then echo "FAIL not silent after the release"; exit 1; fi
echo "ok note 69 plays the DLL's samples at 5 V until its release, then silence"
