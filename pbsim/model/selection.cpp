// Row selection and the cell selection of "DataWindow.Selected".
#include <utility>

#include "model/datawindow_model.h"
#include "model/wide_text.h"

namespace pbsim {

bool DataWindowModel::SelectRow(long row, bool select) {
    if (row == 0) {
        for (Row& r : m_rows) r.selected = select;
        return true;
    }
    if (row < 1 || row > RowCount()) return false;
    m_rows[static_cast<size_t>(row - 1)].selected = select;
    return true;
}

bool DataWindowModel::IsRowSelected(long row) const {
    if (row < 1 || row > RowCount()) return false;
    return m_rows[static_cast<size_t>(row - 1)].selected;
}

bool DataWindowModel::SetCellSelection(long row1, long row2, const std::vector<int>& columnIds) {
    if (columnIds.empty()) return false;
    if (row1 > row2) std::swap(row1, row2);
    if (row1 < 1 || row2 > RowCount()) return false;
    for (int id : columnIds) {
        if (id < 1 || id > ColumnCount()) return false;
    }
    m_selRow1 = row1;
    m_selRow2 = row2;
    m_selColumns = columnIds;
    m_selectedAsSet.clear();
    return true;
}

void DataWindowModel::ClearCellSelection() {
    m_selRow1 = 0;
    m_selRow2 = 0;
    m_selColumns.clear();
    m_selectedAsSet.clear();
}

// A selected column is named as its column object is, else as the table
// column.
static std::wstring SelectionColumnName(const DataWindowModel& model, int id) {
    const DwObject* object = model.FindColumnObject(id);
    if (object && !object->name.empty()) return object->name;
    const TableColumn* column = model.Column(id);
    return column ? column->Name() : std::wstring();
}

// What Modify set, as it was set; the control's own (mouse) selection as
// startrow/endrow/startcolumn/endcolumn.
std::wstring DataWindowModel::SelectedText() const {
    if (!m_selectedAsSet.empty()) return m_selectedAsSet;
    if (m_selColumns.empty()) return std::wstring();
    return IntToText(m_selRow1) + L"/" + IntToText(m_selRow2) + L"/" +
           SelectionColumnName(*this, m_selColumns.front()) + L"/" + SelectionColumnName(*this, m_selColumns.back());
}

std::wstring DataWindowModel::SelectedData() const {
    std::wstring data;
    if (m_selColumns.empty()) return data;
    const long last = m_selRow2 < RowCount() ? m_selRow2 : RowCount();
    for (long row = m_selRow1; row <= last; ++row) {
        for (size_t i = 0; i < m_selColumns.size(); ++i) {
            if (i > 0) data += L'\t';
            data += CellText(row, m_selColumns[i]);
        }
        data += L'\n';
    }
    return data;
}

// Groups separated by ";", each startrow/endrow/startcolumn/endcolumn, or
// startrow/endrow followed by every column of the selection. The stand-in
// selects the cells of the first group.
bool DataWindowModel::ApplySelectedText(const std::wstring& text) {
    const std::wstring trimmed = Trim(text);
    if (trimmed.empty()) {
        ClearCellSelection();
        return true;
    }
    const std::wstring first = trimmed.substr(0, trimmed.find(L';'));
    std::vector<std::wstring> parts;
    size_t start = 0;
    for (;;) {
        const size_t slash = first.find(L'/', start);
        parts.push_back(Trim(first.substr(start, slash == std::wstring::npos ? std::wstring::npos : slash - start)));
        if (slash == std::wstring::npos) break;
        start = slash + 1;
    }
    if (parts.size() < 3) return false;
    double r1 = 0.0;
    double r2 = 0.0;
    if (!ParseNumber(parts[0], &r1) || !ParseNumber(parts[1], &r2)) return false;
    std::vector<int> ids;
    for (size_t i = 2; i < parts.size(); ++i) {
        const DwObject* object = ResolveObject(parts[i]);
        const int id = object && object->kind == ObjectKind::Column ? object->ColumnId() : ColumnIdByName(parts[i]);
        if (id == 0) return false;
        ids.push_back(id);
    }
    // Two columns name the range between them, in column order.
    if (ids.size() == 2 && ids[0] != ids[1]) {
        const int from = ids[0] < ids[1] ? ids[0] : ids[1];
        const int to = ids[0] < ids[1] ? ids[1] : ids[0];
        ids.clear();
        for (int id = from; id <= to; ++id) ids.push_back(id);
    }
    if (!SetCellSelection(static_cast<long>(r1), static_cast<long>(r2), ids)) return false;
    m_selectedAsSet = trimmed;
    return true;
}

}  // namespace pbsim
