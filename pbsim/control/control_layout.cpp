#include "control/control_layout.h"

#include <algorithm>

#include "model/wide_text.h"

namespace pbsim {

namespace {

bool Contains(const RECT& rect, POINT point) {
    return point.x >= rect.left && point.x < rect.right && point.y >= rect.top && point.y < rect.bottom;
}

}  // namespace

ControlLayout::ControlLayout(const DataWindowModel& model, const PageArea& area) : m_model(model), m_area(area) {
    m_header = std::max(0, model.HeaderAreaHeightPixels());
    m_detail = std::max(0, model.BandHeightPixels(L"detail"));
    m_summary = std::max(0, model.BandHeightPixels(L"summary"));
    m_footer = std::max(0, model.BandHeightPixels(L"footer"));
    const long rows = model.RowCount();
    const bool grouped = model.GroupCount() > 0;

    m_first = rows == 0 ? 0 : std::min(std::max(area.firstRow, 1L), rows);
    const bool unlimited = area.height <= 0;
    m_footerTop = unlimited ? 0 : area.height - m_footer;
    if (m_first > 0 && (m_detail > 0 || grouped)) {
        m_slots = model.RowSlots(m_first, unlimited ? 0 : std::max(1, m_footerTop - m_header));
        const long lastRow = m_slots.empty() ? m_first - 1 : m_slots.back().row;
        m_detailSlot.assign(static_cast<size_t>(lastRow - m_first + 1), -1);
        for (size_t i = 0; i < m_slots.size(); ++i) {
            m_slots[i].top += m_header;
            if (m_slots[i].band == L"detail")
                m_detailSlot[static_cast<size_t>(m_slots[i].row - m_first)] = static_cast<int>(i);
        }
    }

    if (rows == 0) {
        m_rowsPerPage = 0;
    } else if (unlimited || (m_detail <= 0 && !grouped)) {
        m_rowsPerPage = rows;
    } else if (!grouped) {
        m_rowsPerPage = std::max(1L, static_cast<long>((area.height - m_header - m_footer) / m_detail));
    } else {
        long whole = 0;
        for (const BandSlot& slot : m_slots) {
            if (slot.band == L"detail" && slot.top + slot.height <= m_footerTop) ++whole;
        }
        m_rowsPerPage = std::max(1L, whole);
    }
    m_lastWhole = rows == 0 ? 0 : std::min(rows, m_first + m_rowsPerPage - 1);

    if (unlimited) {
        m_lastPainted = rows;
        m_footerTop = RowsBottom() + m_summary;
    } else if (!grouped) {
        m_lastPainted = m_lastWhole;
        if (m_detail > 0) {
            while (m_lastPainted > 0 && m_lastPainted < rows && RowTop(m_lastPainted + 1) < m_footerTop)
                ++m_lastPainted;
        }
    } else {
        // Every row with a band on the page.
        m_lastPainted = m_lastWhole;
        for (const BandSlot& slot : m_slots) {
            if (slot.top < m_footerTop && slot.row > m_lastPainted) m_lastPainted = slot.row;
        }
    }
    m_summaryShown = m_summary > 0 && m_lastPainted == rows && (unlimited || RowsBottom() < m_footerTop);

    m_contentWidth = model.ContentWidthPixels();
    const long columnRow = m_first > 0 ? m_first : model.CurrentRow();
    for (const DwObject& object : model.Objects()) {
        if (object.kind != ObjectKind::Column || object.Band() != L"detail") continue;
        const int id = object.ColumnId();
        if (id <= 0 || !model.IsVisible(object, columnRow)) continue;
        const PixelRect rect = model.ObjectRectPixels(object, columnRow);
        ColumnSpan span;
        span.id = id;
        span.left = rect.x;
        span.right = rect.x + rect.width;
        span.object = &object;
        m_columns.push_back(span);
    }
    std::stable_sort(m_columns.begin(), m_columns.end(),
                     [](const ColumnSpan& a, const ColumnSpan& b) { return a.left < b.left; });
}

int ControlLayout::RowTop(long row) const {
    if (row >= m_first && m_first > 0 && static_cast<size_t>(row - m_first) < m_detailSlot.size()) {
        const int index = m_detailSlot[static_cast<size_t>(row - m_first)];
        if (index >= 0) return m_slots[static_cast<size_t>(index)].top;
    }
    return m_header + static_cast<int>(row - m_first) * m_detail;
}

int ControlLayout::RowsBottom() const {
    if (m_lastPainted < m_first || m_first == 0) return m_header;
    // The bottom of the last band shown for the last painted row.
    int bottom = -1;
    for (const BandSlot& slot : m_slots) {
        if (slot.row <= m_lastPainted) bottom = slot.top + slot.height;
    }
    if (bottom < 0) return RowTop(m_lastPainted) + m_detail;
    return bottom;
}

const BandSlot* ControlLayout::SlotAt(int y) const {
    for (const BandSlot& slot : m_slots) {
        if (y >= slot.top && y < slot.top + slot.height) return &slot;
    }
    return nullptr;
}

long ControlLayout::EvaluationRow(const std::wstring& band, long detailRow) const {
    if (band == L"detail" || ParseGroupBandName(band, nullptr, nullptr)) return detailRow;
    if (band == L"summary" || band == L"footer") return m_lastPainted > 0 ? m_lastPainted : m_model.RowCount();
    return m_first > 0 ? m_first : m_model.CurrentRow();
}

int ControlLayout::BandTop(const std::wstring& band, long detailRow) const {
    if (band == L"detail") return RowTop(detailRow);
    if (band == L"summary") return SummaryTop();
    if (band == L"footer") return m_footerTop;
    if (ParseGroupBandName(band, nullptr, nullptr)) {
        for (const BandSlot& slot : m_slots) {
            if (slot.row == detailRow && slot.band == band) return slot.top;
        }
        return RowTop(detailRow);
    }
    int crosstabRow = 0;
    if (ParseCrosstabBandName(band, &crosstabRow)) {
        // The header rows of a crosstab lie under the header band, in order.
        int top = std::max(0, m_model.BandHeightPixels(L"header"));
        for (int row = 1; row < crosstabRow; ++row) {
            top += std::max(0, m_model.BandHeightPixels(L"header[" + IntToText(row) + L"]"));
        }
        return top;
    }
    return 0;  // header, foreground and background start at the top of the page
}

RECT ControlLayout::ObjectRect(const DwObject& object, long detailRow) const {
    const std::wstring band = object.Band();
    const long row = EvaluationRow(band, detailRow);
    const PixelRect pixels = m_model.ObjectRectPixels(object, row);
    const int top = BandTop(band, detailRow);
    RECT rect;
    rect.left = ToAreaX(pixels.x);
    rect.top = top + pixels.y;
    rect.right = rect.left + pixels.width;
    rect.bottom = rect.top + pixels.height;
    return rect;
}

const ColumnSpan* ControlLayout::FindColumn(int id) const {
    for (const ColumnSpan& span : m_columns) {
        if (span.id == id) return &span;
    }
    return nullptr;
}

int ControlLayout::ColumnAtX(int areaX) const {
    const int x = areaX + m_area.hScroll;
    for (const ColumnSpan& span : m_columns) {
        if (x >= span.left && x < span.right) return span.id;
    }
    return 0;
}

RECT ControlLayout::CellRect(long row, int columnId) const {
    RECT rect = {0, 0, 0, 0};
    const ColumnSpan* span = FindColumn(columnId);
    if (!span || row < m_first || row > m_lastPainted || m_first == 0) return rect;
    if (m_model.IsGrid()) {
        rect.left = ToAreaX(span->left);
        rect.right = ToAreaX(span->right);
        rect.top = RowTop(row);
        rect.bottom = rect.top + m_detail;
        return rect;
    }
    return ObjectRect(*span->object, row);
}

const DwObject* ControlLayout::TopmostObject(const std::wstring& band, long row, POINT point) const {
    const std::vector<DwObject>& objects = m_model.Objects();
    for (auto it = objects.rbegin(); it != objects.rend(); ++it) {
        if (it->Band() != band || !m_model.IsVisible(*it, EvaluationRow(band, row))) continue;
        if (Contains(ObjectRect(*it, row), point)) return &*it;
    }
    return nullptr;
}

HitResult ControlLayout::HitTest(POINT point) const {
    HitResult hit;
    if (point.x < 0 || point.y < 0 || (m_area.width > 0 && point.x >= m_area.width)) return hit;
    long bandRow = 0;  // the row a group band under the point is shown for
    const BandSlot* slot = nullptr;
    if (point.y < m_header) {
        hit.band = L"header";
        for (const BandDef& band : m_model.Bands()) {
            if (!ParseCrosstabBandName(band.name, nullptr)) continue;
            const int top = BandTop(band.name, 0);
            if (point.y >= top && point.y < top + m_model.BandHeightPixels(band.name)) hit.band = band.name;
        }
    } else if (m_first > 0 && point.y < RowsBottom() && point.y < m_footerTop && (slot = SlotAt(point.y)) != nullptr) {
        hit.band = slot->band;
        if (slot->band == L"detail") {
            hit.row = slot->row;
        } else {
            bandRow = slot->row;
        }
        hit.bandRow = slot->row;
    } else if (m_summaryShown && point.y >= SummaryTop() && point.y < SummaryTop() + m_summary) {
        hit.band = L"summary";
    } else if (m_footer > 0 && point.y >= m_footerTop && point.y < m_footerTop + m_footer) {
        hit.band = L"footer";
    }

    hit.object = TopmostObject(L"foreground", hit.row, point);
    if (hit.object) {
        hit.objectRow = EvaluationRow(L"foreground", hit.row);
    } else if (!hit.band.empty()) {
        const long row = bandRow > 0 ? bandRow : hit.row;
        hit.object = TopmostObject(hit.band, row, point);
        hit.objectRow = EvaluationRow(hit.band, row);
    }
    if (!hit.object) {
        hit.object = TopmostObject(L"background", hit.row, point);
        hit.objectRow = EvaluationRow(L"background", hit.row);
    }
    if (!hit.object) hit.objectRow = 0;

    if (m_model.IsGrid()) {
        if (hit.band == L"detail" || hit.band == L"header") hit.column = ColumnAtX(point.x);
    } else if (hit.band == L"detail") {
        // In free-form styles a point is on a column when it is on its object.
        for (const ColumnSpan& span : m_columns) {
            if (Contains(ObjectRect(*span.object, hit.row), point)) {
                hit.column = span.id;
                break;
            }
        }
    }
    return hit;
}

}  // namespace pbsim
