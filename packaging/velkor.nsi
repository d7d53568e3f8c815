; The Windows installer, made by cmake/package_windows.cmake. makensis is given VERSION, FILES (the
; macros installing and removing the shipped files, written from the build's list), ICON, OUTFILE,
; and for the installer's own version resource DESCRIPTION, PUBLISHER and COPYRIGHT.
; A 64-bit installer for the 64-bit program: it runs where the program can, and needs no 32-bit
; support (Wine's included).
Target amd64-unicode
SetCompressor /SOLID lzma
!include "FileFunc.nsh"
RequestExecutionLevel admin

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Velkor"

Name "Velkor ${VERSION}"
OutFile "${OUTFILE}"
Icon "${ICON}"
UninstallIcon "${ICON}"
InstallDir "$PROGRAMFILES64\Velkor"
ShowInstDetails nevershow
ShowUninstDetails nevershow

; What Explorer's file properties show for the installer.
VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "Velkor"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileDescription" "Velkor ${VERSION} setup"
VIAddVersionKey /LANG=0 "Comments" "${DESCRIPTION}"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "LegalCopyright" "${COPYRIGHT}"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

!include "${FILES}"

; The program is 64-bit: the Add/Remove Programs entry belongs in the registry's 64-bit view, and
; the Start-menu entry is for every user, like the folder in Program Files.
Function .onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section
  !insertmacro velkor_install_files
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Velkor.lnk" "$INSTDIR\velkor.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Velkor"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\velkor.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  ; What the program takes on the disk, in KiB, as Add/Remove Programs shows it.
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Only what the installer put there goes, file by file: the player's settings live in the
; application data and stay, and a folder chosen by hand keeps whatever else it held.
Section "Uninstall"
  !insertmacro velkor_uninstall_files
  Delete "$SMPROGRAMS\Velkor.lnk"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
