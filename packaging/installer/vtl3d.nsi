; Installer of Vantorel 3D Screensaver.
; The saver and its texture loader go into the Windows system folder, where the
; Display Properties look for screen savers; packs, help and web shortcut go into the
; install folder, which the saver finds through the uninstall key's "Inno Setup: App
; Path" value. Everything installed here is removed again by the uninstaller.
;
; Defined by the build: BINDIR (folder holding the shipped files), OUTFILE, VERSION,
; optionally TARGET (x86-unicode unless told otherwise).
;
; The saver is a 32-bit program, and so is this installer: on 64-bit Windows the
; system sends its files to SysWOW64 (where the Screen Saver settings list 32-bit
; savers) and its keys to the 32-bit registry view (where the 32-bit saver reads its
; uninstall key). Nothing here turns that redirection off. amd64-unicode is built
; only for the Wine test bed's 64-bit build, which is never shipped.

Unicode true
!ifndef TARGET
  !define TARGET x86-unicode
!endif
Target ${TARGET}

!include "x64.nsh"
!include "LogicLib.nsh"

!define APPNAME "Vantorel 3D Screensaver"
!define UNINSTKEY "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Vantorel 3D Screensaver_is1"
!define DESKTOPKEY "Control Panel\Desktop"

Name "${APPNAME}"
OutFile "${OUTFILE}"
!if ${TARGET} == amd64-unicode
  InstallDir "$PROGRAMFILES64\${APPNAME}"
!else
  InstallDir "$PROGRAMFILES\${APPNAME}"
!endif
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails show
ShowUninstDetails show

Page components
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; Where the saver really lies, as a 64-bit reader of SCRNSAVE.EXE or of the
; uninstall key's icon sees it: $SYSDIR names system32 even where the system has
; put a 32-bit installer's files into SysWOW64.
Var SaverPath
!macro FindSaverPath
  StrCpy $SaverPath "$SYSDIR\vtl3d.scr"
  !if ${TARGET} != amd64-unicode
    ${If} ${RunningX64}
      StrCpy $SaverPath "$WINDIR\SysWOW64\vtl3d.scr"
    ${EndIf}
  !endif
!macroend

Function .onInit
  !insertmacro FindSaverPath
FunctionEnd

Function un.onInit
  !insertmacro FindSaverPath
FunctionEnd

Section "${APPNAME} (required)" SecProgram
  SectionIn RO
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
  WriteRegStr HKLM "${UNINSTKEY}" "DisplayIcon" "$SaverPath"
  WriteRegStr HKLM "${UNINSTKEY}" "Publisher" "Vantorel"
  WriteRegStr HKLM "${UNINSTKEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTKEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTKEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTKEY}" "NoRepair" 1
SectionEnd

Section "Make it the current screen saver" SecCurrent
  WriteRegStr HKCU "${DESKTOPKEY}" "SCRNSAVE.EXE" "$SaverPath"
SectionEnd

Section "Uninstall"
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
  ${If} $0 == "$SaverPath"
    DeleteRegValue HKCU "${DESKTOPKEY}" "SCRNSAVE.EXE"
  ${EndIf}

  DeleteRegKey HKLM "${UNINSTKEY}"
SectionEnd
