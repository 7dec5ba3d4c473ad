; Download /PAGE and Wait /PAGE in an installer that shows its pages: the progress on the instfiles
; page's own bar and status text, read back mid-transfer by the dialog helper (MSK_DIALOG_BUTTON),
; no download dialog meanwhile, and the page as it was afterwards; /PAGE /CANCEL and a click on the
; installer's own Cancel button cancel the download, and the installer goes on with its next
; section; in .onInit, with no page yet, /PAGE shows the download dialog. Closes by itself.
!include "MskTest.nsh"
!include "MarlowSetupKit.nsh"
!include "WordFunc.nsh"
Name "MarlowSetupKit page progress"
AutoCloseWindow true

!ifndef MSK_DIALOG_BUTTON
  !error "MSK_DIALOG_BUTTON: the dialog helper program"
!endif

!define INSTALLER "MarlowSetupKit page progress Setup: Installing"
!define POPUP "Velmar Installation"
!define POPUP_TEXT_LINE 139
!define STATUS_TEXT 1006
!define CANCEL_BUTTON 2
!define PBM_GETRANGE 0x407
!define PBS_MARQUEE 8

Page instfiles

Var Base
Var Helper
Var Bar
Var Status
Var Cancel
Var Before
Var Payload

; ${StartHelper} CAPTION CONTROL ACTION MS NAME -- the helper at this process's window CAPTION for
; up to MS milliseconds, writing $PLUGINSDIR\NAME.txt.
!macro StartHelper caption control action milliseconds name
  Delete "$PLUGINSDIR\${name}.txt"
  System::Call 'kernel32::GetCurrentProcessId() i .r9'
  Exec '"$Helper" "${caption}" ${control} ${action} ${milliseconds} "$PLUGINSDIR\${name}.txt" $9'
!macroend
!define StartHelper "!insertmacro StartHelper"

; ${PageState} $OUT -- what the page shows besides the bar's position: "range high|marquee style|
; status text|Cancel enabled|Cancel's text". Uses $R0 to $R4.
!macro PageState out
  SendMessage $Bar ${PBM_GETRANGE} 0 0 $R0
  System::Call 'user32::GetWindowLongW(p $Bar, i -16) i .R1'
  IntOp $R1 $R1 & ${PBS_MARQUEE}
  System::Call 'user32::GetWindowTextW(p $Status, w .R2, i ${NSIS_MAX_STRLEN})'
  System::Call 'user32::IsWindowEnabled(p $Cancel) i .R3'
  System::Call 'user32::GetWindowTextW(p $Cancel, w .R4, i ${NSIS_MAX_STRLEN})'
  StrCpy ${out} "$R0|$R1|$R2|$R3|$R4"
!macroend
!define PageState "!insertmacro PageState"

Function .onInit
  ${MSK_Init}
  ${MskTestServerInfo} address $Base
  StrCpy $Base "http://$Base"
  StrCpy $Helper "$PLUGINSDIR\msk_dialog_button.exe"
  File "/oname=$Helper" "${MSK_DIALOG_BUTTON}"
  ; No page to show it on yet: the download dialog instead, for 6 s (the helper may take seconds
  ; to start under emulation).
  ${StartHelper} "${POPUP}" ${POPUP_TEXT_LINE} wait 60000 oninit
  ${MSK_Download} "/PAGE" "$Base/bytes?size=3000000&rate=500000" "$PLUGINSDIR\oninit.bin" $0
  ${MskCheck} $0 == "OK" "Download /PAGE in .onInit"
  ${MskHelperLine} oninit 1 $1
  ${MskCheck} $1 != "none" "the download dialog of Download /PAGE in .onInit"
FunctionEnd

Section "on the page"
  FindWindow $0 "#32770" "" $HWNDPARENT
  GetDlgItem $Bar $0 1004
  GetDlgItem $Status $0 ${STATUS_TEXT}
  GetDlgItem $Cancel $HWNDPARENT ${CANCEL_BUTTON}

  ; The status text after half of 6,000,000 bytes at 1,000,000 a second, and no dialog of ours.
  ${StartHelper} "${INSTALLER}" ${STATUS_TEXT} text@50 60000 text
  ${StartHelper} "${POPUP}" ${POPUP_TEXT_LINE} wait 3000 popup
  DetailPrint "before the download"
  ${PageState} $Before
  ${MSK_Download} '/PAGE "/TEXT=page @PERCENT@ of @TOTAL@"' "$Base/bytes?size=6000000&rate=1000000" \
                  "$PLUGINSDIR\page.bin" $0
  ${MskCheck} $0 == "OK" "Download /PAGE"
  ${PageState} $1
  ${MskCheck} $1 == $Before "the page after Download /PAGE"
  ${MskHelperLine} text 2 $1
  ${MskHelperLine} text 3 $2
  !insertmacro MskLogLine "the status text after 50 %: $1, $2"
  StrCpy $3 $1 10
  ${MskCheck} $3 == "text=page " "the status text shows the text line"
  StrCpy $3 $1 "" -10
  ${MskCheck} $3 == " of 5.7 MB" "the status text shows the text line"
  ${WordFind} $2 "/" "+1" $3
  StrCpy $3 $3 "" 4  ; after "bar="
  ${WordFind} $2 "/" "-1" $4
  ${MskCheck} $4 == "100" "the bar's range while it shows the percentage"
  ${MskCheck} $3 >= 50 "the bar's position after half of the body"
  ${MskHelperLine} popup 1 $1
  ${MskCheck} $1 == "none" "the download dialog during Download /PAGE"

  ; The installer's Cancel, clicked once a tenth of 30 s has arrived, ends the download only.
  ${StartHelper} "${INSTALLER}" ${CANCEL_BUTTON} click@10 60000 cancel
  DetailPrint "before the cancelled download"
  ${PageState} $Before
  ${MSK_Download} "/PAGE /CANCEL" "$Base/bytes?size=30000000&rate=1000000" \
                  "$PLUGINSDIR\cancelled.bin" $0
  ${MskCheck} $0 == "Cancelled" "Download /PAGE /CANCEL cancelled from the installer's button"
  ${If} ${FileExists} "$PLUGINSDIR\cancelled.bin"
    ${MskFail} "a download cancelled on the page left a file"
  ${EndIf}
  ${PageState} $1
  ${MskCheck} $1 == $Before "the page after a cancelled Download /PAGE"
SectionEnd

Section "after the cancel"
  ; A body of unknown size, started before and running when Wait shows it: the bar's marquee.
  ${MSK_DownloadBackground} "" "$Base/bytes?size=8000000&rate=1000000&length=none" \
                            "$PLUGINSDIR\waited.bin" $Payload
  Sleep 500
  ${StartHelper} "${INSTALLER}" ${STATUS_TEXT} text@0 60000 wait
  DetailPrint "before the wait"
  ${PageState} $Before
  ${MSK_Wait} `/PAGE "/TEXT=wait @RECEIVED@ of @TOTAL@"` $Payload $0
  ${MskCheck} $0 == "OK" "Wait /PAGE"
  ${PageState} $1
  ${MskCheck} $1 == $Before "the page after Wait /PAGE"
  ${MskHelperLine} wait 2 $1
  ${MskHelperLine} wait 3 $2
  !insertmacro MskLogLine "the status text during Wait /PAGE: $1, $2"
  StrCpy $3 $1 10
  ${MskCheck} $3 == "text=wait " "the status text shows Wait's text line"
  StrCpy $3 $1 "" -4
  ${MskCheck} $3 == "of ?" "the status text without a size"
  StrCpy $3 $2 "" -12
  ${MskCheck} $3 == "/100 marquee" "the bar without a size"
  ${MskPass}
SectionEnd
