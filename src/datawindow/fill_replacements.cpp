// Fills on device contexts: those that land in an attached DataWindow's
// context (or, while one is printed, any context for FillRect) go to the
// DataWindow's fill painters; all others reach the real function unchanged.
#include "base/globals.h"
#include "base/real_functions.h"
#include "datawindow/dw_list.h"
#include "datawindow/dw_object.h"
#include "datawindow/fill_painters.h"

int WINAPI HookFillRect(HDC hDC, const RECT* lprc, HBRUSH hbr) {
    DWObject* record = g_pDWlist ? g_pDWlist->GetPrintingDW() : nullptr;
    if (!record) record = RecordOfDC(hDC);
    return record ? PaintCornerBox(*record, hDC, lprc, hbr) : Real_FillRect(hDC, lprc, hbr);
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
