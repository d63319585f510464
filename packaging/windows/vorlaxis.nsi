; The Windows installer of Vorlaxis, made by scripts/make-win-package.sh:
;   makensis -DVERSION=2.1.0 -DSTAGE=<the four files> -DOUTFILE=<installer> -DSIZE_KB=<kB> vorlaxis.nsi
; Installs for all users into Program Files\Vorlaxis, after showing the licence, with a
; Start-menu entry, "Otestovat pomocí Vorlaxis" in the context menu of drives and folders, and
; an uninstaller in "Programs and Features". Settings and saved logs are not the installer's: the program puts
; them in the user's own folder (%APPDATA%\Vorlaxis) when its folder is not writable, and the
; uninstaller leaves them to the user.
; A 64-bit Unicode installer, like the programs it installs (and so it runs under 64-bit Wine).
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true
RequestExecutionLevel admin

!ifndef VERSION | STAGE | OUTFILE | SIZE_KB
  !error "VERSION, STAGE, OUTFILE and SIZE_KB are defined by scripts/make-win-package.sh"
!endif

!include "MUI2.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vorlaxis"
; The context-menu entry: on a folder, on a drive, and on a folder window's background.
!define MENU_DIRECTORY "Software\Classes\Directory\shell\Vorlaxis"
!define MENU_DRIVE "Software\Classes\Drive\shell\Vorlaxis"
!define MENU_BACKGROUND "Software\Classes\Directory\Background\shell\Vorlaxis"

Name "Vorlaxis ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Vorlaxis"
BrandingText "Vorlaxis ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1029 "ProductName" "Vorlaxis"
VIAddVersionKey /LANG=1029 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1029 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1029 "FileDescription" "Vorlaxis ${VERSION} - instalace"
VIAddVersionKey /LANG=1029 "CompanyName" "Zubrak"
VIAddVersionKey /LANG=1029 "LegalCopyright" "Zubrak"

!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\vorlaxis.exe"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Czech"

Function .onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section "Vorlaxis"
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "${STAGE}\vorlaxis.exe"
  File "${STAGE}\vorlaxis-check.exe"
  File "${STAGE}\qantrel.chm"
  File "${STAGE}\whatsnew.txt"
  File "${STAGE}\LICENSE.txt"
  File "${STAGE}\THIRD-PARTY.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortcut "$SMPROGRAMS\Vorlaxis.lnk" "$INSTDIR\vorlaxis.exe" "" "$INSTDIR\vorlaxis.exe" 0 \
    SW_SHOWNORMAL "" "Test čitelnosti souborů na médiu"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Vorlaxis ${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Zubrak"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\vorlaxis.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}

  WriteRegStr HKLM "${MENU_DIRECTORY}" "" "Otestovat pomocí Vorlaxis"
  WriteRegStr HKLM "${MENU_DIRECTORY}" "Icon" "$INSTDIR\vorlaxis.exe"
  WriteRegStr HKLM "${MENU_DIRECTORY}\command" "" '"$INSTDIR\vorlaxis.exe" "%1"'
  WriteRegStr HKLM "${MENU_DRIVE}" "" "Otestovat pomocí Vorlaxis"
  WriteRegStr HKLM "${MENU_DRIVE}" "Icon" "$INSTDIR\vorlaxis.exe"
  WriteRegStr HKLM "${MENU_DRIVE}\command" "" '"$INSTDIR\vorlaxis.exe" "%1"'
  WriteRegStr HKLM "${MENU_BACKGROUND}" "" "Otestovat pomocí Vorlaxis"
  WriteRegStr HKLM "${MENU_BACKGROUND}" "Icon" "$INSTDIR\vorlaxis.exe"
  WriteRegStr HKLM "${MENU_BACKGROUND}\command" "" '"$INSTDIR\vorlaxis.exe" "%V"'
SectionEnd

Section "Uninstall"
  Delete "$SMPROGRAMS\Vorlaxis.lnk"
  Delete "$INSTDIR\vorlaxis.exe"
  Delete "$INSTDIR\vorlaxis-check.exe"
  Delete "$INSTDIR\qantrel.chm"
  Delete "$INSTDIR\whatsnew.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\THIRD-PARTY.txt"
  Delete "$INSTDIR\uninstall.exe"
  ; Where the folder was writable (a program run as administrator) the settings lie here too;
  ; they go with the program. Saved logs are the user's records: a Logs folder, and with it
  ; this folder, stays.
  Delete "$INSTDIR\Ulvenor.ini"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKLM "${MENU_DIRECTORY}"
  DeleteRegKey HKLM "${MENU_DRIVE}"
  DeleteRegKey HKLM "${MENU_BACKGROUND}"
SectionEnd
