// The replacement of the runtime's DataWindow window procedure: every
// DataWindow window of the process passes through it. Windows without a
// record go straight to the real procedure; attached ones get the private
// messages, the frame margins, and the mouse, keyboard and scroll hooks of
// the decorations. Every message ends in the real procedure, unchanged.
#include <windowsx.h>

#include <cwchar>

#include "datawindow/attach_analysis.h"
#include "datawindow/dw_object.h"
#include "datawindow/mouse_feedback.h"
#include "base/debug_log.h"
#include "datawindow/dw_list.h"
#include "base/globals.h"
#include "base/private_messages.h"
#include "base/real_functions.h"
#include "datawindow/repaint.h"
#include "header/page_info.h"
#include "header/side_bar.h"

namespace {

constexpr UINT kCallPrint = 1303;
constexpr int kObjectNameCapacity = 1024;

LRESULT Forward(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcW(Real_dwWinProc, hWnd, msg, wParam, lParam);
}

// The record again after the real procedure ran: a script it called may have
// detached the DataWindow.
DWObject* RecordAfter(HWND hWnd) { return g_pDWlist ? g_pDWlist->FindDW(hWnd) : nullptr; }

void Refresh(DWObject& dw, HWND hWnd) {
    dw.UpdateDWWidth();
    if (IsWindow(hWnd)) RepaintWithFrame(hWnd);
}

// The private messages; false for every other message.
bool HandlePrivate(DWObject& dw, HWND hWnd, UINT msg, LPARAM lParam) {
    const int kind = PrivateMessageColourKind(msg);
    if (kind >= 0) {
        dw.SetColor(kind, static_cast<COLORREF>(lParam));
        return true;
    }
    switch (msg) {
    case WM_DW_PAGEINFO: ShowPageInfo(dw); return true;
    case WM_DW_REFRESH: Refresh(dw, hWnd); return true;
    case WM_DW_ATTACHED: CompleteAttach(dw); return true;
    case WM_DW_SIDEBAR: SetSideBar(dw, lParam != 0); return true;
    case WM_DW_INFOTARGET: dw.m_hInfoTarget = reinterpret_cast<HWND>(lParam); return true;
    default: return false;
    }
}

LRESULT DoubleClick(DWObject& dw, HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    wchar_t name[kObjectNameCapacity] = {};
    if (dw.m_pfnGetObjectUnderMouse) {
        dw.m_pfnGetObjectUnderMouse(hWnd, name);
        name[kObjectNameCapacity - 1] = L'\0';
    }
    // A double click on a button object acts as a click.
    if (_wcsnicmp(name, L"b_", 2) == 0) {
        PostMessageW(hWnd, WM_LBUTTONDOWN, 0, 0);
        DebugLog("%ls\n", name);
    }
    return Forward(hWnd, msg, wParam, lParam);
}

}  // namespace

LRESULT CALLBACK HookdwWinProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT) HoverPaintComing(hWnd);
    if (msg == WM_NCDESTROY) HoverWindowGone(hWnd);
    DWObject* dw = g_pDWlist ? g_pDWlist->FindDW(hWnd) : nullptr;
    if (!dw) return Real_dwWinProc ? Forward(hWnd, msg, wParam, lParam) : 0;
    if (msg == kCallPrint) DebugLog("call print ...\n");
    if (!Real_dwWinProc) return 0;

    switch (msg) {
    case WM_NCCALCSIZE: {
        const LRESULT result = Forward(hWnd, msg, wParam, lParam);
        dw = RecordAfter(hWnd);
        if (!dw || !dw->m_bNoCaption || !lParam) return result;
        // Both forms of lParam begin with the rectangle that becomes the client area.
        RECT* client = reinterpret_cast<RECT*>(lParam);
        client->left += dw->m_rcMargin.left;
        client->top += dw->m_rcMargin.top;
        client->right -= dw->m_rcMargin.right;
        client->bottom -= dw->m_rcMargin.bottom;
        return 0;
    }
    case WM_NCHITTEST: {
        POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ScreenToClient(hWnd, &point);
        const LRESULT result = Forward(hWnd, msg, wParam, lParam);
        return point.x < 0 ? HTMENU : result;
    }
    case WM_NCPAINT:
        Forward(hWnd, msg, wParam, lParam);
        if ((dw = RecordAfter(hWnd)) != nullptr) PaintSideBar(*dw);
        return 0;
    case WM_KEYDOWN: {
        const LRESULT result = Forward(hWnd, msg, wParam, lParam);
        const bool moves =
            wParam == VK_RETURN || wParam == VK_PRIOR || wParam == VK_NEXT || wParam == VK_UP || wParam == VK_DOWN;
        if (moves && (dw = RecordAfter(hWnd)) != nullptr) PaintSideBar(*dw);
        return result;
    }
    case WM_VSCROLL: {
        const LRESULT result = Forward(hWnd, msg, wParam, lParam);
        if ((dw = RecordAfter(hWnd)) != nullptr) NotifyScroll(*dw, wParam, lParam);
        return result;
    }
    case WM_MOUSEMOVE: {
        const LRESULT result = Forward(hWnd, msg, wParam, lParam);
        if ((dw = RecordAfter(hWnd)) != nullptr) MouseMove(*dw, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return result;
    }
    case WM_LBUTTONDOWN: {
        const LRESULT result = Forward(hWnd, msg, wParam, lParam);
        if ((dw = RecordAfter(hWnd)) != nullptr) SelectionStart(*dw);
        return result;
    }
    case WM_LBUTTONUP: {
        const LRESULT result = Forward(hWnd, msg, wParam, lParam);
        if ((dw = RecordAfter(hWnd)) == nullptr) return result;
        NotifyScroll(*dw, wParam, lParam);
        if (GetCapture()) ReleaseCapture();
        dw->m_bSelecting = 0;
        return result;
    }
    case WM_LBUTTONDBLCLK: return DoubleClick(*dw, hWnd, msg, wParam, lParam);
    case WM_CAPTURECHANGED: PostMessageW(hWnd, WM_DW_REFRESH, 0, 0); return Forward(hWnd, msg, wParam, lParam);
    case WM_NCDESTROY: {
        const LRESULT result = Forward(hWnd, msg, wParam, lParam);
        if (g_pDWlist) g_pDWlist->WindowDestroyed(hWnd);
        return result;
    }
    case WM_DW_SORT: DebugLog("WM_DW_SORT\n"); return Forward(hWnd, msg, wParam, lParam);
    default: HandlePrivate(*dw, hWnd, msg, lParam); return Forward(hWnd, msg, wParam, lParam);
    }
}
