#!/usr/bin/env bash
# What Debian's lv2info shows of one plug-in, against its module's expectations, one a line:
#   contains TEXT        a line of the listing holds TEXT
#   count N TEXT         N lines hold TEXT
#   presets N            the listing offers N presets
#   matches REGEX        a line matches the extended regular expression
# Usage: check_lv2info.sh URI EXPECTED (LV2_PATH at the build's bundles; lv2-dev's own bundles, which
# name the plug-in classes, are added). Exits 77 without lv2info.
set -uo pipefail
uri=$1 expected=$2
command -v lv2info > /dev/null || { echo "SKIP: lv2info is not installed (./run setup)"; exit 77; }
export LV2_PATH=${LV2_PATH:+$LV2_PATH:}/usr/lib/lv2
listing=$(lv2info "$uri") || { echo "FAIL lv2info does not know $uri"; exit 1; }
failed=0
judge() { if [ "$1" = yes ]; then echo "ok $2"; else echo "FAIL $2"; failed=$((failed + 1)); fi; }
while read -r kind rest; do
  case "$kind" in
    ''|'#'*) continue ;;
    contains) judge "$(grep -qF -- "$rest" <<< "$listing" && echo yes)" "lv2info: $uri has \"$rest\"" ;;
    count) n=${rest%% *} text=${rest#* }
           judge "$([ "$(grep -cF -- "$text" <<< "$listing")" -eq "$n" ] && echo yes)" "lv2info: $n lines with \"$text\"" ;;
    presets) n=$(awk '/Presets:/ {on = 1; next} on && NF == 0 {exit} on {n++} END {print n + 0}' <<< "$listing")
             judge "$([ "$n" -eq "$rest" ] && echo yes)" "lv2info: $rest presets ($n)" ;;
    matches) judge "$(grep -qE -- "$rest" <<< "$listing" && echo yes)" "lv2info: a line matches $rest" ;;
    *) echo "FAIL unknown expectation: $kind $rest"; failed=$((failed + 1)) ;;
  esac
done < "$expected"
[ "$failed" -eq 0 ]
