// WinList: every window created in the process since the start, which window
// each device context belongs to, and the scroll-bar skin of each window.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "skin/scroll_bar_skin.h"

class WinList {
public:
    WinList();
    ~WinList();
    WinList(const WinList&) = delete;
    WinList& operator=(const WinList&) = delete;

    void RegisterWindow(HWND hWnd);
    // The null window only purges windows that no longer exist.
    void UnregisterWindow(HWND hWnd);
    void PurgeDeadWindows();
    // The window's skin, made and loaded from the skin file on first use; null
    // when it could not be made.
    ScrollBarSkin* GetOrCreateSkin(HWND hWnd);
    void ReleaseSkin(HWND hWnd);
    void RepaintAll();

    // The device-context map, kept on every paint of every window: the nodes
    // of released contexts are kept for the next ones, so that a context
    // handed out and given back costs no allocation.
    void MapDC(HDC hdc, HWND hWnd);
    void UnmapDC(HDC hdc);
    // The window a context was handed out for; null when it is not known.
    HWND WindowOfDC(HDC hdc) const;

    std::map<HWND, HWND> m_mapWindows;
    std::map<HDC, HWND> m_mapDCWnd;
    std::map<HWND, ScrollBarSkin*> m_mapSkins;
    std::wstring m_strSkinFile;

private:
    using DCNode = std::map<HDC, HWND>::node_type;
    static constexpr size_t kSpareDCNodes = 64;
    void ForgetDCs();
    std::vector<DCNode> m_vSpareDCNodes;
};
