#!/usr/bin/env bash
# One display and one persistent Wine server per prefix for a whole run, instead of a display
# and a server started, and lingered out, for every program:
#   wine-session.sh start|stop [OWNER] [ARCH...]   (start: the servers of both builds by default)
# start uses the caller's display if there is one, else starts Xvfb; stop ends what start began
# and leaves nothing running. A nested start (./run test starts one, then ctest's fixture asks
# again) finds the session and leaves it to its owner; a session left behind by a run that was
# killed outright is ended and started afresh.
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
  if start_xvfb 90 190 1280x1024x24; then
    echo "$xvfb_display" > "$SESSION/display"
    echo "$xvfb_pid" > "$SESSION/xvfb.pid"
    return 0
  fi
  echo "wine-session: could not start Xvfb" >&2
  return 1
}

# Whether a process runs; one that has exited counts as gone before its parent reaps it.
alive() {
  local state
  { read -r _ _ state _ < "/proc/$1/stat"; } 2> /dev/null || return 1
  [ "$state" != Z ]
}

# A session left behind: its ./run was killed outright, or its Xvfb is gone.
stale() {
  local owner
  owner=$(cat "$SESSION/owner")
  case "$owner" in run-*) kill -0 "${owner#run-}" 2> /dev/null || return 0 ;; esac
  [ -f "$SESSION/xvfb.pid" ] && ! alive "$(cat "$SESSION/xvfb.pid")"
}

# Ends the servers (both at once: each takes its time to end its programs) and the display.
end_session() {
  local arch prefix pid
  for arch in win32 win64; do
    prefix=$(wine_prefix "$arch")
    [ -f "$prefix/system.reg" ] && WINEPREFIX=$prefix "$(wineserver_cmd)" -k 2> /dev/null &
  done
  wait
  if [ -f "$SESSION/xvfb.pid" ]; then
    pid=$(cat "$SESSION/xvfb.pid")
    kill "$pid" 2> /dev/null
    for _ in $(seq 100); do alive "$pid" || break; sleep 0.05; done
  fi
  rm -f "$SESSION/owner" "$SESSION/display" "$SESSION/xvfb.pid"
}

case "${1:-}" in
  start)
    if [ -f "$SESSION/owner" ]; then
      stale || exit 0
      end_session
    fi
    start_display || exit 1
    echo "${2:-ctest}" > "$SESSION/owner"
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
    end_session
    ;;
  *) echo "usage: wine-session.sh start|stop [OWNER] [ARCH...]" >&2; exit 2 ;;
esac
exit 0
