#pragma once
// The export table of MarlowSetupKit.dll. Names and ordinals are fixed by MarlowSetupKit.def;
// every export is cdecl and undecorated on both architectures. An installer calls them all on its
// user-interface thread, one at a time.

#include <windows.h>

#define MSK_EXPORT __cdecl

extern "C" {

// Downloads url into path behind the progress dialog: 1 when the file is there, else 0.
int MSK_EXPORT HTTPDownload(const wchar_t* url, const wchar_t* path);
// The connection-error dialog: 1 for "Try Again", else 0.
int MSK_EXPORT ShowErrorWindow();

// Queries: the result goes into `out`, a buffer of the installer's string size.
void MSK_EXPORT GetForcedSid(wchar_t* out);
void MSK_EXPORT GetSid(wchar_t* out);
void MSK_EXPORT GetLocalAppData(const wchar_t* flagText, wchar_t* out);
void MSK_EXPORT GetUserStartMenu(const wchar_t* flagText, wchar_t* out);
void MSK_EXPORT GetAppData(const wchar_t* flagText, wchar_t* out);
void MSK_EXPORT GetDesktop(const wchar_t* flagText, wchar_t* out);
void MSK_EXPORT GetCommonDesktop(const wchar_t* flagText, wchar_t* out);
void MSK_EXPORT Expand(const wchar_t* flagText, const wchar_t* text, wchar_t* out);
void MSK_EXPORT GetInfo(const wchar_t* file, const wchar_t* key, wchar_t* out);

// Skins: 1 when the window was subclassed, else 0.
int MSK_EXPORT CaptureInstallDialog(HWND window, HWND progressBar, HWND statusText);
int MSK_EXPORT CaptureDialog(HWND window);
void MSK_EXPORT Unload();
int MSK_EXPORT CaptureUninstallDialog(HWND window);

}  // extern "C"
