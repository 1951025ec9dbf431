#include "header/side_bar.h"

#include <cstdio>
#include <memory>
#include <new>
#include <vector>

#include "datawindow/dw_object.h"
#include "datawindow/row_geometry.h"
#include "draw/cairo_canvas.h"
#include "base/real_functions.h"

namespace {

constexpr int kSideBarMargin = 48;
constexpr double kBorderRadius = 5.0;
// Wider than the corner radius and the stroke's anti-aliased edge.
constexpr LONG kBorderStrip = 8;

// Fills a rectangle of the canvas in one colour.
void FillBox(CairoCanvas& canvas, COLORREF clr, LONG left, LONG top, LONG right, LONG bottom) {
    const RECT rc = {left, top, right, bottom};
    canvas.SetSourceColor(clr);
    canvas.Rectangle(rc);
    canvas.Fill();
}

// A row's number cell in window coordinates.
struct RowPlace {
    long row;
    int top;
    int height;
};

// Where the visible rows lie beside the detail area: one detail height apart
// under title rows and header, or, between group bands, where the runtime
// reports them (asked down the client area's left edge).
std::vector<RowPlace> RowPlaces(const DWObject& dw, int first, int last, int rowsTop, int rowH) {
    std::vector<RowPlace> places;
    if (!dw.m_bGroupBands || !dw.m_pfnGetRowColUnderPoint) {
        // The rows of the page and the one partly shown under them.
        for (int k = 0; k <= last - first + 1; ++k) places.push_back(RowPlace{first + k, rowsTop + k * rowH, rowH});
        return places;
    }
    RECT client, window;
    GetClientRect(dw.m_hWnd, &client);
    GetWindowRect(dw.m_hWnd, &window);
    POINT origin = {0, 0};
    ClientToScreen(dw.m_hWnd, &origin);
    const int dy = origin.y - window.top;
    for (const RowSpan& span :
         VisibleRowSpans(dw, 1, dw.YToPixels(dw.m_nTitleHeight + dw.m_nHeaderHeight), client.bottom))
        places.push_back(RowPlace{span.row, span.top + dy, span.bottom - span.top});
    return places;
}

// The row numbers of the visible rows, with the current row highlighted,
// beside the title, header and detail areas of a grid.
void PaintRowNumbers(DWObject& dw, HDC hdc, CairoCanvas& canvas, const RECT& window) {
    const int first = dw.DescribeInt(L"DataWindow.FirstRowOnPage");
    const int last = dw.DescribeInt(L"DataWindow.LastRowOnPage");
    const long current = dw.m_pfnGetCurrentRow ? dw.m_pfnGetCurrentRow(dw.m_hWnd) : -1;
    const int rowH = dw.YToPixels(dw.m_nDetailHeight);
    const int tH = dw.YToPixels(dw.m_nTitleHeight);
    const int hH = dw.YToPixels(dw.m_nHeaderHeight);
    const int m = dw.m_rcMargin.left;
    const std::vector<RowPlace> places = RowPlaces(dw, first, last, tH + hH + 1, rowH);
    // The rows' part of the side bar, without the partly shown last row.
    const int rowsBottom =
        places.size() > 1 ? places[places.size() - 2].top + places[places.size() - 2].height : tH + hH + 1;

    HPEN pen = CreatePen(PS_SOLID, 1, dw.m_clrGridLine);
    HGDIOBJ oldPen = SelectObject(hdc, pen);

    FillBox(canvas, dw.m_clrBack, 1, 1, m + 1, tH + 1);
    FillBox(canvas, dw.m_clrHeader, 1, tH + 1, m + 1, tH + hH + 1);
    FillBox(canvas, dw.m_ScrollSkin.ScrollDefault, 1, tH + hH + 1, m, rowsBottom);
    FillBox(canvas, dw.m_clrBack, 1, rowsBottom, m, window.bottom - 1);

    if (tH > 0) {
        Real_MoveToEx(hdc, m - 1, tH + 1, nullptr);
        Real_LineTo(hdc, m - 1, window.bottom - 1);
        Real_MoveToEx(hdc, 1, tH + 1, nullptr);
        Real_LineTo(hdc, m - 1, tH + 1);
    } else {
        Real_MoveToEx(hdc, m - 1, 0, nullptr);
        Real_LineTo(hdc, m - 1, window.bottom - 1);
    }

    HRGN clip = CreateRectRgn(1, tH + hH, m - 1, rowsBottom + 1);
    SelectClipRgn(hdc, clip);
    SetBkMode(hdc, TRANSPARENT);
    LOGFONTW lf = {};
    GetObjectW(GetStockObject(SYSTEM_FONT), sizeof(lf), &lf);
    lf.lfWidth = 5;
    lf.lfWeight = 200;
    wcscpy_s(lf.lfFaceName, L"Tahoma");
    HFONT font = CreateFontIndirectW(&lf);
    HGDIOBJ oldFont = SelectObject(hdc, font);

    HBRUSH currentFill = CreateSolidBrush(dw.m_clrSelectRow);
    for (const RowPlace& place : places) {
        RECT cell = {1, place.top, m, place.top + place.height};
        if (place.row == current) Real_FillRect(hdc, &cell, currentFill);
        Real_MoveToEx(hdc, 1, place.top, nullptr);
        Real_LineTo(hdc, m, place.top);
        wchar_t number[16];
        swprintf(number, 16, L"%ld", place.row);
        Real_DrawTextExW(hdc, number, -1, &cell, DT_CENTER | DT_VCENTER | DT_SINGLELINE, nullptr);
    }
    DeleteObject(currentFill);

    SelectObject(hdc, oldFont);
    SelectObject(hdc, oldPen);
    DeleteObject(font);
    SelectClipRgn(hdc, nullptr);
    DeleteObject(clip);
    DeleteObject(pen);
}

// The rounded border around the whole window, stroked off screen through four
// strips along the edges, which hold every pixel the rounded corners touch:
// cairo would otherwise read back and write the whole window.
void StrokeBorder(const DWObject& dw, HDC hdc, const RECT& window) {
    const LONG e = kBorderStrip;
    const LONG w = window.right, h = window.bottom;
    RECT strips[4] = {{0, 0, w, e}, {0, h - e, w, h}, {0, e, e, h - e}, {w - e, e, w, h - e}};
    int count = 4;
    if (w <= 2 * e || h <= 2 * e) {
        strips[0] = window;
        count = 1;
    }
    for (int i = 0; i < count; ++i) {
        std::unique_ptr<CairoCanvas> canvas(new (std::nothrow)
                                                CairoCanvas(hdc, strips[i], CairoCanvas::Backing::Offscreen));
        if (!canvas) continue;
        if (cairo_t* cr = canvas->Context()) cairo_set_line_width(cr, 1.0);
        canvas->SetSourceColorAlpha(dw.m_clrBorder, 1.0);
        canvas->RoundRectangle(window, kBorderRadius);
        canvas->Stroke();
    }
}

}  // namespace

void PaintSideBar(DWObject& dw) {
    HDC hdc = Real_GetWindowDC(dw.m_hWnd);
    if (!hdc) return;
    RECT window;
    GetWindowRect(dw.m_hWnd, &window);
    OffsetRect(&window, -window.left, -window.top);
    // The row numbers go only into the margin that the frame gives them; a
    // captioned DataWindow has none, and its client area is the DataWindow's
    // own.
    if (dw.m_nProcessing == 1 && dw.m_bSideBar && dw.m_bNoCaption) {
        const RECT margin = {0, 0, dw.m_rcMargin.left + 1, window.bottom};
        std::unique_ptr<CairoCanvas> canvas(new (std::nothrow) CairoCanvas(hdc, margin));
        if (canvas) PaintRowNumbers(dw, hdc, *canvas, window);
    }
    // A DataWindow without a border of its own gets a rounded one.
    if (dw.m_bNoCaption) StrokeBorder(dw, hdc, window);
    Real_ReleaseDC(dw.m_hWnd, hdc);
}

void SetSideBar(DWObject& dw, bool on) {
    dw.m_rcMargin.left = on ? kSideBarMargin : 1;
    dw.m_bSideBar = on ? 1 : 0;
    SetWindowPos(dw.m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
    dw.UpdateDWWidth();
}
