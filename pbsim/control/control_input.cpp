// Mouse and keys of a DataWindow control: the current cell, the edit control
// over it, and the DataWindow's own cell selection by dragging.
#include <algorithm>

#include "control/datawindow_control.h"
#include "control/font_cache.h"
#include "model/wide_text.h"

namespace pbsim {

void DataWindowControl::OnLButtonDown(POINT point) {
    HWND focus = GetFocus();
    if (focus != m_window && (!m_editor.Window() || focus != m_editor.Window())) SetFocus(m_window);
    m_dragging = false;
    if (m_model->PrintPreview()) return;
    const HitResult hit = HitTest(point);
    if (hit.row <= 0) return;
    if (m_model->HasCellSelection()) {
        const CellBlock before = CurrentCellBlock();
        m_model->ClearCellSelection();
        InvalidateSelectionChange(before);
    }
    MoveCurrentCell(hit.row, hit.column, hit.column > 0);
    if (m_editor.Visible()) SetFocus(m_editor.Window());
    if (hit.column > 0 && m_model->SelectedMouse()) {
        m_dragging = true;
        m_anchorRow = m_dragRow = hit.row;
        m_anchorColumn = m_dragColumn = hit.column;
    }
}

void DataWindowControl::OnMouseMove(WPARAM keys, POINT point) {
    if (!m_dragging) return;
    if (!(keys & MK_LBUTTON)) {
        m_dragging = false;
        return;
    }
    const HitResult hit = HitTest(point);
    if (hit.row <= 0 || hit.column <= 0) return;
    if (hit.row == m_dragRow && hit.column == m_dragColumn) return;
    m_dragRow = hit.row;
    m_dragColumn = hit.column;
    ExtendDragSelection(hit.row, hit.column);
}

void DataWindowControl::OnLButtonUp() { m_dragging = false; }

// The cells from the anchor to (row, column): the rows between and the
// columns between as they stand on the screen.
void DataWindowControl::ExtendDragSelection(long row, int column) {
    const CellBlock before = CurrentCellBlock();
    if (row == m_anchorRow && column == m_anchorColumn) {
        m_model->ClearCellSelection();
    } else {
        const ControlLayout layout = ClientLayout();
        const std::vector<ColumnSpan>& columns = layout.Columns();
        int from = -1;
        int to = -1;
        for (size_t i = 0; i < columns.size(); ++i) {
            if (columns[i].id == m_anchorColumn) from = static_cast<int>(i);
            if (columns[i].id == column) to = static_cast<int>(i);
        }
        if (from < 0 || to < 0) return;
        if (from > to) std::swap(from, to);
        std::vector<int> ids;
        for (int i = from; i <= to; ++i) ids.push_back(columns[static_cast<size_t>(i)].id);
        m_model->SetCellSelection(std::min(m_anchorRow, row), std::max(m_anchorRow, row), ids);
    }
    PlaceEditor();
    InvalidateSelectionChange(before);
}

void DataWindowControl::OnKeyDown(WPARAM key) {
    const long rows = m_model->RowCount();
    if (rows == 0) return;
    const long row = m_model->CurrentRow();
    const int column = m_model->CurrentColumn();
    const long page = std::max(1L, m_model->RowsPerPage());
    const bool control = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
    const bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    if (m_model->PrintPreview()) {
        // The page view scrolls; there is no current cell to move.
        if (key == VK_NEXT || key == VK_DOWN) ScrollToRow(m_model->FirstRowOnPage() + (key == VK_NEXT ? page : 1));
        if (key == VK_PRIOR || key == VK_UP) ScrollToRow(m_model->FirstRowOnPage() - (key == VK_PRIOR ? page : 1));
        return;
    }
    switch (key) {
    case VK_UP: MoveCurrentCell(row - 1, column, false); break;
    case VK_DOWN:
    case VK_RETURN: MoveCurrentCell(row + 1, column, false); break;
    case VK_PRIOR:
        ScrollToRow(m_model->FirstRowOnPage() - page);
        MoveCurrentCell(row - page, column, false);
        break;
    case VK_NEXT:
        ScrollToRow(m_model->FirstRowOnPage() + page);
        MoveCurrentCell(row + page, column, false);
        break;
    case VK_LEFT: MoveCurrentCell(row, NextColumn(column, -1), false); break;
    case VK_RIGHT: MoveCurrentCell(row, NextColumn(column, 1), false); break;
    case VK_TAB: MoveCurrentCell(row, NextColumn(column, shift ? -1 : 1), false); break;
    case VK_HOME:
        if (control) MoveCurrentCell(1, column, false);
        else MoveCurrentCell(row, NextColumn(column, -1000), false);
        break;
    case VK_END:
        if (control) MoveCurrentCell(rows, column, false);
        else MoveCurrentCell(row, NextColumn(column, 1000), false);
        break;
    default: break;
    }
}

// Typing on the control starts editing the current cell.
void DataWindowControl::OnChar(WPARAM character, LPARAM lParam) {
    if (m_model->PrintPreview() || character < L' ') return;
    if (!m_editor.Visible()) {
        m_editing = true;
        PlaceEditor();
    }
    if (!m_editor.Visible()) return;
    SetFocus(m_editor.Window());
    SendMessageW(m_editor.Window(), WM_CHAR, character, lParam);
}

void DataWindowControl::OnSetFocus() {
    if (m_editor.Visible()) SetFocus(m_editor.Window());
}

// The column `step` places right (positive) or left of `column` on the
// screen, stopping at the first and last column.
int DataWindowControl::NextColumn(int column, int step) const {
    const ControlLayout layout = ClientLayout();
    const std::vector<ColumnSpan>& columns = layout.Columns();
    if (columns.empty()) return column;
    int index = 0;
    for (size_t i = 0; i < columns.size(); ++i) {
        if (columns[i].id == column) index = static_cast<int>(i);
    }
    index = std::min(std::max(index + step, 0), static_cast<int>(columns.size()) - 1);
    return columns[static_cast<size_t>(index)].id;
}

void DataWindowControl::MoveCurrentCell(long row, int column, bool openEditor) {
    const long rows = m_model->RowCount();
    if (rows == 0) return;
    row = std::min(std::max(row, 1L), rows);
    if (column <= 0) column = m_model->CurrentColumn();
    CommitEditor();
    const bool changed = row != m_model->CurrentRow() || column != m_model->CurrentColumn();
    m_model->SetCurrentRow(row);
    m_model->SetCurrentColumn(column);
    if (openEditor) m_editing = true;
    EnsureRowVisible(row);
    PlaceEditor();
    if (changed) InvalidateRect(m_window, nullptr, FALSE);
}

void DataWindowControl::CommitEditor() {
    long row = 0;
    int column = 0;
    std::wstring text;
    if (!m_editor.TakeChange(&row, &column, &text)) return;
    if (m_model->SetCellText(row, column, text)) InvalidateRect(m_window, nullptr, FALSE);
}

bool DataWindowControl::ColumnEditable(int column) const {
    if (EqualsNoCase(m_model->DataWindowProperty(L"readonly"), L"yes")) return false;
    const DwObject* object = m_model->FindColumnObject(column);
    if (!object) return false;
    return m_model->EvaluateInt(*object, L"tabsequence", m_model->CurrentRow()) > 0;
}

// The edit control lies over the current column's object in the current
// row while that cell is on the page; it is hidden during a cell selection
// and in print preview.
void DataWindowControl::PlaceEditor() {
    const long row = m_model->CurrentRow();
    const int column = m_model->CurrentColumn();
    const bool wanted =
        m_editing && !m_model->PrintPreview() && !m_model->HasCellSelection() && row > 0 && ColumnEditable(column);
    const ControlLayout layout = ClientLayout();
    const ColumnSpan* span = wanted ? layout.FindColumn(column) : nullptr;
    RECT rect = {0, 0, 0, 0};
    if (span && row >= layout.FirstRow() && row <= layout.LastPaintedRow()) {
        rect = layout.ObjectRect(*span->object, row);
        rect.top = std::max(rect.top, static_cast<LONG>(layout.HeaderHeight()));
        rect.bottom = std::min(rect.bottom, static_cast<LONG>(layout.FooterTop()));
    }
    if (rect.right <= rect.left || rect.bottom <= rect.top) {
        if (m_editor.Visible()) CommitEditor();
        m_editor.Hide();
        return;
    }
    if (m_editor.Visible() && m_editor.Row() == row && m_editor.Column() == column) {
        m_editor.Move(rect);
        return;
    }
    CommitEditor();
    const HFONT font = CreateObjectFont(ObjectFontSpec(*m_model, *span->object, row));
    m_editor.Show(rect, m_model->CellText(row, column), font, row, column);
    if (GetFocus() == m_window) SetFocus(m_editor.Window());
}

}  // namespace pbsim
