#!/usr/bin/env bash
# Builds the Windows program here, on Debian: programator.exe (static, one
# file, importing only system DLLs), the zip and the NSIS setup, into
# build/mingw/dist. The static Qt it needs is built once by qt-mingw.sh
# (about half an hour on 2 cores) and then taken from its cache. Extra arguments go to
# the configure step, for example -DKTQ_WERROR=ON.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh googletest g++-mingw-w64-x86-64-posix nsis qt6-translations-l10n
KTQ_QT_MINGW=$(scripts/qt-mingw.sh | tail -n1)
export KTQ_QT_MINGW

# A build folder configured with another toolchain (or another Qt) cannot be
# reconfigured in place: start it afresh, keeping the Wine prefix.
cache=build/mingw/CMakeCache.txt
if [[ -f $cache ]] && ! grep -q "^KTQ_QT_MINGW_USED:INTERNAL=$KTQ_QT_MINGW\$" "$cache"; then
    rm -rf build/mingw/CMakeCache.txt build/mingw/CMakeFiles
fi
cmake --preset mingw -DKTQ_QT_MINGW_USED:INTERNAL="$KTQ_QT_MINGW" "$@" >/dev/null
cmake --build --preset mingw
for f in build/mingw/app/programator.exe build/mingw/dist/*; do
    printf '%-50s %s\n' "$f" "$(du -h "$f" | cut -f1)"
done
