#!/usr/bin/env bash
# Builds the program and runs its benchmarks: loading, the grid, start-up and
# the transfer path (offscreen, every COM number a pseudo-terminal). Prints
# the median of five repetitions of each. Extra arguments go to Google
# Benchmark, for example --benchmark_filter=Load.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh

cmake --preset default >/dev/null
cmake --build --preset default --target ktq_bench programator
QT_QPA_PLATFORM=offscreen build/default/bench/ktq_bench \
    --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    --benchmark_display_aggregates_only=true "$@" 2> >(grep -v -e propagateSizeHints -e XDG_RUNTIME_DIR >&2)
