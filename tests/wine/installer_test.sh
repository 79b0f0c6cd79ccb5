#!/usr/bin/env bash
# The Windows installer under Wine: a silent install (/S) puts both programs
# into Program Files, makes the Start-menu shortcut, registers the program
# with its version and puts its folder on the user's PATH; the silent
# uninstall takes all of it away again.
# Usage: installer_test.sh SETUP.EXE VERSION BUILT.EXE   (WINEPREFIX set, wineserver running)
set -euo pipefail
setup=$1 version=$2 built=$3
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Programator KTQ-51'
dir=$(winepath -u 'C:\Program Files\Programator KTQ-51' 2>/dev/null)
link=$(winepath -u 'C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Programator KTQ-51.lnk' 2>/dev/null)
failed=0
check() {  # check DESCRIPTION COMMAND...
    if "${@:2}"; then echo "ok: $1"; else echo "FAIL: $1"; failed=1; fi
}
registered() { wine reg query "$key" /v DisplayVersion /reg:64 2>/dev/null | tr -d '\r' | grep -q "REG_SZ *$1\$"; }
on_path() { wine reg query 'HKCU\Environment' /v Path 2>/dev/null | tr -d '\r' | grep -q 'Programator KTQ-51'; }
gone() {  # waits up to 30 s: the uninstaller runs on from a copy of itself
    for _ in $(seq 60); do [[ ! -e $dir/programator.exe && ! -e $link ]] && return 0; sleep 0.5; done
    return 1
}

wine "$setup" /S </dev/null >/dev/null 2>&1
check "the exe is in Program Files" test -f "$dir/programator.exe"
check "ktq51-flash.exe beside it" test -f "$dir/ktq51-flash.exe"
check "CTIMNE.txt beside it" test -f "$dir/CTIMNE.txt"
check "the folder is on the user's PATH" on_path
check "the Start-menu shortcut exists" test -f "$link"
check "registered with version $version" registered "$version"
check "the exe is the one built" cmp -s "$dir/programator.exe" "$built"

wine "$dir/uninstall.exe" /S </dev/null >/dev/null 2>&1
check "the uninstaller removed the exe and the shortcut" gone
check "the folder is gone" test ! -e "$dir"
check "no longer registered" bash -c "! wine reg query '$key' /reg:64 >/dev/null 2>&1"
check "the folder is off the user's PATH again" bash -c "$(declare -f on_path); ! on_path"
exit $failed
