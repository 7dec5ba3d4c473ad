; ShowErrorWindow in an installer: a helper process plays the user at the connection-error dialog
; (tests/ui/nsis/DialogButton.cpp, embedded as MSK_DIALOG_BUTTON) while the installer waits in the
; dialog's modal loop. Each answer must come back as the result.
!include "MskTest.nsh"
!include "MarlowSetupKit.nsh"
Name "MarlowSetupKit error window"

!ifndef MSK_DIALOG_BUTTON
  !error "MSK_DIALOG_BUTTON: the dialog helper program"
!endif

; ${AnswerErrorWindow} CONTROL ACTION EXPECTED "what" -- starts the helper (it waits for the dialog
; by itself), shows the dialog and checks the result.
!macro AnswerErrorWindow control action expected what
  Exec '"$PLUGINSDIR\msk_dialog_button.exe" "Velmar Installation" ${control} ${action} 60000'
  ${MSK_ShowErrorWindow} $0
  ${MskCheck} $0 == ${expected} "ShowErrorWindow answered with ${what}"
!macroend

Function .onInit
  ${MSK_Init}
FunctionEnd

Section
  File "/oname=$PLUGINSDIR\msk_dialog_button.exe" "${MSK_DIALOG_BUTTON}"
  !insertmacro AnswerErrorWindow 1002 click 1 "Try Again"
  !insertmacro AnswerErrorWindow 1001 click 0 "Cancel"
  !insertmacro AnswerErrorWindow 1002 close 0 "closing the window"
  ; The dialog can be shown again after each answer.
  !insertmacro AnswerErrorWindow 1002 click 1 "Try Again, a second time"
  ${MskPass}
SectionEnd
