; MarlowSetupKit::Download's dialog in the installer's language, from the section of an installer
; that shows its pages and speaks English, German and Japanese; built once for each language to run
; in (MSK_TEST_LANGUAGE, a LANGID). Helpers (MSK_DIALOG_BUTTON) read the dialog's heading, Cancel
; button and text line back from their controls: in the installer's language under the installer
; window's title; in English for a language without words of its own; and as the script gave them
; with /CAPTION, /HEADING and /CANCELTEXT. The result lines stay English. Closes by itself.
!include "MskTest.nsh"
!include "MarlowSetupKit.nsh"
!include "WordFunc.nsh"
Name "MarlowSetupKit languages"
AutoCloseWindow true
ShowInstDetails hide

LoadLanguageFile "${NSISDIR}\Contrib\Language files\English.nlf"
LoadLanguageFile "${NSISDIR}\Contrib\Language files\German.nlf"
LoadLanguageFile "${NSISDIR}\Contrib\Language files\Japanese.nlf"

!ifndef MSK_DIALOG_BUTTON | MSK_TEST_LANGUAGE
  !error "MSK_DIALOG_BUTTON: the dialog helper program; MSK_TEST_LANGUAGE: the LANGID to run in"
!endif

!if ${MSK_TEST_LANGUAGE} == 1031
  !define HEADING "Herunterladen von payload.bin..."
  !define CANCEL "Abbrechen"
  !define OF_TOTAL " MB von "
  !define TIME_LEFT " verbleibend"
!else if ${MSK_TEST_LANGUAGE} == 1041
  !define HEADING "payload.bin をダウンロードしています..."
  !define CANCEL "キャンセル"
  !define OF_TOTAL " MB / "
  !define TIME_LEFT "残り "
!else
  !error "MSK_TEST_LANGUAGE: 1031 or 1041"
!endif

!define HEADING_LINE 140
!define TEXT_LINE 139
!define CANCEL_BUTTON 2
; Six seconds of body: long enough for three helpers that start slowly under emulation to find the
; dialog while it runs.
!define URL_PATH "bytes?size=3000000&rate=500000"

Page instfiles

Var Base
Var Target
Var Helper
Var Title

; ${StartHelper} TITLE CONTROL NAME -- a helper reading CONTROL of this process's dialog titled
; TITLE once half of the download has arrived, into $PLUGINSDIR\NAME.txt.
!macro StartHelper title control name
  Delete "$PLUGINSDIR\${name}.txt"
  System::Call 'kernel32::GetCurrentProcessId() i .r9'
  Exec '"$Helper" "${title}" ${control} text@50 60000 "$PLUGINSDIR\${name}.txt" $9'
!macroend
!define StartHelper "!insertmacro StartHelper"

; ${ReadBack} NAME $OUT -- what the helper NAME read, without "text=".
!macro ReadBack name out
  ${MskHelperLine} ${name} 2 ${out}
  StrCpy ${out} ${out} "" 5
!macroend
!define ReadBack "!insertmacro ReadBack"

; ${MskContains} TEXT PART "what is checked"
!macro MskContains text part message
  ClearErrors
  ${WordFind} `${text}` `${part}` "E#" $R0
  ${If} ${Errors}
    ${MskFail} `${message}: '${part}' not in '${text}'`
  ${EndIf}
!macroend
!define MskContains "!insertmacro MskContains"

; ${Popup} OPTIONS TITLE -- a paced download behind the dialog titled TITLE, its heading, Cancel
; button and text line read back into $1, $2 and $3.
!macro Popup options title
  ${StartHelper} `${title}` ${HEADING_LINE} heading
  ${StartHelper} `${title}` ${HEADING_LINE}/${CANCEL_BUTTON} cancel
  ${StartHelper} `${title}` ${TEXT_LINE} text
  ${MSK_Download} `/CANCEL ${options}` "$Base/${URL_PATH}" $Target $0
  ${MskCheck} $0 == "OK" "the download behind the dialog"
  ${ReadBack} heading $1
  ${ReadBack} cancel $2
  ${ReadBack} text $3
  !insertmacro MskLogLine `$LANGUAGE: '$1' '$2' '$3'`
!macroend
!define Popup "!insertmacro Popup"

Function .onInit
  ${MSK_Init}
  StrCpy $LANGUAGE ${MSK_TEST_LANGUAGE}
FunctionEnd

Section
  InitPluginsDir
  StrCpy $Helper "$PLUGINSDIR\msk_dialog_button.exe"
  File "/oname=$Helper" "${MSK_DIALOG_BUTTON}"
  ${MskTestServerInfo} address $Base
  StrCpy $Base "http://$Base"
  StrCpy $Target "$PLUGINSDIR\payload.bin"
  ; The dialog takes the installer window's title: the helper finds it by that.
  System::Call 'user32::GetWindowTextW(p $HWNDPARENT, w .r7, i ${NSIS_MAX_STRLEN}) i'
  StrCpy $Title $7
  ${MskCheck} $Title != "" "the installer window's title"

  ${Popup} "" $Title
  ${MskCheck} $1 == "${HEADING}" "the heading in the installer's language"
  ${MskCheck} $2 == "${CANCEL}" "Cancel in the installer's language"
  ${MskContains} $3 "${OF_TOTAL}" "the text line in the installer's language"
  ${MskContains} $3 "${TIME_LEFT}" "the text line in the installer's language"
  !if ${MSK_TEST_LANGUAGE} == 1031
    ${MskContains} $3 "," "the German decimal comma"
  !endif

  ; Dutch: no words of its own.
  StrCpy $LANGUAGE 1043
  ${Popup} "" $Title
  ${MskCheck} $1 == "Downloading payload.bin..." "the heading in a language without words"
  ${MskCheck} $2 == "Cancel" "Cancel in a language without words"
  ${MskContains} $3 " MB of " "the text line in a language without words"
  StrCpy $LANGUAGE ${MSK_TEST_LANGUAGE}

  ${Popup} `"/CAPTION=Velmar – Ihr Download" "/HEADING=Die Daten für Velmar kommen" /CANCELTEXT=Stopp` \
           "Velmar – Ihr Download"
  ${MskCheck} $1 == "Die Daten für Velmar kommen" "/HEADING"
  ${MskCheck} $2 == "Stopp" "/CANCELTEXT"
  ${MskContains} $3 "${OF_TOTAL}" "the text line beside the script's texts"
  ${MskPass}
SectionEnd
