; The Windows installer of Programator KTQ-51, built by makensis (NSIS 3) on
; Linux. Defines passed by the build: VERSION, EXE, FLASH, PATHENTRY, README,
; ICON, OUTFILE. Installs into Program Files for every user of the machine,
; adds a Start-menu shortcut and an uninstaller, and registers the program in
; "Apps & features" with its version. Offers to put the folder on the
; machine's PATH, so that ktq51-flash runs by its name for every user; the
; uninstaller takes it off again. The PATH is changed by our own helper
; (PATHENTRY), never by the installer's string functions: they hold at most
; 1024 characters, and a longer PATH read with them comes back empty.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "MUI2.nsh"
!include "x64.nsh"

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

; What the finish page says of the PATH, when it could not be changed.
Var PathNote

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
; No "start the program" on the finish page: the installer runs elevated, and
; a program it started would be elevated too, which Explorer does not drop
; files on.
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\CTIMNE.txt"
; Says so when the PATH was left as it was.
!define MUI_FINISHPAGE_TEXT "$(MUI_TEXT_FINISH_INFO_TEXT)$PathNote"
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

Section "Přidat složku programu do systémové proměnné PATH (ktq51-flash v příkazovém řádku všech uživatelů)" SectionPath
    InitPluginsDir
    File "/oname=$PLUGINSDIR\pathentry.exe" "${PATHENTRY}"
    ; An earlier setup put the folder on the PATH of the user who ran it:
    ; that entry moves to the machine's PATH.
    ReadRegDWORD $0 HKLM "${UNINSTALL_KEY}" "AddedToPath"
    StrCmp $0 "1" 0 machine
    ExecWait '"$PLUGINSDIR\pathentry.exe" remove --user "$INSTDIR"' $0
    DeleteRegValue HKLM "${UNINSTALL_KEY}" "AddedToPath"
machine:
    ; 0: added, 1: there already, 2: not readable whole, 3: not writable.
    ExecWait '"$PLUGINSDIR\pathentry.exe" add "$INSTDIR"' $0
    StrCmp $0 "0" added
    StrCmp $0 "1" done
    StrCpy $PathNote "$\r$\n$\r$\nSložka programu nebyla přidána do proměnné PATH: její hodnotu nešlo celou přečíst ani zapsat, a tak zůstala, jak byla. ktq51-flash spustíte celou cestou: $INSTDIR\ktq51-flash.exe"
    DetailPrint "PATH: beze změny (kód $0)"
    Goto done
added:
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "AddedToMachinePath" 1
done:
SectionEnd

Section "Uninstall"
    ; Off the PATH again, if the setup put it there: exactly our one entry.
    InitPluginsDir
    File "/oname=$PLUGINSDIR\pathentry.exe" "${PATHENTRY}"
    ReadRegDWORD $0 HKLM "${UNINSTALL_KEY}" "AddedToMachinePath"
    StrCmp $0 "1" 0 +2
    ExecWait '"$PLUGINSDIR\pathentry.exe" remove "$INSTDIR"'
    ReadRegDWORD $0 HKLM "${UNINSTALL_KEY}" "AddedToPath"
    StrCmp $0 "1" 0 +2
    ExecWait '"$PLUGINSDIR\pathentry.exe" remove --user "$INSTDIR"'

    Delete "$SMPROGRAMS\${NAME}.lnk"
    Delete "$INSTDIR\programator.exe"
    Delete "$INSTDIR\ktq51-flash.exe"
    Delete "$INSTDIR\CTIMNE.txt"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
