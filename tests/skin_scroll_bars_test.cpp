// Skinned scroll bars: "SCROLLBAR" theme parts drawn into a memory context made from a window's own context come out
// in the skin file's colours, part by part and state by state; other handles and contexts reach the real function.
#include <gtest/gtest.h>
#include <windows.h>
#include <uxtheme.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "dib.h"
#include "tessel_host.h"

namespace {

// The skin's colours by a one-letter code, distinct from each other and Wine's: ScrollDefault, Scroll/ScrollButton/
// ScrollArrow Normal, Hot, Hover, Press, then 'W' ([SysColor] 5) and '.' (the memory context before drawing).
const char kCodes[] = "DNHVPnhvp1234W.";
const COLORREF kValues[] = {RGB(200, 0, 0),   RGB(0, 200, 0),  RGB(0, 0, 200),  RGB(200, 200, 0),   RGB(200, 0, 200),
                            RGB(0, 200, 200), RGB(120, 60, 0), RGB(0, 120, 60), RGB(60, 0, 120),    RGB(90, 0, 0),
                            RGB(0, 90, 0),    RGB(0, 0, 90),   RGB(90, 90, 0),  RGB(250, 240, 200), RGB(1, 2, 3)};

COLORREF Colour(char code) { return kValues[strchr(kCodes, code) - kCodes]; }

// Each probe's colour code against the expected codes; '?' is not checked.
std::string Codes(const Dib& dib, const POINT* probes, const char* expected) {
    std::string codes;
    for (size_t i = 0; expected[i]; ++i) {
        const COLORREF* found = std::find(kValues, kValues + 15, dib.At(probes[i].x, probes[i].y));
        codes += expected[i] == '?' || found == kValues + 15 ? '?' : kCodes[found - kValues];
    }
    return codes;
}

std::string Line(const std::string& key, COLORREF value) {
    return std::string(key) + "=" + std::to_string(value) + "\r\n";
}

std::string SkinText(const std::string& extra = std::string()) {
    std::string text = "[SysColor]\r\n" + Line("5", Colour('W')) + "[ScrollBar]\r\n";
    const char* const states[] = {"Normal", "Hot", "Hover", "Press"};
    text += Line("ScrollDefault", kValues[0]);
    for (int i = 0; i < 12; ++i)
        text += Line("Scroll" + std::string(i < 4 ? "" : i < 8 ? "Button" : "Arrow") + states[i % 4], kValues[1 + i]);
    return text + extra;
}

// A memory context made from a window's own context: it paints as the window.
struct WindowCanvas {
    WindowCanvas(HWND window, int width, int height) : hWnd(window), dc(GetDC(window)), dib(width, height, dc) {
        dib.Fill(Colour('.'));
    }
    ~WindowCanvas() { ReleaseDC(hWnd, dc); }
    HRESULT Draw(HTHEME theme, int part, int state, RECT r) {
        return DrawThemeBackground(theme, dib.Dc(), part, state, &r, nullptr);
    }
    std::string Codes(const POINT* probes, const char* expected) const { return ::Codes(dib, probes, expected); }
    HWND hWnd;
    HDC dc;
    Dib dib;
};

int g_ncPaints = 0;
LRESULT CALLBACK CountingProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCPAINT && wParam == 0) ++g_ncPaints;
    return CallWindowProcW(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hWnd, GWLP_USERDATA)), hWnd, msg, wParam,
                           lParam);
}

// The host with the skin above from a full path; popups of 200 x 150 with 17-pixel bars (the vertical strip starts
// at x 183, the horizontal one at y 133).
class SkinScrollBars : public TesselHost {
protected:
    void SetUp() override {
        TesselHost::SetUp();
        if (HasFatalFailure()) return;
        WNDCLASSW wc = {0, DefWindowProcW, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, L"SkinTestWindow"};
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        RegisterClassW(&wc);
        skin = temp.Write(L"skin.ini", SkinText());
        ASSERT_EQ(1, dll.SetSkinFile(skin.c_str()));
        ASSERT_EQ(17, GetSystemMetrics(SM_CXVSCROLL));
    }
    void TearDown() override {
        for (HTHEME t : themes) CloseThemeData(t);
        for (HWND w : windows)
            if (IsWindow(w)) DestroyWindow(w);
        // The colour table outlives the stop: a file without the section empties it.
        dll.SetSkinFile(temp.Write(L"empty.ini", "[Other]\r\nx=1\r\n").c_str());
        TesselHost::TearDown();
    }
    HWND Window(DWORD style, int width = 200, int height = 150, const wchar_t* cls = L"SkinTestWindow",
                HWND parent = nullptr, int x = 0, int y = 0) {
        HWND w = CreateWindowExW(0, cls, L"", style | (parent ? WS_CHILD : WS_POPUP) | WS_VISIBLE, x, y, width, height,
                                 parent, nullptr, GetModuleHandleW(nullptr), nullptr);
        windows.push_back(w);
        return w;
    }
    // Wine gives every opener of a class the same handle: the one the skins opened.
    HTHEME Theme(HWND w, const wchar_t* cls = L"SCROLLBAR") {
        HTHEME theme = OpenThemeData(w, cls);
        if (theme) themes.push_back(theme);
        return theme;
    }
    std::wstring skin;
    std::vector<HWND> windows;
    std::vector<HTHEME> themes;
};

// Where a part is drawn, in which bar, and the points probed: background, face, then arrow heads or corners.
struct Place {
    DWORD bar;
    RECT r;
    POINT probes[6];
};
enum { kUpDown, kUpDown17, kLeftRight, kVTrack, kHTrack, kVThumb, kHThumb, kVGripper, kHGripper, kOutside, kShaft };
const Place kPlaces[] = {
    {WS_VSCROLL, {183, 10, 200, 50}, {{184, 30}, {186, 10}, {192, 22}, {192, 37}}},
    {WS_VSCROLL, {183, 0, 200, 17}, {{185, 0}, {186, 0}, {192, 5}, {197, 12}, {198, 0}, {182, 5}}},
    {WS_HSCROLL, {10, 133, 50, 150}, {{30, 134}, {10, 135}, {22, 142}, {37, 142}, {30, 149}, {49, 148}}},
    {WS_VSCROLL, {183, 20, 200, 120}, {{185, 70}, {186, 70}, {197, 119}, {198, 70}}},
    {WS_HSCROLL, {60, 133, 160, 150}, {{100, 134}, {100, 135}, {100, 149}}},
    {WS_VSCROLL, {183, 40, 200, 100}, {{185, 70}, {186, 46}, {186, 40}, {197, 99}, {192, 41}, {198, 70}}},
    {WS_HSCROLL, {60, 133, 160, 150}, {{100, 134}, {100, 135}, {60, 135}, {159, 148}, {61, 142}}},
    {WS_VSCROLL, {183, 60, 200, 68}, {{184, 64}, {186, 60}, {197, 67}, {188, 64}}},
    {WS_HSCROLL, {90, 133, 100, 150}, {{95, 134}, {90, 135}}},
    {WS_VSCROLL, {10, 10, 27, 27}, {{15, 15}}},
    {WS_VSCROLL, {183, 0, 200, 40}, {{191, 30}, {193, 30}, {192, 6}, {188, 7}, {196, 16}, {192, 2}}},
};

}  // namespace

// A wrong state-to-colour choice, face inset or arrow shows as a probe in the wrong colour.
TEST_F(SkinScrollBars, PartsAndStatesInTheSkinsColours) {
    const struct {
        int place, part, state;
        const char* expected;
    } cases[] = {{kUpDown, 1, 1, "Dn1n"},      {kUpDown, 1, 2, "?h2h"},     {kUpDown, 1, 3, "?p4p"},
                 {kUpDown, 1, 4, "?n1n"},      {kUpDown, 1, 5, "?nn1"},     {kUpDown, 1, 6, "?hh2"},
                 {kUpDown, 1, 7, "?pp4"},      {kUpDown, 1, 8, "?nn1"},     {kUpDown, 1, 17, "?v3v"},
                 {kUpDown, 1, 18, "?vv3"},     {kUpDown, 1, 9, "?DDD"},     {kUpDown17, 1, 2, "Dh22D."},
                 {kLeftRight, 1, 9, "Wn1nWn"}, {kLeftRight, 1, 10, "?h2h"}, {kLeftRight, 1, 11, "?p4"},
                 {kLeftRight, 1, 13, "?n?1"},  {kLeftRight, 1, 14, "?hh2"}, {kLeftRight, 1, 16, "?n?1"},
                 {kLeftRight, 1, 19, "?v3"},   {kLeftRight, 1, 20, "?v?3"}, {kLeftRight, 1, 2, "?WWW"},
                 {kVTrack, 6, 1, "DDDD"},      {kVTrack, 7, 3, "DnnD"},     {kHTrack, 4, 1, "WW"},
                 {kHTrack, 5, 2, "WnW"},       {kVThumb, 3, 1, "DNDDND"},   {kVThumb, 3, 2, "?HnnH"},
                 {kVThumb, 3, 3, "?Pn"},       {kVThumb, 3, 4, "?ND"},      {kVThumb, 3, 5, "?Vn"},
                 {kVThumb, 3, 6, "?D?n"},      {kHThumb, 2, 1, "WNDDN"},    {kHThumb, 2, 3, "?Pnn"},
                 {kHThumb, 2, 6, "?Wn"},       {kVGripper, 9, 2, "DHH"},    {kHGripper, 8, 5, "WV"},
                 {kHGripper, 8, 4, "?W"},      {kVGripper, 2, 1, "???D"},   {kOutside, 1, 2, "."}};
    HWND bars[2] = {Window(WS_VSCROLL), Window(WS_HSCROLL)};
    HTHEME theme = Theme(bars[0]);
    ASSERT_NE(nullptr, theme) << "no visual style active in the Wine prefix";
    for (const auto& c : cases) {
        const Place& p = kPlaces[c.place];
        WindowCanvas canvas(bars[p.bar == WS_VSCROLL ? 0 : 1], 200, 150);
        EXPECT_EQ(S_OK, canvas.Draw(theme, c.part, c.state, p.r));
        EXPECT_EQ(std::string(c.expected), canvas.Codes(p.probes, c.expected))
            << "place " << c.place << " part " << c.part << " state " << c.state;
    }
    // Style 2 with a shaft: a filled triangle head and a 2-pixel shaft, no circle.
    ASSERT_EQ(1, dll.SetSkinFile(temp.Write(L"shaft.ini", SkinText("Style=2\r\nDrawArrowLine=1\r\nArrowLength=8\r\n"
                                                                   "ArrowWidth=1\r\n"))
                                     .c_str()));
    WindowCanvas canvas(bars[0], 200, 150);
    EXPECT_EQ(S_OK, canvas.Draw(theme, 1, 1, kPlaces[kShaft].r));
    EXPECT_EQ("1n11nn", canvas.Codes(kPlaces[kShaft].probes, "1n11nn"));
}

// Scroll-bar controls are skinned without WS_VSCROLL and in their own WM_PAINT; size boxes and other classes'
// themes reach the real function (the same pixels as on a context of no window); SetSkinFile repaints only the
// windows with a skin.
TEST_F(SkinScrollBars, ScrollBarControls) {
    HWND host = Window(0, 300, 200);
    HWND bar = Window(SBS_VERT, 17, 150, L"ScrollBar", host, 10, 10);
    HWND box = Window(SBS_SIZEBOX, 20, 20, L"ScrollBar", host, 50, 10);
    HWND button = Window(BS_PUSHBUTTON, 80, 30, L"Button", host, 100, 10);
    HTHEME theme = Theme(bar), buttonTheme = Theme(button, L"BUTTON");
    ASSERT_TRUE(bar && box && button && theme && buttonTheme);
    const struct {
        HWND window;
        HTHEME theme;
        int part, width, height;
    } passes[] = {{box, theme, 9, 20, 20}, {button, buttonTheme, 1, 80, 30}};
    for (const auto& p : passes) {
        WindowCanvas skinned(p.window, p.width, p.height);
        Dib plain(p.width, p.height);
        plain.Fill(Colour('.'));
        const RECT r = {0, 0, p.width, p.height};
        skinned.Draw(p.theme, p.part, 1, r);
        DrawThemeBackground(p.theme, plain.Dc(), p.part, 1, &r, nullptr);
        EXPECT_NE(Colour('N'), skinned.dib.At(p.width / 2, p.height / 2)) << p.part;
        BitBlt(plain.Dc(), 0, 0, p.width, p.height, skinned.dib.Dc(), 0, 0, SRCINVERT);
        EXPECT_EQ(0, plain.Count(r, [](COLORREF c) { return c != 0; })) << p.part;
    }
    SCROLLINFO info = {sizeof(info), SIF_ALL, 0, 100, 20, 10, 0};
    SetScrollInfo(bar, SB_CTL, &info, TRUE);
    PumpMessages();
    HDC dc = GetDC(bar);
    SendMessageW(bar, WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    Dib shown(17, 150);
    shown.CopyFrom(dc);
    ReleaseDC(bar, dc);
    const POINT painted[] = {{0, 5}, {3, 1}, {9, 12}, {3, 148}};
    EXPECT_EQ("Dn1n", Codes(shown, painted, "Dn1n"));
    EXPECT_GT(shown.Count(RECT{3, 17, 15, 133}, [](COLORREF c) { return c == Colour('N'); }), 50);

    g_ncPaints = 0;
    for (HWND w : {button, Window(0, 50, 50, L"SkinTestWindow", host, 200, 100)}) {
        SetWindowLongPtrW(w, GWLP_USERDATA, GetWindowLongPtrW(w, GWLP_WNDPROC));
        SetWindowLongPtrW(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingProc));
    }
    EXPECT_EQ(1, dll.SetSkinFile(skin.c_str()));
    EXPECT_EQ(1, g_ncPaints);
}

// Wine's non-client bars are drawn on a context of window 0 and keep Wine's colours; a window's own contexts are
// skinned until the window is destroyed; a child destroyed with its parent is purged at the next window made.
TEST_F(SkinScrollBars, NonClientBarsAndDestroyedWindows) {
    HWND w = Window(WS_VSCROLL);
    SCROLLINFO info = {sizeof(info), SIF_ALL, 0, 100, 20, 10, 0};
    SetScrollInfo(w, SB_VERT, &info, TRUE);
    RedrawWindow(w, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    PumpMessages();
    {
        HDC dc = GetWindowDC(w);
        Dib shown(200, 150);
        shown.CopyFrom(dc);
        ReleaseDC(w, dc);
        EXPECT_EQ(0, shown.Count(RECT{183, 0, 200, 150}, [](COLORREF p) {
            return p == Colour('D') || p == Colour('N') || p == Colour('n') || p == Colour('1');
        }));
    }
    HTHEME theme = Theme(w);
    WindowCanvas canvas(w, 200, 150);
    EXPECT_EQ(S_OK, canvas.Draw(theme, 6, 2, RECT{183, 20, 200, 100}));
    EXPECT_EQ(Colour('n'), canvas.dib.At(188, 50));
    HWND parent = Window(0, 100, 100);
    HWND child = Window(WS_VSCROLL, 60, 60, L"SkinTestWindow", parent, 0, 0);
    {
        WindowCanvas childCanvas(child, 60, 60);
        EXPECT_EQ(S_OK, childCanvas.Draw(theme, 6, 2, RECT{43, 20, 60, 40}));
        EXPECT_EQ(Colour('n'), childCanvas.dib.At(48, 30));
    }
    DestroyWindow(parent);
    ASSERT_FALSE(IsWindow(child));
    Window(0, 10, 10);
    canvas.dib.Fill(Colour('.'));
    canvas.Draw(theme, 6, 2, RECT{183, 20, 200, 100});
    EXPECT_NE(Colour('n'), canvas.dib.At(188, 50)) << "a context handed out before the purge";
    EXPECT_NE(Colour('.'), canvas.dib.At(188, 50));
    WindowCanvas again(w, 200, 150);
    again.Draw(theme, 6, 2, RECT{183, 20, 200, 100});
    EXPECT_EQ(Colour('n'), again.dib.At(188, 50));
}

// Without a ScrollBar section the defaults; a DataWindow's own skin from its settings file, reloaded at a new
// attach; other windows keep the skin file's.
TEST_F(SkinScrollBars, DefaultsAndDataWindowSkins) {
    ASSERT_EQ(1, dll.SetSkinFile(temp.Write(L"plain.ini", "[SysColor]\r\n" + Line("5", Colour('W'))).c_str()));
    HWND w = Window(WS_VSCROLL);
    HTHEME theme = Theme(w);
    {
        WindowCanvas canvas(w, 200, 150);
        canvas.Draw(theme, 1, 2, RECT{183, 0, 200, 40});
        canvas.Draw(theme, 3, 1, RECT{183, 50, 200, 120});
        const POINT at[] = {{183, 20}, {186, 0}, {192, 12}, {192, 80}, {186, 50}};
        const COLORREF want[] = {Colour('W'), 0xE6E6E6u, 0x646464u, 0xE6E6E6u, Colour('W')};
        for (int i = 0; i < 5; ++i) EXPECT_EQ(want[i], canvas.dib.At(at[i].x, at[i].y)) << i;
    }
    ASSERT_EQ(1, dll.SetSkinFile(skin.c_str()));
    HWND grid = Create(GridSyntax(1).Header(24).Detail(20).Column(L"a", L"long", 300, L"A").NumberedRows(12).Text(),
                       100, 100, WS_VSCROLL);
    ASSERT_NE(nullptr, grid);
    const std::wstring settings = temp.Write(L"dw.ini", "[datawindow]\r\nAlterColor=16777215\r\n[ScrollBar]\r\n" +
                                                            Line("ScrollButtonHot", RGB(10, 100, 250)));
    RECT gr;
    GetWindowRect(grid, &gr);
    const int gw = gr.right - gr.left, gh = gr.bottom - gr.top;
    const struct {
        const wchar_t* settings;
        COLORREF face, arrow, background;
    } steps[] = {{nullptr, 0xE6E6E6u, 0xA0A0A0u, CLR_INVALID},
                 {settings.c_str(), RGB(10, 100, 250), 0x646464u, Colour('W')}};
    for (const auto& s : steps) {
        dll.AttachDatawindow(grid, s.settings);
        PumpMessages();
        WindowCanvas canvas(grid, gw, gh);
        EXPECT_EQ(S_OK, canvas.Draw(theme, 1, 2, RECT{gw - 17, 0, gw, 40}));
        EXPECT_EQ(s.face, canvas.dib.At(gw - 14, 0));
        EXPECT_EQ(s.arrow, canvas.dib.At(gw - 8, 12));
        EXPECT_TRUE(s.background == CLR_INVALID || s.background == canvas.dib.At(gw - 17, 20));
    }
    WindowCanvas canvas(w, 200, 150);
    EXPECT_EQ(S_OK, canvas.Draw(theme, 1, 2, RECT{183, 0, 200, 40}));
    const POINT probes[] = {{186, 0}, {192, 12}};
    EXPECT_EQ("h2", canvas.Codes(probes, "h2"));
}
