#!/usr/bin/env bash
# Builds the program and starts it. Without KTQ51_COM1 set, COM1 is our own
# board simulator on a pseudo-terminal, started here and stopped when the
# window closes; its report of what the board received appears on this
# terminal.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh

cmake --preset default >/dev/null
cmake --build --preset default --target programator ktq51-sim

if [[ -z "${KTQ51_COM1:-}" ]]; then
    pathfile=$(mktemp -u)
    build/default/tools/ktq51-sim ${KTQ51_SIM_OPTIONS:-} --path-file "$pathfile" &
    simulator=$!
    trap 'kill $simulator 2>/dev/null || true; rm -f "$pathfile"' EXIT
    for _ in $(seq 100); do [[ -s $pathfile ]] && break; sleep 0.05; done
    KTQ51_COM1=$(cat "$pathfile")
    export KTQ51_COM1
fi
status=0
build/default/app/programator "$@" || status=$?
exit $status
