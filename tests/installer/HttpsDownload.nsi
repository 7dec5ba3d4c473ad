; HTTPDownload over HTTPS in an installer. The test CA goes into the machine's ROOT store first, as
; a company installs its root (the helper program MSK_TRUST_TEST_CA, embedded); then only a server
; with a certificate for its name from a trusted root delivers, every other certificate gives 0
; and no file, and a redirect may lead from http to https but not back.
!include "MskTest.nsh"
!include "MarlowSetupKit.nsh"
!include "GeneratedBody.nsh"
Name "MarlowSetupKit HTTPS download"

!ifndef MSK_TRUST_TEST_CA
  !error "MSK_TRUST_TEST_CA: the program that installs the test CA"
!endif

Var Http
Var Https

; ${ExpectNoDownload} URL "what" -- HTTPDownload answers 0 and leaves no file.
!macro ExpectNoDownload url what
  ${MSK_HTTPDownload} `${url}` "$PLUGINSDIR\refused.bin" $0
  ${MskCheck} $0 == 0 "HTTPDownload ${what}"
  ${If} ${FileExists} "$PLUGINSDIR\refused.bin"
    ${MskFail} "HTTPDownload ${what} left a file"
  ${EndIf}
!macroend
!define ExpectNoDownload "!insertmacro ExpectNoDownload"

; ${HttpsBase} CERTIFICATE $OUT -- https://localhost:PORT of the listener with that certificate.
!macro HttpsBase certificate out
  ${MskTestServerInfo} https_${certificate} ${out}
  StrCpy ${out} "https://localhost:${out}"
!macroend
!define HttpsBase "!insertmacro HttpsBase"

Function .onInit
  ${MSK_Init}
FunctionEnd

Section
  File "/oname=$PLUGINSDIR\msk_trust_test_ca.exe" "${MSK_TRUST_TEST_CA}"
  ${MskTestServerInfo} test_ca $1
  ExecWait '"$PLUGINSDIR\msk_trust_test_ca.exe" "Z:$1"' $0
  ${MskCheck} $0 == 0 "installing the test CA into the local machine's ROOT store"

  ${MskTestServerInfo} address $Http
  StrCpy $Http "http://$Http"
  ${HttpsBase} good $Https

  ${MSK_HTTPDownload} "$Https/bytes?size=300007" "$PLUGINSDIR\payload.bin" $0
  ${MskCheck} $0 == 1 "HTTPDownload from a server with a certificate from the trusted CA"
  ${ExpectGeneratedBody} "$PLUGINSDIR\payload.bin" 300007

  ${HttpsBase} wrong_host $1
  ${ExpectNoDownload} "$1/bytes?size=1000" "from a server with another host's certificate"
  ${HttpsBase} self_signed $1
  ${ExpectNoDownload} "$1/bytes?size=1000" "from a server with a self-signed certificate"
  ${HttpsBase} expired $1
  ${ExpectNoDownload} "$1/bytes?size=1000" "from a server with an expired certificate"
  ${HttpsBase} unknown_ca $1
  ${ExpectNoDownload} "$1/bytes?size=1000" "from a server with a certificate from an unknown CA"

  ; A redirect target holding no "&" may stand in the query as it is.
  ${MSK_HTTPDownload} "$Http/redirect?to=$Https/bytes?size=70000" "$PLUGINSDIR\upgraded.bin" $0
  ${MskCheck} $0 == 1 "HTTPDownload redirected from http to https"
  ${ExpectGeneratedBody} "$PLUGINSDIR\upgraded.bin" 70000
  ${ExpectNoDownload} "$Https/redirect?to=$Http/bytes?size=70000" "redirected from https to http"

  ${MskPass}
SectionEnd
