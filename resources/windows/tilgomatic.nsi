; SPDX-License-Identifier: GPL-3.0-or-later
; The Windows setup: installs Tilgomatic for the current user, without administrator rights, into the
; user's programs folder, with a Start-menu entry and an entry in the user's list of installed programs.
; A newer setup over an older one installs into the same folder and updates the entries; an older one
; over a newer one asks first, and a silent one (/S) refuses.
;
; Built by scripts/package --windows:
;   makensis -DSETUP=<setup.nsh> resources/windows/tilgomatic.nsi
; setup.nsh, written by scripts/package, defines FILES (the folder of the program's files, those of the
; zip), OUTFILE, VERSION (the package version, with its epoch), VERSION_NUMBERS (four numbers for the
; version resource), PUBLISHER, HOMEPAGE (empty while the project has none), ICON (the skull that
; tilgomatic.exe carries), WIZARD (the welcome page's picture) and UNINSTALLER_EXE (the uninstaller that
; the first pass below made). VERSION, VERSION_NUMBERS and OUTFILE may be given on makensis's command line
; before it, to build another version from the same files.
;
; The uninstaller is made by a first pass, makensis -DUNINSTALLER_ONLY=<file>, whose setup is thrown away:
; an uninstaller written by the setup itself would carry the setup's version resource ("... installieren").

Unicode true
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include "${SETUP}"
!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

; The version as the user reads it: without the epoch (scripts/package-version), which only orders.
!searchparse /noerrors "${VERSION}" "" VERSION_EPOCH ":" VERSION_SHOWN
!ifndef VERSION_SHOWN
    !define VERSION_SHOWN "${VERSION}"
!endif

!define EXE "tilgomatic.exe"
!define UNINSTALLER "Deinstallieren.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tilgomatic"
; What the program writes when "Explorererweiterung" is ticked, and where it keeps its settings.
!define VERB_KEY "Software\Classes\*\shell\Tilgomatic"
!define SETTINGS_KEY "Software\VB and VBA Program Settings\tilgomatic\Options"

Name "Tilgomatic"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Tilgomatic"
; An earlier setup's folder wins, so that a newer version replaces it in place.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Tilgomatic ${VERSION_SHOWN}"
; The uninstall lists what it removed and that the settings stay.
ShowUninstDetails show

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${WIZARD}"
!define MUI_ABORTWARNING

!define MUI_WELCOMEPAGE_TITLE "Willkommen bei Tilgomatic ${VERSION_SHOWN}"
!define MUI_WELCOMEPAGE_TEXT "Tilgomatic vernichtet eine Datei so, dass ihr Inhalt nicht wiederhergestellt werden kann.$\r$\n$\r$\nDieser Assistent installiert Tilgomatic für Ihr Benutzerkonto. Dafür sind keine Administratorrechte nötig.$\r$\n$\r$\nKlicken Sie auf Weiter, um fortzufahren."
!insertmacro MUI_PAGE_WELCOME

; The GPL asks for no acceptance to use the program: the page only shows it.
!define MUI_LICENSEPAGE_TEXT_TOP "Tilgomatic ist freie Software unter der GNU General Public License."
!define MUI_LICENSEPAGE_TEXT_BOTTOM "Sie dürfen Tilgomatic nach diesen Bedingungen benutzen, weitergeben und verändern. Um das Programm zu benutzen, müssen Sie ihnen nicht zustimmen."
!define MUI_LICENSEPAGE_BUTTON "&Weiter >"
!insertmacro MUI_PAGE_LICENSE "${FILES}\COPYING.txt"

; Only a first installation chooses its folder; a newer version goes where the older one is.
!define MUI_PAGE_CUSTOMFUNCTION_PRE SkipFolderWhenInstalled
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES

!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXE}"
!define MUI_FINISHPAGE_RUN_TEXT "Tilgomatic jetzt starten"
!insertmacro MUI_PAGE_FINISH

; The page has room for three lines.
!define MUI_UNCONFIRMPAGE_TEXT_TOP "Tilgomatic wird aus diesem Ordner entfernt, samt seinem Eintrag im Startmenü und der Explorererweiterung. Ihre Einstellungen bleiben erhalten."
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "German"

VIProductVersion "${VERSION_NUMBERS}"
VIFileVersion "${VERSION_NUMBERS}"
VIAddVersionKey /LANG=${LANG_GERMAN} "ProductName" "Tilgomatic"
VIAddVersionKey /LANG=${LANG_GERMAN} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_GERMAN} "FileVersion" "${VERSION_SHOWN}"
!ifdef UNINSTALLER_ONLY
    VIAddVersionKey /LANG=${LANG_GERMAN} "FileDescription" "Tilgomatic deinstallieren"
    ; The uninstaller, as the setup of the second pass carries it.
    !uninstfinalize 'cp "%1" "${UNINSTALLER_ONLY}"'
!else
    VIAddVersionKey /LANG=${LANG_GERMAN} "FileDescription" "Tilgomatic ${VERSION_SHOWN} installieren"
    ; Its uninstaller is the first pass's.
    !pragma warning disable 6020
!endif
VIAddVersionKey /LANG=${LANG_GERMAN} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_GERMAN} "LegalCopyright" "Freie Software unter der GNU General Public License, Version 3 oder später (GPL-3.0-or-later)"

; The order key of the package version $0 in $1: digits only, always of one length, so that two keys
; compare as text the way dpkg --compare-versions orders their versions, for the versions this project
; makes ([EPOCH:]X.Y with up to four numbers, a snapshot's ~gitDATE.TIME.HASH or +gitDATE.TIME.HASH after
; it; the hash only tells two commits of one second apart and is left out). "" for any other text.
!macro Digits text
    ; Whether text is one or more decimal digits: "1" before it keeps NSIS from reading it as octal.
    StrCpy $R9 0
    ${If} "${text}" != ""
        IntOp $R8 "1${text}" + 0
        ${If} "$R8" == "1${text}"
            StrCpy $R9 1
        ${EndIf}
    ${EndIf}
!macroend
!macro PadTo5 number
    ${Do}
        StrLen $R8 ${number}
        ${IfThen} $R8 >= 5 ${|} ${ExitDo} ${|}
        StrCpy ${number} "0${number}"
    ${Loop}
!macroend
Function VersionKey
    Push $R0
    Push $R1
    Push $R2
    Push $R3
    Push $R4
    Push $R5
    Push $R6
    Push $R7
    Push $R8
    Push $R9
    StrCpy $1 ""
    StrCpy $R0 0                ; where the next character is
    StrCpy $R2 ""               ; the number being read
    StrCpy $R3 ""               ; the release's numbers, five digits each
    StrCpy $R4 "00000"          ; the epoch
    StrCpy $R5 0                ; how many numbers the release has
    StrCpy $R6 1                ; 0 a snapshot before the release, 1 the release, 2 a snapshot after it
    StrCpy $R7 "00000000000000" ; a snapshot's date and time
    ${Do}
        StrCpy $R1 $0 1 $R0
        IntOp $R0 $R0 + 1
        ${If} $R1 == ":"
        ${OrIf} $R1 == "."
        ${OrIf} $R1 == ""
        ${OrIf} $R1 == "~"
        ${OrIf} $R1 == "+"
            !insertmacro Digits $R2
            StrLen $R8 $R2
            ${IfThen} $R9 == 0 ${|} Goto done ${|}
            ${IfThen} $R8 > 5 ${|} Goto done ${|}
            !insertmacro PadTo5 $R2
            ${If} $R1 == ":"
                ${IfThen} $R5 != 0 ${|} Goto done ${|}
                ${IfThen} $R4 != "00000" ${|} Goto done ${|}
                StrCpy $R4 $R2
            ${Else}
                StrCpy $R3 "$R3$R2"
                IntOp $R5 $R5 + 1
            ${EndIf}
            StrCpy $R2 ""
            ${IfThen} $R1 == "" ${|} ${ExitDo} ${|}
            ${If} $R1 == "~"
            ${OrIf} $R1 == "+"
                ${IfThen} $R1 == "~" ${|} StrCpy $R6 0 ${|}
                ${IfThen} $R1 == "+" ${|} StrCpy $R6 2 ${|}
                ; gitYYYYMMDD.HHMMSS.HASH
                StrCpy $R2 $0 3 $R0
                ${IfThen} $R2 != "git" ${|} Goto done ${|}
                IntOp $R0 $R0 + 3
                StrCpy $R2 $0 8 $R0
                !insertmacro Digits $R2
                StrLen $R8 $R2
                ${IfThen} $R9 == 0 ${|} Goto done ${|}
                ${IfThen} $R8 != 8 ${|} Goto done ${|}
                StrCpy $R7 $R2
                IntOp $R0 $R0 + 8
                StrCpy $R2 $0 1 $R0
                ${IfThen} $R2 != "." ${|} Goto done ${|}
                IntOp $R0 $R0 + 1
                StrCpy $R2 $0 6 $R0
                !insertmacro Digits $R2
                StrLen $R8 $R2
                ${IfThen} $R9 == 0 ${|} Goto done ${|}
                ${IfThen} $R8 != 6 ${|} Goto done ${|}
                StrCpy $R7 "$R7$R2"
                ${ExitDo}
            ${EndIf}
        ${Else}
            StrCpy $R2 "$R2$R1"
        ${EndIf}
    ${Loop}
    ${IfThen} $R5 > 4 ${|} Goto done ${|}
    ${DoWhile} $R5 < 4
        StrCpy $R8 "00000"
        StrCpy $R3 "$R3$R8"
        IntOp $R5 $R5 + 1
    ${Loop}
    StrCpy $1 "$R4$R3$R6$R7"
    done:
    Pop $R9
    Pop $R8
    Pop $R7
    Pop $R6
    Pop $R5
    Pop $R4
    Pop $R3
    Pop $R2
    Pop $R1
    Pop $R0
FunctionEnd

; An older setup over a newer installation asks first; a silent one (/S) keeps the newer one and fails.
Function .onInit
    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    ${IfNot} ${FileExists} "$0\${EXE}"
        Return
    ${EndIf}
    ReadRegStr $3 HKCU "${UNINSTALL_KEY}" "DisplayVersion"
    ; Setups before the epoch wrote DisplayVersion alone: their versions have none.
    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "PackageVersion"
    ${IfThen} $0 == "" ${|} StrCpy $0 $3 ${|}
    Call VersionKey
    StrCpy $2 $1
    StrCpy $0 "${VERSION}"
    Call VersionKey
    ${If} $2 == ""
    ${OrIf} $1 == ""
    ${OrIf} $2 S<= $1
        Return
    ${EndIf}
    MessageBox MB_YESNO|MB_ICONEXCLAMATION|MB_DEFBUTTON2 "Auf diesem Computer ist Tilgomatic $3 installiert, eine neuere Version als die dieses Setups (${VERSION_SHOWN}).$\r$\n$\r$\nKlicken Sie auf Nein, um die neuere Version zu behalten, oder auf Ja, um sie durch die ältere zu ersetzen." /SD IDNO IDYES older
    SetErrorLevel 2
    Quit
    older:
FunctionEnd

Function SkipFolderWhenInstalled
    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 != ""
    ${AndIf} ${FileExists} "$0\${EXE}"
        Abort
    ${EndIf}
FunctionEnd

Section
    SetOutPath "$INSTDIR"
    ; A running program cannot be replaced. Ask before anything is written: a silent setup would otherwise
    ; skip the file and name the new version over the old program.
    retry:
    Delete "$INSTDIR\${EXE}"
    ${If} ${FileExists} "$INSTDIR\${EXE}"
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Tilgomatic läuft noch. Schliessen Sie das Programm und klicken Sie auf Wiederholen." /SD IDCANCEL IDRETRY retry
        Abort "Tilgomatic läuft noch; es wurde nichts installiert."
    ${EndIf}
    ClearErrors
    File "${FILES}\${EXE}"
    File "${FILES}\TGHilfe.chm"
    File "${FILES}\COPYING.txt"
    File "${FILES}\LIESMICH.txt"
!ifdef UNINSTALLER_ONLY
    WriteUninstaller "$INSTDIR\${UNINSTALLER}"
!else
    File "/oname=${UNINSTALLER}" "${UNINSTALLER_EXE}"
!endif
    ${If} ${Errors}
        Abort "Tilgomatic konnte nicht vollständig installiert werden."
    ${EndIf}

    ; One entry, no folder of its own: the skull is the program's own icon.
    CreateShortcut "$SMPROGRAMS\Tilgomatic.lnk" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0 SW_SHOWNORMAL "" \
        "Dateien unwiederbringlich löschen"

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Tilgomatic"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION_SHOWN}"
    ; The version with its epoch, which the next setup compares its own with.
    WriteRegStr HKCU "${UNINSTALL_KEY}" "PackageVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    !if "${HOMEPAGE}" != ""
        WriteRegStr HKCU "${UNINSTALL_KEY}" "URLInfoAbout" "${HOMEPAGE}"
    !else
        DeleteRegValue HKCU "${UNINSTALL_KEY}" "URLInfoAbout"
    !endif
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE},0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Whether the paths $0 and $1 name the same file or folder: the same text, or both there under the same
; short (8.3) name, as when one of them was written through a short name. Sets $R9 to 1 or 0.
Function un.SamePath
    StrCpy $R9 0
    ${If} $0 == $1 ; case-insensitive, as Windows names are
        StrCpy $R9 1
        Return
    ${EndIf}
    ClearErrors
    GetFullPathName /SHORT $2 $0
    GetFullPathName /SHORT $3 $1
    ${IfNot} ${Errors}
    ${AndIf} $2 != ""
    ${AndIf} $2 == $3
        StrCpy $R9 1
    ${EndIf}
FunctionEnd

; $0: the file that the context-menu command starts ("" if none): the quoted path at the head of the
; command key's data, as the program writes it, or this installation's program when the data begins with
; its path unquoted and a blank.
Function un.VerbTarget
    StrCpy $0 ""
    ReadRegStr $1 HKCU "${VERB_KEY}\command" ""
    StrCpy $2 $1 1
    ${If} $2 != '"'
        StrCpy $5 "$INSTDIR\${EXE} "
        StrLen $3 $5
        StrCpy $2 $1 $3
        ${If} $2 == $5
            StrCpy $0 "$INSTDIR\${EXE}"
        ${EndIf}
        Return
    ${EndIf}
    StrLen $3 $1
    StrCpy $4 1
    ${Do}
        ${If} $4 >= $3
            Return ; no closing quote
        ${EndIf}
        StrCpy $2 $1 1 $4
        ${If} $2 == '"'
            ${Break}
        ${EndIf}
        IntOp $4 $4 + 1
    ${Loop}
    IntOp $4 $4 - 1
    StrCpy $0 $1 $4 1
FunctionEnd

Section "Uninstall"
    ; Whose entries these are, decided while the program and its folder are still there.
    Call un.VerbTarget
    StrCpy $1 "$INSTDIR\${EXE}"
    Call un.SamePath
    StrCpy $R1 $R9 ; the context-menu entry starts this installation's program
    StrCpy $R2 1   ; the uninstall entry is this installation's (or names no folder)
    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 != ""
        StrCpy $1 "$INSTDIR"
        Call un.SamePath
        StrCpy $R2 $R9
    ${EndIf}

    ; A running program cannot be removed: stop before anything else has gone.
    retry:
    Delete "$INSTDIR\${EXE}"
    ${If} ${FileExists} "$INSTDIR\${EXE}"
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Tilgomatic läuft noch. Schliessen Sie das Programm und klicken Sie auf Wiederholen." /SD IDCANCEL IDRETRY retry
        Abort "Tilgomatic läuft noch und wurde nicht entfernt."
    ${EndIf}
    Delete "$INSTDIR\TGHilfe.chm"
    Delete "$INSTDIR\COPYING.txt"
    Delete "$INSTDIR\LIESMICH.txt"
    Delete "$INSTDIR\${UNINSTALLER}"
    ; Only the folder itself, and only when empty: it may be one the user chose and filled.
    RMDir "$INSTDIR"

    Delete "$SMPROGRAMS\Tilgomatic.lnk"

    ; The entry stays off while it is gone, so that the program's box says so.
    ${If} $R1 == 1
        DeleteRegKey HKCU "${VERB_KEY}"
        DetailPrint "Explorererweiterung entfernt"
        ReadRegStr $0 HKCU "${SETTINGS_KEY}" "ExplorerMnu"
        ${If} $0 != ""
            WriteRegStr HKCU "${SETTINGS_KEY}" "ExplorerMnu" "0"
        ${EndIf}
    ${EndIf}

    ; Another installation's entry is left alone.
    ${If} $R2 == 1
        DeleteRegKey HKCU "${UNINSTALL_KEY}"
        DetailPrint "Eintrag in der Liste der installierten Programme entfernt"
    ${EndIf}
    DetailPrint "Ihre Einstellungen bleiben erhalten."
SectionEnd
