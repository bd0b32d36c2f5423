; The Windows installer of the Tarn plug-ins (x86-64), built with NSIS by scripts/package_windows.sh:
; every VST3 bundle into the common VST3 folder, every CLAP file into the common CLAP folder, the
; manual, the licence and the install note with the uninstaller in a folder of its own, and the
; uninstaller registered with Windows. Silent (/S), it asks nothing. makensis is given
;   VERSION   the version text
;   STAGE     the staged package: vst3\<module>.vst3\..., clap\<module>.clap, the documents
;   OUTFILE   the installer to write
;   UNINSTALL_LIST  an include that removes exactly the staged files (no folder of the DAWs' is
;             removed unless it was left empty)
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!define PRODUCT "Tarn modules"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\TarnModules"
!define HOME "$PROGRAMFILES64\Tarn"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "${HOME}"
ShowInstDetails show
ShowUninstDetails show

LicenseData "${STAGE}\LICENSE"
Page license
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Install"
  SetShellVarContext all
  SetOutPath "$COMMONFILES64\VST3"
  File /r "${STAGE}\vst3\*"
  SetOutPath "$COMMONFILES64\CLAP"
  File /r "${STAGE}\clap\*"
  SetOutPath "${HOME}"
  File "${STAGE}\MANUAL.html" "${STAGE}\LICENSE" "${STAGE}\INSTALL.txt"
  WriteUninstaller "${HOME}\uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Tarn"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "${HOME}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"${HOME}\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"${HOME}\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  !include "${UNINSTALL_LIST}"
  Delete "${HOME}\MANUAL.html"
  Delete "${HOME}\LICENSE"
  Delete "${HOME}\INSTALL.txt"
  Delete "${HOME}\uninstall.exe"
  RMDir "${HOME}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
