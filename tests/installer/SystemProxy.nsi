; MarlowSetupKit::Download through the proxy the user's settings name, in a silent installer: a
; fixed proxy with its bypass list, a PAC script (PROXY for one host, DIRECT for another, a dead
; first proxy, an unreachable script), HTTPS through the tunnel, the sign-on at a proxy that asks
; for Basic credentials, and /PROXY overriding it all. The settings are written into the run's
; wine prefix by the helper MSK_SET_PROXY_SETTINGS (and removed again at the end); the test
; server's proxies log what they relay, which /proxy/log on the server answers. payload.test is a
; name only the test proxies know how to reach.
!include "MskTest.nsh"
!include "MarlowSetupKit.nsh"
!include "GeneratedBody.nsh"
Name "MarlowSetupKit system proxy"

!ifndef MSK_SET_PROXY_SETTINGS
  !error "MSK_SET_PROXY_SETTINGS: the program that writes the proxy settings"
!endif
!ifndef MSK_TRUST_TEST_CA
  !error "MSK_TRUST_TEST_CA: the program that installs the test CA"
!endif

Var Http      ; 127.0.0.1:PORT of the test server
Var HttpPort
Var Proxy     ; 127.0.0.1:PORT of the open proxy
Var Basic     ; 127.0.0.1:PORT of the proxy that asks for Basic credentials
Var Dead      ; 127.0.0.1:PORT where nothing listens
Var Target
Var Port      ; of one HTTPS listener

; ${Settings} PROXY BYPASS PAC-URL -- the user's proxy settings from now on.
!macro Settings proxy bypass pac
  ExecWait `"$PLUGINSDIR\msk_set_proxy_settings.exe" "${proxy}" "${bypass}" "${pac}"` $0
  ${MskCheck} $0 == 0 "writing the proxy settings '${proxy}' '${bypass}' '${pac}'"
!macroend
!define Settings "!insertmacro Settings"

; ${ExpectRelayed} QUERY yes|no "what" -- whether a proxy relayed a request that QUERY describes:
; "contains=TEXT" in its target, "&proxy=NAME" of that proxy, "&method=CONNECT" a tunnel.
!macro ExpectRelayed query relayed what
  MarlowSetupKit::Download /PROXY= "http://$Http/proxy/log?${query}" "$PLUGINSDIR\log.txt"
  Pop $0
  ${If} ${relayed} == yes
    ${MskCheck} $0 == OK "${what}: the proxy relayed it"
  ${Else}
    ${MskCheck} $0 == "HTTP 404" "${what}: no proxy relayed it"
  ${EndIf}
!macroend
!define ExpectRelayed "!insertmacro ExpectRelayed"

; ${ExpectDownload} OPTIONS URL SIZE "what" -- Download answers OK with the generated body.
!macro ExpectDownload options url size what
  Delete $Target
  ${MSK_Download} `${options}` `${url}` $Target $0
  ${MskCheck} $0 == OK "Download ${what}"
  ${ExpectGeneratedBody} $Target ${size}
!macroend
!define ExpectDownload "!insertmacro ExpectDownload"

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

; ${ExpectProxyUnreachable} URL PROXY "what" -- the result names PROXY as the one that could not
; be connected to (libcurl's words follow it).
!macro ExpectProxyUnreachable url proxy what
  Delete $Target
  ${MSK_Download} "" `${url}` $Target $0
  StrCpy $1 "Could not connect to proxy ${proxy}: "
  StrLen $2 $1
  StrCpy $2 $0 $2
  ${MskCheck} $2 == $1 "Download ${what} (the whole result: $0)"
  ${If} ${FileExists} $Target
    ${MskFail} "Download ${what} left a file"
  ${EndIf}
!macroend
!define ExpectProxyUnreachable "!insertmacro ExpectProxyUnreachable"

Function .onInit
  ${MSK_Init}
FunctionEnd

Section
  File "/oname=$PLUGINSDIR\msk_set_proxy_settings.exe" "${MSK_SET_PROXY_SETTINGS}"
  File "/oname=$PLUGINSDIR\msk_trust_test_ca.exe" "${MSK_TRUST_TEST_CA}"
  ${MskTestServerInfo} test_ca $1
  ExecWait '"$PLUGINSDIR\msk_trust_test_ca.exe" "Z:$1"' $0
  ${MskCheck} $0 == 0 "installing the test CA into the local machine's ROOT store"
  StrCpy $Target "$PLUGINSDIR\payload.bin"
  ${MskTestServerInfo} address $Http
  StrCpy $HttpPort $Http "" 10  ; after "127.0.0.1:"
  ${MskTestServerInfo} proxy $Proxy
  StrCpy $Proxy "127.0.0.1:$Proxy"
  ${MskTestServerInfo} proxy_basic $Basic
  StrCpy $Basic "127.0.0.1:$Basic"
  ${MskTestServerInfo} closed_port $Dead
  StrCpy $Dead "127.0.0.1:$Dead"

  ; A fixed proxy. Loopback targets go through it only because the list holds <-loopback>.
  ${Settings} $Proxy "<-loopback>;127.0.0.1;*.bypass.test" ""
  ${ExpectDownload} "" "http://payload.test/bytes?size=300007&t=fixed-a" 300007 \
                    "through the fixed proxy"
  ${ExpectRelayed} contains=fixed-a yes "a download through the fixed proxy"
  ${ExpectDownload} "" "http://localhost:$HttpPort/bytes?size=70000&t=fixed-loopback" 70000 \
                    "of a loopback name that <-loopback> leaves to the proxy"
  ${ExpectRelayed} contains=fixed-loopback yes "a loopback name with <-loopback>"
  ${ExpectDownload} "" "http://$Http/bytes?size=70000&t=fixed-bypass" 70000 \
                    "of an address in the bypass list"
  ${ExpectRelayed} contains=fixed-bypass no "an address in the bypass list"
  ; HTTPS through the tunnel: the origin's certificate is checked against the origin's name.
  ${MskTestServerInfo} https_good $Port
  ${ExpectDownload} "" "https://localhost:$Port/bytes?size=70000" 70000 \
                    "over HTTPS through the proxy"
  ${ExpectRelayed} "contains=localhost:$Port&method=CONNECT" yes "the HTTPS download's tunnel"
  ${MskTestServerInfo} https_wrong_host $Port
  ${ExpectResult} "" "https://localhost:$Port/bytes?size=1000" "Certificate not trusted" \
                  "over HTTPS through the proxy from a server with another host's certificate"
  ; The script's /PROXY wins.
  ${ExpectDownload} "/PROXY=" "http://localhost:$HttpPort/bytes?size=70000&t=script-direct" 70000 \
                    "with /PROXY= despite the system's proxy"
  ${ExpectRelayed} contains=script-direct no "a download with /PROXY="
  ${ExpectDownload} "/PROXY=http://$Basic /PROXYAUTH=proxyuser:proxypass" \
                    "http://payload.test/bytes?size=70000&t=script-proxy" 70000 \
                    "with /PROXY and /PROXYAUTH"
  ${ExpectRelayed} "contains=script-proxy&proxy=proxy_basic" yes \
                   "a download with /PROXY"

  ; A fixed proxy that asks for Basic credentials (and serves loopback targets, for HTTPS).
  ${Settings} $Basic "<-loopback>" ""
  ${ExpectDownload} "/PROXYAUTH=proxyuser:proxypass" "http://payload.test/bytes?size=70000&t=basic" \
                    70000 "with /PROXYAUTH through the system's proxy"
  ${ExpectRelayed} "contains=t=basic&proxy=proxy_basic" yes \
                   "a download with /PROXYAUTH"
  ${ExpectResult} "" "http://payload.test/bytes?size=1000" "Proxy authentication failed" \
                  "without credentials the proxy accepts"
  ${ExpectResult} "/PROXYAUTH=proxyuser:wrong" "http://payload.test/bytes?size=1000" \
                  "Proxy authentication failed" "with wrong credentials"
  ${MskTestServerInfo} https_good $Port
  ${ExpectResult} "" "https://localhost:$Port/bytes?size=1000" "Proxy authentication failed" \
                  "over HTTPS without credentials the proxy accepts"
  ${ExpectDownload} "/PROXY=http://$Proxy" "http://payload.test/bytes?size=70000&t=override" 70000 \
                    "with /PROXY overriding the system's proxy"
  ${ExpectRelayed} "contains=override&proxy=proxy" yes \
                   "a download with /PROXY overriding the system's"

  ; A fixed proxy that nothing listens on.
  ${Settings} $Dead "" ""
  ${ExpectProxyUnreachable} "http://payload.test/bytes?size=1000" $Dead "through a dead proxy"

  ; A PAC script: PROXY for payload.test, DIRECT for localhost.
  ${Settings} "" "" "http://$Http/pac?proxy=$Proxy&direct=localhost"
  ${ExpectDownload} "" "http://payload.test/bytes?size=70000&t=pac-proxy" 70000 "as the PAC says"
  ${ExpectRelayed} contains=pac-proxy yes "a download the PAC sends to the proxy"
  ${ExpectDownload} "" "http://localhost:$HttpPort/bytes?size=70000&t=pac-direct" 70000 \
                    "that the PAC sends direct"
  ${ExpectRelayed} contains=pac-direct no "a download the PAC sends direct"
  ; A dead first proxy: Windows hands over the whole list, and the download goes on to the second;
  ; wine's WinHTTP hands over the first entry alone, so there it ends naming the dead one.
  ${Settings} "" "" "http://$Http/pac?proxy=$Dead&proxy=$Proxy&t=dead-first"
  Delete $Target
  ${MSK_Download} "" "http://payload.test/bytes?size=1000&t=pac-dead-first" $Target $0
  StrCpy $1 "Could not connect to proxy $Dead: "
  StrLen $2 $1
  StrCpy $2 $0 $2
  ${If} $0 != OK
    ${MskCheck} $2 == $1 "Download through a PAC whose first proxy is dead (the result: $0)"
  ${EndIf}
  ; A PAC script that cannot be fetched: the fixed proxy applies.
  ${Settings} $Proxy "" "http://$Dead/proxy.pac"
  ${ExpectDownload} "" "http://payload.test/bytes?size=70000&t=pac-fallback" 70000 \
                    "when the PAC cannot be fetched"
  ${ExpectRelayed} contains=pac-fallback yes "a download whose PAC cannot be fetched"

  ExecWait `"$PLUGINSDIR\msk_set_proxy_settings.exe" remove` $0
  ${MskCheck} $0 == 0 "removing the proxy settings"
  ${MskPass}
SectionEnd
