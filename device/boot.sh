#!/usr/bin/env bash
# Boots the emulated device's own programs: called by emu.sh as `boot.sh DIR` once
# Wine is up, with the device's environment (WINEPREFIX, DISPLAY) exported.
#  - places the control panel \windows\ctlpnl.exe and the platform-program
#    stand-ins where the program starts them: \windows\bthbond.exe and iexplore.exe
#    (found by ShellExecuteEx through the search path and the App Paths key);
#  - gives the device a file system worth browsing: ordinary control-panel
#    libraries in \windows, shortcuts in \windows\Start Menu\Programs, programs below
#    \Program Files, an empty folder, a folder of 2,000 files, names in capitals
#    and names shorter than four characters, and \Crowded: more programs than a
#    folder lists (20,001) among text files;
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

# Control-panel libraries, as a user's device has them: the sample library behaving
# by the name it is copied under (device/applets/SampleApplet.cpp), each an ordinary
# library. The awkward and hostile ones belong to the tests that place them; any
# other library in \windows (left by an earlier boot, an interrupted test or a
# benchmark) goes, and with the installer's Tessar.cpl the Settings screen shows
# what a user's would.
ordinary=(owner.cpl system.cpl connect.cpl input.cpl REGION.CPL)
for name in "${ordinary[@]}"; do
  place "$bin/sample.cpl" "$c/windows/$name"
done
for path in "$c/windows/"*.[cC][pP][lL]; do
  name=$(basename "$path")
  case " ${ordinary[*]} Tessar.cpl " in *" $name "*) continue ;; esac
  rm -rf "$path"
done

# Programs (copies of the stand-in, which notes its start) and their shortcuts in
# the device's own form, "NN#COMMAND" with NN the command's length.
pf="$c/Program Files"
place "$bin/demoapp.exe" "$pf/Notes/notes.exe"
place "$bin/demoapp.exe" "$pf/Calc/calc.exe"
place "$bin/demoapp.exe" "$pf/Games/solitaire.exe"
shortcut() {
  mkdir -p "$(dirname "$1")"
  printf '%s#%s' "${#2}" "$2" >"$1"
}
programs="$c/windows/Start Menu/Programs"
shortcut "$programs/Notes.lnk" '"\Program Files\Notes\notes.exe" -new'
shortcut "$programs/Calculator.lnk" '\Program Files\Calc\calc.exe'
shortcut "$programs/Games/Solitaire.lnk" '"\Program Files\Games\solitaire.exe" -deal 7'
mkdir -p "$pf/Empty Folder" "$pf/Tools/folder.exe" "$pf/Many Files"
touch "$pf/Tools/tool.exe" "$pf/Tools/CALC.EXE" "$pf/Tools/README.TXT" "$pf/Tools/e" "$pf/Tools/xe" "$pf/Tools/ab"
if [ ! -f "$pf/Many Files/note1999.txt" ]; then
  (cd "$pf/Many Files" && touch prog{0000..1998..2}.exe note{0001..1999..2}.txt)
fi
if [ ! -f "$c/Crowded/p20000.exe" ]; then
  mkdir -p "$c/Crowded"
  (cd "$c/Crowded" && touch p{00000..20000}.exe readme{000..299}.txt)
fi

# Wine would prefer its built-in iexplore over ours: ask for the native one, once.
if [ ! -f "$dir/.iexplore-native" ]; then
  "$WINE" reg add 'HKCU\Software\Wine\DllOverrides' /v iexplore.exe /d native /f </dev/null >/dev/null 2>&1 || true
  "$WINE" reg add 'HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\iexplore.exe' /ve \
    /d 'C:\Program Files\Internet Explorer\iexplore.exe' /f </dev/null >/dev/null 2>&1 || true
  touch "$dir/.iexplore-native"
fi

# The device has no window manager. Wine hands a full-screen window to one and, on
# hiding it, waits up to 2 s for the manager to confirm; with none there, every
# full-screen window (the pickers) took 2 s to go away. Unmanaged windows go at once.
if [ ! -f "$dir/.unmanaged" ]; then
  "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1 || true
  touch "$dir/.unmanaged"
fi

# A Pocket PC draws its controls plainly: it has no visual themes. Wine's theme
# would also have the controls load and free its style library through the
# system's loader whenever one is made or destroyed.
if [ ! -f "$dir/.unthemed" ]; then
  "$WINE" reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager' /v ThemeActive /d 0 /f \
    </dev/null >/dev/null 2>&1 || true
  touch "$dir/.unthemed"
fi

if ! "$WINE" "$bin/devctl.exe" wait-window HHTaskBar 0 </dev/null >/dev/null 2>&1; then
  (cd "$c" && exec setsid "$WINE" 'C:\windows\shell32.exe') </dev/null >/dev/null 2>&1 &
  if ! "$WINE" "$bin/devctl.exe" wait-window HHTaskBar 20000 </dev/null >/dev/null 2>&1; then
    echo "boot: the shell's top bar did not appear" >&2
    exit 1
  fi
fi
