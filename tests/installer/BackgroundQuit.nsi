; The installer quits while background downloads run: a child installer (this one, run with
; /CHILD=folder) starts two slow downloads in .onInit and shows its first page, where the dialog
; helper clicks Cancel. The parent, which shows no window, checks that the child exited within a
; second of the click (stretched in the emulated guest) and left no partial file.
!include "MskTest.nsh"
!include "MarlowSetupKit.nsh"
!include "FileFunc.nsh"
Name "MarlowSetupKit background quit"

!ifndef MSK_DIALOG_BUTTON
  !error "MSK_DIALOG_BUTTON: the dialog helper program"
!endif

Page directory
Page instfiles

Var Child  ; the child's download folder; empty in the parent

!macro Tick out
  System::Call 'kernel32::GetTickCount64() l .s'
  Pop ${out}
!macroend

Function .onInit
  ${MSK_Init}
  ${GetParameters} $0
  ${GetOptions} $0 "/CHILD=" $Child
  ${If} $Child != ""
    ${MskTestServerInfo} address $1
    ; 30 s each.
    ${MSK_DownloadBackground} "" "http://$1/bytes?size=3000000&rate=100000" "$Child\one.bin" $2
    ${MSK_DownloadBackground} "" "http://$1/bytes?size=3000000&rate=100000" "$Child\two.bin" $3
    ; Until bytes of both have arrived.
    StrCpy $4 0
    ${DoUntil} ${FileExists} "$Child\two.bin"
      Sleep 20
      IntOp $4 $4 + 1
      ${If} $4 > 500
        ${MskFail} "no byte of the background downloads arrived within 10 s"
      ${EndIf}
      ${IfNot} ${FileExists} "$Child\one.bin"
        ${Continue}
      ${EndIf}
    ${Loop}
    Return  ; to the first page, and the helper's click
  ${EndIf}

  File "/oname=$PLUGINSDIR\msk_dialog_button.exe" "${MSK_DIALOG_BUTTON}"
  CreateDirectory "$PLUGINSDIR\child"
  Exec '"$PLUGINSDIR\msk_dialog_button.exe" "MarlowSetupKit background quit Setup: Installation Folder" 2 click 60000 "$PLUGINSDIR\quit.txt"'
  ExecWait '"$EXEPATH" /CHILD=$PLUGINSDIR\child' $0
  !insertmacro Tick $1
  ${MskHelperLine} quit 2 $2
  StrCpy $2 $2 "" 11  ; after "clicked_at="
  IntOp $1 $1 - $2
  !insertmacro MskLogLine "the installer exited $1 ms after its Cancel was clicked (code $0)"
  ${MskWallClockLimit} 1000 $3
  ${MskCheck} $1 < $3 "the time from the click on Cancel to the installer's exit"
  ${If} ${FileExists} "$PLUGINSDIR\child\*.bin"
    ${MskFail} "a background download left a partial file when the installer quit"
  ${EndIf}
  ${MskPass}
  Abort  ; the parent shows nothing
FunctionEnd

Section
SectionEnd
