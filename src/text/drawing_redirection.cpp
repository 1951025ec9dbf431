// Drawing on device contexts: calls that land in an attached DataWindow's
// context (or, while one is printed, any context for fills and lines) go to
// the DataWindow painters; all others reach the real function unchanged.
#include "datawindow/dw_object.h"
#include "datawindow/grid_lines.h"
#include "header/fill_painters.h"
#include "draw/polygon_painters.h"
#include "frame/debug_log.h"
#include "frame/dw_list.h"
#include "frame/globals.h"
#include "frame/real_functions.h"
#include "frame/sys_color_table.h"

namespace {

DWObject* RecordOfDC(HDC dc) { return g_pDWlist ? g_pDWlist->FindDWForDC(dc) : nullptr; }

}  // namespace

int WINAPI HookFillRect(HDC hDC, const RECT* lprc, HBRUSH hbr) {
    DWObject* record = g_pDWlist ? g_pDWlist->GetPrintingDW() : nullptr;
    if (!record) record = RecordOfDC(hDC);
    return record ? PaintCornerBox(*record, hDC, lprc, hbr) : Real_FillRect(hDC, lprc, hbr);
}

BOOL WINAPI HookLineTo(HDC hdc, int x, int y) {
    DWObject* record = g_pDWlist ? g_pDWlist->GetPrintingDW() : nullptr;
    if (!record) record = RecordOfDC(hdc);
    return record ? PaintGridLine(*record, hdc, x, y) : Real_LineTo(hdc, x, y);
}

BOOL WINAPI HookPatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop) {
    if (DWObject* record = RecordOfDC(hdc)) return PaintPattern(*record, hdc, x, y, w, h, rop);
    return Real_PatBlt(hdc, x, y, w, h, rop);
}

BOOL WINAPI HookRectangle(HDC hdc, int left, int top, int right, int bottom) {
    if (DWObject* record = RecordOfDC(hdc)) return PaintRectangle(*record, hdc, left, top, right, bottom);
    return Real_Rectangle(hdc, left, top, right, bottom);
}

BOOL WINAPI HookPaintRgn(HDC hdc, HRGN hrgn) {
    if (DWObject* record = RecordOfDC(hdc)) return PaintRegion(*record, hdc, hrgn);
    return Real_PaintRgn(hdc, hrgn);
}

BOOL WINAPI HookPolygon(HDC hdc, const POINT* apt, int cpt) {
    if (DWObject* record = RecordOfDC(hdc)) return PaintPolygon(hdc, *record, apt, cpt);
    return Real_Polygon(hdc, apt, cpt);
}

BOOL WINAPI HookPolyline(HDC hdc, const POINT* apt, int cpt) {
    if (RecordOfDC(hdc)) return PaintPolyline(hdc, apt, cpt);
    return Real_Polyline(hdc, apt, cpt);
}

// Selected rows keep the text colour already chosen: the highlight-text
// colour the DataWindow asks for is not applied on its contexts.
COLORREF WINAPI HookSetTextColor(HDC hdc, COLORREF color) {
    if (!RecordOfDC(hdc) || color != Real_GetSysColor(COLOR_HIGHLIGHTTEXT)) return Real_SetTextColor(hdc, color);
    COLORREF replaced;
    return FindReplacedSysColor(COLOR_HIGHLIGHTTEXT, &replaced) ? replaced : GetSysColor(COLOR_WINDOWTEXT);
}

BOOL WINAPI HookDrawFrameControl(HDC hdc, LPRECT lprc, UINT uType, UINT uState) {
    if (RecordOfDC(hdc)) DebugLog("HookDrawFrameControl\n");
    return Real_DrawFrameControl(hdc, lprc, uType, uState);
}

BOOL WINAPI HookDrawCaption(HWND hwnd, HDC hdc, const RECT* lprect, UINT flags) {
    if (g_pDWlist && g_pDWlist->FindDW(hwnd)) DebugLog("HookDrawCaption\n");
    DebugLog("HookDrawCaption\n");
    return Real_DrawCaption(hwnd, hdc, lprect, flags);
}
