#!/usr/bin/env bash
# The Windows installer under Wine: a silent install (/S) puts both programs
# into Program Files, makes the Start-menu shortcut, registers the program
# with its version and puts its folder on the machine's PATH; the silent
# uninstall takes all of it away again.
# Both PATHs start longer than the installer's own strings can hold (1024
# characters), each with a marker entry. The machine's PATH must gain
# exactly our folder and lose it again, every other entry kept as it was.
# The user's PATH holds our folder as an earlier setup left it (with its
# flag): the install moves that entry to the machine's PATH and leaves the
# rest of the user's PATH as it was.
# Usage: installer_test.sh SETUP.EXE VERSION BUILT.EXE   (WINEPREFIX set, wineserver running)
set -euo pipefail
setup=$1 version=$2 built=$3
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Programator KTQ-51'
machine='HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\Environment'
user='HKCU\Environment'
folder='C:\Program Files\Programator KTQ-51'
dir=$(winepath -u "$folder" 2>/dev/null)
link=$(winepath -u 'C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Programator KTQ-51.lnk' 2>/dev/null)
failed=0
check() {  # check DESCRIPTION COMMAND...
    if "${@:2}"; then echo "ok: $1"; else echo "FAIL: $1"; failed=1; fi
}
registered() { wine reg query "$key" /v DisplayVersion /reg:64 2>/dev/null | tr -d '\r' | grep -q "REG_SZ *$1\$"; }
path_of() {  # the Path value of a key, as it is stored; empty where there is none
    { wine reg query "$1" /v Path /reg:64 2>/dev/null || true; } | tr -d '\r' |
        sed -n 's/^ *[Pp][Aa][Tt][Hh] *REG_[A-Z_]* *//p'
}
set_path() { wine reg add "$1" /v Path /t REG_EXPAND_SZ /d "$2" /f /reg:64 >/dev/null 2>&1; }
gone() {  # waits up to 30 s: the uninstaller runs on from a copy of itself
    for _ in $(seq 60); do [[ ! -e $dir/programator.exe && ! -e $link ]] && return 0; sleep 0.5; done
    return 1
}

saved_machine=$(path_of "$machine") saved_user=$(path_of "$user")
long_machine=$saved_machine long_user='C:\Users\Tools\bin'
for i in $(seq 40); do
    long_machine+=";C:\\Program Files\\Vendor $i\\bin"
    long_user+=";C:\\Users\\Tools\\Toolchain$i\\bin"
done
long_machine+=';C:\Marker\machine entry;C:\Last\entry'
long_user+=';C:\Marker\user entry'
set_path "$machine" "$long_machine"
set_path "$user" "$long_user;$folder"
wine reg add "$key" /v AddedToPath /t REG_DWORD /d 1 /f /reg:64 >/dev/null 2>&1
check "both PATHs start longer than 1100 characters" test "${#long_machine}" -gt 1100 -a "${#long_user}" -gt 1100

wine "$setup" /S </dev/null >/dev/null 2>&1
check "the exe is in Program Files" test -f "$dir/programator.exe"
check "ktq51-flash.exe beside it" test -f "$dir/ktq51-flash.exe"
check "CTIMNE.txt beside it" test -f "$dir/CTIMNE.txt"
check "the Start-menu shortcut exists" test -f "$link"
check "registered with version $version" registered "$version"
check "the exe is the one built" cmp -s "$dir/programator.exe" "$built"
check "the machine's PATH is as it was, with our folder once at its end" \
    test "$(path_of "$machine")" == "$long_machine;$folder"
check "the user's PATH is as it was, without the earlier setup's entry" test "$(path_of "$user")" == "$long_user"

wine "$dir/uninstall.exe" /S </dev/null >/dev/null 2>&1
check "the uninstaller removed the exe and the shortcut" gone
check "the folder is gone" test ! -e "$dir"
check "no longer registered" bash -c "! wine reg query '$key' /reg:64 >/dev/null 2>&1"
check "the machine's PATH is exactly as it was before the install" test "$(path_of "$machine")" == "$long_machine"
check "the user's PATH keeps every other entry" test "$(path_of "$user")" == "$long_user"

set_path "$machine" "$saved_machine"
if [[ -n $saved_user ]]; then set_path "$user" "$saved_user"; else wine reg delete "$user" /v Path /f >/dev/null 2>&1; fi
exit $failed
