// The current cell, the rows on the page, and the yes/no states a control
// shows (print preview, mouse selection).
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

long DataWindowModel::RowsPerPage() const {
  const long rows = RowCount();
  if (m_pageHeight <= 0) return rows;
  const int detail = BandHeightPixels(L"detail");
  if (detail <= 0) return rows;
  const int available = m_pageHeight - BandHeightPixels(L"header") - BandHeightPixels(L"footer");
  const long fit = available / detail;
  return fit < 1 ? 1 : fit;
}

int DataWindowModel::BandHeightPixels(const std::wstring& band) const {
  return UnitsToPixelsY(BandHeight(band));
}

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
  long maxFirst = rows - RowsPerPage() + 1;
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
