#!/usr/bin/env bash
# Runs a libFuzzer target for a bounded time, seeded from the given folders.
# New inputs go to a scratch corpus, removed afterwards, so the seed folders
# are never written and nothing is left behind; a crashing input, if any, is
# kept in the folder the test runs in and named in the report.
# Usage: run-fuzz.sh FUZZER SECONDS SEED_DIR...
set -euo pipefail
fuzzer=$1 seconds=$2
shift 2
corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT
# Not exec: the shell must live on to remove the scratch corpus.
status=0
"$fuzzer" -max_total_time="$seconds" -seed=1 -print_final_stats=1 -detect_leaks=1 \
    -artifact_prefix="$PWD/" "$corpus" "$@" || status=$?
exit $status
