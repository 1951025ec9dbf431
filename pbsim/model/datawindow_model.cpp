// Construction, lookups and data rows of the DataWindow model.
#include "model/datawindow_model.h"

#include "model/property_catalog.h"
#include "model/wide_text.h"

namespace pbsim {

DataWindowModel::DataWindowModel() {
    m_dwProps.Set(L"units", L"0");
    m_dwProps.Set(L"processing", L"0");
    for (const wchar_t* name : kBandNames) {
        BandDef band;
        band.name = name;
        band.props.Set(L"height", L"0");
        band.props.Set(L"color", L"536870912");
        m_bands.push_back(band);
    }
}

int DataWindowModel::Units() const { return LeadingInteger(DataWindowProperty(L"units")); }

int DataWindowModel::Processing() const { return LeadingInteger(DataWindowProperty(L"processing")); }

std::wstring DataWindowModel::DataWindowProperty(const std::wstring& key) const {
    const std::wstring* value = m_dwProps.Find(key);
    if (value) return *value;
    const wchar_t* def = DataWindowPropertyDefault(ToLowerAscii(key));
    return def ? std::wstring(def) : std::wstring();
}

const DwObject* DataWindowModel::FindObject(const std::wstring& name) const {
    if (name.empty()) return nullptr;
    for (const DwObject& object : m_objects) {
        if (EqualsNoCase(object.name, name)) return &object;
    }
    return nullptr;
}

DwObject* DataWindowModel::FindObjectMutable(const std::wstring& name) {
    return const_cast<DwObject*>(static_cast<const DataWindowModel*>(this)->FindObject(name));
}

const DwObject* DataWindowModel::FindColumnObject(int columnId) const {
    if (columnId <= 0) return nullptr;
    for (const DwObject& object : m_objects) {
        if (object.kind == ObjectKind::Column && object.ColumnId() == columnId) return &object;
    }
    return nullptr;
}

const DwObject* DataWindowModel::ResolveObject(const std::wstring& ref) const {
    if (ref.size() > 1 && ref[0] == L'#') {
        double number = 0.0;
        if (!ParseNumber(ref.substr(1), &number)) return nullptr;
        return FindColumnObject(static_cast<int>(number));
    }
    return FindObject(ref);
}

const TableColumn* DataWindowModel::Column(int columnId) const {
    if (columnId < 1 || columnId > ColumnCount()) return nullptr;
    return &m_table[static_cast<size_t>(columnId - 1)];
}

int DataWindowModel::ColumnIdByName(const std::wstring& name) const {
    if (name.empty()) return 0;
    for (size_t i = 0; i < m_table.size(); ++i) {
        if (EqualsNoCase(m_table[i].Name(), name)) return static_cast<int>(i) + 1;
    }
    return 0;
}

BandDef* DataWindowModel::FindBand(const std::wstring& lowerName) {
    for (BandDef& band : m_bands) {
        if (band.name == lowerName) return &band;
    }
    return nullptr;
}

const BandDef* DataWindowModel::FindBand(const std::wstring& lowerName) const {
    for (const BandDef& band : m_bands) {
        if (band.name == lowerName) return &band;
    }
    return nullptr;
}

void DataWindowModel::ResetViewState() {
    m_currentRow = m_rows.empty() ? 0 : 1;
    m_currentColumn = 0;
    // The first column in tab order becomes current, else column 1.
    int bestTab = 0;
    for (const DwObject& object : m_objects) {
        const int id = object.ColumnId();
        if (id <= 0 || id > ColumnCount()) continue;
        const std::wstring* tab = object.props.Find(L"tabsequence");
        const int order = tab ? LeadingInteger(*tab) : 0;
        if (order > 0 && (bestTab == 0 || order < bestTab)) {
            bestTab = order;
            m_currentColumn = id;
        }
    }
    if (m_currentColumn == 0 && ColumnCount() > 0) m_currentColumn = 1;
    m_firstRow = m_rows.empty() ? 0 : 1;
    ClearCellSelection();
}

std::wstring DataWindowModel::CellText(long row, int columnId) const {
    if (row < 1 || row > RowCount() || columnId < 1 || columnId > ColumnCount()) return std::wstring();
    const Row& r = m_rows[static_cast<size_t>(row - 1)];
    const size_t index = static_cast<size_t>(columnId - 1);
    return index < r.cells.size() ? r.cells[index] : std::wstring();
}

bool DataWindowModel::SetCellText(long row, int columnId, const std::wstring& text) {
    if (row < 1 || row > RowCount() || columnId < 1 || columnId > ColumnCount()) return false;
    Row& r = m_rows[static_cast<size_t>(row - 1)];
    r.cells.resize(m_table.size());
    r.cells[static_cast<size_t>(columnId - 1)] = text;
    return true;
}

long DataWindowModel::InsertRow(long before) {
    Row row;
    row.cells.resize(m_table.size());
    long number = 0;
    if (before < 1 || before > RowCount()) {
        m_rows.push_back(row);
        number = RowCount();
    } else {
        m_rows.insert(m_rows.begin() + (before - 1), row);
        number = before;
    }
    if (m_currentRow == 0) m_currentRow = 1;
    if (m_firstRow == 0) m_firstRow = 1;
    return number;
}

bool DataWindowModel::DeleteRow(long row) {
    if (row < 1 || row > RowCount()) return false;
    m_rows.erase(m_rows.begin() + (row - 1));
    if (m_currentRow > RowCount()) m_currentRow = RowCount();
    if (m_firstRow > RowCount()) m_firstRow = RowCount();
    if (m_selRow2 > RowCount()) m_selRow2 = RowCount();
    if (m_selRow1 > m_selRow2) ClearCellSelection();
    return true;
}

}  // namespace pbsim
