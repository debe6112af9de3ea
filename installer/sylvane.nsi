; The Windows installer of Sylvane (シルヴァネ): installs for the current user
; without elevation into %LOCALAPPDATA%\Programs\Sylvane, with a Start menu
; shortcut, an optional startup shortcut and an "Apps & features" entry under
; HKCU. Built by scripts/package:
;   makensis -INPUTCHARSET UTF8 -DVERSION=2.10 -DVERSION_QUAD=2.10.0.0
;            -DICON=<icon> -DFILES=<files.nsh> -DUNFILES=<unfiles.nsh>
;            -DOUTFILE=<setup.exe> installer/sylvane.nsi
; FILES installs the program folder's files one by one and UNFILES deletes the
; same files, so that an upgrade or an uninstall touches nothing the program
; or the user wrote there ("sylvane.ini", "default.syl", "default.bmp",
; ki_log, skins of their own).
Unicode true
Target amd64-unicode
!ifndef VERSION | VERSION_QUAD | ICON | FILES | UNFILES | OUTFILE
  !error "define VERSION, VERSION_QUAD, ICON, FILES, UNFILES and OUTFILE (see scripts/package)"
!endif

!define PRODUCT "シルヴァネ"
!define PUBLISHER "シルヴァネ制作室"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Sylvane"
; The program's single-instance mutex and its main window class.
!define INSTANCE_MUTEX "SylvaneWood"
!define MAIN_CLASS "SylvanWood"
; The same name the program's settings sheet gives its startup shortcut.
!define SHORTCUT_NAME "シルヴァネ.lnk"
!define SYNCHRONIZE 0x00100000

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\Sylvane"
InstallDirRegKey HKCU "${UNINST_KEY}" "InstallLocation"
SetCompressor /SOLID lzma
ManifestDPIAware true
ShowInstDetails show
ShowUninstDetails show
BrandingText "${PRODUCT} ${VERSION}"

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh
!include Sections.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\sylvane.exe"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\README-ja.txt"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; Japanese first: the interface of users whose Windows speaks neither language.
!insertmacro MUI_LANGUAGE "Japanese"
!insertmacro MUI_LANGUAGE "English"

LangString SecProgramName ${LANG_JAPANESE} "シルヴァネ本体"
LangString SecProgramName ${LANG_ENGLISH} "Sylvane"
LangString SecProgramText ${LANG_JAPANESE} "プログラム、スキン、部品のデータ、効果音、スタートメニューのショートカット"
LangString SecProgramText ${LANG_ENGLISH} "The program, its skin, part data, sounds and a Start menu shortcut"
LangString SecStartupName ${LANG_JAPANESE} "Windows の起動時にシルヴァネを起動する"
LangString SecStartupName ${LANG_ENGLISH} "Start Sylvane with Windows"
LangString SecStartupText ${LANG_JAPANESE} "スタートアップに「シルヴァネ」のショートカットを作ります（アプリケーションの設定からも変えられます）"
LangString SecStartupText ${LANG_ENGLISH} "Puts a shortcut in the Startup folder (the program's settings can change this too)"
LangString CloseRunning ${LANG_JAPANESE} "シルヴァネが起動しています。$\r$\n「OK」を押すとシルヴァネを終了して続けます（庭は保存されます）。"
LangString CloseRunning ${LANG_ENGLISH} "Sylvane is running.$\r$\nPress OK to close it (your garden is saved) and continue."
LangString StillRunning ${LANG_JAPANESE} "シルヴァネが終了しません。シルヴァネを終了してから「再試行」を押してください。"
LangString StillRunning ${LANG_ENGLISH} "Sylvane has not closed. Close it, then press Retry."
LangString AskKeepGardens ${LANG_JAPANESE} "シルヴァネのフォルダーに、あなたの庭（default.syl などのキャンバス）、樹（.ki ファイルと ki_log）と設定が残っています。$\r$\n$\r$\n$INSTDIR$\r$\n$\r$\nこれらも削除しますか？（「いいえ」を選ぶと残します）"
LangString AskKeepGardens ${LANG_ENGLISH} "Your gardens (default.syl and other canvases), trees (.ki files and ki_log) and settings are still in the Sylvane folder:$\r$\n$\r$\n$INSTDIR$\r$\n$\r$\nDelete them too? (No keeps them.)"

VIProductVersion "${VERSION_QUAD}"
VIFileVersion "${VERSION_QUAD}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileDescription" "${PRODUCT} ${VERSION} セットアップ"
VIAddVersionKey /LANG=${LANG_JAPANESE} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "LegalCopyright" "Copyright (C) 2025 ${PUBLISHER}"

; Closes a running Sylvane before its files are replaced or removed: the
; program's own close (it saves the garden and the settings) by WM_CLOSE to
; its main window, then waits for its mutex to go. Asks first unless silent;
; gives up (and aborts) when the user cancels or, silently, after 30 seconds.
!macro CLOSE_SYLVANE un
Function ${un}CloseSylvane
  StrCpy $R1 0
  retry:
  System::Call 'kernel32::OpenMutexW(i ${SYNCHRONIZE}, i 0, w "${INSTANCE_MUTEX}") p .R0'
  ${If} $R0 P= 0
    Return
  ${EndIf}
  System::Call 'kernel32::CloseHandle(p R0)'
  ${If} $R1 = 0
    MessageBox MB_OKCANCEL|MB_ICONINFORMATION "$(CloseRunning)" /SD IDOK IDOK +2
    Abort
  ${EndIf}
  FindWindow $R2 "${MAIN_CLASS}"
  ${If} $R2 P<> 0
    System::Call 'user32::PostMessageW(p R2, i ${WM_CLOSE}, p 0, p 0)'
  ${EndIf}
  StrCpy $R3 0
  wait:
  Sleep 500
  IntOp $R3 $R3 + 1
  System::Call 'kernel32::OpenMutexW(i ${SYNCHRONIZE}, i 0, w "${INSTANCE_MUTEX}") p .R0'
  ${If} $R0 P= 0
    Sleep 500  ; the process ends just after it lets its mutex go
    Return
  ${EndIf}
  System::Call 'kernel32::CloseHandle(p R0)'
  ${If} $R3 < 60
    Goto wait
  ${EndIf}
  IntOp $R1 $R1 + 1
  ${If} ${Silent}
    SetErrorLevel 3
    Abort
  ${EndIf}
  MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(StillRunning)" IDRETRY retry
  Abort
FunctionEnd
!macroend
!insertmacro CLOSE_SYLVANE ""
!insertmacro CLOSE_SYLVANE "un."

Section "!$(SecProgramName)" SecProgram
  SectionIn RO
  Call CloseSylvane
  SetOverwrite on
  !include "${FILES}"
  ; The mutant archive: kept as it is when it exists.
  CreateDirectory "$INSTDIR\ki_log"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortCut "$SMPROGRAMS\${SHORTCUT_NAME}" "$INSTDIR\sylvane.exe" "" "$INSTDIR\sylvane.exe" 0

  WriteRegStr HKCU "${UNINST_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\sylvane.exe,0"
  WriteRegStr HKCU "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINST_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKCU "${UNINST_KEY}" "EstimatedSize" "$0"
SectionEnd

Section /o "$(SecStartupName)" SecStartup
  SetOutPath "$INSTDIR"
  CreateShortCut "$SMSTARTUP\${SHORTCUT_NAME}" "$INSTDIR\sylvane.exe"
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "$(SecProgramText)"
  !insertmacro MUI_DESCRIPTION_TEXT ${SecStartup} "$(SecStartupText)"
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function .onInit
  ; An upgrade keeps the choice made before (here or in the settings sheet);
  ; a silent install adds the startup shortcut when given /STARTUP.
  ${If} ${FileExists} "$SMSTARTUP\${SHORTCUT_NAME}"
    !insertmacro SelectSection ${SecStartup}
  ${EndIf}
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/STARTUP" $1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecStartup}
  ${EndIf}
FunctionEnd

; Removes the association of extension with prog_id when it still opens this
; program: the command the program's settings sheet writes is
; "<program folder>\sylvane %1".
!macro REMOVE_ASSOCIATION prog_id extension
  ReadRegStr $0 HKCU "Software\Classes\${prog_id}\shell\open\command" ""
  ${If} $0 == "$INSTDIR\sylvane %1"
    DeleteRegKey HKCU "Software\Classes\${prog_id}"
    ReadRegStr $1 HKCU "Software\Classes\${extension}" ""
    ${If} $1 == "${prog_id}"
      DeleteRegKey HKCU "Software\Classes\${extension}"
    ${EndIf}
  ${EndIf}
!macroend

Section "Uninstall"
  Call un.CloseSylvane
  !include "${UNFILES}"
  Delete "$INSTDIR\uninstall.exe"
  Delete "$SMPROGRAMS\${SHORTCUT_NAME}"
  Delete "$SMSTARTUP\${SHORTCUT_NAME}"
  !insertmacro REMOVE_ASSOCIATION "SylvaneSYL" ".syl"
  !insertmacro REMOVE_ASSOCIATION "SylvaneKI" ".ki"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
  DeleteRegKey HKCU "${UNINST_KEY}"

  ; What the program and the user wrote: only after asking; a silent
  ; uninstall keeps it. Only these names are deleted, never the whole folder.
  ${If} ${FileExists} "$INSTDIR\default.syl"
  ${OrIf} ${FileExists} "$INSTDIR\sylvane.ini"
  ${OrIf} ${FileExists} "$INSTDIR\ki_log\*.*"
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "$(AskKeepGardens)" /SD IDNO IDNO keep
    Delete "$INSTDIR\default.syl"
    Delete "$INSTDIR\default.bmp"
    Delete "$INSTDIR\sylvane.ini"
    Delete "$INSTDIR\sylvane-options.ini"
    Delete "$INSTDIR\*.syl"
    Delete "$INSTDIR\*.ki"
    RMDir /r "$INSTDIR\ki_log"
    keep:
  ${EndIf}
  RMDir "$INSTDIR\ki_log"
  RMDir "$INSTDIR"
SectionEnd
