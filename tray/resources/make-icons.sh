#!/usr/bin/env bash
# Draws the program's icons (16, 32 and 64 pixels, 24-bit colour) with ImageMagick.
# The .ico files are committed; run this again only to change the artwork.
set -euo pipefail
cd "$(dirname "$0")"
IM=/usr/bin/convert

# icon NAME BACKGROUND DRAW-COMMANDS(at 64x64)
icon() {
  local name=$1 bg=$2; shift 2
  local tmp; tmp=$(mktemp -d)
  $IM -size 64x64 xc:white -fill "$bg" -stroke '#203050' -strokewidth 2 -draw 'roundrectangle 2,2 61,61 10,10' \
      "$@" -alpha off "$tmp/64.png"
  for s in 16 32 64; do $IM "$tmp/64.png" -resize ${s}x${s} -depth 8 "rgb:$tmp/$s.rgb"; done
  python3 - "$tmp" "$name.ico" <<'PY'
import struct, sys
tmp, out = sys.argv[1], sys.argv[2]
sizes = [16, 32, 64]
images = []
for s in sizes:
    rgb = open(f"{tmp}/{s}.rgb", "rb").read()
    rows = []
    for y in range(s - 1, -1, -1):  # bottom-up, BGR, rows padded to 4 bytes
        row = b"".join(bytes((rgb[3*(y*s+x)+2], rgb[3*(y*s+x)+1], rgb[3*(y*s+x)])) for x in range(s))
        rows.append(row + b"\0" * ((4 - len(row) % 4) % 4))
    mask_row = ((s + 31) // 32) * 4
    header = struct.pack("<IiiHHIIiiII", 40, s, 2 * s, 1, 24, 0, 0, 0, 0, 0, 0)
    images.append(header + b"".join(rows) + b"\0" * (mask_row * s))
data = struct.pack("<HHH", 0, 1, len(sizes))
offset = 6 + 16 * len(sizes)
for s, img in zip(sizes, images):
    data += struct.pack("<BBBBHHII", s % 256, s % 256, 0, 0, 1, 24, len(img), offset)
    offset += len(img)
open(out, "wb").write(data + b"".join(images))
PY
  rm -rf "$tmp"
}

mouse='roundrectangle 20,10 44,54 12,12'
icon Pelorin '#2f6fd0' -fill white -stroke '#203050' -draw "$mouse" -draw 'line 32,10 32,28' -draw 'line 20,28 44,28'
icon TabMouse '#e8eef8' -fill '#2f6fd0' -stroke '#203050' -draw "$mouse" -draw 'line 32,10 32,28'
icon TabKeyboard '#e8eef8' -fill '#404040' -stroke '#202020' -draw 'roundrectangle 8,20 56,46 4,4' \
  -fill white -stroke none -draw 'rectangle 13,25 19,30' -draw 'rectangle 23,25 29,30' -draw 'rectangle 33,25 39,30' \
  -draw 'rectangle 43,25 49,30' -draw 'rectangle 18,36 46,41'
icon TabStatus '#e8eef8' -fill '#30a040' -stroke '#205020' -draw 'circle 32,32 32,12' \
  -fill white -stroke white -strokewidth 5 -draw 'line 22,33 30,41' -draw 'line 30,41 43,24'
icon TabHelp '#e8eef8' -fill '#2f6fd0' -stroke '#203050' -draw 'circle 32,32 32,10' \
  -fill white -stroke none -font DejaVu-Sans-Bold -pointsize 34 -gravity center -annotate +0+1 '?'
icon TabAbout '#e8eef8' -fill '#2f6fd0' -stroke '#203050' -draw 'circle 32,32 32,10' \
  -fill white -stroke none -font DejaVu-Serif-Bold -pointsize 34 -gravity center -annotate +0+1 'i'
