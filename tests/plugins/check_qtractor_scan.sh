#!/usr/bin/env bash
# Qtractor's CLAP scan (its own qtractor_plugin_scan, as Qtractor runs it) over the CLAP folder:
# each EXPECTED record start ("CLAP|name|audio in:out|MIDI in:out|") is listed, and the scan says
# nothing else. Exits 77 without Qtractor.
#   check_qtractor_scan.sh CLAP_DIR EXPECTED...
set -uo pipefail
scanner=/usr/lib/x86_64-linux-gnu/qtractor/qtractor_plugin_scan
[ -x "$scanner" ] || { echo "SKIP: Qtractor is not installed (./run setup)"; exit 77; }
dir=$(cd "$1" && pwd)
shift
listing=$(for plugin in "$dir"/*.clap; do echo "CLAP:$plugin"; done | timeout 60 "$scanner" 2>&1) || { echo "$listing"; echo "FAIL the scan failed"; exit 1; }
echo "$listing"
failed=0
for record in "$@"; do
  if grep -qF -- "$record" <<< "$listing"; then echo "ok listed: $record"; else echo "FAIL not listed: $record"; failed=1; fi
done
if grep -v '^CLAP|' <<< "$listing" | grep -q .; then echo "FAIL the scan said more than its records"; failed=1; fi
exit $failed
