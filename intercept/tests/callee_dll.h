// The functions of the callee test module (callee_dll.cpp).
#pragma once

#include <windows.h>

extern "C" {
__declspec(dllimport) DWORD CalleeGetSysColor(int index);
__declspec(dllimport) BOOL CalleeLineTo(HDC dc, int x, int y);
__declspec(dllimport) int CalleeDrawTextExW(HDC dc, LPWSTR text, int length, RECT* rect, UINT format);
__declspec(dllimport) HWND CalleeCreateWindowExW(LPCWSTR className, LPCWSTR title, DWORD style);
__declspec(dllimport) const void* CalleeImportedGetSysColor();
__declspec(dllimport) int CalleeTimesThree(int x);
}
