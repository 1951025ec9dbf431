// Process-wide state of the library: the registries of attached DataWindows
// and skinned windows (made by StartTessel, gone after StopTessel) and the
// library's own module.
#pragma once

#include <windows.h>

class DWList;
class WinList;

extern DWList* g_pDWlist;
extern WinList* g_pWinlist;
extern HMODULE g_hModule;
