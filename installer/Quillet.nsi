; Quillet's setup program: a per-user installation without administrator rights, started
; with Windows from the Startup folder, listed in "Programs and Features", upgraded in
; place over a running Quillet. Quillet.ini, the user's settings, is never touched.
; makensis -INPUTCHARSET UTF8 -DBIN=<folder of the built programs> -DOUTFILE=<setup.exe>
;   -DINSTANCE_MUTEX=<the name of the mutex a running Quillet holds>
Unicode true
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!ifndef BIN | OUTFILE | INSTANCE_MUTEX
  !error "BIN, OUTFILE and INSTANCE_MUTEX must be defined"
!endif

; The version is the one in Quillet.exe's version resource.
!getdllversion "${BIN}/Quillet.exe" QV_
!define VERSION "${QV_1}.${QV_2}.${QV_3}"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillet"
!define PUBLISHER "Quillet"
!define SYNCHRONIZE 0x00100000
!define WS_CAPTION 0x00C00000

Name "Quillet"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Quillet"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Quillet ${VERSION}"

VIProductVersion "${QV_1}.${QV_2}.${QV_3}.${QV_4}"
VIAddVersionKey /LANG=1029 "ProductName" "Quillet"
VIAddVersionKey /LANG=1029 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1029 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1029 "FileDescription" "Instalace programu Quillet ${VERSION}"
VIAddVersionKey /LANG=1029 "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "${__FILEDIR__}/../src/res/Quillet.ico"
!define MUI_UNICON "${__FILEDIR__}/../src/res/Quillet.ico"
!define MUI_ABORTWARNING

!define MUI_FINISHPAGE_RUN "$INSTDIR\Quillet.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Spustit Quillet"
!define MUI_FINISHPAGE_RUN_FUNCTION StartQuillet
!define MUI_FINISHPAGE_TEXT_LARGE
!define MUI_FINISHPAGE_TEXT "Quillet se spustí s každým přihlášením do Windows. Údaje firmy a port tiskárny nastavíte pravým tlačítkem na ikoně Quillet v oznamovací oblasti (Nastavení).$\r$\n$\r$\nKdyž Quillet netiskne, spusťte v příkazovém řádku ve složce programu:$\r$\nquillet-print --check"

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Czech"

Var WasRunning

; Quillet answers WM_CLOSE with this when a print is running: it ends as soon as the print
; has ended, printed or failed. The setup then waits up to the port's time-out (key
; PortTimeout of Quillet.ini, read as Quillet reads it) and a margin for the layout and for
; the user to answer the print's message; when it gives up it withdraws the request, so
; that Quillet does not end later, with nothing installed.
!define CLOSING_AFTER_PRINT 1
!define CLOSE_WITHDRAWN "Quillet.CloseWithdrawn"
!define DEFAULT_PORT_TIMEOUT 30
!define MAX_PORT_TIMEOUT 300
!define PRINT_MARGIN 15
!define CLOSE_WAIT 10

; Ends a running Quillet as its own menu's "Konec" would, and waits for it. When it will
; not end (one of its dialogs is open, or its print does not end in time), says so and
; aborts before anything has been changed. Quillet's main window is its only dialog
; without a caption, so message boxes titled "Quillet" are passed over.
!macro EndQuillet un again
Function ${un}QuilletRunning
  System::Call 'kernel32::OpenMutexW(i ${SYNCHRONIZE}, i 0, w "${INSTANCE_MUTEX}") p .r9'
  ${If} $9 P<> 0
    System::Call 'kernel32::CloseHandle(p r9)'
    StrCpy $9 1
  ${Else}
    StrCpy $9 0
  ${EndIf}
FunctionEnd

; $4: the seconds one write to the port may take; a whole number from 1 to 300, else 30.
Function ${un}PortTimeout
  ReadINIStr $4 "$INSTDIR\Quillet.ini" "Firma" "PortTimeout"
  IntOp $3 $4 + 0
  ${If} "$3" != "$4"
  ${OrIf} $3 < 1
  ${OrIf} $3 > ${MAX_PORT_TIMEOUT}
    StrCpy $4 ${DEFAULT_PORT_TIMEOUT}
  ${EndIf}
FunctionEnd

; Polls for the end of Quillet for $4 seconds; $9 is 0 once it has ended.
Function ${un}WaitForQuillet
  IntOp $3 $4 * 5
  StrCpy $6 0
  ${Do}
    Call ${un}QuilletRunning
    ${If} $9 = 0
      Return
    ${EndIf}
    Sleep 200
    IntOp $6 $6 + 1
  ${LoopUntil} $6 >= $3
FunctionEnd

Function ${un}EndQuillet
  StrCpy $WasRunning 0
  Call ${un}QuilletRunning
  ${If} $9 = 0
    Return
  ${EndIf}
  StrCpy $WasRunning 1
  StrCpy $8 0
  StrCpy $5 0
  ${Do}
    FindWindow $8 "#32770" "Quillet" "" $8
    ${If} $8 = 0
      ${ExitDo}
    ${EndIf}
    System::Call 'user32::GetWindowLongW(p r8, i -16) i .r7'
    IntOp $7 $7 & ${WS_CAPTION}
    ${If} $7 = 0
      SendMessage $8 ${WM_CLOSE} 0 0 $5 /TIMEOUT=5000
      ${ExitDo}
    ${EndIf}
  ${Loop}
  StrCpy $4 ${CLOSE_WAIT}
  ${If} $5 = ${CLOSING_AFTER_PRINT}
    Call ${un}PortTimeout
    IntOp $4 $4 + ${PRINT_MARGIN}
    DetailPrint "Quillet tiskne a skončí, jakmile tisk skončí. Čekám na to nejvýše $4 s..."
  ${EndIf}
  Call ${un}WaitForQuillet
  ${If} $9 = 0
    Return
  ${EndIf}
  ${If} $5 = ${CLOSING_AFTER_PRINT}
    System::Call 'user32::RegisterWindowMessageW(w "${CLOSE_WITHDRAWN}") i .r7'
    SendMessage $8 $7 0 0 /TIMEOUT=5000
    ; The print may have ended just before.
    StrCpy $4 1
    Call ${un}WaitForQuillet
    ${If} $9 = 0
      Return
    ${EndIf}
    MessageBox MB_OK|MB_ICONSTOP "Quillet tiskne a tisk neskončil ani po čekání (nebo čeká na odpověď v okně Quillet).$\r$\nDokončete tisk nebo odpovězte v okně Quillet a spusťte ${again} znovu.$\r$\nNic nebylo změněno." /SD IDOK
  ${Else}
    MessageBox MB_OK|MB_ICONSTOP "Quillet běží a nedal se ukončit (má otevřené okno).$\r$\nZavřete jeho okna nebo jej ukončete v nabídce ikony (Konec) a spusťte ${again} znovu.$\r$\nNic nebylo změněno." /SD IDOK
  ${EndIf}
  SetErrorLevel 2
  Quit
FunctionEnd
!macroend
!insertmacro EndQuillet "" "instalaci"
!insertmacro EndQuillet "un." "odinstalaci"

; A plain File over a file in use skips it and carries on, so every file is checked. A
; DLL still loaded somewhere cannot be replaced, but it can be renamed out of the way.
!macro InstallFile name
  Delete "$INSTDIR\${name}.old"
  ClearErrors
  Delete "$INSTDIR\${name}"
  ${If} ${Errors}
    Rename "$INSTDIR\${name}" "$INSTDIR\${name}.old"
  ${EndIf}
  ClearErrors
  File "${BIN}/${name}"
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "Soubor $INSTDIR\${name} nelze zapsat. Ukončete programy, které jej používají, a spusťte instalaci znovu." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
!macroend

Function StartQuillet
  ; Quillet reads nothing from its working folder but the host component it may register
  ; again; its own folder is where a user would start it.
  SetOutPath "$INSTDIR"
  Exec '"$INSTDIR\Quillet.exe"'
FunctionEnd

Section "Quillet"
  Call EndQuillet
  SetOutPath "$INSTDIR"
  !insertmacro InstallFile "Quillet.exe"
  !insertmacro InstallFile "HOOKDLL.dll"
  !insertmacro InstallFile "quillet-print.exe"
  !insertmacro InstallFile "escp-view.exe"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The working folder of a shortcut is the output folder at its creation.
  CreateShortCut "$SMPROGRAMS\Quillet.lnk" "$INSTDIR\Quillet.exe"
  CreateShortCut "$SMSTARTUP\Quillet.lnk" "$INSTDIR\Quillet.exe"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Quillet"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Quillet.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0

  ; A silent upgrade puts back what it ended; the finish page asks otherwise.
  ${If} ${Silent}
  ${AndIf} $WasRunning = 1
    Call StartQuillet
  ${EndIf}
SectionEnd

Section "Uninstall"
  Call un.EndQuillet
  Delete "$INSTDIR\Quillet.exe"
  Delete "$INSTDIR\HOOKDLL.dll"
  Delete "$INSTDIR\quillet-print.exe"
  Delete "$INSTDIR\escp-view.exe"
  Delete "$INSTDIR\*.old"
  Delete "$INSTDIR\uninstall.exe"
  Delete "$SMPROGRAMS\Quillet.lnk"
  Delete "$SMSTARTUP\Quillet.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ; Not /r: the folder stays while Quillet.ini, the user's settings, is in it.
  RMDir "$INSTDIR"
SectionEnd
