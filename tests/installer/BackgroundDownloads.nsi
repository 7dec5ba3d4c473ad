; Background downloads in a silent installer, through the macros as scripts call them: three at
; once from a paced server, Query while one runs, Cancel, a failure and a resumed retry answered
; at Wait, HTTPDownload in the foreground meanwhile, unknown ids and arguments that start nothing.
; The x86 build runs this in the emulated guest.
!include "MskTest.nsh"
!include "MarlowSetupKit.nsh"
!include "GeneratedBody.nsh"
Name "MarlowSetupKit background downloads"

!define BODY_600000_SHA256 "d0c919736a0b84d1c37edbda764963fb7bc0078639391d8fc9bdef808d25a44a"
!define BODY_3000000_SHA256 "99f8e21e51296b46f208f38998c0b1cd80dbc82a5d66fcb515fc7f4afcadd81d"

Var Base
Var Start

!macro Tick out
  System::Call 'kernel32::GetTickCount64() l .s'
  Pop ${out}
!macroend

Function .onInit
  ${MSK_Init}
FunctionEnd

Section
  ${MskTestServerInfo} address $Base
  StrCpy $Base "http://$Base"

  ; Three of about 3 s each, started together, then waited for: together well under the sum.
  !insertmacro Tick $Start
  ${MSK_DownloadBackground} "" "$Base/bytes?size=600000&rate=200000" "$PLUGINSDIR\a.bin" $R1
  ${MSK_DownloadBackground} "/RETRY=1" "$Base/bytes?size=600000&rate=200000" "$PLUGINSDIR\b.bin" $R2
  ${MSK_DownloadBackground} "/SHA256=${BODY_600000_SHA256}" "$Base/bytes?size=600000&rate=200000" \
                            "$PLUGINSDIR\c.bin" $R3
  ${MskCheck} "$R1 $R2 $R3" == "1 2 3" "the ids of three background downloads"
  ; While the first runs: its state and size, and its bytes, growing.
  ${Do}
    Sleep 20
    ${MSK_Query} $R1 "@STATE@" $R4
  ${LoopUntil} $R4 != "waiting"
  ${MSK_Query} $R1 "@STATE@|@TOTAL_B@|@TOTAL@|@RESULT@|" $R4
  ${MskCheck} $R4 == "running|600000|585.9 KB||" "Query while running"
  ${MSK_Query} $R1 "@RECEIVED_B@" $R5
  Sleep 500
  ${MSK_Query} $R1 "@RECEIVED_B@" $R6
  !insertmacro MskLogLine "@RECEIVED_B@ while running: $R5, half a second later $R6"
  ${MskCheck} $R6 > $R5 "@RECEIVED_B@ half a second later"
  ${MSK_Wait} "" $R1 $0
  ${MskCheck} $0 == "OK" "Wait for the first"
  ${MSK_Wait} "/SILENT" $R2 $0
  ${MskCheck} $0 == "OK" "Wait for the second"
  ${MSK_Wait} "/CANCEL /TEXT=@PERCENT@" $R3 $0
  ${MskCheck} $0 == "OK" "Wait for the third (with its checksum)"
  !insertmacro Tick $R4
  IntOp $R4 $R4 - $Start
  !insertmacro MskLogLine "three background downloads of about 3 s each took $R4 ms"
  ${MskCheck} $R4 < 9000 "the time three background downloads take together"
  ${ExpectGeneratedBody} "$PLUGINSDIR\a.bin" 600000
  ${ExpectGeneratedBody} "$PLUGINSDIR\b.bin" 600000
  ${ExpectGeneratedBody} "$PLUGINSDIR\c.bin" 600000
  ; Waiting again answers the same; Query of an ended one says so.
  ${MSK_Wait} "" $R1 $0
  ${MskCheck} $0 == "OK" "Wait twice"
  ${MSK_Query} $R1 "@STATE@ @RESULT@ @RECEIVED_B@/@TOTAL_B@ @PERCENT@" $0
  ${MskCheck} $0 == "done OK 600000/600000 100%" "Query when done"

  ; Cancel during a transfer of 30 s: the line at Wait, and no file.
  ${MSK_DownloadBackground} "" "$Base/bytes?size=3000000&rate=100000" "$PLUGINSDIR\cancel.bin" $R1
  ${Do}
    Sleep 20
  ${LoopUntil} ${FileExists} "$PLUGINSDIR\cancel.bin"
  ${MSK_Cancel} $R1 $0
  ${MskCheck} $0 == "OK" "Cancel"
  ${If} ${FileExists} "$PLUGINSDIR\cancel.bin"
    ${MskFail} "a cancelled background download left a file"
  ${EndIf}
  ${MSK_Wait} "" $R1 $0
  ${MskCheck} $0 == "Cancelled" "Wait after Cancel"
  ${MSK_Query} $R1 "@STATE@ @RESULT@" $0
  ${MskCheck} $0 == "done Cancelled" "Query after Cancel"

  ; A failure, and a retry that resumes after a dropped connection, answered at Wait; an
  ; HTTPDownload in the foreground meanwhile.
  ${MSK_DownloadBackground} "" "$Base/status/404" "$PLUGINSDIR\missing.bin" $R1
  ${MSK_DownloadBackground} "/RETRY=2" \
      "$Base/bytes?size=3000000&drop_after=1000000&drop_unranged=1&etag=v1&rate=1000000" \
      "$PLUGINSDIR\resumed.bin" $R2
  ${MSK_HTTPDownload} "$Base/bytes?size=600000" "$PLUGINSDIR\foreground.bin" $0
  ${MskCheck} $0 == 1 "HTTPDownload while background downloads run"
  ${ExpectGeneratedBody} "$PLUGINSDIR\foreground.bin" 600000
  ${MSK_Wait} "" $R1 $0
  ${MskCheck} $0 == "HTTP 404" "Wait for a missing resource"
  ${MSK_Wait} "" $R2 $0
  ${MskCheck} $0 == "OK" "Wait for a download that resumed"
  ${MSK_Sha256} "$PLUGINSDIR\resumed.bin" $0
  ${MskCheck} $0 == ${BODY_3000000_SHA256} "the resumed file"

  ; Ids that name nothing; arguments that start nothing.
  ${MSK_Wait} "" 99 $0
  ${MskCheck} $0 == "Unknown id 99" "Wait for an unknown id"
  ${MSK_Query} "x" "@STATE@" $0
  ${MskCheck} $0 == "Unknown id x" "Query of an unknown id"
  ${MSK_Cancel} 0 $0
  ${MskCheck} $0 == "Unknown id 0" "Cancel of an unknown id"
  ${MSK_Wait} "/NOSUCH" 1 $0
  ${MskCheck} $0 == "Unknown option /NOSUCH" "Wait with an unknown option"
  ${MSK_DownloadBackground} "/NOSUCH" "$Base/bytes?size=10" "$PLUGINSDIR\none.bin" $0
  ${MskCheck} $0 == "Unknown option /NOSUCH" "a background download with an unknown option"
  ${MSK_DownloadBackground} "" "" "$PLUGINSDIR\none.bin" $0
  ${MskCheck} $0 == "Missing url or path" "a background download without a url"
  ${MSK_DownloadBackground} "" "$Base/bytes?size=10" "$PLUGINSDIR\next.bin" $0
  ${MskCheck} $0 == 7 "the id after those that started nothing"
  ${MskPass}
SectionEnd
