// Theme functions of the process. Scroll-bar parts drawn through
// DrawThemeBackground get the skin's colours once the scroll-bar skin is
// built; until then, and for every other theme call, the real function runs.
#include "frame/real_functions.h"

HTHEME WINAPI HookOpenThemeData(HWND hwnd, LPCWSTR pszClassList) { return Real_OpenThemeData(hwnd, pszClassList); }

HRESULT WINAPI HookDrawThemeBackground(HTHEME hTheme, HDC hdc, int iPartId, int iStateId, LPCRECT pRect,
                                       LPCRECT pClipRect) {
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
