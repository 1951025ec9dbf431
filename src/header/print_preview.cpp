#include "header/print_preview.h"

#include <cwchar>

#include "datawindow/dw_object.h"

void CheckPrintPreview(DWObject& dw) {
    const bool preview = _wcsicmp(dw.Describe(L"DataWindow.Print.Preview").c_str(), L"yes") == 0;
    dw.m_nPreview = preview ? 1 : 0;
    if (!preview) return;
    dw.m_rcMargin.left = 1;
    dw.m_bSideBar = 0;
    SetWindowPos(dw.m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
    dw.UpdateDWWidth();
}
