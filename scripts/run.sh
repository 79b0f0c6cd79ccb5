#!/usr/bin/env bash
# Builds the program and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh build-essential cmake ninja-build pkg-config \
    qt6-base-dev qt6-translations-l10n libgtest-dev libgmock-dev

cmake --preset default >/dev/null
cmake --build --preset default --target programator
exec build/default/app/programator "$@"
