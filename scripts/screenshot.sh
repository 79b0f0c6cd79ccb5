#!/usr/bin/env bash
# Takes a screenshot of the program (through the run command, so COM1 is the
# board simulator) in a real window under Xvfb with a small window manager.
#
#   scripts/screenshot.sh [OUT.png [FILE.hex [STEP...]]]
#
# OUT.png defaults to docs/window.png; FILE.hex is opened at start; each STEP
# is a shell command run with DISPLAY set before the picture is taken, for
# example "xdotool key ctrl+p". KTQ51_SIM_OPTIONS reaches the simulator.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh xvfb openbox imagemagick xdotool
unset KTQ51_COM1
out=${1:-docs/window.png}
file=${2:-}
shift $(( $# > 2 ? 2 : $# ))

display=:77
Xvfb "$display" -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb=$!
app=''
trap '[[ -n $app ]] && kill -- -"$app" 2>/dev/null; kill $xvfb 2>/dev/null || true' EXIT
sleep 1
DISPLAY=$display openbox >/dev/null 2>&1 &
sleep 1
DISPLAY=$display setsid scripts/run.sh ${file:+"$file"} >/dev/null 2>&1 &
app=$!
sleep 5
for step in "$@"; do DISPLAY=$display bash -c "$step"; sleep 1; done
# The window sits at (207, 153); the crop takes it with its frame.
DISPLAY=$display import -window root -crop 580x600+200+130 "$out"
echo "$out"
