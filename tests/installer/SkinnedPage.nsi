; The skinning exports in an installer that shows its instfiles page: the page is captured from its
; pre-function, as a product installer does, and the section then checks from inside the process
; what the skin changed: the status text shortens long paths around the file name, and the
; progress bar is drawn by the skin (its frame's outer line, FRAME_OUTER in res/bitmaps/generate.py,
; runs along the bar's top edge); Download /PAGE drives the skinned bar and leaves the skins in
; place. Closes by itself.
!include "MskTest.nsh"
!include "MarlowSetupKit.nsh"
Name "MarlowSetupKit skinned page"
AutoCloseWindow true
ShowInstDetails hide

!define FRAME_OUTER 0x6A3E24  ; COLORREF of red 36, green 62, blue 106
!define LONG_PATH "C:\Program Files\Velmar\Components\Runtime\Libraries\Graphics\Textures\Environment\sky-dome-4k.dds"

Var InstallSkinned
Var ButtonsSkinned

Page instfiles "" SkinInstfilesPage

Function .onInit
  ${MSK_Init}
FunctionEnd

Function SkinInstfilesPage
  FindWindow $0 "#32770" "" $HWNDPARENT
  GetDlgItem $1 $0 1004
  GetDlgItem $2 $0 1006
  ${MSK_CaptureInstallDialog} $HWNDPARENT $1 $2 $InstallSkinned
  ${MSK_CaptureDialog} $HWNDPARENT $ButtonsSkinned
FunctionEnd

Function .onGUIEnd
  ${MSK_Unload}
FunctionEnd

Section
  ${MskCheck} $InstallSkinned == 1 "CaptureInstallDialog"
  ${MskCheck} $ButtonsSkinned == 1 "CaptureDialog"
  ; A second CaptureDialog leaves the first capture in place; callers see success.
  ${MSK_CaptureDialog} $HWNDPARENT $0
  ${MskCheck} $0 != 0 "a second CaptureDialog"

  FindWindow $0 "#32770" "" $HWNDPARENT
  GetDlgItem $1 $0 1006
  DetailPrint "${LONG_PATH}"
  System::Call 'user32::GetWindowTextW(p r1, w .r2, i ${NSIS_MAX_STRLEN})'
  StrLen $3 $2
  StrLen $4 "${LONG_PATH}"
  ${MskCheck} $3 < $4 "length of the status text after a long path"
  StrCpy $3 $2 "" -15
  ${MskCheck} $3 == "sky-dome-4k.dds" "end of the shortened status text"

  ; Paint the bar now and read its top edge back from the screen.
  GetDlgItem $1 $0 1004
  System::Call 'user32::RedrawWindow(p r1, p 0, p 0, i 0x185)'  ; INVALIDATE|ERASE|UPDATENOW|FRAME
  System::Call '*(i, i, i, i) p .r5'
  System::Call 'user32::GetClientRect(p r1, p r5)'
  System::Call '*$5(i, i, i .r6, i .r7)'
  System::Free $5
  ${MskCheck} $6 > 20 "width of the progress bar"
  System::Call 'user32::GetDC(p r1) p .r5'
  IntOp $6 $6 / 2
  System::Call 'gdi32::GetPixel(p r5, i r6, i 0) i .r8'
  System::Call 'user32::ReleaseDC(p r1, p r5)'
  IntFmt $8 "0x%06X" $8
  ${MskCheck} $8 == ${FRAME_OUTER} "colour of the progress bar's top edge"

  ; Download /PAGE drives the skinned bar (a marquee: the size is unknown) on top of the window's
  ; skins, and leaves bar and skins as they were.
  ${MskTestServerInfo} address $2
  SendMessage $1 0x407 0 0 $3  ; PBM_GETRANGE: the upper bound
  System::Call 'user32::GetWindowLongW(p r1, i -16) i .r4'
  ${MSK_Download} "/PAGE" "http://$2/bytes?size=1000000&rate=1000000&length=none" \
                  "$PLUGINSDIR\page.bin" $5
  ${MskCheck} $5 == "OK" "Download /PAGE on the skinned page"
  SendMessage $1 0x407 0 0 $6
  System::Call 'user32::GetWindowLongW(p r1, i -16) i .r7'
  ${MskCheck} "$6 $7" == "$3 $4" "the skinned bar's range and style after Download /PAGE"
  System::Call 'user32::RedrawWindow(p r1, p 0, p 0, i 0x185)'
  System::Call 'user32::GetDC(p r1) p .r5'
  System::Call 'gdi32::GetPixel(p r5, i 30, i 0) i .r8'
  System::Call 'user32::ReleaseDC(p r1, p r5)'
  IntFmt $8 "0x%06X" $8
  ${MskCheck} $8 == ${FRAME_OUTER} "the bar still skinned after Download /PAGE"
  ${MskPass}
SectionEnd
