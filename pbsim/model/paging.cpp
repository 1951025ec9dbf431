// The current cell, the rows on the page, and the yes/no states a control
// shows (print preview, mouse selection).
#include <algorithm>

#include "model/datawindow_model.h"
#include "model/wide_text.h"

namespace pbsim {

bool DataWindowModel::SetCurrentRow(long row) {
    if (row < 1 || row > RowCount()) return false;
    m_currentRow = row;
    return true;
}

bool DataWindowModel::SetCurrentColumn(int columnId) {
    if (columnId < 1 || columnId > ColumnCount()) return false;
    m_currentColumn = columnId;
    return true;
}

void DataWindowModel::SetPageHeightPixels(int pixels) {
    m_pageHeight = pixels > 0 ? pixels : 0;
    if (m_firstRow > 0) SetFirstRowOnPage(m_firstRow);
}

namespace {

// Pixels of the group bands shown above (headers) or below (trailers) a row.
int GroupBandsHeight(const DataWindowModel& model, long row, bool trailers) {
    int height = 0;
    for (const GroupDef& group : model.Groups()) {
        const bool shown = trailers ? model.EndsGroup(group.level, row) : model.StartsGroup(group.level, row);
        if (!shown) continue;
        const int pixels = model.BandHeightPixels((trailers ? L"trailer." : L"header.") + IntToText(group.level));
        if (pixels > 0) height += pixels;
    }
    return height;
}

}  // namespace

int DataWindowModel::HeaderAreaHeightPixels() const {
    int height = std::max(0, BandHeightPixels(L"header"));
    for (const BandDef& band : m_bands) {
        if (ParseCrosstabBandName(band.name, nullptr)) height += std::max(0, BandHeightPixels(band.name));
    }
    return height;
}

std::vector<BandSlot> DataWindowModel::RowSlots(long firstRow, int limit) const {
    std::vector<BandSlot> slots;
    const long rows = RowCount();
    if (firstRow < 1) firstRow = 1;
    const int detail = std::max(0, BandHeightPixels(L"detail"));
    int top = 0;
    auto add = [&](const std::wstring& band, long row, int height) {
        if (height <= 0) return;
        BandSlot slot;
        slot.band = band;
        slot.row = row;
        slot.top = top;
        slot.height = height;
        slots.push_back(slot);
        top += height;
    };
    for (long row = firstRow; row <= rows; ++row) {
        if (limit > 0 && top >= limit) break;
        for (const GroupDef& group : m_groups) {
            if (!StartsGroup(group.level, row)) continue;
            const std::wstring band = L"header." + IntToText(group.level);
            add(band, row, BandHeightPixels(band));
        }
        add(L"detail", row, detail);
        for (auto it = m_groups.rbegin(); it != m_groups.rend(); ++it) {
            if (!EndsGroup(it->level, row)) continue;
            const std::wstring band = L"trailer." + IntToText(it->level);
            add(band, row, BandHeightPixels(band));
        }
        // Without any height nothing ever fills the page.
        if (top == 0 && limit > 0 && row - firstRow > 100000) break;
    }
    return slots;
}

long DataWindowModel::RowsPerPage() const {
    const long rows = RowCount();
    if (m_pageHeight <= 0) return rows;
    const int detail = BandHeightPixels(L"detail");
    if (detail <= 0) return rows;
    const int available = m_pageHeight - HeaderAreaHeightPixels() - BandHeightPixels(L"footer");
    if (m_groups.empty()) {
        const long fit = available / detail;
        return fit < 1 ? 1 : fit;
    }
    // With groups, the rows whose detail band ends above the footer.
    long fit = 0;
    for (const BandSlot& slot : RowSlots(m_firstRow > 0 ? m_firstRow : 1, available)) {
        if (slot.band == L"detail" && slot.top + slot.height <= available) ++fit;
    }
    return fit < 1 ? 1 : fit;
}

int DataWindowModel::BandHeightPixels(const std::wstring& band) const { return UnitsToPixelsY(BandHeight(band)); }

long DataWindowModel::FirstRowOnPage() const { return RowCount() == 0 ? 0 : m_firstRow; }

long DataWindowModel::LastRowOnPage() const {
    if (RowCount() == 0) return 0;
    const long last = m_firstRow + RowsPerPage() - 1;
    return last < RowCount() ? last : RowCount();
}

bool DataWindowModel::SetFirstRowOnPage(long row) {
    const long rows = RowCount();
    if (rows == 0) {
        m_firstRow = 0;
        return false;
    }
    long maxFirst = 1;
    if (m_groups.empty() || m_pageHeight <= 0) {
        maxFirst = rows - RowsPerPage() + 1;
    } else {
        // The first row from which every row to the last, with its group bands,
        // fits on the page.
        const int available = m_pageHeight - HeaderAreaHeightPixels() - BandHeightPixels(L"footer");
        const int detail = std::max(0, BandHeightPixels(L"detail"));
        int used = 0;
        maxFirst = rows;
        for (long first = rows; first >= 1; --first) {
            used += GroupBandsHeight(*this, first, false) + detail + GroupBandsHeight(*this, first, true);
            if (used > available && first < rows) break;
            maxFirst = first;
        }
    }
    if (maxFirst < 1) maxFirst = 1;
    if (row < 1) row = 1;
    if (row > maxFirst) row = maxFirst;
    m_firstRow = row;
    return true;
}

bool DataWindowModel::PrintPreview() const { return EqualsNoCase(DataWindowProperty(L"print.preview"), L"yes"); }

void DataWindowModel::SetPrintPreview(bool on) { m_dwProps.Set(L"print.preview", on ? L"yes" : L"no"); }

bool DataWindowModel::SelectedMouse() const { return EqualsNoCase(DataWindowProperty(L"selected.mouse"), L"yes"); }

}  // namespace pbsim
