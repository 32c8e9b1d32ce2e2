#!/usr/bin/env bash
# Takes the README's screenshot again: the window with a dial, on a virtual X display.
# Needs a build (scripts/run.sh or scripts/test.sh) and the packages xvfb, x11-apps and netpbm (the screen around the window is cut away).
# Usage: scripts/screenshot.sh [program.dat [picture.png]]
set -euo pipefail
cd "$(dirname "$0")/.."
programme=${1:-examples/voltmeter.dat}
sortie=${2:-docs/img/window.png}
for outil in Xvfb xwd xwdtopnm pnmtopng; do
  command -v "$outil" > /dev/null || { echo "$0: $outil is missing (apt-get install xvfb x11-apps netpbm)" >&2; exit 1; }
done
[ -x build/src/morvo ] || { echo "$0: build Morvo first (scripts/run.sh)" >&2; exit 1; }

travail=$(mktemp -d)
trap 'kill "${morvo:-}" "${xvfb:-}" 2> /dev/null || true; rm -rf "$travail"' EXIT
# A configuration of its own, so no first-start dialog comes between the window and the picture.
mkdir -p "$travail/config/Morvo"
# The header names the version as the program writes it: "0.01 " for 0.1.0, "0.01a" for 0.1.1.
version=$(build/src/morvo-run --version | awk '{ split($NF, v, "."); printf "%d.%02d%s", v[1], v[2], v[3] == 0 ? " " : sprintf("%c", 96 + v[3]) }')
printf "'Fichier de configuration du Programme Morvo V%s\r\nLangue = English\r\nLangueMenu = English\r\nLangueAide = English\r\nLangueMasq = English\r\n" \
  "$version" > "$travail/config/Morvo/Morvo.cfg"

ecran=:$((90 + RANDOM % 100))
Xvfb "$ecran" -screen 0 "${MORVO_SCREEN:-1280x800}x24" -nolisten tcp > /dev/null 2>&1 &
xvfb=$!
sleep 1
cp "$programme" "$travail/"
DISPLAY=$ecran XDG_CONFIG_HOME="$travail/config" QT_QPA_PLATFORM=xcb \
  build/src/morvo "$travail/$(basename "$programme")" > /dev/null 2>&1 &
morvo=$!
sleep 4
mkdir -p "$(dirname "$sortie")"
DISPLAY=$ecran xwd -root -silent | xwdtopnm 2> /dev/null | pnmcrop -black -bottom -right 2> /dev/null | pnmtopng > "$sortie"
echo "$sortie"
