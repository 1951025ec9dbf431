// Drawing on device contexts: calls that land in an attached DataWindow's
// context go to the DataWindow painters; all others reach the real function
// unchanged. Lines take the grid-line colours, polygons and polylines are
// painted anti-aliased; the fill, rectangle and text-colour painters join as
// they are built, and until then those calls pass through.
#include "datawindow/dw_object.h"
#include "datawindow/grid_lines.h"
#include "draw/polygon_painters.h"
#include "frame/debug_log.h"
#include "frame/dw_list.h"
#include "frame/globals.h"
#include "frame/real_functions.h"

namespace {

DWObject* RecordOfDC(HDC dc) { return g_pDWlist ? g_pDWlist->FindDWForDC(dc) : nullptr; }

}  // namespace

int WINAPI HookFillRect(HDC hDC, const RECT* lprc, HBRUSH hbr) { return Real_FillRect(hDC, lprc, hbr); }

BOOL WINAPI HookLineTo(HDC hdc, int x, int y) {
    DWObject* record = g_pDWlist ? g_pDWlist->GetPrintingDW() : nullptr;
    if (!record) record = RecordOfDC(hdc);
    return record ? PaintGridLine(*record, hdc, x, y) : Real_LineTo(hdc, x, y);
}

BOOL WINAPI HookPatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop) { return Real_PatBlt(hdc, x, y, w, h, rop); }

BOOL WINAPI HookRectangle(HDC hdc, int left, int top, int right, int bottom) {
    return Real_Rectangle(hdc, left, top, right, bottom);
}

BOOL WINAPI HookPaintRgn(HDC hdc, HRGN hrgn) { return Real_PaintRgn(hdc, hrgn); }

BOOL WINAPI HookPolygon(HDC hdc, const POINT* apt, int cpt) {
    if (DWObject* record = RecordOfDC(hdc)) return PaintPolygon(hdc, *record, apt, cpt);
    return Real_Polygon(hdc, apt, cpt);
}

BOOL WINAPI HookPolyline(HDC hdc, const POINT* apt, int cpt) {
    if (RecordOfDC(hdc)) return PaintPolyline(hdc, apt, cpt);
    return Real_Polyline(hdc, apt, cpt);
}

COLORREF WINAPI HookSetTextColor(HDC hdc, COLORREF color) { return Real_SetTextColor(hdc, color); }

BOOL WINAPI HookDrawFrameControl(HDC hdc, LPRECT lprc, UINT uType, UINT uState) {
    if (RecordOfDC(hdc)) DebugLog("HookDrawFrameControl\n");
    return Real_DrawFrameControl(hdc, lprc, uType, uState);
}

BOOL WINAPI HookDrawCaption(HWND hwnd, HDC hdc, const RECT* lprect, UINT flags) {
    if (g_pDWlist && g_pDWlist->FindDW(hwnd)) DebugLog("HookDrawCaption\n");
    DebugLog("HookDrawCaption\n");
    return Real_DrawCaption(hwnd, hdc, lprect, flags);
}
