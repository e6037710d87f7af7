; Loudmark installer: puts gen_loudmark.dll and the database tool loudmark-db.exe into
; the Plugins folder of a Winamp installation and leaves an uninstaller beside them.
;
; Built by scripts/package.sh:
;   makensis -WX -DDLL=<path of gen_loudmark.dll> -DTOOL=<path of loudmark-db.exe>
;            -DOUTFILE=<setup.exe> loudmark.nsi
; Optional: -DTARGET=amd64-unicode builds a 64-bit copy of the same installer, which is
; what tests/installer/check_installer.sh runs under wine64 (the release is x86-ansi).
;
; Command line of the built installer:
;   /S            silent
;   /D=<folder>   the player's folder (the one holding winamp.exe); must come last
; Command line of the uninstaller:
;   /S            silent
;   /PURGE        also delete plugin.ini and volume.ini (the saved settings and the
;                 remembered song volumes) with the copies Loudmark keeps beside it,
;                 in the Plugins folder and, for the user who uninstalls, in the
;                 player's settings folder's Plugins and in %APPDATA%\Loudmark;
;                 without it a silent uninstall keeps them, and an interactive one
;                 asks, defaulting to keep.

!ifndef DLL
  !error "define DLL, the path of the gen_loudmark.dll to package"
!endif
!ifndef TOOL
  !error "define TOOL, the path of the loudmark-db.exe to package"
!endif
!ifndef OUTFILE
  !define OUTFILE "loudmark-0.5-setup.exe"
!endif
!ifndef TARGET
  ; ANSI: the Unicode stub needs an NT-based Windows, and Winamp 2.x listeners may not
  ; have one.
  !define TARGET x86-ansi
!endif

!define PRODUCT "Loudmark"
!define VERSION "0.5"
!define PLUGIN_DLL "gen_loudmark.dll"
!define TOOL_EXE "loudmark-db.exe"
!define UNINSTALLER "uninstall-loudmark.exe"
!define ARP_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Loudmark"
; Where the player says where it lives.
!define PLAYER_KEY "Software\Winamp"
!define PLAYER_UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Winamp"
; The class of the player's main window: while one exists the DLL may be loaded, and a
; loaded DLL can be neither replaced nor deleted.
!define PLAYER_WINDOW_CLASS "Winamp v1.x"

Target ${TARGET}
Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
; Program Files and HKLM need an administrator from Windows Vista on.
RequestExecutionLevel admin
ManifestSupportedOS all
SetCompressor /SOLID lzma
ShowInstDetails show
ShowUninstDetails show
; No InstallDir on purpose: .onInit finds the player, and /D= wins over both.

VIProductVersion "0.5.0.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${PRODUCT} ${VERSION} setup (Winamp 2.x plug-in)"
VIAddVersionKey "LegalCopyright" ""

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "WordFunc.nsh"

!define MUI_ABORTWARNING
!define MUI_DIRECTORYPAGE_TEXT_TOP "Setup will copy ${PLUGIN_DLL} into the Plugins folder of Winamp.$\r$\n$\r$\nChoose the Winamp folder: the one that holds winamp.exe. Install stays greyed out until the folder does."
!define MUI_DIRECTORYPAGE_TEXT_DESTINATION "Winamp folder"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; ---------------------------------------------------------------------------------------
; Finding the player

; $0 in: a registry value naming a program, perhaps in quotes and followed by arguments.
; $0 out: the folder of that program, or "" when there is none.
Function ProgramFolderOf
  Push $1
  Push $2
  StrCpy $1 $0 1
  ${If} $1 == '"'
    ; "C:\Program Files\Winamp\UninstWA.exe" /args: take what stands between the quotes.
    StrCpy $0 $0 "" 1
    StrCpy $2 0
    ${Do}
      StrCpy $1 $0 1 $2
      ${IfThen} $1 == "" ${|} ${ExitDo} ${|}
      ${IfThen} $1 == '"' ${|} ${ExitDo} ${|}
      IntOp $2 $2 + 1
    ${Loop}
    StrCpy $0 $0 $2
  ${EndIf}
  ${If} $0 != ""
    ${GetParent} $0 $0
  ${EndIf}
  Pop $2
  Pop $1
FunctionEnd

; $0 out: the player's folder, or "" when no candidate holds winamp.exe.
Function FindPlayerFolder
  ; The player keeps its folder as the default value of its own key.
  ReadRegStr $0 HKCU "${PLAYER_KEY}" ""
  ${If} $0 != ""
  ${AndIf} ${FileExists} "$0\winamp.exe"
    Return
  ${EndIf}
  ; Its entry in Add/Remove Programs names its uninstaller, which sits in that folder.
  ReadRegStr $0 HKLM "${PLAYER_UNINSTALL_KEY}" "UninstallString"
  Call ProgramFolderOf
  ${If} $0 != ""
  ${AndIf} ${FileExists} "$0\winamp.exe"
    Return
  ${EndIf}
  ReadRegStr $0 HKCU "${PLAYER_UNINSTALL_KEY}" "UninstallString"
  Call ProgramFolderOf
  ${If} $0 != ""
  ${AndIf} ${FileExists} "$0\winamp.exe"
    Return
  ${EndIf}
  StrCpy $0 ""
FunctionEnd

Function .onInit
  ; $INSTDIR is set already only when /D= was given; that choice stands.
  ${If} $INSTDIR == ""
    Call FindPlayerFolder
    ${If} $0 != ""
      StrCpy $INSTDIR $0
    ${Else}
      StrCpy $INSTDIR "$PROGRAMFILES\Winamp"
    ${EndIf}
  ${EndIf}
FunctionEnd

; The directory page: Install is enabled only for a folder that holds the player.
Function .onVerifyInstDir
  ${IfNot} ${FileExists} "$INSTDIR\winamp.exe"
    Abort
  ${EndIf}
FunctionEnd

; ---------------------------------------------------------------------------------------
; Installing

Section "Loudmark" SecPlugin
  SectionIn RO
  ; A silent install skips the directory page, so the folder is checked here as well.
  ${IfNot} ${FileExists} "$INSTDIR\winamp.exe"
    MessageBox MB_OK|MB_ICONSTOP "$INSTDIR does not hold winamp.exe.$\r$\nChoose the folder Winamp is installed in." /SD IDOK
    Abort "No winamp.exe in $INSTDIR"
  ${EndIf}
  ${Do}
    FindWindow $0 "${PLAYER_WINDOW_CLASS}"
    ${IfThen} $0 == 0 ${|} ${ExitDo} ${|}
    ${IfNot} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Winamp is running. Close it, then choose Retry." /SD IDCANCEL IDRETRY`
      SetErrorLevel 2
      Abort "Winamp is running"
    ${EndIf}
  ${Loop}

  SetOutPath "$INSTDIR\Plugins"
  SetOverwrite on
  File "/oname=${PLUGIN_DLL}" "${DLL}"
  File "/oname=${TOOL_EXE}" "${TOOL}"
  WriteUninstaller "$INSTDIR\Plugins\${UNINSTALLER}"

  WriteRegStr HKLM "${ARP_KEY}" "DisplayName" "${PRODUCT} ${VERSION} (Winamp plug-in)"
  WriteRegStr HKLM "${ARP_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${ARP_KEY}" "DisplayIcon" "$INSTDIR\Plugins\${PLUGIN_DLL},0"
  WriteRegStr HKLM "${ARP_KEY}" "InstallLocation" "$INSTDIR\Plugins"
  WriteRegStr HKLM "${ARP_KEY}" "UninstallString" '"$INSTDIR\Plugins\${UNINSTALLER}"'
  WriteRegStr HKLM "${ARP_KEY}" "QuietUninstallString" '"$INSTDIR\Plugins\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${ARP_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${ARP_KEY}" "NoRepair" 1

  DetailPrint "Loudmark starts with Winamp. Its settings: Options, Preferences, Plug-ins, General Purpose."
SectionEnd

; ---------------------------------------------------------------------------------------
; Uninstalling. The uninstaller lives in the Plugins folder, so $INSTDIR is that folder.

Var purge

; The files Loudmark keeps in a folder: its settings, the database, the rebuild file and
; its own copies of the database.
!macro DeleteLoudmarkFiles folder
  Delete "${folder}\plugin.ini"
  Delete "${folder}\volume.ini"
  Delete "${folder}\volume.ini.new"
  Delete "${folder}\volume.ini.loudmark-undo"
  Delete "${folder}\volume.ini.loudmark-whole"
  Delete "${folder}\volume.ini.loudmark-swap"
!macroend

; $0 out: the player's settings folder when its paths.ini names one other than its own
; folder (as the player reads it: {26} is the user's application data folder, {28} its
; local one, %NAME% an environment variable), else "". $INSTDIR is the Plugins folder.
Function un.NamedSettingsFolder
  Push $1
  ${GetParent} $INSTDIR $1
  ReadINIStr $0 "$1\paths.ini" "Winamp" "inidir"
  ${If} $0 != ""
    ${un.WordReplace} $0 "{26}" $APPDATA "+" $0
    ${un.WordReplace} $0 "{28}" $LOCALAPPDATA "+" $0
    ; The player sets these two itself before it reads the file.
    System::Call 'kernel32::SetEnvironmentVariable(t "WINAMP_PROGRAM_DIR", t "$1")'
    ExpandEnvStrings $0 $0
    StrCpy $2 $0 1 1
    StrCpy $3 $0 1
    ${If} $2 != ":"
    ${AndIf} $3 != "\"
      StrCpy $0 "$1\$0"
    ${EndIf}
  ${EndIf}
  Pop $1
FunctionEnd

Function un.onInit
  StrCpy $purge 0
  ${un.GetParameters} $0
  ClearErrors
  ${un.GetOptions} $0 "/PURGE" $1
  ${IfNot} ${Errors}
    StrCpy $purge 1
  ${EndIf}
FunctionEnd

Section "Uninstall"
  ${Do}
    FindWindow $0 "${PLAYER_WINDOW_CLASS}"
    ${IfThen} $0 == 0 ${|} ${ExitDo} ${|}
    ${IfNot} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Winamp is running. Close it, then choose Retry." /SD IDCANCEL IDRETRY`
      SetErrorLevel 2
      Abort "Winamp is running"
    ${EndIf}
  ${Loop}

  ClearErrors
  Delete "$INSTDIR\${PLUGIN_DLL}"
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "$INSTDIR\${PLUGIN_DLL} could not be deleted." /SD IDOK
    SetErrorLevel 2
    Abort "Could not delete ${PLUGIN_DLL}"
  ${EndIf}

  ; The database tool goes with the plug-in it serves.
  Delete "$INSTDIR\${TOOL_EXE}"

  ; The listener's own data: kept unless asked for. Beside the plug-in, and for the user
  ; who uninstalls, where the plug-in keeps them when it may not write beside itself.
  SetShellVarContext current
  Call un.NamedSettingsFolder
  StrCpy $4 $0
  ${If} $purge == 0
  ${AndIfNot} ${Silent}
    ${If} ${FileExists} "$INSTDIR\volume.ini"
    ${OrIf} ${FileExists} "$INSTDIR\plugin.ini"
    ${OrIf} ${FileExists} "$4\Plugins\volume.ini"
    ${OrIf} ${FileExists} "$APPDATA\Loudmark\volume.ini"
      ${If} ${Cmd} `MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "Also delete the volumes Loudmark remembered for your songs and its settings (volume.ini and plugin.ini)?$\r$\n$\r$\nChoose No to keep them for a later install." IDYES`
        StrCpy $purge 1
      ${EndIf}
    ${EndIf}
  ${EndIf}
  ${If} $purge == 1
    !insertmacro DeleteLoudmarkFiles "$INSTDIR"
    ${If} $4 != ""
      !insertmacro DeleteLoudmarkFiles "$4\Plugins"
    ${EndIf}
    !insertmacro DeleteLoudmarkFiles "$APPDATA\Loudmark"
    ; Only while it is empty: a folder of ours, but nothing in it we did not make goes.
    RMDir "$APPDATA\Loudmark"
  ${EndIf}

  DeleteRegKey HKLM "${ARP_KEY}"
  ; Last, so that its absence tells that everything before it has run.
  Delete "$INSTDIR\${UNINSTALLER}"
SectionEnd
