; The Windows installer of Programator KTQ-51, built by makensis (NSIS 3) on
; Linux. Defines passed by the build: VERSION, EXE, FLASH, README, ICON, OUTFILE.
; Installs into Program Files, adds a Start-menu shortcut and an uninstaller,
; and registers the program in "Apps & features" with its version. Offers to
; put the folder on the user's PATH, so that ktq51-flash runs by its name;
; the uninstaller takes it off again.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "MUI2.nsh"
!include "x64.nsh"
!include "StrFunc.nsh"
${StrStr}
${UnStrRep}

!define NAME "Programator KTQ-51"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Programator KTQ-51"

Name "${NAME} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${NAME}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${NAME} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1029 "ProductName" "${NAME}"
VIAddVersionKey /LANG=1029 "FileDescription" "${NAME} – instalace"
VIAddVersionKey /LANG=1029 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1029 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1029 "LegalCopyright" "© 2026 Programator KTQ-51"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
; No "start the program" on the finish page: the installer runs elevated, and
; a program it started would be elevated too, which Explorer does not drop
; files on.
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\CTIMNE.txt"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Czech"

Function .onInit
    ; A 64-bit program: the 64-bit registry view and Program Files.
    SetRegView 64
    SetShellVarContext all
FunctionEnd

Function un.onInit
    SetRegView 64
    SetShellVarContext all
FunctionEnd

!define ENVIRONMENT "Environment"

Section "Programator" SectionProgram
    SectionIn RO
    SetOutPath "$INSTDIR"
    File "/oname=programator.exe" "${EXE}"
    File "/oname=ktq51-flash.exe" "${FLASH}"
    File "/oname=CTIMNE.txt" "${README}"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    CreateShortcut "$SMPROGRAMS\${NAME}.lnk" "$INSTDIR\programator.exe"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${NAME}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\programator.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Přidat složku programu do proměnné PATH (ktq51-flash v příkazovém řádku)" SectionPath
    ReadRegStr $0 HKCU "${ENVIRONMENT}" "Path"
    ${StrStr} $1 ";$0;" ";$INSTDIR;"
    StrCmp $1 "" 0 done
    StrCmp $0 "" 0 append
    WriteRegExpandStr HKCU "${ENVIRONMENT}" "Path" "$INSTDIR"
    Goto announce
append:
    WriteRegExpandStr HKCU "${ENVIRONMENT}" "Path" "$0;$INSTDIR"
announce:
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "AddedToPath" 1
    SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:${ENVIRONMENT}" /TIMEOUT=500
done:
SectionEnd

Section "Uninstall"
    ; Off the user's PATH again, if the setup put it there.
    ReadRegDWORD $2 HKLM "${UNINSTALL_KEY}" "AddedToPath"
    StrCmp $2 "1" 0 path_done
    ReadRegStr $0 HKCU "${ENVIRONMENT}" "Path"
    ${UnStrRep} $1 ";$0;" ";$INSTDIR;" ";"
    ${UnStrRep} $1 "$1" ";;" ";"
    StrCpy $3 $1 1
    StrCmp $3 ";" 0 +2
    StrCpy $1 $1 "" 1
    StrCpy $3 $1 1 -1
    StrCmp $3 ";" 0 +2
    StrCpy $1 $1 -1
    WriteRegExpandStr HKCU "${ENVIRONMENT}" "Path" "$1"
    SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:${ENVIRONMENT}" /TIMEOUT=500
path_done:
    Delete "$SMPROGRAMS\${NAME}.lnk"
    Delete "$INSTDIR\programator.exe"
    Delete "$INSTDIR\ktq51-flash.exe"
    Delete "$INSTDIR\CTIMNE.txt"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
