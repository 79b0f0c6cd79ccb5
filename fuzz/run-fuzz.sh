#!/usr/bin/env bash
# Runs a libFuzzer target for a bounded time, seeded from the given folders.
# New inputs go to a scratch corpus, so the seed folders are never written.
# Usage: run-fuzz.sh FUZZER SECONDS SEED_DIR...
set -euo pipefail
fuzzer=$1 seconds=$2
shift 2
corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT
cd "$corpus"  # crash files, if any, land here and are shown in the report
exec "$fuzzer" -max_total_time="$seconds" -seed=1 -print_final_stats=1 -detect_leaks=1 \
    "$corpus" "$@"
