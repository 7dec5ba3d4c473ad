; The DLL as users ship it: inside an installer of this build's architecture, extracted to the
; plug-ins folder and called through System::Call by name and by ordinal.
!include "MskTest.nsh"
Name "MarlowSetupKit load and call"

Section
  InitPluginsDir
  File "/oname=$PLUGINSDIR\MarlowSetupKit.dll" "${MSK_DLL_SOURCE}"

  ; It loads into the installer's process: everything it imports resolves there.
  System::Call 'kernel32::LoadLibraryW(w "$PLUGINSDIR\MarlowSetupKit.dll") p.r0'
  ${MskCheck} $0 != 0 "LoadLibraryW of the extracted DLL"
  ; Ordinals are fixed: 14 is Unload.
  System::Call 'kernel32::GetProcAddress(p r0, m "Unload") p.r1'
  ${MskCheck} $1 != 0 "GetProcAddress by name: Unload"
  System::Call 'kernel32::GetProcAddress(p r0, p 14) p.r2'
  ${MskCheck} $2 == $1 "GetProcAddress by ordinal 14"

  ; System::Call reports a function it cannot find as "error"; Unload it finds, and calling it
  ; with nothing captured is harmless, again and again.
  System::Call '$PLUGINSDIR\MarlowSetupKit.dll::NoSuchExport() i.r3'
  ${MskCheck} $3 == "error" "calling a missing export"
  System::Call '$PLUGINSDIR\MarlowSetupKit.dll::Unload() i.r3'
  ${MskCheck} $3 != "error" "calling Unload by name"
  System::Call '$PLUGINSDIR\MarlowSetupKit.dll::Unload() i.r3'
  ${MskCheck} $3 != "error" "calling Unload a second time"

  ; It stays loaded under its own file name: the skins find their bitmaps through it.
  System::Call 'kernel32::GetModuleHandleW(w "MarlowSetupKit.dll") p.r4'
  ${MskCheck} $4 == $0 "GetModuleHandleW(MarlowSetupKit.dll)"
  System::Call 'kernel32::FreeLibrary(p r0) i.r5'
  ${MskCheck} $5 != 0 "FreeLibrary"

  ${MskPass}
SectionEnd
