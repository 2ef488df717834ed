#!/usr/bin/env bash
# Regenerates the data files that the installer places below the install path:
# pictures and the key-click sound. The outputs in files/ are
# committed; run this again only to change them. The help page,
# files/help/help.html, is written by hand.
#
# Transparent key colours must come out of the JPEG decoder exactly (0xFF00FF and
# 0x00FF00). A JPEG written from the RGB key decodes one step off, so the key areas
# are written as YCbCr triples outside the RGB gamut that clamp to the key when
# decoded: the artwork is converted to YCbCr, the key areas are overwritten with
# those triples and the result is written with its channels taken as YCbCr as they
# stand. Shapes keep away from the cursor cells' probe pixels (JPEG ringing).
set -euo pipefail

IM=/usr/bin/convert
here=$(cd "$(dirname "$0")" && pwd)
out=$here/files
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$out/images" "$out/help"

MAGENTA_YCC='rgb(105,235,255)'  # decodes to R>255, G<0, B>255: exactly 0xFF00FF
GREEN_YCC='rgb(150,10,0)'       # decodes to R<0, G>255, B<0: exactly 0x00FF00

# keyed_jpeg ART.png KEY(#RRGGBB) YCC-TRIPLE OUT.jpg
keyed_jpeg() {
  local art=$1 key=$2 ycc=$3 dest=$4 size
  size=$($IM "$art" -format '%wx%h' info:)
  $IM "$art" -alpha off -colorspace YCbCr -set colorspace sRGB "$tmp/ycc.miff"
  $IM "$art" -alpha off -fill black +opaque "$key" -fill white -opaque "$key" "$tmp/mask.miff"
  $IM "$tmp/ycc.miff" \( -size "$size" xc:"$ycc" \) "$tmp/mask.miff" -composite \
      -set colorspace YCbCr -sampling-factor 1x1 -quality 100 -strip "$dest"
}

# plain_jpeg ART.png OUT.jpg (no transparent colour)
plain_jpeg() { $IM "$1" -alpha off -sampling-factor 1x1 -quality 95 -strip "$2"; }

# --- Cursor strip: ten shapes, each in a 10x20 cell (scaled by s), hot spot at the
# cell's top-left. Probe pixels (w-3, 3) and (3, h-3) stay clear of every shape.
cursor_shape() {
  case $1 in
  0) echo "fill black stroke white polygon 0,0 0,13 3,10 5,14 7,13 5,9 9,9" ;;                 # arrow
  1) echo "fill white stroke black polygon 0,0 0,10 2,8 4,12 5,11 3,7 6,7" ;;                  # short white arrow
  2) echo "fill white stroke black polygon 0,0 2,0 2,5 7,6 7,12 5,14 1,14 0,12" ;;             # hand
  3) echo "fill none stroke black stroke-width 2 line 0,0 6,6 line 6,0 0,6" ;;                   # cross
  4) echo "fill black stroke black rectangle 2,0 3,13 rectangle 0,0 5,1 rectangle 0,12 5,13" ;; # I-beam
  5) echo "fill red stroke black polygon 0,0 0,9 6,6" ;;                                       # triangle
  6) echo "fill none stroke blue circle 3,8 3,11 line 0,0 2,5" ;;                              # ring on a stalk
  7) echo "fill #3060C0 stroke black polygon 0,0 2,1 8,13 6,14 1,2" ;;                          # pen
  8) echo "fill black stroke white polygon 0,0 0,8 2,6 4,8 rectangle 4,9 9,14" ;;               # drag
  9) echo "fill yellow stroke black polygon 0,0 6,0 3,6 6,12 0,12 3,6" ;;                      # hourglass
  esac
}

make_cursors() {
  local s=$1 w=$((10 * $1)) h=$((20 * $1)) args=() i
  for i in 0 1 2 3 4 5 6 7 8 9; do
    args+=(-draw "translate $((i * w)),0 scale $s,$s stroke-width 1 $(cursor_shape $i)")
  done
  $IM -size $((10 * w))x$h xc:'#FF00FF' +antialias "${args[@]}" "$tmp/cursors.png"
  keyed_jpeg "$tmp/cursors.png" '#FF00FF' "$MAGENTA_YCC" "$out/images/cursors_f$s.jpg"
}

# --- Mouse button strip: Left, Middle, Right, Wheel Up, Wheel Down in 48x36 cells.
mouse_cell() {
  local hl
  case $1 in
  0) hl="fill #2060E0 rectangle 16,6 23,14" ;;
  1) hl="fill #2060E0 rectangle 22,5 26,13" ;;
  2) hl="fill #2060E0 rectangle 25,6 32,14" ;;
  3) hl="fill #2060E0 rectangle 22,5 26,13 fill #2060E0 stroke none polygon 41,4 46,11 36,11" ;;
  4) hl="fill #2060E0 rectangle 22,5 26,13 fill #2060E0 stroke none polygon 36,24 46,24 41,31" ;;
  esac
  echo "fill #D8D8D8 stroke #404040 roundrectangle 14,3 34,33 8,8 line 14,15 34,15 line 24,3 24,15 \
fill #909090 stroke #404040 rectangle 22,6 26,12 $hl"
}

make_mouse_strip() {
  local s=$1 args=() i
  for i in 0 1 2 3 4; do
    args+=(-draw "translate $((i * 48 * s)),0 scale $s,$s stroke-width 1 $(mouse_cell $i)")
  done
  $IM -size $((240 * s))x$((36 * s)) xc:'#FF00FF' +antialias "${args[@]}" "$tmp/t0ms.png"
  keyed_jpeg "$tmp/t0ms.png" '#FF00FF' "$MAGENTA_YCC" "$out/images/t0ms_f$s.jpg"
}

# --- Frame behind the selected button and connector to the action list.
make_frame_pictures() {
  $IM -size 96x130 xc:white +antialias -draw "fill #E4EEFA stroke #3070C0 stroke-width 4 roundrectangle 3,3 92,126 12,12" \
      "$tmp/t0s1.png"
  plain_jpeg "$tmp/t0s1.png" "$out/images/t0s1_f12.jpg"
  $IM -size 288x60 xc:white +antialias \
      -draw "fill #E4EEFA stroke #3070C0 stroke-width 4 polygon 3,0 3,40 20,56 268,56 285,40 285,0" \
      -draw "fill #E4EEFA stroke none rectangle 5,0 283,6" "$tmp/t0s2.png"
  plain_jpeg "$tmp/t0s2.png" "$out/images/t0s2_f12.jpg"
}

# --- Tree images (22x22 cells, green transparent): expanded folder, collapsed
# folder, leaf (applet for tva, program for tvf).
tree_cell() {
  case $1 in
  open)    echo "fill #E0B030 stroke #805000 polygon 2,5 8,5 10,7 18,7 18,10 2,10 fill #F8D860 polygon 2,18 5,10 21,10 18,18" ;;
  closed)  echo "fill #E0B030 stroke #805000 polygon 2,5 8,5 10,7 19,7 19,18 2,18 fill #F8D860 rectangle 2,9 19,18" ;;
  applet)  echo "fill #3070C0 stroke #103060 roundrectangle 2,2 19,19 4,4 fill white stroke white circle 10,10 10,14 fill #3070C0 circle 10,10 10,12" ;;
  program) echo "fill white stroke #103060 rectangle 2,3 19,18 fill #3070C0 rectangle 2,3 19,7 fill #C0C0C0 stroke none rectangle 5,10 16,15" ;;
  esac
}

make_tree_strip() {
  local name=$1 leaf=$2 s=$3 c=22 args=() i=0 kind
  for kind in open closed "$leaf"; do
    args+=(-draw "translate $((i * c * s)),0 scale $s,$s stroke-width 1 $(tree_cell "$kind")")
    i=$((i + 1))
  done
  $IM -size $((3 * c * s))x$((c * s)) xc:'#00FF00' +antialias "${args[@]}" "$tmp/$name.png"
  keyed_jpeg "$tmp/$name.png" '#00FF00' "$GREEN_YCC" "$out/images/${name}_f$s.jpg"
}

# --- Key click: 6 ms of a decaying 2 kHz tone, 16-bit mono PCM at 22050 Hz.
make_sound() {
  sox -q -n -r 22050 -b 16 -c 1 -e signed-integer "$out/soundkb.wav" synth 0.006 sine 2000 fade q 0 0.006 0.005 vol 0.6
}

for s in 1 2; do
  make_cursors $s
  make_mouse_strip $s
  make_tree_strip tva applet $s
  make_tree_strip tvf program $s
done
make_frame_pictures
make_sound
echo "make-data: wrote $(find "$out" -type f | wc -l) files into $out"
