#include "header/page_info.h"

#include <cwchar>

#include "datawindow/dw_object.h"
#include "frame/private_messages.h"
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
    wchar_t text[1024];
    swprintf(text, 1024, L"总 行 数 \t %d\r\n当前首行 \t %d\r\n当前末行 \t %d\r\n当 前 行 \t %d", static_cast<int>(count),
             first, last, static_cast<int>(current));
    ShowInfoTip(dw, text);
}
