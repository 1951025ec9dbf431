// Where the parts of a DataWindow lie on a page: the header band at the top
// (with the header rows of a crosstab under it), the rows of the detail band
// under it from the first row on the page, each with the headers of the
// groups that begin at it above and the trailers of the groups that end at
// it below, the summary band after the last row, the footer band at the
// bottom, and the foreground and background layers over the whole page. All positions are
// pixels of the page area (the client area of the control, a preview page or
// a printed page), with the content scrolled left by the horizontal scroll
// position. Objects whose positions are expressions are evaluated for the
// row they are shown in.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "model/datawindow_model.h"

namespace pbsim {

struct PageArea {
    int width = 0;
    int height = 0;     // 0 or less: unlimited, every row is on the page
    long firstRow = 1;  // first row on the page (0 when there are no rows)
    int hScroll = 0;    // content pixels scrolled out at the left
};

// A column of the detail band, in content pixels (right edge exclusive).
struct ColumnSpan {
    int id = 0;
    int left = 0;
    int right = 0;
    const DwObject* object = nullptr;
};

struct HitResult {
    // "header", "header[N]", "header.N", "detail", "trailer.N", "summary",
    // "footer"; "" elsewhere
    std::wstring band;
    long row = 0;                      // the detail row under the point, else 0
    long bandRow = 0;                  // the row the band under the point is shown for (detail and group bands)
    int column = 0;                    // the column under the point, else 0
    const DwObject* object = nullptr;  // the topmost object under the point
    long objectRow = 0;                // the row that object shows
};

class ControlLayout {
public:
    ControlLayout(const DataWindowModel& model, const PageArea& area);

    const DataWindowModel& Model() const { return m_model; }
    const PageArea& Area() const { return m_area; }

    int HeaderHeight() const { return m_header; }
    int DetailHeight() const { return m_detail; }
    int SummaryHeight() const { return m_summary; }
    int FooterHeight() const { return m_footer; }

    long RowsPerPage() const { return m_rowsPerPage; }
    long FirstRow() const { return m_first; }
    // The last row wholly on the page, and the last row at least partly on it.
    long LastWholeRow() const { return m_lastWhole; }
    long LastPaintedRow() const { return m_lastPainted; }
    // Top of a row's detail band.
    int RowTop(long row) const;
    // The bands shown for the rows on the page, tops in area pixels.
    const std::vector<BandSlot>& Slots() const { return m_slots; }
    // Bottom of the last painted row (the header's bottom when none is).
    int RowsBottom() const;
    bool SummaryShown() const { return m_summaryShown; }
    int SummaryTop() const { return RowsBottom(); }
    int FooterTop() const { return m_footerTop; }

    int ToAreaX(int contentX) const { return contentX - m_area.hScroll; }
    // Right edge of the content (header and detail objects) in area pixels.
    int ContentRight() const { return ToAreaX(m_contentWidth); }

    // The row an object of a band is evaluated for: detail and group band
    // objects their own row; header, foreground and background the first row
    // on the page; summary and footer the last row.
    long EvaluationRow(const std::wstring& band, long detailRow) const;
    int BandTop(const std::wstring& band, long detailRow) const;
    RECT ObjectRect(const DwObject& object, long detailRow) const;

    // Visible column objects of the detail band, left to right.
    const std::vector<ColumnSpan>& Columns() const { return m_columns; }
    const ColumnSpan* FindColumn(int id) const;
    int ColumnAtX(int areaX) const;
    // The area a cell covers: in a grid the column's span over the whole row
    // height, in other styles the column object's rectangle. Empty when the
    // column is not shown.
    RECT CellRect(long row, int columnId) const;

    HitResult HitTest(POINT point) const;

private:
    const DwObject* TopmostObject(const std::wstring& band, long row, POINT point) const;
    const BandSlot* SlotAt(int y) const;

    const DataWindowModel& m_model;
    PageArea m_area;
    int m_header = 0;
    int m_detail = 0;
    int m_summary = 0;
    int m_footer = 0;
    int m_footerTop = 0;
    long m_rowsPerPage = 0;
    long m_first = 0;
    long m_lastWhole = 0;
    long m_lastPainted = 0;
    bool m_summaryShown = false;
    int m_contentWidth = 0;
    std::vector<ColumnSpan> m_columns;
    std::vector<BandSlot> m_slots;
    std::vector<int> m_detailSlot;  // per row from m_first: index into m_slots, -1 for none
};

}  // namespace pbsim
