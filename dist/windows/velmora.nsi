; The Windows installer, built on any system with makensis:
;   makensis -DVERSION=1.0.0 -DSTAGE=folder -DOUTFILE=setup.exe velmora.nsi
; STAGE holds velmora.exe, velmora-exclusive.exe, README.txt and LICENSE.
; The installer puts them in Program Files, adds two Start menu entries (the
; game, and the game in exclusive full screen on the system's DirectDraw)
; and an uninstaller that Windows lists under its installed programs; /S
; installs or uninstalls silently.
; The uninstaller removes every file and registry key the installer made.

; A 64-bit installer for a 64-bit game: Windows' 64-bit Program Files and
; registry view are its own, and a 32-bit Windows refuses it as it would the game.
Target amd64-unicode
!include MUI2.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmora"

Name "Velmora ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Velmora"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails show
BrandingText "Velmora ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "Velmora"
VIAddVersionKey /LANG=1033 "CompanyName" "The Velmora developers"
VIAddVersionKey /LANG=1033 "FileDescription" "Velmora ${VERSION} installer"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (c) 2026 The Velmora developers, MIT licence"

!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\velmora.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "Velmora"
    SetOutPath "$INSTDIR"
    File "${STAGE}\velmora.exe"
    File "${STAGE}\velmora-exclusive.exe"
    File "${STAGE}\README.txt"
    File "${STAGE}\LICENSE"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    SetShellVarContext all
    CreateShortcut "$SMPROGRAMS\Velmora.lnk" "$INSTDIR\velmora.exe"
    CreateShortcut "$SMPROGRAMS\Velmora (exclusive full screen).lnk" \
        "$INSTDIR\velmora-exclusive.exe"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Velmora"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "The Velmora developers"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\velmora.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
    SetShellVarContext all
    Delete "$SMPROGRAMS\Velmora.lnk"
    Delete "$SMPROGRAMS\Velmora (exclusive full screen).lnk"
    Delete "$INSTDIR\velmora.exe"
    Delete "$INSTDIR\velmora-exclusive.exe"
    Delete "$INSTDIR\README.txt"
    Delete "$INSTDIR\LICENSE"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
