#!/usr/bin/env bash
# Builds everything and runs every test headless, in the normal build and
# under AddressSanitizer + UndefinedBehaviorSanitizer, then fuzzes the HEX
# reader for a bounded time, then drives the window by keys alone and reads it
# through the screen-reader interface (AT-SPI) under Xvfb, then builds and
# tests the page in the browser.
# Warnings are errors.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh clang libclang-rt-dev locales chromium firefox-esr \
    xvfb openbox xdotool dbus at-spi2-core python3-pyatspi

export QT_QPA_PLATFORM=offscreen
for preset in default asan fuzz; do
    echo "== $preset"
    cmake --preset "$preset" -DKTQ_WERROR=ON >/dev/null
    cmake --build --preset "$preset"
    ctest --preset "$preset" -j "$(nproc)"
done

# The window as a screen reader and a keyboard-only user have it.
echo "== desktop"
tests/desktop/run.sh build/default

# The page: its core and the native reader agree on every HEX file, the
# page in Debian's Chromium and its job on Firefox ESR's own Web Serial,
# headless (against the default build's ktq51-flash and board simulator).
echo "== web"
scripts/web.sh
# A hung browser cannot hold the run: the page's tests get ten minutes.
(cd web && timeout --kill-after=10 600 node --test test/*.test.js)
