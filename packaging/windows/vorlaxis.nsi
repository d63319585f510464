; The Windows installer: the program folder under Program Files, Start-menu entries and an
; uninstaller, all texts in Czech. Built by scripts/make-windows-package.sh, which defines
; VERSION, SOURCE (the folder of the portable package) and OUTFILE.
; A 64-bit installer for the 64-bit program: it runs where the program runs.
Target amd64-unicode
SetCompressor /SOLID lzma
!include "MUI2.nsh"
!include "x64.nsh"

Name "Vorlaxis ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Vorlaxis"
RequestExecutionLevel admin
BrandingText "Vorlaxis ${VERSION}"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vorlaxis"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Czech"

; The Start-menu entries for every user of the machine, as the program folder is.
Function .onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section "Vorlaxis"
  SetOutPath "$INSTDIR"
  File "${SOURCE}\vorlaxis.exe"
  File "${SOURCE}\vorlaxis-check.exe"
  File "${SOURCE}\qantrel.chm"
  File "${SOURCE}\whatsnew.txt"
  WriteUninstaller "$INSTDIR\Odinstalovat.exe"
  CreateDirectory "$SMPROGRAMS\Vorlaxis"
  CreateShortcut "$SMPROGRAMS\Vorlaxis\Vorlaxis.lnk" "$INSTDIR\vorlaxis.exe"
  CreateShortcut "$SMPROGRAMS\Vorlaxis\Odinstalovat Vorlaxis.lnk" "$INSTDIR\Odinstalovat.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Vorlaxis"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\vorlaxis.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Odinstalovat.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Odinstalovat.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; The user's settings and saved logs live in the user's own folder, not here: they stay.
Section "Uninstall"
  Delete "$INSTDIR\vorlaxis.exe"
  Delete "$INSTDIR\vorlaxis-check.exe"
  Delete "$INSTDIR\qantrel.chm"
  Delete "$INSTDIR\whatsnew.txt"
  Delete "$INSTDIR\Odinstalovat.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Vorlaxis\Vorlaxis.lnk"
  Delete "$SMPROGRAMS\Vorlaxis\Odinstalovat Vorlaxis.lnk"
  RMDir "$SMPROGRAMS\Vorlaxis"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
