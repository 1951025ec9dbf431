#include "skin/scroll_bar_skin.h"

#include <cwchar>

#include "draw/arrow_head.h"
#include "draw/cairo_canvas.h"
#include "base/library_paths.h"
#include "base/real_functions.h"
#include "skin/scroll_bar_keys.h"

namespace {

const size_t kPathCapacity = 1024;
const wchar_t kThemeClass[] = L"SCROLLBAR";
const int kClassNameCapacity = 1024;

// Parts of the "SCROLLBAR" theme class.
enum {
    kArrowButton = 1,
    kThumbHorz = 2,
    kThumbVert = 3,
    kTrackStartHorz = 4,
    kTrackEndHorz = 5,
    kTrackStartVert = 6,
    kTrackEndVert = 7,
    kGripperHorz = 8,
    kGripperVert = 9,
};

// Arrow-button states: four per direction (normal, hot, pressed, disabled) in
// the order up, down, left, right, then hover for the four directions.
bool IsUpState(int s) { return (s >= 1 && s <= 4) || s == 17; }
bool IsDownState(int s) { return (s >= 5 && s <= 8) || s == 18; }
bool IsLeftState(int s) { return (s >= 9 && s <= 12) || s == 19; }
bool IsRightState(int s) { return (s >= 13 && s <= 16) || s == 20; }

void FillSolid(HDC hdc, const RECT& rc, COLORREF clr) {
    HBRUSH brush = Real_CreateSolidBrush(clr);
    if (!brush) return;
    Real_FillRect(hdc, &rc, brush);
    DeleteObject(brush);
}

bool Inside(const RECT& r, const RECT& strip) {
    return r.left >= strip.left && r.top >= strip.top && r.right <= strip.right && r.bottom <= strip.bottom;
}

// A thumb with fully rounded ends: one line as wide as the face, round caps.
void StrokeRoundBar(HDC hdc, COLORREF clr, double width, double x1, double y1, double x2, double y2) {
    if (width <= 0) return;
    CairoCanvas canvas(hdc);
    canvas.SetSourceColor(clr);
    canvas.SetLineWidth(width);
    canvas.SetLineCap(1);
    canvas.MoveTo(x1, y1);
    canvas.LineTo(x2, y2);
    canvas.Stroke();
}

}  // namespace

ScrollBarSkin::ScrollBarSkin()
    : ScrollDefault(GetSysColor(COLOR_WINDOW)),
      ScrollNormal(0xE6E6E6),
      ScrollHot(0xC8C8C8),
      ScrollHover(0xC8C8C8),
      ScrollPress(0xC8C8C8),
      ScrollButtonNormal(0xF0F0F0),
      ScrollButtonHot(0xE6E6E6),
      ScrollButtonHover(0xE6E6E6),
      ScrollButtonPress(0xE6E6E6),
      ScrollArrowNormal(0xE6E6E6),
      ScrollArrowHot(0xA0A0A0),
      ScrollArrowHover(0xA0A0A0),
      ScrollArrowPress(0xA0A0A0),
      // A skin that is never loaded still draws a well-formed head: the
      // arrow sizes start at the values a load would give them.
      Style(3),
      DrawArrowLine(0),
      ArrowLength(8),
      ArrowWidth(4),
      ArrowDepth(0) {
    OpenTheme();
}

ScrollBarSkin::~ScrollBarSkin() { CloseTheme(); }

void ScrollBarSkin::OpenTheme() { m_hTheme = Real_OpenThemeData(GetDesktopWindow(), kThemeClass); }

void ScrollBarSkin::CloseTheme() {
    if (m_hTheme) {
        Real_CloseThemeData(m_hTheme);
        m_hTheme = nullptr;
    }
}

void ScrollBarSkin::SetLoadDefaults() { SetIniDefaults(*this, kScrollBarKeys); }

void ScrollBarSkin::LoadSkin(const wchar_t* path) {
    SetLoadDefaults();
    // The handle opened with the skin serves on; one is opened only if none is.
    if (!m_hTheme) OpenTheme();
    if (!path || wcslen(path) < 5) return;
    wchar_t full[kPathCapacity];
    if (!ResolveLibraryFile(path, full, kPathCapacity)) return;
    const DWORD attributes = GetFileAttributesW(full);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return;

    ReadIniKeys(*this, kScrollBarKeys, kScrollBarSection, full);
}

HRESULT ScrollBarSkin::DrawSkinnedPart(HTHEME hTheme, HDC hdc, int part, int state, LPCRECT pRect, LPCRECT pClipRect) {
    if (!hTheme || hTheme != m_hTheme || !pRect)
        return Real_DrawThemeBackground(hTheme, hdc, part, state, pRect, pClipRect);

    wchar_t className[kClassNameCapacity] = {};
    GetClassNameW(m_hWnd, className, kClassNameCapacity);
    const LONG style = GetWindowLongW(m_hWnd, GWL_STYLE);
    BOOL vertical = 0;
    BOOL horizontal = 0;
    if (wcscmp(className, L"ScrollBar") == 0) {
        // A scroll-bar control: its own style says which way it lies.
        if ((style & 0xFF) == SBS_HORZ) horizontal = 1;
        if ((style & 0xFF) == SBS_VERT) vertical = 1;
    } else {
        if (style & WS_VSCROLL) vertical = 1;
        if (style & WS_HSCROLL) horizontal = 1;
    }
    if (!vertical && !horizontal) return Real_DrawThemeBackground(hTheme, hdc, part, state, pRect, pClipRect);
    PaintScrollPart(hdc, part, state, *pRect, vertical, horizontal);
    return S_OK;
}

COLORREF ScrollBarSkin::ThumbColor(int state, COLORREF fallback) const {
    switch (state) {
    case 1:
    case 4: return ScrollNormal;
    case 2: return ScrollHot;
    case 3: return ScrollPress;
    case 5: return ScrollHover;
    default: return fallback;
    }
}

COLORREF ScrollBarSkin::ArrowColor(int state) const {
    if (state >= 17) return ScrollArrowHover;
    switch ((state - 1) % 4) {
    case 1: return ScrollArrowHot;
    case 2: return ScrollArrowPress;
    default:  // normal and disabled
        return ScrollArrowNormal;
    }
}

void ScrollBarSkin::PaintScrollPart(HDC hdc, int part, int state, const RECT& rc, BOOL vertical, BOOL horizontal) {
    const int cxV = vertical ? GetSystemMetrics(SM_CXVSCROLL) : 0;
    const int cyH = horizontal ? GetSystemMetrics(SM_CYHSCROLL) : 0;
    RECT w = {};
    GetWindowRect(m_hWnd, &w);
    OffsetRect(&w, -w.left, -w.top);
    const RECT vStrip = {w.right - cxV - 2, 0, w.right, w.bottom};
    const RECT hStrip = {0, w.bottom - cyH - 2, w.right, w.bottom};
    if (vertical && Inside(rc, vStrip)) PaintVerticalPart(hdc, part, state, rc);
    if (horizontal && Inside(rc, hStrip)) PaintHorizontalPart(hdc, part, state, rc);
}

void ScrollBarSkin::PaintVerticalPart(HDC hdc, int part, int state, const RECT& rc) {
    const COLORREF back = ScrollDefault;
    FillSolid(hdc, rc, back);
    // The face keeps 2 pixels of the background on either side and is always
    // an even number of pixels wide, so that a thumb is centred on a pixel edge.
    RECT face = {rc.left + 2, rc.top, rc.right - 2, rc.bottom};
    if ((face.right - face.left) % 2 != 0) face.left += 1;

    switch (part) {
    case kArrowButton: {
        COLORREF clrFace = back;
        switch (state) {
        case 1:
        case 4:
        case 5:
        case 8: clrFace = ScrollButtonNormal; break;
        case 2:
        case 6: clrFace = ScrollButtonHot; break;
        case 3:
        case 7: clrFace = ScrollButtonPress; break;
        case 17:
        case 18: clrFace = ScrollButtonHover; break;
        default: break;
        }
        FillSolid(hdc, face, clrFace);
        if (!IsUpState(state) && !IsDownState(state)) break;
        const int x = (face.left + face.right) / 2;
        const int tipY = IsUpState(state) ? face.top + 4 : face.bottom - 4;
        const int startY = IsUpState(state) ? face.bottom - 4 : face.top + 4;
        const COLORREF arrow = ArrowColor(state);
        DrawArrow(hdc, x, startY, x, tipY, ArrowLength, ArrowWidth, ArrowDepth, arrow, DrawArrowLine, Style, arrow);
        break;
    }
    case kTrackStartVert:
    case kTrackEndVert: FillSolid(hdc, face, state == 1 ? back : ScrollButtonNormal); break;
    case kThumbVert: {
        const COLORREF thumb = ThumbColor(state, back);
        FillSolid(hdc, face, thumb == ScrollNormal ? ScrollDefault : ScrollButtonNormal);
        const int width = face.right - face.left;
        const int x = (face.left + face.right) / 2;
        StrokeRoundBar(hdc, thumb, width, x, face.top + width / 2, x, face.bottom - width / 2);
        break;
    }
    case kGripperVert: FillSolid(hdc, face, ThumbColor(state, back)); break;
    default: break;
    }
}

void ScrollBarSkin::PaintHorizontalPart(HDC hdc, int part, int state, const RECT& rc) {
    const COLORREF back = GetSysColor(COLOR_WINDOW);
    FillSolid(hdc, rc, back);
    RECT face = {rc.left, rc.top + 1, rc.right, rc.bottom - 1};
    if ((face.bottom - face.top) % 2 != 0) face.top += 1;

    switch (part) {
    case kArrowButton: {
        COLORREF clrFace = back;
        switch (state) {
        case 9:
        case 12:
        case 13:
        case 16: clrFace = ScrollButtonNormal; break;
        case 10:
        case 14: clrFace = ScrollButtonHot; break;
        case 11:
        case 15: clrFace = ScrollButtonPress; break;
        case 19:
        case 20: clrFace = ScrollButtonHover; break;
        default: break;
        }
        FillSolid(hdc, face, clrFace);
        if (!IsLeftState(state) && !IsRightState(state)) break;
        const int y = (face.top + face.bottom) / 2;
        const int tipX = IsLeftState(state) ? face.left + 4 : face.right - 4;
        const int startX = IsLeftState(state) ? face.right - 4 : face.left + 4;
        const COLORREF arrow = ArrowColor(state);
        DrawArrow(hdc, startX, y, tipX, y, ArrowLength, ArrowWidth, ArrowDepth, arrow, DrawArrowLine, Style, arrow);
        break;
    }
    case kTrackStartHorz:
    case kTrackEndHorz: FillSolid(hdc, face, state == 1 ? back : ScrollButtonNormal); break;
    case kThumbHorz: {
        const COLORREF thumb = ThumbColor(state, back);
        FillSolid(hdc, face, thumb == ScrollNormal ? ScrollDefault : ScrollButtonNormal);
        const int height = face.bottom - face.top;
        const int y = (face.top + face.bottom) / 2;
        StrokeRoundBar(hdc, thumb, height, face.left + height / 2, y, face.right - height / 2, y);
        break;
    }
    case kGripperHorz:
        // A disabled horizontal gripper shows the background.
        FillSolid(hdc, face, state == 4 ? back : ThumbColor(state, back));
        break;
    default: break;
    }
}
