#!/usr/bin/env bash
# Runs the benchmarks of a build tree on its emulated devices and prints the figures:
# the input flood, the steady-rate sweep of every shape of stream and the program's idle
# figures on the 240x320 device, then page changes
# of the settings window on the 240x320 and the 480x640 device, then the pickers on
# the 240x320 device.
#   bench/run.sh BUILD [SECONDS [RATE ...]]    flood defaults: 60 s per run; 125, 1000, max
# Devices that were not running before are stopped again afterwards.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?usage: run.sh BUILD [SECONDS [RATE ...]]}" && pwd)
shift
for exe in flood pages pickers; do
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

# The host processes that work for a Wine program on the device: its Wine server and
# the two X servers.
host_pids() {
  local dev=$1 pid server=""
  for pid in $(pgrep -x 'wineserver(64)?' || true); do
    if { tr '\0' '\n' <"/proc/$pid/environ"; } 2>/dev/null | grep -qx "WINEPREFIX=$dev/prefix"; then server=$pid; fi
  done
  echo "wineserver:${server:-0} Xephyr:$(cat "$dev/xephyr.pid") Xvfb:$(cat "$dev/xvfb.pid")"
}

# Wine server requests per report: a short run of each target under a Wine server
# that traces every request, counted on the target's listener thread between the
# two named events the flood creates around its run.
count_requests() {
  local dev="$build/device/lo" trace="$build/bench-requests.trace"
  "$here/../device/emu.sh" start "$dev" 240 320
  eval "$("$here/../device/emu.sh" env "$dev")"
  wineserver -k 2>/dev/null || true
  sleep 1
  (setsid wineserver -f -d1 -p </dev/null >/dev/null 2>"$trace" &)
  sleep 1
  "$here/../device/boot.sh" "$dev"
  local out
  out=$(DEVICE=lo DEVICE_ROOT="$build/device" "$here/../device/wine-run.sh" "$build/bench-bin/flood.exe" --requests 5 500 </dev/null 2>/dev/null) || status=$?
  echo "Wine server requests per report (5 s at 500/s, listener thread only):"
  echo "$out" | while read -r name _ tid _ delivered; do
    local n
    n=$(awk -v tid="$tid:" '
      /create_event\(.*BenchRequestsFrom/ { on = 1; next }
      /create_event\(.*BenchRequestsTo/ { on = 0 }
      on && $1 == tid && $2 ~ /^[a-z_]+\($/ && $0 !~ /\) = / { n++ }
      END { print n + 0 }' "$trace")
    awk -v name="$name" -v n="$n" -v d="$delivered" 'BEGIN { printf "  %-8s %6d requests for %5d reports: %.2f per report\n", name, n, d, d ? n / d : 0 }'
  done
  wineserver -k 2>/dev/null || true
  "$here/../device/emu.sh" stop "$dev"
}

if [ "${BENCH_ONLY:-}" = requests ]; then count_requests; exit "$status"; fi
dev="$build/device/lo"
"$here/../device/emu.sh" start "$dev" 240 320
BENCH_HOST_PIDS=$(host_pids "$dev") run_on lo 240 320 "$build/bench-bin/flood.exe" "$@"
run_on lo 240 320 "$build/bench-bin/flood.exe" --sweep "${BENCH_SWEEP_SECONDS:-5}"
run_on lo 240 320 "$build/bench-bin/flood.exe" --idle 10
count_requests
run_on lo 240 320 "$build/bench-bin/pages.exe"
"$here/pickers.sh" "$build" || status=$?
run_on hi 480 640 "$build/bench-bin/pages.exe"
exit "$status"
