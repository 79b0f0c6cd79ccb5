#!/usr/bin/env bash
# The serial layer on real drivers. Boots Debian's own kernel under QEMU
# (software emulation, no KVM needed) with an emulated FTDI USB adapter (the
# guest's ftdi_sio) and a second 16550 UART (its 8250), each led to a
# pseudo-terminal on this machine, and runs there: ktq51-flash, linked
# statically, and the window's own code (guest_window_tests, with the Qt
# libraries it needs), and the page in Debian's Chromium over this machine's
# root, shared read only. The harness checks from this side what arrived and
# how the guest's driver set the line, and pulls the adapter out and plugs
# it in.
# One PASS or FAIL line per step; any failure ends the script non-zero.
# Arguments go to the harness, for example --gtest_filter=Drivers.Window*.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh qemu-system-x86 busybox-static kmod cpio udev chromium

# The page, which the guest's browser step serves from this machine's root.
scripts/web.sh >/dev/null

# The host side and the window's tests; the guest's static programs.
cmake --preset default -DKTQ_WERROR=ON >/dev/null
cmake --build --preset default --target driver_harness guest_window_tests
cmake --preset guest -DKTQ_WERROR=ON >/dev/null
cmake --build --preset guest --target ktq51-flash set-baud-base
base=$(scripts/guest-kernel.sh | tail -n1)

scratch=$(mktemp -d /tmp/ktq51-driver-check.XXXXXX)

# The part of the initramfs that changes with the program: the init script,
# the programs, the committed HEX files, and the window tests' libraries and
# Qt's offscreen platform plugin at the paths the loader and Qt look in.
root=$scratch/root
mkdir -p "$root/guest/bin" "$root/guest/data"
cp tests/guest/init "$root/init"
cp build/guest/cli/ktq51-flash build/guest/tests/guest/set-baud-base tests/guest/browser-step \
   build/default/tests/guest/guest_window_tests "$root/guest/bin/"
cp tests/data/*.hex tests/data/*.ihx "$root/guest/data/"
plugin=$(dpkg -S '*/platforms/libqoffscreen.so' | head -n1 | cut -d' ' -f2)
for file in "$plugin" $({ ldd build/default/tests/guest/guest_window_tests; ldd "$plugin"; } |
                        awk '$2 == "=>" && $3 ~ /^\// {print $3} $1 ~ /^\// {print $1}' | sort -u); do
    mkdir -p "$root$(dirname "$file")"
    cp -L "$file" "$root$file"
done
(cd "$root" && find . | LC_ALL=C sort | cpio --quiet -o -H newc) >"$scratch/run.cpio"
cat "$base/base.cpio" "$scratch/run.cpio" >"$scratch/initrd"
rm -rf "$root" "$scratch/run.cpio"

status=0
timeout 900 build/default/tests/guest/driver_harness --kernel "$base/vmlinuz" --initrd "$scratch/initrd" \
    --data tests/data --scratch "$scratch" "$@" || status=$?
if [[ $status -ne 0 ]]; then
    echo "driver check failed (status $status); the guest's console, the last lines of $scratch/console.log:" >&2
    tail -n 60 "$scratch/console.log" >&2 || true
    exit $status
fi
rm -rf "$scratch"
