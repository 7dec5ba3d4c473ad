; HTTPDownload in an installer: downloads from the loopback test server through
; MarlowSetupKit.nsh as an installer does, and checks the file by its size and by bytes at chosen
; offsets (the server's generated body, tests/server/README.md).
!include "MskTest.nsh"
!include "MarlowSetupKit.nsh"
Name "MarlowSetupKit download"

Var Base
Var Target

; ${ExpectGeneratedBody} SIZE -- $Target holds SIZE bytes of the server's generated body.
!macro ExpectGeneratedBody size
  ClearErrors
  FileOpen $0 $Target r
  ${MskCheck} $0 != "" "opening the downloaded file"
  FileSeek $0 0 END $1
  ${MskCheck} $1 == ${size} "size of the downloaded file"
  ; Around the period's and the step's edges, and the last byte.
  !insertmacro ExpectByteAt 0
  !insertmacro ExpectByteAt 250
  !insertmacro ExpectByteAt 251
  !insertmacro ExpectByteAt 65520
  !insertmacro ExpectByteAt 65521
  IntOp $1 ${size} - 1
  !insertmacro ExpectByteAt $1
  FileClose $0
!macroend

; Byte OFFSET of the open file $0 is ((OFFSET % 65521) + (OFFSET % 65521) / 251) % 256.
!macro ExpectByteAt offset
  FileSeek $0 ${offset} SET
  FileReadByte $0 $2
  IntOp $3 ${offset} % 65521
  IntOp $4 $3 / 251
  IntOp $3 $3 + $4
  IntOp $3 $3 % 256
  ${MskCheck} $2 == $3 "byte ${offset} of the downloaded file"
!macroend

Function .onInit
  ${MSK_Init}
FunctionEnd

Section
  ${MskTestServerInfo} address $Base
  StrCpy $Base "http://$Base"
  StrCpy $Target "$PLUGINSDIR\payload.bin"

  ${MSK_HTTPDownload} "$Base/bytes?size=300007" $Target $0
  ${MskCheck} $0 == 1 "HTTPDownload of 300,007 bytes"
  !insertmacro ExpectGeneratedBody 300007

  ; A second download to the same path replaces the file; it does not append to it.
  ${MSK_HTTPDownload} "$Base/bytes?size=70000" $Target $0
  ${MskCheck} $0 == 1 "HTTPDownload over an existing file"
  !insertmacro ExpectGeneratedBody 70000

  ${MSK_HTTPDownload} "$Base/status/404" "$PLUGINSDIR\missing.bin" $0
  ${MskCheck} $0 == 0 "HTTPDownload of a missing resource"

  ; Where nothing listens: a failure, and no file.
  ${MskTestServerInfo} closed_port $5
  ${MSK_HTTPDownload} "http://127.0.0.1:$5/refused.bin" "$PLUGINSDIR\refused.bin" $0
  ${MskCheck} $0 == 0 "HTTPDownload from a port where nothing listens"
  ${If} ${FileExists} "$PLUGINSDIR\refused.bin"
    ${MskFail} "a refused download left a file"
  ${EndIf}

  ${MskPass}
SectionEnd
