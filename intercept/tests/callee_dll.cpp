// A module that calls system functions the ordinary way, through its import
// table, so the tests can check that interceptions catch calls from other
// modules than the one that installs them.
#include <windows.h>

#define CALLEE_EXPORT extern "C" __declspec(dllexport)

CALLEE_EXPORT DWORD CalleeGetSysColor(int index) { return GetSysColor(index); }

CALLEE_EXPORT BOOL CalleeLineTo(HDC dc, int x, int y) { return LineTo(dc, x, y); }

CALLEE_EXPORT int CalleeDrawTextExW(HDC dc, LPWSTR text, int length, RECT* rect, UINT format) {
    return DrawTextExW(dc, text, length, rect, format, nullptr);
}

CALLEE_EXPORT HWND CalleeCreateWindowExW(LPCWSTR className, LPCWSTR title, DWORD style) {
    return CreateWindowExW(0, className, title, style, 0, 0, 40, 30, nullptr, nullptr, GetModuleHandleW(nullptr),
                           nullptr);
}

// The address this module's import table holds for GetSysColor.
CALLEE_EXPORT const void* CalleeImportedGetSysColor() { return reinterpret_cast<const void*>(&GetSysColor); }

// A function with a body of its own, imported by the tests through their
// import address table.
CALLEE_EXPORT int CalleeTimesThree(int x) { return 3 * x; }
