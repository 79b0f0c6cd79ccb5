#!/usr/bin/env bash
# Builds the program and starts it. Without KTQ51_COM1 set, COM1 is our own
# board simulator on a pseudo-terminal, started here and stopped when the
# window closes; its report of what the board received appears on this
# terminal.
#
#   scripts/run.sh [FILE.hex]   the window
#   scripts/run.sh --web        the page in the browser, served on this
#                               machine (127.0.0.1, port 8000) until Ctrl+C
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/simulator.sh

if [[ ${1:-} == --web ]]; then
    scripts/web.sh >/dev/null
    exec node web/serve.js "${2:-8000}"
fi

scripts/deps.sh

cmake --preset default >/dev/null
cmake --build --preset default --target programator ktq51-sim

# Whatever ends this script (the window closing, Ctrl+C, a kill of its
# process id) ends the program and the simulator with it.
program='' simulator='' pathfile=''
cleanup() {
    [[ -n $program ]] && kill "$program" 2>/dev/null
    [[ -n $simulator ]] && kill "$simulator" 2>/dev/null
    [[ -n $pathfile ]] && rm -f "$pathfile"
    return 0
}
trap cleanup EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

if [[ -z "${KTQ51_COM1:-}" ]]; then
    pathfile=$(mktemp -u)
    # shellcheck disable=SC2086  # the options are words
    start_simulator build/default/tools/ktq51-sim "$pathfile" ${KTQ51_SIM_OPTIONS:-}
    export KTQ51_COM1=$simulator_device
fi
build/default/app/programator "$@" &
program=$!
status=0
wait "$program" || status=$?
program=''
exit $status
