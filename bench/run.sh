#!/usr/bin/env bash
# Runs the benchmarks of a build tree on its emulated devices and prints the figures:
# the input flood on the 240x320 device, then page changes of the settings window on
# the 240x320 and the 480x640 device.
#   bench/run.sh BUILD [SECONDS [RATE ...]]    flood defaults: 60 s per run; 125, 1000, max
# Devices that were not running before are stopped again afterwards.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?usage: run.sh BUILD [SECONDS [RATE ...]]}" && pwd)
shift
for exe in flood pages; do
  [ -f "$build/bench-bin/$exe.exe" ] || { echo "bench: $build/bench-bin/$exe.exe not built" >&2; exit 1; }
done

status=0
# Runs one benchmark on one device; Wine's sound layer complains on machines without
# a sound card, the figures go to stdout.
run_on() {
  local name=$1 width=$2 height=$3; shift 3
  local dev="$build/device/$name" started=0
  { [ -f "$dev/xephyr.pid" ] && kill -0 "$(cat "$dev/xephyr.pid")" 2>/dev/null; } || started=1
  "$here/../device/emu.sh" start "$dev" "$width" "$height"
  DEVICE=$name DEVICE_ROOT="$build/device" "$here/../device/wine-run.sh" "$@" </dev/null 2>/dev/null || status=$?
  if [ "$started" = 1 ]; then "$here/../device/emu.sh" stop "$dev"; fi
}

run_on lo 240 320 "$build/bench-bin/flood.exe" "$@"
run_on lo 240 320 "$build/bench-bin/pages.exe"
run_on hi 480 640 "$build/bench-bin/pages.exe"
exit "$status"
