// The hover highlight: a translucent band over the grid row under the mouse,
// drawn straight on the window after the DataWindow has painted.
#include <memory>
#include <new>

#include "datawindow/dw_object.h"
#include "datawindow/mouse_feedback.h"
#include "datawindow/row_geometry.h"
#include "draw/cairo_canvas.h"
#include "frame/real_functions.h"
#include "header/info_tip.h"

namespace {

bool MovingByKeyboard() {
    return (GetAsyncKeyState(VK_UP) & 0x8000) || (GetAsyncKeyState(VK_DOWN) & 0x8000) ||
           (GetAsyncKeyState(VK_RETURN) & 0x8000);
}

void DrawBand(DWObject& dw, const RECT& band) {
    HDC hdc = Real_GetDC(dw.m_hWnd);
    if (!hdc) return;
    {
        RECT bounds = band;
        InflateRect(&bounds, 2, 2);
        std::unique_ptr<CairoCanvas> canvas(new (std::nothrow) CairoCanvas(hdc, bounds));
        if (canvas) {
            canvas->SetLineWidth(0.5);
            canvas->SetSourceColorAlpha(dw.m_clrHover, 0.5);
            canvas->Rectangle(band);
            canvas->FillPreserve();
            canvas->Stroke();
        }
    }
    Real_ReleaseDC(dw.m_hWnd, hdc);
}

}  // namespace

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
    }
    if (MovingByKeyboard()) return;
    const int first = dw.DescribeInt(L"DataWindow.FirstRowOnPage");
    RECT previous = {g_rcHover.left, g_rcHover.top - 1, g_rcHover.right + 1, g_rcHover.bottom + 1};
    InvalidateRect(dw.m_hWnd, &previous, FALSE);
    UpdateWindow(dw.m_hWnd);
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
    DrawBand(dw, band);
    g_rcHover = band;
}
