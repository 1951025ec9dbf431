#include "control/control_layout.h"

#include <algorithm>

namespace pbsim {

namespace {

bool Contains(const RECT& rect, POINT point) {
  return point.x >= rect.left && point.x < rect.right && point.y >= rect.top && point.y < rect.bottom;
}

}  // namespace

ControlLayout::ControlLayout(const DataWindowModel& model, const PageArea& area) : m_model(model), m_area(area) {
  m_header = std::max(0, model.BandHeightPixels(L"header"));
  m_detail = std::max(0, model.BandHeightPixels(L"detail"));
  m_summary = std::max(0, model.BandHeightPixels(L"summary"));
  m_footer = std::max(0, model.BandHeightPixels(L"footer"));
  const long rows = model.RowCount();

  m_first = rows == 0 ? 0 : std::min(std::max(area.firstRow, 1L), rows);
  const bool unlimited = area.height <= 0;
  if (rows == 0) {
    m_rowsPerPage = 0;
  } else if (unlimited || m_detail <= 0) {
    m_rowsPerPage = rows;
  } else {
    m_rowsPerPage = std::max(1L, static_cast<long>((area.height - m_header - m_footer) / m_detail));
  }
  m_lastWhole = rows == 0 ? 0 : std::min(rows, m_first + m_rowsPerPage - 1);

  if (unlimited) {
    m_lastPainted = rows;
    m_footerTop = m_header + static_cast<int>(rows) * m_detail + m_summary;
  } else {
    m_footerTop = area.height - m_footer;
    m_lastPainted = m_lastWhole;
    if (m_detail > 0) {
      while (m_lastPainted > 0 && m_lastPainted < rows && RowTop(m_lastPainted + 1) < m_footerTop) ++m_lastPainted;
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

int ControlLayout::RowsBottom() const {
  if (m_lastPainted < m_first || m_first == 0) return m_header;
  return RowTop(m_lastPainted) + m_detail;
}

long ControlLayout::EvaluationRow(const std::wstring& band, long detailRow) const {
  if (band == L"detail") return detailRow;
  if (band == L"summary" || band == L"footer") return m_lastPainted > 0 ? m_lastPainted : m_model.RowCount();
  return m_first > 0 ? m_first : m_model.CurrentRow();
}

int ControlLayout::BandTop(const std::wstring& band, long detailRow) const {
  if (band == L"detail") return RowTop(detailRow);
  if (band == L"summary") return SummaryTop();
  if (band == L"footer") return m_footerTop;
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
  if (point.y < m_header) {
    hit.band = L"header";
  } else if (m_first > 0 && m_detail > 0 && point.y < RowsBottom() && point.y < m_footerTop) {
    hit.band = L"detail";
    hit.row = m_first + (point.y - m_header) / m_detail;
  } else if (m_summaryShown && point.y >= SummaryTop() && point.y < SummaryTop() + m_summary) {
    hit.band = L"summary";
  } else if (m_footer > 0 && point.y >= m_footerTop && point.y < m_footerTop + m_footer) {
    hit.band = L"footer";
  }

  hit.object = TopmostObject(L"foreground", hit.row, point);
  if (hit.object) {
    hit.objectRow = EvaluationRow(L"foreground", hit.row);
  } else if (!hit.band.empty()) {
    hit.object = TopmostObject(hit.band, hit.row, point);
    hit.objectRow = EvaluationRow(hit.band, hit.row);
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
