; SPDX-FileCopyrightText: 2026 The zandrel developers
; SPDX-License-Identifier: MIT
; The installer: for the current user, no administrator rights. makensis is given EXE, ICON,
; VERSION and OUTFILE on its command line.
Unicode true
Target amd64-unicode
RequestExecutionLevel user
SetCompressor /SOLID lzma

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\zandrel"

Name "zandrel"
OutFile "${OUTFILE}"
Icon "${ICON}"
UninstallIcon "${ICON}"
InstallDir "$LOCALAPPDATA\Programs\zandrel"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails nevershow
VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=0 "ProductName" "zandrel"
VIAddVersionKey /LANG=0 "FileDescription" "zandrel setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "LegalCopyright" "(C) 2026 The zandrel developers"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File "/oname=zandrel.exe" "${EXE}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  ; The shortcut starts zandrel in the user's own folder, where it may keep zandrel.ini: never
  ; in the program's folder.
  SetOutPath "$PROFILE"
  CreateShortCut "$SMPROGRAMS\zandrel.lnk" "$INSTDIR\zandrel.exe" "" "$INSTDIR\zandrel.exe" 0
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "zandrel"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\zandrel.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "The zandrel developers"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  ; Only what the installer put there: a zandrel.ini, wherever it is, stays.
  Delete "$SMPROGRAMS\zandrel.lnk"
  Delete "$INSTDIR\zandrel.exe"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
