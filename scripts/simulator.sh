# Sourced by the scripts that need the board simulator.
#
#   start_simulator PROGRAM PATHFILE [OPTIONS...]
#
# Starts the simulator on a pseudo-terminal of its own, with its report going
# where `simulator_output` says (default: this script's standard output), and
# waits for it to name its terminal. Sets `simulator` to its process id and
# `simulator_device` to the terminal; the caller stops it. Ends the script
# with a clear message when no terminal is named within five seconds.
start_simulator() {
    local program=$1 pathfile=$2
    shift 2
    "$program" "$@" --path-file "$pathfile" >"${simulator_output:-/dev/stdout}" 2>&1 &
    simulator=$!
    for _ in $(seq 100); do
        if [[ -s $pathfile ]]; then
            simulator_device=$(<"$pathfile")
            return 0
        fi
        kill -0 "$simulator" 2>/dev/null || break
        sleep 0.05
    done
    echo "ERROR: the board simulator ($program) named no terminal within 5 s" >&2
    exit 1
}
