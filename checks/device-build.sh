#!/usr/bin/env bash
# The device's word size, processor and system libraries, checked without a device:
#   1. a 32-bit build (mingw-w64 i686): Pelorin.exe, Tessar.cpl, the platform layer
#      and the unit-test programs, warnings as errors, with the record sizes checked;
#   2. an ARM compile (clang, armv7-w64-windows-gnu): the product's sources, compiled
#      and not linked;
#   3. the export check (device-exports.sh) on the product's objects of the main
#      build and of the ARM compile.
# Each prints one line; a failure prints what the compiler or the check said.
#   device-build.sh MAIN_BUILD BUILD32 BUILD_ARM
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
main=${1:?main build folder} build32=${2:?32-bit build folder} buildArm=${3:?ARM build folder}
jobs=$(nproc)

# Configures and builds; on failure shows what the compiler said.
build() {
  local dir=$1 toolchain=$2; shift 2
  local log="$dir/device-check.log"
  mkdir -p "$dir"
  if cmake -S "$root" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain" >"$log" 2>&1 &&
     cmake --build "$dir" -j "$jobs" "$@" >>"$log" 2>&1; then
    return 0
  fi
  grep -E 'error|Error|undefined reference' "$log" | head -40 || tail -40 "$log"
  return 1
}

build "$build32" mingw-w64-i686-posix.cmake --target Pelorin Tessar ceplatform_objects unit_tests ||
  { echo "32-bit build: FAILED (output in $build32/device-check.log)"; exit 1; }
units=$(find "$build32/tests" -maxdepth 1 -name 'unit_*.exe' | wc -l)
echo "32-bit build: Pelorin.exe, Tessar.cpl, the platform layer and $units unit-test programs built for i686" \
     "(32-bit pointers, warnings as errors, device record sizes asserted)"

build "$buildArm" clang-armv7-windows.cmake || { echo "ARM compile: FAILED (output in $buildArm/device-check.log)"; exit 1; }
sources=$(find "$buildArm/tray" "$buildArm/applet" -name '*.obj' | wc -l)
echo "ARM compile: $sources sources of tray/ and applet/ compiled for armv7-w64-windows-gnu" \
     "(warnings as errors, device record sizes asserted; nothing linked or run)"

bash "$root/checks/device-exports.sh" "$main" "$buildArm"
