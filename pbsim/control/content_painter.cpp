#include "control/content_painter.h"

#include <algorithm>

#include "control/font_cache.h"
#include "control/gdi_objects.h"
#include "control/object_painter.h"
#include "control/pb_color.h"
#include "model/wide_text.h"

namespace pbsim {

namespace {

class PagePainter {
public:
    PagePainter(HDC dc, const ControlLayout& layout, const PagePaintOptions& options)
        : m_dc(dc), m_layout(layout), m_model(layout.Model()), m_options(options) {
        const PageArea& area = layout.Area();
        m_width = area.width;
        m_height = area.height > 0 ? area.height : layout.FooterTop() + layout.FooterHeight();
    }

    void Paint() {
        PaintControlBackground();
        PaintLayer(L"background");
        PaintHeader();
        PaintRows();
        PaintSummary();
        PaintFooter();
        if (m_options.purpose == PaintPurpose::Screen && m_options.focusMark) PaintFocusMark();
        PaintLayer(L"foreground");
    }

private:
    bool OnScreen() const { return m_options.purpose == PaintPurpose::Screen; }

    // Grid.Lines: 0 on screen and in print, 1 never, 2 on screen only, 3 in
    // print only.
    bool GridLinesShown() const {
        if (!m_model.IsGrid()) return false;
        const int lines = LeadingInteger(m_model.DataWindowProperty(L"grid.lines"));
        if (lines == 1) return false;
        if (lines == 2) return OnScreen();
        if (lines == 3) return !OnScreen();
        return true;
    }

    void PaintControlBackground() {
        const long color = ColorValue(m_model.DataWindowProperty(L"color"));
        Brush brush(CreateSolidBrush(IsTransparentColor(color) ? GetSysColor(COLOR_WINDOW) : ResolveColor(color)));
        RECT all = {0, 0, m_width, m_height};
        FillRect(m_dc, &all, brush.Get());
    }

    // Band backgrounds are painted as regions in the band's colour.
    void PaintBandRegion(int top, int bottom, long color) {
        if (IsTransparentColor(color) || bottom <= top) return;
        Brush brush(CreateSolidBrush(ResolveColor(color)));
        PaintRegion(top, bottom, brush.Get());
    }

    void PaintRegion(int top, int bottom, HBRUSH brush) {
        Region region(CreateRectRgn(0, top, m_width, bottom));
        if (!region || !brush) return;
        SelectionScope selected(m_dc, brush);
        PaintRgn(m_dc, region.Get());
    }

    void PaintBandObjects(const std::wstring& band, long row, bool highlightRow) {
        const std::vector<int>& selectedColumns = m_model.SelectionColumns();
        const bool rowInSelection = OnScreen() && m_model.HasCellSelection() && row >= m_model.SelectionRow1() &&
                                    row <= m_model.SelectionRow2();
        for (const DwObject& object : m_model.Objects()) {
            if (object.Band() != band) continue;
            ObjectPaintState state;
            state.highlighted = highlightRow;
            if (rowInSelection && object.kind == ObjectKind::Column &&
                std::find(selectedColumns.begin(), selectedColumns.end(), object.ColumnId()) != selectedColumns.end()) {
                state.highlighted = true;
            }
            PaintObject(m_dc, m_layout, object, row, m_fonts, state);
        }
    }

    void PaintLayer(const wchar_t* band) { PaintBandObjects(band, m_layout.FirstRow(), false); }

    void PaintHeader() {
        const int height = m_layout.HeaderHeight();
        if (height <= 0) return;
        SavedState state(m_dc);
        // Only what the paint asked for is painted: nothing of a band that lies
        // outside the clipping area.
        if (IntersectClipRect(m_dc, 0, 0, m_width, height) == NULLREGION) return;
        const long row = m_layout.EvaluationRow(L"header", 0);
        const int plain = std::max(0, m_model.BandHeightPixels(L"header"));
        PaintBandRegion(0, plain, m_model.BandColor(L"header", row));
        PaintBandObjects(L"header", 0, false);
        // The header rows of a crosstab, under the header band.
        for (const BandDef& band : m_model.Bands()) {
            if (!ParseCrosstabBandName(band.name, nullptr)) continue;
            const int top = m_layout.BandTop(band.name, 0);
            PaintBandRegion(top, top + std::max(0, m_model.BandHeightPixels(band.name)),
                            m_model.BandColor(band.name, row));
            PaintBandObjects(band.name, 0, false);
        }
        if (m_model.IsGrid()) PaintHeaderCellBorders();
    }

    // Thin dark rectangles: one pixel wide at the right edge of every column,
    // one pixel high along the bottom of the header.
    void PaintHeaderCellBorders() {
        const int height = m_layout.HeaderHeight();
        SelectionScope pen(m_dc, GetStockObject(NULL_PEN));
        SelectionScope brush(m_dc, GetSysColorBrush(COLOR_3DDKSHADOW));
        for (const ColumnSpan& span : m_layout.Columns()) {
            const int x = m_layout.ToAreaX(span.right);
            Rectangle(m_dc, x, 0, x + 2, height + 1);
        }
        Rectangle(m_dc, m_layout.ToAreaX(0), height - 1, m_layout.ContentRight() + 1, height + 1);
    }

    void PaintRows() {
        const long first = m_layout.FirstRow();
        const long last = m_layout.LastPaintedRow();
        if (first <= 0 || last < first || (m_layout.DetailHeight() <= 0 && m_layout.Slots().empty())) return;
        SavedState state(m_dc);
        if (IntersectClipRect(m_dc, 0, m_layout.HeaderHeight(), m_width, m_layout.FooterTop()) == NULLREGION) return;
        RECT visible = {0, 0, 0, 0};
        GetClipBox(m_dc, &visible);
        const int detail = m_layout.DetailHeight();
        // The headers and trailers of the groups around the rows.
        for (const BandSlot& slot : m_layout.Slots()) {
            if (slot.band == L"detail" || slot.row > last) continue;
            if (slot.top + slot.height <= visible.top || slot.top >= visible.bottom) continue;
            PaintBandRegion(slot.top, slot.top + slot.height, m_model.BandColor(slot.band, slot.row));
            PaintBandObjects(slot.band, slot.row, false);
        }
        if (detail <= 0) return;
        for (long row = first; row <= last; ++row) {
            const int top = m_layout.RowTop(row);
            if (top + detail <= visible.top || top >= visible.bottom) continue;
            const bool selected = OnScreen() && m_model.IsRowSelected(row);
            if (selected) {
                PaintRegion(top, top + detail, GetSysColorBrush(COLOR_HIGHLIGHT));
            } else {
                PaintBandRegion(top, top + detail, m_model.BandColor(L"detail", row));
                PaintSelectedCells(row, top);
            }
            PaintBandObjects(L"detail", row, selected);
        }
        if (GridLinesShown()) PaintGridLines(first, last);
    }

    // The DataWindow's own cell selection: the selected cells of a row as one
    // region in the highlight colour.
    void PaintSelectedCells(long row, int top) {
        if (!OnScreen() || !m_model.HasCellSelection()) return;
        if (row < m_model.SelectionRow1() || row > m_model.SelectionRow2()) return;
        Region cells(CreateRectRgn(0, 0, 0, 0));
        if (!cells) return;
        bool any = false;
        for (int id : m_model.SelectionColumns()) {
            RECT cell = m_layout.CellRect(row, id);
            if (cell.right <= cell.left) continue;
            cell.top = top;
            cell.bottom = top + m_layout.DetailHeight();
            Region one(CreateRectRgn(cell.left, cell.top, cell.right, cell.bottom));
            if (one) CombineRgn(cells.Get(), cells.Get(), one.Get(), RGN_OR);
            any = true;
        }
        if (!any) return;
        SelectionScope brush(m_dc, GetSysColorBrush(COLOR_HIGHLIGHT));
        PaintRgn(m_dc, cells.Get());
    }

    // One-pixel lines: under every row and at the right edge of every column.
    void PaintGridLines(long first, long last) {
        Pen line(CreatePen(PS_SOLID, 1, kGridLineColor));
        SelectionScope pen(m_dc, line.Get());
        const int right = m_layout.ContentRight();
        const int top = m_layout.HeaderHeight();
        const int bottom = m_layout.RowTop(last) + m_layout.DetailHeight();
        for (long row = first; row <= last; ++row) {
            const int y = m_layout.RowTop(row) + m_layout.DetailHeight() - 1;
            MoveToEx(m_dc, m_layout.ToAreaX(0), y, nullptr);
            LineTo(m_dc, right, y);
        }
        for (const ColumnSpan& span : m_layout.Columns()) {
            const int x = m_layout.ToAreaX(span.right);
            MoveToEx(m_dc, x, top, nullptr);
            LineTo(m_dc, x, bottom);
        }
    }

    void PaintSummary() {
        if (!m_layout.SummaryShown()) return;
        const int top = m_layout.SummaryTop();
        const int bottom = std::min(top + m_layout.SummaryHeight(), m_layout.FooterTop());
        SavedState state(m_dc);
        if (IntersectClipRect(m_dc, 0, top, m_width, bottom) == NULLREGION) return;
        PaintBandRegion(top, bottom, m_model.BandColor(L"summary", m_layout.EvaluationRow(L"summary", 0)));
        PaintBandObjects(L"summary", 0, false);
    }

    void PaintFooter() {
        if (m_layout.FooterHeight() <= 0) return;
        const int top = m_layout.FooterTop();
        SavedState state(m_dc);
        if (IntersectClipRect(m_dc, 0, top, m_width, top + m_layout.FooterHeight()) == NULLREGION) return;
        PaintBandRegion(top, top + m_layout.FooterHeight(),
                        m_model.BandColor(L"footer", m_layout.EvaluationRow(L"footer", 0)));
        PaintBandObjects(L"footer", 0, false);
    }

    // A black frame of pattern fills inside the current cell.
    void PaintFocusMark() {
        const long row = m_model.CurrentRow();
        if (row < m_layout.FirstRow() || row > m_layout.LastPaintedRow() || row <= 0) return;
        RECT cell = m_layout.CellRect(row, m_model.CurrentColumn());
        if (cell.right - cell.left < 3 || cell.bottom - cell.top < 3) return;
        // In a grid the cell's last pixel row is the grid line.
        if (m_model.IsGrid()) --cell.bottom;
        SavedState state(m_dc);
        IntersectClipRect(m_dc, 0, m_layout.HeaderHeight(), m_width, m_layout.FooterTop());
        SelectionScope brush(m_dc, GetStockObject(BLACK_BRUSH));
        const int width = cell.right - cell.left;
        const int height = cell.bottom - cell.top;
        PatBlt(m_dc, cell.left, cell.top, width, 1, PATCOPY);
        PatBlt(m_dc, cell.left, cell.bottom - 1, width, 1, PATCOPY);
        PatBlt(m_dc, cell.left, cell.top, 1, height, PATCOPY);
        PatBlt(m_dc, cell.right - 1, cell.top, 1, height, PATCOPY);
    }

    HDC m_dc;
    const ControlLayout& m_layout;
    const DataWindowModel& m_model;
    PagePaintOptions m_options;
    FontCache m_fonts;
    int m_width = 0;
    int m_height = 0;
};

}  // namespace

void PaintPage(HDC dc, const ControlLayout& layout, const PagePaintOptions& options) {
    if (!dc) return;
    PagePainter painter(dc, layout, options);
    painter.Paint();
}

}  // namespace pbsim
