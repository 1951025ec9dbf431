// Skinned scroll bars: theme parts drawn with the "SCROLLBAR" handle into a
// memory context made from a window's own context come out in the skin's
// colours, part by part and state by state; other handles and contexts pass
// through to the real function.
#include <gtest/gtest.h>

#include <ostream>
#include <windows.h>
#include <uxtheme.h>

#include <memory>
#include <string>
#include <vector>

#include "dib.h"
#include "tessel_host.h"

namespace {

// The skin's colours, each distinct from the others and from Wine's.
const COLORREF kWindow = RGB(250, 240, 200);  // [SysColor] 5
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

const wchar_t kClass[] = L"SkinTestWindow";
int g_ncPaints = 0;

LRESULT CALLBACK CountingProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCPAINT && wParam == 0) ++g_ncPaints;
    return CallWindowProcW(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hWnd, GWLP_USERDATA)), hWnd, msg, wParam,
                           lParam);
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

// The host with the skin above set from a full path into the test's folder;
// popup windows of 200 x 150 whose vertical strip starts at x 183 and whose
// horizontal strip starts at y 133 (17-pixel bars).
template <class Base>
class SkinFixture : public TesselHostFixture<Base> {
protected:
    void SetUp() override {
        TesselHostFixture<Base>::SetUp();
        if (this->HasFatalFailure()) return;
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = kClass;
        RegisterClassW(&wc);
        skin = this->temp.Write(L"skin.ini", SkinText());
        ASSERT_EQ(1, this->dll.SetSkinFile(skin.c_str()));
        ASSERT_EQ(kWindow, GetSysColor(COLOR_WINDOW));
        ASSERT_EQ(17, GetSystemMetrics(SM_CXVSCROLL));
        ASSERT_EQ(17, GetSystemMetrics(SM_CYHSCROLL));
    }
    void TearDown() override {
        for (HTHEME t : themes)
            if (t) CloseThemeData(t);
        for (HWND w : windows)
            if (IsWindow(w)) DestroyWindow(w);
        // The colour table outlives the stop: a file without the section empties it.
        this->dll.SetSkinFile(this->temp.Write(L"empty.ini", "[Other]\r\nx=1\r\n").c_str());
        TesselHostFixture<Base>::TearDown();
    }
    HWND Window(DWORD style, int width = 200, int height = 150, const wchar_t* cls = kClass, HWND parent = nullptr,
                int x = 0, int y = 0) {
        HWND w = CreateWindowExW(0, cls, L"", style | (parent ? WS_CHILD : WS_POPUP) | WS_VISIBLE, x, y, width, height,
                                 parent, nullptr, GetModuleHandleW(nullptr), nullptr);
        windows.push_back(w);
        return w;
    }
    // Wine gives every opener of a class the same handle: the one the skins opened.
    HTHEME Theme(HWND w, const wchar_t* cls = L"SCROLLBAR") {
        HTHEME theme = OpenThemeData(w, cls);
        themes.push_back(theme);
        return theme;
    }
    std::wstring skin;
    std::vector<HWND> windows;
    std::vector<HTHEME> themes;
};

using SkinScrollBars = SkinFixture<::testing::Test>;

struct Probe {
    int x, y;
    COLORREF expected;
};

struct PartCase {
    const char* name;
    DWORD style;  // the window's bar
    int part, state;
    RECT r;
    std::vector<Probe> probes;
};

void PrintTo(const PartCase& c, std::ostream* out) { *out << c.name; }

// Arrow buttons 40 pixels tall or wide (both heads fit), tracks, thumbs and
// grippers; probes at the background beside the face, the face, and where
// each arrow head lies.
const PartCase kParts[] = {
    {"UpArrowHotOn17Pixels",
     WS_VSCROLL,
     1,
     2,
     {183, 0, 200, 17},
     {{183, 0, kDefault},
      {185, 0, kDefault},
      {186, 0, kButtonHot},
      {197, 0, kButtonHot},
      {198, 0, kDefault},
      {199, 1, kDefault},
      {192, 2, kButtonHot},
      {192, 5, kArrowHot},
      {192, 12, kArrowHot},
      {186, 12, kArrowHot},
      {197, 12, kArrowHot},
      {186, 3, kButtonHot},
      {182, 5, kPaper}}},
    {"UpNormal",
     WS_VSCROLL,
     1,
     1,
     {183, 10, 200, 50},
     {{184, 30, kDefault}, {186, 10, kButtonNormal}, {192, 22, kArrowNormal}, {192, 37, kButtonNormal}}},
    {"UpHot",
     WS_VSCROLL,
     1,
     2,
     {183, 10, 200, 50},
     {{186, 10, kButtonHot}, {192, 22, kArrowHot}, {192, 37, kButtonHot}}},
    {"UpPressed",
     WS_VSCROLL,
     1,
     3,
     {183, 10, 200, 50},
     {{186, 10, kButtonPress}, {192, 22, kArrowPress}, {192, 37, kButtonPress}}},
    {"UpDisabled",
     WS_VSCROLL,
     1,
     4,
     {183, 10, 200, 50},
     {{186, 10, kButtonNormal}, {192, 22, kArrowNormal}, {192, 37, kButtonNormal}}},
    {"DownNormal",
     WS_VSCROLL,
     1,
     5,
     {183, 10, 200, 50},
     {{186, 10, kButtonNormal}, {192, 22, kButtonNormal}, {192, 37, kArrowNormal}}},
    {"DownHot",
     WS_VSCROLL,
     1,
     6,
     {183, 10, 200, 50},
     {{186, 10, kButtonHot}, {192, 22, kButtonHot}, {192, 37, kArrowHot}}},
    {"DownPressed",
     WS_VSCROLL,
     1,
     7,
     {183, 10, 200, 50},
     {{186, 10, kButtonPress}, {192, 22, kButtonPress}, {192, 37, kArrowPress}}},
    {"DownDisabled",
     WS_VSCROLL,
     1,
     8,
     {183, 10, 200, 50},
     {{186, 10, kButtonNormal}, {192, 22, kButtonNormal}, {192, 37, kArrowNormal}}},
    {"UpHover",
     WS_VSCROLL,
     1,
     17,
     {183, 10, 200, 50},
     {{186, 10, kButtonHover}, {192, 22, kArrowHover}, {192, 37, kButtonHover}}},
    {"DownHover",
     WS_VSCROLL,
     1,
     18,
     {183, 10, 200, 50},
     {{186, 10, kButtonHover}, {192, 22, kButtonHover}, {192, 37, kArrowHover}}},
    {"LeftStateOnAVerticalBar",
     WS_VSCROLL,
     1,
     9,
     {183, 10, 200, 50},
     {{186, 10, kDefault}, {192, 22, kDefault}, {192, 37, kDefault}}},
    {"LeftNormal",
     WS_HSCROLL,
     1,
     9,
     {10, 133, 50, 150},
     {{30, 134, kWindow},
      {30, 149, kWindow},
      {10, 135, kButtonNormal},
      {49, 148, kButtonNormal},
      {22, 142, kArrowNormal},
      {37, 142, kButtonNormal}}},
    {"LeftHot",
     WS_HSCROLL,
     1,
     10,
     {10, 133, 50, 150},
     {{10, 135, kButtonHot}, {22, 142, kArrowHot}, {37, 142, kButtonHot}}},
    {"LeftPressed", WS_HSCROLL, 1, 11, {10, 133, 50, 150}, {{10, 135, kButtonPress}, {22, 142, kArrowPress}}},
    {"RightNormal", WS_HSCROLL, 1, 13, {10, 133, 50, 150}, {{10, 135, kButtonNormal}, {37, 142, kArrowNormal}}},
    {"RightHot",
     WS_HSCROLL,
     1,
     14,
     {10, 133, 50, 150},
     {{10, 135, kButtonHot}, {22, 142, kButtonHot}, {37, 142, kArrowHot}}},
    {"RightDisabled", WS_HSCROLL, 1, 16, {10, 133, 50, 150}, {{10, 135, kButtonNormal}, {37, 142, kArrowNormal}}},
    {"LeftHover", WS_HSCROLL, 1, 19, {10, 133, 50, 150}, {{10, 135, kButtonHover}, {22, 142, kArrowHover}}},
    {"RightHover", WS_HSCROLL, 1, 20, {10, 133, 50, 150}, {{10, 135, kButtonHover}, {37, 142, kArrowHover}}},
    {"UpStateOnAHorizontalBar",
     WS_HSCROLL,
     1,
     2,
     {10, 133, 50, 150},
     {{10, 135, kWindow}, {22, 142, kWindow}, {37, 142, kWindow}}},
    {"LowerTrackNormal",
     WS_VSCROLL,
     6,
     1,
     {183, 20, 200, 120},
     {{185, 70, kDefault}, {186, 70, kDefault}, {197, 119, kDefault}, {198, 70, kDefault}}},
    {"UpperTrackPressed",
     WS_VSCROLL,
     7,
     3,
     {183, 20, 200, 120},
     {{185, 70, kDefault}, {186, 70, kButtonNormal}, {197, 119, kButtonNormal}, {198, 70, kDefault}}},
    {"LeftTrackNormal", WS_HSCROLL, 4, 1, {60, 133, 160, 150}, {{100, 134, kWindow}, {100, 135, kWindow}}},
    {"RightTrackHot",
     WS_HSCROLL,
     5,
     2,
     {60, 133, 160, 150},
     {{100, 134, kWindow}, {100, 135, kButtonNormal}, {100, 149, kWindow}}},
    {"VerticalThumbNormal",
     WS_VSCROLL,
     3,
     1,
     {183, 40, 200, 100},
     {{185, 70, kDefault},
      {186, 46, kNormal},
      {197, 93, kNormal},
      {192, 41, kNormal},
      {186, 40, kDefault},
      {197, 99, kDefault},
      {198, 70, kDefault}}},
    {"VerticalThumbHot",
     WS_VSCROLL,
     3,
     2,
     {183, 40, 200, 100},
     {{186, 46, kHot}, {192, 41, kHot}, {186, 40, kButtonNormal}, {197, 99, kButtonNormal}}},
    {"VerticalThumbPressed", WS_VSCROLL, 3, 3, {183, 40, 200, 100}, {{186, 46, kPress}, {186, 40, kButtonNormal}}},
    {"VerticalThumbDisabled", WS_VSCROLL, 3, 4, {183, 40, 200, 100}, {{186, 46, kNormal}, {186, 40, kDefault}}},
    {"VerticalThumbHover", WS_VSCROLL, 3, 5, {183, 40, 200, 100}, {{186, 46, kHover}, {186, 40, kButtonNormal}}},
    {"VerticalThumbState6", WS_VSCROLL, 3, 6, {183, 40, 200, 100}, {{186, 46, kDefault}, {197, 99, kButtonNormal}}},
    {"HorizontalThumbNormal",
     WS_HSCROLL,
     2,
     1,
     {60, 133, 160, 150},
     {{100, 134, kWindow}, {100, 135, kNormal}, {61, 142, kNormal}, {60, 135, kDefault}, {159, 148, kDefault}}},
    {"HorizontalThumbPressed",
     WS_HSCROLL,
     2,
     3,
     {60, 133, 160, 150},
     {{100, 135, kPress}, {60, 135, kButtonNormal}, {159, 148, kButtonNormal}}},
    {"HorizontalThumbState6", WS_HSCROLL, 2, 6, {60, 133, 160, 150}, {{100, 135, kWindow}, {60, 135, kButtonNormal}}},
    {"VerticalGripperHot",
     WS_VSCROLL,
     9,
     2,
     {183, 60, 200, 68},
     {{186, 60, kHot}, {197, 67, kHot}, {184, 64, kDefault}}},
    {"HorizontalGripperHover", WS_HSCROLL, 8, 5, {90, 133, 100, 150}, {{90, 135, kHover}, {95, 134, kWindow}}},
    {"HorizontalGripperDisabled", WS_HSCROLL, 8, 4, {90, 133, 100, 150}, {{90, 135, kWindow}}},
    {"HorizontalPartInTheVerticalStrip", WS_VSCROLL, 2, 1, {183, 60, 200, 68}, {{188, 64, kDefault}}},
    {"RectangleOutsideTheStrip", WS_VSCROLL, 1, 2, {10, 10, 27, 27}, {{15, 15, kPaper}}},
};

class SkinScrollBarParts : public SkinFixture<::testing::TestWithParam<PartCase>> {};

}  // namespace

// A wrong state-to-colour choice, a wrong face inset or a swapped arrow shows
// as a probe in the wrong colour.
TEST_P(SkinScrollBarParts, PixelsInTheSkinsColours) {
    const PartCase& c = GetParam();
    HWND w = Window(c.style);
    HTHEME theme = Theme(w);
    ASSERT_NE(nullptr, theme) << "no visual style active in the Wine prefix";
    WindowCanvas canvas(w, 200, 150);
    EXPECT_EQ(S_OK, canvas.Draw(theme, c.part, c.state, c.r));
    for (const Probe& p : c.probes) EXPECT_EQ(p.expected, canvas.At(p.x, p.y)) << "at (" << p.x << ", " << p.y << ")";
}

INSTANTIATE_TEST_SUITE_P(Parts, SkinScrollBarParts, ::testing::ValuesIn(kParts),
                         [](const ::testing::TestParamInfo<PartCase>& info) { return std::string(info.param.name); });

// Style 2 with a shaft: a filled triangle head and a 2-pixel shaft, no circle.
TEST_F(SkinScrollBars, SolidHeadWithAShaft) {
    const std::wstring shaft =
        temp.Write(L"shaft.ini", SkinText("Style=2\r\nDrawArrowLine=1\r\nArrowLength=8\r\nArrowWidth=1\r\n"));
    ASSERT_EQ(1, dll.SetSkinFile(shaft.c_str()));
    HWND w = Window(WS_VSCROLL);
    WindowCanvas canvas(w, 200, 150);
    EXPECT_EQ(S_OK, canvas.Draw(Theme(w), 1, 1, RECT{183, 0, 200, 40}));
    const Probe probes[] = {{191, 30, kArrowNormal},  {192, 30, kArrowNormal},  {193, 30, kButtonNormal},
                            {190, 30, kButtonNormal}, {192, 38, kButtonNormal}, {192, 6, kArrowNormal},
                            {195, 7, kArrowNormal},   {188, 7, kArrowNormal},   {196, 16, kButtonNormal},
                            {192, 2, kButtonNormal}};
    for (const Probe& p : probes) EXPECT_EQ(p.expected, canvas.At(p.x, p.y)) << p.x << ", " << p.y;
}

// Scroll-bar controls are skinned without WS_VSCROLL and when painting
// themselves; size boxes and other classes' themes reach the real function;
// SetSkinFile repaints only windows with a skin.
TEST_F(SkinScrollBars, ScrollBarControls) {
    HWND host = Window(0, 300, 200);
    HWND bar = Window(SBS_VERT, 17, 150, L"ScrollBar", host, 10, 10);
    HWND box = Window(SBS_SIZEBOX, 20, 20, L"ScrollBar", host, 50, 10);
    HWND button = Window(BS_PUSHBUTTON, 80, 30, L"Button", host, 100, 10);
    ASSERT_TRUE(bar && box && button);
    HTHEME theme = Theme(bar);
    ASSERT_NE(nullptr, theme);
    {
        WindowCanvas canvas(bar, 17, 150);
        EXPECT_EQ(S_OK, canvas.Draw(theme, 1, 2, RECT{0, 0, 17, 17}));
        EXPECT_EQ(kDefault, canvas.At(0, 0));
        EXPECT_EQ(kButtonHot, canvas.At(3, 0));
        EXPECT_EQ(kArrowHot, canvas.At(9, 12));
    }
    // The size box and the button's own theme: the same pixels as on a
    // context of no window, and not the skin's.
    struct PassThrough {
        HWND window;
        HTHEME theme;
        int part, width, height;
    } passes[] = {{box, theme, 9, 20, 20}, {button, Theme(button, L"BUTTON"), 1, 80, 30}};
    for (const PassThrough& p : passes) {
        ASSERT_NE(nullptr, p.theme);
        WindowCanvas skinned(p.window, p.width, p.height);
        Dib plain(p.width, p.height);
        plain.Fill(kPaper);
        const RECT r = {0, 0, p.width, p.height};
        skinned.Draw(p.theme, p.part, 1, r);
        DrawThemeBackground(p.theme, plain.Dc(), p.part, 1, &r, nullptr);
        int same = 0;
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x) same += skinned.At(x, y) == plain.At(x, y);
        EXPECT_EQ(p.width * p.height, same) << p.part;
        if (p.window == button) {
            EXPECT_NE(kPaper, skinned.At(p.width / 2, p.height / 2));  // the button's face was drawn
        }
        EXPECT_NE(kNormal, skinned.At(p.width / 2, p.height / 2)) << p.part;
    }
    // The control's own WM_PAINT on a context from GetDC.
    SCROLLINFO info = {sizeof(info), SIF_ALL, 0, 100, 20, 10, 0};
    SetScrollInfo(bar, SB_CTL, &info, TRUE);
    PumpMessages();
    {
        HDC dc = GetDC(bar);
        SendMessageW(bar, WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
        Dib shown(17, 150);
        shown.CopyFrom(dc);
        ReleaseDC(bar, dc);
        EXPECT_EQ(kDefault, shown.At(0, 5));
        EXPECT_EQ(kButtonNormal, shown.At(3, 1));
        EXPECT_EQ(kArrowNormal, shown.At(9, 12));
        EXPECT_EQ(kButtonNormal, shown.At(3, 148));
        EXPECT_GT(shown.Count(RECT{3, 17, 15, 133}, [](COLORREF c) { return c == kNormal; }), 50);
    }
    g_ncPaints = 0;
    HWND unskinned = Window(0, 50, 50, kClass, host, 200, 100);
    for (HWND w : {button, unskinned}) {
        SetWindowLongPtrW(w, GWLP_USERDATA, GetWindowLongPtrW(w, GWLP_WNDPROC));
        SetWindowLongPtrW(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingProc));
    }
    EXPECT_EQ(1, dll.SetSkinFile(skin.c_str()));
    EXPECT_EQ(1, g_ncPaints);
}

// Wine's non-client bars are drawn on a context of window 0 and keep Wine's
// colours; the window's own contexts are skinned.
TEST_F(SkinScrollBars, WineDrawsItsOwnNonClientBars) {
    HWND w = Window(WS_VSCROLL);
    SCROLLINFO info = {sizeof(info), SIF_ALL, 0, 100, 20, 10, 0};
    SetScrollInfo(w, SB_VERT, &info, TRUE);
    RedrawWindow(w, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    PumpMessages();
    HDC dc = GetWindowDC(w);
    Dib shown(200, 150);
    shown.CopyFrom(dc);
    ReleaseDC(w, dc);
    for (COLORREF c : {kDefault, kNormal, kButtonNormal, kArrowNormal})
        EXPECT_EQ(0, shown.Count(RECT{183, 0, 200, 150}, [c](COLORREF p) { return p == c; }));
    WindowCanvas canvas(w, 200, 150);
    EXPECT_EQ(S_OK, canvas.Draw(Theme(w), 6, 2, RECT{183, 20, 200, 100}));
    EXPECT_EQ(kButtonNormal, canvas.At(188, 50));
}

// Without a ScrollBar section the defaults; a DataWindow's own skin from its
// settings file, reloaded on a new attach; other windows keep the skin file's.
TEST_F(SkinScrollBars, DefaultsAndDataWindowSkins) {
    ASSERT_EQ(1, dll.SetSkinFile(temp.Write(L"plain.ini", "[SysColor]\r\n" + Line("5", kWindow)).c_str()));
    HWND w = Window(WS_VSCROLL);
    HTHEME theme = Theme(w);
    {
        WindowCanvas canvas(w, 200, 150);
        canvas.Draw(theme, 1, 2, RECT{183, 0, 200, 40});
        EXPECT_EQ(kWindow, canvas.At(183, 20));
        EXPECT_EQ(0xE6E6E6u, canvas.At(186, 0));
        EXPECT_EQ(0x646464u, canvas.At(192, 12));
        canvas.Draw(theme, 3, 1, RECT{183, 50, 200, 120});
        EXPECT_EQ(0xE6E6E6u, canvas.At(192, 80));
        EXPECT_EQ(kWindow, canvas.At(186, 50));
    }
    ASSERT_EQ(1, dll.SetSkinFile(skin.c_str()));
    HWND grid = Create(GridSyntax(1).Header(24).Detail(20).Column(L"a", L"long", 300, L"A").NumberedRows(12).Text(),
                       100, 100, WS_VSCROLL);
    ASSERT_NE(nullptr, grid);
    const COLORREF kOwnHot = RGB(10, 100, 250);
    const std::wstring settings = temp.Write(
        L"dw.ini", "[datawindow]\r\nAlterColor=16777215\r\n[ScrollBar]\r\n" + Line("ScrollButtonHot", kOwnHot));
    RECT gr;
    GetWindowRect(grid, &gr);
    const int gw = gr.right - gr.left, gh = gr.bottom - gr.top;
    const RECT button = {gw - 17, 0, gw, 40};
    struct Step {
        const wchar_t* settings;
        COLORREF face, arrow;
    } steps[] = {{nullptr, 0xE6E6E6u, 0xA0A0A0u}, {settings.c_str(), kOwnHot, 0x646464u}};
    for (const Step& s : steps) {
        dll.AttachDatawindow(grid, s.settings);
        PumpMessages();
        WindowCanvas canvas(grid, gw, gh);
        EXPECT_EQ(S_OK, canvas.Draw(theme, 1, 2, button));
        EXPECT_EQ(s.face, canvas.At(gw - 14, 0));
        EXPECT_EQ(s.arrow, canvas.At(gw - 8, 12));
        if (s.settings) {
            EXPECT_EQ(kWindow, canvas.At(gw - 17, 20));  // the default background
        }
    }
    WindowCanvas canvas(w, 200, 150);
    EXPECT_EQ(S_OK, canvas.Draw(theme, 1, 2, RECT{183, 0, 200, 40}));
    EXPECT_EQ(kButtonHot, canvas.At(186, 0));
    EXPECT_EQ(kArrowHot, canvas.At(192, 12));
}

// A child destroyed with its parent is purged at the next window made, and
// destroying a window forgets the contexts handed out before.
TEST_F(SkinScrollBars, DestroyedWindowsLeaveTheList) {
    HWND w = Window(WS_VSCROLL);
    HTHEME theme = Theme(w);
    WindowCanvas canvas(w, 200, 150);
    EXPECT_EQ(S_OK, canvas.Draw(theme, 6, 2, RECT{183, 20, 200, 100}));
    EXPECT_EQ(kButtonNormal, canvas.At(188, 50));
    HWND parent = Window(0, 100, 100);
    HWND child = Window(WS_VSCROLL, 60, 60, kClass, parent, 0, 0);
    {
        WindowCanvas childCanvas(child, 60, 60);
        EXPECT_EQ(S_OK, childCanvas.Draw(theme, 6, 2, RECT{43, 20, 60, 40}));
        EXPECT_EQ(kButtonNormal, childCanvas.At(48, 30));
    }
    DestroyWindow(parent);
    ASSERT_FALSE(IsWindow(child));
    Window(0, 10, 10);
    canvas.dib->Fill(kPaper);
    canvas.Draw(theme, 6, 2, RECT{183, 20, 200, 100});
    EXPECT_NE(kButtonNormal, canvas.At(188, 50));
    EXPECT_NE(kPaper, canvas.At(188, 50));
    WindowCanvas again(w, 200, 150);
    again.Draw(theme, 6, 2, RECT{183, 20, 200, 100});
    EXPECT_EQ(kButtonNormal, again.At(188, 50));
}
