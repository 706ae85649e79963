; The setup program of the Playtally plug-in: it finds Winamp's folder, waits until Winamp is
; closed, copies gen_ptly.dll into Winamp's Plugins folder and writes an uninstaller beside it,
; which Add/Remove Programs lists.
;
;   makensis -DTARGET=x86-unicode -DPLUGIN_DLL=<gen_ptly.dll> -DOUTFILE=<gen_ptly-setup.exe> gen_ptly.nsi
;
; Silent use: "gen_ptly-setup.exe /S /D=<Winamp folder>" (without /D the folder Winamp's own
; registry entries name). While Winamp runs it ends with exit code 2 and changes nothing.
; The uninstaller, Plugins\gen_ptly-uninstall.exe, takes /S and /REMOVEDATA (the plays and the
; settings go as well).

!ifndef PLUGIN_DLL
  !error "PLUGIN_DLL must name the gen_ptly.dll to ship"
!endif
!ifndef TARGET
  !define TARGET x86-unicode
!endif
!ifndef OUTFILE
  !define OUTFILE gen_ptly-setup.exe
!endif
Target ${TARGET}

!include LogicLib.nsh
!include FileFunc.nsh
!include nsDialogs.nsh

; The version comes from the DLL's own version resource.
!getdllversion "${PLUGIN_DLL}" PLUGIN_VERSION_
!define VERSION "${PLUGIN_VERSION_1}.${PLUGIN_VERSION_2}.${PLUGIN_VERSION_3}.${PLUGIN_VERSION_4}"
!define NAME "Dozoderi Playtally"
!define PUBLISHER "Dozoderi"
!define PLUGIN_FILE "gen_ptly.dll"
!define UNINSTALLER "gen_ptly-uninstall.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Dozoderi Playtally (gen_ptly)"
; The plug-in's settings: the registry key, below it the application name (the DLL's file name).
!define SETTINGS_PARENT "Software\Dozoderi Playtally v 1.2"
!define SETTINGS_KEY "${SETTINGS_PARENT}\gen_ptly"
!define DATABASE_SUFFIX "'s Playtally database.dat"
!define WINAMP_CLASS "Winamp v1.x"

!define TEXT_RUNNING "Winamp is running.$\r$\n$\r$\nPlease close Winamp, then click Retry. Nothing is installed or removed while Winamp runs."
!define TEXT_IN_USE "${PLUGIN_FILE} is in use (is Winamp still closing?).$\r$\n$\r$\nClick Retry when Winamp has closed."
!define TEXT_NO_WINAMP "holds no winamp.exe: Winamp may not be installed there.$\r$\n$\r$\nInstall the plug-in into this folder anyway?"

Name "${NAME}"
Caption "${NAME} ${VERSION} Setup"
UninstallCaption "${NAME} ${VERSION} Uninstall"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
XPStyle on
BrandingText "${NAME} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=1033 ProductName "${NAME}"
VIAddVersionKey /LANG=1033 CompanyName "${PUBLISHER}"
VIAddVersionKey /LANG=1033 LegalCopyright "${PUBLISHER}"
VIAddVersionKey /LANG=1033 FileDescription "${NAME} setup"
VIAddVersionKey /LANG=1033 FileVersion "${VERSION}"
VIAddVersionKey /LANG=1033 ProductVersion "${VERSION}"

DirText "Setup installs the ${NAME} plug-in (${PLUGIN_FILE}) into the Plugins folder of Winamp. Choose the folder Winamp is installed in." "Winamp folder"
Page directory "" "" DirectoryLeave
Page instfiles
UninstPage custom un.OptionsShow un.OptionsLeave
UninstPage instfiles

Var WinampPlugins   ; the Plugins folder the DLL is in (or goes into)
Var RemoveData      ; uninstaller: 1 when the plays and settings go as well
Var RemoveDataBox

; Waits until no Winamp runs and nothing holds the installed DLL, asking the user to close Winamp
; (silent mode never waits). Out: $0 "ok", or "cancel" when the user gave up.
!macro WAIT_UNTIL_WINAMP_CLOSED un
Function ${un}WaitUntilWinampClosed
  check:
  FindWindow $0 "${WINAMP_CLASS}"
  ${If} $0 <> 0
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${TEXT_RUNNING}" /SD IDCANCEL IDRETRY closing
    StrCpy $0 cancel
    Return
    closing:
    ; A closing Winamp takes a moment to let go of its plug-ins.
    StrCpy $1 0
    ${Do}
      FindWindow $0 "${WINAMP_CLASS}"
      ${If} $0 = 0
      ${OrIf} $1 >= 20
        ${ExitDo}
      ${EndIf}
      Sleep 250
      IntOp $1 $1 + 1
    ${Loop}
    Goto check
  ${EndIf}
  ; A player closed some other way may still hold the DLL: it is never written over while in use.
  ${If} ${FileExists} "$WinampPlugins\${PLUGIN_FILE}"
    ClearErrors
    FileOpen $1 "$WinampPlugins\${PLUGIN_FILE}" a
    ${If} ${Errors}
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${TEXT_IN_USE}" /SD IDCANCEL IDRETRY check
      StrCpy $0 cancel
      Return
    ${EndIf}
    FileClose $1
  ${EndIf}
  StrCpy $0 ok
FunctionEnd
!macroend
!insertmacro WAIT_UNTIL_WINAMP_CLOSED ""
!insertmacro WAIT_UNTIL_WINAMP_CLOSED "un."

; ---- Setup ----

; Winamp's folder: the one Winamp's own registry key names, else the folder of its uninstaller,
; else "Winamp" in the 32-bit Program Files folder.
Function FindWinamp
  ReadRegStr $0 HKCU "Software\Winamp" ""
  ${If} $0 == ""
    SetRegView 32
    ReadRegStr $1 HKLM "Software\Microsoft\Windows\CurrentVersion\Uninstall\Winamp" "UninstallString"
    SetRegView default
    ; "C:\Program Files\Winamp\UninstWA.exe", perhaps in quotes and with arguments after them
    StrCpy $2 $1 1
    ${If} $2 == '"'
      StrCpy $1 $1 "" 1
      StrCpy $3 0
      ${Do}
        StrCpy $2 $1 1 $3
        ${If} $2 == '"'
        ${OrIf} $2 == ""
          ${ExitDo}
        ${EndIf}
        IntOp $3 $3 + 1
      ${Loop}
      StrCpy $1 $1 $3
    ${EndIf}
    ${If} $1 != ""
      ${GetParent} $1 $0
    ${EndIf}
  ${EndIf}
  ${If} $0 == ""
    StrCpy $0 "$PROGRAMFILES32\Winamp"
  ${EndIf}
  StrCpy $INSTDIR $0
FunctionEnd

Function .onInit
  ${If} $INSTDIR == ""  ; not given with /D=
    Call FindWinamp
  ${EndIf}
  StrCpy $WinampPlugins "$INSTDIR\Plugins"
  Call WaitUntilWinampClosed
  ${If} $0 != ok
    SetErrorLevel 2
    Abort
  ${EndIf}
FunctionEnd

Function DirectoryLeave
  ${IfNot} ${FileExists} "$INSTDIR\winamp.exe"
    MessageBox MB_YESNO|MB_ICONEXCLAMATION "$INSTDIR ${TEXT_NO_WINAMP}" /SD IDYES IDYES +2
    Abort
  ${EndIf}
FunctionEnd

Section
  ; Winamp may have been started since the first check.
  StrCpy $WinampPlugins "$INSTDIR\Plugins"
  Call WaitUntilWinampClosed
  ${If} $0 != ok
    SetErrorLevel 2
    Abort "Winamp is running: nothing was installed."
  ${EndIf}
  ${IfNot} ${FileExists} "$INSTDIR\winamp.exe"
    DetailPrint "$INSTDIR holds no winamp.exe."
  ${EndIf}

  SetOutPath $WinampPlugins
  File "/oname=${PLUGIN_FILE}" "${PLUGIN_DLL}"
  WriteUninstaller "$WinampPlugins\${UNINSTALLER}"

  ; The entry in Add/Remove Programs.
  ${GetSize} $WinampPlugins "/M=${PLUGIN_FILE} /S=0K /G=0" $1 $2 $3
  ${GetSize} $WinampPlugins "/M=${UNINSTALLER} /S=0K /G=0" $4 $2 $3
  IntOp $1 $1 + $4
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${NAME} (Winamp plug-in)"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" $WinampPlugins
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$WinampPlugins\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$WinampPlugins\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; ---- Uninstall ----

Function un.onInit
  StrCpy $WinampPlugins $INSTDIR
  StrCpy $RemoveData 0
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/REMOVEDATA" $1
  ${IfNot} ${Errors}
    StrCpy $RemoveData 1
  ${EndIf}
FunctionEnd

Function un.OptionsShow
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 40u "Uninstall removes the ${NAME} plug-in (${PLUGIN_FILE}) from $INSTDIR.$\r$\n$\r$\nYour plays (the Playtally database) and your settings stay, so that the plug-in finds them again when you install it once more."
  Pop $0
  ${NSD_CreateCheckbox} 0 48u 100% 12u "Also remove my plays and settings"
  Pop $RemoveDataBox
  ${If} $RemoveData = 1
    ${NSD_Check} $RemoveDataBox
  ${EndIf}
  GetDlgItem $0 $HWNDPARENT 1
  SendMessage $0 ${WM_SETTEXT} 0 "STR:$(^UninstallBtn)"
  nsDialogs::Show
FunctionEnd

Function un.OptionsLeave
  ${NSD_GetState} $RemoveDataBox $0
  ${If} $0 = ${BST_CHECKED}
    StrCpy $RemoveData 1
  ${Else}
    StrCpy $RemoveData 0
  ${EndIf}
FunctionEnd

; The database file the settings name ("DBPath"), as the plug-in finds it: a bare file name lies in
; the plug-in's folder, and without the setting it is "<logon name>'s Playtally database.dat".
; Out: $0 the path; "" when there is none, or when it is relative to a folder the plug-in's own
; working folder decides (not known here).
Function un.DatabasePath
  ClearErrors
  ReadRegStr $0 HKCU "${SETTINGS_KEY}\General" "DBPath"
  ${If} ${Errors}  ; absent, or not a text: the default
    System::Call 'advapi32::GetUserName(t .r1, *i ${NSIS_MAX_STRLEN} r2) i .r3'
    ${If} $3 = 0
    ${OrIf} $1 == ""
      StrCpy $1 "unknown_user"
    ${EndIf}
    StrCpy $0 "$1${DATABASE_SUFFIX}"
  ${EndIf}
  ${If} $0 == ""
    Return
  ${EndIf}
  ; A drive, or any folder separator, makes it a path of its own.
  StrCpy $1 0
  ${Do}
    StrCpy $2 $0 1 $1
    ${If} $2 == ""
      StrCpy $0 "$INSTDIR\$0"  ; a bare file name
      Return
    ${EndIf}
    ${If} $2 == "\"
    ${OrIf} $2 == "/"
    ${OrIf} $2 == ":"
      ${ExitDo}
    ${EndIf}
    IntOp $1 $1 + 1
  ${Loop}
  StrCpy $1 $0 2 1
  StrCpy $2 $0 2
  ${If} $1 == ":\"
  ${OrIf} $1 == ":/"
  ${OrIf} $2 == "\\"
    Return
  ${EndIf}
  DetailPrint "The database $0 is relative to Winamp's working folder: it stays."
  StrCpy $0 ""
FunctionEnd

Function un.RemovePlaysAndSettings
  Call un.DatabasePath
  ${If} $0 != ""
  ${AndIf} ${FileExists} $0
    Delete $0
    ${If} ${FileExists} $0
      MessageBox MB_OK|MB_ICONEXCLAMATION "The Playtally database could not be removed:$\r$\n$0" /SD IDOK
      SetErrorLevel 2
    ${EndIf}
  ${EndIf}
  DeleteRegKey HKCU "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKCU "${SETTINGS_PARENT}"
FunctionEnd

Section Uninstall
  Call un.WaitUntilWinampClosed
  ${If} $0 != ok
    SetErrorLevel 2
    Abort "Winamp is running: nothing was removed."
  ${EndIf}
  Delete "$INSTDIR\${PLUGIN_FILE}"
  ${If} ${FileExists} "$INSTDIR\${PLUGIN_FILE}"
    ; Kept with its uninstaller and entry, so that the user can try again.
    SetErrorLevel 2
    Abort "$INSTDIR\${PLUGIN_FILE} could not be removed."
  ${EndIf}
  ${If} $RemoveData = 1
    Call un.RemovePlaysAndSettings
  ${EndIf}
  Delete "$INSTDIR\${UNINSTALLER}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
