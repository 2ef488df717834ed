#!/usr/bin/env bash
# Boots the emulated device's own programs: called by emu.sh as `boot.sh DIR` once
# Wine is up, with the device's environment (WINEPREFIX, DISPLAY) exported.
#  - places the platform-program stand-ins where the program starts them:
#    \windows\ctlpnl.exe, \windows\bthbond.exe and iexplore.exe (found by
#    ShellExecuteEx through the search path and the App Paths key);
#  - starts the shell stand-in (shell32.exe) unless it runs, and waits for its top bar.
# Running it again changes nothing.
set -euo pipefail

WINE=/usr/lib/wine/wine64
dir=$(cd "${1:?usage: boot.sh DIR}" && pwd)
bin="$dir/../../device-bin"
if [ ! -x "$bin/shell32.exe" ]; then
  echo "boot: device programs not built ($bin); the device runs without its shell" >&2
  exit 0
fi
bin=$(cd "$bin" && pwd)
: "${WINEPREFIX:?WINEPREFIX not set}"
c="$WINEPREFIX/drive_c"

# Replaces a file by a new one (new inode), so a running copy is never overwritten
# in place; unchanged files are left alone.
place() {
  local from=$1 to=$2
  mkdir -p "$(dirname "$to")"
  if [ -f "$to" ] && cmp -s "$from" "$to"; then return 0; fi
  cp "$from" "$to.new.$$" && mv -f "$to.new.$$" "$to"
}

place "$bin/ctlpnl.exe"   "$c/windows/ctlpnl.exe"
place "$bin/bthbond.exe"  "$c/windows/bthbond.exe"
place "$bin/iexplore.exe" "$c/windows/system32/iexplore.exe"
place "$bin/iexplore.exe" "$c/windows/iexplore.exe"
place "$bin/iexplore.exe" "$c/Program Files/Internet Explorer/iexplore.exe"
place "$bin/shell32.exe"  "$c/windows/shell32.exe"
mkdir -p "$c/emulated"

# Wine would prefer its built-in iexplore over ours: ask for the native one, once.
if [ ! -f "$dir/.iexplore-native" ]; then
  "$WINE" reg add 'HKCU\Software\Wine\DllOverrides' /v iexplore.exe /d native /f </dev/null >/dev/null 2>&1 || true
  "$WINE" reg add 'HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\iexplore.exe' /ve \
    /d 'C:\Program Files\Internet Explorer\iexplore.exe' /f </dev/null >/dev/null 2>&1 || true
  touch "$dir/.iexplore-native"
fi

if ! "$WINE" "$bin/devctl.exe" wait-window HHTaskBar 0 </dev/null >/dev/null 2>&1; then
  (cd "$c" && exec setsid "$WINE" 'C:\windows\shell32.exe') </dev/null >/dev/null 2>&1 &
  if ! "$WINE" "$bin/devctl.exe" wait-window HHTaskBar 20000 </dev/null >/dev/null 2>&1; then
    echo "boot: the shell's top bar did not appear" >&2
    exit 1
  fi
fi
