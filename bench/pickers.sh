#!/usr/bin/env bash
# Runs the picker benchmark of a build tree on its 240x320 emulated device and
# prints the figures.   bench/pickers.sh BUILD
# A device that was not running before is stopped again afterwards.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?usage: pickers.sh BUILD}" && pwd)
dev="$build/device/lo"
exe="$build/bench-bin/pickers.exe"
[ -f "$exe" ] || { echo "bench: $exe not built" >&2; exit 1; }

started=0
if ! { [ -f "$dev/xephyr.pid" ] && kill -0 "$(cat "$dev/xephyr.pid")" 2>/dev/null; }; then
  started=1
fi
"$here/../device/emu.sh" start "$dev" 240 320
status=0
DEVICE=lo DEVICE_ROOT="$build/device" "$here/../device/wine-run.sh" "$exe" </dev/null 2>/dev/null || status=$?
if [ "$started" = 1 ]; then "$here/../device/emu.sh" stop "$dev"; fi
exit "$status"
