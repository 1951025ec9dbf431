// What a change of the cell selection repaints: the cells on the page that
// gain or lose the highlight, nothing else. Cells selected before and after
// keep their pixels, as do the header, the footer and the unselected rest.
#include <algorithm>

#include "control/datawindow_control.h"
#include "control/gdi_objects.h"

namespace pbsim {

namespace {

bool Holds(const std::vector<int>& columns, int id) {
    return std::find(columns.begin(), columns.end(), id) != columns.end();
}

// The columns of `block` selected in `row`; empty when the row is outside.
const std::vector<int>& ColumnsInRow(const DataWindowControl::CellBlock& block, long row) {
    static const std::vector<int> kNone;
    return row >= block.row1 && row <= block.row2 ? block.columns : kNone;
}

}  // namespace

DataWindowControl::CellBlock DataWindowControl::CurrentCellBlock() const {
    CellBlock block;
    if (!m_model->HasCellSelection()) return block;
    block.row1 = m_model->SelectionRow1();
    block.row2 = m_model->SelectionRow2();
    block.columns = m_model->SelectionColumns();
    return block;
}

void DataWindowControl::InvalidateSelectionChange(const CellBlock& before) {
    const CellBlock after = CurrentCellBlock();
    if (before.row1 == after.row1 && before.row2 == after.row2 && before.columns == after.columns) return;
    const ControlLayout layout = ClientLayout();
    const long first = std::max(layout.FirstRow(), 1L);
    const long last = layout.LastPaintedRow();
    Region changed(CreateRectRgn(0, 0, 0, 0));
    if (!changed) {
        InvalidateRect(m_window, nullptr, FALSE);
        return;
    }
    bool any = false;
    for (long row = first; row <= last; ++row) {
        const std::vector<int>& was = ColumnsInRow(before, row);
        const std::vector<int>& now = ColumnsInRow(after, row);
        if (was.empty() && now.empty()) continue;
        for (const ColumnSpan& span : layout.Columns()) {
            if (Holds(was, span.id) == Holds(now, span.id)) continue;
            const RECT cell = layout.CellRect(row, span.id);
            if (cell.right <= cell.left || cell.bottom <= cell.top) continue;
            Region one(CreateRectRgn(cell.left, cell.top, cell.right, cell.bottom));
            if (!one) {
                InvalidateRect(m_window, nullptr, FALSE);
                return;
            }
            CombineRgn(changed.Get(), changed.Get(), one.Get(), RGN_OR);
            any = true;
        }
    }
    if (any) InvalidateRgn(m_window, changed.Get(), FALSE);
}

}  // namespace pbsim
