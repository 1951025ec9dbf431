// Device-context registration: which window each device context was handed
// out for (WinList) and, for the windows of attached DataWindows, which
// record paints on it (DWList). A memory context made from a registered one
// inherits both, so that a DataWindow's double-buffered painting is
// recognised as its own.
//
// Every paint of every window passes through here: the WinList recycles its
// map nodes, so that a handed-out and given-back context costs no allocation.
#include "datawindow/dw_object.h"
#include "datawindow/dw_list.h"
#include "base/globals.h"
#include "base/real_functions.h"
#include "skin/win_list.h"

namespace {

void Remember(HDC dc, DWObject* record) {
    try {
        g_pDWlist->m_mapDC[dc] = record;
    } catch (...) {
        // Out of memory: the context paints as an ordinary one.
    }
}

HDC Register(HDC dc, HWND window) {
    if (!dc) return dc;
    if (g_pWinlist) g_pWinlist->MapDC(dc, window);
    if (g_pDWlist) {
        if (DWObject* record = g_pDWlist->FindDW(window)) Remember(dc, record);
    }
    return dc;
}

void Unregister(HDC dc) {
    if (g_pWinlist) g_pWinlist->UnmapDC(dc);
    if (g_pDWlist && !g_pDWlist->m_mapDC.empty()) g_pDWlist->m_mapDC.erase(dc);
}

}  // namespace

HDC WINAPI HookGetDC(HWND hWnd) { return Register(Real_GetDC(hWnd), hWnd); }

HDC WINAPI HookGetWindowDC(HWND hWnd) { return Register(Real_GetWindowDC(hWnd), hWnd); }

HDC WINAPI HookGetDCEx(HWND hWnd, HRGN hrgnClip, DWORD flags) {
    return Register(Real_GetDCEx(hWnd, hrgnClip, flags), hWnd);
}

HDC WINAPI HookBeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint) { return Register(Real_BeginPaint(hWnd, lpPaint), hWnd); }

int WINAPI HookReleaseDC(HWND hWnd, HDC hDC) {
    Unregister(hDC);
    return Real_ReleaseDC(hWnd, hDC);
}

BOOL WINAPI HookEndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint) {
    if (lpPaint) Unregister(lpPaint->hdc);
    return Real_EndPaint(hWnd, lpPaint);
}

BOOL WINAPI HookDeleteDC(HDC hdc) {
    Unregister(hdc);
    return Real_DeleteDC(hdc);
}

HDC WINAPI HookCreateCompatibleDC(HDC hdc) {
    HDC created = Real_CreateCompatibleDC(hdc);
    if (!created) return created;
    if (g_pWinlist) {
        if (HWND window = g_pWinlist->WindowOfDC(hdc)) g_pWinlist->MapDC(created, window);
    }
    if (g_pDWlist) {
        if (DWObject* record = g_pDWlist->FindDWForDC(hdc)) Remember(created, record);
    }
    return created;
}
