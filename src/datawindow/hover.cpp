// The hover highlight: a translucent band over the grid row under the mouse,
// composited on a copy of the row's pixels and put on the window in one
// transfer. Moving within the row keeps the band as it is.
#include <algorithm>

#include "datawindow/dw_object.h"
#include "datawindow/mouse_feedback.h"
#include "datawindow/row_geometry.h"
#include "draw/cairo_canvas.h"
#include "base/real_functions.h"
#include "header/info_tip.h"

HWND g_hHoverWnd = nullptr;
long g_nHoverRow = 0;
bool g_bHoverShown = false;

namespace {

bool MovingByKeyboard() {
    return (GetAsyncKeyState(VK_UP) & 0x8000) || (GetAsyncKeyState(VK_DOWN) & 0x8000) ||
           (GetAsyncKeyState(VK_RETURN) & 0x8000);
}

// What the band's removal repaints: its rectangle one pixel wider upward, to
// the right and downward, where the half-pixel outline reaches.
RECT BandReach(const RECT& band) { return RECT{band.left, band.top - 1, band.right + 1, band.bottom + 1}; }

void Compose(cairo_t* cr, COLORREF color, const RECT& band) {
    cairo_set_line_width(cr, 0.5);
    cairo_set_source_rgba(cr, RedOf(color), GreenOf(color), BlueOf(color), 0.5);
    cairo_rectangle(cr, band.left, band.top, band.right - band.left, band.bottom - band.top);
    cairo_fill_preserve(cr);
    cairo_stroke(cr);
}

// The band composited on what hdc shows, through a copy of its area: the
// window is read once and written once.
void CompositeBand(HDC hdc, COLORREF color, const RECT& band) {
    RECT area = band;
    InflateRect(&area, 2, 2);
    CairoCanvas canvas(hdc, area, CairoCanvas::Backing::Offscreen);
    if (canvas.Context()) Compose(canvas.Context(), color, band);
}

// The previous band is taken away by the DataWindow's repaint of its area,
// the only repaint a step needs; the new band then goes on the row as the
// window shows it.
void ShowBand(DWObject& dw, const RECT& previous, const RECT& band) {
    InvalidateRect(dw.m_hWnd, &previous, FALSE);
    UpdateWindow(dw.m_hWnd);
    HDC hdc = Real_GetDC(dw.m_hWnd);
    if (!hdc) return;
    CompositeBand(hdc, dw.m_clrHover, band);
    Real_ReleaseDC(dw.m_hWnd, hdc);
}

}  // namespace

void HoverPaintComing(HWND hWnd) {
    if (!g_bHoverShown || hWnd != g_hHoverWnd) return;
    RECT update;
    const RECT reach = BandReach(g_rcHover);
    RECT overlap;
    if (GetUpdateRect(hWnd, &update, FALSE) && IntersectRect(&overlap, &update, &reach)) g_bHoverShown = false;
}

void HoverWindowGone(HWND hWnd) {
    if (hWnd != g_hHoverWnd) return;
    g_hHoverWnd = nullptr;
    g_bHoverShown = false;
}

void HoverMove(DWObject& dw, int x, int y) {
    ShowInfoTip(dw, nullptr);
    if (dw.m_nProcessing != 1 || dw.m_clrBack == dw.m_clrHover) return;
    long row = 0;
    long column = 0;
    if (!NewCellUnder(dw, x, y, true, &row, &column)) return;
    if (dw.m_bScrolled) {
        InvalidateRect(dw.m_hWnd, nullptr, FALSE);
        UpdateWindow(dw.m_hWnd);
        dw.m_bScrolled = 0;
        g_rcHover = RECT{0, 0, 0, 0};
        g_bHoverShown = false;
    }
    if (MovingByKeyboard()) return;
    const int first = dw.DescribeInt(L"DataWindow.FirstRowOnPage");
    const int rowHeight = dw.YToPixels(dw.m_nDetailHeight);
    RECT band;
    band.left = 0;
    band.top = dw.YToPixels(dw.m_nTitleHeight + dw.m_nHeaderHeight) + rowHeight * (static_cast<int>(row) - first);
    band.right = dw.m_nDWWidth;
    band.bottom = band.top + rowHeight;
    // Between group bands the row lies where the runtime shows it.
    int top = 0, bottom = 0;
    if (dw.m_bGroupBands && RowSpanAround(dw, x, y, row, &top, &bottom)) {
        band.top = top;
        band.bottom = bottom;
    }
    // Another column of the row whose band is still on screen: it stays.
    if (g_bHoverShown && g_hHoverWnd == dw.m_hWnd && g_nHoverRow == row && EqualRect(&band, &g_rcHover)) return;
    // The paint that follows is ours: it removes the band it reaches.
    g_bHoverShown = false;
    ShowBand(dw, BandReach(g_rcHover), band);
    g_rcHover = band;
    g_hHoverWnd = dw.m_hWnd;
    g_nHoverRow = row;
    g_bHoverShown = true;
}
