; MarlowSetupKit::Skin in an installer, through MarlowSetupKit.nsh: a folder taken with a relative
; path and with a trailing backslash, refused for a picture of the wrong size, a missing folder, an
; unknown option, and /PLAIN, which the library keeps for its later calls: a window then captured
; keeps its own window procedure.
!include "MskTest.nsh"
!include "MarlowSetupKit.nsh"
Name "MarlowSetupKit skin"

!ifndef MSK_SKIN_BITMAPS
  !error "MSK_SKIN_BITMAPS: the folder of the built-in pictures (res/bitmaps)"
!endif

Function .onInit
  ${MSK_Init}
FunctionEnd

Section
  InitPluginsDir
  SetOutPath "$PLUGINSDIR\skin"
  File "/oname=bar_fill.bmp" "${MSK_SKIN_BITMAPS}/bar_fill.bmp"
  SetOutPath "$PLUGINSDIR\misfit"
  File "/oname=background.bmp" "${MSK_SKIN_BITMAPS}/uninstall_band.bmp"
  SetOutPath "$PLUGINSDIR"

  ${MSK_Skin} "skin" $0
  ${MskCheck} $0 == "OK" "a folder relative to the working directory"
  ${MSK_Skin} "$PLUGINSDIR\skin\" $0
  ${MskCheck} $0 == "OK" "a folder with a trailing backslash"
  ${MSK_Skin} "$PLUGINSDIR\misfit" $0
  ${MskCheck} $0 == "Skin: background.bmp is 550 x 66, wants 550 x 370" "a picture of the wrong size"
  ${MSK_Skin} "$PLUGINSDIR\nowhere" $0
  ${MskCheck} $0 == "Skin: no folder $PLUGINSDIR\nowhere" "a missing folder"
  ${MSK_Skin} "/DARK" $0
  ${MskCheck} $0 == "Skin: invalid option /DARK" "an unknown option"

  ${MSK_Skin} "/PLAIN" $0
  ${MskCheck} $0 == "OK" "/PLAIN"
  System::Call 'user32::CreateWindowExW(i 0, w "STATIC", w "", i 0, i 0, i 0, i 100, i 100, p 0, p 0, p 0, p 0) p .r1'
  ${MskCheck} $1 != 0 "a window to capture"
  System::Call 'user32::GetWindowLongPtrW(p r1, i -4) p .r2'
  ${MSK_CaptureUninstallDialog} $1 $0
  ${MskCheck} $0 == 1 "CaptureUninstallDialog under /PLAIN"
  System::Call 'user32::GetWindowLongPtrW(p r1, i -4) p .r3'
  ${MskCheck} $3 == $2 "the window's own procedure under /PLAIN"
  System::Call 'user32::DestroyWindow(p r1)'
  ${MskPass}
SectionEnd
