; The download benchmark's installer: fetches the payload one of three ways, chosen by
; MSK_BENCH_METHOD, and writes the result and the wall-clock times (FILETIME, 100 ns units) around
; the call into report.txt. The driver runs it once per way and round, so that every way starts
; alike.
;   ours    HTTPDownload of MarlowSetupKit.dll (through System::Call, as scripts call it)
;   urlmon  URLDownloadToFileW, what a script uses without a download plug-in
;   curl    curl's command-line tool, built from the same libcurl as the plug-in
;   ours_https, curl_https   the first and the last again, over HTTPS from the same machine
;   first, first_https       four small HTTPDownloads in a row (MSK_BENCH_SMALL_URL or
;                            MSK_BENCH_SMALL_HTTPS_URL), each timed: a process's first and the later
;   first_silent             the same over HTTP with the Download command, which shows no window
;                            in this silent installer
;
; makensis defines: MSK_DLL_SOURCE (the amd64 DLL), MSK_OUT (the installer to write) and
; MSK_NSIS_DIR (the repository's nsis/ folder). Environment at run time: MSK_BENCH_METHOD,
; MSK_BENCH_URL (the payload), MSK_BENCH_HTTPS_URL (the same over HTTPS, its CA in the machine's
; ROOT store), MSK_BENCH_CA (that CA's PEM file, for curl.exe), MSK_BENCH_DIR (folder for the
; download and report.txt), MSK_BENCH_CURL (curl.exe).
Unicode true
Target amd64-unicode
!addincludedir "${MSK_NSIS_DIR}"
!include "MarlowSetupKit.nsh"

Name "MarlowSetupKit download benchmark"
OutFile "${MSK_OUT}"
RequestExecutionLevel user
SilentInstall silent

Var Report

!macro Now var
  System::Call 'kernel32::GetSystemTimePreciseAsFileTime(*l .s)'
  Pop ${var}
!macroend

Function .onInit
  ${MSK_Init}
  ; Loads the DLL, as MSK_Init does where the plug-in is installed over NSIS: the first download
  ; below then costs what the download needs, not the plug-in's extraction and load.
  MarlowSetupKit::Sha256 ""
  Pop $0
FunctionEnd

Section
  ReadEnvStr $R0 MSK_BENCH_URL
  ReadEnvStr $R1 MSK_BENCH_DIR
  ReadEnvStr $R2 MSK_BENCH_CURL
  ReadEnvStr $R3 MSK_BENCH_METHOD
  ReadEnvStr $R4 MSK_BENCH_HTTPS_URL
  ReadEnvStr $R5 MSK_BENCH_CA
  FileOpen $Report "$R1\report.txt" w

  StrCmp $R3 "ours" 0 not_ours
    !insertmacro Now $5
    ${MSK_HTTPDownload} "$R0?via=ours" "$R1\ours.bin" $0
    !insertmacro Now $6
    FileWrite $Report "ours $0 $5 $6$\r$\n"
  not_ours:

  StrCmp $R3 "urlmon" 0 not_urlmon
    !insertmacro Now $5
    System::Call 'urlmon::URLDownloadToFileW(p 0, w "$R0?via=urlmon", w "$R1\urlmon.bin", i 0, p 0) i .r0'
    !insertmacro Now $6
    FileWrite $Report "urlmon $0 $5 $6$\r$\n"
  not_urlmon:

  StrCmp $R3 "curl" 0 not_curl
    !insertmacro Now $5
    ExecWait '"$R2" --silent --show-error --output "$R1\curl.bin" "$R0?via=curl"' $0
    !insertmacro Now $6
    FileWrite $Report "curl $0 $5 $6$\r$\n"
  not_curl:

  StrCmp $R3 "ours_https" 0 not_ours_https
    !insertmacro Now $5
    ${MSK_HTTPDownload} "$R4?via=ours" "$R1\ours_https.bin" $0
    !insertmacro Now $6
    FileWrite $Report "ours_https $0 $5 $6$\r$\n"
  not_ours_https:

  StrCmp $R3 "curl_https" 0 not_curl_https
    !insertmacro Now $5
    ExecWait '"$R2" --silent --show-error --cacert "$R5" --output "$R1\curl_https.bin" "$R4?via=curl"' $0
    !insertmacro Now $6
    FileWrite $Report "curl_https $0 $5 $6$\r$\n"
  not_curl_https:

  ; The cost of a process's first download against the later ones: four small downloads in a
  ; row, each timed, over HTTP (first) or HTTPS (first_https).
  StrCmp $R3 "first" small not_first
  not_first:
  StrCmp $R3 "first_https" small not_first_https
  not_first_https:
  StrCmp $R3 "first_silent" small not_small
  small:
    ReadEnvStr $R6 MSK_BENCH_SMALL_URL
    StrCmp $R3 "first_https" 0 +2
      ReadEnvStr $R6 MSK_BENCH_SMALL_HTTPS_URL
    StrCpy $7 0
    small_loop:
      !insertmacro Now $5
      StrCmp $R3 "first_silent" 0 small_dialog
        ; The Download command in this silent installer shows no window.
        ${MSK_Download} "" "$R6" "$R1\small.bin" $0
        Goto small_timed
      small_dialog:
        ${MSK_HTTPDownload} "$R6" "$R1\small.bin" $0
      small_timed:
      !insertmacro Now $6
      FileWrite $Report "$R3 $0 $5 $6$\r$\n"
      IntOp $7 $7 + 1
      IntCmp $7 4 0 small_loop
  not_small:

  FileClose $Report
SectionEnd
