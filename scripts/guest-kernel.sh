#!/usr/bin/env bash
# Provides the base of the driver check's Linux guest: Debian's own kernel
# (vmlinuz) and the part of its initramfs that does not change from run to
# run (base.cpio: busybox, and the USB serial modules with the modules they
# need, in load order, each with its parameters; and those of a 9p file
# system over virtio). Besides the FTDI driver,
# the guest has cdc_acm, and a USB device of its own to drive it: dummy_hcd
# (a USB host and device controller in one) with the g_serial gadget, two
# ports, whose far ends (/dev/ttyGS0, /dev/ttyGS1) are in the guest too.
# A second dummy controller takes a configfs gadget whose VID:PID the checks
# choose, so that the drivers ch341, pl2303 and cp210x meet a device they
# refuse. Built once into a cache outside the source tree and reused:
#
#   ${XDG_CACHE_HOME:-$HOME/.cache}/ktq51/guest-<kernel release>-<key>
#
# The key covers the kernel package and its version, busybox's version and
# the module list. The kernel package is fetched with apt-get download and
# unpacked into the cache, then removed; the machine's own kernel is not
# touched. Prints the folder as its last line.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
PATH=$PATH:/usr/sbin:/sbin  # depmod and modprobe

"$here/deps.sh" busybox-static kmod cpio

say() { echo "guest-kernel: $*" >&2; }
fail() { say "ERROR: $*"; exit 1; }

# The kernel package that Debian's linux-image-amd64 stands for now.
package=$(apt-cache depends linux-image-amd64 | awk '$1 == "Depends:" && $2 ~ /^linux-image-/ {print $2; exit}')
[[ -n $package ]] || fail "no kernel package behind linux-image-amd64"
version=$(apt-cache policy "$package" | awk '$1 == "Candidate:" {print $2}')
release=${package#linux-image-}
# And what they depend on; the 8250 driver is built in. usb_f_acm goes
# before g_serial, which would otherwise ask modprobe for it by name.
# virtio_pci, 9pnet_virtio and 9p give the guest this machine's root, read
# only, for the step that runs the browser there.
modules=(xhci_pci ftdi_sio cdc_acm ch341 pl2303 cp210x dummy_hcd usb_f_acm usb_f_serial g_serial
         virtio_pci 9pnet_virtio 9p)
declare -A parameters=([g_serial]="n_ports=2" [dummy_hcd]="num=2")

key=$(printf '%s\n' "$package" "$version" "$(dpkg-query -W -f='${Version}' busybox-static)" "${modules[@]}" \
              "${parameters[@]}" |
      sha256sum | cut -c1-12)
cache=${XDG_CACHE_HOME:-$HOME/.cache}/ktq51
dir=$cache/guest-$release-$key
mkdir -p "$cache"

# One build at a time per folder; a second caller waits and then reuses it.
exec 9>"$dir.lock"
flock 9
if [[ -f $dir/.complete ]]; then
    say "guest from the cache: $dir"
    echo "$dir"
    exit 0
fi
rm -rf "$dir"
mkdir -p "$dir"

say "fetching $package $version"
if ! (cd "$dir" && apt-get download "$package=$version") >"$dir/log" 2>&1; then
    # Package lists older than the archive: read them again and retry.
    sudo=()
    [[ $(id -u) -eq 0 ]] || sudo=(sudo)
    "${sudo[@]}" apt-get update -qq >>"$dir/log" 2>&1
    (cd "$dir" && apt-get download "$package=$version") >>"$dir/log" 2>&1 ||
        fail "cannot fetch $package $version, see $dir/log"
fi

say "building the guest's base for $release"
tree=$dir/tree root=$dir/root
dpkg-deb -x "$dir"/linux-image-*.deb "$tree"
depmod -b "$tree" "$release"
mkdir -p "$root"/{bin,dev,proc,sys,tmp,lib/modules}
cp /bin/busybox "$root/bin/busybox"
for module in "${modules[@]}"; do modprobe -d "$tree" -S "$release" --show-depends "$module"; done |
    awk '$1 == "insmod" && !seen[$2]++ {print $2}' >"$dir/load-order"
while read -r ko; do
    [[ $ko == *.ko ]] || fail "$ko: only uncompressed modules are handled"
    cp "$ko" "$root/lib/modules/"
    name=$(basename "$ko" .ko)
    echo "$name.ko ${parameters[${name//-/_}]:-}" >>"$root/lib/modules/order"
done <"$dir/load-order"
cp "$tree/boot/vmlinuz-$release" "$dir/vmlinuz"
(cd "$root" && find . | LC_ALL=C sort | cpio --quiet -o -H newc) >"$dir/base.cpio"
rm -rf "$tree" "$root" "$dir"/linux-image-*.deb  # all that is kept is in vmlinuz and base.cpio
touch "$dir/.complete"
say "done: $(du -sh "$dir" | cut -f1)"
echo "$dir"
