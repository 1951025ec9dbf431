// Skinned scroll bars: the theme's scroll-bar parts drawn on a window's device
// contexts are painted in the skin's colours, part by part and state by
// state, with vector arrow heads and a rounded thumb. The parts are drawn
// with DrawThemeBackground and the skin's own "SCROLLBAR" handle into memory
// contexts made from a window's context (they paint as the window), and the
// pixels are read back.
#include <gtest/gtest.h>
#include <windows.h>
#include <uxtheme.h>

#include <memory>
#include <string>

#include "dib.h"
#include "ini_file.h"
#include "message_pump.h"
#include "pbsim_runtime.h"
#include "tessel_dll.h"

namespace {

// Skin colours, each distinct from the others and from what Wine draws.
const COLORREF kWindow = RGB(250, 240, 200);  // section SysColor, index 5
const COLORREF kDefault = RGB(200, 0, 0);
const COLORREF kNormal = RGB(0, 200, 0);
const COLORREF kHot = RGB(0, 0, 200);
const COLORREF kHover = RGB(200, 200, 0);
const COLORREF kPress = RGB(200, 0, 200);
const COLORREF kButtonNormal = RGB(0, 200, 200);
const COLORREF kButtonHot = RGB(120, 60, 0);
const COLORREF kButtonHover = RGB(0, 120, 60);
const COLORREF kButtonPress = RGB(60, 0, 120);
const COLORREF kArrowNormal = RGB(90, 0, 0);
const COLORREF kArrowHot = RGB(0, 90, 0);
const COLORREF kArrowHover = RGB(0, 0, 90);
const COLORREF kArrowPress = RGB(90, 90, 0);
const COLORREF kPaper = RGB(1, 2, 3);  // the memory context before drawing

std::string Line(const char* key, COLORREF value) { return std::string(key) + "=" + std::to_string(value) + "\r\n"; }

std::string SkinText(const std::string& extra = std::string()) {
    return "[SysColor]\r\n" + Line("5", kWindow) + "[ScrollBar]\r\n" + Line("ScrollDefault", kDefault) +
           Line("ScrollNormal", kNormal) + Line("ScrollHot", kHot) + Line("ScrollHover", kHover) +
           Line("ScrollPress", kPress) + Line("ScrollButtonNormal", kButtonNormal) +
           Line("ScrollButtonHot", kButtonHot) + Line("ScrollButtonHover", kButtonHover) +
           Line("ScrollButtonPress", kButtonPress) + Line("ScrollArrowNormal", kArrowNormal) +
           Line("ScrollArrowHot", kArrowHot) + Line("ScrollArrowHover", kArrowHover) +
           Line("ScrollArrowPress", kArrowPress) + extra;
}

LRESULT CALLBACK CountingProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
int g_ncPaints = 0;

const wchar_t kClass[] = L"SkinTestWindow";

void RegisterTestClass() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kClass;
    RegisterClassW(&wc);
}

// A memory context made from a window's own context: it paints as the window.
struct WindowCanvas {
    WindowCanvas(HWND window, int width, int height) : hWnd(window), dc(GetDC(window)) {
        dib.reset(new Dib(width, height, dc));
        dib->Fill(kPaper);
    }
    ~WindowCanvas() {
        dib.reset();
        ReleaseDC(hWnd, dc);
    }
    HRESULT Draw(HTHEME theme, int part, int state, RECT r) {
        return DrawThemeBackground(theme, dib->Dc(), part, state, &r, nullptr);
    }
    COLORREF At(int x, int y) const { return dib->At(x, y); }
    HWND hWnd;
    HDC dc;
    std::unique_ptr<Dib> dib;
};

class SkinScrollBars : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pb.ok());
        ASSERT_NE(nullptr, dll.h);
        ASSERT_EQ(dll.StartTessel(), 1);
        RegisterTestClass();
        skin.reset(new IniFile(dll.h, L"skin_scroll_bars.ini", SkinText()));
        ASSERT_EQ(1, dll.SetSkinFile(skin->Name()));
        ASSERT_EQ(kWindow, GetSysColor(COLOR_WINDOW));
        cxV = GetSystemMetrics(SM_CXVSCROLL);
        cyH = GetSystemMetrics(SM_CYHSCROLL);
    }
    void TearDown() override {
        for (HWND w : windows)
            if (IsWindow(w)) DestroyWindow(w);
        IniFile empty(dll.h, L"skin_scroll_bars_empty.ini", "[Other]\r\nx=1\r\n");
        dll.SetSkinFile(empty.Name());
        dll.StopTessel();
    }
    HWND Window(DWORD style, int width = 200, int height = 150, const wchar_t* cls = kClass, HWND parent = nullptr,
                int x = 0, int y = 0) {
        HWND w = CreateWindowExW(0, cls, L"", style | (parent ? WS_CHILD : WS_POPUP) | WS_VISIBLE, x, y, width,
                                 height, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
        windows.push_back(w);
        return w;
    }
    // The theme handle of class "SCROLLBAR": Wine gives every opener of a
    // class the same handle, so this is the handle the skins opened.
    HTHEME Theme(HWND w) {
        HTHEME theme = OpenThemeData(w, L"SCROLLBAR");
        themes.push_back(theme);
        return theme;
    }
    PbsimRuntime pb{105};
    TesselDll dll;
    std::unique_ptr<IniFile> skin;
    std::vector<HWND> windows;
    std::vector<HTHEME> themes;
    int cxV = 0;
    int cyH = 0;

public:
    ~SkinScrollBars() override {
        for (HTHEME t : themes)
            if (t) CloseThemeData(t);
    }
};

// Face colour and arrow colour of the arrow-button states (1-20).
COLORREF VerticalFace(int state) {
    switch (state) {
    case 1: case 4: case 5: case 8: return kButtonNormal;
    case 2: case 6: return kButtonHot;
    case 3: case 7: return kButtonPress;
    case 17: case 18: return kButtonHover;
    default: return kDefault;
    }
}
COLORREF HorizontalFace(int state) {
    switch (state) {
    case 9: case 12: case 13: case 16: return kButtonNormal;
    case 10: case 14: return kButtonHot;
    case 11: case 15: return kButtonPress;
    case 19: case 20: return kButtonHover;
    default: return kWindow;
    }
}
COLORREF ArrowColor(int state) {
    if (state >= 17) return kArrowHover;
    switch ((state - 1) % 4) {
    case 1: return kArrowHot;
    case 2: return kArrowPress;
    default: return kArrowNormal;
    }
}

}  // namespace

TEST_F(SkinScrollBars, UpArrowHotOnAVerticalBar) {
    HWND w = Window(WS_VSCROLL);
    HTHEME theme = Theme(w);
    ASSERT_NE(nullptr, theme) << "no visual style active in the Wine prefix";
    WindowCanvas canvas(w, 200, 150);
    // The 17 x 17 up-arrow button at the top of the vertical strip.
    const RECT r = {200 - cxV, 0, 200, cxV};
    ASSERT_EQ(17, cxV);
    EXPECT_EQ(S_OK, canvas.Draw(theme, 1, 2, r));
    // 2 pixels of background either side; the face 13 wide loses one more on
    // the left: 12 pixels from left + 3.
    EXPECT_EQ(kDefault, canvas.At(r.left, 0));
    EXPECT_EQ(kDefault, canvas.At(r.left + 1, 0));
    EXPECT_EQ(kDefault, canvas.At(r.left + 2, 0));
    EXPECT_EQ(kButtonHot, canvas.At(r.left + 3, 0));
    EXPECT_EQ(kButtonHot, canvas.At(r.right - 3, 0));
    EXPECT_EQ(kDefault, canvas.At(r.right - 2, 0));
    EXPECT_EQ(kDefault, canvas.At(r.right - 1, 1));
    // The circle head: radius 8 through the tip at F.top + 4, centred on x = left + 9.
    const int x = r.left + 9;
    EXPECT_EQ(kButtonHot, canvas.At(x, 2));
    EXPECT_EQ(kArrowHot, canvas.At(x, 12));
    EXPECT_EQ(kArrowHot, canvas.At(x, 5));
    EXPECT_EQ(kArrowHot, canvas.At(x - 6, 12));
    EXPECT_EQ(kArrowHot, canvas.At(x + 5, 12));
    EXPECT_EQ(kButtonHot, canvas.At(r.left + 3, 3));  // outside the circle, in the face
    // Nothing left of the strip is touched.
    EXPECT_EQ(kPaper, canvas.At(r.left - 1, 5));
}

TEST_F(SkinScrollBars, EveryPartAndStateOfAVerticalBar) {
    HWND w = Window(WS_VSCROLL);
    HTHEME theme = Theme(w);
    ASSERT_NE(nullptr, theme);
    const int left = 200 - cxV;
    // Arrow buttons 40 pixels tall: both circle heads fit inside.
    for (int state = 1; state <= 20; ++state) {
        WindowCanvas canvas(w, 200, 150);
        const RECT r = {left, 10, 200, 50};
        EXPECT_EQ(S_OK, canvas.Draw(theme, 1, state, r));
        const int x = left + 9;
        EXPECT_EQ(kDefault, canvas.At(left + 1, 30)) << state;
        EXPECT_EQ(VerticalFace(state), canvas.At(left + 3, 10)) << state;
        const bool up = (state >= 1 && state <= 4) || state == 17;
        const bool down = (state >= 5 && state <= 8) || state == 18;
        EXPECT_EQ(up ? ArrowColor(state) : VerticalFace(state), canvas.At(x, 10 + 12)) << state;
        EXPECT_EQ(down ? ArrowColor(state) : VerticalFace(state), canvas.At(x, 50 - 13)) << state;
    }
    // Tracks: the normal state shows the background, any other the button colour.
    for (int part : {6, 7}) {
        for (int state = 1; state <= 5; ++state) {
            WindowCanvas canvas(w, 200, 150);
            EXPECT_EQ(S_OK, canvas.Draw(theme, part, state, RECT{left, 20, 200, 120}));
            EXPECT_EQ(kDefault, canvas.At(left + 2, 70)) << part << "/" << state;
            EXPECT_EQ(state == 1 ? kDefault : kButtonNormal, canvas.At(left + 3, 70)) << part << "/" << state;
            EXPECT_EQ(state == 1 ? kDefault : kButtonNormal, canvas.At(left + 14, 119)) << part << "/" << state;
            EXPECT_EQ(kDefault, canvas.At(left + 15, 70)) << part << "/" << state;
        }
    }
    // The thumb of a 17-pixel bar: a 12-pixel bar with round ends, its
    // straight part from F.top + 6 to F.bottom - 6, on the background when
    // inactive and on the button colour otherwise.
    const COLORREF thumbs[] = {kNormal, kHot, kPress, kNormal, kHover, kDefault};
    for (int state = 1; state <= 6; ++state) {
        WindowCanvas canvas(w, 200, 150);
        const RECT r = {left, 40, 200, 100};
        EXPECT_EQ(S_OK, canvas.Draw(theme, 3, state, r));
        const COLORREF thumb = thumbs[state - 1];
        const COLORREF behind = thumb == kNormal ? kDefault : kButtonNormal;
        EXPECT_EQ(kDefault, canvas.At(left + 2, 70)) << state;
        EXPECT_EQ(thumb, canvas.At(left + 3, 46)) << state;
        EXPECT_EQ(thumb, canvas.At(left + 14, 93)) << state;
        EXPECT_EQ(thumb, canvas.At(left + 9, 41)) << state;
        EXPECT_EQ(behind, canvas.At(left + 3, 40)) << state;   // the rounded corner
        EXPECT_EQ(behind, canvas.At(left + 14, 99)) << state;
        EXPECT_EQ(kDefault, canvas.At(left + 15, 70)) << state;
    }
    // The gripper takes the thumb's colour over the whole face.
    for (int state = 1; state <= 6; ++state) {
        WindowCanvas canvas(w, 200, 150);
        EXPECT_EQ(S_OK, canvas.Draw(theme, 9, state, RECT{left, 60, 200, 68}));
        EXPECT_EQ(thumbs[state - 1], canvas.At(left + 3, 60)) << state;
        EXPECT_EQ(thumbs[state - 1], canvas.At(left + 14, 67)) << state;
        EXPECT_EQ(kDefault, canvas.At(left + 1, 64)) << state;
    }
    // A part of the horizontal bar inside the vertical strip gets only the
    // background; rectangles outside the strip are not painted at all. Both
    // count as drawn.
    WindowCanvas canvas(w, 200, 150);
    EXPECT_EQ(S_OK, canvas.Draw(theme, 2, 1, RECT{left, 60, 200, 68}));
    EXPECT_EQ(S_OK, canvas.Draw(theme, 1, 2, RECT{10, 10, 27, 27}));
    EXPECT_EQ(kDefault, canvas.At(left + 5, 64));
    EXPECT_EQ(kPaper, canvas.At(15, 15));
}

TEST_F(SkinScrollBars, EveryPartAndStateOfAHorizontalBar) {
    HWND w = Window(WS_HSCROLL);
    HTHEME theme = Theme(w);
    ASSERT_NE(nullptr, theme);
    const int top = 150 - cyH;
    ASSERT_EQ(17, cyH);
    // The face is 1 pixel in from top and bottom, then one more at the top:
    // rows top + 2 to bottom - 2.
    for (int state = 1; state <= 20; ++state) {
        WindowCanvas canvas(w, 200, 150);
        const RECT r = {10, top, 50, 150};
        EXPECT_EQ(S_OK, canvas.Draw(theme, 1, state, r));
        const int y = (top + 2 + 149) / 2;
        const bool left = (state >= 9 && state <= 12) || state == 19;
        const bool right = (state >= 13 && state <= 16) || state == 20;
        EXPECT_EQ(kWindow, canvas.At(30, top + 1)) << state;
        EXPECT_EQ(kWindow, canvas.At(30, 149)) << state;
        EXPECT_EQ(HorizontalFace(state), canvas.At(10, top + 2)) << state;
        EXPECT_EQ(HorizontalFace(state), canvas.At(49, 148)) << state;
        EXPECT_EQ(left ? ArrowColor(state) : HorizontalFace(state), canvas.At(10 + 12, y)) << state;
        EXPECT_EQ(right ? ArrowColor(state) : HorizontalFace(state), canvas.At(50 - 13, y)) << state;
    }
    for (int part : {4, 5}) {
        for (int state = 1; state <= 5; ++state) {
            WindowCanvas canvas(w, 200, 150);
            EXPECT_EQ(S_OK, canvas.Draw(theme, part, state, RECT{60, top, 160, 150}));
            EXPECT_EQ(kWindow, canvas.At(100, top + 1)) << part << "/" << state;
            EXPECT_EQ(state == 1 ? kWindow : kButtonNormal, canvas.At(100, top + 2)) << part << "/" << state;
            EXPECT_EQ(kWindow, canvas.At(100, 149)) << part << "/" << state;
        }
    }
    // The thumb: a 14-pixel bar with round ends along the face.
    const COLORREF thumbs[] = {kNormal, kHot, kPress, kNormal, kHover, kWindow};
    for (int state = 1; state <= 6; ++state) {
        WindowCanvas canvas(w, 200, 150);
        EXPECT_EQ(S_OK, canvas.Draw(theme, 2, state, RECT{60, top, 160, 150}));
        const COLORREF thumb = thumbs[state - 1];
        const COLORREF behind = thumb == kNormal ? kDefault : kButtonNormal;
        EXPECT_EQ(kWindow, canvas.At(100, top + 1)) << state;
        EXPECT_EQ(thumb, canvas.At(100, top + 2)) << state;
        EXPECT_EQ(thumb, canvas.At(61, top + 9)) << state;
        EXPECT_EQ(behind, canvas.At(60, top + 2)) << state;
        EXPECT_EQ(behind, canvas.At(159, 148)) << state;
    }
    // The gripper: a disabled one shows the background.
    const COLORREF grippers[] = {kNormal, kHot, kPress, kWindow, kHover, kWindow};
    for (int state = 1; state <= 6; ++state) {
        WindowCanvas canvas(w, 200, 150);
        EXPECT_EQ(S_OK, canvas.Draw(theme, 8, state, RECT{90, top, 100, 150}));
        EXPECT_EQ(grippers[state - 1], canvas.At(90, top + 2)) << state;
        EXPECT_EQ(kWindow, canvas.At(95, top + 1)) << state;
    }
}

TEST_F(SkinScrollBars, SolidHeadWithAShaft) {
    IniFile shaft(dll.h, L"skin_scroll_bars_shaft.ini",
                  SkinText("Style=2\r\nDrawArrowLine=1\r\nArrowLength=8\r\nArrowWidth=1\r\n"));
    ASSERT_EQ(1, dll.SetSkinFile(shaft.Name()));
    HWND w = Window(WS_VSCROLL);
    HTHEME theme = Theme(w);
    WindowCanvas canvas(w, 200, 150);
    const int left = 200 - cxV;
    const int x = left + 9;
    EXPECT_EQ(S_OK, canvas.Draw(theme, 1, 1, RECT{left, 0, 200, 40}));
    // The shaft: 2 pixels wide, from F.bottom - 4 up to the tip.
    EXPECT_EQ(kArrowNormal, canvas.At(x - 1, 30));
    EXPECT_EQ(kArrowNormal, canvas.At(x, 30));
    EXPECT_EQ(kButtonNormal, canvas.At(x + 1, 30));
    EXPECT_EQ(kButtonNormal, canvas.At(x - 2, 30));
    EXPECT_EQ(kButtonNormal, canvas.At(x, 38));
    // The head: a filled triangle below the tip at y 4, 8 pixels long, one
    // radian either side.
    EXPECT_EQ(kArrowNormal, canvas.At(x, 6));
    EXPECT_EQ(kArrowNormal, canvas.At(x + 3, 7));
    EXPECT_EQ(kArrowNormal, canvas.At(x - 4, 7));
    EXPECT_EQ(kButtonNormal, canvas.At(x + 4, 16));  // a circle head would cover it
    EXPECT_EQ(kButtonNormal, canvas.At(x, 2));
}

TEST_F(SkinScrollBars, ScrollBarControls) {
    HWND host = Window(0, 300, 200);
    HWND bar = Window(SBS_VERT, cxV, 150, L"ScrollBar", host, 10, 10);
    HWND box = Window(SBS_SIZEBOX, 20, 20, L"ScrollBar", host, 50, 10);
    HWND button = Window(BS_PUSHBUTTON, 80, 30, L"Button", host, 100, 10);
    ASSERT_TRUE(bar && box && button);
    HTHEME theme = Theme(bar);
    ASSERT_NE(nullptr, theme);
    // A vertical control is skinned without WS_VSCROLL.
    {
        WindowCanvas canvas(bar, cxV, 150);
        EXPECT_EQ(S_OK, canvas.Draw(theme, 1, 2, RECT{0, 0, cxV, cxV}));
        EXPECT_EQ(kDefault, canvas.At(0, 0));
        EXPECT_EQ(kButtonHot, canvas.At(3, 0));
        EXPECT_EQ(kArrowHot, canvas.At(9, 12));
    }
    // A size box goes to the real function: the same pixels as drawn on a
    // context that belongs to no window.
    {
        WindowCanvas skinned(box, 20, 20);
        Dib plain(20, 20);
        plain.Fill(kPaper);
        const RECT r = {0, 0, 20, 20};
        skinned.Draw(theme, 9, 1, r);
        DrawThemeBackground(theme, plain.Dc(), 9, 1, &r, nullptr);
        int same = 0;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x) same += skinned.At(x, y) == plain.At(x, y);
        EXPECT_EQ(400, same);
        EXPECT_NE(kNormal, skinned.At(10, 10));
    }
    // Painted by the control itself through WM_PAINT on a context from GetDC:
    // the parts Wine's theme draws come out in the skin's colours.
    SCROLLINFO info = {sizeof(info), SIF_ALL, 0, 100, 20, 10, 0};
    SetScrollInfo(bar, SB_CTL, &info, TRUE);
    PumpMessages();
    {
        HDC dc = GetDC(bar);
        SendMessageW(bar, WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
        Dib shown(cxV, 150);
        shown.CopyFrom(dc);
        ReleaseDC(bar, dc);
        EXPECT_EQ(kDefault, shown.At(0, 5));                // the background beside the face
        EXPECT_EQ(kButtonNormal, shown.At(3, 1));           // the up button's face
        EXPECT_EQ(kArrowNormal, shown.At(9, 12));           // its arrow head
        EXPECT_EQ(kButtonNormal, shown.At(3, 148));         // the down button's face
        EXPECT_GT(shown.Count(RECT{3, cxV, 15, 150 - cxV}, [](COLORREF c) { return c == kNormal; }), 50);
    }
    // A button's theme is not the skin's: drawn by the real function,
    // though the button's window gets a skin, and with it the repaint of
    // SetSkinFile.
    HTHEME buttonTheme = OpenThemeData(button, L"BUTTON");
    themes.push_back(buttonTheme);
    ASSERT_NE(nullptr, buttonTheme);
    {
        WindowCanvas skinned(button, 80, 30);
        Dib plain(80, 30);
        plain.Fill(kPaper);
        const RECT r = {0, 0, 80, 30};
        skinned.Draw(buttonTheme, 1, 1, r);
        DrawThemeBackground(buttonTheme, plain.Dc(), 1, 1, &r, nullptr);
        EXPECT_EQ(plain.At(40, 15), skinned.At(40, 15));
        EXPECT_EQ(plain.At(0, 0), skinned.At(0, 0));
        EXPECT_NE(kPaper, skinned.At(40, 15));
    }
    g_ncPaints = 0;
    SetWindowLongPtrW(button, GWLP_USERDATA, GetWindowLongPtrW(button, GWLP_WNDPROC));
    SetWindowLongPtrW(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingProc));
    HWND unskinned = Window(0, 50, 50, kClass, host, 200, 100);
    SetWindowLongPtrW(unskinned, GWLP_USERDATA, GetWindowLongPtrW(unskinned, GWLP_WNDPROC));
    SetWindowLongPtrW(unskinned, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingProc));
    EXPECT_EQ(1, dll.SetSkinFile(skin->Name()));
    EXPECT_EQ(1, g_ncPaints);  // the button's repaint; the window without a skin has none
}

TEST_F(SkinScrollBars, WineDrawsItsOwnNonClientBars) {
    // Wine paints the non-client bars of a WS_VSCROLL window on a context it
    // takes internally: that context belongs to window 0, whose skin passes
    // the drawing on, and the bar keeps Wine's colours.
    HWND w = Window(WS_VSCROLL);
    SCROLLINFO info = {sizeof(info), SIF_ALL, 0, 100, 20, 10, 0};
    SetScrollInfo(w, SB_VERT, &info, TRUE);
    RedrawWindow(w, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    PumpMessages();
    HDC dc = GetWindowDC(w);
    Dib shown(200, 150);
    shown.CopyFrom(dc);
    ReleaseDC(w, dc);
    const COLORREF skinColours[] = {kDefault, kNormal, kButtonNormal, kArrowNormal};
    for (COLORREF c : skinColours)
        EXPECT_EQ(0, shown.Count(RECT{200 - cxV, 0, 200, 150}, [c](COLORREF p) { return p == c; }));
    // The same window's own contexts are skinned.
    HTHEME theme = Theme(w);
    WindowCanvas canvas(w, 200, 150);
    EXPECT_EQ(S_OK, canvas.Draw(theme, 6, 2, RECT{200 - cxV, 20, 200, 100}));
    EXPECT_EQ(kButtonNormal, canvas.At(200 - cxV + 5, 50));
    // Any other handle passes through, even on a skinned window: the
    // button's part is drawn as on a context of no window.
    HTHEME other = OpenThemeData(w, L"BUTTON");
    themes.push_back(other);
    ASSERT_NE(nullptr, other);
    Dib plain(200, 150);
    plain.Fill(kPaper);
    canvas.dib->Fill(kPaper);
    const RECT r = {200 - cxV, 20, 200, 100};
    canvas.Draw(other, 1, 1, r);
    DrawThemeBackground(other, plain.Dc(), 1, 1, &r, nullptr);
    EXPECT_EQ(plain.At(200 - cxV + 5, 50), canvas.At(200 - cxV + 5, 50));
    EXPECT_NE(kPaper, canvas.At(200 - cxV + 5, 50));
    EXPECT_NE(kButtonNormal, canvas.At(200 - cxV + 5, 50));
}

TEST_F(SkinScrollBars, DefaultsSkinFileAndDataWindowSkins) {
    // Without a ScrollBar section every window's skin takes its defaults: the
    // window colour behind the bar, arrows in 0x646464 when hot.
    IniFile plain(dll.h, L"skin_scroll_bars_plain.ini", "[SysColor]\r\n" + Line("5", kWindow));
    ASSERT_EQ(1, dll.SetSkinFile(plain.Name()));
    HWND w = Window(WS_VSCROLL);
    HTHEME theme = Theme(w);
    const int left = 200 - cxV;
    {
        WindowCanvas canvas(w, 200, 150);
        canvas.Draw(theme, 1, 2, RECT{left, 0, 200, 40});
        EXPECT_EQ(kWindow, canvas.At(left, 20));
        EXPECT_EQ(0xE6E6E6u, canvas.At(left + 3, 0));
        EXPECT_EQ(0x646464u, canvas.At(left + 9, 12));
        canvas.Draw(theme, 3, 1, RECT{left, 50, 200, 120});
        EXPECT_EQ(0xE6E6E6u, canvas.At(left + 9, 80));
        EXPECT_EQ(kWindow, canvas.At(left + 3, 50));
    }
    // A DataWindow's own skin comes from its settings file, another window's
    // from the skin file; SetSkinFile reloads the windows' skins.
    ASSERT_EQ(1, dll.SetSkinFile(skin->Name()));
    const wchar_t kGrid[] =
        L"release 10;\n"
        L"datawindow(units=1 processing=1)\n"
        L"header(height=24)\n"
        L"detail(height=20)\n"
        L"table(column=(type=long name=a dbname=\"a\"))\n"
        L"text(band=header text=\"A\" border=\"0\" x=\"1\" y=\"1\" height=\"20\" width=\"80\" name=a_t)\n"
        L"column(band=detail id=1 x=\"1\" y=\"1\" height=\"18\" width=\"300\" name=a visible=\"1\")\n"
        L"data(1 2 3 4 5 6 7 8 9 10 11 12)\n";
    HWND grid = pb.Create(kGrid, WS_VSCROLL, 100, 100);
    ASSERT_NE(nullptr, grid);
    ASSERT_TRUE(GetWindowLongW(grid, GWL_STYLE) & WS_VSCROLL);
    const COLORREF kOwnHot = RGB(10, 100, 250);
    IniFile settings(dll.h, L"skin_scroll_bars_dw.ini",
                     "[datawindow]\r\nAlterColor=16777215\r\n[ScrollBar]\r\n" + Line("ScrollButtonHot", kOwnHot));
    // Attached without settings: the record's skin as constructed, with its
    // lighter arrows.
    dll.AttachDatawindow(grid, nullptr);
    PumpMessages();
    RECT gr;
    GetWindowRect(grid, &gr);
    const int gw = gr.right - gr.left;
    const int gh = gr.bottom - gr.top;
    const RECT button = {gw - cxV, 0, gw, 40};
    {
        WindowCanvas canvas(grid, gw, gh);
        EXPECT_EQ(S_OK, canvas.Draw(theme, 1, 2, button));
        EXPECT_EQ(0xE6E6E6u, canvas.At(gw - cxV + 3, 0));
        EXPECT_EQ(0xA0A0A0u, canvas.At(gw - cxV + 9, 12));
    }
    dll.AttachDatawindow(grid, settings.Name());
    PumpMessages();
    {
        WindowCanvas canvas(grid, gw, gh);
        EXPECT_EQ(S_OK, canvas.Draw(theme, 1, 2, button));
        EXPECT_EQ(kOwnHot, canvas.At(gw - cxV + 3, 0));
        EXPECT_EQ(0x646464u, canvas.At(gw - cxV + 9, 12));
        EXPECT_EQ(kWindow, canvas.At(gw - cxV, 20));  // the default background is the window colour
    }
    {
        WindowCanvas canvas(w, 200, 150);
        EXPECT_EQ(S_OK, canvas.Draw(theme, 1, 2, RECT{left, 0, 200, 40}));
        EXPECT_EQ(kButtonHot, canvas.At(left + 3, 0));
        EXPECT_EQ(kArrowHot, canvas.At(left + 9, 12));
    }
    dll.DettachDatawindow(grid);
    DestroyWindow(grid);
}

TEST_F(SkinScrollBars, DestroyedWindowsLeaveTheList) {
    HWND w = Window(WS_VSCROLL);
    HTHEME theme = Theme(w);
    const int left = 200 - cxV;
    WindowCanvas canvas(w, 200, 150);
    EXPECT_EQ(S_OK, canvas.Draw(theme, 6, 2, RECT{left, 20, 200, 100}));
    EXPECT_EQ(kButtonNormal, canvas.At(left + 5, 50));
    // A parent with a skinned child: destroying the parent takes the child
    // along without passing through DestroyWindow for it; the next window
    // made purges it. Destroying any window forgets every context handed out,
    // so the canvas made before now belongs to window 0 and is not skinned.
    HWND parent = Window(0, 100, 100);
    HWND child = Window(WS_VSCROLL, 60, 60, kClass, parent, 0, 0);
    {
        WindowCanvas childCanvas(child, 60, 60);
        EXPECT_EQ(S_OK, childCanvas.Draw(theme, 6, 2, RECT{60 - cxV, 20, 60, 40}));
        EXPECT_EQ(kButtonNormal, childCanvas.At(60 - cxV + 5, 30));
    }
    DestroyWindow(parent);
    ASSERT_FALSE(IsWindow(child));
    Window(0, 10, 10);
    canvas.dib->Fill(kPaper);
    canvas.Draw(theme, 6, 2, RECT{left, 20, 200, 100});
    EXPECT_NE(kButtonNormal, canvas.At(left + 5, 50));
    EXPECT_NE(kPaper, canvas.At(left + 5, 50));  // drawn by the theme
    // A new canvas of the window is skinned again, and SetSkinFile repaints
    // the windows whose skins remain.
    WindowCanvas again(w, 200, 150);
    again.Draw(theme, 6, 2, RECT{left, 20, 200, 100});
    EXPECT_EQ(kButtonNormal, again.At(left + 5, 50));
    EXPECT_EQ(1, dll.SetSkinFile(skin->Name()));
}

namespace {

LRESULT CALLBACK CountingProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCPAINT && wParam == 0) ++g_ncPaints;
    return CallWindowProcW(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hWnd, GWLP_USERDATA)), hWnd, msg, wParam,
                           lParam);
}

}  // namespace
