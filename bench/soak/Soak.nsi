; The soak: one installer process that shows its pages makes MSK_SOAK_DOWNLOADS Download calls (in
; every ten, nine small files alternately over HTTP and HTTPS and one that fails, in turn each of
; ten ways) and one HTTPDownload after every fifth, each behind its dialog, and logs its handle
; count, GDI and USER objects and private bytes after the first 50 calls and at the end
; ("FIGURES after50 ..." and "FIGURES end ..."). bench/soak/run.sh builds and runs it and compares
; the two.
;
; makensis defines as for an installer test (tests/installer/MskTest.nsh, run with its pages), and
; MSK_TRUST_TEST_CA (the program that puts the test CA into the machine's ROOT store) and
; MSK_SOAK_DOWNLOADS (a multiple of ten).
!include "MskTest.nsh"
!include "MarlowSetupKit.nsh"
Name "MarlowSetupKit soak"
AutoCloseWindow true
ShowInstDetails hide
Page instfiles

!ifndef MSK_TRUST_TEST_CA | MSK_SOAK_DOWNLOADS
  !error "MSK_TRUST_TEST_CA and MSK_SOAK_DOWNLOADS: see the head of this file"
!endif
!if ${NSIS_PTR_SIZE} > 4
  !define MEMORY_COUNTERS_SIZE 80  ; PROCESS_MEMORY_COUNTERS_EX: two DWORDs and nine SIZE_Ts
!else
  !define MEMORY_COUNTERS_SIZE 44
!endif

Var Http
Var Https
Var WrongHost
Var ClosedPort
Var Calls
Var Failures

; ${Figures} LABEL -- logs "FIGURES LABEL handles=N gdi=N user=N threads=N private=N ...": the
; process's handles, GDI and USER objects (wine answers 0 for these three), its threads (counted in
; a thread snapshot) and its private bytes (the commit charge, PagefileUsage: wine leaves
; PrivateUsage 0, Windows gives both the same value).
!macro Figures label
  System::Call 'kernel32::GetProcessHandleCount(p -1, *i .r5)'
  System::Call 'user32::GetGuiResources(p -1, i 0) i .r6'
  System::Call 'user32::GetGuiResources(p -1, i 1) i .r7'
  System::Call '*(i ${MEMORY_COUNTERS_SIZE}, i, p, p, p, p, p, p, p, p, p) p .r9'
  System::Call 'kernel32::K32GetProcessMemoryInfo(p -1, p r9, i ${MEMORY_COUNTERS_SIZE}) i .r4'
  System::Call '*$9(i, i, p, p, p, p, p, p, p .r8, p, p)'
  System::Free $9
  ${MskCheck} $4 != 0 "GetProcessMemoryInfo"
  Call CountThreads
  Pop $4
  !insertmacro MskLogLine "FIGURES ${label} handles=$5 gdi=$6 user=$7 threads=$4 private=$8 calls=$Calls failures=$Failures"
!macroend

; Pushes the number of this process's threads.
Function CountThreads
  Push $0
  Push $1
  Push $2
  Push $3
  Push $4
  StrCpy $4 0
  System::Call 'kernel32::GetCurrentProcessId() i .r3'
  System::Call 'kernel32::CreateToolhelp32Snapshot(i 4, i 0) p .r0'  ; TH32CS_SNAPTHREAD
  System::Call '*(i 28, i, i, i, i, i, i) p .r1'  ; THREADENTRY32
  System::Call 'kernel32::Thread32First(p r0, p r1) i .r2'
  ${DoWhile} $2 != 0
    System::Call '*$1(i, i, i, i .r2)'
    ${IfThen} $2 == $3 ${|} IntOp $4 $4 + 1 ${|}
    System::Call 'kernel32::Thread32Next(p r0, p r1) i .r2'
  ${Loop}
  System::Free $1
  System::Call 'kernel32::CloseHandle(p r0)'
  ; Restores $4 to $0 and leaves the count on top.
  Exch $4
  Exch
  Pop $3
  Exch
  Pop $2
  Exch
  Pop $1
  Exch
  Pop $0
FunctionEnd

; Counts a call and logs the figures after the 50th.
!macro Counted
  IntOp $Calls $Calls + 1
  ${If} $Calls == 50
    !insertmacro Figures after50
  ${EndIf}
!macroend

; ${Succeeds} URL -- a small download that must arrive whole.
!macro Succeeds url
  ${MSK_Download} "/CANCEL" `${url}` "$PLUGINSDIR\small.bin" $0
  ${MskCheck} $0 == OK "Download ${url}"
  FileOpen $1 "$PLUGINSDIR\small.bin" r
  FileSeek $1 0 END $2
  FileClose $1
  ${MskCheck} $2 == 20000 "size of ${url}"
  Delete "$PLUGINSDIR\small.bin"
  !insertmacro Counted
!macroend

; ${Fails} OPTIONS URL EXPECTED -- a download that must fail with the result line EXPECTED (its
; beginning) and leave no file.
!macro Fails options url expected
  ${MSK_Download} `${options}` `${url}` "$PLUGINSDIR\failing.bin" $0
  StrLen $1 `${expected}`
  StrCpy $2 $0 $1
  ${MskCheck} $2 == `${expected}` "Download ${options} ${url}"
  ${If} ${FileExists} "$PLUGINSDIR\failing.bin"
    ${MskFail} "Download ${url} left a file"
  ${EndIf}
  IntOp $Failures $Failures + 1
  !insertmacro Counted
!macroend

Function .onInit
  ${MSK_Init}
FunctionEnd

; One failing call of ten kinds, chosen by $R1 (0 to 9).
Function FailOneWay
  ${Select} $R1
  ${Case} 0
    !insertmacro Fails "/CANCEL" "$Http/bytes?size=1000&status=404" "HTTP 404"
  ${Case} 1
    !insertmacro Fails "/CANCEL" "http://127.0.0.1:$ClosedPort/x" "Could not connect"
  ${Case} 2
    !insertmacro Fails "/SHA256=0000000000000000000000000000000000000000000000000000000000000000" \
        "$Http/bytes?size=20000" "SHA-256 mismatch"
  ${Case} 3
    !insertmacro Fails "/CANCEL" "$Http/bytes?size=100000&drop_after=5000" "Connection lost"
  ${Case} 4
    !insertmacro Fails "/CANCEL" "$WrongHost/bytes?size=1000" "Certificate not trusted"
  ${Case} 5
    !insertmacro Fails "/RETRY=many" "$Http/bytes?size=1000" "Invalid option /RETRY"
  ${Case} 6
    !insertmacro Fails "/STALL=1" "$Http/bytes?size=10000&stall_after=0&stall=3" "No data for 1 s"
  ${Case} 7
    !insertmacro Fails "/TIMEOUT=1" "$Http/bytes?size=100000&rate=20000" "Timed out after 1 s"
  ${Case} 8
    !insertmacro Fails "/CANCEL" "ftp://127.0.0.1/x" "Download failed"
  ${CaseElse}
    !insertmacro Fails "/CANCEL" "$Https/bytes?size=1000&status=503" "HTTP 503"
  ${EndSelect}
FunctionEnd

Section
  File "/oname=$PLUGINSDIR\msk_trust_test_ca.exe" "${MSK_TRUST_TEST_CA}"
  ${MskTestServerInfo} test_ca $1
  ExecWait '"$PLUGINSDIR\msk_trust_test_ca.exe" "Z:$1"' $0
  ${MskCheck} $0 == 0 "installing the test CA into the local machine's ROOT store"
  ${MskTestServerInfo} address $Http
  StrCpy $Http "http://$Http"
  ${MskTestServerInfo} https_good $Https
  StrCpy $Https "https://localhost:$Https"
  ${MskTestServerInfo} https_wrong_host $WrongHost
  StrCpy $WrongHost "https://localhost:$WrongHost"
  ${MskTestServerInfo} closed_port $ClosedPort
  StrCpy $Calls 0
  StrCpy $Failures 0

  StrCpy $R0 0
  ${Do}
    IntOp $R1 $R0 % 10
    IntOp $R2 $R0 / 10
    ${If} $R1 == 9
      IntOp $R1 $R2 % 10
      Call FailOneWay
    ${Else}
      IntOp $R3 $R0 % 2
      ${If} $R3 == 0
        !insertmacro Succeeds "$Http/bytes?size=20000"
      ${Else}
        !insertmacro Succeeds "$Https/bytes?size=20000"
      ${EndIf}
    ${EndIf}
    IntOp $R0 $R0 + 1
    IntOp $R3 $R0 % 5
    ${If} $R3 == 0
      ${MSK_HTTPDownload} "$Http/bytes?size=20000" "$PLUGINSDIR\classic.bin" $0
      ${MskCheck} $0 == 1 "HTTPDownload"
      Delete "$PLUGINSDIR\classic.bin"
      !insertmacro Counted
    ${EndIf}
  ${LoopUntil} $R0 >= ${MSK_SOAK_DOWNLOADS}
  !insertmacro Figures end
  ${MskPass}
SectionEnd
