; SPDX-License-Identifier: GPL-3.0-or-later
; The Windows setup: installs Tilgomatic for the current user, without administrator rights, into the
; user's programs folder, with a Start-menu entry and an entry in the user's list of installed programs.
; A newer setup over an older one installs into the same folder and updates the entries.
;
; Built by scripts/package --windows:
;   makensis -DSETUP=<setup.nsh> resources/windows/tilgomatic.nsi
; setup.nsh, written by scripts/package, defines FILES (the folder of the program's files, those of the
; zip), OUTFILE, VERSION (the package version), VERSION_NUMBERS (four numbers for the version resource),
; PUBLISHER, HOMEPAGE, ICON (the skull that tilgomatic.exe carries) and WIZARD (the welcome page's
; picture). VERSION, VERSION_NUMBERS and OUTFILE may be given on makensis's command line before it, to
; build another version from the same files.

Unicode true
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include "${SETUP}"
!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

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
BrandingText "Tilgomatic ${VERSION}"
; The uninstall lists what it removed and that the settings stay.
ShowUninstDetails show

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_WELCOMEFINISHPAGE_BITMAP "${WIZARD}"
!define MUI_ABORTWARNING

!define MUI_WELCOMEPAGE_TITLE "Willkommen bei Tilgomatic ${VERSION}"
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
VIAddVersionKey /LANG=${LANG_GERMAN} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_GERMAN} "FileDescription" "Tilgomatic ${VERSION} installieren"
VIAddVersionKey /LANG=${LANG_GERMAN} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_GERMAN} "LegalCopyright" "Freie Software unter der GNU General Public License, Version 3 oder später (GPL-3.0-or-later)"

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
    WriteUninstaller "$INSTDIR\${UNINSTALLER}"
    ${If} ${Errors}
        Abort "Tilgomatic konnte nicht vollständig installiert werden."
    ${EndIf}

    ; One entry, no folder of its own: the skull is the program's own icon.
    CreateShortcut "$SMPROGRAMS\Tilgomatic.lnk" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0 SW_SHOWNORMAL "" \
        "Dateien unwiederbringlich löschen"

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Tilgomatic"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "URLInfoAbout" "${HOMEPAGE}"
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
