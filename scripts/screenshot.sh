#!/usr/bin/env bash
# Takes a screenshot of the program (through the run command, so COM1 is the
# board simulator) in a real window under Xvfb with a small window manager.
#
#   scripts/screenshot.sh [OUT.png [FILE.hex [STEP...]]]
#
# OUT.png defaults to docs/window.png; FILE.hex is opened at start; each STEP
# is a shell command run with DISPLAY set before the picture is taken, for
# example "xdotool key ctrl+p". The picture is of the screen where the main
# window is, frame included, so that a menu or a box open over it shows too.
# KTQ51_SIM_OPTIONS reaches the simulator. KTQ51_SCREENSHOT_PORTS names a
# listing of sysfs entries ("path|link|target" or "path|file|text" a line,
# as tests/data/sysfs has them) that the window's port listing reads instead
# of this machine's, so that the menu shows the adapters a user would have.
#
# KTQ51_SCREENSHOT_SCREEN, WIDTHxHEIGHT, is the screen's size (1024x768
# unless given): at QT_SCALE_FACTOR=2 the window needs 2560x1440.
#
# KTQ51_SCREENSHOT_BOARDS=N starts N more simulators as COM2 ... COM(N+1),
# and KTQ51_SCREENSHOT_WINDOW, a title, has the picture taken of that
# window (a dialog the steps opened) instead of the main window.
#
# The menu of the README:
#   KTQ51_SCREENSHOT_PORTS=scripts/screenshot-ports.txt scripts/screenshot.sh docs/menu.png \
#       tests/data/sdcc_blink.hex 'xdotool mousemove --window $WINDOW 150 8 click 1' \
#       'sleep 0.5; xdotool mousemove --window $WINDOW 230 142'
#
# The class-set dialog after a run with one failed row (docs/class-set.png):
#   KTQ51_SCREENSHOT_BOARDS=2 KTQ51_SCREENSHOT_WINDOW='^Programování všech desek$' \
#   KTQ51_SCREENSHOT_PORTS=scripts/screenshot-ports.txt scripts/screenshot.sh docs/class-set.png \
#       tests/data/sdcc_blink.hex 'xdotool key --window $WINDOW ctrl+shift+p; sleep 1' \
#       'D=$(xdotool search --onlyvisible --name "^Programování všech desek$" | head -1);
#        xdotool mousemove --window $D 21 74 click 1; sleep 0.3; xdotool mousemove --window $D 21 104 click 1;
#        sleep 0.3; xdotool mousemove --window $D 51 358 click 1; sleep 1;
#        xdotool mousemove --window $D 502 188 click 1; sleep 2; xdotool mousemove --window $D 400 300'
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh xvfb openbox imagemagick xdotool x11-utils
unset KTQ51_COM1
out=${1:-docs/window.png}
file=${2:-}
shift $(( $# > 2 ? 2 : $# ))

# KTQ51_SCREENSHOT_BOARDS=N: N more simulated boards, as COM2, COM3, ...
extra=()
if [[ -n ${KTQ51_SCREENSHOT_BOARDS:-} ]]; then
    source scripts/simulator.sh
    cmake --preset default >/dev/null
    cmake --build --preset default --target ktq51-sim >/dev/null
    for n in $(seq 2 $((KTQ51_SCREENSHOT_BOARDS + 1))); do
        pathfile=$(mktemp -u)
        simulator_output=/dev/null start_simulator build/default/tools/ktq51-sim "$pathfile"
        extra+=("$simulator")
        rm -f "$pathfile"
        export "KTQ51_COM$n=$simulator_device"
    done
fi

if [[ -n ${KTQ51_SCREENSHOT_PORTS:-} ]]; then
    root=$(mktemp -d)
    while IFS='|' read -r path kind value; do
        [[ -z $path || $path == \#* ]] && continue
        at=$root/sys/$path
        [[ $path == /dev/* ]] && at=$root/dev/${path#/dev/}
        mkdir -p "$(dirname "$at")"
        if [[ $kind == link ]]; then ln -s "$value" "$at"; else printf '%s\n' "$value" >"$at"; fi
    done <"$KTQ51_SCREENSHOT_PORTS"
    export KTQ51_LIST_ROOT=$root
fi

export DISPLAY=:77
Xvfb "$DISPLAY" -screen 0 "${KTQ51_SCREENSHOT_SCREEN:-1024x768}x24" >/dev/null 2>&1 &
xvfb=$!
app=''
trap '[[ -n $app ]] && kill -- -"$app" 2>/dev/null; kill $xvfb "${extra[@]}" 2>/dev/null; rm -rf "${root:-}"; true' EXIT
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.05; done
openbox >/dev/null 2>&1 &
cmake --preset default >/dev/null
cmake --build --preset default --target programator ktq51-sim >/dev/null
setsid scripts/run.sh ${file:+"$file"} >/dev/null 2>&1 &
app=$!
# --sync waits until the window is there.
window=$(xdotool search --sync --onlyvisible --name '^Programator KTQ-51$' | head -n1)
export WINDOW=$window  # for the steps
for step in "$@"; do bash -c "$step"; done
sleep 0.5  # the last paint after the window appeared or a step changed it
# The picture is of the main window, or of the window whose title
# KTQ51_SCREENSHOT_WINDOW matches (a dialog the steps opened).
if [[ -n ${KTQ51_SCREENSHOT_WINDOW:-} ]]; then
    window=$(xdotool search --sync --onlyvisible --name "$KTQ51_SCREENSHOT_WINDOW" | head -n1)
fi
# The client area's place, widened by the frame the window manager drew.
client=$(xwininfo -id "$window")
x=$(awk '/Absolute upper-left X/ {print $NF}' <<<"$client")
y=$(awk '/Absolute upper-left Y/ {print $NF}' <<<"$client")
width=$(awk '/Width:/ {print $NF}' <<<"$client")
height=$(awk '/Height:/ {print $NF}' <<<"$client")
read -r left right top bottom < <(xprop -id "$window" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
import -window root -crop "$((width + left + right))x$((height + top + bottom))+$((x - left))+$((y - top))" +repage "$out"
echo "$out"
