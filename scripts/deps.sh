#!/usr/bin/env bash
# Installs what the normal build needs, and the further Debian packages named
# on the command line, where they are not yet installed. Quiet and
# idempotent: when everything is present it does nothing.
set -euo pipefail

# Everything that configuring the normal build looks for.
base=(build-essential cmake ninja-build pkg-config
      qt6-base-dev qt6-translations-l10n libgtest-dev libgmock-dev libbenchmark-dev)

missing=()
for pkg in "${base[@]}" "$@"; do
    status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$pkg")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

if [[ $(id -u) -eq 0 ]]; then
    sudo=()
elif command -v sudo >/dev/null; then
    sudo=(sudo)
else
    echo "Packages missing: ${missing[*]}, and neither root nor sudo is available to install them." >&2
    exit 1
fi

echo "Installing: ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
