// The cell selection: dragging with the left button over the cells of a
// DataWindow whose mouse selection is on selects a rectangle of cells in the
// DataWindow itself ("DataWindow.Selected"), frames it in red and shows the
// sum, average, maximum and minimum of its numbers.
#include <algorithm>
#include <cwchar>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "datawindow/column_type.h"
#include "datawindow/dw_number.h"
#include "datawindow/dw_object.h"
#include "datawindow/info_labels.h"
#include "datawindow/mouse_feedback.h"
#include "datawindow/row_geometry.h"
#include "datawindow/split_string.h"
#include "draw/cairo_canvas.h"
#include "base/real_functions.h"
#include "header/info_tip.h"
#include "header/side_bar.h"

namespace {

constexpr COLORREF kFrameColor = 0x0000C8;

struct Selection {
    long r1 = 0;
    long r2 = 0;
    int c1 = 0;
    int c2 = 0;
};

// What stays put while the mouse drags over one DataWindow, asked once per
// drag instead of at every step: the name, place and kind of each column
// and the height of the footer.
struct ColumnFacts {
    std::wstring name;
    int x = 0;
    int width = 0;
    bool numeric = false;
};

struct DragFacts {
    HWND window = nullptr;
    std::map<int, ColumnFacts> columns;
    int footer = -1;
};

DragFacts g_drag;

void ForgetDragFacts() {
    g_drag.window = nullptr;
    g_drag.columns.clear();
    g_drag.footer = -1;
}

// The facts of dw's drag, started afresh when the drag is another window's.
DragFacts& FactsOfDrag(const DWObject& dw) {
    if (g_drag.window != dw.m_hWnd) {
        ForgetDragFacts();
        g_drag.window = dw.m_hWnd;
    }
    return g_drag;
}

const ColumnFacts& FactsOf(const DWObject& dw, int id) {
    DragFacts& drag = FactsOfDrag(dw);
    auto known = drag.columns.find(id);
    if (known != drag.columns.end()) return known->second;
    ColumnFacts facts;
    facts.name = dw.DescribeF(L"#%d.name", id);
    facts.x = dw.DescribeInt(L"#%d.x", id);
    facts.width = dw.DescribeInt(L"#%d.width", id);
    facts.numeric = IsNumericColumnType(dw.DescribeF(L"#%d.coltype", id));
    return drag.columns.emplace(id, facts).first->second;
}

int FooterHeight(const DWObject& dw) {
    DragFacts& drag = FactsOfDrag(dw);
    if (drag.footer < 0) drag.footer = dw.DescribeInt(L"DataWindow.Footer.Height");
    return drag.footer;
}

long CurrentRow(const DWObject& dw) { return dw.m_pfnGetCurrentRow ? dw.m_pfnGetCurrentRow(dw.m_hWnd) : -1; }

int CurrentColumn(const DWObject& dw) {
    return dw.m_pfnGetCurrentColumn ? static_cast<short>(LOWORD(dw.m_pfnGetCurrentColumn(dw.m_hWnd))) : -1;
}

// Our own drag: the rows and columns between the anchor and the cell, written
// into the DataWindow with every column named. False for a single cell;
// `written` is the text when the DataWindow took it, else empty.
bool WriteDraggedSelection(DWObject& dw, long row, long column, Selection* out, std::wstring* written) {
    dw.m_nSelRowTo = static_cast<int>(row);
    dw.m_nSelColTo = static_cast<int>(column);
    out->r1 = std::min<long>(dw.m_nSelRowFrom, row);
    out->r2 = std::max<long>(dw.m_nSelRowFrom, row);
    out->c1 = static_cast<int>(std::min<long>(dw.m_nSelColFrom, column));
    out->c2 = static_cast<int>(std::max<long>(dw.m_nSelColFrom, column));
    if (out->r1 == out->r2 && out->c1 == out->c2) return false;
    std::wstring text = std::to_wstring(out->r1) + L"/" + std::to_wstring(out->r2);
    for (int c = out->c1; c <= out->c2; ++c) text += L"/" + FactsOf(dw, c).name;
    if (dw.Modify((L"DataWindow.Selected='" + text + L"'").c_str()) == nullptr) *written = text;
    return true;
}

// The selected cells as they are on screen: rows counted from the first row
// on the page, columns moved by the horizontal scroll position (which the
// DataWindow gives in PowerBuilder units).
RECT FrameOf(const DWObject& dw, const Selection& s) {
    const int first = dw.DescribeInt(L"DataWindow.FirstRowOnPage");
    const int rowHeight = dw.YToPixels(dw.m_nDetailHeight);
    const int scrolled = dw.ConvertUnits(dw.DescribeInt(L"DataWindow.HorizontalScrollPosition"), 3);
    const int top = dw.YToPixels(dw.m_nTitleHeight + dw.m_nHeaderHeight) + rowHeight * static_cast<int>(s.r1 - first);
    const int bottom = top + rowHeight * static_cast<int>(s.r2 - s.r1 + 1);
    const ColumnFacts& firstColumn = FactsOf(dw, s.c1);
    const int left = firstColumn.x;
    const int firstWidth = firstColumn.width;
    const ColumnFacts& last = FactsOf(dw, s.c2);
    const int right = last.x + last.width;
    RECT frame = {dw.XToPixels(left) - scrolled, top, dw.XToPixels(right) - scrolled, bottom};
    if (dw.m_bGroupBands) {
        // Between group bands the rows lie where the runtime shows them,
        // asked in the middle of the first selected column.
        const int x = dw.XToPixels(left + firstWidth / 2) - scrolled;
        RECT client;
        GetClientRect(dw.m_hWnd, &client);
        int rowsTop = 0, rowsBottom = 0;
        RowsSpan(dw, x, dw.YToPixels(dw.m_nTitleHeight + dw.m_nHeaderHeight), client.bottom, s.r1, s.r2, &rowsTop,
                 &rowsBottom);
        frame.top = rowsTop;
        frame.bottom = rowsBottom;
    }
    return frame;
}

// The detail area of the client: below the title rows and the header, above
// the footer.
RECT DetailArea(const DWObject& dw) {
    RECT client = {};
    GetClientRect(dw.m_hWnd, &client);
    client.top = dw.YToPixels(dw.m_nTitleHeight + dw.m_nHeaderHeight);
    client.bottom -= dw.YToPixels(FooterHeight(dw));
    return client;
}

// The four edges of a frame grown by 4 pixels, strips 5 pixels wide, within
// reach.
void InvalidateOutline(HWND window, const RECT& grown, const RECT& reach) {
    if (IsRectEmpty(&grown)) return;
    const RECT edges[4] = {
        {grown.left, grown.top, grown.right, grown.top + 5},
        {grown.left, grown.bottom - 5, grown.right, grown.bottom},
        {grown.left, grown.top, grown.left + 5, grown.bottom},
        {grown.right - 5, grown.top, grown.right, grown.bottom},
    };
    for (const RECT& edge : edges) {
        RECT part;
        if (IntersectRect(&part, &edge, &reach)) InvalidateRect(window, &part, FALSE);
    }
}

// The frame's outline as four strips that do not overlap, 5 pixels across
// each edge, where the one-pixel stroke reaches: the top and bottom rows
// over the whole width, the sides between them.
void OutlineStrips(const RECT& frame, RECT strips[4]) {
    strips[0] = RECT{frame.left - 2, frame.top - 2, frame.right + 3, frame.top + 3};
    strips[1] = RECT{frame.left - 2, std::max(frame.bottom - 2, strips[0].bottom), frame.right + 3, frame.bottom + 3};
    strips[2] = RECT{frame.left - 2, strips[0].bottom, frame.left + 3, strips[1].top};
    strips[3] = RECT{std::max(frame.right - 2, strips[2].right), strips[0].bottom, frame.right + 3, strips[1].top};
}

// The red stroke of the frame, clipped to the detail area, composited strip
// by strip off-screen: only the pixels the stroke touches are read and
// written, however large the frame.
void StrokeFrame(HDC hdc, const RECT& frame, const RECT& area) {
    RECT strips[4];
    OutlineStrips(frame, strips);
    for (RECT& strip : strips) {
        if (!IntersectRect(&strip, &strip, &area)) continue;
        CairoCanvas canvas(hdc, strip, CairoCanvas::Backing::Offscreen);
        cairo_t* cr = canvas.Context();
        if (!cr) continue;
        cairo_rectangle(cr, strip.left, strip.top, strip.right - strip.left, strip.bottom - strip.top);
        cairo_clip(cr);
        cairo_set_line_width(cr, 1.0);
        cairo_set_source_rgba(cr, RedOf(kFrameColor), GreenOf(kFrameColor), BlueOf(kFrameColor), 1.0);
        cairo_rectangle(cr, frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top);
        cairo_stroke(cr);
    }
}

// Where a drag step changes the outline when the frame moves only one edge
// (the usual step: the mouse goes down or up by a row): a half-plane beyond
// the unmoved part, whose stroke stays on screen as it is. Everywhere when
// more than one edge moved.
RECT ChangedReach(const RECT& before, const RECT& after) {
    const LONG kFar = 0x3FFFFFFF;
    RECT reach = {-kFar, -kFar, kFar, kFar};
    const bool left = before.left == after.left, right = before.right == after.right;
    const bool top = before.top == after.top, bottom = before.bottom == after.bottom;
    if (left && right && top) reach.top = std::min(before.bottom, after.bottom) - 4;
    else if (left && right && bottom) reach.bottom = std::max(before.top, after.top) + 5;
    else if (top && bottom && left) reach.left = std::min(before.right, after.right) - 4;
    else if (top && bottom && right) reach.right = std::max(before.left, after.left) + 5;
    return reach;
}

void DrawFrame(DWObject& dw, const RECT& frame) {
    HDC hdc = Real_GetDC(dw.m_hWnd);
    if (!hdc) return;
    RECT area = DetailArea(dw);
    RECT box;
    if (GetClipBox(hdc, &box) != ERROR) IntersectRect(&area, &area, &box);
    const RECT before = g_rcSelection;
    InflateRect(&g_rcSelection, 4, 4);
    if (!dw.m_bSelecting) {
        InvalidateRect(dw.m_hWnd, &g_rcSelection, FALSE);
    } else {
        // The cells inside the old frame repaint themselves where their
        // selection changed; only the part of its outline that the step
        // changes is taken away here, and only that part stroked again.
        const RECT reach = ChangedReach(before, frame);
        InvalidateOutline(dw.m_hWnd, g_rcSelection, reach);
        IntersectRect(&area, &area, &reach);
    }
    // The DataWindow paints first, the frame goes on top and stays. A frame
    // wholly scrolled out of the detail area draws nothing.
    UpdateWindow(dw.m_hWnd);
    StrokeFrame(hdc, frame, area);
    Real_ReleaseDC(dw.m_hWnd, hdc);
    g_rcSelection = frame;
}

// Whether each selected column holds numbers: the named columns, or, when
// the DataWindow names only the first and last of a range, every column
// between them.
std::vector<bool> NumericColumns(const DWObject& dw, const std::vector<std::wstring>& parts) {
    std::vector<bool> numeric;
    if (parts.size() == 4) {
        const int from = dw.DescribeInt(L"%ls.ID", parts[2].c_str());
        const int to = dw.DescribeInt(L"%ls.ID", parts[3].c_str());
        if (from > 0 && to > from + 1) {
            for (int id = from; id <= to; ++id)
                numeric.push_back(IsNumericColumnType(dw.DescribeF(L"#%d.coltype", id)));
            return numeric;
        }
    }
    for (size_t i = 2; i < parts.size(); ++i) {
        numeric.push_back(IsNumericColumnType(dw.DescribeF(L"%ls.coltype", parts[i].c_str())));
    }
    return numeric;
}

// "%f" with the trailing zeros (and a bare point) cut.
std::wstring Number(double value) {
    wchar_t text[64];
    swprintf(text, 64, L"%f", value);
    std::wstring s = text;
    if (s.find(L'.') != std::wstring::npos) {
        while (!s.empty() && s.back() == L'0') s.pop_back();
        if (!s.empty() && s.back() == L'.') s.pop_back();
    }
    return s;
}

// Sum, average, maximum and minimum of the numbers of the selected cells.
// Empty cells (and the empty line after the last line feed) are no numbers.
void ShowStatistics(DWObject& dw, const std::vector<std::wstring>& parts, const std::vector<bool>& numeric, long r1,
                    long r2) {
    double sum = 0.0;
    double maximum = 0.0;
    double minimum = 0.0;
    int count = 0;
    for (const std::wstring& line : SplitString(dw.Describe(L"DataWindow.Selected.Data"), L"\n")) {
        const std::vector<std::wstring> values = SplitString(line, L"\t");
        // Values beyond the selected columns are ignored.
        for (size_t k = 0; k < values.size() && k < numeric.size(); ++k) {
            if (!numeric[k] || values[k].empty()) continue;
            const double v = wcstod(values[k].c_str(), nullptr);
            sum += v;
            if (count == 0 || v > maximum) maximum = v;
            if (count == 0 || v < minimum) minimum = v;
            ++count;
        }
    }
    if (count == 0 || (r1 == r2 && parts.size() < 4)) return;
    // Each line: its caption, " \t " and the number; the captions are text,
    // never a format.
    const double values[] = {sum, sum / count, maximum, minimum};
    const int labels[] = {kSumLabel, kAverageLabel, kMaximumLabel, kMinimumLabel};
    std::wstring text;
    for (size_t i = 0; i < 4; ++i) {
        if (i > 0) text += L"\r\n";
        text += InfoLabelText(dw.m_InfoLabels, labels[i]);
        text += L" \t ";
        text += Number(values[i]);
    }
    ShowInfoTip(dw, text.c_str());
}

}  // namespace

void SelectionStart(DWObject& dw) {
    ForgetDragFacts();
    if (_wcsicmp(dw.Describe(L"DataWindow.Selected.Mouse").c_str(), L"yes") == 0) {
        dw.m_bSelecting = 0;
        dw.m_nSelRowTo = dw.m_nSelColTo = dw.m_nSelRowFrom = dw.m_nSelColFrom = 0;
        if (!GetCapture()) {
            dw.m_nSelRowFrom = static_cast<int>(CurrentRow(dw));
            dw.m_nSelColFrom = CurrentColumn(dw);
            dw.m_bSelecting = 1;
            SetCapture(dw.m_hWnd);
        }
    }
    PaintSideBar(dw);
}

void SelectionMove(DWObject& dw, int x, int y) {
    long row = 0;
    long column = 0;
    if (!NewCellUnder(dw, x, y, false, &row, &column)) return;
    Selection selection;
    std::wstring written;
    if (dw.m_bSelecting && !WriteDraggedSelection(dw, row, column, &selection, &written)) return;

    // What the DataWindow took needs no asking back.
    const std::vector<std::wstring> parts =
        SplitString(written.empty() ? dw.Describe(L"DataWindow.Selected") : written, L"/");
    if (parts.size() < 3) return;
    selection.r1 = DWNumber(parts[0]);
    selection.r2 = DWNumber(parts[1]);
    if (selection.r1 > selection.r2) std::swap(selection.r1, selection.r2);
    if (!dw.m_bSelecting) {
        selection.c1 = dw.DescribeInt(L"%ls.ID", parts[2].c_str());
        selection.c2 = dw.DescribeInt(L"%ls.ID", parts.back().c_str());
    }
    DrawFrame(dw, FrameOf(dw, selection));
    std::vector<bool> numeric;
    if (written.empty()) {
        numeric = NumericColumns(dw, parts);
    } else {
        for (int c = selection.c1; c <= selection.c2; ++c) numeric.push_back(FactsOf(dw, c).numeric);
    }
    ShowStatistics(dw, parts, numeric, selection.r1, selection.r2);
}
