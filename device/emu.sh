#!/usr/bin/env bash
# The emulated Pocket PC: an X screen of the device's size and a Wine prefix that
# acts as the device's operating system, with the shell stand-in running.
#
#   emu.sh start DIR WIDTH HEIGHT   start (or keep) the device whose state lives in DIR
#   emu.sh stop DIR                 stop it (the prefix stays for the next start)
#   emu.sh env DIR                  print the environment that runs a program on it
#   emu.sh shot DIR FILE.png        screenshot of the device's screen
#
# The screen is an Xephyr window on a private Xvfb: plain Xvfb offers Wine a single
# display mode, Xephyr lets the device rotate (240x320 <-> 320x240).
# Every daemon is detached with its stdio on /dev/null: Wine's service processes
# inherit open descriptors, and a runner reading our pipe would never see EOF.
set -euo pipefail

WINE=/usr/lib/wine/wine64
here=$(cd "$(dirname "$0")" && pwd)

cmd=${1:?usage: emu.sh start|stop|env|shot DIR ...}
dir=${2:?device folder missing}
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)

alive() { [ -f "$1" ] && kill -0 "$(cat "$1")" 2>/dev/null; }

# Starts an X server with -displayfd and prints the display number it chose.
start_x() {
  local pidfile=$1; shift
  local fifo; fifo=$(mktemp -u); mkfifo "$fifo"
  setsid "$@" -displayfd 3 3>"$fifo" </dev/null >/dev/null 2>&1 &
  echo $! >"$pidfile"
  local n; read -r -t 20 n <"$fifo" || true
  rm -f "$fifo"
  [ -n "${n:-}" ] || { echo "emu: X server did not start: $*" >&2; exit 1; }
  echo "$n"
}

device_env() {
  echo "export WINEPREFIX='$dir/prefix'"
  echo "export DISPLAY=':$(cat "$dir/display")'"
  echo "export WINEDEBUG=-all"
  echo "export WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d'"
}

case "$cmd" in
start)
  width=${3:?width}; height=${4:?height}
  if alive "$dir/xephyr.pid" && alive "$dir/xvfb.pid" && [ "$(cat "$dir/size")" = "${width}x${height}" ]; then
    exit 0
  fi
  "$0" stop "$dir" >/dev/null 2>&1 || true
  back=$(start_x "$dir/xvfb.pid" Xvfb -screen 0 1024x1024x24 -nolisten tcp)
  front=$(DISPLAY=":$back" start_x "$dir/xephyr.pid" Xephyr -screen "${width}x${height}x24" -resizeable -nolisten tcp -noreset)
  echo "$front" >"$dir/display"
  echo "${width}x${height}" >"$dir/size"
  eval "$(device_env)"
  setsid wineserver -p </dev/null >/dev/null 2>&1 || true
  if [ ! -f "$dir/prefix/.booted" ]; then
    setsid "$WINE" wineboot -i </dev/null >/dev/null 2>&1
    touch "$dir/prefix/.booted"
  else
    setsid "$WINE" wineboot </dev/null >/dev/null 2>&1 || true
  fi
  # The device's own programs: shell stand-in and platform programs, if built.
  if [ -x "$here/boot.sh" ]; then "$here/boot.sh" "$dir"; fi
  ;;
stop)
  if [ -f "$dir/display" ] && [ -d "$dir/prefix" ]; then
    (eval "$(device_env)"; wineserver -k </dev/null >/dev/null 2>&1 || true)
  fi
  for p in xephyr xvfb; do
    if alive "$dir/$p.pid"; then kill "$(cat "$dir/$p.pid")" 2>/dev/null || true; fi
    rm -f "$dir/$p.pid"
  done
  ;;
env)
  device_env
  ;;
shot)
  # One GetImage of the root window: what the screen shows. xwd -root is not used:
  # once windows of two Wine processes (each with its own colormap) are on screen it
  # reads every colormap's area from the lowest window of that colormap, so the shell's
  # top bar came out of the Today window that it covers, which reads back black.
  out=${3:?png file}
  /usr/bin/import -silent -display ":$(cat "$dir/display")" -window root "png:$out"
  ;;
*)
  echo "emu: unknown command $cmd" >&2; exit 2 ;;
esac
