# Sourced by windows-run.sh and wine-session.sh: where each Windows build runs under Wine, and
# whether it can run here. Sets ROOT, and for an architecture (win32 or win64): prefix, loader.
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
SESSION=$ROOT/build/wine-session
export WINEDEBUG=-all
# No Mono or Gecko prompts; no debugger for a program that crashes: its check fails instead.
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"

wine_prefix() {
  if [ "$1" = win32 ]; then echo "${TARN_WINEPREFIX:-$ROOT/build/wineprefix}"
  else echo "${TARN_WINEPREFIX64:-$ROOT/build/wineprefix64}"; fi
}

# The wine wrapper picks the 32-bit loader whenever it is installed, so the 64-bit one is
# called directly.
wine_loader() {
  if [ "$1" = win32 ]; then command -v wine || command -v wine-stable
  else command -v wine64 || echo /usr/lib/wine/wine64; fi
}
wineserver_cmd() { command -v wineserver || command -v wineserver-stable || echo /usr/lib/wine/wineserver; }

# Starts a real 32-bit program: a 96-byte static i386 ELF that exits with 42. A kernel without
# IA32 emulation refuses it, and then no 32-bit Wine can start either. Kept under build/ (a /tmp
# mounted noexec would refuse any program) and asked once per command (TARN_CAN_RUN_32BIT).
can_run_32bit() {
  if [ -z "${TARN_CAN_RUN_32BIT:-}" ]; then
    local probe=$ROOT/build/probe-i386 code=0
    if [ ! -x "$probe" ]; then
      mkdir -p "$ROOT/build"
      printf '\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' > "$probe.$$" && chmod +x "$probe.$$" && mv "$probe.$$" "$probe"
    fi
    "$probe" 2> /dev/null || code=$?
    TARN_CAN_RUN_32BIT=$([ "$code" -eq 42 ] && echo yes || echo no)
    export TARN_CAN_RUN_32BIT
  fi
  [ "$TARN_CAN_RUN_32BIT" = yes ]
}

# Why the programs of an architecture do not run here, or nothing when they do.
why_not_run() {
  [ "$1" = win64 ] && return 0
  if [ "${TARN_WIN_ARCH:-}" = win64 ]; then echo "TARN_WIN_ARCH=win64 chose the x86-64 build"
  elif ! can_run_32bit; then echo "this machine cannot run 32-bit programs"; fi
}

# The Windows build that runs here, where ./run has not chosen one (ctest run by hand): sets
# TARN_WIN_ARCH, TARN_DIST (its DLLs) and TARN_HOST (its tarn-host as a command line).
default_windows_build() {
  if [ -z "${TARN_WIN_ARCH:-}" ]; then
    TARN_WIN_ARCH=win32
    [ -z "$(why_not_run win32)" ] || TARN_WIN_ARCH=win64
  fi
  if [ -z "${TARN_DIST:-}" ]; then
    TARN_DIST=$ROOT/dist
    [ "$TARN_WIN_ARCH" = win32 ] || TARN_DIST=$ROOT/dist/win64
  fi
  : "${TARN_HOST:=$ROOT/cmake/windows-run.sh $TARN_WIN_ARCH $TARN_DIST/tarn-host.exe}"
  export TARN_WIN_ARCH TARN_DIST TARN_HOST
}

# Creates an architecture's prefix once; several programs may ask at the same time.
ensure_prefix() {
  local arch=$1 prefix
  prefix=$(wine_prefix "$arch")
  [ -f "$prefix/system.reg" ] && return 0
  mkdir -p "$prefix" "$SESSION"
  (
    flock 9
    if [ ! -f "$prefix/system.reg" ]; then
      WINEPREFIX=$prefix WINEARCH=$arch "$(wine_loader "$arch")" wineboot -i < /dev/null > /dev/null 2>&1 9>&- || true
      WINEPREFIX=$prefix "$(wineserver_cmd)" -w || true
    fi
  ) 9> "$SESSION/prefix-$arch.lock"
}

# Starts Xvfb on the first free display number from FIRST to LAST with a screen of SIZE
# (WxHxD) and waits until it answers: sets xvfb_pid and xvfb_display, or fails.
start_xvfb() {
  local n
  for n in $(seq "$1" "$2"); do
    { [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; } && continue
    Xvfb ":$n" -screen 0 "$3" -nolisten tcp < /dev/null > /dev/null 2>&1 8>&- 9>&- &
    xvfb_pid=$!
    # Up to 30 s: a machine with every core busy starts it slowly.
    for _ in $(seq 600); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      kill -0 "$xvfb_pid" 2> /dev/null || break
      sleep 0.05
    done
    if [ -e "/tmp/.X11-unix/X$n" ] && kill -0 "$xvfb_pid" 2> /dev/null; then
      xvfb_display=":$n"
      return 0
    fi
  done
  return 1
}

# The display of the session, whatever the caller's: a prefix's desktop stays on the display of
# the program that started its server, and the session's server is persistent.
use_session_display() {
  if [ -f "$SESSION/display" ]; then
    DISPLAY=$(cat "$SESSION/display")
    export DISPLAY
  fi
}
