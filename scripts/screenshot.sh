#!/usr/bin/env bash
# Takes the README's screenshot: the program (through the run command, so
# COM1 is the board simulator) in a real window under Xvfb with a small
# window manager, saved as docs/window.png. Further arguments are shell
# commands run with DISPLAY set before the picture is taken, for example
# "xdotool key ctrl+o".
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh xvfb openbox imagemagick
unset KTQ51_COM1

display=:77
Xvfb "$display" -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
sleep 1
DISPLAY=$display openbox >/dev/null 2>&1 &
sleep 1
DISPLAY=$display setsid scripts/run.sh >/dev/null 2>&1 &
app=$!
sleep 4
for step in "$@"; do DISPLAY=$display bash -c "$step"; sleep 1; done
# The window sits at (207, 153); the crop takes it with its frame.
DISPLAY=$display import -window root -crop 580x600+200+130 docs/window.png
kill -- -"$app" 2>/dev/null || true
echo "docs/window.png"
