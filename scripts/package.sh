#!/usr/bin/env bash
# Builds the Debian package programator_<version>_amd64.deb (a Release
# build, installed under /usr) into build/package and prints its path.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh dpkg-dev file
cmake --preset package >/dev/null
cmake --build --preset package
(cd build/package && cpack -G DEB >/dev/null)
ls build/package/programator_*_amd64.deb
