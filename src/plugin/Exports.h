#pragma once
// The export table of MarlowSetupKit.dll. Names and ordinals are fixed by MarlowSetupKit.def;
// every export is cdecl and undecorated on both architectures.

#include <windows.h>

#define MSK_EXPORT __cdecl

extern "C" {

void MSK_EXPORT Unload();

}  // extern "C"
