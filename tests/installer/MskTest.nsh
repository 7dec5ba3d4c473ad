; Support for installer tests: silent installers built by makensis for the build's architecture
; with the plug-in DLL inside (cmake/MskInstallerTests.cmake). A test checks what it does with
; ${MskCheck} and ends with ${MskPass}. Its result is its exit code and its log, the file named by
; the environment variable MSK_TEST_LOG: it has passed only when it exits 0 and the log's last line
; is PASS, so a test that stops early never passes.
;
; makensis defines MSK_TARGET (x86-unicode or amd64-unicode), MSK_DLL_SOURCE (the DLL to ship),
; MSK_NSIS_DIR (the folder of MarlowSetupKit.nsh, which tests include to call the DLL as users do)
; and MSK_OUT (the installer to write); MSK_TEST_SHOWS_PAGES when the installer runs with its pages.
!include LogicLib.nsh

!ifndef MSK_TARGET | MSK_DLL_SOURCE | MSK_NSIS_DIR | MSK_OUT
  !error "MSK_TARGET, MSK_DLL_SOURCE, MSK_NSIS_DIR and MSK_OUT come from msk_add_installer_test (cmake/MskInstallerTests.cmake)"
!endif
!addincludedir "${MSK_NSIS_DIR}"
Target ${MSK_TARGET}
OutFile "${MSK_OUT}"
!ifndef MSK_TEST_SHOWS_PAGES
  SilentInstall silent
!endif
RequestExecutionLevel user

Var MskLogPath
Var MskLogFile

!macro MskLogLine text
  ReadEnvStr $MskLogPath MSK_TEST_LOG
  ${If} $MskLogPath != ""
    FileOpen $MskLogFile $MskLogPath a
    FileSeek $MskLogFile 0 END
    FileWrite $MskLogFile `${text}$\r$\n`
    FileClose $MskLogFile
  ${EndIf}
!macroend

!macro MskFail message
  !insertmacro MskLogLine `FAIL: ${message}`
  SetErrorLevel 1
  Quit
!macroend
!define MskFail "!insertmacro MskFail"

; ${MskCheck} VALUE OPERATOR EXPECTED "what is checked" -- OPERATOR as in LogicLib (== != = <> S== ...)
!macro MskCheck value op expected message
  ${IfNot} `${value}` ${op} `${expected}`
    ${MskFail} `${message}: got '${value}', expected ${op} '${expected}'`
  ${EndIf}
!macroend
!define MskCheck "!insertmacro MskCheck"

; ${MskWallClockLimit} MS $OUT -- a wall-clock bound chosen for native speed, in milliseconds,
; stretched by MSK_TEST_TIME_SCALE (a whole number; the emulated guest, whose CPU is several times
; slower, sets it) so that such a check still tells "prompt" from "waited for the transfer" there.
!macro MskWallClockLimit ms out
  ReadEnvStr ${out} MSK_TEST_TIME_SCALE
  ${If} ${out} == ""
    StrCpy ${out} 1
  ${EndIf}
  IntOp ${out} ${out} * ${ms}
!macroend
!define MskWallClockLimit "!insertmacro MskWallClockLimit"

; The last statement of a test.
!macro MskPass
  !insertmacro MskLogLine "PASS"
  SetErrorLevel 0
!macroend
!define MskPass "!insertmacro MskPass"

; ${MskTestServerInfo} KEY $OUT -- a value of the loopback test server's file (HTTP_SERVER tests),
; named by MSK_TEST_SERVER_FILE: "address" (127.0.0.1:PORT) or "closed_port" (a port where nothing
; listens). Fails the test when there is none.
!macro MskTestServerInfo key out
  Push $0
  Push $1
  Push $2
  ReadEnvStr $0 MSK_TEST_SERVER_FILE
  ${MskCheck} $0 != "" "MSK_TEST_SERVER_FILE is set"
  ; NSIS opens files only by paths with backslashes.
  StrCpy $1 ""
  ${Do}
    StrCpy $2 $0 1
    ${IfThen} $2 == "/" ${|} StrCpy $2 "\" ${|}
    StrCpy $1 "$1$2"
    StrCpy $0 $0 "" 1
  ${LoopUntil} $0 == ""
  ClearErrors
  FileOpen $0 $1 r
  ${MskCheck} $0 != "" "opening the test server's file $1"
  StrCpy $1 ""
  ${Do}
    FileRead $0 $2
    ${IfThen} ${Errors} ${|} ${ExitDo} ${|}
    StrLen $1 "${key}="
    StrCpy $1 $2 $1
    ${If} $1 == "${key}="
      StrLen $1 "${key}="
      StrCpy $1 $2 "" $1
      ${Break}
    ${EndIf}
    StrCpy $1 ""
  ${Loop}
  FileClose $0
  ; The line ends with its line break.
  ${Do}
    StrCpy $2 $1 1 -1
    ${If} $2 != "$\r"
    ${AndIf} $2 != "$\n"
      ${Break}
    ${EndIf}
    StrCpy $1 $1 -1
  ${Loop}
  ${MskCheck} $1 != "" "a ${key}= line in the test server's file"
  ; Restore $0-$2 and leave the value in ${out}, which may be one of them.
  Pop $2
  Exch $1
  Exch
  Pop $0
  Pop ${out}
!macroend
!define MskTestServerInfo "!insertmacro MskTestServerInfo"

; ${MskHelperLine} NAME N $OUT -- line N (1 to 3) of $PLUGINSDIR\NAME.txt, which a helper program
; writes once, when done, and moves into place whole. Waits for the file to appear, then reads it
; until the line is there: under a loaded emulator the first open may still find it unreadable.
; Uses $8 and $9.
!macro MskHelperLine name n out
  ${Do}
    Sleep 50
  ${LoopUntil} ${FileExists} "$PLUGINSDIR\${name}.txt"
  StrCpy $8 0
  ${Do}
    StrCpy ${out} ""
    ClearErrors
    FileOpen $9 "$PLUGINSDIR\${name}.txt" r
    ${IfNot} ${Errors}
      !if ${n} > 1
        FileReadUTF16LE $9 ${out}
      !endif
      !if ${n} > 2
        FileReadUTF16LE $9 ${out}
      !endif
      FileReadUTF16LE $9 ${out}
      FileClose $9
    ${EndIf}
    ; The line without its line ending.
    ${Do}
      StrCpy $9 ${out} 1 -1
      ${If} $9 == "$\r"
      ${OrIf} $9 == "$\n"
        StrCpy ${out} ${out} -1
      ${Else}
        ${Break}
      ${EndIf}
    ${Loop}
    ${If} ${out} != ""
    ${OrIf} $8 >= 100
      ${Break}
    ${EndIf}
    IntOp $8 $8 + 1
    Sleep 50
  ${Loop}
!macroend
!define MskHelperLine "!insertmacro MskHelperLine"
