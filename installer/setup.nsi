; The per-user setup of Corvanta Native Win. scripts/package compiles it with
;   makensis -WX -DVERSION=X.Y.Z -DAPP_DIR=<folder with the exe and README.txt>
;            -DOUT_FILE=<setup.exe> [-DSIGN_COMMAND=<command that signs the file %1 in place>]
; It installs for the current user only, so it needs no administrator rights: everything it writes
; lies in the user's profile and under HKCU.
;
; Exit codes of the setup and the uninstaller (the README and the winget manifest name them too):
;   0 done; 1 cancelled by the user; 3 refused (a newer version is installed, or the uninstaller
;   does not lie in an install folder); 4 the program did not end, or one of its files stayed in
;   use, within CLOSE_SECONDS: nothing was changed; 5 a file or the entry could not be written or
;   removed.

Unicode true
Target amd64-unicode
RequestExecutionLevel user
SetCompressor /SOLID lzma

!ifndef VERSION | APP_DIR | OUT_FILE
  !error "define VERSION, APP_DIR and OUT_FILE (scripts/package does)"
!endif

!define PRODUCT "Corvanta Native Win"
!define PUBLISHER "Corvanta"
!define EXE "CorvantaNativeWin.exe"
!define UNINSTALLER "Uninstall.exe"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\CorvantaNativeWin"
; Where the program stores the DPAPI-protected bearer token after a sign-in.
!define SESSION_DIR "$APPDATA\CorvantaNativeWin"
; The program's main window; the studio window belongs to the same process.
!define MAIN_CLASS "CorvantaNativeWinWindow"
; How long a running program gets to end after WM_CLOSE.
!define CLOSE_SECONDS 20
; The new version's files are unpacked here first, on the volume they end up on.
!define STAGE "$INSTDIR\setup-staging.tmp"

!define EXIT_CANCELLED 1
!define EXIT_REFUSED 3
!define EXIT_IN_USE 4
!define EXIT_WRITE_FAILED 5

!define SYNCHRONIZE 0x00100000
!define GENERIC_WRITE 0x40000000
!define OPEN_EXISTING 3
!define MAX_PROCESSES 64
!define /math PROCESS_BYTES ${MAX_PROCESSES} * 8

Name "${PRODUCT} ${VERSION}"
OutFile "${OUT_FILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "LegalCopyright" "${PUBLISHER}"

; A signed uninstaller is written into the setup, so the installed copy carries the signature.
!ifdef SIGN_COMMAND
  !uninstfinalize `${SIGN_COMMAND}` = 0
!endif

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WordFunc.nsh

!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXE}"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "German"

; The installed version's folder, when it has an uninstaller to run.
Var OldDir
; Why the program counts as running: "window", "process" or the path of a file in use.
Var Busy
; Set once the installed version's uninstaller has run: from then on the old version is gone.
Var OldRemoved

; Sets Busy to PATH when the file exists and cannot be opened for writing: a running exe cannot,
; nor can a file another program holds open.
!macro CHECK_FILE_FREE PATH
  ${If} $Busy == ""
    System::Call 'kernel32::CreateFileW(w "${PATH}", i ${GENERIC_WRITE}, i 0, p 0, \
        i ${OPEN_EXISTING}, i 0, p 0) p .r9 ?e'
    Pop $8
    ${If} $9 P= -1
      ${If} $8 <> 2
      ${AndIf} $8 <> 3
        StrCpy $Busy "${PATH}"
      ${EndIf}
    ${Else}
      System::Call 'kernel32::CloseHandle(p r9)'
    ${EndIf}
  ${EndIf}
!macroend

; CloseProgram for the setup and un.CloseProgram for the uninstaller. Asks every main window of the
; program to close as its user would (WM_CLOSE, posted: a hung program must not hang this), after
; one question in an interactive run, then waits up to CLOSE_SECONDS until no main window is left,
; every process behind one has ended (after its window it may still finish writing) and the files
; to be replaced or removed are free. Returns in $R0: 0, EXIT_CANCELLED or EXIT_IN_USE (why in Busy).
!macro CLOSE_PROGRAM_FUNCTION UN
Function ${UN}CloseProgram
  StrCpy $R2 0
  ; Process handles to wait for, and the windows already asked, as ",hwnd,hwnd,".
  StrCpy $R4 0
  StrCpy $R5 ","
  System::Alloc ${PROCESS_BYTES}
  Pop $R3
  System::Call 'kernel32::GetTickCount64() l .R1'
  ${Do}
    StrCpy $R0 0
    ${Do}
      FindWindow $R0 "${MAIN_CLASS}" "" 0 $R0
      ${If} $R0 == 0
        ${ExitDo}
      ${EndIf}
      ClearErrors
      ${WordFind} "$R5" ",$R0," "E#" $R6
      ${IfNot} ${Errors}
        ${Continue}
      ${EndIf}
      ${If} $R2 == 0
        StrCpy $R2 1
        !if "${UN}" == ""
          MessageBox MB_OKCANCEL|MB_ICONINFORMATION "${PRODUCT} laeuft noch und wird jetzt \
              geschlossen, damit die Installation die Programmdateien ersetzen kann. Beim \
              naechsten Start melden Sie sich neu an.$\r$\n$\r$\nOK schliesst das Programm. \
              Abbrechen beendet die Installation, ohne etwas zu aendern." /SD IDOK IDOK +3
        !else
          MessageBox MB_OKCANCEL|MB_ICONINFORMATION "${PRODUCT} laeuft noch und wird jetzt \
              geschlossen, damit es entfernt werden kann.$\r$\n$\r$\nOK schliesst das \
              Programm. Abbrechen beendet die Deinstallation, ohne etwas zu aendern." \
              /SD IDOK IDOK +3
        !endif
        StrCpy $R0 ${EXIT_CANCELLED}
        Goto done
        DetailPrint "Schliesse ${PRODUCT} und warte bis zu ${CLOSE_SECONDS} s auf sein Ende"
        ; The time runs from the answer, not from the question.
        System::Call 'kernel32::GetTickCount64() l .R1'
      ${EndIf}
      System::Call 'user32::GetWindowThreadProcessId(p R0, *i .R6)'
      System::Call 'kernel32::OpenProcess(i ${SYNCHRONIZE}, i 0, i R6) p .R7'
      ${If} $R7 P<> 0
        ${If} $R4 < ${MAX_PROCESSES}
          IntPtrOp $R8 $R4 * 8
          IntPtrOp $R8 $R3 + $R8
          System::Call '*$R8(p R7)'
          IntOp $R4 $R4 + 1
        ${Else}
          System::Call 'kernel32::CloseHandle(p R7)'
        ${EndIf}
      ${EndIf}
      System::Call 'user32::PostMessageW(p R0, i ${WM_CLOSE}, p 0, p 0)'
      StrCpy $R5 "$R5$R0,"
    ${Loop}

    StrCpy $Busy ""
    FindWindow $R0 "${MAIN_CLASS}"
    ${If} $R0 != 0
      StrCpy $Busy "window"
    ${ElseIf} $R4 > 0
      System::Call 'kernel32::WaitForMultipleObjects(i R4, p R3, i 1, i 0) i .R6'
      ${If} $R6 <> 0
        StrCpy $Busy "process"
      ${EndIf}
    ${EndIf}
    ; Also a program whose window was gone before this run started.
    !insertmacro CHECK_FILE_FREE "$INSTDIR\${EXE}"
    !insertmacro CHECK_FILE_FREE "$INSTDIR\README.txt"
    !if "${UN}" == ""
      !insertmacro CHECK_FILE_FREE "$INSTDIR\${UNINSTALLER}"
      ${If} $OldDir != ""
        !insertmacro CHECK_FILE_FREE "$OldDir\${EXE}"
        !insertmacro CHECK_FILE_FREE "$OldDir\README.txt"
        !insertmacro CHECK_FILE_FREE "$OldDir\${UNINSTALLER}"
      ${EndIf}
    !endif
    ${If} $Busy == ""
      StrCpy $R0 0
      Goto done
    ${EndIf}
    System::Call 'kernel32::GetTickCount64() l .R6'
    IntPtrOp $R6 $R6 - $R1
    ${If} $R6 >= ${CLOSE_SECONDS}000
      StrCpy $R0 ${EXIT_IN_USE}
      Goto done
    ${EndIf}
    Sleep 250
  ${Loop}
done:
  ${DoWhile} $R4 > 0
    IntOp $R4 $R4 - 1
    IntPtrOp $R8 $R4 * 8
    IntPtrOp $R8 $R3 + $R8
    System::Call '*$R8(p .R7)'
    System::Call 'kernel32::CloseHandle(p R7)'
  ${Loop}
  System::Free $R3
FunctionEnd
!macroend
!insertmacro CLOSE_PROGRAM_FUNCTION ""
!insertmacro CLOSE_PROGRAM_FUNCTION "un."

; Ends the run with CODE after saying why (MESSAGE, shown unless silent).
!macro FAIL CODE MESSAGE
  MessageBox MB_OK|MB_ICONSTOP "${MESSAGE}" /SD IDOK
  SetErrorLevel ${CODE}
  Quit
!macroend

!macro FAIL_IF_STILL_RUNNING ACTION UNCHANGED
  ${If} $R0 == ${EXIT_CANCELLED}
    SetErrorLevel ${EXIT_CANCELLED}
    Quit
  ${ElseIf} $R0 == ${EXIT_IN_USE}
    ${If} $Busy == "window"
    ${OrIf} $Busy == "process"
      !insertmacro FAIL ${EXIT_IN_USE} "${PRODUCT} hat sich nicht innerhalb von ${CLOSE_SECONDS} \
          Sekunden beendet. Die ${ACTION} wurde abgebrochen, ${UNCHANGED}.$\r$\n$\r$\nBeenden \
          Sie ${PRODUCT} (notfalls im Task-Manager) und starten Sie die ${ACTION} erneut."
    ${Else}
      !insertmacro FAIL ${EXIT_IN_USE} "Die Datei $Busy wird noch von einem anderen Programm \
          verwendet. Die ${ACTION} wurde abgebrochen, ${UNCHANGED}.$\r$\n$\r$\nSchliessen Sie \
          dieses Programm und starten Sie die ${ACTION} erneut."
    ${EndIf}
  ${EndIf}
!macroend

Function .onInit
  ; An older setup over a newer install would leave a mix of both behind: refuse, change nothing.
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "DisplayVersion"
  ${If} $0 != ""
    ${VersionCompare} "$0" "${VERSION}" $1
    ${If} $1 == 1
      MessageBox MB_OK|MB_ICONSTOP "Installiert ist ${PRODUCT} $0, eine neuere Version als \
          ${VERSION}. Die Installation wurde abgebrochen, es wurde nichts geaendert.$\r$\n$\r$\n\
          Um ${VERSION} zu installieren, entfernen Sie zuerst ${PRODUCT} unter Einstellungen > \
          Apps." /SD IDOK
      SetErrorLevel ${EXIT_REFUSED}
      Quit
    ${EndIf}
  ${EndIf}
FunctionEnd

; Removes what the setup unpacked; the install folder only if it is then empty (a new install).
Function RemoveStage
  RMDir /r "${STAGE}"
  RMDir "$INSTDIR"
FunctionEnd

; A file that cannot be written or removed stops the run. Before the installed version's
; uninstaller has run, nothing of it has changed; after it, the message says what is left to do.
!macro CHECKED WHAT PATH
  ${If} ${Errors}
    ${If} $OldRemoved == 1
      !insertmacro FAIL ${EXIT_WRITE_FAILED} "${WHAT} ${PATH} ist fehlgeschlagen. Die \
          Installation ist unvollstaendig und ${PRODUCT} ist nicht unter Einstellungen > Apps \
          eingetragen: starten Sie die Installation erneut."
    ${Else}
      Call RemoveStage
      !insertmacro FAIL ${EXIT_WRITE_FAILED} "${WHAT} ${PATH} ist fehlgeschlagen. Die \
          Installation wurde abgebrochen, es wurde nichts geaendert."
    ${EndIf}
  ${EndIf}
!macroend

; NSIS's File skips a file it cannot write when the setup runs silently; the checks turn that
; into a failed run.
!macro UNPACK NAME
  ClearErrors
  File "${APP_DIR}/${NAME}"
  !insertmacro CHECKED "Das Schreiben von" "${STAGE}\${NAME}"
!macroend

; Moves a staged file into place over whatever has that name.
!macro PLACE NAME
  ClearErrors
  Delete "$INSTDIR\${NAME}"
  !insertmacro CHECKED "Das Entfernen von" "$INSTDIR\${NAME}"
  Rename "${STAGE}\${NAME}" "$INSTDIR\${NAME}"
  !insertmacro CHECKED "Das Schreiben von" "$INSTDIR\${NAME}"
!macroend

Function .onInstFailed
  ; An unpack error ends the run by itself.
  ${If} $OldRemoved != 1
    Call RemoveStage
  ${EndIf}
FunctionEnd

; An upgrade either completes or leaves the installed version working and registered. Its own
; uninstaller, which alone knows its files, removes them together with its entry, so everything
; that could fail happens before it runs: the new files are unpacked next to their place first,
; the program is closed and every file to be replaced or removed is checked to be free. After
; it only renames within one folder are left, of files this setup has just written.
Section
  StrCpy $OldRemoved 0
  ReadRegStr $OldDir HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $OldDir != ""
  ${AndIfNot} ${FileExists} "$OldDir\${UNINSTALLER}"
    StrCpy $OldDir ""
  ${EndIf}

  RMDir /r "${STAGE}"
  ClearErrors
  CreateDirectory "${STAGE}"
  !insertmacro CHECKED "Das Anlegen von" "${STAGE}"
  SetOutPath "${STAGE}"
  !insertmacro UNPACK "${EXE}"
  !insertmacro UNPACK "README.txt"
  ClearErrors
  WriteUninstaller "${STAGE}\${UNINSTALLER}"
  !insertmacro CHECKED "Das Schreiben von" "${STAGE}\${UNINSTALLER}"
  ; Out of the stage, so that it can be removed.
  SetOutPath "$INSTDIR"

  Call CloseProgram
  ${If} $R0 != 0
    Call RemoveStage
  ${EndIf}
  !insertmacro FAIL_IF_STILL_RUNNING "Installation" "es wurde nichts geaendert"

  ${If} $OldDir != ""
    DetailPrint "Entferne die installierte Version aus $OldDir"
    ClearErrors
    ExecWait '"$OldDir\${UNINSTALLER}" /S /UPGRADE _?=$OldDir' $1
    !insertmacro CHECKED "Der Start von" "$OldDir\${UNINSTALLER}"
    ; An uninstaller of this kind changes nothing when it ends with EXIT_IN_USE.
    ${If} $1 == ${EXIT_IN_USE}
      Call RemoveStage
      !insertmacro FAIL ${EXIT_IN_USE} "${PRODUCT} laeuft noch. Die Installation wurde \
          abgebrochen, es wurde nichts geaendert."
    ${ElseIf} $1 != 0
      Call RemoveStage
      !insertmacro FAIL ${EXIT_WRITE_FAILED} "Die installierte Version konnte nicht entfernt \
          werden (Fehler $1). Die Installation wurde abgebrochen."
    ${EndIf}
    StrCpy $OldRemoved 1
    ; Older uninstallers report no failure, and one run in place cannot remove itself.
    ClearErrors
    Delete "$OldDir\${EXE}"
    Delete "$OldDir\README.txt"
    Delete "$OldDir\${UNINSTALLER}"
    !insertmacro CHECKED "Das Entfernen der installierten Version aus" "$OldDir"
    RMDir "$OldDir"
  ${EndIf}

  !insertmacro PLACE "${EXE}"
  !insertmacro PLACE "README.txt"
  !insertmacro PLACE "${UNINSTALLER}"
  ClearErrors
  RMDir "${STAGE}"
  !insertmacro CHECKED "Das Entfernen von" "${STAGE}"
  ClearErrors
  CreateShortcut "${SHORTCUT}" "$INSTDIR\${EXE}"
  !insertmacro CHECKED "Das Anlegen der Verknuepfung" "${SHORTCUT}"

  ; The entry last: it appears only for a complete install.
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  ClearErrors
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  ; Run in place, the uninstaller's exit code is its result; started without _?= it would hand
  ; over to a copy of itself and end with 0 at once.
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" \
      '"$INSTDIR\${UNINSTALLER}" /S _?=$INSTDIR'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
  !insertmacro CHECKED "Das Eintragen unter" "HKCU\${UNINSTALL_KEY}"
SectionEnd

Function un.onInit
  ; The copy that an uninstaller run in place leaves behind: it removes that uninstaller (and the
  ; folder, if then empty) once its process has ended and let go of the file.
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/REMOVE-AFTER=" $R1
  ${IfNot} ${Errors}
    System::Call 'kernel32::OpenProcess(i ${SYNCHRONIZE}, i 0, i R1) p .R2'
    ${If} $R2 P<> 0
      System::Call 'kernel32::WaitForSingleObject(p R2, i ${CLOSE_SECONDS}000) i'
      System::Call 'kernel32::CloseHandle(p R2)'
    ${EndIf}
    Delete "$INSTDIR\${UNINSTALLER}"
    RMDir "$INSTDIR"
    Quit
  ${EndIf}

  ; Copied elsewhere, the uninstaller would take that folder for the install folder: it removes
  ; files only from a folder that holds the program or that the entry names.
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${IfNot} ${FileExists} "$INSTDIR\${EXE}"
  ${AndIf} $0 != "$INSTDIR"
    MessageBox MB_OK|MB_ICONSTOP "$INSTDIR ist kein Installationsordner von ${PRODUCT}. Es wurde \
        nichts entfernt." /SD IDOK
    SetErrorLevel ${EXIT_REFUSED}
    Quit
  ${EndIf}
FunctionEnd

; A file that cannot be removed stops the uninstall with the entry still there, so that it can be
; run again.
!macro UN_CHECKED PATH
  ${If} ${Errors}
    !insertmacro FAIL ${EXIT_WRITE_FAILED} "${PATH} konnte nicht entfernt werden. Die \
        Deinstallation wurde abgebrochen; ${PRODUCT} bleibt unter Einstellungen > Apps \
        eingetragen, damit Sie sie wiederholen koennen."
  ${EndIf}
!macroend

!macro UN_REMOVE PATH
  ClearErrors
  Delete "${PATH}"
  !insertmacro UN_CHECKED "${PATH}"
!macroend

Section Uninstall
  ; The program may write its session file until its process ends.
  Call un.CloseProgram
  !insertmacro FAIL_IF_STILL_RUNNING "Deinstallation" "es wurde nichts entfernt"

  !insertmacro UN_REMOVE "$INSTDIR\${EXE}"
  !insertmacro UN_REMOVE "$INSTDIR\README.txt"
  ; Run in place (the entry's quiet command, or a setup upgrading), the uninstaller is the running
  ; exe, which NSIS holds open: a setup removes it itself, otherwise a copy does after the end.
  StrCpy $R9 0
  ClearErrors
  Delete "$INSTDIR\${UNINSTALLER}"
  ${If} ${Errors}
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/UPGRADE" $R1
    ${If} ${Errors}
      StrCpy $R9 1
    ${EndIf}
  ${EndIf}
  ; Only if empty: files the user put there stay.
  RMDir "$INSTDIR"
  !insertmacro UN_REMOVE "${SHORTCUT}"
  ; The program never reads the stored token back, so without the program it is only a credential
  ; lying around. Other files in that folder are not ours.
  !insertmacro UN_REMOVE "${SESSION_DIR}\session.dpapi"
  RMDir "${SESSION_DIR}"
  ClearErrors
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  !insertmacro UN_CHECKED "HKCU\${UNINSTALL_KEY}"
  ${If} $R9 == 1
    GetTempFileName $R0
    Delete "$R0"
    System::Call 'kernel32::GetCurrentProcessId() i .R1'
    ClearErrors
    CopyFiles /SILENT "$EXEPATH" "$R0.exe"
    Exec '"$R0.exe" /S /REMOVE-AFTER=$R1 _?=$INSTDIR'
    !insertmacro UN_CHECKED "$INSTDIR\${UNINSTALLER}"
  ${EndIf}
SectionEnd
