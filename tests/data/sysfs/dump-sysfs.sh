#!/bin/sh
# Prints, inside the driver check's guest, the sysfs entries that the port
# listing reads, one "path|kind|value" a line, for a test to rebuild them as
# files and links (guest.txt was made so: busybox sh dump-sysfs.sh).
for t in /sys/class/tty/*; do
  [ -e "$t/device" ] || continue
  n=${t##*/}
  real=$(readlink -f "$t")
  echo "class/tty/$n|link|$(readlink "$t")"
  echo "${real#/sys/}/type|file|$(cat "$t/type" 2>/dev/null)"
  dev=$(readlink -f "$t/device")
  echo "${real#/sys/}/device|link|$(readlink "$t/device")"
  d=$dev
  while [ "$d" != "/sys/devices" ] && [ -n "$d" ]; do
    if [ -e "$d/idVendor" ]; then
      for a in idVendor idProduct manufacturer product serial; do
        [ -e "$d/$a" ] && echo "${d#/sys/}/$a|file|$(cat "$d/$a")"
      done
      break
    fi
    d=${d%/*}
  done
done
