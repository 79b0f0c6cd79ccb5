#!/usr/bin/env bash
# The window under Xvfb with a window manager and the accessibility bus
# (AT-SPI) of a D-Bus session of its own, COM1 a board simulator at the
# line's speed and COM2 another; desktop_test.py then drives it by keys alone
# and reads it as a screen reader does. Settings go to a temporary folder.
#
#   tests/desktop/run.sh [BUILD_DIR]     (default: build/default)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../../build/default}" && pwd)
for tool in Xvfb openbox xdotool dbus-run-session /usr/libexec/at-spi-bus-launcher; do
    command -v "$tool" >/dev/null || { echo "ERROR: $tool is missing (scripts/deps.sh installs it)" >&2; exit 1; }
done
/usr/bin/python3 -c 'import pyatspi' || { echo "ERROR: python3-pyatspi is missing" >&2; exit 1; }

tmp=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null; rm -rf "$tmp"' EXIT
# A display of its own, whichever number is free.
Xvfb -displayfd 3 -screen 0 1280x1024x24 3>"$tmp/display" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do [[ -s $tmp/display ]] && break; sleep 0.05; done
export DISPLAY=:$(<"$tmp/display")
openbox >/dev/null 2>&1 &
pids+=($!)

# The simulators: COM1's report (standard error) apart from the memory it
# received (standard output, as Intel HEX).
"$build/tools/ktq51-sim" --hold 3 --hex --path-file "$tmp/com1" >"$tmp/sim1.hex" 2>"$tmp/sim1.log" &
pids+=($!)
"$build/tools/ktq51-sim" --path-file "$tmp/com2" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do [[ -s $tmp/com1 && -s $tmp/com2 ]] && break; sleep 0.05; done
export KTQ51_COM1=$(<"$tmp/com1") KTQ51_COM2=$(<"$tmp/com2")

export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb XDG_CONFIG_HOME=$tmp/config XDG_RUNTIME_DIR=$tmp
unset QT_ACCESSIBILITY NO_AT_BRIDGE
chmod 700 "$tmp"
# The whole run has three minutes; a box that never comes cannot hold it.
timeout --kill-after=10 180 dbus-run-session -- /usr/bin/python3 "$here/desktop_test.py" \
    "$build/app/programator" "$here/../data" "$tmp/sim1.log" "$tmp/sim1.hex" 2> >(grep -v -e dbus-daemon -e SpiRegistry -e 'X connection to' >&2)
