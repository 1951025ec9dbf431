#include "datawindow/row_geometry.h"

#include <string>

#include "datawindow/dw_object.h"

namespace {

long RowAt(const DWObject& dw, int x, int y) {
    LONG r = 0, c = 0;
    dw.m_pfnGetRowColUnderPoint(dw.m_hWnd, x, y, &r, &c);
    return r;
}

}  // namespace

bool HasGroupBands(const DWObject& dw) {
    const std::wstring bands = dw.Describe(L"DataWindow.Bands");
    return bands.find(L"header.") != std::wstring::npos || bands.find(L"trailer.") != std::wstring::npos;
}

bool RowSpanAround(const DWObject& dw, int x, int y, long row, int* top, int* bottom) {
    if (!dw.m_pfnGetRowColUnderPoint || RowAt(dw, x, y) != row) return false;
    RECT client;
    GetClientRect(dw.m_hWnd, &client);
    int t = y;
    while (t > 0 && RowAt(dw, x, t - 1) == row) --t;
    int b = y + 1;
    while (b < client.bottom && RowAt(dw, x, b) == row) ++b;
    *top = t;
    *bottom = b;
    return true;
}

void RowsSpan(const DWObject& dw, int x, int from, int to, long row, long last, int* top, int* bottom) {
    *top = from - 1;
    *bottom = to + 1;
    if (!dw.m_pfnGetRowColUnderPoint) return;
    long lowest = 0, highest = 0;
    bool seenRow = false, seenLast = false;
    int endOfLast = 0;
    for (int y = from; y < to; ++y) {
        const long r = RowAt(dw, x, y);
        if (r <= 0) continue;
        if (lowest == 0) lowest = r;
        highest = r;
        if (r == row && !seenRow) {
            seenRow = true;
            *top = y;
        }
        if (r == last) {
            seenLast = true;
            endOfLast = y + 1;
        }
        if (r > last) break;
    }
    if (lowest == 0) return;  // no row on screen: nothing to go by
    if (lowest > last) {
        *top = *bottom = from - 1;  // the whole range is above the area
    } else if (highest < row) {
        *top = *bottom = to + 1;  // and below it
    } else if (seenLast) {
        *bottom = endOfLast;
    }
}
