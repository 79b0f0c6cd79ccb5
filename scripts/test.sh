#!/usr/bin/env bash
# Builds everything and runs every test headless, in the normal build and
# under AddressSanitizer + UndefinedBehaviorSanitizer, then fuzzes the HEX
# reader for a bounded time. Warnings are errors.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh clang libclang-rt-dev locales

export QT_QPA_PLATFORM=offscreen
for preset in default asan fuzz; do
    echo "== $preset"
    cmake --preset "$preset" -DKTQ_WERROR=ON >/dev/null
    cmake --build --preset "$preset"
    ctest --preset "$preset" -j "$(nproc)"
done
