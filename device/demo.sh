#!/usr/bin/env bash
# The demo behind `make run`: the program freshly installed on the emulated device,
# first on the 240x320 screen with the recorder in front and a short input session
# from the driver simulator, then the settings window with each of its five pages,
# on the 240x320 and the 480x640 screen, the two pickers, and the device's Settings
# screen with the "Vantorix Driver" entry, tapped, and the settings window it brings
# forward. Leaves the screenshots, the program's debug
# log and the recorder's file in BUILD/demo-out/<time> and prints that folder.
# Devices that were not running before are stopped again at the end.
#   demo.sh BUILD
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
bin=$build/device-bin
WINE=/usr/lib/wine/wine64
out=$build/demo-out/$(date +%Y%m%d-%H%M%S)
mkdir -p "$out"
log=$out/demo.log
pages=(mouse keyboard status help about)

winpath() { local p=$1; echo "Z:${p//\//\\}"; }
# Wine programs run with their output in the demo log: a Wine service started on
# the way would otherwise hold our caller's pipe open.
wine_run() { "$WINE" "$@" </dev/null >>"$log" 2>&1; }
wine_detached() { (cd "$WINEPREFIX/drive_c" && exec setsid "$WINE" "$@") </dev/null >/dev/null 2>&1 & }
say() { echo "demo: $*"; echo "demo: $*" >>"$log"; }
alive() { [ -f "$1/xephyr.pid" ] && kill -0 "$(cat "$1/xephyr.pid")" 2>/dev/null; }

started=()
finish() {
  for dev in "${started[@]}"; do "$here/emu.sh" stop "$dev" >/dev/null 2>&1 || true; done
}
trap finish EXIT

# Starts a device (remembered for stopping when the demo started it), installs and
# starts Pelorin -tray. Sets WINEPREFIX and DISPLAY for the device.
bring_up() {
  local dev=$1 width=$2 height=$3
  say "starting the device (${width}x${height})"
  alive "$dev" || started+=("$dev")
  "$here/emu.sh" start "$dev" "$width" "$height"
  eval "$("$here/emu.sh" env "$dev")"
  c=$WINEPREFIX/drive_c
  wine_run "$bin/devctl.exe" close-window MORVANE.Vantorix 3000 || true
  wine_run "$bin/devctl.exe" close-window EmulatedRecorder 3000 || true
  say "installing"
  wine_run "$bin/install.exe" || { say "installation failed, see $log"; exit 1; }
  rm -f "$c/ui.tray.dbg" "$c/emulated/demo-recorder.txt"
}

start_pelorin() {
  say "starting Pelorin -tray"
  wine_detached 'C:\Program Files\Vantorix\Pelorin.exe' -tray
  wine_run "$bin/devctl.exe" wait-listener 10000
}

stop_pelorin() {
  say "stopping Pelorin"
  if ! wine_run "$bin/devctl.exe" close-window MORVANE.Vantorix 5000; then
    wine_run taskkill /f /im Pelorin.exe || true
  fi
}

# The user taps the tray icon, then each tab in turn: one screenshot a page.
visit_pages() {
  local dev=$1 size=$2
  if ! wine_run "$bin/devctl.exe" tray-tap MORVANE.Vantorix; then
    say "no tray icon of the program to tap"
    return
  fi
  sleep 1
  for i in "${!pages[@]}"; do
    if wine_run "$bin/devctl.exe" tab-tap MORVANE.Vantorix "$i"; then
      sleep 1
      "$here/emu.sh" shot "$dev" "$out/page-${size}-$i-${pages[$i]}.png"
    else
      say "could not tap the ${pages[$i]} tab"
    fi
  done
  say "screenshots of the five pages at $size taken"
}

# The control panel's Settings screen lists the entry of Tessar.cpl; a tap on it
# starts the tray program, which is not running, and brings its window forward.
visit_settings_screen() {
  local dev=$1
  say "opening the Settings screen"
  wine_detached 'C:\windows\ctlpnl.exe'
  if ! wine_run "$bin/devctl.exe" settings-show "Vantorix Driver"; then
    say "the Settings screen shows no Vantorix Driver entry"
    return
  fi
  sleep 1
  "$here/emu.sh" shot "$dev" "$out/settings-screen.png"
  wine_run "$bin/devctl.exe" settings-tap "Vantorix Driver" || say "could not tap the entry"
  if wine_run "$bin/devctl.exe" wait-window MORVANE.Vantorix 10000; then
    sleep 1
    "$here/emu.sh" shot "$dev" "$out/settings-opened.png"
    say "screenshots of the Settings screen and the window it opened taken"
  else
    say "the entry brought no settings window"
  fi
  wine_run "$bin/devctl.exe" close-window EmulatedSettings 3000 || true
}

# The pickers, worked with the keyboard through the driver simulator: "Open Applet"
# for the middle button (system.cpl expanded, Memory chosen) and "Open Program" for
# the right one (the Notes shortcut chosen); then the control panel's Settings
# screen with every applet of \windows.
keys() { printf '%s\n' "$@" >"$out/keys.usb"; wine_run "$bin/usbsim.exe" "$(winpath "$out/keys.usb")"; }
right='key press 0x27 0'; down='key press 0x28 0'; enter='key press 0x0D 0'
show_pickers() {
  local dev=$1
  # A fresh start shows the Mouse page, where the actions are chosen.
  stop_pelorin
  start_pelorin || say "Pelorin published no listener thread (INTRCM) within 10 s"
  wine_run "$bin/devctl.exe" tray-tap MORVANE.Vantorix || say "no tray icon of the program to tap"
  sleep 1
  if wine_run "$bin/devctl.exe" choose-action MORVANE.Vantorix 1 10; then
    sleep 2
    keys 'type s' "$right" 'sleep 500' "$down" "$down" 'sleep 500'
    "$here/emu.sh" shot "$dev" "$out/picker-applet.png" && say "screenshot of the applet picker taken"
    keys "$enter" "$enter" 'sleep 1000'
  else
    say "could not open the applet picker"
  fi
  if wine_run "$bin/devctl.exe" choose-action MORVANE.Vantorix 2 9; then
    sleep 2
    keys 'type \' "$right" 'sleep 500' 'type w' "$right" 'sleep 1000' 'type st' "$right" 'sleep 500' \
      "$right" "$right" 'sleep 500' 'type n' 'sleep 500'
    "$here/emu.sh" shot "$dev" "$out/picker-program.png" && say "screenshot of the program picker taken"
    keys "$enter" "$enter" 'sleep 1000'
  else
    say "could not open the program picker"
  fi
  "$here/emu.sh" shot "$dev" "$out/picker-chosen.png"
  wine_detached 'C:\windows\ctlpnl.exe'
  if wine_run "$bin/devctl.exe" wait-window EmulatedSettings 10000; then
    sleep 2 # it shows once every library is asked
    "$here/emu.sh" shot "$dev" "$out/control-panel.png" && say "screenshot of the control panel's Settings screen taken"
    wine_run "$bin/devctl.exe" close-window EmulatedSettings 3000 || true
  else
    say "the control panel showed no Settings screen"
  fi
}

# 240x320: the pages, an input session with the recorder in front, the pickers and
# the Settings screen.
dev=$build/device/lo
bring_up "$dev" 240 320
if ! start_pelorin; then
  say "Pelorin published no listener thread (INTRCM) within 10 s"
fi
visit_pages "$dev" 240x320
wine_run "$bin/devctl.exe" close-window EmulatedRecorder 1000 || true
say "starting the recorder"
wine_detached "$bin/recorder.exe" 'C:\emulated\demo-recorder.txt'
wine_run "$bin/devctl.exe" wait-window EmulatedRecorder 10000 || say "the recorder did not show its window"
say "playing demo.usb through the driver simulator"
wine_run "$bin/usbsim.exe" "$(winpath "$here/demo.usb")" || say "usbsim failed (exit $?), see $log"
sleep 1
"$here/emu.sh" shot "$dev" "$out/screen-input.png" && say "screenshot of the input session taken"
wine_run "$bin/devctl.exe" close-window EmulatedRecorder 3000 || true
show_pickers "$dev"
stop_pelorin
# Copied once the program has ended, so that the log holds its TERM lines too.
[ -f "$c/ui.tray.dbg" ] && cp "$c/ui.tray.dbg" "$out/ui.tray.dbg"
[ -f "$c/emulated/demo-recorder.txt" ] && cp "$c/emulated/demo-recorder.txt" "$out/recorder.txt"
visit_settings_screen "$dev"
stop_pelorin

# 480x640: the pages at the high resolution.
dev=$build/device/hi
bring_up "$dev" 480 640
start_pelorin || say "Pelorin published no listener thread (INTRCM) within 10 s"
visit_pages "$dev" 480x640
stop_pelorin

echo "$out"
