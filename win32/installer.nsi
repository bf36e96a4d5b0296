; SPDX-FileCopyrightText: 2026 The zandrel developers
; SPDX-License-Identifier: MIT
; The installer: for the current user, no administrator rights. makensis is given EXE, ICON,
; VERSION and OUTFILE on its command line, and SIGN, a command that signs the file named last,
; where the installer and its uninstaller are to be signed.
Unicode true
Target amd64-unicode
RequestExecutionLevel user
SetCompressor /SOLID lzma
; No build's file times in the installer: the same source makes the same bytes.
SetDateSave off
!ifdef SIGN
  !uninstfinalize '${SIGN} "%1"' = 0
  !finalize '${SIGN} "%1"' = 0
!endif

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

; Windows keeps the file of a running program: a zandrel that runs can be neither replaced nor
; removed. The user is asked to close it; silently, the setup ends with error level 2 and has
; changed nothing.
!macro WAIT_UNTIL_CLOSED un
Function ${un}WaitUntilClosed
  retry:
    IfFileExists "$INSTDIR\zandrel.exe" 0 closed
    ClearErrors
    FileOpen $0 "$INSTDIR\zandrel.exe" a
    IfErrors running
    FileClose $0
    Goto closed
  running:
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "zandrel is running. Close it, then choose Retry." /SD IDCANCEL IDRETRY retry
    SetErrorLevel 2
    Quit
  closed:
FunctionEnd
!macroend
!insertmacro WAIT_UNTIL_CLOSED ""
!insertmacro WAIT_UNTIL_CLOSED "un."

Section
  SetShellVarContext current
  Call WaitUntilClosed
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
  SectionGetSize 0 $1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  Call un.WaitUntilClosed
  ; Only what the installer put there: a zandrel.ini, wherever it is, stays.
  Delete "$SMPROGRAMS\zandrel.lnk"
  Delete "$INSTDIR\zandrel.exe"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
