; HTTPDownload in an installer: downloads from the loopback test server through
; MarlowSetupKit.nsh as an installer does, and checks the file by its size and by bytes at chosen
; offsets (the server's generated body, tests/server/README.md).
!include "MskTest.nsh"
!include "MarlowSetupKit.nsh"
!include "GeneratedBody.nsh"
Name "MarlowSetupKit download"

Var Base
Var Target

Function .onInit
  ${MSK_Init}
FunctionEnd

Section
  ${MskTestServerInfo} address $Base
  StrCpy $Base "http://$Base"
  StrCpy $Target "$PLUGINSDIR\payload.bin"

  ${MSK_HTTPDownload} "$Base/bytes?size=300007" $Target $0
  ${MskCheck} $0 == 1 "HTTPDownload of 300,007 bytes"
  ${ExpectGeneratedBody} $Target 300007

  ; A second download to the same path replaces the file; it does not append to it.
  ${MSK_HTTPDownload} "$Base/bytes?size=70000" $Target $0
  ${MskCheck} $0 == 1 "HTTPDownload over an existing file"
  ${ExpectGeneratedBody} $Target 70000

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
