#!/usr/bin/env bash
# Only what the device exports: lists every function that the product's objects
# (tray/ and applet/) call outside themselves and fails on any that the device's
# system libraries do not export (checks/device-exports/*.txt, an upper bound across
# Windows CE versions). The platform layer is not checked: it stands for the
# device's system. A call to one of its device names (ce_device*.h maps RegOpenKeyExW
# onto CeRegOpenKeyExW) counts as a call to the name it stands for, so the platform
# cannot give the product a function the device lacks.
#
#   device-exports.sh BUILD_DIR...       the product's objects of those build trees
#   device-exports.sh --objects FILE...  the given objects
# Exit 0 when every call is the device's; 1, naming each source file and function,
# when one is not.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")

# Not exported, yet the device has them: its SDK provides them as inline code or
# macros, or the compiler brings them. Nothing else is exempt.
declare -A exempt=(
  [GetCurrentThreadId]="SDK inline: read from the kernel's data page"
  [GetCurrentProcessId]="SDK inline: read from the kernel's data page"
  [GetCurrentThread]="SDK macro: a constant pseudo-handle"
  [GetCurrentProcess]="SDK macro: a constant pseudo-handle"
  [SetEvent]="SDK inline: EventModify(event, EVENT_SET)"
  [ResetEvent]="SDK inline: EventModify(event, EVENT_RESET)"
  [MsgWaitForMultipleObjects]="SDK macro: MsgWaitForMultipleObjectsEx with no flags"
  [atexit]="the compiler's C runtime start-up library, linked into the program"
  [___chkstk_ms]="compiler helper (x86 gcc): stack probe for a large frame, from its runtime library"
  [__chkstk]="compiler helper (ARM): stack probe for a large frame, from its runtime library"
  [CeCallGuarded]="the compiler's __try/__except on the device: structured exception handling, no library call"
)
# Desktop names whose device export lacks the W: the device is Unicode only.
declare -A wide=(
  [Process32FirstW]=Process32First
  [Process32NextW]=Process32Next
)

declare -A exported
while read -r name; do exported[$name]=1; done < <(cat "$here"/device-exports/*.txt)

# The platform's device names: "#define RegOpenKeyExW CeRegOpenKeyExW" makes the
# wrapper stand for RegOpenKeyExW (and, through other lines, RegOpenKeyEx).
declare -A standsFor
while read -r device wrapper; do
  standsFor[$wrapper]+="$device "
done < <(sed -nE 's/^#define[[:space:]]+([A-Za-z_][A-Za-z0-9_]*)[[:space:]]+(Ce[A-Za-z0-9_]+)[[:space:]]*$/\1 \2/p' \
           "$root"/platform/include/ce_device*.h)

objects=()
if [ "${1:-}" = "--objects" ]; then
  shift
  objects=("$@")
  from="the given objects"
else
  from="the objects of tray/ and applet/ in $*"
  for build in "$@"; do
    while IFS= read -r -d '' object; do objects+=("$object"); done < <(
      find "$build/tray/CMakeFiles" "$build/applet/CMakeFiles" -name '*.obj' -print0 2>/dev/null)
  done
fi
[ ${#objects[@]} -gt 0 ] || { echo "device-exports: no objects to check" >&2; exit 2; }

# The source file an object was compiled from: .../tray/CMakeFiles/traylib.dir/gui/GUI.cpp.obj -> tray/gui/GUI.cpp
source_of() { sed -E 's#^(.*/)?([^/]+)/CMakeFiles/[^/]+\.dir/#\2/#; s#\.obj$##' <<<"$1"; }

defined=$(llvm-nm -g --defined-only "${objects[@]}" 2>/dev/null | awk 'NF == 3 { print $3 }' | sort -u)
declare -A isDefined
while read -r name; do [ -n "$name" ] && isDefined[$name]=1; done <<<"$defined"

# True when the device has `name`: exported, exempt, or the export of its wide name.
device_has() {
  local name=$1 export=${wide[$1]:-$1}
  [ -n "${exported[$export]:-}" ] || [ -n "${exempt[$name]:-}" ]
}

failures=0
declare -A seen counted
for object in "${objects[@]}"; do
  source=$(source_of "$object")
  while read -r symbol; do
    name=${symbol#__imp_}
    [ -z "$name" ] || [ -n "${isDefined[$name]:-}" ] && continue
    seen[$name]=1
    ok=
    if [ -n "${standsFor[$name]:-}" ]; then
      for device in ${standsFor[$name]}; do device_has "$device" && ok=1; done
      [ -n "$ok" ] && counted[$name]=platform
    elif device_has "$name"; then
      ok=1
      if [ -n "${exempt[$name]:-}" ]; then counted[$name]=exempt; else counted[$name]=export; fi
    fi
    if [ -z "$ok" ]; then
      if [ -n "${standsFor[$name]:-}" ]; then
        echo "$source: $name (the platform's name for ${standsFor[$name]% }) is not exported by the device's system libraries"
      else
        echo "$source: $name is not exported by the device's system libraries"
      fi
      failures=$((failures + 1))
    fi
  done < <(llvm-nm -u "$object" 2>/dev/null | awk '{ print $NF }' | sort -u)
done

if [ "$failures" -gt 0 ]; then
  echo "Device exports: $failures call(s) to functions the device does not have"
  exit 1
fi
exports=0 platform=0 exempted=0
for name in "${!counted[@]}"; do
  case ${counted[$name]} in export) exports=$((exports + 1)) ;; platform) platform=$((platform + 1)) ;; *) exempted=$((exempted + 1)) ;; esac
done
echo "Device exports: $from (${#objects[@]}) call ${#seen[@]} functions outside themselves:" \
     "$exports exported by the device's system libraries, $platform through the platform's device names," \
     "$exempted SDK inline code, macros or compiler helpers"
