; HTTPDownload from a server that stops sending mid-body and keeps the connection open: the
; download gives up by itself (the user cannot close its dialog), answers 0 and leaves no file,
; and the next HTTPDownload, as after "Try Again", works. Logs how long the stalled one took.
!include "MskTest.nsh"
!include "MarlowSetupKit.nsh"
Name "MarlowSetupKit stalled download"

Function .onInit
  ${MSK_Init}
FunctionEnd

Section
  ${MskTestServerInfo} address $5
  StrCpy $5 "http://$5"
  StrCpy $6 "$PLUGINSDIR\payload.bin"

  ; 1,000 of 5,000,000 bytes, then nothing for 150 s: far longer than the download may wait.
  System::Call 'kernel32::GetTickCount() i .r7'
  ${MSK_HTTPDownload} "$5/bytes?size=5000000&stall_after=1000&stall=150" $6 $0
  System::Call 'kernel32::GetTickCount() i .r8'
  IntOp $8 $8 - $7
  !insertmacro MskLogLine "a stalled HTTPDownload returned $0 after $8 ms"
  ${MskCheck} $0 == 0 "HTTPDownload from a stalled server"
  ${If} ${FileExists} $6
    ${MskFail} "a stalled download left a file"
  ${EndIf}

  ${MSK_HTTPDownload} "$5/bytes?size=4000" $6 $0
  ${MskCheck} $0 == 1 "HTTPDownload after a stalled one"
  ClearErrors
  FileOpen $1 $6 r
  ${MskCheck} $1 != "" "opening the second download"
  FileSeek $1 0 END $2
  FileClose $1
  ${MskCheck} $2 == 4000 "size of the second download"

  ${MskPass}
SectionEnd
