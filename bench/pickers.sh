#!/usr/bin/env bash
# Runs the picker benchmark of a build tree on its 240x320 emulated device and
# prints the figures.   bench/pickers.sh BUILD
# The benchmark's folders (2,000 and 10,000 files, half of them programs) and its 50
# applet libraries in \windows are made here on the host, and removed afterwards:
# made through Wine, each new name in a large folder costs a scan of the whole folder.
# A second run opens the applet picker with 2,000 libraries in \windows (links to one
# library: opening lists the files and loads none).
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

drive="$dev/prefix/drive_c"
remove_data() {
  rm -rf "$drive/BenchPickers"
  rm -f "$drive"/windows/bench[0-9][0-9].cpl "$drive"/windows/crowd[0-9][0-9][0-9][0-9].cpl
}
trap remove_data EXIT
remove_data
mkdir -p "$drive/BenchPickers/small"
: >"$drive/BenchPickers/small/a.exe"
for count in 2000 10000; do
  mkdir -p "$drive/BenchPickers/files$count"
  (
    cd "$drive/BenchPickers/files$count"
    for ((i = 0; i < count; ++i)); do
      if ((i % 2)); then printf -v name 'f%05d.txt' "$i"; else printf -v name 'f%05d.exe' "$i"; fi
      : >"$name"
    done
  )
done
for ((i = 0; i < 50; ++i)); do
  printf -v name 'bench%02d.cpl' "$i"
  cp "$build/device-bin/sample.cpl" "$drive/windows/$name"
done

status=0
run() { DEVICE=lo DEVICE_ROOT="$build/device" "$here/../device/wine-run.sh" "$exe" "$@" </dev/null 2>/dev/null; }
run || status=$?
present=$(find "$drive/windows" -maxdepth 1 -iname '*.cpl' | wc -l)
for ((i = 0; i < 2000 - present; ++i)); do
  printf -v name 'crowd%04d.cpl' "$i"
  ln -f "$build/device-bin/sample.cpl" "$drive/windows/$name"
done
run crowded || status=$?
if [ "$started" = 1 ]; then "$here/../device/emu.sh" stop "$dev"; fi
exit "$status"
