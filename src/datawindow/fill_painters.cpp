#include "datawindow/fill_painters.h"

#include "datawindow/dw_object.h"
#include "base/real_functions.h"

namespace {

// The colour of the brush selected into hdc; false without one.
bool CurrentBrush(HDC hdc, LOGBRUSH* brush) {
    HGDIOBJ current = GetCurrentObject(hdc, OBJ_BRUSH);
    return current && GetObjectW(current, sizeof(*brush), brush) == sizeof(*brush);
}

// Cuts the region at the right edge of the content when the DataWindow has
// no horizontal scroll bar.
void ClipToContent(DWObject& dw, HRGN region) {
    if (GetWindowLongW(dw.m_hWnd, GWL_STYLE) & WS_HSCROLL) return;
    RECT box;
    GetRgnBox(region, &box);
    if (dw.m_nDWWidth == 0) dw.UpdateDWWidth();
    if (dw.m_nDWWidth < box.right) SetRectRgn(region, box.left, box.top, dw.m_nDWWidth, box.bottom);
}

// Calls draw with a solid brush of clr selected instead of the current one.
template <typename Draw>
BOOL WithBrush(HDC hdc, COLORREF clr, Draw draw) {
    HBRUSH brush = Real_CreateSolidBrush(clr);
    HGDIOBJ previous = SelectObject(hdc, brush);
    const BOOL result = draw();
    SelectObject(hdc, previous);
    DeleteObject(brush);
    return result;
}

}  // namespace

BOOL PaintRegion(DWObject& dw, HDC hdc, HRGN region) {
    LOGBRUSH brush;
    if (!CurrentBrush(hdc, &brush)) return Real_PaintRgn(hdc, region);
    if (brush.lbStyle == BS_SOLID &&
        (brush.lbColor == GetSysColor(COLOR_HIGHLIGHT) ||
         (brush.lbColor == dw.m_clrHeader && brush.lbColor != Real_GetSysColor(COLOR_WINDOW)))) {
        return WithBrush(hdc, dw.m_clrSelectRow, [&] {
            ClipToContent(dw, region);
            Real_PaintRgn(hdc, region);
            return TRUE;
        });
    }
    if (brush.lbStyle == BS_SOLID && brush.lbColor == dw.m_clrAlter) ClipToContent(dw, region);
    return Real_PaintRgn(hdc, region);
}

BOOL PaintPattern(DWObject& dw, HDC hdc, int x, int y, int width, int height, DWORD rop) {
    LOGBRUSH brush;
    if (CurrentBrush(hdc, &brush) && brush.lbStyle == BS_SOLID && brush.lbColor == 0) {
        return WithBrush(hdc, dw.m_clrSelected, [&] {
            Real_PatBlt(hdc, x - 1, y, width + 1, height, rop);
            return TRUE;
        });
    }
    return Real_PatBlt(hdc, x - 1, y, width + 1, height, rop);
}

BOOL PaintRectangle(DWObject& dw, HDC hdc, int left, int top, int right, int bottom) {
    if (dw.m_nProcessing == 1) {
        const int limit = dw.YToPixels(dw.m_nTitleHeight + dw.m_nHeaderHeight) + 2;
        LOGBRUSH brush = {};
        if (!CurrentBrush(hdc, &brush)) brush.lbColor = 0;
        const bool dark = brush.lbColor == GetSysColor(COLOR_3DDKSHADOW) || brush.lbColor == 0;
        const bool thin = right - left <= 2 || bottom - top <= 2;
        if (bottom <= limit && dark && thin) {
            return WithBrush(hdc, dw.m_clrGridLine, [&] {
                Real_Rectangle(hdc, left, top, right - 1, bottom);
                return TRUE;
            });
        }
    }
    return Real_Rectangle(hdc, left, top, right, bottom);
}

int PaintCornerBox(DWObject& dw, HDC hdc, const RECT* rc, HBRUSH brush) {
    const LONG style = GetWindowLongW(dw.m_hWnd, GWL_STYLE);
    if (rc && (style & WS_VSCROLL) && (style & WS_HSCROLL)) {
        RECT window;
        GetWindowRect(dw.m_hWnd, &window);
        OffsetRect(&window, -window.left, -window.top);
        if (rc->left == window.right - GetSystemMetrics(SM_CXVSCROLL) &&
            rc->top == window.bottom - GetSystemMetrics(SM_CYHSCROLL)) {
            HBRUSH box = Real_CreateSolidBrush(GetSysColor(COLOR_WINDOW));
            Real_FillRect(hdc, rc, box);
            DeleteObject(box);
            return 0;
        }
    }
    return Real_FillRect(hdc, rc, brush);
}
