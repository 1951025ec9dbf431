// Frame controls and captions: passed on to the real function, with a debug
// line for those drawn on an attached DataWindow, and for captions one more
// line whatever the window.
#include "base/debug_log.h"
#include "base/globals.h"
#include "base/real_functions.h"
#include "datawindow/dw_list.h"

BOOL WINAPI HookDrawFrameControl(HDC hdc, LPRECT lprc, UINT uType, UINT uState) {
    if (RecordOfDC(hdc)) DebugLog("HookDrawFrameControl\n");
    return Real_DrawFrameControl(hdc, lprc, uType, uState);
}

BOOL WINAPI HookDrawCaption(HWND hwnd, HDC hdc, const RECT* lprect, UINT flags) {
    if (g_pDWlist && g_pDWlist->FindDW(hwnd)) DebugLog("HookDrawCaption\n");
    DebugLog("HookDrawCaption\n");
    return Real_DrawCaption(hwnd, hdc, lprect, flags);
}
