// Skinned-scroll-bar state of one window: flat colours per part and state,
// vector arrow heads and a rounded thumb, painted instead of the theme's
// scroll-bar parts.
#pragma once

#include <windows.h>
#include <uxtheme.h>

class ScrollBarSkin {
public:
    // Opens the skin's own "SCROLLBAR" theme handle.
    ScrollBarSkin();
    ~ScrollBarSkin();
    ScrollBarSkin(const ScrollBarSkin&) = delete;
    ScrollBarSkin& operator=(const ScrollBarSkin&) = delete;

    // Closes the theme handle through the real CloseThemeData.
    void CloseTheme();
    // Back to the defaults, the theme handle opened if it is not, then the keys of
    // section "ScrollBar" of the file (a bare name lives beside the library).
    void LoadSkin(const wchar_t* path);
    // The work behind the DrawThemeBackground replacement: parts drawn with
    // the skin's own handle on a window with scroll bars are painted here and
    // reported as drawn; everything else goes to the real function.
    HRESULT DrawSkinnedPart(HTHEME hTheme, HDC hdc, int part, int state, LPCRECT pRect, LPCRECT pClipRect);
    // Paints one part of the vertical and/or horizontal bar of the window.
    void PaintScrollPart(HDC hdc, int part, int state, const RECT& rc, BOOL vertical, BOOL horizontal);

    HWND m_hWnd = nullptr;
    HTHEME m_hTheme = nullptr;  // theme handle of class "SCROLLBAR", when open

    // Colours, named by their keys in section "ScrollBar".
    COLORREF ScrollDefault;       // background of the vertical bar; behind an inactive thumb
    COLORREF ScrollNormal;        // thumb and gripper, normal and disabled
    COLORREF ScrollHot;           // thumb and gripper, hot
    COLORREF ScrollHover;         // thumb and gripper, hover
    COLORREF ScrollPress;         // thumb and gripper, pressed
    COLORREF ScrollButtonNormal;  // arrow-button face, normal and disabled; an active track
    COLORREF ScrollButtonHot;
    COLORREF ScrollButtonHover;
    COLORREF ScrollButtonPress;
    COLORREF ScrollArrowNormal;  // arrow head, normal and disabled
    COLORREF ScrollArrowHot;
    COLORREF ScrollArrowHover;
    COLORREF ScrollArrowPress;
    // The arrow heads: DrawArrow's style, shaft flag and sizes.
    int Style;
    int DrawArrowLine;
    int ArrowLength;
    int ArrowWidth;
    int ArrowDepth;

private:
    void OpenTheme();
    void SetLoadDefaults();
    void PaintVerticalPart(HDC hdc, int part, int state, const RECT& rc);
    void PaintHorizontalPart(HDC hdc, int part, int state, const RECT& rc);
    // Thumb and gripper colour of a state; other states get fallback.
    COLORREF ThumbColor(int state, COLORREF fallback) const;
    // Arrow-head colour of an arrow-button state within its direction.
    COLORREF ArrowColor(int state) const;
};
