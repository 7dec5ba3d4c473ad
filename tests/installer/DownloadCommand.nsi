; MarlowSetupKit::Download in a silent installer, through ${MSK_Download} as scripts call it:
; every option once against the loopback test server, the result line for each way a download
; ends, and both commands in the installer's uninstaller. A silent installer shows no window (the dialog helper, MSK_DIALOG_BUTTON, looks
; for one meanwhile); the x86 build runs this in the emulated guest.
!include "MskTest.nsh"
!include "MarlowSetupKit.nsh"
!include "GeneratedBody.nsh"
!include "TextFunc.nsh"
Name "MarlowSetupKit Download command"

!ifndef MSK_DIALOG_BUTTON
  !error "MSK_DIALOG_BUTTON: the dialog helper program"
!endif

; SHA-256 of the server's generated bodies of these sizes (tests/server/README.md):
;   python3 -c "import hashlib; print(hashlib.sha256(bytes((i % 65521 + i % 65521 // 251) % 256
;               for i in range(SIZE))).hexdigest())"
!define BODY_300007_SHA256 "c04d6ca863c65020ccf94d0b738f46f5dcb849dbeeade088d163ba76b713ad67"
!define BODY_3000000_SHA256 "99f8e21e51296b46f208f38998c0b1cd80dbc82a5d66fcb515fc7f4afcadd81d"
!define BODY_1000_SHA256 "609187f585c5b79e85ab3e47c410459f3b0e8d3e8999511d2344f55d2c7b6cfb"
!define /math LONGEST_RESULT ${NSIS_MAX_STRLEN} - 1

Var Base
Var Target

; ${ExpectResult} OPTIONS URL "EXPECTED" "what" -- Download answers EXPECTED and leaves no file.
!macro ExpectResult options url expected what
  Delete $Target
  ${MSK_Download} `${options}` `${url}` $Target $0
  ${MskCheck} $0 == `${expected}` "Download ${what}"
  ${If} ${FileExists} $Target
    ${MskFail} "Download ${what} left a file"
  ${EndIf}
!macroend
!define ExpectResult "!insertmacro ExpectResult"

; ${ExpectDigest} SHA256 "what" -- $Target is there and has this digest.
!macro ExpectDigest sha256 what
  ${MSK_Sha256} $Target $1
  ${MskCheck} $1 == `${sha256}` "SHA-256 of the file after Download ${what}"
!macroend
!define ExpectDigest "!insertmacro ExpectDigest"

; ${ExpectLine} PATH "LINE" "what" -- one line of the text file PATH is exactly LINE.
!macro ExpectLine path line what
  StrCpy $3 ""
  FileOpen $1 `${path}` r
  ${Do}
    ClearErrors
    FileRead $1 $2
    ${IfThen} ${Errors} ${|} ${ExitDo} ${|}
    ${TrimNewLines} $2 $2
    ${If} $2 == `${line}`
      StrCpy $3 found
      ${ExitDo}
    ${EndIf}
  ${Loop}
  FileClose $1
  ${MskCheck} $3 == found "${what}: a line '${line}'"
!macroend
!define ExpectLine "!insertmacro ExpectLine"

Function .onInit
  ${MSK_Init}
FunctionEnd

Section
  File "/oname=$PLUGINSDIR\msk_dialog_button.exe" "${MSK_DIALOG_BUTTON}"
  ${MskTestServerInfo} address $Base
  StrCpy $Base "http://$Base"
  StrCpy $Target "$PLUGINSDIR\payload.bin"

  ; A good download, while the helper looks for a window of this process for three seconds: in a
  ; silent installer there is none. The body takes about 1.5 s.
  System::Call 'kernel32::GetCurrentProcessId() i .r1'
  Exec '"$PLUGINSDIR\msk_dialog_button.exe" "Velmar Installation" 138 wait 3000 "$PLUGINSDIR\window.txt" $1'
  ${MSK_Download} "" "$Base/bytes?size=300007&rate=200000" $Target $0
  ${MskCheck} $0 == "OK" "Download of 300,007 bytes"
  ${ExpectGeneratedBody} $Target 300007
  ${ExpectDigest} ${BODY_300007_SHA256} "of 300,007 bytes"
  ${MskHelperLine} window 1 $2
  ${MskCheck} $2 == "none" "the window the silent installer's Download showed"

  ; Sha256 of what cannot be read is empty.
  ${MSK_Sha256} "$PLUGINSDIR\no-such-file.bin" $1
  ${MskCheck} $1 == "" "Sha256 of a missing file"

  ; The checksum: the right one in capitals passes, any other removes the file.
  ${MSK_Download} "/SHA256=C04D6CA863C65020CCF94D0B738F46F5DCB849DBEEADE088D163BA76B713AD67" \
                  "$Base/bytes?size=300007" $Target $0
  ${MskCheck} $0 == "OK" "Download with the right /SHA256"
  ${ExpectResult} "/sha256=${BODY_3000000_SHA256}" "$Base/bytes?size=300007" "SHA-256 mismatch" \
                  "with another file's /SHA256"

  ; Each way a download can fail, with its line.
  ${ExpectResult} "" "$Base/status/404" "HTTP 404" "of a missing resource"
  ${ExpectResult} "/RETRY=3" "$Base/status/403" "HTTP 403" "with /RETRY of a forbidden resource"
  ${MskTestServerInfo} closed_port $5
  ${MSK_Download} "" "http://127.0.0.1:$5/refused.bin" $Target $0
  !insertmacro MskLogLine "refused: $0"
  StrCpy $1 $0 19
  ${MskCheck} $1 == "Could not connect: " "Download from a port where nothing listens ($0)"
  StrLen $1 $0
  ${MskCheck} $1 > 19 "length of the reason a connection failed"
  ; 1,000 bytes, then nothing for a minute.
  ${ExpectResult} "/STALL=2" "$Base/bytes?size=5000000&stall_after=1000&stall=60" \
                  "No data for 2 s" "from a server that stalls"
  ; 15 s of body.
  ${ExpectResult} "/TIMEOUT=1 /CONNECTTIMEOUT=5" "$Base/bytes?size=3000000&rate=200000" \
                  "Timed out after 1 s" "with a whole-transfer limit"
  ${MskTestServerInfo} https_self_signed $5
  ${ExpectResult} "" "https://localhost:$5/bytes?size=1000" "Certificate not trusted" \
                  "from a server with a self-signed certificate"

  ; /RETRY resumes after a dropped connection: the server drops every request without a Range,
  ; so only a resumed attempt brings the rest (its ETag names the version to resume). A server
  ; that ignores ranges answers the resumed request with the whole body, and the file starts over.
  ${MSK_Download} "/RETRY=2" "$Base/bytes?size=3000000&drop_after=1000000&drop_unranged=1&etag=v1" \
                  $Target $0
  ${MskCheck} $0 == "OK" "Download with /RETRY after a dropped connection"
  ${ExpectDigest} ${BODY_3000000_SHA256} "resumed after a dropped connection"
  ${MSK_Download} "/RETRY=2" \
                  "$Base/bytes?size=3000000&drop_after=1000000&drop_unranged=1&ranges=ignore&etag=v1" \
                  $Target $0
  ${MskCheck} $0 == "OK" "Download with /RETRY from a server that ignores ranges"
  ${ExpectDigest} ${BODY_3000000_SHA256} "started over after a dropped connection"
  ; Without /RETRY the first drop is the end.
  StrCpy $1 "$Base/bytes?size=3000000&drop_after=1000000&drop_unranged=1"
  ${MSK_Download} "" $1 $Target $0
  !insertmacro MskLogLine "dropped: $0"
  StrCpy $1 $0 17
  ${MskCheck} $1 == "Connection lost: " "Download without /RETRY after a dropped connection ($0)"

  ; What the request carries: header lines, the user agent, a proxy with credentials.
  ${MSK_Download} '"/HEADER=X-Channel: beta" "/HEADER=X-Seat: 7" "/USERAGENT=Velmar Setup/1.0"' \
                  "$Base/echo" $Target $0
  ${MskCheck} $0 == "OK" "Download of the echo with /HEADER and /USERAGENT"
  ${ExpectLine} $Target "X-Channel: beta" "/HEADER"
  ${ExpectLine} $Target "X-Seat: 7" "a second /HEADER"
  ${ExpectLine} $Target "User-Agent: Velmar Setup/1.0" "/USERAGENT"
  ${MSK_Download} "" "$Base/echo" $Target $0
  ${ExpectLine} $Target "User-Agent: MarlowSetupKit/0.1.0" "the default user agent"
  ${MSK_Download} "/PROXY=$Base /PROXYAUTH=pu:pp" "http://msk-proxied.invalid/echo" $Target $0
  ${MskCheck} $0 == "OK" "Download through /PROXY"
  ${ExpectLine} $Target "GET http://msk-proxied.invalid/echo HTTP/1.1" "the request to the proxy"
  ${ExpectLine} $Target "Proxy-Authorization: Basic cHU6cHA=" "/PROXYAUTH"

  ; A target that cannot be written, with a path so long that the line does not fit an NSIS
  ; string: it is cut to the string size.
  StrCpy $1 "$PLUGINSDIR\no-such-folder\"
  ${Do}
    StrCpy $1 "$1abcdefghij"
    StrLen $2 $1
  ${LoopUntil} $2 > 1012  ; with "Cannot write " more than the 1,023 characters NSIS takes
  ${MSK_Download} "" "$Base/bytes?size=1000" $1 $0
  StrLen $2 $0
  ${MskCheck} $2 == ${LONGEST_RESULT} "length of the line about an unwritable long path"
  StrCpy $2 $0 13
  ${MskCheck} $2 == "Cannot write " "the line about an unwritable target"

  ; Options that are not: the answer says so, and url and path are taken off the stack all the same.
  Push "below the arguments"
  MarlowSetupKit::Download /NOSUCH /RETRY=2 "$Base/bytes?size=1000" $Target
  Pop $0
  ${MskCheck} $0 == "Unknown option /NOSUCH" "Download with an unknown option"
  Pop $0
  ${MskCheck} $0 == "below the arguments" "the stack after an unknown option"
  ${ExpectResult} "/RETRY=many" "$Base/bytes?size=1000" "Invalid option /RETRY=many" \
                  "with a bad number"

  ; The commands in an uninstaller: it downloads into its folder, here $PLUGINSDIR.
  WriteUninstaller "$PLUGINSDIR\uninstall.exe"
  ExecWait '"$PLUGINSDIR\uninstall.exe" /S _?=$PLUGINSDIR' $0
  ${MskCheck} $0 == 0 "the uninstaller's exit code"
  ${MSK_Sha256} "$PLUGINSDIR\uninstaller-download.bin" $1
  ${MskCheck} $1 == ${BODY_1000_SHA256} "what the uninstaller downloaded"

  ${MskPass}
SectionEnd

Section "Uninstall"
  ${MskTestServerInfo} address $0
  ${MSK_Download} "/RETRY=1" "http://$0/bytes?size=1000" "$INSTDIR\uninstaller-download.bin" $1
  ${MSK_Sha256} "$INSTDIR\uninstaller-download.bin" $2
  ${If} $1 != "OK"
  ${OrIf} $2 != ${BODY_1000_SHA256}
    !insertmacro MskLogLine "FAIL: the uninstaller's Download answered $1, digest $2"
    SetErrorLevel 3
  ${EndIf}
SectionEnd
