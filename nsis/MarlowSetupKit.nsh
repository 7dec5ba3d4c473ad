; MarlowSetupKit.nsh: NSIS macros for MarlowSetupKit.dll.
;
;   !include "MarlowSetupKit.nsh"   ; after "Unicode true" and "Target"
;   Function .onInit
;     ${MSK_Init}                 ; extracts the DLL into $PLUGINSDIR
;   FunctionEnd
;   ...
;   ${MSK_HTTPDownload} "http://example.test/payload.bin" "$TEMP\payload.bin" $0  ; $0 = 1 or 0
;   ${MSK_Download} "/RETRY=3 /CANCEL" "http://example.test/payload.bin" "$TEMP\payload.bin" $0
;                                                                    ; $0 = "OK" or why not
;
; In the background: start in .onInit, wait where the file is needed:
;   ${MSK_DownloadBackground} "/RETRY=3" "http://example.test/payload.bin" "$TEMP\payload.bin" $R9
;   ${MSK_Wait} "/CANCEL" $R9 $0                                    ; $0 = "OK" or why not
;
; Where makensis finds the DLL: with the release unpacked over NSIS (or next to the script, added
; with "!addplugindir /x86-unicode" and "/amd64-unicode"), in the plug-in folder of the installer's
; target, like any plug-in; nothing else to define. Or, for a DLL anywhere else, define
; MSK_DLL_SOURCE as the file MarlowSetupKit.dll built for the installer's target before including
; this file, which then adds its folder as the plug-in folder for that target.

; Every macro passes its arguments through the stack, so a text may hold " and ' (not the backtick,
; which the macros quote with) and no register is changed except the ones you name for results.
; Works in x86-unicode and amd64-unicode installers and uninstallers. The DLL must keep its file
; name: the skinned progress bar finds its bitmaps by looking the library up as
; "MarlowSetupKit.dll".

!ifndef MARLOWSETUPKIT_NSH
!define MARLOWSETUPKIT_NSH

!if "${NSIS_CHAR_SIZE}" != "2"
  !error "MarlowSetupKit needs a Unicode installer (Unicode true)"
!endif

!ifndef MSK_DLL
  !define MSK_DLL "$PLUGINSDIR\MarlowSetupKit.dll"
!endif

; The plug-in folder: MSK_DLL_SOURCE without its file name, for this target (x86- or amd64-unicode).
!ifdef MSK_DLL_SOURCE
  !searchreplace /ignorecase _MSK_PLUGIN_DIR "${MSK_DLL_SOURCE}" "MarlowSetupKit.dll" ""
  !if "${_MSK_PLUGIN_DIR}" == "${MSK_DLL_SOURCE}"
    !error "MSK_DLL_SOURCE must name a file called MarlowSetupKit.dll (${MSK_DLL_SOURCE})"
  !endif
  !if "${_MSK_PLUGIN_DIR}" == ""
    !define /redef _MSK_PLUGIN_DIR "."
  !endif
  !addplugindir /${NSIS_CPU}-unicode "${_MSK_PLUGIN_DIR}"
!endif

; Calls use the C calling convention (?c); on amd64 there is only one convention and ?c is ignored.

!ifdef MSK_DLL_SOURCE
  !macro MSK_Init
    InitPluginsDir
    File "/oname=${MSK_DLL}" "${MSK_DLL_SOURCE}"
  !macroend
!else
  !if "${MSK_DLL}" != "$PLUGINSDIR\MarlowSetupKit.dll"
    !error "MSK_DLL names another file than the plug-in's own: define MSK_DLL_SOURCE too"
  !endif
  ; A plug-in command makes the installer extract the DLL from the plug-in folder into $PLUGINSDIR
  ; under its own name, where the exports are called; Sha256 of no file answers "" and does nothing
  ; else. Its answer leaves the stack without touching a register.
  !macro MSK_Init
    InitPluginsDir
    MarlowSetupKit::Sha256 ""
    Exch $0
    Pop $0
  !macroend
!endif
!define MSK_Init "!insertmacro MSK_Init"

; Downloads URL into PATH behind the progress dialog. RESULT: 1 when the file is there, else 0.
!macro MSK_HTTPDownload URL PATH RESULT
  Push `${PATH}`
  Push `${URL}`
  System::Call '${MSK_DLL}::HTTPDownload(w s, w s) i .s ?c'
  Pop ${RESULT}
!macroend
!define MSK_HTTPDownload "!insertmacro MSK_HTTPDownload"

; Downloads URL into PATH behind the download dialog with its text line; no window in a silent
; installer; with /PAGE, from a section, on the instfiles page instead. OPTIONS: none ("") or
; several, e.g. "/RETRY=3 /SHA256=<hex> /CANCEL /PAGE"; quote one with spaces inside the others:
; '"/HEADER=X-Channel: beta" "/SIGNER=Velmar Example Co." /RETRY=2'.
; RESULT: "OK", or one line saying why not ("HTTP 404", "Cancelled", "Not signed", ...). See the
; README for every option and result.
!macro MSK_Download OPTIONS URL PATH RESULT
  MarlowSetupKit::Download ${OPTIONS} `${URL}` `${PATH}`
  Pop ${RESULT}
!macroend
!define MSK_Download "!insertmacro MSK_Download"

; Starts downloading URL into PATH in the background and answers at once. OPTIONS: those of
; MSK_Download that apply to the transfer (/RETRY, /STALL, /SHA256, /HEADER, /PROXY ...). ID: the
; download's id (a positive number), or the line saying why it was not started ("Unknown option
; /X", "Missing url or path").
!macro MSK_DownloadBackground OPTIONS URL PATH ID
  MarlowSetupKit::Download /BACKGROUND ${OPTIONS} `${URL}` `${PATH}`
  Pop ${ID}
!macroend
!define MSK_DownloadBackground "!insertmacro MSK_DownloadBackground"

; Waits for the background download ID behind the download dialog (none with /SILENT, in a silent
; installer, or when it has ended already; with /PAGE, from a section, on the instfiles page).
; OPTIONS: "", /SILENT, /PAGE, /CANCEL, /TEXT=pattern. RESULT:
; what MSK_Download would have answered ("OK", "HTTP 404", "Cancelled", ...), or "Unknown id ID".
!macro MSK_Wait OPTIONS ID RESULT
  MarlowSetupKit::Wait ${OPTIONS} `${ID}`
  Pop ${RESULT}
!macroend
!define MSK_Wait "!insertmacro MSK_Wait"

; OUT: PATTERN with the /TEXT placeholders and @STATE@ (waiting, running, done), @RESULT@,
; @RECEIVED_B@ and @TOTAL_B@ filled in for the background download ID; or "Unknown id ID".
!macro MSK_Query ID PATTERN OUT
  MarlowSetupKit::Query `${ID}` `${PATTERN}`
  Pop ${OUT}
!macroend
!define MSK_Query "!insertmacro MSK_Query"

; Ends the background download ID (its partial file removed; MSK_Wait then answers "Cancelled").
; RESULT: "OK", or "Unknown id ID".
!macro MSK_Cancel ID RESULT
  MarlowSetupKit::Cancel `${ID}`
  Pop ${RESULT}
!macroend
!define MSK_Cancel "!insertmacro MSK_Cancel"

; The installer's own pictures from the BMP files in FOLDER, or none of ours with /PLAIN, for every
; dialog and window skin after it. RESULT: "OK", or the line saying why the folder was refused.
!macro MSK_Skin FOLDER RESULT
  MarlowSetupKit::Skin `${FOLDER}`
  Pop ${RESULT}
!macroend
!define MSK_Skin "!insertmacro MSK_Skin"

; OUT: the SHA-256 of FILE as 64 lower-case hex digits, or "" when it cannot be read.
!macro MSK_Sha256 FILE OUT
  MarlowSetupKit::Sha256 `${FILE}`
  Pop ${OUT}
!macroend
!define MSK_Sha256 "!insertmacro MSK_Sha256"

; OUT: the name of FILE's Authenticode signer when its signature is valid and the signer trusted
; for code signing (as its Properties, Digital Signatures, show it), or "" when it is not signed,
; its signature does not fit it, or its signer is not trusted.
!macro MSK_Signer FILE OUT
  MarlowSetupKit::Signer `${FILE}`
  Pop ${OUT}
!macroend
!define MSK_Signer "!insertmacro MSK_Signer"

; The connection-error dialog. RESULT: 1 for "Try Again", 0 for "Cancel" or closing it.
!macro MSK_ShowErrorWindow RESULT
  System::Call '${MSK_DLL}::ShowErrorWindow() i .s ?c'
  Pop ${RESULT}
!macroend
!define MSK_ShowErrorWindow "!insertmacro MSK_ShowErrorWindow"

; Queries with only an output: OUT receives the text (empty when it cannot be had).
!macro _MSK_Query0 EXPORT OUT
  System::Call '${MSK_DLL}::${EXPORT}(w .s) ?c'
  Pop ${OUT}
!macroend
!define MSK_GetSid "!insertmacro _MSK_Query0 GetSid"
!define MSK_GetForcedSid "!insertmacro _MSK_Query0 GetForcedSid"

; Folder queries. CONSOLE_USER: "Yes" (exactly) asks for the console session's user, anything
; else for the installer's own user.
!macro _MSK_Query1 EXPORT CONSOLE_USER OUT
  Push `${CONSOLE_USER}`
  System::Call '${MSK_DLL}::${EXPORT}(w s, w .s) ?c'
  Pop ${OUT}
!macroend
!define MSK_GetLocalAppData "!insertmacro _MSK_Query1 GetLocalAppData"
!define MSK_GetUserStartMenu "!insertmacro _MSK_Query1 GetUserStartMenu"
!define MSK_GetAppData "!insertmacro _MSK_Query1 GetAppData"
!define MSK_GetDesktop "!insertmacro _MSK_Query1 GetDesktop"
!define MSK_GetCommonDesktop "!insertmacro _MSK_Query1 GetCommonDesktop"

; Expands %VARIABLE% references in TEXT for the chosen user.
!macro MSK_Expand CONSOLE_USER TEXT OUT
  Push `${TEXT}`
  Push `${CONSOLE_USER}`
  System::Call '${MSK_DLL}::Expand(w s, w s, w .s) ?c'
  Pop ${OUT}
!macroend
!define MSK_Expand "!insertmacro MSK_Expand"

; One string of FILE's version resource, e.g. KEY "ProductVersion" or "CompanyName".
!macro MSK_GetInfo FILE KEY OUT
  Push `${KEY}`
  Push `${FILE}`
  System::Call '${MSK_DLL}::GetInfo(w s, w s, w .s) ?c'
  Pop ${OUT}
!macroend
!define MSK_GetInfo "!insertmacro MSK_GetInfo"

; Skins the instfiles page: WINDOW is $HWNDPARENT, PROGRESS and STATUS the inner dialog's
; progress bar (1004) and status text (1006). RESULT: 1 when the window was skinned.
!macro MSK_CaptureInstallDialog WINDOW PROGRESS STATUS RESULT
  Push `${STATUS}`
  Push `${PROGRESS}`
  Push `${WINDOW}`
  System::Call '${MSK_DLL}::CaptureInstallDialog(p s, p s, p s) i .s ?c'
  Pop ${RESULT}
!macroend
!define MSK_CaptureInstallDialog "!insertmacro MSK_CaptureInstallDialog"

!macro MSK_CaptureUninstallDialog WINDOW RESULT
  Push `${WINDOW}`
  System::Call '${MSK_DLL}::CaptureUninstallDialog(p s) i .s ?c'
  Pop ${RESULT}
!macroend
!define MSK_CaptureUninstallDialog "!insertmacro MSK_CaptureUninstallDialog"

; Gives the buttons of WINDOW backgrounds cut from the skin; one window at a time until MSK_Unload.
!macro MSK_CaptureDialog WINDOW RESULT
  Push `${WINDOW}`
  System::Call '${MSK_DLL}::CaptureDialog(p s) i .s ?c'
  Pop ${RESULT}
!macroend
!define MSK_CaptureDialog "!insertmacro MSK_CaptureDialog"

; Releases the window captured by MSK_CaptureDialog (call it before the window goes away).
!macro MSK_Unload
  System::Call '${MSK_DLL}::Unload() ?c'
!macroend
!define MSK_Unload "!insertmacro MSK_Unload"

!endif ; MARLOWSETUPKIT_NSH
