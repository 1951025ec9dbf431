// Export shells: the entry points exist with their final names and calling
// convention; the library spine fills them in.
#include "frame/exports.h"

TESSEL_API StartTessel() { return 0; }
TESSEL_API StopTessel() { return 0; }
TESSEL_API AttachDatawindow(HWND, LPCWSTR) { return 0; }
TESSEL_API DettachDatawindow(HWND) { return 0; }
TESSEL_API ReplaceSysColor(int, COLORREF) { return 0; }
TESSEL_API SetSkinFile(LPCWSTR) { return 0; }
TESSEL_API AddDatawindowTitle(HWND, LPCWSTR, LPCWSTR, int, int) { return 0; }
TESSEL_API ModifyDatawindowTitle(HWND, int, LPCWSTR, LPCWSTR, int) { return 0; }
TESSEL_API SetSpanTitle(HWND, LPCWSTR, LPCWSTR, LPCWSTR, int, int) { return 0; }
TESSEL_API SetIconfont(LPCWSTR, int) { return 0; }
TESSEL_API PrintDebugString(LPCWSTR) { return 0; }
TESSEL_API SetDebugWindowColor(int) { return 0; }
TESSEL_API OpenDebugWindow() { return 0; }
TESSEL_API CloseDebugWindow() { return 0; }
TESSEL_API DWAbout() { return 0; }
TESSEL_API GetAddColumnSyntax(HWND, int, int, int, int) { return 0; }
TESSEL_API AddSystemEnv(LPCWSTR, LPCWSTR, int) { return 0; }
