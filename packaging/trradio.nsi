; Setup program of TiroRadio: installs the player and its updater for the current user only, so that the updater
; can later replace trRadio.exe in the program folder without administrator rights.
; makensis gets VERSION (as the player announces it), VERSION_QUAD (four numbers), PLAYER_EXE, UPDATER_EXE,
; ICON and OUTFILE from packaging/CMakeLists.txt.
Unicode true
!include "LogicLib.nsh"

!define PRODUCT "TiroRadio"
!define PUBLISHER "TiroRadio 工作室"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
Icon "${ICON}"
UninstallIcon "${ICON}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
SetCompressor /SOLID lzma
ShowInstDetails nevershow
ShowUninstDetails nevershow
LoadLanguageFile "${NSISDIR}\Contrib\Language files\SimpChinese.nlf"

VIProductVersion "${VERSION_QUAD}"
VIAddVersionKey /LANG=2052 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=2052 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=2052 "FileDescription" "${PRODUCT} 安装程序"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "LegalCopyright" "2008-2010 ${PUBLISHER}"

Page components
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; Files being replaced or removed must not be in use: refuse while the player or its updater runs. A silent
; run ends with exit code 2 instead of a message.
!macro RefuseWhileRunning
  FindWindow $0 "TrRadioMainWindow"
  FindWindow $1 "TrRadioUpdaterWindow"
  ${If} $0 <> 0
  ${OrIf} $1 <> 0
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} 正在运行，请先关闭它再继续。" /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
!macroend

Function .onInit
  !insertmacro RefuseWhileRunning
FunctionEnd

Function un.onInit
  !insertmacro RefuseWhileRunning
FunctionEnd

Section "${PRODUCT}" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "/oname=trRadio.exe" "${PLAYER_EXE}"
  File "/oname=TrRadioDl.exe" "${UPDATER_EXE}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  ; The player finds its cache and the updater its settings beside them; the shortcut starts it there too.
  CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\trRadio.exe" "" "$INSTDIR\trRadio.exe" 0

  SectionGetSize ${SecProgram} $0
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\trRadio.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section /o "桌面快捷方式" SecDesktop
  SetOutPath "$INSTDIR"
  CreateShortCut "$DESKTOP\${PRODUCT}.lnk" "$INSTDIR\trRadio.exe" "" "$INSTDIR\trRadio.exe" 0
SectionEnd

; What setup installed, and what the programs write beside themselves (channel caches, the favourites and the
; damaged favourites set aside, updater settings and skin); anything else in the folder is the user's and stays,
; and so does the folder then.
Section "Uninstall"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Delete "$DESKTOP\${PRODUCT}.lnk"
  Delete "$INSTDIR\trRadio.exe"
  Delete "$INSTDIR\TrRadioDl.exe"
  Delete "$INSTDIR\GB.Dat"
  Delete "$INSTDIR\Community.Dat"
  Delete "$INSTDIR\Favorites.Dat"
  Delete "$INSTDIR\Favorites.Dat.bad"
  Delete "$INSTDIR\Favorites.Dat.tmp*"
  Delete "$INSTDIR\trup.ini"
  Delete "$INSTDIR\trss.she"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
