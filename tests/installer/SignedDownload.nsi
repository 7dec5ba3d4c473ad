; /SIGNER on MarlowSetupKit::Download and the Signer command, in a silent installer: programs that
; the test server's PKI signed at its start (tests/server/msk_test_codesign.py) with code-signing
; certificates of the test CA, which goes into the machine's ROOT store first (MSK_TRUST_TEST_CA,
; embedded), of a CA that no one trusts, and without the code-signing purpose.
!include "MskTest.nsh"
!include "MarlowSetupKit.nsh"
Name "MarlowSetupKit signed download"

!ifndef MSK_TRUST_TEST_CA
  !error "MSK_TRUST_TEST_CA: the program that installs the test CA"
!endif

!define VELMAR "Velmar Example Co."

Var Signed
Var Target
Var Key

; ${ExpectRefused} OPTIONS PROGRAM "EXPECTED" -- Download of /signed/PROGRAM answers EXPECTED and
; leaves no file. An option with spaces is quoted inside OPTIONS, as makensis splits them.
!macro ExpectRefused options program expected
  ${MSK_Download} `${options}` "$Signed/${program}" $Target $0
  ${MskCheck} $0 == `${expected}` `Download ${options} of ${program}`
  ${If} ${FileExists} $Target
    ${MskFail} `Download ${options} of ${program} left a file`
  ${EndIf}
!macroend
!define ExpectRefused "!insertmacro ExpectRefused"

; ${ExpectSigner} PROGRAM "NAME" -- the Signer command on the program as served answers NAME.
!macro ExpectSigner program name
  ${MSK_Download} "" "$Signed/${program}" "$PLUGINSDIR\as-served.exe" $0
  ${MskCheck} $0 == "OK" "Download of ${program} without a check"
  ${MSK_Signer} "$PLUGINSDIR\as-served.exe" $1
  ${MskCheck} $1 S== `${name}` "Signer of ${program}"
!macroend
!define ExpectSigner "!insertmacro ExpectSigner"

Function .onInit
  ${MSK_Init}
FunctionEnd

Section
  File "/oname=$PLUGINSDIR\msk_trust_test_ca.exe" "${MSK_TRUST_TEST_CA}"
  ${MskTestServerInfo} test_ca $1
  ExecWait '"$PLUGINSDIR\msk_trust_test_ca.exe" "Z:$1"' $0
  ${MskCheck} $0 == 0 "installing the test CA into the local machine's ROOT store"

  ${MskTestServerInfo} address $Signed
  StrCpy $Signed "http://$Signed/signed"
  StrCpy $Target "$PLUGINSDIR\program.exe"
  ; The server corrupts the first answer for each corrupt_once key it sees: keys of this process.
  System::Call 'kernel32::GetCurrentProcessId() i .r1'
  StrCpy $Key "signed-download-$1"

  ; The expected signer, in another case; the second of two names.
  ${MSK_Download} '"/SIGNER=velmar example co."' "$Signed/velmar.exe" $Target $0
  ${MskCheck} $0 == "OK" "Download /SIGNER=velmar example co. of velmar.exe"
  ${MSK_Signer} $Target $1
  ${MskCheck} $1 S== "${VELMAR}" "Signer of the file kept"
  Delete $Target
  ${MSK_Download} '"/SIGNER=Other Name Ltd" "/SIGNER=${VELMAR}"' "$Signed/velmar.exe" $Target $0
  ${MskCheck} $0 == "OK" "Download with two /SIGNER names, the second matching"
  ${IfNot} ${FileExists} $Target
    ${MskFail} "Download with two /SIGNER names answered OK without the file"
  ${EndIf}

  ${ExpectRefused} '"/SIGNER=${VELMAR}"' other_name.exe "Signed by Other Name Ltd, not ${VELMAR}"
  ${ExpectRefused} '"/SIGNER=${VELMAR}" "/SIGNER=Velmar Ltd"' other_name.exe \
                   "Signed by Other Name Ltd, not ${VELMAR} or Velmar Ltd"
  ${ExpectRefused} "/SIGNER=Velmar" velmar.exe "Signed by ${VELMAR}, not Velmar"
  ${ExpectRefused} '"/SIGNER=${VELMAR}"' unsigned.exe "Not signed"
  ${ExpectRefused} '"/SIGNER=${VELMAR}"' velmar.exe?corrupt=1 "Signature not valid"
  ${ExpectRefused} '"/SIGNER=${VELMAR}"' unknown_ca.exe "Signer not trusted"
  ${ExpectRefused} '"/SIGNER=${VELMAR}"' no_purpose.exe "Signer not trusted"
  ${ExpectRefused} "/SIGNER=" velmar.exe "Invalid option /SIGNER"

  ${ExpectSigner} velmar.exe "${VELMAR}"
  ${ExpectSigner} other_name.exe "Other Name Ltd"
  ${ExpectSigner} unsigned.exe ""
  ${ExpectSigner} velmar.exe?corrupt=1 ""
  ${ExpectSigner} unknown_ca.exe ""
  ${ExpectSigner} no_purpose.exe ""
  ${MSK_Signer} "$PLUGINSDIR\no-such-file.exe" $1
  ${MskCheck} $1 S== "" "Signer of a file that is not there"

  ; With /SHA256 and /RETRY. The digest is checked first, and a wrong one is never retried: the
  ; corrupted first answer ends the download although its retry would have passed both checks.
  ${MSK_Download} "" "$Signed/velmar.exe" $Target $0
  ${MSK_Sha256} $Target $R0
  Delete $Target
  ${MSK_Download} '"/SIGNER=${VELMAR}" /SHA256=$R0 /RETRY=2' "$Signed/velmar.exe" $Target $0
  ${MskCheck} $0 == "OK" "Download with /SIGNER, /SHA256 and /RETRY"
  Delete $Target
  ${ExpectRefused} '/RETRY=1 /SHA256=$R0 "/SIGNER=${VELMAR}"' velmar.exe?corrupt_once=$Key-1 \
                   "SHA-256 mismatch"
  ; A signature that does not fit may be a corrupted transfer: retried, and the retry passes.
  ${MSK_Download} '/RETRY=1 "/SIGNER=${VELMAR}"' "$Signed/velmar.exe?corrupt_once=$Key-2" $Target $0
  ${MskCheck} $0 == "OK" "Download /RETRY=1 /SIGNER of an answer corrupted once"
  ${MSK_Signer} $Target $1
  ${MskCheck} $1 S== "${VELMAR}" "Signer of the file after the retry"
  Delete $Target
  ; Without a retry left, the corrupted answer is the result.
  ${ExpectRefused} '"/SIGNER=${VELMAR}"' velmar.exe?corrupt_once=$Key-3 "Signature not valid"

  ${MskPass}
SectionEnd
