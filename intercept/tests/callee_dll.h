// The functions of the callee test module (callee_dll.cpp).
#pragma once

#include <windows.h>

extern "C" {
__declspec(dllimport) DWORD CalleeGetSysColor(int index);
__declspec(dllimport) BOOL CalleeLineTo(HDC dc, int x, int y);
__declspec(dllimport) int CalleeTimesThree(int x);
}
