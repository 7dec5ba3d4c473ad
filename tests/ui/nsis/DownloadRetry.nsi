; An installer that fetches its payload the way a product installer does: HTTPDownload from its
; section, and after a failure the connection-error dialog, retrying for as long as the user picks
; "Try Again". It records every step for the test driver and closes by itself.
;
; makensis defines: MSK_TARGET (amd64-unicode or x86-unicode), MSK_DLL_SOURCE (the DLL to ship),
; MSK_OUT (the installer to write) and MSK_NSIS_DIR (the repository's nsis/ folder).
; Environment at run time: MSK_E2E_URL (the payload), MSK_E2E_TARGET (the file to write) and
; MSK_E2E_REPORT (the report file).
Unicode true
Target ${MSK_TARGET}
!addincludedir "${MSK_NSIS_DIR}"
!include "MarlowSetupKit.nsh"
!include "LogicLib.nsh"

Name "Velmar download test"
OutFile "${MSK_OUT}"
RequestExecutionLevel user
InstallDir "$TEMP\VelmarDownloadTest"
AutoCloseWindow true
ShowInstDetails show

Page instfiles

Var Report

!macro ReportLine text
  FileWrite $Report "${text}$\r$\n"
!macroend

Function .onInit
  ${MSK_Init}
FunctionEnd

Section "Payload"
  ReadEnvStr $R1 MSK_E2E_URL
  ReadEnvStr $R2 MSK_E2E_TARGET
  ReadEnvStr $R3 MSK_E2E_REPORT
  FileOpen $Report $R3 w
  ; The installer's window, which the dialogs shown from this section must be owned by.
  !insertmacro ReportLine "hwndparent=$HWNDPARENT"

  StrCpy $R4 0
  ${Do}
    IntOp $R4 $R4 + 1
    DetailPrint "Downloading (attempt $R4)"
    ${MSK_HTTPDownload} $R1 $R2 $0
    !insertmacro ReportLine "attempt$R4=$0"
    System::Call "user32::IsWindowEnabled(p $HWNDPARENT) i .r5"
    !insertmacro ReportLine "enabled_after_download$R4=$5"
    ${If} $0 == 1
      ${Break}
    ${EndIf}
    ; Flushed before the dialog blocks: the driver waits for this line.
    FileClose $Report
    FileOpen $Report $R3 a
    FileSeek $Report 0 END
    ${MSK_ShowErrorWindow} $1
    !insertmacro ReportLine "error_window$R4=$1"
    System::Call "user32::IsWindowEnabled(p $HWNDPARENT) i .r5"
    !insertmacro ReportLine "enabled_after_error_window$R4=$5"
    ${If} $1 != 1
      ${Break}
    ${EndIf}
  ${Loop}
  !insertmacro ReportLine "done"
  FileClose $Report
SectionEnd
