// Where the library shows its information texts: the tooltip it makes for a
// DataWindow (owned by the DataWindow's top-level window), or a host's
// information target, a plain window whose text it sets.
#pragma once

#include <windows.h>
// After windows.h.
#include <commctrl.h>

#include <string>
#include <vector>

inline HWND TooltipOf(HWND dw) {
    HWND tip = nullptr;
    while ((tip = FindWindowExW(nullptr, tip, L"tooltips_class32", nullptr)) != nullptr)
        if (GetWindow(tip, GW_OWNER) == GetAncestor(dw, GA_ROOT)) return tip;
    return nullptr;
}

// The text of the tooltip's first tool.
inline std::wstring TooltipText(HWND tip) {
    TOOLINFOW tool = {};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    if (!tip || !SendMessageW(tip, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&tool))) return L"<no tool>";
    std::vector<wchar_t> text(1024, L'\0');
    tool.lpszText = text.data();
    SendMessageW(tip, TTM_GETTEXTW, text.size(), reinterpret_cast<LPARAM>(&tool));
    return text.data();
}

// A host's information target: a hidden popup, destroyed with the object.
class InfoTarget {
public:
    InfoTarget() : m_window(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 200, 100, 0, 0, 0, 0)) {}
    ~InfoTarget() { DestroyWindow(m_window); }
    InfoTarget(const InfoTarget&) = delete;
    InfoTarget& operator=(const InfoTarget&) = delete;
    HWND Window() const { return m_window; }
    std::wstring Text() const {
        wchar_t text[1024] = {};
        GetWindowTextW(m_window, text, 1024);
        return text;
    }

private:
    HWND m_window;
};
