; The least an installer needs to fetch its payload with MarlowSetupKit: the download behind the
; dialog with its text line, three more tries that resume, the payload's SHA-256 checked, and the
; "Try Again" / "Cancel" dialog when it still fails.
;
;   makensis -DPAYLOAD_URL=https://example.test/payload.exe -DPAYLOAD_SHA256=<64 hex digits> \
;            MinimalDownload.nsi
;
; With the release unpacked over NSIS, makensis finds the plug-in by itself; for a DLL elsewhere
; add -DMSK_DLL_SOURCE=path\to\MarlowSetupKit.dll (the build for the installer's target).
; The built installer exits with code 2 when the payload could not be downloaded.

Unicode true
!ifdef MSK_TARGET
  Target ${MSK_TARGET}  ; x86-unicode (the default) or amd64-unicode
!endif
!ifndef OUTFILE
  !define OUTFILE "MinimalDownload.exe"
!endif
!ifndef PAYLOAD_URL
  !define PAYLOAD_URL "http://127.0.0.1:8080/payload.exe"
!endif
!ifndef PAYLOAD_SHA256
  !define PAYLOAD_SHA256 ""  ; none: any content is accepted
!endif

!include "MarlowSetupKit.nsh"

Name "Minimal Download"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\MinimalDownload"
RequestExecutionLevel user

Page directory
Page instfiles

Function .onInit
  ${MSK_Init}  ; the error dialog is an export called from $PLUGINSDIR
FunctionEnd

Section
  SetOutPath "$INSTDIR"
  download:
    ${MSK_Download} "/RETRY=3 /SHA256=${PAYLOAD_SHA256}" "${PAYLOAD_URL}" "$INSTDIR\payload.exe" $0
    StrCmp $0 "OK" done
    DetailPrint "The download failed: $0"
    IfSilent failed  ; nobody to ask
    ${MSK_ShowErrorWindow} $0
    StrCmp $0 1 download failed
  failed:
    SetErrorLevel 2
    Abort "The payload could not be downloaded."
  done:
SectionEnd
