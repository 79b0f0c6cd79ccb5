#!/usr/bin/env bash
# The Windows checks: cross-builds the parts without a window (image/,
# serial/ with its Win32 backend, their tests) with mingw-w64 and runs them
# under Wine, with COM1..COM5 mapped to pseudo-terminals by a Linux harness.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh googletest g++-mingw-w64-x86-64-posix wine wine64

# The harness runs on Linux: it is built by the normal build.
cmake --preset default -DKTQ_WERROR=ON >/dev/null
cmake --build --preset default --target wine_harness

cmake --preset mingw -DKTQ_WERROR=ON -DKTQ_WINE_HARNESS="$PWD/build/default/tests/wine_harness" >/dev/null
cmake --build --preset mingw

# A private Wine prefix inside the build folder, no display, no debug output.
export WINEPREFIX="$PWD/build/mingw/wineprefix" WINEDEBUG=-all
unset DISPLAY WAYLAND_DISPLAY
if [[ ! -f $WINEPREFIX/system.reg ]]; then
    echo "== creating the Wine prefix"
    wineboot -i >/dev/null 2>&1
fi
# One wineserver for the whole run; without it every program started under
# Wine waits seconds for the server to exit.
wineserver -k </dev/null >/dev/null 2>&1 || true
wineserver -p </dev/null >/dev/null 2>&1
trap 'wineserver -k </dev/null >/dev/null 2>&1 || true' EXIT
# Start Wine's own services now, with nothing inherited: started by a test,
# they would hold its output open and ctest would wait for them forever.
wine cmd /c exit </dev/null >/dev/null 2>&1
ctest --preset mingw "$@"
