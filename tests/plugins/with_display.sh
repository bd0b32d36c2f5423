#!/usr/bin/env bash
# Runs a command on the caller's X display, or on an Xvfb of its own when there is none
# (exit 77 when Xvfb is missing too).
set -uo pipefail
if [ -n "${DISPLAY:-}" ]; then exec "$@"; fi
command -v Xvfb > /dev/null || { echo "SKIP: no display and no Xvfb"; exit 77; }
source "$(dirname "$0")/../../cmake/wine-env.sh"
start_xvfb 261 320 1024x768x24 || { echo "SKIP: no free display number"; exit 77; }
DISPLAY=$xvfb_display "$@"
status=$?
kill "$xvfb_pid"
wait "$xvfb_pid" 2> /dev/null
exit $status
