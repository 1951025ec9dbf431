// WinList: every window created in the process since the start, which window
// each device context belongs to, and the scroll-bar skin of each window.
#pragma once

#include <windows.h>

#include <map>
#include <string>

#include "skin/scroll_bar_skin.h"

class WinList {
public:
    WinList() = default;
    ~WinList();
    WinList(const WinList&) = delete;
    WinList& operator=(const WinList&) = delete;

    void RegisterWindow(HWND hWnd);
    // The null window only purges windows that no longer exist.
    void UnregisterWindow(HWND hWnd);
    void PurgeDeadWindows();
    void ReleaseSkin(HWND hWnd);
    void RepaintAll();

    std::map<HWND, HWND> m_mapWindows;
    std::map<HDC, HWND> m_mapDCWnd;
    std::map<HWND, ScrollBarSkin*> m_mapSkins;
    std::wstring m_strSkinFile;
};
