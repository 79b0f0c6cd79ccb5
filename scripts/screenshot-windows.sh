#!/usr/bin/env bash
# Takes the screenshot of programator.exe under Wine, in a real window on
# Xvfb with a window manager (so it has its frame) and Wine's own fonts,
# COM1 being the board simulator, with an SDCC-made file loaded:
# docs/window-windows.png. Builds the Windows program first if needed.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/simulator.sh
scripts/deps.sh xvfb openbox imagemagick xdotool x11-utils fonts-wine wine wine64
[[ -f build/mingw/app/programator.exe ]] || scripts/windows-build.sh
cmake --preset default >/dev/null
cmake --build --preset default --target ktq51-sim >/dev/null

export WINEPREFIX="$PWD/build/mingw/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="winemenubuilder.exe=d"
[[ -f $WINEPREFIX/system.reg ]] || (unset DISPLAY; wineboot -i >/dev/null 2>&1)
export DISPLAY=:78
scratch=$(mktemp -d)
Xvfb "$DISPLAY" -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb=$!
simulator=''
trap '[[ -n $simulator ]] && kill "$simulator" 2>/dev/null; wineserver -k 2>/dev/null;
      kill $xvfb 2>/dev/null; rm -rf "$scratch"' EXIT
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.05; done
openbox >/dev/null 2>&1 &

# COM1 is the board simulator: Wine reads its port mapping when its server starts.
simulator_output=/dev/null start_simulator build/default/tools/ktq51-sim "$scratch/com1"
wineserver -k 2>/dev/null || true
wine reg add 'HKLM\Software\Wine\Ports' /v COM1 /d "$simulator_device" /f >/dev/null 2>&1
wineserver -k 2>/dev/null || true

wine build/mingw/app/programator.exe "$(winepath -w tests/data/sdcc_blink.hex)" >/dev/null 2>&1 &
window=$(xdotool search --sync --onlyvisible --name '^Programator KTQ-51$' | head -n1)
sleep 1  # Wine paints the grid after mapping the window
import -frame -window "$window" docs/window-windows.png
echo docs/window-windows.png
