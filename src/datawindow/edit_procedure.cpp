// The replacement of the runtime's DataWindow edit-control procedure: the
// edit control shown over the current cell of an attached DataWindow gets
// its text centred vertically in the cell, once.
#include <cmath>

#include "datawindow/dw_number.h"
#include "datawindow/dw_object.h"
#include "datawindow/dw_list.h"
#include "base/globals.h"
#include "base/real_functions.h"

namespace {

bool PlacesText(UINT msg) {
    return msg == WM_SETFOCUS || msg == WM_PAINT || msg == WM_SETCURSOR || msg == WM_WINDOWPOSCHANGED;
}

void CentreText(DWObject& dw, HWND edit) {
    RECT format = {};
    SendMessageW(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    if (format.top != 0) return;  // placed before
    RECT client = {};
    GetClientRect(edit, &client);
    const int column = dw.m_pfnGetCurrentColumn ? static_cast<short>(LOWORD(dw.m_pfnGetCurrentColumn(dw.m_hWnd))) : -1;
    const int points = std::abs(DWNumber(dw.DescribeF(L"#%d.Font.Height", column)));
    const int textHeight = static_cast<int>(points / 72.0 * 96);
    const int offset = (client.bottom - client.top - textHeight) / 2 - 1;
    OffsetRect(&client, 0, offset);
    SendMessageW(edit, EM_SETRECT, 0, reinterpret_cast<LPARAM>(&client));
}

}  // namespace

LRESULT CALLBACK HookdwWinProcEdit(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (PlacesText(msg) && g_pDWlist) {
        if (DWObject* dw = g_pDWlist->FindDW(GetParent(hWnd))) CentreText(*dw, hWnd);
    }
    return CallWindowProcW(Real_dwWinProcEdit, hWnd, msg, wParam, lParam);
}
