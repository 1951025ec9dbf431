#include "skin/win_list.h"

#include <new>
#include <vector>

WinList::WinList() {
    try {
        m_vSpareDCNodes.reserve(kSpareDCNodes);
    } catch (...) {
        // Without spare room every context costs a map node: slower, not wrong.
    }
}

WinList::~WinList() {
    for (auto& entry : m_mapSkins) delete entry.second;
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
    ForgetDCs();
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
    ForgetDCs();
}

ScrollBarSkin* WinList::GetOrCreateSkin(HWND hWnd) {
    ScrollBarSkin** slot = nullptr;
    try {
        slot = &m_mapSkins[hWnd];
    } catch (...) {
        return nullptr;  // out of memory: the window draws as the theme does
    }
    if (*slot) return *slot;
    ScrollBarSkin* skin = new (std::nothrow) ScrollBarSkin();
    if (!skin) return nullptr;
    skin->m_hWnd = hWnd;
    skin->LoadSkin(m_strSkinFile.c_str());
    // Loading draws nothing, so the slot is still the one looked up.
    *slot = skin;
    return skin;
}

void WinList::ReleaseSkin(HWND hWnd) {
    auto it = m_mapSkins.find(hWnd);
    if (it == m_mapSkins.end()) return;
    delete it->second;  // closes its theme handle
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

void WinList::MapDC(HDC hdc, HWND hWnd) {
    auto it = m_mapDCWnd.find(hdc);
    if (it != m_mapDCWnd.end()) {
        it->second = hWnd;
        return;
    }
    if (m_vSpareDCNodes.empty()) {
        try {
            m_mapDCWnd.emplace(hdc, hWnd);
        } catch (...) {
            // Out of memory: the context stays unknown, as one obtained before the start.
        }
        return;
    }
    DCNode node = std::move(m_vSpareDCNodes.back());
    m_vSpareDCNodes.pop_back();
    node.key() = hdc;
    node.mapped() = hWnd;
    m_mapDCWnd.insert(std::move(node));
}

void WinList::UnmapDC(HDC hdc) {
    if (m_mapDCWnd.empty()) return;
    DCNode node = m_mapDCWnd.extract(hdc);
    // Within the reserved room, keeping a node allocates nothing.
    if (node && m_vSpareDCNodes.size() < m_vSpareDCNodes.capacity()) m_vSpareDCNodes.push_back(std::move(node));
}

HWND WinList::WindowOfDC(HDC hdc) const {
    auto it = m_mapDCWnd.find(hdc);
    return it == m_mapDCWnd.end() ? nullptr : it->second;
}

void WinList::ForgetDCs() {
    while (!m_mapDCWnd.empty() && m_vSpareDCNodes.size() < m_vSpareDCNodes.capacity())
        m_vSpareDCNodes.push_back(m_mapDCWnd.extract(m_mapDCWnd.begin()));
    m_mapDCWnd.clear();
}
