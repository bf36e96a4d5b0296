; SPDX-FileCopyrightText: 2026 The zandrel developers
; SPDX-License-Identifier: MIT
; The installer: for the current user, no administrator rights, in Japanese or English. makensis
; is given EXE, LICENSE, NOTICES, ICON, VERSION and OUTFILE on its command line, and SIGN, a
; command that signs the file named last, where the installer and its uninstaller are to be signed.
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

!include FileFunc.nsh
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

; English first: where Windows speaks neither language, the installer speaks English. Otherwise
; it speaks the system's display language, its pages from NSIS's own language files.
LoadLanguageFile "${NSISDIR}\Contrib\Language files\English.nlf"
LoadLanguageFile "${NSISDIR}\Contrib\Language files\Japanese.nlf"
LangString RUNNING ${LANG_ENGLISH} "zandrel is running. Close it, then choose Retry."
LangString RUNNING ${LANG_JAPANESE} "zandrel が実行中です。zandrel を閉じてから [再試行] を選んでください。"

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
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(RUNNING)" /SD IDCANCEL IDRETRY retry
    SetErrorLevel 2
    Quit
  closed:
FunctionEnd
!macroend
!insertmacro WAIT_UNTIL_CLOSED ""
!insertmacro WAIT_UNTIL_CLOSED "un."

; zandrel installed in another folder before goes first, by its own uninstaller, run in place so
; that its exit code is its own: one installation, one entry in Apps & features. With that zandrel
; running nothing changes, and silently the setup ends with error level 2.
Function RemoveEarlierInstallation
  ReadRegStr $R0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  StrCmp $R0 "" done
  StrCmp $R0 $INSTDIR done
  IfFileExists "$R0\uninstall.exe" 0 done
  retry:
    ExecWait '"$R0\uninstall.exe" /S _?=$R0' $R1
    StrCmp $R1 0 removed
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(RUNNING)" /SD IDCANCEL IDRETRY retry
    SetErrorLevel 2
    Quit
  removed:
    Delete "$R0\uninstall.exe"
    RMDir "$R0"
  done:
FunctionEnd

Section
  SetShellVarContext current
  Call WaitUntilClosed
  Call RemoveEarlierInstallation
  SetOutPath "$INSTDIR"
  File "/oname=zandrel.exe" "${EXE}"
  File "/oname=LICENSE.txt" "${LICENSE}"
  File "/oname=THIRD-PARTY-NOTICES.txt" "${NOTICES}"
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
  ; Run in place (_?=): the uninstaller's exit code is then its own, non-zero when zandrel runs
  ; and nothing was removed, rather than that of a copy it would start and not wait for.
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe" _?=$INSTDIR'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S _?=$INSTDIR'
  ; Every file installed, the uninstaller too, in KiB.
  ${GetSize} "$INSTDIR" "/S=0K /G=0" $1 $2 $3
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  Call un.WaitUntilClosed
  ; Working elsewhere: no folder that is a program's working folder can be removed.
  SetOutPath "$TEMP"
  ; Only what the installer put there: a zandrel.ini, wherever it is, stays.
  Delete "$INSTDIR\zandrel.exe"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\THIRD-PARTY-NOTICES.txt"
  ; The shortcut and the Apps & features entry are the installation's that they name, which may
  ; be another folder's.
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  StrCmp $0 $INSTDIR 0 +3
    Delete "$SMPROGRAMS\zandrel.lnk"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  ; Run in place, the uninstaller cannot delete its own file while it runs: a hidden command does,
  ; and the folder, once it has ended.
  IfFileExists "$INSTDIR\uninstall.exe" 0 +2
    ExecShell "" "$SYSDIR\cmd.exe" '/c for /l %i in (1,1,30) do (ping -n 2 127.0.0.1 >nul & del /f /q "$INSTDIR\uninstall.exe" 2>nul & if not exist "$INSTDIR\uninstall.exe" (rmdir "$INSTDIR" 2>nul & exit))' SW_HIDE
SectionEnd
