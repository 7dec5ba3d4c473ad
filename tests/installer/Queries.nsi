; The query exports in an installer, through MarlowSetupKit.nsh: each answer is compared with what
; NSIS itself knows about the same user and machine.
!include "MskTest.nsh"
!include "MarlowSetupKit.nsh"
Name "MarlowSetupKit queries"

Function .onInit
  ${MSK_Init}
FunctionEnd

Section
  ${MSK_GetSid} $0
  StrCpy $1 $0 6
  ${MskCheck} $1 == "S-1-5-" "GetSid"
  ${MSK_GetForcedSid} $0
  StrCpy $1 $0 4
  ${MskCheck} $1 == "S-1-" "GetForcedSid"

  SetShellVarContext current
  ${MSK_GetLocalAppData} "No" $0
  ${MskCheck} $0 == $LOCALAPPDATA "GetLocalAppData"
  ${MSK_GetAppData} "No" $0
  ${MskCheck} $0 == $APPDATA "GetAppData"
  ${MSK_GetDesktop} "No" $0
  ${MskCheck} $0 == $DESKTOP "GetDesktop"
  ${MSK_GetUserStartMenu} "No" $0
  ${MskCheck} $0 == $SMPROGRAMS "GetUserStartMenu (the Programs folder)"
  SetShellVarContext all
  ${MSK_GetCommonDesktop} "No" $0
  ${MskCheck} $0 == $DESKTOP "GetCommonDesktop"
  SetShellVarContext current

  ${MSK_Expand} "No" "%WINDIR%\Temp;%NO_SUCH_VARIABLE_MSK%" $0
  ${MskCheck} $0 == "$WINDIR\Temp;%NO_SUCH_VARIABLE_MSK%" "Expand"
  ; Arguments travel through the stack: quotes arrive whole.
  ${MSK_Expand} "No" 'say "%WINDIR%"' $0
  ${MskCheck} $0 == 'say "$WINDIR"' "Expand of a text with quotes"

  ${MSK_GetInfo} "$PLUGINSDIR\MarlowSetupKit.dll" "OriginalFilename" $0
  ${MskCheck} $0 == "MarlowSetupKit.dll" "GetInfo OriginalFilename of the DLL"
  ${MSK_GetInfo} "$PLUGINSDIR\MarlowSetupKit.dll" "NoSuchKey" $0
  ${MskCheck} $0 == "" "GetInfo of a missing key"
  ${MSK_GetInfo} "$PLUGINSDIR\no-such-file.dll" "ProductVersion" $0
  ${MskCheck} $0 == "" "GetInfo of a missing file"
  ${MskPass}
SectionEnd
