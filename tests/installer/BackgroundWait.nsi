; Wait in an installer that shows its pages: a download started in .onInit, while the dialog helper
; (MSK_DIALOG_BUTTON) clicks through the folder page, is waited for in the section behind the
; download dialog, whose text line the helper reads mid-way; Wait /CANCEL's button cancels the download; a download that has ended answers at once,
; without a window. Closes by itself.
!include "MskTest.nsh"
!include "MarlowSetupKit.nsh"
Name "MarlowSetupKit background wait"
AutoCloseWindow true
ShowInstDetails hide
InstallDir "$TEMP\MskBackgroundWait"  ; nothing is written there; the folder page needs one

!ifndef MSK_DIALOG_BUTTON
  !error "MSK_DIALOG_BUTTON: the dialog helper program"
!endif

; The helper finds the dialog by its title, which would otherwise be the installer window's.
!define CAPTION "Velmar Installation"
!define TEXT_LINE 139
!define CANCEL_BUTTON 2

Page directory
Page instfiles

Var Base
Var Helper
Var Payload

; ${StartHelper} CONTROL ACTION MS NAME -- the helper at this process's dialog for up to MS
; milliseconds, writing $PLUGINSDIR\NAME.txt.
!macro StartHelper control action milliseconds name
  Delete "$PLUGINSDIR\${name}.txt"
  System::Call 'kernel32::GetCurrentProcessId() i .r9'
  Exec '"$Helper" "${CAPTION}" ${control} ${action} ${milliseconds} "$PLUGINSDIR\${name}.txt" $9'
!macroend
!define StartHelper "!insertmacro StartHelper"

Function .onInit
  ${MSK_Init}
  ${MskTestServerInfo} address $Base
  StrCpy $Base "http://$Base"
  ; 20 s of body: still running when the section waits, also under emulation, where clicking
  ; through the folder page takes seconds.
  ${MSK_DownloadBackground} "" "$Base/bytes?size=6000000&rate=300000" "$PLUGINSDIR\payload.bin" \
                            $Payload
  StrCpy $Helper "$PLUGINSDIR\msk_dialog_button.exe"
  File "/oname=$Helper" "${MSK_DIALOG_BUTTON}"
  Exec '"$Helper" "MarlowSetupKit background wait Setup: Installation Folder" 1 click 60000'
FunctionEnd

Section
  ${StartHelper} ${TEXT_LINE} text@50 60000 text
  ${MSK_Wait} `"/TEXT=@PERCENT@ of @TOTAL@" "/CAPTION=${CAPTION}"` $Payload $0
  ${MskCheck} $0 == "OK" "Wait behind the dialog"
  ${MskHelperLine} text 2 $1
  !insertmacro MskLogLine "the text line after 50 %: $1"
  StrCpy $2 $1 "" -11
  ${MskCheck} $2 == "% of 5.7 MB" "the text line of the Wait dialog"
  ${MSK_Sha256} "$PLUGINSDIR\payload.bin" $1
  ${MskCheck} $1 == "c6c4c3a32317c9405c5116c79daea18abf45cb6b0cb582387d4cf6b51a8b9731" \
              "the file waited for"

  ; Ended already: the answer at once, and no window.
  ${StartHelper} 138 wait 2000 again
  ${MSK_Wait} `"/CAPTION=${CAPTION}"` $Payload $0
  ${MskCheck} $0 == "OK" "Wait for a download that has ended"
  ${MskHelperLine} again 1 $1
  ${MskCheck} $1 == "none" "the window of a Wait for a download that has ended"

  ; Cancel on the Wait dialog, once a tenth of 30 s has arrived.
  ${MSK_DownloadBackground} "" "$Base/bytes?size=30000000&rate=1000000" \
                            "$PLUGINSDIR\cancelled.bin" $Payload
  ${StartHelper} ${CANCEL_BUTTON} click@10 60000 cancel
  ${MSK_Wait} `/CANCEL "/CAPTION=${CAPTION}"` $Payload $0
  ${MskCheck} $0 == "Cancelled" "Wait cancelled from its dialog"
  ${If} ${FileExists} "$PLUGINSDIR\cancelled.bin"
    ${MskFail} "a download cancelled from the Wait dialog left a file"
  ${EndIf}
  ${MskPass}
SectionEnd
