#include "skin/scroll_bar_skin.h"

#include <uxtheme.h>

void ScrollBarSkin::CloseTheme() {
    if (m_hTheme) {
        CloseThemeData(reinterpret_cast<HTHEME>(m_hTheme));
        m_hTheme = nullptr;
    }
}

void ScrollBarSkin::LoadSkin(const wchar_t* path) {
    // The skinned scroll-bar painter reads section "ScrollBar" from here.
    m_strSkinFile = path ? path : L"";
}
