#!/usr/bin/env bash
# Draws every example program with the built runner into docs/img/<name>.png, the pictures of the
# README's gallery: drawn at zoom 2, the blank page cut away, then fitted into a box
# $GALLERY_WIDTH pixels wide (default 480) and three quarters as high, with netpbm or ImageMagick. Stops at the
# first example that cannot be drawn or shows a message (a run error). The runner may be given as
# $MORVO_RUN (default: build/src/morvo-run).
set -euo pipefail
cd "$(dirname "$0")/.."
runner=${MORVO_RUN:-build/src/morvo-run}
width=${GALLERY_WIDTH:-480}
if [ ! -x "$runner" ]; then
  echo "gallery.sh: no runner at $runner: build it first (cmake --build build --target morvo-run)" >&2
  exit 1
fi
mkdir -p docs/img
height=$((width * 3 / 4))
if command -v pnmscale > /dev/null && command -v pnmtopng > /dev/null; then
  # The blank page around the drawing is cut away first, but for a margin, so that every picture
  # shows its drawing as large as the gallery's box allows (never enlarged).
  shrink() {
    pngtopnm "$1" | pnmcrop -white 2> /dev/null | pnmmargin -white 12 > "$work/crop.pnm"
    read -r w h < <(pnmfile "$work/crop.pnm" | sed -E 's/.* ([0-9]+) by ([0-9]+).*/\1 \2/')
    if [ "$w" -gt "$width" ] || [ "$h" -gt "$height" ]; then
      pnmscale -xysize "$width" "$height" "$work/crop.pnm" | pnmtopng -compression 9 > "$2"
    else
      pnmtopng -compression 9 "$work/crop.pnm" > "$2"
    fi
  }
elif convert -version 2> /dev/null | grep -q ImageMagick; then
  shrink() { convert "$1" -trim -bordercolor white -border 12 -resize "${width}x${height}>" "$2"; }
else
  echo "gallery.sh: needs netpbm (pnmscale) or ImageMagick (convert) to size the pictures" >&2
  exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
log=$work/run.log
for program in examples/*.dat; do
  name=$(basename "$program" .dat)
  QT_QPA_PLATFORM=offscreen "$runner" --zoom 2 --log "$log" --png "$work/$name.png" "$program"
  if grep -q '^message ' "$log"; then
    echo "gallery.sh: $program shows a message:" >&2
    grep '^message ' "$log" >&2
    exit 1
  fi
  shrink "$work/$name.png" "docs/img/$name.png"
  echo "docs/img/$name.png"
done
