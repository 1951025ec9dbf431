#include "header/page_info.h"

#include <cwchar>

#include "datawindow/dw_object.h"
#include "datawindow/info_labels.h"
#include "base/private_messages.h"
#include "header/info_tip.h"
#include "header/side_bar.h"

void NotifyScroll(DWObject& dw, WPARAM wParam, LPARAM lParam) {
    dw.m_bScrolled = 1;
    const WORD code = LOWORD(wParam);
    if (code == SB_THUMBPOSITION || code == SB_THUMBTRACK) PostMessageW(dw.m_hWnd, WM_DW_PAGEINFO, wParam, lParam);
}

void ShowPageInfo(DWObject& dw) {
    PaintSideBar(dw);
    const int first = dw.DescribeInt(L"DataWindow.FirstRowOnPage");
    const int last = dw.DescribeInt(L"DataWindow.LastRowOnPage");
    const long current = dw.m_pfnGetCurrentRow ? dw.m_pfnGetCurrentRow(dw.m_hWnd) : -1;
    const long count = dw.m_pfnGetRowCount ? dw.m_pfnGetRowCount(dw.m_hWnd) : 0;
    // The captions are arguments, never part of the format.
    wchar_t text[1024];
    swprintf(text, 1024, L"%ls \t %d\r\n%ls \t %d\r\n%ls \t %d\r\n%ls \t %d",
             InfoLabelText(dw.m_InfoLabels, kRowCountLabel), static_cast<int>(count),
             InfoLabelText(dw.m_InfoLabels, kFirstRowLabel), first, InfoLabelText(dw.m_InfoLabels, kLastRowLabel), last,
             InfoLabelText(dw.m_InfoLabels, kCurrentRowLabel), static_cast<int>(current));
    ShowInfoTip(dw, text);
}
