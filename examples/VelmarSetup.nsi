; Example installer for MarlowSetupKit: starts downloading its payload in the background as it
; starts (retrying by itself, checking its SHA-256), waits for it in its section behind the skinned
; download dialog (with a Cancel button), offers "Try Again" when the download failed and then
; downloads in the foreground, skins its instfiles page and its uninstaller, and shows what the
; library knows about the user.
;
;   makensis -DMSK_TARGET=amd64-unicode -DOUTFILE=VelmarSetup.exe VelmarSetup.nsi
;
; makensis finds the plug-in in NSIS's own folders when the release is unpacked there; for a DLL
; elsewhere add -DMSK_DLL_SOURCE=path\to\MarlowSetupKit.dll (the build for the target). The payload
; can be any program: payload/ holds the source of the one the project serves, whose version
; resource the installer reads back.
;
; Command line of the built installer: /URL=<payload url> overrides the default address;
; /SHA256=<hex> is the digest the payload must have (default PAYLOAD_SHA256 when defined, else
; none); /S runs it silently (no download dialog, and a failed download ends it with exit code 2
; instead of asking).
; It writes install-report.txt beside the payload with what it found out.

Unicode true
!ifdef MSK_TARGET
  Target ${MSK_TARGET}
!endif
!ifndef OUTFILE
  !define OUTFILE "VelmarSetup.exe"
!endif
!ifndef DEFAULT_URL
  !define DEFAULT_URL "http://127.0.0.1:8080/velmar-payload.exe"
!endif

!include "FileFunc.nsh"
!include "StrFunc.nsh"
!include "MarlowSetupKit.nsh"

${StrStr}

Name "Velmar"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Velmar"
RequestExecutionLevel user
ShowInstDetails show
ShowUninstDetails show

Page directory
Page instfiles "" SkinInstFiles
UninstPage instfiles "" un.SkinInstFiles

Function SkinInstFiles
  ; The instfiles page is the inner dialog; its progress bar is 1004, its status text 1006.
  FindWindow $1 "#32770" "" $HWNDPARENT
  GetDlgItem $2 $1 1004
  GetDlgItem $3 $1 1006
  ${MSK_CaptureInstallDialog} $HWNDPARENT $2 $3 $0
  ; Next, Cancel and Back get backgrounds cut from the same picture.
  ${MSK_CaptureDialog} $HWNDPARENT $0
FunctionEnd

Function un.SkinInstFiles
  ${MSK_CaptureUninstallDialog} $HWNDPARENT $0
FunctionEnd

Var Payload  ; the background download's id, or why it did not start

; The payload is on its way while the user reads the pages: into the plug-ins folder, as the
; installation folder is still to be chosen. Three more tries 1, 2 and 4 s apart, resuming where a
; broken connection left off; an empty /SHA256= checks nothing.
Function .onInit
  ${MSK_Init}
  ; To draw your own pictures instead of ours (README: "The installer's own skin"), extract their
  ; BMP files and name the folder before any dialog or skin; /PLAIN draws none of ours:
  ;   SetOutPath "$PLUGINSDIR\skin"
  ;   File "skin\*.bmp"
  ;   ${MSK_Skin} "$PLUGINSDIR\skin" $0  ; "OK", or why the folder was refused
  Call ReadUrlOption
  Call ReadSha256Option
  ${MSK_DownloadBackground} "/RETRY=3 /SHA256=$R5" $R1 "$PLUGINSDIR\velmar-payload.exe" $Payload
FunctionEnd

Function un.onInit
  ${MSK_Init}
FunctionEnd

Function .onGUIEnd
  ${MSK_Unload}
FunctionEnd

; $R1 = the value of /URL= on the command line, or DEFAULT_URL. (GetOptions cannot be used: it
; splits the command line at every "/", and a URL is full of them.)
Function ReadUrlOption
  ${GetParameters} $R0
  ${StrStr} $R1 $R0 "/URL="
  StrCmp $R1 "" 0 +3
    StrCpy $R1 "${DEFAULT_URL}"
    Return
  StrCpy $R1 $R1 "" 5
  StrCpy $R2 0
  find_end:
    StrCpy $R3 $R1 1 $R2
    StrCmp $R3 "" found_end
    StrCmp $R3 " " found_end
    IntOp $R2 $R2 + 1
    Goto find_end
  found_end:
  StrCpy $R1 $R1 $R2
FunctionEnd

; $R5 = the value of /SHA256= on the command line, or PAYLOAD_SHA256, or nothing.
Function ReadSha256Option
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/SHA256=" $R5
  IfErrors 0 done
    !ifdef PAYLOAD_SHA256
      StrCpy $R5 "${PAYLOAD_SHA256}"
    !else
      StrCpy $R5 ""
    !endif
  done:
FunctionEnd

Section "Velmar"
  SetOutPath "$INSTDIR"
  Call ReadUrlOption
  Call ReadSha256Option

  StrCpy $R2 1  ; attempts the user saw
  DetailPrint "Downloading $R1 (attempt $R2)"
  ${MSK_Wait} "/CANCEL" $Payload $0
  StrCmp $0 "OK" 0 download_failed
    CopyFiles /SILENT "$PLUGINSDIR\velmar-payload.exe" "$INSTDIR\velmar-payload.exe"
    Delete "$PLUGINSDIR\velmar-payload.exe"
    Goto downloaded
  download:
    IntOp $R2 $R2 + 1
    DetailPrint "Downloading $R1 (attempt $R2)"
    ${MSK_Download} "/RETRY=3 /CANCEL /SHA256=$R5" $R1 "$INSTDIR\velmar-payload.exe" $0
    StrCmp $0 "OK" downloaded
  download_failed:
    DetailPrint "The download failed: $0"
    IfSilent failed
    StrCmp $0 "Cancelled" failed
    ${MSK_ShowErrorWindow} $0
    StrCmp $0 1 download failed

  failed:
    SetErrorLevel 2
    Abort "Velmar could not be downloaded."

  downloaded:
  ${MSK_GetInfo} "$INSTDIR\velmar-payload.exe" "ProductVersion" $4
  ${MSK_GetInfo} "$INSTDIR\velmar-payload.exe" "CompanyName" $5
  DetailPrint "Velmar $4 by $5"
  ; Its Authenticode signer; empty here, the generated payload is not signed. A payload of a known
  ; publisher is downloaded with "/SIGNER=<its name>" instead, which refuses any other.
  ${MSK_Signer} "$INSTDIR\velmar-payload.exe" $R6
  DetailPrint "Signed by: $R6"

  ${MSK_GetSid} $6
  ${MSK_GetLocalAppData} "No" $7
  ${MSK_GetAppData} "No" $8
  ${MSK_GetDesktop} "No" $9
  ${MSK_GetUserStartMenu} "No" $R3
  ${MSK_Expand} "No" "%USERPROFILE%\Velmar" $R4
  DetailPrint "User SID: $6"
  DetailPrint "Local application data: $7"
  DetailPrint "Application data: $8"
  DetailPrint "Desktop: $9"
  DetailPrint "Start menu programs: $R3"
  DetailPrint "Expanded: $R4"

  FileOpen $R5 "$INSTDIR\install-report.txt" w
  FileWrite $R5 "attempts=$R2$\r$\nversion=$4$\r$\ncompany=$5$\r$\nsid=$6$\r$\n"
  FileWrite $R5 "localappdata=$7$\r$\nappdata=$8$\r$\ndesktop=$9$\r$\nprograms=$R3$\r$\n"
  FileWrite $R5 "expanded=$R4$\r$\n"
  FileClose $R5

  WriteUninstaller "$INSTDIR\uninstall.exe"
SectionEnd

Section "Uninstall"
  Delete "$INSTDIR\velmar-payload.exe"
  Delete "$INSTDIR\install-report.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
