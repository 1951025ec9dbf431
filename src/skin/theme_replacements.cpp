// Theme functions of the process. Scroll-bar parts drawn through
// DrawThemeBackground get the skin's colours: a DataWindow's own skin on its
// device contexts, else the skin of the window the context was handed out
// for, made on its first themed drawing. Every other theme call runs the real
// function.
#include "datawindow/dw_object.h"
#include "datawindow/dw_list.h"
#include "base/globals.h"
#include "base/real_functions.h"
#include "skin/win_list.h"

HTHEME WINAPI HookOpenThemeData(HWND hwnd, LPCWSTR pszClassList) { return Real_OpenThemeData(hwnd, pszClassList); }

HRESULT WINAPI HookDrawThemeBackground(HTHEME hTheme, HDC hdc, int iPartId, int iStateId, LPCRECT pRect,
                                       LPCRECT pClipRect) {
    if (g_pDWlist) {
        if (DWObject* record = g_pDWlist->FindDWForDC(hdc))
            return record->m_ScrollSkin.DrawSkinnedPart(hTheme, hdc, iPartId, iStateId, pRect, pClipRect);
    }
    if (g_pWinlist) {
        // A context the list does not know belongs to window 0, which has a skin of its own.
        if (ScrollBarSkin* skin = g_pWinlist->GetOrCreateSkin(g_pWinlist->WindowOfDC(hdc)))
            return skin->DrawSkinnedPart(hTheme, hdc, iPartId, iStateId, pRect, pClipRect);
    }
    return Real_DrawThemeBackground(hTheme, hdc, iPartId, iStateId, pRect, pClipRect);
}

HRESULT WINAPI HookDrawThemeText(HTHEME hTheme, HDC hdc, int iPartId, int iStateId, LPCWSTR pszText, int iCharCount,
                                 DWORD dwTextFlags, DWORD dwTextFlags2, LPCRECT pRect) {
    return Real_DrawThemeText(hTheme, hdc, iPartId, iStateId, pszText, iCharCount, dwTextFlags, dwTextFlags2, pRect);
}

HTHEME WINAPI HookGetWindowTheme(HWND hwnd) { return Real_GetWindowTheme(hwnd); }

HRESULT WINAPI HookCloseThemeData(HTHEME hTheme) { return Real_CloseThemeData(hTheme); }

HRESULT WINAPI HookDrawThemeEdge(HTHEME hTheme, HDC hdc, int iPartId, int iStateId, LPCRECT pDestRect, UINT uEdge,
                                 UINT uFlags, LPRECT pContentRect) {
    return Real_DrawThemeEdge(hTheme, hdc, iPartId, iStateId, pDestRect, uEdge, uFlags, pContentRect);
}
