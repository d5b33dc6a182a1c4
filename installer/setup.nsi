; The per-user setup of Corvanta Native Win. scripts/package compiles it with
;   makensis -WX -DVERSION=X.Y.Z -DAPP_DIR=<folder with the exe and README.txt>
;            -DOUT_FILE=<setup.exe> [-DSIGN_COMMAND=<command that signs the file %1 in place>]
; It installs for the current user only, so it needs no administrator rights: everything it writes
; lies in the user's profile and under HKCU.
;
; Exit codes of the setup and the uninstaller (the README and the winget manifest name them too):
;   0 done; 1 cancelled by the user; 3 refused (a newer version is installed, or the uninstaller
;   does not lie in an install folder); 4 the program did not end, or one of its files stayed in
;   use, within CLOSE_SECONDS (FINISH_SECONDS for a program still finishing a logout): nothing was
;   changed; 5 a file or the entry could not be written or removed; 6 another setup or uninstall
;   of the program ran for longer than OTHER_RUN_SECONDS: nothing was changed.

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
; Once its window has gone, the program still waits for a logout's delete and then a save still
; going, on a slow share up to the session writer's bounds: a program doing that gets as long, and
; a little more to end. Killing it then would leave the token on the share.
!searchparse /file "${__FILEDIR__}/../src/actions/session_writer.h" \
    "inline constexpr DWORD kClearWaitMs = " CLEAR_WAIT_MS ";"
!searchparse /file "${__FILEDIR__}/../src/actions/session_writer.h" \
    "inline constexpr DWORD kSaveWaitMs = " SAVE_WAIT_MS ";"
!define /math FINISH_MS ${CLEAR_WAIT_MS} + ${SAVE_WAIT_MS}
!define /redef /math FINISH_MS ${FINISH_MS} + 5000
!define /math FINISH_SECONDS ${FINISH_MS} / 1000
; How long a silent run waits for another setup or uninstall of the program to end: the longest
; wait for the program and a minute for the rest of that run.
!define /math OTHER_RUN_SECONDS ${FINISH_SECONDS} + 60
; Held by each setup and uninstaller for its whole run, in this Windows session.
!define RUN_LOCK "Local\CorvantaNativeWin.Setup"
; The copy of an uninstaller run in place that removes it after its end, in %TEMP%.
!define UNINSTALLER_COPY "CorvantaNativeWin-Uninstall-"
; The new version's files are unpacked here first, on the volume they end up on.
!define STAGE "$INSTDIR\setup-staging.tmp"

!define EXIT_CANCELLED 1
!define EXIT_REFUSED 3
!define EXIT_IN_USE 4
!define EXIT_WRITE_FAILED 5
!define EXIT_BUSY 6

!define SYNCHRONIZE 0x00100000
!define PROCESS_QUERY_LIMITED_INFORMATION 0x1000
!define TH32CS_SNAPPROCESS 2
; PROCESSENTRY32W on 64-bit Windows: its size and where th32ProcessID and szExeFile lie.
!define PROCESS_ENTRY_BYTES 568
!define PROCESS_ENTRY_PID 8
!define PROCESS_ENTRY_EXE 44
!define CREATE_NO_WINDOW 0x08000000
; STARTUPINFOW (its size first, the rest zero) and PROCESS_INFORMATION on 64-bit Windows.
!define STARTUPINFO_BYTES 104
!define /math STARTUPINFO_REST ${STARTUPINFO_BYTES} - 4
!define PROCESS_INFORMATION_BYTES 24
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
; Why the program counts as running: "window", "process" (its window is gone: it is finishing a
; logout), "session" (it runs in another Windows session of this user) or the path of a file in use.
Var Busy
; When a main window of the program was last seen (GetTickCount64).
Var WindowSeen
; The Windows session this run belongs to.
Var OwnSession
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

; Sets Busy when a process runs the program from PATH: "process" in this Windows session (it has
; no window left, or Busy would say "window"), "session" in another one, beyond the reach of
; WM_CLOSE. Also a program whose window was gone before this run started.
!macro FIND_PROGRAM_PROCESS PATH
  ${If} $Busy == ""
  ${OrIf} $Busy == "session"
    System::Call 'kernel32::CreateToolhelp32Snapshot(i ${TH32CS_SNAPPROCESS}, i 0) p .r0'
    ${If} $0 P<> -1
      System::Alloc ${PROCESS_ENTRY_BYTES}
      Pop $1
      System::Call '*$1(i ${PROCESS_ENTRY_BYTES})'
      System::Call 'kernel32::Process32FirstW(p r0, p r1) i .r2'
      ${DoWhile} $2 <> 0
        IntPtrOp $3 $1 + ${PROCESS_ENTRY_EXE}
        System::Call '*$3(&w260 .r4)'
        ${If} $4 == "${EXE}"
          IntPtrOp $3 $1 + ${PROCESS_ENTRY_PID}
          System::Call '*$3(i .r5)'
          System::Call 'kernel32::OpenProcess(i ${PROCESS_QUERY_LIMITED_INFORMATION}, i 0, i r5) p .r6'
          ${If} $6 P<> 0
            System::Call 'kernel32::QueryFullProcessImageNameW(p r6, i 0, w .r7, *i ${NSIS_MAX_STRLEN}) i .r3'
            System::Call 'kernel32::CloseHandle(p r6)'
            ${If} $3 <> 0
            ${AndIf} $7 == "${PATH}"
              System::Call 'kernel32::ProcessIdToSessionId(i r5, *i .r3) i .r4'
              ${If} $4 <> 0
              ${AndIf} $OwnSession != ""
              ${AndIf} $3 <> $OwnSession
                StrCpy $Busy "session"
              ${Else}
                StrCpy $Busy "process"
                ${ExitDo}
              ${EndIf}
            ${EndIf}
          ${EndIf}
        ${EndIf}
        System::Call 'kernel32::Process32NextW(p r0, p r1) i .r2'
      ${Loop}
      System::Free $1
      System::Call 'kernel32::CloseHandle(p r0)'
    ${EndIf}
  ${EndIf}
!macroend

; CloseProgram for the setup and un.CloseProgram for the uninstaller. Asks every main window of the
; program to close as its user would (WM_CLOSE, posted: a hung program must not hang this), after
; one question in an interactive run, then waits until no main window is left, every process
; behind one has ended (after its window it may still finish writing) and the files to be replaced
; or removed are free: up to CLOSE_SECONDS, and while the program's window is gone but its process
; still finishes a logout, up to FINISH_SECONDS from when its window was last seen. Returns in $R0:
; 0, EXIT_CANCELLED or EXIT_IN_USE (why in Busy).
!macro CLOSE_PROGRAM_FUNCTION UN
Function ${UN}CloseProgram
  StrCpy $OwnSession ""
  System::Call 'kernel32::GetCurrentProcessId() i .r0'
  System::Call 'kernel32::ProcessIdToSessionId(i r0, *i .r1) i .r2'
  ${If} $2 <> 0
    StrCpy $OwnSession $1
  ${EndIf}
  StrCpy $R2 0
  ; Set once the wait for a program finishing its logout has been reported.
  StrCpy $R9 0
  ; Process handles to wait for, and the windows already asked, as ",hwnd,hwnd,".
  StrCpy $R4 0
  StrCpy $R5 ","
  System::Alloc ${PROCESS_BYTES}
  Pop $R3
  System::Call 'kernel32::GetTickCount64() l .R1'
  StrCpy $WindowSeen $R1
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
        StrCpy $WindowSeen $R1
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
    System::Call 'kernel32::GetTickCount64() l .R6'
    FindWindow $R0 "${MAIN_CLASS}"
    ${If} $R0 != 0
      StrCpy $Busy "window"
      StrCpy $WindowSeen $R6
    ${ElseIf} $R4 > 0
      System::Call 'kernel32::WaitForMultipleObjects(i R4, p R3, i 1, i 0) i .R7'
      ${If} $R7 <> 0
        StrCpy $Busy "process"
      ${EndIf}
    ${EndIf}
    !insertmacro FIND_PROGRAM_PROCESS "$INSTDIR\${EXE}"
    !if "${UN}" == ""
      ${If} $OldDir != ""
        !insertmacro FIND_PROGRAM_PROCESS "$OldDir\${EXE}"
      ${EndIf}
    !endif
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
    ${If} $Busy == "process"
      ${If} $R9 == 0
        StrCpy $R9 1
        DetailPrint "${PRODUCT} schliesst noch eine Abmeldung ab; warte bis zu \
            ${FINISH_SECONDS} s auf sein Ende"
      ${EndIf}
      IntPtrOp $R7 $R6 - $WindowSeen
      ${If} $R7 >= ${FINISH_SECONDS}000
        StrCpy $R0 ${EXIT_IN_USE}
        Goto done
      ${EndIf}
    ${Else}
      IntPtrOp $R7 $R6 - $R1
      ${If} $R7 >= ${CLOSE_SECONDS}000
        StrCpy $R0 ${EXIT_IN_USE}
        Goto done
      ${EndIf}
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
      !insertmacro FAIL ${EXIT_IN_USE} "${PRODUCT} hat sich nicht innerhalb von ${CLOSE_SECONDS} \
          Sekunden beendet. Die ${ACTION} wurde abgebrochen, ${UNCHANGED}.$\r$\n$\r$\nBeenden \
          Sie ${PRODUCT} (notfalls im Task-Manager) und starten Sie die ${ACTION} erneut."
    ${ElseIf} $Busy == "process"
      !insertmacro FAIL ${EXIT_IN_USE} "${PRODUCT} ist geschlossen, schliesst aber noch eine \
          Abmeldung ab (es loescht die gespeicherte Session-Datei) und hat sich nicht innerhalb \
          von ${FINISH_SECONDS} Sekunden beendet. Die ${ACTION} wurde abgebrochen, \
          ${UNCHANGED}.$\r$\n$\r$\nBeenden Sie ${PRODUCT} nicht im Task-Manager, sonst bleibt \
          die Session-Datei liegen: warten Sie, bis es sich beendet hat, und starten Sie die \
          ${ACTION} dann erneut."
    ${ElseIf} $Busy == "session"
      !insertmacro FAIL ${EXIT_IN_USE} "${PRODUCT} laeuft noch in einer anderen Windows-Sitzung \
          Ihres Benutzers (etwa nach einem Benutzerwechsel) und kann von hier aus nicht \
          geschlossen werden. Die ${ACTION} wurde abgebrochen, ${UNCHANGED}.$\r$\n$\r$\n\
          Beenden Sie ${PRODUCT} in jener Sitzung und starten Sie die ${ACTION} erneut."
    ${Else}
      !insertmacro FAIL ${EXIT_IN_USE} "Die Datei $Busy wird noch von einem anderen Programm \
          verwendet. Die ${ACTION} wurde abgebrochen, ${UNCHANGED}.$\r$\n$\r$\nSchliessen Sie \
          dieses Programm und starten Sie die ${ACTION} erneut."
    ${EndIf}
  ${EndIf}
!macroend

; One setup or uninstaller at a time in this Windows session: two would share the stage, the
; installed version's uninstaller and the version check. A second run waits for the first, silently
; up to OTHER_RUN_SECONDS, interactively as long as the user retries; otherwise it ends with
; EXIT_BUSY and has changed nothing. The lock is never released by hand: it goes with the process,
; and a waiter takes an abandoned one as its own.
!macro TAKE_RUN_LOCK ACTION
  System::Call 'kernel32::CreateMutexW(p 0, i 0, w "${RUN_LOCK}") p .r0'
  ; Without one (out of handles) the run goes on as it would have before.
  ${If} $0 P<> 0
    ${Do}
      System::Call 'kernel32::WaitForSingleObject(p r0, i 0) i .r1'
      ${If} $1 = 0
      ${OrIf} $1 = 0x80
        ${ExitDo}
      ${EndIf}
      ${If} ${Silent}
        System::Call 'kernel32::WaitForSingleObject(p r0, i ${OTHER_RUN_SECONDS}000) i .r1'
        ${If} $1 = 0
        ${OrIf} $1 = 0x80
          ${ExitDo}
        ${EndIf}
      ${Else}
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Eine andere Installation oder \
            Deinstallation von ${PRODUCT} laeuft gerade.$\r$\n$\r$\nWiederholen setzt die \
            ${ACTION} fort, sobald jene beendet ist. Abbrechen beendet die ${ACTION}, ohne etwas \
            zu aendern." IDCANCEL +2
        ${Continue}
      ${EndIf}
      SetErrorLevel ${EXIT_BUSY}
      Quit
    ${Loop}
  ${EndIf}
!macroend

; What earlier uninstalls could not remove of their copies (see un.RemoveAfterEnd); a copy still
; running stays.
!macro SWEEP_UNINSTALLER_COPIES
  Delete "$TEMP\${UNINSTALLER_COPY}*.exe"
!macroend

Function .onInit
  !insertmacro TAKE_RUN_LOCK "Installation"
  !insertmacro SWEEP_UNINSTALLER_COPIES
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
  ; Both run in place, so their exit code is the uninstall's result; started without _?= the
  ; uninstaller would hand over to a copy of itself and end with 0 at once.
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}" _?=$INSTDIR'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" \
      '"$INSTDIR\${UNINSTALLER}" /S _?=$INSTDIR'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
  !insertmacro CHECKED "Das Eintragen unter" "HKCU\${UNINSTALL_KEY}"
SectionEnd

Function un.onInit
  ${GetParameters} $R0
  ; The copy that an uninstaller run in place leaves behind (un.RemoveAfterEnd): it removes that
  ; uninstaller (and the folder, if then empty) once its process has ended and let go of the file.
  ClearErrors
  ${GetOptions} $R0 "/REMOVE-AFTER=" $R1
  ${IfNot} ${Errors}
    System::Call 'kernel32::OpenProcess(i ${SYNCHRONIZE}, i 0, i R1) p .R2'
    ${If} $R2 P<> 0
      System::Call 'kernel32::WaitForSingleObject(p R2, i ${CLOSE_SECONDS}000) i'
      System::Call 'kernel32::CloseHandle(p R2)'
    ${EndIf}
    ; A setup started since may have put an uninstaller of its own in that place.
    !insertmacro TAKE_RUN_LOCK "Deinstallation"
    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 != "$INSTDIR"
      Delete "$INSTDIR\${UNINSTALLER}"
      RMDir "$INSTDIR"
    ${EndIf}
    Quit
  ${EndIf}

  ; A setup upgrading holds the lock for the uninstaller it runs.
  ClearErrors
  ${GetOptions} $R0 "/UPGRADE" $R1
  ${If} ${Errors}
    !insertmacro TAKE_RUN_LOCK "Deinstallation"
    !insertmacro SWEEP_UNINSTALLER_COPIES
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

; Prefixes the characters that cmd.exe reads outside quotes with its escape character.
Function un.CmdEscape
  Exch $0
  Push $1
  Push $2
  Push $3
  StrCpy $1 ""
  StrCpy $3 0
  ${Do}
    StrCpy $2 $0 1 $3
    ${If} $2 == ""
      ${ExitDo}
    ${EndIf}
    ${If} $2 == "^"
    ${OrIf} $2 == "&"
    ${OrIf} $2 == "|"
    ${OrIf} $2 == "<"
    ${OrIf} $2 == ">"
    ${OrIf} $2 == "("
    ${OrIf} $2 == ")"
      StrCpy $1 "$1^"
    ${EndIf}
    StrCpy $1 "$1$2"
    IntOp $3 $3 + 1
  ${Loop}
  StrCpy $0 $1
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; Run in place, the uninstaller is the running exe, which cannot remove itself nor therefore the
; folder. A copy in %TEMP% does once this process has ended; cmd.exe starts that copy, waits for it
; and then removes it, so that no copy is left behind. Only the entry is gone by now: a failure
; here leaves a folder with the uninstaller and nothing else.
Function un.RemoveAfterEnd
  System::Call 'kernel32::GetCurrentProcessId() i .R1'
  StrCpy $R0 "$TEMP\${UNINSTALLER_COPY}$R1.exe"
  ClearErrors
  CopyFiles /SILENT "$EXEPATH" "$R0"
  ${IfNot} ${Errors}
    Push "$INSTDIR"
    Call un.CmdEscape
    Pop $R2
    ; _?= takes the rest of the copy's command line, up to cmd's &. No console window, and none
    ; to set up: CREATE_NO_WINDOW.
    StrCpy $3 '"$SYSDIR\cmd.exe" /d /s /c "start "" /wait "$R0" /S /REMOVE-AFTER=$R1 \
        _?=$R2& del /f /q "$R0""'
    System::Call '*(i ${STARTUPINFO_BYTES}, &l${STARTUPINFO_REST}) p .r4'
    System::Call '*(&l${PROCESS_INFORMATION_BYTES}) p .r5'
    System::Call 'kernel32::CreateProcessW(p 0, w r3, p 0, p 0, i 0, i ${CREATE_NO_WINDOW}, \
        p 0, p 0, p r4, p r5) i .r6'
    ${If} $6 <> 0
      System::Call '*$5(p .r7, p .r8)'
      System::Call 'kernel32::CloseHandle(p r7)'
      System::Call 'kernel32::CloseHandle(p r8)'
    ${Else}
      SetErrors
    ${EndIf}
    System::Free $4
    System::Free $5
  ${EndIf}
  ${If} ${Errors}
    Delete "$R0"
    !insertmacro FAIL ${EXIT_WRITE_FAILED} "$INSTDIR\${UNINSTALLER} konnte nicht entfernt \
        werden. ${PRODUCT} ist entfernt und nicht mehr unter Einstellungen > Apps eingetragen; \
        loeschen Sie den Ordner $INSTDIR selbst."
  ${EndIf}
FunctionEnd

Section Uninstall
  ; The program may write its session file until its process ends.
  Call un.CloseProgram
  !insertmacro FAIL_IF_STILL_RUNNING "Deinstallation" "es wurde nichts entfernt"

  ; What may fail and what a second run does not need goes first, the entry and the uninstaller
  ; last: after a failure the entry still names an uninstaller that runs.
  ; The program never reads the stored token back, so without the program it is only a credential
  ; lying around. Other files in that folder are not ours.
  !insertmacro UN_REMOVE "${SESSION_DIR}\session.dpapi"
  RMDir "${SESSION_DIR}"
  !insertmacro UN_REMOVE "${SHORTCUT}"
  !insertmacro UN_REMOVE "$INSTDIR\${EXE}"
  !insertmacro UN_REMOVE "$INSTDIR\README.txt"
  ClearErrors
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  !insertmacro UN_CHECKED "HKCU\${UNINSTALL_KEY}"
  ; Run in place (from the entry, or by a setup upgrading), the uninstaller is the running exe,
  ; which NSIS holds open: a setup removes it itself, otherwise a copy does after the end.
  ClearErrors
  Delete "$INSTDIR\${UNINSTALLER}"
  ${If} ${Errors}
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/UPGRADE" $R1
    ${If} ${Errors}
      Call un.RemoveAfterEnd
    ${EndIf}
  ${EndIf}
  ; Only if empty: files the user put there stay.
  RMDir "$INSTDIR"
SectionEnd
