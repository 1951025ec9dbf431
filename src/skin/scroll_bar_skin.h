// Skinned-scroll-bar state of one window.
#pragma once

#include <windows.h>

#include <string>

struct ScrollBarSkin {
    HWND m_hWnd = nullptr;
    HANDLE m_hTheme = nullptr;  // theme handle of class "SCROLLBAR", when open

    std::wstring m_strSkinFile;  // the file the skin was last loaded from

    // Colours, named by their keys in section "ScrollBar".
    COLORREF ScrollDefault = GetSysColor(COLOR_WINDOW);  // background of the bar

    // Closes the theme handle through the real CloseThemeData.
    void CloseTheme();
    // Takes the skin from section "ScrollBar" of the file.
    void LoadSkin(const wchar_t* path);
};
