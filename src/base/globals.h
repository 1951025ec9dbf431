// Process-wide state of the library.
#pragma once

#include <windows.h>

class DWList;
class WinList;

extern DWList* g_pDWlist;
extern WinList* g_pWinlist;
extern HMODULE g_hModule;

// Folder of the library file itself, without a trailing backslash; empty when
// the module path cannot be read.
const wchar_t* LibraryFolder();
// A settings or skin file name as the library resolves it: a name without a
// backslash lives in the library's folder ("%s\%s"), other names are used as
// given. Returns false (and logs) when the result would not fit cchMax.
bool ResolveLibraryFile(const wchar_t* name, wchar_t* out, size_t cchMax);
