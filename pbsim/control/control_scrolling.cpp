// Scroll bars and scrolling of a DataWindow control: vertically by rows (the
// first row on the page), horizontally by pixels of the content.
#include <algorithm>

#include "control/datawindow_control.h"

namespace pbsim {

namespace {

const int kLinePixels = 10;  // one horizontal scroll step
const int kWheelRows = 3;    // rows per notch of the mouse wheel

}  // namespace

int DataWindowControl::ClientWidth() const {
    RECT client = {0, 0, 0, 0};
    GetClientRect(m_window, &client);
    return client.right;
}

int DataWindowControl::ClientHeight() const {
    RECT client = {0, 0, 0, 0};
    GetClientRect(m_window, &client);
    return client.bottom;
}

void DataWindowControl::OnSize() {
    m_model->SetPageHeightPixels(std::max(1, ClientHeight()));
    UpdateScrollBars();
    ScrollToX(m_hScroll);
    PlaceEditor();
    InvalidateRect(m_window, nullptr, FALSE);
}

// Showing or hiding one scroll bar changes the client area and so what the
// other one needs; a few passes settle it.
// Setting a scroll bar redraws it at once; a bar that already shows the
// range, page and position is left alone.
void DataWindowControl::SetScrollInfoWhenChanged(int bar, const SCROLLINFO& wanted) {
    SCROLLINFO current = {};
    current.cbSize = sizeof(current);
    current.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    const LONG_PTR style = GetWindowLongPtrW(m_window, GWL_STYLE);
    const bool shown = (style & (bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL)) != 0;
    const bool needed = static_cast<int>(wanted.nPage) <= wanted.nMax - wanted.nMin;
    if (shown == needed && GetScrollInfo(m_window, bar, &current) && current.nMin == wanted.nMin &&
        current.nMax == wanted.nMax && current.nPage == wanted.nPage && current.nPos == wanted.nPos) {
        return;
    }
    SCROLLINFO info = wanted;
    SetScrollInfo(m_window, bar, &info, TRUE);
}

void DataWindowControl::SetScrollPosWhenChanged(int bar, int position) {
    if (GetScrollPos(m_window, bar) != position) SetScrollPos(m_window, bar, position, TRUE);
}

void DataWindowControl::UpdateScrollBars() {
    if (m_updatingScrollBars) return;
    m_updatingScrollBars = true;
    for (int pass = 0; pass < 3; ++pass) {
        RECT before = {0, 0, 0, 0};
        GetClientRect(m_window, &before);
        m_model->SetPageHeightPixels(std::max(1L, static_cast<long>(before.bottom)));
        const long rows = m_model->RowCount();

        SCROLLINFO vertical = {};
        vertical.cbSize = sizeof(vertical);
        vertical.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        vertical.nMin = 0;
        vertical.nMax = rows > 0 ? static_cast<int>(rows - 1) : 0;
        vertical.nPage = rows > 0 ? static_cast<UINT>(m_model->RowsPerPage()) : 1;
        vertical.nPos = rows > 0 ? static_cast<int>(m_model->FirstRowOnPage() - 1) : 0;
        SetScrollInfoWhenChanged(SB_VERT, vertical);

        // The page view of the print preview does not scroll sideways.
        const int content = m_model->PrintPreview() ? 0 : m_model->ContentWidthPixels();
        SCROLLINFO horizontal = {};
        horizontal.cbSize = sizeof(horizontal);
        horizontal.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        horizontal.nMin = 0;
        horizontal.nMax = content > 0 ? content - 1 : 0;
        horizontal.nPage = static_cast<UINT>(std::max(1L, static_cast<long>(before.right)));
        horizontal.nPos = m_hScroll;
        SetScrollInfoWhenChanged(SB_HORZ, horizontal);

        RECT after = {0, 0, 0, 0};
        GetClientRect(m_window, &after);
        if (after.right == before.right && after.bottom == before.bottom) break;
    }
    m_model->SetPageHeightPixels(std::max(1, ClientHeight()));
    m_updatingScrollBars = false;
}

void DataWindowControl::OnVScroll(WPARAM wParam) {
    const long first = m_model->FirstRowOnPage();
    const long page = m_model->RowsPerPage();
    long target = first;
    switch (LOWORD(wParam)) {
    case SB_LINEUP: target = first - 1; break;
    case SB_LINEDOWN: target = first + 1; break;
    case SB_PAGEUP: target = first - page; break;
    case SB_PAGEDOWN: target = first + page; break;
    case SB_TOP: target = 1; break;
    case SB_BOTTOM: target = m_model->RowCount(); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        long position = HIWORD(wParam);
        // The message carries 16 bits; longer ranges read the tracking position.
        if (m_model->RowCount() > 0xFFFF) {
            SCROLLINFO info = {};
            info.cbSize = sizeof(info);
            info.fMask = SIF_TRACKPOS;
            if (GetScrollInfo(m_window, SB_VERT, &info)) position = info.nTrackPos;
        }
        target = position + 1;
        break;
    }
    default: return;
    }
    ScrollToRow(target);
}

void DataWindowControl::OnHScroll(WPARAM wParam) {
    const int page = std::max(1, ClientWidth());
    int target = m_hScroll;
    switch (LOWORD(wParam)) {
    case SB_LINELEFT: target = m_hScroll - kLinePixels; break;
    case SB_LINERIGHT: target = m_hScroll + kLinePixels; break;
    case SB_PAGELEFT: target = m_hScroll - page; break;
    case SB_PAGERIGHT: target = m_hScroll + page; break;
    case SB_LEFT: target = 0; break;
    case SB_RIGHT: target = m_model->ContentWidthPixels(); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: target = HIWORD(wParam); break;
    default: return;
    }
    ScrollToX(target);
}

void DataWindowControl::OnMouseWheel(WPARAM wParam) {
    const int delta = static_cast<short>(HIWORD(wParam));
    const long rows = -static_cast<long>(delta) * kWheelRows / WHEEL_DELTA;
    if (rows != 0) ScrollToRow(m_model->FirstRowOnPage() + rows);
}

void DataWindowControl::ScrollToRow(long firstRow) {
    if (m_model->RowCount() == 0) return;
    const long before = m_model->FirstRowOnPage();
    m_model->SetFirstRowOnPage(firstRow);
    SetScrollPosWhenChanged(SB_VERT, static_cast<int>(m_model->FirstRowOnPage() - 1));
    if (m_model->FirstRowOnPage() == before) return;
    PlaceEditor();
    InvalidateRect(m_window, nullptr, FALSE);
}

void DataWindowControl::ScrollToX(int x) {
    const int content = m_model->PrintPreview() ? 0 : m_model->ContentWidthPixels();
    const int limit = std::max(0, content - ClientWidth());
    const int target = std::min(std::max(x, 0), limit);
    SetScrollPosWhenChanged(SB_HORZ, target);
    if (target == m_hScroll) return;
    m_hScroll = target;
    m_model->SetHorizontalScrollPixels(target);
    PlaceEditor();
    InvalidateRect(m_window, nullptr, FALSE);
}

void DataWindowControl::EnsureRowVisible(long row) {
    if (row < 1) return;
    const long first = m_model->FirstRowOnPage();
    const long last = m_model->LastRowOnPage();
    if (row < first) {
        ScrollToRow(row);
    } else if (row > last) {
        ScrollToRow(row - m_model->RowsPerPage() + 1);
        // With group bands a page holds fewer rows further on: move on until
        // the row is wholly on the page (or is the first row on it).
        while (m_model->LastRowOnPage() < row && m_model->FirstRowOnPage() < row) {
            const long first = m_model->FirstRowOnPage();
            ScrollToRow(first + 1);
            if (m_model->FirstRowOnPage() == first) break;
        }
    }
}

}  // namespace pbsim
