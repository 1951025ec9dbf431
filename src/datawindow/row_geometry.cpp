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

std::vector<RowSpan> VisibleRowSpans(const DWObject& dw, int x, int from, int to) {
    std::vector<RowSpan> spans;
    if (!dw.m_pfnGetRowColUnderPoint) return spans;
    for (int y = from; y < to; ++y) {
        const long r = RowAt(dw, x, y);
        if (r <= 0) continue;
        if (!spans.empty() && spans.back().row == r && spans.back().bottom == y) {
            spans.back().bottom = y + 1;
        } else {
            spans.push_back(RowSpan{r, y, y + 1});
        }
    }
    return spans;
}

void RowsSpan(const DWObject& dw, int x, int from, int to, long row, long last, int* top, int* bottom) {
    *top = from - 1;
    *bottom = to + 1;
    const std::vector<RowSpan> spans = VisibleRowSpans(dw, x, from, to);
    if (spans.empty()) return;  // no row on screen: nothing to go by
    if (spans.front().row > last) {
        *top = *bottom = from - 1;  // the whole range is above the area
        return;
    }
    if (spans.back().row < row) {
        *top = *bottom = to + 1;  // and below it
        return;
    }
    for (const RowSpan& span : spans) {
        if (span.row == row) *top = span.top;
        if (span.row == last) *bottom = span.bottom;
    }
}
