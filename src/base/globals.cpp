#include "base/globals.h"

DWList* g_pDWlist = nullptr;
WinList* g_pWinlist = nullptr;
HMODULE g_hModule = nullptr;
