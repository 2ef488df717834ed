#!/usr/bin/env bash
# Runs the benchmarks of a build tree on its 240x320 emulated device and prints the
# figures.
#   bench/run.sh BUILD [SECONDS [RATE ...]]    defaults: 60 s per run; 125, 1000, max
# A device that was not running before is stopped again afterwards.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?usage: run.sh BUILD [SECONDS [RATE ...]]}" && pwd)
shift
dev="$build/device/lo"
flood="$build/bench-bin/flood.exe"
[ -f "$flood" ] || { echo "bench: $flood not built" >&2; exit 1; }

started=0
if ! { [ -f "$dev/xephyr.pid" ] && kill -0 "$(cat "$dev/xephyr.pid")" 2>/dev/null; }; then
  started=1
fi
"$here/../device/emu.sh" start "$dev" 240 320
status=0
# Wine's sound layer complains on machines without a sound card; the figures go to stdout.
DEVICE=lo DEVICE_ROOT="$build/device" "$here/../device/wine-run.sh" "$flood" "$@" </dev/null 2>/dev/null || status=$?
if [ "$started" = 1 ]; then "$here/../device/emu.sh" stop "$dev"; fi
exit "$status"
