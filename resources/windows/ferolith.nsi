; The Windows installer of Ferolith, built on Linux with makensis by
; scripts/windows-installer.sh:
;   makensis -DVERSION=1.02 -DARCH=x64|x86 -DPROGRAMS=DIR -DROOT=SOURCE_TREE -DOUTFILE=FILE ferolith.nsi
; DIR holds ferolith-cli.exe and, when the build has it, ferolith.exe.
; It installs the programs, the sample library and burn files and the
; licence into the program folder, a working folder of the installing
; user's own (%APPDATA%\Ferolith, seeded once with the sample library and
; never removed), Start-menu entries and an uninstaller. The port DLL of a
; signed port driver is not shipped.
Unicode true
!include "MUI2.nsh"

Name "Ferolith ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
!if ${ARCH} == "x64"
  InstallDir "$PROGRAMFILES64\Ferolith"
!else
  InstallDir "$PROGRAMFILES\Ferolith"
!endif
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Ferolith"

!define MUI_ICON "${ROOT}\resources\windows\ferolith.ico"
!define MUI_UNICON "${ROOT}\resources\windows\ferolith.ico"
!insertmacro MUI_PAGE_LICENSE "${ROOT}\COPYING"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "German"

Section "Ferolith"
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "${PROGRAMS}\ferolith-cli.exe"
!if /FileExists "${PROGRAMS}\ferolith.exe"
  File "${PROGRAMS}\ferolith.exe"
!endif
  File "/oname=COPYING.txt" "${ROOT}\COPYING"
  File "${ROOT}\resources\ACELIST.CSV"
  SetOutPath "$INSTDIR\samples"
  File "${ROOT}\resources\samples\blink.hex"
  File "${ROOT}\resources\samples\blink.rex"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Ferolith"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Ferolith-Projekt"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

  ; The working folder of the installing user: the sample library is
  ; copied only when the folder holds none, so that a reinstallation never
  ; replaces the user's own library or KALVENOR.INI.
  SetShellVarContext current
  CreateDirectory "$APPDATA\Ferolith"
  IfFileExists "$APPDATA\Ferolith\ACELIST.CSV" +2
  CopyFiles /SILENT "$INSTDIR\ACELIST.CSV" "$APPDATA\Ferolith"

  ; Start-menu entries, which start in that working folder.
  SetShellVarContext all
  CreateDirectory "$SMPROGRAMS\Ferolith"
  SetShellVarContext current
  SetOutPath "$APPDATA\Ferolith"
  SetShellVarContext all
!if /FileExists "${PROGRAMS}\ferolith.exe"
  CreateShortCut "$SMPROGRAMS\Ferolith\Ferolith.lnk" "$INSTDIR\ferolith.exe"
  CreateShortCut "$SMPROGRAMS\Ferolith\Ferolith mit simuliertem Programmiergerät.lnk" "$INSTDIR\ferolith.exe" "--simulate"
!endif
  CreateShortCut "$SMPROGRAMS\Ferolith\Ferolith deinstallieren.lnk" "$INSTDIR\uninstall.exe"
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  Delete "$INSTDIR\ferolith-cli.exe"
  Delete "$INSTDIR\ferolith.exe"
  Delete "$INSTDIR\COPYING.txt"
  Delete "$INSTDIR\ACELIST.CSV"
  Delete "$INSTDIR\samples\blink.hex"
  Delete "$INSTDIR\samples\blink.rex"
  RMDir "$INSTDIR\samples"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Ferolith\Ferolith.lnk"
  Delete "$SMPROGRAMS\Ferolith\Ferolith mit simuliertem Programmiergerät.lnk"
  Delete "$SMPROGRAMS\Ferolith\Ferolith deinstallieren.lnk"
  RMDir "$SMPROGRAMS\Ferolith"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ; The user's working folder stays, with everything the user keeps there.
SectionEnd
