; The download benchmark's installer: fetches the payload one of three ways, chosen by
; MSK_BENCH_METHOD, and writes the result and the wall-clock times (FILETIME, 100 ns units) around
; the call into report.txt. The driver runs it once per way and round, so that every way starts
; alike.
;   ours    HTTPDownload of MarlowSetupKit.dll (through System::Call, as scripts call it)
;   urlmon  URLDownloadToFileW, what a script uses without a download plug-in
;   curl    curl's command-line tool, built from the same libcurl as the plug-in
;
; makensis defines: MSK_DLL_SOURCE (the amd64 DLL), MSK_OUT (the installer to write) and
; MSK_NSIS_DIR (the repository's nsis/ folder). Environment at run time: MSK_BENCH_METHOD,
; MSK_BENCH_URL (the payload), MSK_BENCH_DIR (folder for the download and report.txt),
; MSK_BENCH_CURL (curl.exe).
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
FunctionEnd

Section
  ReadEnvStr $R0 MSK_BENCH_URL
  ReadEnvStr $R1 MSK_BENCH_DIR
  ReadEnvStr $R2 MSK_BENCH_CURL
  ReadEnvStr $R3 MSK_BENCH_METHOD
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

  FileClose $Report
SectionEnd
