; PC-Vigilor installer: a per-user installation (no administrator rights) of
; the configuration application, the tray agent and the runtime they need,
; into one folder that is written as "Path" into the settings key, so that
; each program can start the other.
;
; Built by CMake (target "installer"), which passes:
;   VERSION       the project version, e.g. 1.2.0
;   OUTFILE       where the setup program goes
;   STAGE         the folder holding the files to install, already stripped
;   ICON          the application icon
;   CONFIG_CLASS  the window class of the configuration application's main
;                 window (Qt names it after its own version)
;   PLUGINS       the folder of the NSIS plug-ins to carry, copies signed
;                 with the release's certificate

!ifndef VERSION | OUTFILE | STAGE | ICON | CONFIG_CLASS | PLUGINS
  !error "VERSION, OUTFILE, STAGE, ICON, CONFIG_CLASS and PLUGINS must be defined (-D)"
!endif

; NSIS's default stub is 32-bit, which a 64-bit-only Windows (or Wine) does
; not run; the programs are 64-bit anyway.
Unicode true
Target amd64-unicode
; After Target, which loads NSIS's own plug-ins: those of the same names here
; take their place.
!addplugindir /amd64-unicode "${PLUGINS}"
SetCompressor /SOLID lzma

; With a certificate in the environment the uninstaller (before it is packed
; into the installer) and the installer are signed; without one, unsigned.
!define SIGN '"${__FILEDIR__}/../tools/sign.sh" "%1"'
!uninstfinalize '${SIGN}' = 0
!finalize '${SIGN}' = 0

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh

!define PRODUCT "PC-Vigilor"
!define PUBLISHER "Quorvex"
!define SETTINGS_KEY "Software\Quorvex\PC-Vigilor"
!define MAKER_KEY "Software\Quorvex"
; The configuration application mirrors "VigilorActive" into the key of the
; maker's suite; that value is ours to remove, the key only when it is empty.
!define SUITE_KEY "Software\Quorvex Halvern Plus!"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\PC-Vigilor"
!define SHORTCUT "$SMPROGRAMS\PC-Vigilor.lnk"
; Start with Windows: a value of ours under the user's Run key. Windows keeps
; the user's "disabled" for it under Explorer's StartupApproved, which is
; the user's and never touched here.
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "PC-Vigilor"
!define AGENT_CLASS "VIGILORTASKBAR"
!define AGENT_TITLE "VigilorTaskbar"
!define CONFIG_TITLE "PC-Vigilor"
!define PROCESS_SYNCHRONIZE 0x00100000
; How long a running program gets to close before the user is asked to close
; it: the agent ends a running session first, which takes a moment.
!define CLOSE_TIMEOUT_MS 15000

Name "${PRODUCT}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\PC-Vigilor"
; An upgrade goes where the last installation went. "Path" is not used for
; this: a developer's run may point it at a build folder.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
ManifestDPIAware true
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Copyright (C) 2026 ${PUBLISHER}"

BrandingText "${PRODUCT} ${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
; MUI's own text asks the user to close other programs because of shared
; system files; this installation touches none, and closes PC-Vigilor itself.
!define MUI_WELCOMEPAGE_TEXT "$(WelcomeText)"
; Without a file: the function starts the program as the signed-in user.
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_FUNCTION OpenConfiguration
!define MUI_FINISHPAGE_RUN_TEXT "$(OpenProgramText)"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
; The pages speak the user's language where it is one of the programs'
; languages; English, the first, otherwise.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "German"
!insertmacro MUI_LANGUAGE "French"
!insertmacro MUI_LANGUAGE "Spanish"

LangString WelcomeText ${LANG_ENGLISH} "Setup will install ${PRODUCT} ${VERSION} for you alone; no administrator rights are needed.$\r$\n$\r$\nIf ${PRODUCT} is running, Setup closes it first (a running session ends); its tray icon comes back when Setup is done.$\r$\n$\r$\nYour options are kept.$\r$\n$\r$\nClick Next to continue."
LangString WelcomeText ${LANG_GERMAN} "Setup installiert ${PRODUCT} ${VERSION} nur für Sie; Administratorrechte sind nicht erforderlich.$\r$\n$\r$\nWenn ${PRODUCT} ausgeführt wird, schließt Setup es zuerst (eine laufende Sitzung wird beendet); das Symbol im Infobereich erscheint wieder, sobald Setup fertig ist.$\r$\n$\r$\nIhre Einstellungen bleiben erhalten.$\r$\n$\r$\nKlicken Sie auf „Weiter“, um fortzufahren."
LangString WelcomeText ${LANG_FRENCH} "Le programme d'installation va installer ${PRODUCT} ${VERSION} pour vous seul ; aucun droit d'administrateur n'est nécessaire.$\r$\n$\r$\nSi ${PRODUCT} est en cours d'exécution, il est d'abord fermé (une session en cours prend fin) ; son icône revient dans la zone de notification à la fin de l'installation.$\r$\n$\r$\nVos options sont conservées.$\r$\n$\r$\nCliquez sur Suivant pour continuer."
LangString WelcomeText ${LANG_SPANISH} "El programa de instalación instalará ${PRODUCT} ${VERSION} solo para usted; no se necesitan derechos de administrador.$\r$\n$\r$\nSi ${PRODUCT} se está ejecutando, primero se cierra (una sesión en curso finaliza); su icono vuelve al área de notificación al terminar la instalación.$\r$\n$\r$\nSus opciones se conservan.$\r$\n$\r$\nHaga clic en Siguiente para continuar."
LangString OpenProgramText ${LANG_ENGLISH} "Open PC-Vigilor"
LangString OpenProgramText ${LANG_GERMAN} "PC-Vigilor öffnen"
LangString OpenProgramText ${LANG_FRENCH} "Ouvrir PC-Vigilor"
LangString OpenProgramText ${LANG_SPANISH} "Abrir PC-Vigilor"
LangString StillRunningText ${LANG_ENGLISH} "PC-Vigilor is still running. Close it (and its tray icon) and press Retry."
LangString StillRunningText ${LANG_GERMAN} "PC-Vigilor wird noch ausgeführt. Beenden Sie das Programm (auch sein Symbol im Infobereich) und klicken Sie auf „Wiederholen“."
LangString StillRunningText ${LANG_FRENCH} "PC-Vigilor est toujours en cours d'exécution. Fermez-le (ainsi que son icône dans la zone de notification), puis cliquez sur Recommencer."
LangString StillRunningText ${LANG_SPANISH} "PC-Vigilor todavía se está ejecutando. Ciérrelo (también su icono del área de notificación) y haga clic en Reintentar."
LangString PathTooLongText ${LANG_ENGLISH} "Your PATH is longer than Setup can change: add $INSTDIR\bin to it to run vigilor in a console."
LangString PathTooLongText ${LANG_GERMAN} "Ihr PATH ist länger, als Setup ändern kann: Fügen Sie $INSTDIR\bin hinzu, um vigilor in einer Konsole auszuführen."
LangString PathTooLongText ${LANG_FRENCH} "Votre PATH est plus long que ce que le programme d'installation peut modifier : ajoutez-y $INSTDIR\bin pour exécuter vigilor dans une console."
LangString PathTooLongText ${LANG_SPANISH} "Su PATH es más largo de lo que el programa de instalación puede cambiar: añada $INSTDIR\bin para ejecutar vigilor en una consola."
LangString AutostartText ${LANG_ENGLISH} "Start PC-Vigilor when I sign in"
LangString AutostartText ${LANG_GERMAN} "PC-Vigilor bei der Anmeldung starten"
LangString AutostartText ${LANG_FRENCH} "Démarrer PC-Vigilor à l'ouverture de session"
LangString AutostartText ${LANG_SPANISH} "Iniciar PC-Vigilor al iniciar sesión"
LangString OtherUserText ${LANG_ENGLISH} "PC-Vigilor installs for the signed-in user: run Setup without Run as administrator"
LangString OtherUserText ${LANG_GERMAN} "PC-Vigilor wird für den angemeldeten Benutzer installiert: Führen Sie Setup ohne „Als Administrator ausführen“ aus"
LangString OtherUserText ${LANG_FRENCH} "PC-Vigilor s'installe pour l'utilisateur connecté : lancez le programme d'installation sans « Exécuter en tant qu'administrateur »"
LangString OtherUserText ${LANG_SPANISH} "PC-Vigilor se instala para el usuario que ha iniciado sesión: ejecute el programa de instalación sin «Ejecutar como administrador»"

; Windows' resource loader, which picks the agent's texts, goes down the
; user's list of preferred UI languages, each with its neutral form (fr-CA,
; fr); NSIS looks at the first only, and then at its primary language. The
; first of the list in one of our languages, whatever its region, decides
; here too: a user who lists Romansh before Swiss German gets German from
; the agent, the configuration application and the installer alike.
!define UI_LANGUAGE_IDS 0x4 ; hexadecimal language ids: "0C0C", 0, "0409", 0, 0
!macro PICK_LANGUAGE
  System::Call "kernel32::GetUserPreferredUILanguages(i ${UI_LANGUAGE_IDS}, *i .r0, p 0, *i 0 r1) i .r2"
  ${If} $2 <> 0
  ${AndIf} $0 > 0
    IntOp $1 $1 * 2
    System::Alloc $1
    Pop $3
    System::Call "kernel32::GetUserPreferredUILanguages(i ${UI_LANGUAGE_IDS}, *i .r0, p r3, *i r1 r1) i .r2"
    ${If} $2 <> 0
      StrCpy $4 $3
      ${For} $5 1 $0
        ; Four hexadecimal digits and a terminator each.
        System::Call "*$4(&w4 .r6)"
        IntOp $6 0x$6 & 0x3FF
        ${If} $6 = 0x09
          StrCpy $LANGUAGE ${LANG_ENGLISH}
        ${ElseIf} $6 = 0x07
          StrCpy $LANGUAGE ${LANG_GERMAN}
        ${ElseIf} $6 = 0x0C
          StrCpy $LANGUAGE ${LANG_FRENCH}
        ${ElseIf} $6 = 0x0A
          StrCpy $LANGUAGE ${LANG_SPANISH}
        ${Else}
          IntPtrOp $4 $4 + 10
          ${Continue}
        ${EndIf}
        ${Break}
      ${Next}
    ${EndIf}
    System::Free $3
  ${EndIf}
!macroend

; Set when the installation closed a running tray agent, so that the new one
; is started in its place and the icon stays where the user had it.
Var AgentWasRunning

; Closes every top-level window of class $R8 and title $R9 and waits, for at
; most CLOSE_TIMEOUT_MS, until none is left and the process of the last one
; has ended: a program's files stay locked until its process is gone, not
; merely its window. The agent's popups share its class and title, so one
; WM_CLOSE may only close a popup; hence the loop.
; Returns in $R7: "none" (nothing ran), "closed", or "running" (gave up).
!macro DEFINE_CLOSE_PROGRAM prefix
Function ${prefix}CloseProgram
  Push $0 ; window
  Push $1 ; its process id
  Push $2 ; a handle of that process, to wait on
  Push $3 ; tick count at the start
  Push $4 ; milliseconds waited so far
  StrCpy $R7 none
  StrCpy $2 0
  System::Call "kernel32::GetTickCount() i .r3"
  ${Do}
    FindWindow $0 "$R8" "$R9"
    ${If} $0 == 0
      ${Break}
    ${EndIf}
    System::Call "kernel32::GetTickCount() i .r4"
    IntOp $4 $4 - $3
    ${If} $4 > ${CLOSE_TIMEOUT_MS}
      StrCpy $R7 running
      ${Break}
    ${EndIf}
    StrCpy $R7 closed
    ${If} $2 != 0
      System::Call "kernel32::CloseHandle(p r2)"
    ${EndIf}
    System::Call "user32::GetWindowThreadProcessId(p r0, *i .r1)"
    System::Call "kernel32::OpenProcess(i ${PROCESS_SYNCHRONIZE}, i 0, i r1) p .r2"
    SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=2000
    ; Returns at once when the process ends; after a closed popup the
    ; process goes on, and the next round finds its next window.
    System::Call "kernel32::WaitForSingleObject(p r2, i 200)"
  ${Loop}
  ${If} $2 != 0
    ${If} $R7 == closed
      System::Call "kernel32::WaitForSingleObject(p r2, i ${CLOSE_TIMEOUT_MS})"
    ${EndIf}
    System::Call "kernel32::CloseHandle(p r2)"
  ${EndIf}
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; Both programs must be closed before their files are replaced or removed.
; The configuration application goes first: it saves its window geometry on
; closing. The agent then ends a running session (execution state, power
; scheme) and removes its tray icon before it exits.
Function ${prefix}CloseRunningPrograms
  StrCpy $AgentWasRunning 0
  ${Do}
    StrCpy $R8 "${CONFIG_CLASS}"
    StrCpy $R9 "${CONFIG_TITLE}"
    Call ${prefix}CloseProgram
    ${If} $R7 != running
      StrCpy $R8 "${AGENT_CLASS}"
      StrCpy $R9 "${AGENT_TITLE}"
      Call ${prefix}CloseProgram
      ${If} $R7 == closed
        StrCpy $AgentWasRunning 1
      ${EndIf}
    ${EndIf}
    ${If} $R7 != running
      ${Break}
    ${EndIf}
    ; A program that does not close (a dialog of its own open, say) would
    ; leave files locked; the user can close it and retry. A silent run
    ; gives up with an error code rather than half replace the files.
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
      "$(StillRunningText)" \
      /SD IDCANCEL IDRETRY retry
    Abort
    retry:
  ${Loop}
FunctionEnd
!macroend
!insertmacro DEFINE_CLOSE_PROGRAM ""
!insertmacro DEFINE_CLOSE_PROGRAM "un."

; The command line on the user's own PATH (the "Path" value under
; HKCU\Environment): its folder holds vigilor.exe alone, so that no program
; finds the Qt and runtime DLLs of the installation folder through PATH.
; NSIS holds at most NSIS_MAX_STRLEN characters in a string: a longer PATH
; would come back empty and be written back so. It is left as it is, and the
; user told; so is a value that is no string. A PATH that holds %VARIABLES%
; is kept unexpanded, with its type.
!define ENVIRONMENT_KEY "Environment"
!define PATH_VALUE "Path"
!define HKCU_HANDLE 0x80000001
!define RRF_RT_ANY 0x0000FFFF
!define RRF_NOEXPAND 0x10000000
!define REG_SZ_TYPE 1
!define REG_EXPAND_SZ_TYPE 2
!define SMTO_ABORTIFHUNG 0x0002

!macro DEFINE_PATH_FUNCTIONS prefix
; Reads the user's PATH into $R0 with its type in $R1; $R2 is "ok",
; "missing" or "untouchable" (too long for NSIS, or no string).
Function ${prefix}ReadUserPath
  Push $0
  Push $1
  Push $2
  StrCpy $R0 ""
  StrCpy $R1 ${REG_EXPAND_SZ_TYPE}
  System::Call "advapi32::RegGetValueW(p ${HKCU_HANDLE}, w '${ENVIRONMENT_KEY}', w '${PATH_VALUE}', i ${RRF_RT_ANY}|${RRF_NOEXPAND}, *i .r0, p 0, *i .r1) i .r2"
  ${If} $2 = 2 ; ERROR_FILE_NOT_FOUND
    StrCpy $R2 missing
  ${ElseIf} $2 <> 0
    StrCpy $R2 untouchable
  ${ElseIf} $0 <> ${REG_SZ_TYPE}
  ${AndIf} $0 <> ${REG_EXPAND_SZ_TYPE}
    StrCpy $R2 untouchable
  ${Else}
    ; Room for a separator and the folder too.
    IntOp $1 $1 / 2
    StrLen $2 "$INSTDIR\bin"
    IntOp $1 $1 + $2
    ${If} $1 >= ${NSIS_MAX_STRLEN}
      StrCpy $R2 untouchable
    ${Else}
      StrCpy $R1 $0
      ReadRegStr $R0 HKCU "${ENVIRONMENT_KEY}" "${PATH_VALUE}"
      StrCpy $R2 ok
    ${EndIf}
  ${EndIf}
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; $R0 without every entry that names $R3 (in any case, with or without a
; trailing backslash) in $R4, the other entries as they were; $R5 is 1 when
; there was one.
Function ${prefix}PathWithout
  Push $0 ; what is left to go through
  Push $1 ; one entry
  Push $2 ; its length
  Push $3 ; the character after it
  StrCpy $R4 ""
  StrCpy $R5 0
  StrCpy $0 $R0
  ${Do}
    StrCpy $2 0
    ${Do}
      StrCpy $3 $0 1 $2
      ${If} $3 == ";"
      ${OrIf} $3 == ""
        ${Break}
      ${EndIf}
      IntOp $2 $2 + 1
    ${Loop}
    StrCpy $1 $0 $2
    ${If} $1 == $R3
    ${OrIf} $1 == "$R3\"
      StrCpy $R5 1
    ${Else}
      StrCpy $R4 "$R4;$1"
    ${EndIf}
    IntOp $2 $2 + 1
    StrCpy $0 $0 "" $2
  ${LoopUntil} $3 == ""
  ; Each entry came with a separator before it.
  StrCpy $R4 $R4 "" 1
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; Programs started from now on (a new console, say) see the change.
Function ${prefix}TellEnvironmentChanged
  System::Call "user32::SendMessageTimeoutW(p ${HWND_BROADCAST}, i ${WM_SETTINGCHANGE}, p 0, w 'Environment', i ${SMTO_ABORTIFHUNG}, i 5000, *p .r0)"
FunctionEnd
!macroend
!insertmacro DEFINE_PATH_FUNCTIONS ""
!insertmacro DEFINE_PATH_FUNCTIONS "un."

Function AddCommandLineToPath
  Call ReadUserPath
  ${If} $R2 == untouchable
    DetailPrint "$(PathTooLongText)"
    Return
  ${EndIf}
  StrCpy $R3 "$INSTDIR\bin"
  Call PathWithout
  ${If} $R5 == 1
    Return
  ${EndIf}
  StrCpy $0 $R0 1 -1
  ${If} $R0 == ""
  ${OrIf} $0 == ";"
    StrCpy $R0 "$R0$R3"
  ${Else}
    StrCpy $R0 "$R0;$R3"
  ${EndIf}
  ${If} $R1 = ${REG_SZ_TYPE}
    WriteRegStr HKCU "${ENVIRONMENT_KEY}" "${PATH_VALUE}" $R0
  ${Else}
    WriteRegExpandStr HKCU "${ENVIRONMENT_KEY}" "${PATH_VALUE}" $R0
  ${EndIf}
  Call TellEnvironmentChanged
FunctionEnd

Function un.RemoveCommandLineFromPath
  Call un.ReadUserPath
  ${If} $R2 != ok
    Return
  ${EndIf}
  StrCpy $R3 "$INSTDIR\bin"
  Call un.PathWithout
  ${If} $R5 == 0
    Return
  ${EndIf}
  ${If} $R4 == ""
    DeleteRegValue HKCU "${ENVIRONMENT_KEY}" "${PATH_VALUE}"
  ${ElseIf} $R1 = ${REG_SZ_TYPE}
    WriteRegStr HKCU "${ENVIRONMENT_KEY}" "${PATH_VALUE}" $R4
  ${Else}
    WriteRegExpandStr HKCU "${ENVIRONMENT_KEY}" "${PATH_VALUE}" $R4
  ${EndIf}
  Call un.TellEnvironmentChanged
FunctionEnd

; Whether Setup runs elevated ("Run as administrator", or started by an
; elevated program), read from its token (TokenElevation).
!define TOKEN_QUERY 0x0008
!define TOKEN_ELEVATION 20
Var Elevated

Function ReadElevation
  StrCpy $Elevated 0
  System::Call 'kernel32::GetCurrentProcess() p .r0'
  System::Call 'advapi32::OpenProcessToken(p r0, i ${TOKEN_QUERY}, *p .r1) i .r2'
  ${If} $2 != 0
    System::Call 'advapi32::GetTokenInformation(p r1, i ${TOKEN_ELEVATION}, *i .r3, i 4, *i .r4) i .r2'
    ${If} $2 != 0
    ${AndIf} $3 != 0
      StrCpy $Elevated 1
    ${EndIf}
    System::Call 'kernel32::CloseHandle(p r1)'
  ${EndIf}
FunctionEnd

; An administrator's password typed at the elevation prompt runs Setup as
; that administrator: the installation would go into his profile and his
; registry, and the user signed in to this Windows session would find none
; of it. Windows names the session's user apart from the token's; where
; either cannot be read (Remote Desktop Services not running), nothing tells
; them apart, and Setup goes on as for the same user.
!define TOKEN_USER 1
!define WTS_CURRENT_SERVER_HANDLE 0
!define WTS_CURRENT_SESSION -1
!define WTS_USER_NAME 5
!define WTS_DOMAIN_NAME 7

; $R0 = "DOMAIN\name" of the user Setup runs as, or "".
Function ReadTokenUser
  StrCpy $R0 ""
  System::Call 'kernel32::GetCurrentProcess() p .r0'
  System::Call 'advapi32::OpenProcessToken(p r0, i ${TOKEN_QUERY}, *p .r1) i .r2'
  ${If} $2 != 0
    ; TOKEN_USER: the SID pointer first, then its attributes and the SID.
    System::Alloc 512
    Pop $3
    System::Call 'advapi32::GetTokenInformation(p r1, i ${TOKEN_USER}, p r3, i 512, *i .r4) i .r2'
    ${If} $2 != 0
      System::Call '*$3(p .r4)'
      System::Call 'advapi32::LookupAccountSidW(p 0, p r4, w .r5, *i ${NSIS_MAX_STRLEN}, w .r6, *i ${NSIS_MAX_STRLEN}, *i .r7) i .r2'
      ${If} $2 != 0
        StrCpy $R0 "$6\$5"
      ${EndIf}
    ${EndIf}
    System::Free $3
    System::Call 'kernel32::CloseHandle(p r1)'
  ${EndIf}
FunctionEnd

; $R1 = "DOMAIN\name" of the user signed in to Setup's Windows session, or "".
Function ReadSessionUser
  StrCpy $R1 ""
  System::Call 'wtsapi32::WTSQuerySessionInformationW(p ${WTS_CURRENT_SERVER_HANDLE}, i ${WTS_CURRENT_SESSION}, i ${WTS_USER_NAME}, *p .r0, *i .r1) i .r2'
  ${If} $2 != 0
    System::Call 'kernel32::lstrcpynW(w .r3, p r0, i ${NSIS_MAX_STRLEN})'
    System::Call 'wtsapi32::WTSFreeMemory(p r0)'
    System::Call 'wtsapi32::WTSQuerySessionInformationW(p ${WTS_CURRENT_SERVER_HANDLE}, i ${WTS_CURRENT_SESSION}, i ${WTS_DOMAIN_NAME}, *p .r0, *i .r1) i .r2'
    ${If} $2 != 0
      System::Call 'kernel32::lstrcpynW(w .r4, p r0, i ${NSIS_MAX_STRLEN})'
      System::Call 'wtsapi32::WTSFreeMemory(p r0)'
      ; Session 0 of services has no user.
      ${If} $3 != ""
        StrCpy $R1 "$4\$3"
      ${EndIf}
    ${EndIf}
  ${EndIf}
FunctionEnd

; Before anything is changed; silently too, with an error code.
Function RefuseAnotherUser
  ${If} $Elevated == 1
    Call ReadTokenUser
    Call ReadSessionUser
    ; StrCmp, and so ${If} ==, ignores case, as Windows does in account names.
    ${If} $R0 != ""
    ${AndIf} $R1 != ""
    ${AndIf} $R0 != $R1
      MessageBox MB_OK|MB_ICONSTOP "$(OtherUserText)" /SD IDOK
      Abort
    ${EndIf}
  ${EndIf}
FunctionEnd

; Starts a program of the installation as the signed-in user, never
; elevated: an elevated program runs with the administrator's rights (and,
; when another administrator's password elevated Setup, as that user). An
; elevated Setup leaves the start to the user's shell: Explorer hands the
; program to the shell that is already running, at the user's own level.
!macro StartAsUser PROGRAM
  ${If} $Elevated == 1
    Exec '"$WINDIR\explorer.exe" "${PROGRAM}"'
  ${Else}
    Exec '"${PROGRAM}"'
  ${EndIf}
!macroend

Function OpenConfiguration
  !insertmacro StartAsUser "$INSTDIR\PCVigilor.exe"
FunctionEnd

; Both programs build paths of at most MAX_PATH characters from "Path" and
; the other program's file name, and a folder at a drive root would leave
; "Path" with a trailing backslash (or none at all).
Function .onVerifyInstDir
  StrLen $0 $INSTDIR
  ${If} $0 > 240
  ${OrIf} $0 < 4
    Abort
  ${EndIf}
FunctionEnd

Section "PC-Vigilor"
  SectionIn RO
  Call CloseRunningPrograms

  SetOutPath "$INSTDIR"
  File "${STAGE}/PCVigilor.exe"
  File "${STAGE}/VigilorTaskbar.exe"
  File "${STAGE}/Qt6Core.dll"
  File "${STAGE}/Qt6Gui.dll"
  File "${STAGE}/Qt6Widgets.dll"
  File "${STAGE}/libstdc++-6.dll"
  File "${STAGE}/libgcc_s_seh-1.dll"
  File "${STAGE}/libwinpthread-1.dll"
  SetOutPath "$INSTDIR\platforms"
  File "${STAGE}/platforms/qwindows.dll"
  SetOutPath "$INSTDIR\styles"
  File "${STAGE}/styles/qwindowsvistastyle.dll"
  SetOutPath "$INSTDIR\bin"
  File "${STAGE}/bin/vigilor.exe"
  ; The programs are started with their own folder as working directory.
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; Only "Path": the user's options and window geometry in the same key
  ; survive an upgrade.
  WriteRegStr HKCU "${SETTINGS_KEY}" "Path" "$INSTDIR"

  CreateShortcut "${SHORTCUT}" "$INSTDIR\PCVigilor.exe" "" "$INSTDIR\PCVigilor.exe" 0
  Call AddCommandLineToPath

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\PCVigilor.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0

  ; Its files could not be replaced while it ran; the new agent takes its
  ; place (a session it was running has ended).
  ${If} $AgentWasRunning == 1
    !insertmacro StartAsUser "$INSTDIR\VigilorTaskbar.exe"
  ${EndIf}
SectionEnd

; Unchecked on a first installation; an upgrade starts from what the user
; chose before (see .onInit), so it neither adds nor removes the value
; unless the user changes the box or passes /AUTOSTART.
Section /o "$(AutostartText)" SecAutostart
  WriteRegStr HKCU "${RUN_KEY}" "${RUN_VALUE}" '"$INSTDIR\VigilorTaskbar.exe"'
SectionEnd

; The user unchecked the box of an earlier choice.
Section "-Autostart off"
  ${IfNot} ${SectionIsSelected} ${SecAutostart}
    DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${EndIf}
SectionEnd

Function un.onInit
  !insertmacro PICK_LANGUAGE
FunctionEnd

Function .onInit
  !insertmacro PICK_LANGUAGE
  Call ReadElevation
  Call RefuseAnotherUser
  ReadRegStr $0 HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${GetParameters} $1
  ClearErrors
  ${GetOptions} $1 "/AUTOSTART" $2
  ${IfNot} ${Errors}
  ${OrIf} $0 != ""
    !insertmacro SelectSection ${SecAutostart}
  ${EndIf}
FunctionEnd

Section "Uninstall"
  Call un.CloseRunningPrograms

  ; File by file, so that nothing the user put into the folder is lost.
  Delete "$INSTDIR\PCVigilor.exe"
  Delete "$INSTDIR\VigilorTaskbar.exe"
  Delete "$INSTDIR\Qt6Core.dll"
  Delete "$INSTDIR\Qt6Gui.dll"
  Delete "$INSTDIR\Qt6Widgets.dll"
  Delete "$INSTDIR\libstdc++-6.dll"
  Delete "$INSTDIR\libgcc_s_seh-1.dll"
  Delete "$INSTDIR\libwinpthread-1.dll"
  Delete "$INSTDIR\platforms\qwindows.dll"
  Delete "$INSTDIR\styles\qwindowsvistastyle.dll"
  Delete "$INSTDIR\bin\vigilor.exe"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR\platforms"
  RMDir "$INSTDIR\styles"
  RMDir "$INSTDIR\bin"
  Call un.RemoveCommandLineFromPath
  RMDir "$INSTDIR"

  Delete "${SHORTCUT}"
  DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegKey HKCU "${SETTINGS_KEY}"
  DeleteRegValue HKCU "${SUITE_KEY}" "VigilorActive"
  ; Other products of the maker may keep their settings there.
  DeleteRegKey /ifempty HKCU "${SUITE_KEY}"
  DeleteRegKey /ifempty HKCU "${MAKER_KEY}"
SectionEnd
