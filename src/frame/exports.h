// The eighteen functions a PowerBuilder application declares and calls.
// All are stdcall, exported under their plain names (see Tessel2U.def).
#pragma once

#include <windows.h>

#define TESSEL_API extern "C" int WINAPI

TESSEL_API StartTessel();
TESSEL_API StopTessel();
TESSEL_API AttachDatawindow(HWND hWnd, LPCWSTR pszSettingsFile);
TESSEL_API DettachDatawindow(HWND hWnd);
TESSEL_API ReplaceSysColor(int nIndex, COLORREF clr);
TESSEL_API SetSkinFile(LPCWSTR pszSkinFile);
TESSEL_API AddDatawindowTitle(HWND hWnd, LPCWSTR pszTitle, LPCWSTR pszFontFace, int nFontHeight, int nTitleHeight);
TESSEL_API ModifyDatawindowTitle(HWND hWnd, int nTitle, LPCWSTR pszTitle, LPCWSTR pszFontFace, int nFontHeight);
TESSEL_API SetSpanTitle(HWND hWnd, LPCWSTR pszColumns, LPCWSTR pszCaption, LPCWSTR pszFontFace, int nFontHeight,
                        int nGrow);
TESSEL_API SetIconfont(LPCWSTR pszIconFont, int nLighten);
TESSEL_API PrintDebugString(LPCWSTR pszText);
TESSEL_API SetDebugWindowColor(int nAttribute);
TESSEL_API OpenDebugWindow();
TESSEL_API CloseDebugWindow();
TESSEL_API DWAbout();
TESSEL_API GetAddColumnSyntax(HWND hWnd, int n1, int n2, int n3, int n4);
TESSEL_API AddSystemEnv(LPCWSTR pszName, LPCWSTR pszValue, int bReplace);
TESSEL_API SetInfoLabel(LPCWSTR pszKey, LPCWSTR pszLabel);
