#pragma once
// The export table of MarlowSetupKit.dll. Names and ordinals are fixed by MarlowSetupKit.def;
// every export is cdecl and undecorated on both architectures. An installer calls them one at a
// time, on its user-interface thread or on the thread that runs its sections.

#include <windows.h>

#include <nsis/pluginapi.h>

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

// Skins: 1 when the window was subclassed (after Skin /PLAIN: when it is a window, which keeps its
// own look), else 0.
int MSK_EXPORT CaptureInstallDialog(HWND window, HWND progressBar, HWND statusText);
int MSK_EXPORT CaptureDialog(HWND window);
void MSK_EXPORT Unload();
int MSK_EXPORT CaptureUninstallDialog(HWND window);

// Plug-in commands, as NSIS calls them (`MarlowSetupKit::Download [options] url path`): arguments
// from the stack, one result line pushed back, never longer than the installer's string size.
// Download answers "OK" or why not (with /BACKGROUND: the download's id); Sha256 answers a file's
// lower-case hex digest or ""; Signer answers the name of a file's verified Authenticode signer or
// "". Wait answers a background download's result line, Query its state in a pattern, Cancel
// "OK"; the three answer "Unknown id <id>" for an id that names none. Skin (folder or /PLAIN)
// answers "OK" or the line saying why the folder was refused.
void MSK_EXPORT Download(HWND parent, int stringSize, wchar_t* variables, stack_t** stackTop,
                         extra_parameters* extra);
void MSK_EXPORT Sha256(HWND parent, int stringSize, wchar_t* variables, stack_t** stackTop,
                       extra_parameters* extra);
void MSK_EXPORT Signer(HWND parent, int stringSize, wchar_t* variables, stack_t** stackTop,
                       extra_parameters* extra);
void MSK_EXPORT Wait(HWND parent, int stringSize, wchar_t* variables, stack_t** stackTop,
                     extra_parameters* extra);
void MSK_EXPORT Query(HWND parent, int stringSize, wchar_t* variables, stack_t** stackTop,
                      extra_parameters* extra);
void MSK_EXPORT Cancel(HWND parent, int stringSize, wchar_t* variables, stack_t** stackTop,
                       extra_parameters* extra);
void MSK_EXPORT Skin(HWND parent, int stringSize, wchar_t* variables, stack_t** stackTop,
                     extra_parameters* extra);

}  // extern "C"
