// Intercepted functions whose replacements only call the real function.
#include "base/real_functions.h"

BOOL WINAPI HookBitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop) {
    return Real_BitBlt(hdc, x, y, cx, cy, hdcSrc, x1, y1, rop);
}

HBRUSH WINAPI HookCreateSolidBrush(COLORREF color) { return Real_CreateSolidBrush(color); }

BOOL WINAPI HookGetPrinterW(HANDLE hPrinter, DWORD Level, LPBYTE pPrinter, DWORD cbBuf, LPDWORD pcbNeeded) {
    return Real_GetPrinterW(hPrinter, Level, pPrinter, cbBuf, pcbNeeded);
}

BOOL WINAPI HookMoveToEx(HDC hdc, int x, int y, LPPOINT lppt) { return Real_MoveToEx(hdc, x, y, lppt); }

BOOL WINAPI HookScrollDC(HDC hDC, int dx, int dy, const RECT* lprcScroll, const RECT* lprcClip, HRGN hrgnUpdate,
                         LPRECT lprcUpdate) {
    return Real_ScrollDC(hDC, dx, dy, lprcScroll, lprcClip, hrgnUpdate, lprcUpdate);
}

HDC WINAPI HookCreateDCW(LPCWSTR pwszDriver, LPCWSTR pwszDevice, LPCWSTR pszPort, const DEVMODEW* pdm) {
    return Real_CreateDCW(pwszDriver, pwszDevice, pszPort, pdm);
}

BOOL WINAPI HookFillRgn(HDC hdc, HRGN hrgn, HBRUSH hbr) { return Real_FillRgn(hdc, hrgn, hbr); }

BOOL WINAPI HookDrawEdge(HDC hdc, LPRECT qrc, UINT edge, UINT grfFlags) {
    return Real_DrawEdge(hdc, qrc, edge, grfFlags);
}

LONG WINAPI HookdwPaintDC(HWND hWnd, HDC hdc) { return Real_dwPaintDC(hWnd, hdc); }
