#include "datawindow/repaint.h"

#include "datawindow/dw_object.h"
#include "datawindow/dw_list.h"
#include "base/globals.h"

void RepaintWithFrame(HWND hWnd) {
    // A DataWindow whose attach is still to complete gets its repaint then,
    // with the frame recalculated: until then it is only marked invalid.
    const DWObject* record = g_pDWlist ? g_pDWlist->FindDW(hWnd) : nullptr;
    if (record && record->m_bAttachPending) {
        RedrawWindow(hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
        return;
    }
    InvalidateRect(hWnd, nullptr, TRUE);
    UpdateWindow(hWnd);
    SendMessageW(hWnd, WM_NCPAINT, 0, 0);
}
