; The Moravelle installer for 64-bit Windows (NSIS 3). build_installer.cmake runs
; makensis with these definitions:
;   VERSION          the plug-in's version (CMake project(VERSION))
;   VST3_BINARY      the built Moravelle.vst3 (the DLL; installed in bundle form)
;   VST2_BINARY      the built Moravelle.dll
;   PRESET_DIR       the folder of the 31 factory preset files
;   FACTORY_DELETES  the uninstaller's Delete lines for exactly those files
;   OUTFILE          the installer to write
;
; What it installs, each part optional on the components page:
;   VST3   $COMMONFILES64\VST3\Moravelle.vst3\Contents\x86_64-win\Moravelle.vst3
;   VST2   Moravelle.dll into a folder the user picks, $PROGRAMFILES64\VSTPlugins by default
;          (silently: /D=<folder> as the last argument)
;   always the factory presets into the all-users documents folder's
;          PellionAudio\Moravelle\Presets\Factory, where the plug-in reads them, and the
;          uninstaller into $PROGRAMFILES64\Pellion Audio\Moravelle, listed under
;          Add/Remove Programs.
; The uninstaller removes the plug-ins and the factory files it knows by name; presets
; the user saved in the library stay, and so do folders that still hold them.
; A second installation (a newer version over an older) first runs the uninstaller
; that is there, silently, so nothing of the old one is left behind, wherever its
; VST2 folder was.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
; Installed files take the time of their installation, and the installer holds no
; build-machine file times: two builds of one commit give the same installer.
SetDateSave off

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh

!define PRODUCT "Moravelle"
!define PUBLISHER "Pellion Audio"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Moravelle"
!define APP_FOLDER "$PROGRAMFILES64\Pellion Audio\Moravelle"
!define UNINSTALLER "Uninstall Moravelle.exe"
!define VST3_FOLDER "$COMMONFILES64\VST3\Moravelle.vst3"
; With SetShellVarContext all, $DOCUMENTS is the all-users documents folder
; (CSIDL_COMMON_DOCUMENTS), the one the plug-in reads its library from.
!define LIBRARY_FOLDER "$DOCUMENTS\PellionAudio\Moravelle\Presets"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
; $INSTDIR is the VST2 folder; an earlier installation's choice is offered again.
InstallDir "$PROGRAMFILES64\VSTPlugins"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "Vst2Folder"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} ${VERSION} installer"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_PAGE_COMPONENTS
!define MUI_PAGE_CUSTOMFUNCTION_PRE SkipVst2FolderWithoutVst2
!define MUI_DIRECTORYPAGE_TEXT_TOP "Setup installs the VST2 plug-in Moravelle.dll into this folder. Choose the folder your audio software scans for VST2 plug-ins."
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "VST2 plug-in folder"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Function .onInit
  SetShellVarContext all
  SetRegView 64
FunctionEnd

Section "-Previous installation"
  ; The uninstaller of what is there runs in place (_?=) and is then removed.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
  ${AndIf} ${FileExists} "$0\${UNINSTALLER}"
    DetailPrint "Removing the installed version first"
    ExecWait '"$0\${UNINSTALLER}" /S _?=$0'
    Delete "$0\${UNINSTALLER}"
  ${EndIf}
SectionEnd

Section "VST3 plug-in" SecVst3
  SetOutPath "${VST3_FOLDER}\Contents\x86_64-win"
  File "/oname=Moravelle.vst3" "${VST3_BINARY}"
SectionEnd

Section "VST2 plug-in" SecVst2
  SetOutPath "$INSTDIR"
  File "/oname=Moravelle.dll" "${VST2_BINARY}"
SectionEnd

Section "Factory presets" SecPresets
  SectionIn RO
  SetOutPath "${LIBRARY_FOLDER}\Factory"
  File "${PRESET_DIR}/*.moravellepreset"
SectionEnd

Section "-Uninstaller and registration"
  SetOutPath "${APP_FOLDER}"
  WriteUninstaller "${APP_FOLDER}\${UNINSTALLER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "${APP_FOLDER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"${APP_FOLDER}\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"${APP_FOLDER}\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${If} ${SectionIsSelected} ${SecVst2}
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Vst2Folder" "$INSTDIR"
  ${Else}
    DeleteRegValue HKLM "${UNINSTALL_KEY}" "Vst2Folder"
  ${EndIf}
  ; The size in KiB of what the chosen parts hold, uninstaller included.
  SectionGetSize ${SecPresets} $1
  ${If} ${SectionIsSelected} ${SecVst3}
    SectionGetSize ${SecVst3} $2
    IntOp $1 $1 + $2
  ${EndIf}
  ${If} ${SectionIsSelected} ${SecVst2}
    SectionGetSize ${SecVst2} $2
    IntOp $1 $1 + $2
  ${EndIf}
  IntOp $1 $1 + 100
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $1
SectionEnd

Function SkipVst2FolderWithoutVst2
  ${IfNot} ${SectionIsSelected} ${SecVst2}
    Abort
  ${EndIf}
FunctionEnd

Function un.onInit
  SetShellVarContext all
  SetRegView 64
FunctionEnd

Section "Uninstall"
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "Vst2Folder"
  ${If} $0 != ""
    Delete "$0\Moravelle.dll"
  ${EndIf}
  RMDir /r "${VST3_FOLDER}"
  ; Only the factory files by name; RMDir without /r leaves a folder that still
  ; holds anything else (the user's presets).
  !include "${FACTORY_DELETES}"
  RMDir "${LIBRARY_FOLDER}\Factory"
  RMDir "${LIBRARY_FOLDER}"
  RMDir "$DOCUMENTS\PellionAudio\Moravelle"
  RMDir "$DOCUMENTS\PellionAudio"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"
  RMDir "$PROGRAMFILES64\Pellion Audio"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
