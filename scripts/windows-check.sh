#!/usr/bin/env bash
# The Windows checks: builds the whole program for Windows (windows-build.sh:
# programator.exe, its tests, the zip and the setup) and runs every Windows
# test under Wine, with COM1..COM5 mapped to pseudo-terminals by a Linux
# harness: the serial layer, the window tests, programator.exe itself, the
# whole job end to end into the board simulator, and the installer.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh wine wine64 fonts-dejavu-core

# The harness and the board simulator run on Linux: the normal build makes them.
cmake --preset default -DKTQ_WERROR=ON >/dev/null
cmake --build --preset default --target wine_harness ktq51-sim

scripts/windows-build.sh -DKTQ_WERROR=ON -DKTQ_WINE_HARNESS="$PWD/build/default/tests/wine_harness"

# On Windows itself there is neither Debian's translations folder nor, often,
# makensis: the build must configure without them.
echo "== configuring without Qt's Czech translations and without makensis"
KTQ_QT_MINGW=$(scripts/qt-mingw.sh 2>/dev/null | tail -n1)
export KTQ_QT_MINGW
rm -rf build/mingw-bare
cmake --preset mingw -B build/mingw-bare -DKTQ_BUILD_TESTS=OFF -DKTQ_QT_TRANSLATIONS_DIR=/nonexistent \
      -DKTQ_MAKENSIS=/nonexistent/makensis >/dev/null
rm -rf build/mingw-bare

# A private Wine prefix inside the build folder, no display, no debug output,
# and no menu entries on this machine for the shortcuts the installer makes.
export WINEPREFIX="$PWD/build/mingw/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="winemenubuilder.exe=d"
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
