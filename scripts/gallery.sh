#!/usr/bin/env bash
# Draws every example program with the built runner into docs/img/<name>.png, the pictures of the
# README's gallery: drawn at the runner's own size (its screen scale, where the examples are laid
# out), then made $GALLERY_WIDTH pixels wide (default 480) with netpbm or ImageMagick. Stops at the
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
if command -v pnmscale > /dev/null && command -v pnmtopng > /dev/null; then
  shrink() { pngtopnm "$1" | pnmscale -width "$width" | pnmtopng -compression 9 > "$2"; }
elif convert -version 2> /dev/null | grep -q ImageMagick; then
  shrink() { convert "$1" -resize "${width}x" "$2"; }
else
  echo "gallery.sh: needs netpbm (pnmscale) or ImageMagick (convert) to size the pictures" >&2
  exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
log=$work/run.log
for program in examples/*.dat; do
  name=$(basename "$program" .dat)
  QT_QPA_PLATFORM=offscreen "$runner" --log "$log" --png "$work/$name.png" "$program"
  if grep -q '^message ' "$log"; then
    echo "gallery.sh: $program shows a message:" >&2
    grep '^message ' "$log" >&2
    exit 1
  fi
  shrink "$work/$name.png" "docs/img/$name.png"
  echo "docs/img/$name.png"
done
