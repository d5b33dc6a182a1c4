; The per-user setup of Corvanta Native Win. scripts/package compiles it with
;   makensis -WX -DVERSION=X.Y.Z -DAPP_DIR=<folder with the exe and README.txt>
;            -DOUT_FILE=<setup.exe> [-DSIGN_COMMAND=<command that signs the file %1 in place>]
; It installs for the current user only, so it needs no administrator rights: everything it writes
; lies in the user's profile and under HKCU.

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
      SetErrorLevel 3
      Quit
    ${EndIf}
  ${EndIf}
FunctionEnd

Section
  ; The installed version's own uninstaller removes what it wrote, so no file of it outlives the
  ; upgrade (whichever files the new version ships). Run in place, it waits until it is done.
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
  ${AndIf} ${FileExists} "$0\${UNINSTALLER}"
    DetailPrint "Entferne die installierte Version aus $0"
    ExecWait '"$0\${UNINSTALLER}" /S _?=$0' $1
    ${If} $1 != 0
      DetailPrint "Der Deinstaller der installierten Version endete mit $1"
    ${EndIf}
    Delete "$0\${UNINSTALLER}"
    RMDir "$0"
  ${EndIf}

  SetOutPath "$INSTDIR"
  File "${APP_DIR}/${EXE}"
  File "${APP_DIR}/README.txt"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  CreateShortcut "${SHORTCUT}" "$INSTDIR\${EXE}"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Function un.onInit
  ; Copied elsewhere, the uninstaller would take that folder for the install folder: it removes
  ; files only from a folder that holds the program or that the entry names.
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${IfNot} ${FileExists} "$INSTDIR\${EXE}"
  ${AndIf} $0 != "$INSTDIR"
    MessageBox MB_OK|MB_ICONSTOP "$INSTDIR ist kein Installationsordner von ${PRODUCT}. Es wurde \
        nichts entfernt." /SD IDOK
    SetErrorLevel 3
    Quit
  ${EndIf}
FunctionEnd

Section Uninstall
  Delete "$INSTDIR\${EXE}"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\${UNINSTALLER}"
  ; Only if empty: files the user put there stay.
  RMDir "$INSTDIR"
  Delete "${SHORTCUT}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ; The program never reads the stored token back, so without the program it is only a credential
  ; lying around. Other files in that folder are not ours.
  Delete "${SESSION_DIR}\session.dpapi"
  RMDir "${SESSION_DIR}"
SectionEnd
