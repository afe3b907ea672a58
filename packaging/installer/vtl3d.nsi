; Installer of Vantorel 3D Screensaver.
; The saver and its texture loader go into the Windows system folder, where the
; Display Properties look for screen savers; packs, help and web shortcut go into the
; install folder, which the saver finds through the uninstall key's "Inno Setup: App
; Path" value. Everything installed here is removed again by the uninstaller.
;
; Defined by the build: BINDIR (folder holding the shipped files), OUTFILE, VERSION,
; optionally TARGET (amd64-unicode unless told otherwise).

Unicode true
!ifndef TARGET
  !define TARGET amd64-unicode
!endif
Target ${TARGET}

!include "x64.nsh"
!include "LogicLib.nsh"

!define APPNAME "Vantorel 3D Screensaver"
!define UNINSTKEY "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Vantorel 3D Screensaver_is1"
!define DESKTOPKEY "Control Panel\Desktop"

Name "${APPNAME}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${APPNAME}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails show
ShowUninstDetails show

Page components
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; A 32-bit installer would otherwise be sent to SysWOW64 and the 32-bit registry
; view; the saver is a 64-bit program and reads the 64-bit view.
!macro NativeViews
  SetRegView 64
  ${DisableX64FSRedirection}
!macroend

Function .onInit
  !insertmacro NativeViews
FunctionEnd

Function un.onInit
  !insertmacro NativeViews
FunctionEnd

Section "${APPNAME} (required)" SecProgram
  SectionIn RO
  !insertmacro NativeViews
  SetOverwrite on

  SetOutPath "$SYSDIR"
  File "${BINDIR}/vtl3d.scr"
  File "${BINDIR}/d3d8ex.dll"

  SetOutPath "$INSTDIR"
  File "${BINDIR}/vtl3d.pak"
  File "${BINDIR}/vtlsound.pak"
  File "${BINDIR}/vtl3d.chm"
  File "${BINDIR}/Site.url"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  WriteRegStr HKLM "${UNINSTKEY}" "Inno Setup: App Path" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTKEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTKEY}" "DisplayName" "${APPNAME}"
  WriteRegStr HKLM "${UNINSTKEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTKEY}" "DisplayIcon" "$SYSDIR\vtl3d.scr"
  WriteRegStr HKLM "${UNINSTKEY}" "Publisher" "Vantorel"
  WriteRegStr HKLM "${UNINSTKEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTKEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTKEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTKEY}" "NoRepair" 1
SectionEnd

Section "Make it the current screen saver" SecCurrent
  !insertmacro NativeViews
  WriteRegStr HKCU "${DESKTOPKEY}" "SCRNSAVE.EXE" "$SYSDIR\vtl3d.scr"
SectionEnd

Section "Uninstall"
  !insertmacro NativeViews
  Delete "$SYSDIR\vtl3d.scr"
  Delete "$SYSDIR\d3d8ex.dll"

  Delete "$INSTDIR\vtl3d.pak"
  Delete "$INSTDIR\vtlsound.pak"
  Delete "$INSTDIR\vtl3d.chm"
  Delete "$INSTDIR\Site.url"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  ; Only a choice that points at the removed saver is withdrawn; another saver the
  ; user picked since then stays.
  ReadRegStr $0 HKCU "${DESKTOPKEY}" "SCRNSAVE.EXE"
  ${If} $0 == "$SYSDIR\vtl3d.scr"
    DeleteRegValue HKCU "${DESKTOPKEY}" "SCRNSAVE.EXE"
  ${EndIf}

  DeleteRegKey HKLM "${UNINSTKEY}"
SectionEnd
