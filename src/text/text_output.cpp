// Text output and measuring of the whole process: DataWindow texts go to the
// header painter, icon-font text to the icon-font renderer; everything else
// passes through with its arguments unchanged.
#include "datawindow/dw_object.h"
#include "datawindow/dw_list.h"
#include "base/globals.h"
#include "base/real_functions.h"
#include "header/header_text.h"
#include "text/icon_text.h"
#include "text/icon_text_syntax.h"
#include "text/measuring_text.h"

#include <climits>
#include <cstring>
#include <cwchar>
#include <string>
#include <string_view>

#include "base/debug_log.h"

namespace {

bool HasMarker(const wchar_t* text, int count) { return count > 0 && HasIconMarker(text, static_cast<size_t>(count)); }

// While the renderer draws (or a runtime list box paints) text passes through.
bool InIconText() { return !g_pDWlist || g_pDWlist->m_bInIconText; }

}  // namespace

BOOL WINAPI HookGetTextExtentExPointW(HDC hdc, LPCWSTR lpszString, int cchString, int nMaxExtent, LPINT lpnFit,
                                      LPINT lpnDx, LPSIZE lpSize) {
    if (!HasMarker(lpszString, cchString)) {
        return Real_GetTextExtentExPointW(hdc, lpszString, cchString, nMaxExtent, lpnFit, lpnDx, lpSize);
    }
    const std::wstring measured = MeasuringText(lpszString, cchString);
    return Real_GetTextExtentExPointW(hdc, measured.c_str(), static_cast<int>(measured.size()), nMaxExtent, lpnFit,
                                      lpnDx, lpSize);
}

int WINAPI HookDrawTextExW(HDC hdc, LPWSTR lpchText, int cchText, LPRECT lprc, UINT format, LPDRAWTEXTPARAMS lpdtp) {
    if (lpchText && !(format & DT_CALCRECT) && !InIconText()) {
        if (DWObject* record = g_pDWlist->FindDWForDC(hdc)) {
            return DrawHeaderText(*record, hdc, lpchText, cchText, lprc, format | DT_VCENTER | DT_SINGLELINE, lpdtp);
        }
        if (DrawIconTextInRect(lpchText, lprc, hdc, format | DT_VCENTER | DT_SINGLELINE)) return 0;
    }
    return Real_DrawTextExW(hdc, lpchText, cchText, lprc, format, lpdtp);
}

BOOL WINAPI HookTextOutW(HDC hdc, int x, int y, LPCWSTR lpString, int c) {
    if (lpString && !InIconText() && std::wcslen(lpString) >= 11 && DrawIconTextAt(lpString, hdc, x, y)) return FALSE;
    return Real_TextOutW(hdc, x, y, lpString, c);
}

BOOL WINAPI HookExtTextOutA(HDC hdc, int x, int y, UINT options, const RECT* lprect, LPCSTR lpString, UINT c,
                            const INT* lpDx) {
    DebugLog("*** HookExtTextOutA %.*s\n", lpString ? static_cast<int>(c) : 0, lpString ? lpString : "");
    return Real_ExtTextOutA(hdc, x, y, options, lprect, lpString, c, lpDx);
}

BOOL WINAPI HookExtTextOutW(HDC hdc, int x, int y, UINT options, const RECT* lprect, LPCWSTR lpString, UINT c,
                            const INT* lpDx) {
    // Icon text ignores the options, the rectangle and the spacing; without
    // a rectangle it is never drawn as icons.
    if (lpString && !InIconText() && lprect && c >= 11 && c <= INT_MAX && HasMarker(lpString, static_cast<int>(c)) &&
        DrawIconTextCounted(lpString, static_cast<int>(c), hdc, x, y)) {
        return 1;
    }
    return Real_ExtTextOutW(hdc, x, y, options, lprect, lpString, c, lpDx);
}

BOOL WINAPI HookPolyTextOutW(HDC hdc, const POLYTEXTW* ppt, int nstrings) {
    DebugLog("*** HookPolyTextOut\n");
    return Real_PolyTextOutW(hdc, ppt, nstrings);
}

HRESULT WINAPI HookScriptStringAnalyse(HDC hdc, const void* pString, int cString, int cGlyphs, int iCharset,
                                       DWORD dwFlags, int iReqWidth, SCRIPT_CONTROL* psControl, SCRIPT_STATE* psState,
                                       const int* piDx, SCRIPT_TABDEF* pTabdef, const BYTE* pbInClass,
                                       SCRIPT_STRING_ANALYSIS* pssa) {
    return Real_ScriptStringAnalyse(hdc, pString, cString, cGlyphs, iCharset, dwFlags, iReqWidth, psControl, psState,
                                    piDx, pTabdef, pbInClass, pssa);
}

HRESULT WINAPI HookScriptTextOut(const HDC hdc, SCRIPT_CACHE* psc, int x, int y, UINT fuOptions, const RECT* lprc,
                                 const SCRIPT_ANALYSIS* psa, const WCHAR* pwcReserved, int iReserved,
                                 const WORD* pwGlyphs, int cGlyphs, const int* piAdvance, const int* piJustify,
                                 const GOFFSET* pGoffset) {
    if (pwcReserved && iReserved > 10 && HasMarker(pwcReserved, iReserved) &&
        DrawIconTextCounted(pwcReserved, iReserved, hdc, x, y)) {
        return S_OK;
    }
    return Real_ScriptTextOut(hdc, psc, x, y, fuOptions, lprc, psa, pwcReserved, iReserved, pwGlyphs, cGlyphs,
                              piAdvance, piJustify, pGoffset);
}

BOOL WINAPI HookLpkExtTextOut(HDC hdc, int x, int y, UINT options, const RECT* rect, LPCWSTR string, UINT count,
                              const INT* dx, INT unknown) {
    if (!InIconText() && count <= INT_MAX && DrawIconTextCounted(string, static_cast<int>(count), hdc, x, y)) {
        return FALSE;
    }
    return Real_LpkExtTextOut(hdc, x, y, options, rect, string, count, dx, unknown);
}

int WINAPI HookLpkDrawTextEx(HDC hdc, int x, int y, LPCWSTR string, int count, BOOL draw, UINT format, LPVOID data,
                             UINT action, int charset) {
    if (!InIconText() && !(format & DT_CALCRECT) && DrawIconTextCounted(string, count, hdc, x, y)) return 0;
    return Real_LpkDrawTextEx(hdc, x, y, string, count, draw, format, data, action, charset);
}

int WINAPI HookLpkPSMTextOut(HDC hdc, int x, int y, LPCWSTR string, int count, DWORD flags) {
    if (!InIconText() && DrawIconTextCounted(string, count, hdc, x, y)) return 0;
    return Real_LpkPSMTextOut(hdc, x, y, string, count, flags);
}

LONG WINAPI HookLpkTabbedTextOut(HDC hdc, int x, int y, LPCWSTR string, int count, int tabs, const INT* positions,
                                 int origin, BOOL draw, int charWidth, int charHeight, int charset) {
    // Drawn even when the caller only measures: the display flag is not read.
    if (!InIconText() && DrawIconTextCounted(string, count, hdc, x, y)) return 0;
    return Real_LpkTabbedTextOut(hdc, x, y, string, count, tabs, positions, origin, draw, charWidth, charHeight,
                                 charset);
}

BOOL WINAPI HookLpkGetTextExtentExPoint(HDC hdc, LPCWSTR string, int count, int maxExtent, LPINT fit, LPINT dx,
                                        LPSIZE size, DWORD unused, int unknown) {
    if (!HasMarker(string, count)) {
        return Real_LpkGetTextExtentExPoint(hdc, string, count, maxExtent, fit, dx, size, unused, unknown);
    }
    const std::wstring measured = MeasuringText(string, count);
    return Real_LpkGetTextExtentExPoint(hdc, measured.c_str(), static_cast<int>(measured.size()), maxExtent, fit, dx,
                                        size, unused, unknown);
}
