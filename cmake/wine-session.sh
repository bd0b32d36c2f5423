#!/usr/bin/env bash
# One display and one persistent Wine server per prefix for a whole run, instead of a display
# and a server started, and lingered out, for every program:
#   wine-session.sh start|stop [OWNER] [ARCH...]   (start: the servers of both builds by default)
# start uses the caller's display if there is one, else starts Xvfb; stop ends what start began
# and leaves nothing running. A nested start (./run test starts one, then ctest's fixture asks
# again) finds the session and leaves it to its owner.
set -uo pipefail
source "$(dirname "$0")/wine-env.sh"
mkdir -p "$SESSION"
exec 8> "$SESSION/session.lock"
flock 8

start_display() {
  if [ -n "${DISPLAY:-}" ]; then
    echo "$DISPLAY" > "$SESSION/display"
    return 0
  fi
  [ -f "$SESSION/display" ] && kill -0 "$(cat "$SESSION/xvfb.pid" 2> /dev/null)" 2> /dev/null && return 0
  local n i pid
  for n in $(seq 90 190); do
    { [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; } && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp < /dev/null > /dev/null 2>&1 8>&- 9>&- &
    pid=$!
    for i in $(seq 100); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      kill -0 "$pid" 2> /dev/null || break
      sleep 0.05
    done
    if [ -e "/tmp/.X11-unix/X$n" ] && kill -0 "$pid" 2> /dev/null; then
      echo ":$n" > "$SESSION/display"
      echo "$pid" > "$SESSION/xvfb.pid"
      return 0
    fi
  done
  echo "wine-session: could not start Xvfb" >&2
  return 1
}

case "${1:-}" in
  start)
    if [ -f "$SESSION/owner" ]; then exit 0; fi
    echo "${2:-ctest}" > "$SESSION/owner"
    start_display || exit 1
    use_session_display
    shift $(($# < 2 ? $# : 2))
    arches=("$@")
    [ ${#arches[@]} -gt 0 ] || arches=(win32 win64)
    for arch in "${arches[@]}"; do
      [ -n "$(why_not_run "$arch")" ] && continue
      flock -u 8
      ensure_prefix "$arch"
      flock 8
      # Its own output, not the caller's: ctest waits until every copy of a test's output closes.
      WINEPREFIX=$(wine_prefix "$arch") "$(wineserver_cmd)" -p < /dev/null > /dev/null 2>&1 8>&- 9>&- || true
    done
    ;;
  stop)
    [ -f "$SESSION/owner" ] || exit 0
    [ "$(cat "$SESSION/owner")" = "${2:-ctest}" ] || exit 0
    # Both servers at once: each takes its time to end its programs.
    for arch in win32 win64; do
      prefix=$(wine_prefix "$arch")
      [ -f "$prefix/system.reg" ] && WINEPREFIX=$prefix "$(wineserver_cmd)" -k 2> /dev/null &
    done
    wait
    if [ -f "$SESSION/xvfb.pid" ]; then
      pid=$(cat "$SESSION/xvfb.pid")
      kill "$pid" 2> /dev/null
      # Gone once it has exited, whenever its parent gets round to reaping it.
      while [ -n "$(ps -o stat= -p "$pid" 2> /dev/null | grep -v '^Z')" ]; do sleep 0.05; done
    fi
    rm -f "$SESSION/owner" "$SESSION/display" "$SESSION/xvfb.pid"
    ;;
  *) echo "usage: wine-session.sh start|stop [OWNER] [ARCH...]" >&2; exit 2 ;;
esac
exit 0
