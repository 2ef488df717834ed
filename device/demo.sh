#!/usr/bin/env bash
# The demo behind `make run`: the program on the 240x320 emulated device, freshly
# installed, with the recorder in front and a short input session from the driver
# simulator. Leaves a screenshot, the program's debug log and the recorder's file in
# BUILD/demo-out/<time> and prints that folder.
#   demo.sh BUILD
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
dev=$build/device/lo
bin=$build/device-bin
WINE=/usr/lib/wine/wine64
out=$build/demo-out/$(date +%Y%m%d-%H%M%S)
mkdir -p "$out"
log=$out/demo.log

winpath() { local p=$1; echo "Z:${p//\//\\}"; }
# Wine programs run with their output in the demo log: a Wine service started on
# the way would otherwise hold our caller's pipe open.
wine_run() { "$WINE" "$@" </dev/null >>"$log" 2>&1; }
wine_detached() { (cd "$WINEPREFIX/drive_c" && exec setsid "$WINE" "$@") </dev/null >/dev/null 2>&1 & }
say() { echo "demo: $*"; echo "demo: $*" >>"$log"; }

say "starting the device (240x320)"
"$here/emu.sh" start "$dev" 240 320
eval "$("$here/emu.sh" env "$dev")"
c=$WINEPREFIX/drive_c

wine_run "$bin/devctl.exe" close-window MORVANE.Vantorix 3000 || true
wine_run "$bin/devctl.exe" close-window EmulatedRecorder 3000 || true

say "installing"
wine_run "$bin/install.exe" || { say "installation failed, see $log"; exit 1; }
rm -f "$c/ui.tray.dbg" "$c/emulated/demo-recorder.txt"

say "starting the recorder"
wine_detached "$bin/recorder.exe" 'C:\emulated\demo-recorder.txt'
wine_run "$bin/devctl.exe" wait-window EmulatedRecorder 10000 || say "the recorder did not show its window"

say "starting Pelorin -tray"
wine_detached 'C:\Program Files\Vantorix\Pelorin.exe' -tray
if wine_run "$bin/devctl.exe" wait-listener 10000; then
  say "playing demo.usb through the driver simulator"
  wine_run "$bin/usbsim.exe" "$(winpath "$here/demo.usb")" || say "usbsim failed (exit $?), see $log"
  sleep 1
else
  say "Pelorin published no listener thread (INTRCM) within 10 s: no input was sent"
fi

"$here/emu.sh" shot "$dev" "$out/screen-input.png" && say "screenshot of the input session taken"

# The user taps the tray icon: the settings window comes forward with its soft keys.
if wine_run "$bin/devctl.exe" tray-tap MORVANE.Vantorix; then
  sleep 1
  "$here/emu.sh" shot "$dev" "$out/screen-settings.png" && say "screenshot of the settings window taken"
else
  say "no tray icon of the program to tap"
fi

say "stopping Pelorin"
if ! wine_run "$bin/devctl.exe" close-window MORVANE.Vantorix 5000; then
  wine_run taskkill /f /im Pelorin.exe || true
fi
wine_run "$bin/devctl.exe" close-window EmulatedRecorder 3000 || true

# Copied once the program has ended, so that the log holds its TERM lines too.
[ -f "$c/ui.tray.dbg" ] && cp "$c/ui.tray.dbg" "$out/ui.tray.dbg"
[ -f "$c/emulated/demo-recorder.txt" ] && cp "$c/emulated/demo-recorder.txt" "$out/recorder.txt"

echo "$out"
