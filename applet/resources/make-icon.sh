#!/usr/bin/env bash
# Draws the applet's icon, Tessar.ico: 16, 32 and 64 pixels at 24-bit colour, with
# ImageMagick. The program's mouse on the blue tile, with a settings slider below.
# The .ico file is committed; run this again only to change the artwork.
set -euo pipefail
cd "$(dirname "$0")"
IM=/usr/bin/convert
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

$IM -size 64x64 xc:white -fill '#2f6fd0' -stroke '#203050' -strokewidth 2 -draw 'roundrectangle 2,2 61,61 10,10' \
    -fill white -draw 'roundrectangle 22,6 42,40 10,10' -draw 'line 32,6 32,20' -draw 'line 22,20 42,20' \
    -stroke white -strokewidth 4 -draw 'line 10,51 54,51' \
    -fill '#f0c020' -stroke '#203050' -strokewidth 2 -draw 'rectangle 34,44 42,58' \
    -alpha off "$tmp/64.png"
for s in 16 32 64; do $IM "$tmp/64.png" -resize ${s}x${s} -depth 8 "rgb:$tmp/$s.rgb"; done

# An icon file: the directory, then per size a bottom-up BGR bitmap of twice the
# height (the second half is the AND mask, all zero: fully opaque).
python3 - "$tmp" Tessar.ico <<'PY'
import struct, sys
tmp, out = sys.argv[1], sys.argv[2]
sizes = [16, 32, 64]
images = []
for s in sizes:
    rgb = open(f"{tmp}/{s}.rgb", "rb").read()
    rows = []
    for y in reversed(range(s)):
        row = b"".join(bytes((rgb[3*(y*s+x)+2], rgb[3*(y*s+x)+1], rgb[3*(y*s+x)])) for x in range(s))
        rows.append(row + b"\0" * (-len(row) % 4))
    mask = b"\0" * (((s + 31) // 32) * 4 * s)
    header = struct.pack("<IiiHHIIiiII", 40, s, 2 * s, 1, 24, 0, 0, 0, 0, 0, 0)
    images.append(header + b"".join(rows) + mask)
directory = struct.pack("<HHH", 0, 1, len(sizes))
offset = 6 + 16 * len(sizes)
for s, image in zip(sizes, images):
    directory += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 24, len(image), offset)
    offset += len(image)
open(out, "wb").write(directory + b"".join(images))
PY
