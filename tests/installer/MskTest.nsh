; Support for installer tests: silent installers built by makensis for the build's architecture
; with the plug-in DLL inside (cmake/MskInstallerTests.cmake). A test checks what it does with
; ${MskCheck} and ends with ${MskPass}. Its result is its exit code and its log, the file named by
; the environment variable MSK_TEST_LOG: it has passed only when it exits 0 and the log's last line
; is PASS, so a test that stops early never passes.
;
; makensis defines MSK_TARGET (x86-unicode or amd64-unicode), MSK_DLL (the DLL to ship) and
; MSK_OUT (the installer to write).
!include LogicLib.nsh

!ifndef MSK_TARGET | MSK_DLL | MSK_OUT
  !error "MSK_TARGET, MSK_DLL and MSK_OUT come from msk_add_installer_test (cmake/MskInstallerTests.cmake)"
!endif
Target ${MSK_TARGET}
OutFile "${MSK_OUT}"
SilentInstall silent
RequestExecutionLevel user

Var MskLogPath
Var MskLogFile

!macro MskLogLine text
  ReadEnvStr $MskLogPath MSK_TEST_LOG
  ${If} $MskLogPath != ""
    FileOpen $MskLogFile $MskLogPath a
    FileSeek $MskLogFile 0 END
    FileWrite $MskLogFile "${text}$\r$\n"
    FileClose $MskLogFile
  ${EndIf}
!macroend

!macro MskFail message
  !insertmacro MskLogLine "FAIL: ${message}"
  SetErrorLevel 1
  Quit
!macroend
!define MskFail "!insertmacro MskFail"

; ${MskCheck} VALUE OPERATOR EXPECTED "what is checked" -- OPERATOR as in LogicLib (== != = <> S== ...)
!macro MskCheck value op expected message
  ${IfNot} `${value}` ${op} `${expected}`
    ${MskFail} "${message}: got '${value}', expected ${op} '${expected}'"
  ${EndIf}
!macroend
!define MskCheck "!insertmacro MskCheck"

; The last statement of a test.
!macro MskPass
  !insertmacro MskLogLine "PASS"
  SetErrorLevel 0
!macroend
!define MskPass "!insertmacro MskPass"
