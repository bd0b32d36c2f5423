#!/usr/bin/env bash
# Runs a program of a Windows build under Wine: windows-run.sh win32|win64 PROGRAM [ARGS...].
# ctest's emulator for the Windows builds, and how ./run starts tarn-host. Exits 77 (a skip)
# where the architecture's programs cannot run, saying why on stderr.
set -uo pipefail
source "$(dirname "$0")/wine-env.sh"
arch=$1
shift
why=$(why_not_run "$arch")
if [ -n "$why" ]; then
  echo "not run: $why" >&2
  exit 77
fi
ensure_prefix "$arch"
use_session_display
prefix=$(wine_prefix "$arch")
# Wine starts processes of its own (services, the desktop) from the first program of a server,
# and they keep whatever that program had open. Through files, the program's output reaches the
# caller without handing the caller's pipes to them: a ctest test would otherwise wait for them.
out=$(mktemp)
err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
WINEPREFIX=$prefix WINEARCH=$arch "$(wine_loader "$arch")" "$@" > "$out" 2> "$err" &
code=0
wait $! || code=$?
cat "$out"
cat "$err" >&2
exit "$code"
