#!/usr/bin/env bash
# Checks the Debian package as a user would get it: builds it, runs lintian
# (no errors), checks that it depends on a Qt platform plugin and that its
# launcher opens Intel HEX files, runs desktop-file-validate and appstreamcli
# on what it installs,
# then unpacks it into a scratch folder and starts the unpacked program
# headless with a HEX file, COM1 being the unpacked board simulator: it must
# load the file and end cleanly. Any failure ends the script non-zero.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/simulator.sh

scripts/deps.sh lintian desktop-file-utils appstream
deb=$(scripts/package.sh | tail -n1)

echo "== lintian $(basename "$deb")"
lintian --fail-on error "$deb"

root=$(mktemp -d)
simulator=''
trap '[[ -n $simulator ]] && kill "$simulator" 2>/dev/null; rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"

echo "== dependencies, launcher, file type"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
grep -qw 'qt6-qpa-plugins' <<<"$depends" || { echo "ERROR: Depends has no Qt platform plugin" >&2; exit 1; }
desktop=$root/usr/share/applications/cz.ktq51.Programator.desktop
grep -qx 'MimeType=text/x-ihex;' "$desktop" || { echo "ERROR: the launcher names no MimeType" >&2; exit 1; }
grep -q 'type="text/x-ihex"' "$root/usr/share/mime/packages/cz.ktq51.Programator.xml" ||
    { echo "ERROR: the package does not define text/x-ihex" >&2; exit 1; }
echo "== desktop-file-validate, appstreamcli"
desktop-file-validate "$desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/cz.ktq51.Programator.metainfo.xml" 2>&1 |
    grep -v 'root privileges'

echo "== the unpacked program loads a file and ends"
simulator_output=/dev/null start_simulator "$root/usr/bin/ktq51-sim" "$root/com1"
file=tests/data/sdcc_blink.hex
expected=$(tr -d '\377' <tests/data/sdcc_blink.window.bin | wc -c)
status=0
# Its settings (recent files, last folder) go to the unpacked tree, not the user's.
report=$(KTQ51_COM1=$simulator_device KTQ51_STARTUP_PROBE=1 QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME=$root/config \
         "$root/usr/bin/programator" "$file" 2>&1) || status=$?
echo "$report" | grep '^probe' || true
if [[ $status -ne 0 ]]; then
    echo "ERROR: programator ended with status $status" >&2
    exit 1
fi
if ! grep -q "window_not_ff=$expected\b" <<<"$report"; then
    echo "ERROR: $file did not load (expected window_not_ff=$expected)" >&2
    exit 1
fi
echo "ok: $(basename "$deb")"
