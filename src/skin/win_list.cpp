#include "skin/win_list.h"

#include <vector>

WinList::~WinList() {
    for (auto& entry : m_mapSkins) {
        if (entry.second) {
            entry.second->CloseTheme();
            delete entry.second;
        }
    }
    m_mapSkins.clear();
}

void WinList::RegisterWindow(HWND hWnd) {
    m_mapWindows[hWnd] = hWnd;
    PurgeDeadWindows();
}

void WinList::UnregisterWindow(HWND hWnd) {
    if (m_mapWindows.empty()) return;
    m_mapWindows.erase(hWnd);
    ReleaseSkin(hWnd);
    PurgeDeadWindows();
    m_mapDCWnd.clear();
}

void WinList::PurgeDeadWindows() {
    // Each dead window is unregistered as UnregisterWindow would do it, in one
    // pass: going through UnregisterWindow would purge again for every one of
    // them, and a closed form leaves many dead child windows at once.
    std::vector<HWND> dead;
    for (const auto& entry : m_mapWindows)
        if (!IsWindow(entry.first)) dead.push_back(entry.first);
    if (dead.empty()) return;
    for (HWND h : dead) {
        m_mapWindows.erase(h);
        ReleaseSkin(h);
    }
    m_mapDCWnd.clear();
}

void WinList::ReleaseSkin(HWND hWnd) {
    auto it = m_mapSkins.find(hWnd);
    if (it == m_mapSkins.end()) return;
    if (it->second) {
        it->second->CloseTheme();
        delete it->second;
    }
    m_mapSkins.erase(it);
}

void WinList::RepaintAll() {
    for (const auto& entry : m_mapWindows) {
        if (IsWindow(entry.first)) {
            InvalidateRect(entry.first, nullptr, TRUE);
            UpdateWindow(entry.first);
        }
    }
}
