// The replacements of the runtime's list-box and window procedures.
#include "base/debug_log.h"
#include "datawindow/dw_list.h"
#include "base/globals.h"
#include "base/real_functions.h"

namespace {

constexpr UINT kWindowMessageLogged = 2060;

}  // namespace

// While a runtime list box paints, icon-font codes in its items are left as
// they are written.
LRESULT CALLBACK HookFN_ListBoxWnd(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_PAINT || !g_pDWlist) return CallWindowProcW(Real_FN_ListBoxWnd, hWnd, msg, wParam, lParam);
    g_pDWlist->m_bInIconText = 1;
    const LRESULT result = CallWindowProcW(Real_FN_ListBoxWnd, hWnd, msg, wParam, lParam);
    if (g_pDWlist) g_pDWlist->m_bInIconText = 0;
    return result;
}

LRESULT CALLBACK HookFN_WindowWnd(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == kWindowMessageLogged) {
        DebugLog("FN_WindowWnd message:%X %X %X    %X %X\n", msg, static_cast<unsigned>(wParam),
                 static_cast<unsigned>(lParam), HIWORD(wParam), LOWORD(wParam));
    }
    return CallWindowProcW(Real_FN_WindowWnd, hWnd, msg, wParam, lParam);
}
