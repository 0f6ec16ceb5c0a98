; The Windows installer: zarkent-setup-VERSION.exe.
;   makensis -DVERSION=<project version> -DFILE_VERSION=<the same in four numbers>
;            -DSTAGE=<folder with zarkent.exe, zarkent-cli.exe, the companions and LICENSE.txt>
;            -DOUTFILE=<path of the setup program> packaging/windows/zarkent.nsi
; (cmake/WindowsInstaller.cmake passes the project's version.)
;
; Started normally it installs for the current user, without administrator rights, into the user's
; programs folder (%LOCALAPPDATA%\Programs\Zarkent); started elevated it installs for all users into
; Program Files. /CurrentUser or /AllUsers on the command line choose explicitly (/AllUsers needs an
; elevated start). /S installs silently.
;
; The uninstaller first runs "zarkent.exe --unregister", which removes the association, the folder
; verbs and the Send To shortcut that the program wrote for the user who uninstalls, then removes the
; program's own files, its Start menu entry and its uninstall entry, and nothing else. The settings
; key HKEY_CURRENT_USER\Software\Zarkent goes only when the user agrees; a silent uninstall keeps it.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma

!include LogicLib.nsh
!include FileFunc.nsh
!include x64.nsh
!include MUI2.nsh

!ifndef VERSION
  !error "VERSION is not defined (makensis -DVERSION=...)"
!endif
!ifndef FILE_VERSION
  !error "FILE_VERSION is not defined (makensis -DFILE_VERSION=a.b.c.d)"
!endif
!ifndef STAGE
  !error "STAGE is not defined (makensis -DSTAGE=...)"
!endif
!ifndef OUTFILE
  !define OUTFILE "zarkent-setup-${VERSION}.exe"
!endif

!define PRODUCT "Zarkent"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Zarkent"
!define SETTINGS_KEY "Software\Zarkent"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
; The installer decides between the two modes itself: it never asks for elevation.
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
ShowInstDetails show
ShowUninstDetails show
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${FILE_VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "GPL-3.0-or-later"

!define MUI_ICON "${STAGE}\zarkent.ico"
!define MUI_UNICON "${STAGE}\zarkent.ico"
!define MUI_FINISHPAGE_RUN "$INSTDIR\zarkent.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Turkish"

LangString NeedsX64 ${LANG_ENGLISH} "${PRODUCT} needs a 64-bit Windows."
LangString NeedsX64 ${LANG_TURKISH} "${PRODUCT} 64 bitlik bir Windows gerektirir."
LangString NeedsAdmin ${LANG_ENGLISH} "Installing for all users needs administrator rights: start the setup program as administrator."
LangString NeedsAdmin ${LANG_TURKISH} "Tüm kullanıcılar için kurulum yönetici hakları gerektirir: kurulum programını yönetici olarak başlatın."
LangString RemoveSettings ${LANG_ENGLISH} "Remove your ${PRODUCT} settings (language, speed) as well?"
LangString RemoveSettings ${LANG_TURKISH} "${PRODUCT} ayarlarınız (dil, hız) da silinsin mi?"
LangString UnregisterFailed ${LANG_ENGLISH} "Some desktop entries of ${PRODUCT} could not be removed."
LangString UnregisterFailed ${LANG_TURKISH} "${PRODUCT} masaüstü girdilerinin bazıları silinemedi."

Var AllUsers ; "1" when installing (or uninstalling) for all users

; The files the installer puts in $INSTDIR; the uninstaller removes exactly these.
!macro ProgramFiles Action
  !insertmacro ${Action} "zarkent.exe"
  !insertmacro ${Action} "zarkent-cli.exe"
  !insertmacro ${Action} "help.html"
  !insertmacro ${Action} "help_tr.html"
  !insertmacro ${Action} "about_tr.txt"
  !insertmacro ${Action} "LICENSE.txt"
!macroend
!macro InstallFile Name
  File "${STAGE}\${Name}"
!macroend
!macro RemoveFile Name
  Delete "$INSTDIR\${Name}"
!macroend

; The mode: elevated means all users unless /CurrentUser says otherwise; /AllUsers without elevation is refused.
!macro ChooseMode Un
  ${GetParameters} $R0
  UserInfo::GetAccountType
  Pop $R1
  StrCpy $AllUsers "0"
  ${If} $R1 == "Admin"
    StrCpy $AllUsers "1"
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/CurrentUser" $R2
  ${IfNot} ${Errors}
    StrCpy $AllUsers "0"
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/AllUsers" $R2
  ${IfNot} ${Errors}
    ${If} $R1 != "Admin"
      MessageBox MB_OK|MB_ICONSTOP "$(NeedsAdmin)" /SD IDOK
      SetErrorLevel 740 ; ERROR_ELEVATION_REQUIRED
      Quit
    ${EndIf}
    StrCpy $AllUsers "1"
  ${EndIf}
  ${If} $AllUsers == "1"
    SetShellVarContext all
  ${Else}
    SetShellVarContext current
  ${EndIf}
!macroend

Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_OK|MB_ICONSTOP "$(NeedsX64)" /SD IDOK
    SetErrorLevel 216 ; ERROR_EXE_MACHINE_TYPE_MISMATCH
    Quit
  ${EndIf}
  SetRegView 64
  !insertmacro ChooseMode ""
  ${If} $AllUsers == "1"
    StrCpy $INSTDIR "$PROGRAMFILES64\${PRODUCT}"
  ${Else}
    StrCpy $INSTDIR "$LOCALAPPDATA\Programs\${PRODUCT}"
  ${EndIf}
FunctionEnd

!macro WriteUninstallEntry Root
  WriteRegStr ${Root} "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr ${Root} "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr ${Root} "${UNINSTALL_KEY}" "Publisher" "${PRODUCT}"
  WriteRegStr ${Root} "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\zarkent.exe"
  WriteRegStr ${Root} "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr ${Root} "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr ${Root} "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD ${Root} "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD ${Root} "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD ${Root} "${UNINSTALL_KEY}" "EstimatedSize" $0
!macroend

Section "Zarkent"
  SetOutPath "$INSTDIR"
  !insertmacro ProgramFiles InstallFile
  ; Qt's own texts (message box buttons, file dialogs) in Turkish.
  SetOutPath "$INSTDIR\translations"
  File "${STAGE}\translations\qtbase_tr.qm"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\zarkent.exe" "" "$INSTDIR\zarkent.exe" 0
  ${If} $AllUsers == "1"
    !insertmacro WriteUninstallEntry HKLM
  ${Else}
    !insertmacro WriteUninstallEntry HKCU
  ${EndIf}
SectionEnd

Function un.onInit
  SetRegView 64
  ; The uninstaller serves the installation it belongs to: all users when the machine's uninstall
  ; entry names this folder.
  ReadRegStr $R3 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $R3 == $INSTDIR
    StrCpy $AllUsers "1"
    SetShellVarContext all
  ${Else}
    StrCpy $AllUsers "0"
    SetShellVarContext current
  ${EndIf}
FunctionEnd

Section "Uninstall"
  ; What the program registered for this user, in every language, while the program is still there.
  ${If} ${FileExists} "$INSTDIR\zarkent.exe"
    ExecWait '"$INSTDIR\zarkent.exe" --unregister' $0
    ${If} $0 != 0
      DetailPrint "$(UnregisterFailed)"
    ${EndIf}
  ${EndIf}
  !insertmacro ProgramFiles RemoveFile
  Delete "$INSTDIR\translations\qtbase_tr.qm"
  RMDir "$INSTDIR\translations"
  Delete "$INSTDIR\uninstall.exe"
  ; Only an empty folder goes: whatever else the user put there stays.
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  ${If} $AllUsers == "1"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ${Else}
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ${EndIf}
  MessageBox MB_YESNO|MB_ICONQUESTION "$(RemoveSettings)" /SD IDNO IDNO keep
    DeleteRegKey HKCU "${SETTINGS_KEY}"
  keep:
SectionEnd
