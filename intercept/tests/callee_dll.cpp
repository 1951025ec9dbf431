// A module that calls system functions through its own import table, so that
// the tests see interceptions catch calls from other modules.
#include <windows.h>

#define CALLEE_EXPORT extern "C" __declspec(dllexport)

CALLEE_EXPORT DWORD CalleeGetSysColor(int index) { return GetSysColor(index); }
CALLEE_EXPORT BOOL CalleeLineTo(HDC dc, int x, int y) { return LineTo(dc, x, y); }
// A function with a body of its own, imported by the tests through their import address table.
CALLEE_EXPORT int CalleeTimesThree(int x) { return 3 * x; }
