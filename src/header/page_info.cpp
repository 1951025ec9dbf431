#include "header/page_info.h"

#include "datawindow/dw_object.h"
#include "frame/private_messages.h"

void NotifyScroll(DWObject& dw, WPARAM wParam, LPARAM lParam) {
    dw.m_bScrolled = 1;
    const WORD code = LOWORD(wParam);
    if (code == SB_THUMBPOSITION || code == SB_THUMBTRACK) PostMessageW(dw.m_hWnd, WM_DW_PAGEINFO, wParam, lParam);
}

void ShowPageInfo(DWObject& dw, WPARAM, LPARAM) {
    // The side bar and the row text are painted once the page information
    // is built.
    (void)dw;
}
