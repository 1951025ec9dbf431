// Lines on device contexts: grid lines of an attached DataWindow's context
// (or, while one is printed, of any context) go to the grid-line painter,
// its polygons and polylines to the anti-aliased painters; all others reach
// the real function unchanged.
#include "base/globals.h"
#include "base/real_functions.h"
#include "datawindow/dw_list.h"
#include "datawindow/dw_object.h"
#include "datawindow/grid_lines.h"
#include "draw/polygon_painters.h"

BOOL WINAPI HookLineTo(HDC hdc, int x, int y) {
    DWObject* record = g_pDWlist ? g_pDWlist->GetPrintingDW() : nullptr;
    if (!record) record = RecordOfDC(hdc);
    return record ? PaintGridLine(*record, hdc, x, y) : Real_LineTo(hdc, x, y);
}

BOOL WINAPI HookPolygon(HDC hdc, const POINT* apt, int cpt) {
    if (DWObject* record = RecordOfDC(hdc)) return PaintPolygon(hdc, *record, apt, cpt);
    return Real_Polygon(hdc, apt, cpt);
}

BOOL WINAPI HookPolyline(HDC hdc, const POINT* apt, int cpt) {
    if (RecordOfDC(hdc)) return PaintPolyline(hdc, apt, cpt);
    return Real_Polyline(hdc, apt, cpt);
}
