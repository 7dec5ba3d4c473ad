; An installer whose instfiles page skins itself with MarlowSetupKit, as a product installer does:
; the main window gets the background, the inner page's progress bar (1004) and status text (1006)
; their skins, and the buttons their cut-out backgrounds. It prints long paths, tells the test
; driver when it may take its screenshot, waits for it, and closes by itself.
;
; makensis defines: MSK_TARGET (amd64-unicode or x86-unicode), MSK_DLL_SOURCE (the DLL to ship),
; MSK_OUT (the installer to write) and MSK_NSIS_DIR (the repository's nsis/ folder). At run time
; the environment variable MSK_E2E_DIR names the folder for the report and the handshake files.
Unicode true
Target ${MSK_TARGET}
!addincludedir "${MSK_NSIS_DIR}"
!include "MarlowSetupKit.nsh"
!include "LogicLib.nsh"

Name "Velmar"
Caption "Velmar Installation"
OutFile "${MSK_OUT}"
RequestExecutionLevel user
InstallDir "$TEMP\VelmarSkinTest"
AutoCloseWindow true
ShowInstDetails hide

Var E2eDir
Var Report

Page instfiles "" SkinInstfilesPage

!macro ReportLine text
  FileWrite $Report "${text}$\r$\n"
!macroend

Function .onInit
  ReadEnvStr $E2eDir MSK_E2E_DIR
  ${MSK_Init}
FunctionEnd

Function SkinInstfilesPage
  FileOpen $Report "$E2eDir\report.txt" w
  FindWindow $0 "#32770" "" $HWNDPARENT
  GetDlgItem $1 $0 1004
  GetDlgItem $2 $0 1006
  ${MSK_CaptureInstallDialog} $HWNDPARENT $1 $2 $3
  !insertmacro ReportLine "CaptureInstallDialog=$3"
  ${MSK_CaptureDialog} $HWNDPARENT $4
  !insertmacro ReportLine "CaptureDialog=$4"
FunctionEnd

Section "Velmar"
  DetailPrint "C:\Program Files\Velmar\Components\Runtime\Libraries\Graphics\Shaders\Compiled\cache-0001.bin"
  Sleep 300
  DetailPrint "C:\Program Files\Velmar\Components\Runtime\Libraries\Audio\Codecs\Decoders\opus-decoder.dll"
  Sleep 300
  DetailPrint "C:\Users\Public\Documents\Velmar\Samples\Projects\Getting Started\Chapter 01\Assets\intro.mp4"
  Sleep 300
  DetailPrint "Extract: readme.txt"
  Sleep 300
  DetailPrint "C:\Program Files\Velmar\Components\Runtime\Libraries\Graphics\Textures\Environment\sky-dome-4k.dds"

  ; What the status text shows now, after the skin shortened it.
  FindWindow $0 "#32770" "" $HWNDPARENT
  GetDlgItem $1 $0 1006
  System::Call 'user32::GetWindowTextW(p r1, w .r5, i ${NSIS_MAX_STRLEN})'
  !insertmacro ReportLine "Status=$5"
  FileClose $Report

  ; Hand over to the driver for the screenshot, and wait (at most 60 s) until it is taken.
  FileOpen $6 "$E2eDir\ready" w
  FileClose $6
  StrCpy $7 0
  ${DoWhile} $7 < 300
    IfFileExists "$E2eDir\shot-taken" done
    Sleep 200
    IntOp $7 $7 + 1
  ${Loop}
  done:
SectionEnd

Function .onGUIEnd
  ${MSK_Unload}
FunctionEnd
