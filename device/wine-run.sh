#!/usr/bin/env bash
# Runs a Windows program on an emulated device of this build tree.
#   DEVICE=lo (240x320, default) or hi (480x640); DEVICE_ROOT is the build's device folder.
set -euo pipefail
root=${DEVICE_ROOT:?DEVICE_ROOT not set}
dev="$root/${DEVICE:-lo}"
eval "$("$(dirname "$0")/emu.sh" env "$dev")"
exec /usr/lib/wine/wine64 "$@"
