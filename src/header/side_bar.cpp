#include "header/side_bar.h"

#include "datawindow/dw_object.h"

void PaintSideBar(DWObject& dw) {
    // The side bar is drawn only while it is switched on; its painter joins
    // with the page information.
    if (!dw.m_bSideBar) return;
}

void SetSideBar(DWObject& dw, bool on) {
    dw.m_rcMargin.left = on ? 48 : 1;
    dw.m_bSideBar = on ? 1 : 0;
    SetWindowPos(dw.m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
    dw.UpdateDWWidth();
}
