// Skinned scroll bars: "SCROLLBAR" theme parts drawn into a memory context made from a window's own context come out
// in the skin file's colours, part by part and state by state; other handles and contexts reach the real function.
#include <gtest/gtest.h>
#include <windows.h>
#include <uxtheme.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "dib.h"
#include "tessel_host.h"

namespace {

// The skin's colours by a one-letter code, distinct from each other and Wine's: ScrollDefault, Scroll/ScrollButton/
// ScrollArrow Normal, Hot, Hover, Press, then 'W' ([SysColor] 5), '.' (the memory context before drawing) and the
// defaults of a skin without a ScrollBar section: 'e' (normal face and hot button), 'a' (hot arrow); 'b' a
// DataWindow's own hot button.
const char kCodes[] = "DNHVPnhvp1234W.eab";
const COLORREF kValues[] = {RGB(200, 0, 0),   RGB(0, 200, 0),  RGB(0, 0, 200),   RGB(200, 200, 0),   RGB(200, 0, 200),
                            RGB(0, 200, 200), RGB(120, 60, 0), RGB(0, 120, 60),  RGB(60, 0, 120),    RGB(90, 0, 0),
                            RGB(0, 90, 0),    RGB(0, 0, 90),   RGB(90, 90, 0),   RGB(250, 240, 200), RGB(1, 2, 3),
                            0xE6E6E6,         0x646464,        RGB(10, 100, 250)};

COLORREF Colour(char code) { return kValues[strchr(kCodes, code) - kCodes]; }

// Each probe's colour code against the expected codes; '?' is not checked.
std::string Codes(const Dib& dib, const POINT* probes, const char* expected) {
    std::string codes;
    for (size_t i = 0; expected[i]; ++i) {
        const COLORREF* found = std::find(std::begin(kValues), std::end(kValues), dib.At(probes[i].x, probes[i].y));
        codes += expected[i] == '?' || found == std::end(kValues) ? '?' : kCodes[found - kValues];
    }
    return codes;
}

std::string Line(const std::string& key, COLORREF value) { return key + "=" + std::to_string(value) + "\r\n"; }

std::string SkinText(const std::string& extra = std::string()) {
    std::string text =
        "[SysColor]\r\n" + Line("5", Colour('W')) + "[ScrollBar]\r\n" + Line("ScrollDefault", kValues[0]);
    const char* const states[] = {"Normal", "Hot", "Hover", "Press"};
    for (int i = 0; i < 12; ++i)
        text += Line("Scroll" + std::string(i < 4 ? "" : i < 8 ? "Button" : "Arrow") + states[i % 4], kValues[1 + i]);
    return text + extra;
}

// A memory context made from a window's own context: it paints as the window.
struct WindowCanvas {
    WindowCanvas(HWND window, int width = 200, int height = 150)
        : hWnd(window), dc(GetDC(window)), dib(width, height, dc) {
        dib.Fill(Colour('.'));
    }
    ~WindowCanvas() { ReleaseDC(hWnd, dc); }
    // The codes at the probes once the part is drawn.
    std::string Draw(HTHEME theme, int part, int state, RECT r, const POINT* probes, const char* expected) {
        EXPECT_EQ(S_OK, DrawThemeBackground(theme, dib.Dc(), part, state, &r, nullptr));
        return Codes(dib, probes, expected);
    }
    HWND hWnd;
    HDC dc;
    Dib dib;
};

// The host with the skin above from a full path and the "SCROLLBAR" theme (Wine gives every opener of a class the
// same handle: the one the skins opened); windows are children of a popup, bars one of 200 x 150 with two 17-pixel
// bars (the vertical strip starts at x 183, the horizontal one at y 133).
class SkinScrollBars : public TesselHost {
protected:
    void SetUp() override {
        TesselHost::SetUp();
        if (HasFatalFailure()) return;
        host = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr, nullptr,
                               nullptr);
        skin = temp.Write(L"skin.ini", SkinText());
        ASSERT_EQ(1, dll.SetSkinFile(skin.c_str()));
        bars = Window(WS_VSCROLL | WS_HSCROLL);
        theme = OpenThemeData(bars, L"SCROLLBAR");
        ASSERT_NE(nullptr, theme) << "no visual style active in the Wine prefix";
    }
    void TearDown() override {
        if (theme) CloseThemeData(theme);
        DestroyWindow(host);
        TesselHost::TearDown();
    }
    HWND Window(DWORD style, int width = 200, int height = 150, const wchar_t* cls = L"STATIC", HWND parent = nullptr,
                int x = 0, int y = 0) {
        return CreateWindowExW(0, cls, L"", style | WS_CHILD | WS_VISIBLE, x, y, width, height, parent ? parent : host,
                               nullptr, nullptr, nullptr);
    }
    std::wstring skin;
    HWND host = nullptr, bars = nullptr;
    HTHEME theme = nullptr;
};

// Where a part is drawn and the points probed: background, face, then arrow heads or corners.
struct Place {
    RECT r;
    POINT probes[6];
};
enum { kUpDown, kUpDown17, kLeftRight, kVTrack, kHTrack, kVThumb, kHThumb, kVGripper, kHGripper, kOutside, kShaft };
const Place kPlaces[] = {
    {{183, 10, 200, 50}, {{184, 30}, {186, 10}, {192, 22}, {192, 37}}},
    {{183, 0, 200, 17}, {{185, 0}, {186, 0}, {192, 5}, {197, 12}, {198, 0}, {182, 5}}},
    {{10, 133, 50, 150}, {{30, 134}, {10, 135}, {22, 142}, {37, 142}, {30, 149}, {49, 148}}},
    {{183, 20, 200, 120}, {{185, 70}, {186, 70}, {197, 119}, {198, 70}}},
    {{60, 133, 160, 150}, {{100, 134}, {100, 135}, {100, 149}}},
    {{183, 40, 200, 100}, {{185, 70}, {186, 46}, {186, 40}, {197, 99}, {192, 41}, {198, 70}}},
    {{60, 133, 160, 150}, {{100, 134}, {100, 135}, {60, 135}, {159, 148}, {61, 142}}},
    {{183, 60, 200, 68}, {{184, 64}, {186, 60}, {197, 67}, {188, 64}}},
    {{90, 133, 100, 150}, {{95, 134}, {90, 135}}},
    {{10, 10, 27, 27}, {{15, 15}}},
    {{183, 0, 200, 40}, {{191, 30}, {193, 30}, {192, 6}, {188, 7}, {196, 16}, {192, 2}}},
};

}  // namespace

// A wrong state-to-colour choice, face inset or arrow shows as a probe in the wrong colour.
TEST_F(SkinScrollBars, PartsAndStatesInTheSkinsColours) {
    const struct {
        int place, part, state;
        const char* expected;
    } cases[] = {{kUpDown, 1, 1, "Dn1n"},      {kUpDown, 1, 2, "?h2h"},     {kUpDown, 1, 3, "?p4p"},
                 {kUpDown, 1, 4, "?n1n"},      {kUpDown, 1, 5, "?nn1"},     {kUpDown, 1, 8, "?nn1"},
                 {kUpDown, 1, 17, "?v3v"},     {kUpDown, 1, 9, "?DDD"},     {kUpDown17, 1, 2, "Dh22D."},
                 {kLeftRight, 1, 9, "Wn1nWn"}, {kLeftRight, 1, 10, "?h2h"}, {kLeftRight, 1, 11, "?p4"},
                 {kLeftRight, 1, 13, "?n?1"},  {kLeftRight, 1, 19, "?v3"},  {kLeftRight, 1, 2, "?WWW"},
                 {kVTrack, 6, 1, "DDDD"},      {kVTrack, 7, 3, "DnnD"},     {kHTrack, 4, 1, "WW"},
                 {kHTrack, 5, 2, "WnW"},       {kVThumb, 3, 1, "DNDDND"},   {kVThumb, 3, 2, "?HnnH"},
                 {kVThumb, 3, 3, "?Pn"},       {kVThumb, 3, 5, "?Vn"},      {kVThumb, 3, 6, "?D?n"},
                 {kHThumb, 2, 1, "WNDDN"},     {kHThumb, 2, 3, "?Pnn"},     {kHThumb, 2, 6, "?Wn"},
                 {kVGripper, 9, 2, "DHH"},     {kHGripper, 8, 5, "WV"},     {kVGripper, 2, 1, "???D"},
                 {kOutside, 1, 2, "."}};
    for (const auto& c : cases) {
        const Place& p = kPlaces[c.place];
        EXPECT_EQ(c.expected, WindowCanvas(bars).Draw(theme, c.part, c.state, p.r, p.probes, c.expected))
            << "place " << c.place << " part " << c.part << " state " << c.state;
    }
    // Style 2 with a shaft: a filled triangle head and a 2-pixel shaft, no circle.
    const std::wstring shaft =
        temp.Write(L"shaft.ini", SkinText("Style=2\r\nDrawArrowLine=1\r\nArrowLength=8\r\nArrowWidth=1\r\n"));
    ASSERT_EQ(1, dll.SetSkinFile(shaft.c_str()));
    EXPECT_EQ("1n11nn", WindowCanvas(bars).Draw(theme, 1, 1, kPlaces[kShaft].r, kPlaces[kShaft].probes, "1n11nn"));
}

// Scroll-bar controls are skinned without WS_VSCROLL and in their own WM_PAINT; size boxes and other classes'
// themes reach the real function (the same pixels as on a context of no window).
TEST_F(SkinScrollBars, ScrollBarControls) {
    HWND bar = Window(SBS_VERT, 17, 150, L"ScrollBar", nullptr, 210, 10);
    HWND box = Window(SBS_SIZEBOX, 20, 20, L"ScrollBar", nullptr, 250, 10);
    HWND button = Window(BS_PUSHBUTTON, 80, 30, L"Button", nullptr, 300, 10);
    HTHEME buttonTheme = OpenThemeData(button, L"BUTTON");
    ASSERT_TRUE(bar && box && button && buttonTheme);
    // The same pixels as drawn on a context of no window.
    auto real = [](HWND window, HTHEME theme, int part, int width, int height) {
        WindowCanvas skinned(window, width, height);
        Dib plain(width, height);
        plain.Fill(Colour('.'));
        const RECT r = {0, 0, width, height};
        DrawThemeBackground(theme, skinned.dib.Dc(), part, 1, &r, nullptr);
        DrawThemeBackground(theme, plain.Dc(), part, 1, &r, nullptr);
        BitBlt(plain.Dc(), 0, 0, width, height, skinned.dib.Dc(), 0, 0, SRCINVERT);
        return plain.Count(r, [](COLORREF c) { return c != 0; }) == 0;
    };
    EXPECT_TRUE(real(box, theme, 9, 20, 20));
    EXPECT_TRUE(real(button, buttonTheme, 1, 80, 30));
    CloseThemeData(buttonTheme);
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
}

// Without a ScrollBar section the defaults; a DataWindow's own skin from its settings file; other windows keep the
// skin file's.
TEST_F(SkinScrollBars, DefaultsAndDataWindowSkins) {
    const POINT button[] = {{183, 20}, {186, 0}, {192, 12}}, thumb[] = {{192, 80}, {186, 50}};
    ASSERT_EQ(1, dll.SetSkinFile(temp.Write(L"plain.ini", "[SysColor]\r\n" + Line("5", Colour('W'))).c_str()));
    {
        WindowCanvas canvas(bars);
        EXPECT_EQ("Wea", canvas.Draw(theme, 1, 2, RECT{183, 0, 200, 40}, button, "Wea"));
        EXPECT_EQ("eW", canvas.Draw(theme, 3, 1, RECT{183, 50, 200, 120}, thumb, "eW"));
    }
    ASSERT_EQ(1, dll.SetSkinFile(skin.c_str()));
    HWND grid = Create(GridSyntax(1).Header(24).Detail(20).Column(L"a", L"long", 300, L"A").NumberedRows(12).Text(),
                       100, 100, WS_VSCROLL);
    const std::wstring settings = temp.Write(
        L"dw.ini", "[datawindow]\r\nAlterColor=16777215\r\n[ScrollBar]\r\n" + Line("ScrollButtonHot", Colour('b')));
    const POINT probes[] = {{86, 0}, {92, 12}, {83, 20}};  // the 100 x 100 grid's up arrow
    dll.AttachDatawindow(grid, settings.c_str());
    PumpMessages();
    EXPECT_EQ("baW", WindowCanvas(grid, 100, 100).Draw(theme, 1, 2, RECT{83, 0, 100, 40}, probes, "baW"));
    EXPECT_EQ("h2", WindowCanvas(bars).Draw(theme, 1, 2, RECT{183, 0, 200, 40}, button + 1, "h2"));
}
