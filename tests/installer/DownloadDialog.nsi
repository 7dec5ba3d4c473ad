; MarlowSetupKit::Download in an installer that shows its pages, from its section: the dialog's
; text line as a helper (MSK_DIALOG_BUTTON) reads it from the control after half of a paced
; download, the Cancel button clicked mid-way, and /SILENT, which shows no window even here.
; Closes by itself.
!include "MskTest.nsh"
!include "MarlowSetupKit.nsh"
!include "TextFunc.nsh"
!include "WordFunc.nsh"
Name "MarlowSetupKit download dialog"
AutoCloseWindow true
ShowInstDetails hide

!ifndef MSK_DIALOG_BUTTON
  !error "MSK_DIALOG_BUTTON: the dialog helper program"
!endif

; The helper finds the dialog by its title, which would otherwise be the installer window's.
!define CAPTION "Velmar Installation"
!define TEXT_LINE 139
!define CANCEL_BUTTON 2

Page instfiles

Var Base
Var Target
Var Helper

; ${StartHelper} CONTROL ACTION MS NAME -- the helper at this process's dialog for up to MS
; milliseconds, writing $PLUGINSDIR\NAME.txt.
!macro StartHelper control action milliseconds name
  Delete "$PLUGINSDIR\${name}.txt"
  System::Call 'kernel32::GetCurrentProcessId() i .r9'
  Exec '"$Helper" "${CAPTION}" ${control} ${action} ${milliseconds} "$PLUGINSDIR\${name}.txt" $9'
!macroend
!define StartHelper "!insertmacro StartHelper"

; ${Field} TEXT N $OUT -- the Nth of the "|"-separated fields of TEXT.
!macro Field text n out
  ${WordFind} `${text}` "|" "+${n}" ${out}
!macroend
!define Field "!insertmacro Field"

Function .onInit
  ${MSK_Init}
FunctionEnd

Section
  InitPluginsDir
  StrCpy $Helper "$PLUGINSDIR\msk_dialog_button.exe"
  File "/oname=$Helper" "${MSK_DIALOG_BUTTON}"
  ${MskTestServerInfo} address $Base
  StrCpy $Base "http://$Base"
  StrCpy $Target "$PLUGINSDIR\payload.bin"

  ; The text line after half of 3,000,000 bytes at 1,000,000 a second, every placeholder in it.
  ${StartHelper} ${TEXT_LINE} text@50 60000 text
  ${MSK_Download} `"/TEXT=@PERCENT@|@RECEIVED@|@TOTAL@|@SPEED@|@REMAINING@" "/CAPTION=${CAPTION}"` \
                  "$Base/bytes?size=3000000&rate=1000000" $Target $0
  ${MskCheck} $0 == "OK" "Download behind the dialog"
  ${MskHelperLine} text 1 $1
  ${WordFind} $1 " " "+5" $2
  ${MskCheck} $2 == $HWNDPARENT "the dialog's owner"
  ${MskHelperLine} text 2 $1
  !insertmacro MskLogLine "the text line after 50 %: $1"
  StrCpy $1 $1 "" 5  ; after "text="
  ${Field} $1 1 $2
  IntOp $3 $2 + 0  ; the number before "%"
  ${MskCheck} "$3%" == $2 "@PERCENT@ is a percentage"
  ${MskCheck} $3 >= 50 "@PERCENT@ after half of the body"
  ${MskCheck} $3 <= 100 "@PERCENT@"
  ; @RECEIVED@ in tenths of a MB, against what the percentage says (2.861 MB in all): one tenth
  ; apart at most, from rounding.
  ${Field} $1 2 $4
  ${WordFind} $4 " " "+1" $5
  ${WordFind} $5 "." "+1" $6
  ${WordFind} $5 "." "-1" $7
  IntOp $6 $6 * 10
  IntOp $6 $6 + $7
  IntOp $8 $3 * 2861
  IntOp $8 $8 / 10000
  IntOp $8 $6 - $8
  ${MskCheck} "$6 $4" == "$6 $5 MB" "@RECEIVED@ in MB"
  ${MskCheck} $8 >= -1 "@RECEIVED@ ($4) at $3"
  ${MskCheck} $8 <= 1 "@RECEIVED@ ($4) at $3"
  ${Field} $1 3 $2
  ${MskCheck} $2 == "2.9 MB" "@TOTAL@"
  ${Field} $1 4 $2
  StrCpy $4 $2 "" -5
  ${MskCheck} $4 == " KB/s" "@SPEED@ of a download paced below 1 MB/s ($2)"
  ${Field} $1 5 $2
  StrCpy $4 $2 "" -2
  ${MskCheck} $4 == " s" "@REMAINING@ ($2)"

  ; Cancel once a tenth has arrived of what would take 30 s: the answer, and no file.
  ${StartHelper} ${CANCEL_BUTTON} click@10 60000 cancel
  ${MSK_Download} `/CANCEL "/CAPTION=${CAPTION}"` "$Base/bytes?size=30000000&rate=1000000" $Target $0
  System::Call 'kernel32::GetTickCount64() l .r5'
  ${MskCheck} $0 == "Cancelled" "Download cancelled from its dialog"
  ${If} ${FileExists} $Target
    ${MskFail} "a cancelled Download left a file"
  ${EndIf}
  ${MskHelperLine} cancel 2 $1
  StrCpy $1 $1 "" 11  ; after "clicked_at="
  System::Int64Op $5 - $1
  Pop $5
  !insertmacro MskLogLine "Download answered $5 ms after Cancel was clicked"

  ; /SILENT: no window while the body arrives (about 1.5 s), although the installer shows its own.
  ${StartHelper} 138 wait 3000 silent
  ${MSK_Download} `/SILENT "/CAPTION=${CAPTION}"` "$Base/bytes?size=300000&rate=200000" $Target $0
  ${MskCheck} $0 == "OK" "Download with /SILENT"
  ${MskHelperLine} silent 1 $1
  ${MskCheck} $1 == "none" "the window Download /SILENT showed"
  ${MskPass}
SectionEnd
