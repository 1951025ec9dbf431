// Icon fonts in the text of the whole process: "iconfont{code:colour}" runs drawn through any text function show the
// glyph of iconfont.ttf (Font Awesome: 61447 a user, 61441 a note) in their colour, blended onto what is there.
#include <gtest/gtest.h>

#include <usp10.h>
#include <windows.h>

#include <string>
#include <vector>

#include "dib.h"
#include "tessel_host.h"
#include "window_surface.h"

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const RECT kAll = {0, 0, 400, 60};
const std::wstring kRed = L"iconfont{61447:255}";

bool Red(COLORREF c) { return GetRValue(c) > 200 && GetGValue(c) < 80 && GetBValue(c) < 80; }
bool Blue(COLORREF c) { return GetBValue(c) > 200 && GetRValue(c) < 80 && GetGValue(c) < 80; }
bool Dark(COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c) < 300; }
bool NotWhite(COLORREF c) { return c != kWhite; }
bool DarkNotRed(COLORREF c) { return Dark(c) && !Red(c); }
bool Yellow(COLORREF c) { return c == RGB(255, 255, 0); }
bool White(COLORREF c) { return c == kWhite; }
bool Zero(COLORREF c) { return c == 0; }

// The smallest rectangle holding every matching pixel; empty when none.
RECT Bounds(const Dib& dib, bool (*match)(COLORREF)) {
    RECT r = {0, 0, 0, 0};
    for (int y = 0; y < dib.Height(); ++y)
        for (int x = 0; x < dib.Width(); ++x) {
            const RECT pixel = {x, y, x + 1, y + 1};
            if (match(dib.At(x, y))) UnionRect(&r, &r, &pixel);
        }
    return r;
}

struct Font {
    explicit Font(int height)
        : h(CreateFontW(-height, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, NONANTIALIASED_QUALITY, 0,
                        L"Tahoma")) {}
    ~Font() { DeleteObject(h); }
    HFONT h;
};

// The host with the language-pack stand-in and a white 400 x 60 canvas: 16-pixel font, black transparent text.
class IconText : public TesselHost {
protected:
    void SetUp() override {
        ASSERT_NE(nullptr, LoadLibraryW(L"lpk\\lpk.dll"));
        TesselHost::SetUp();
        canvas.Fill(kWhite);
        SelectObject(dc(), font.h);
        SetBkMode(dc(), TRANSPARENT);
    }
    HDC dc() const { return canvas.Dc(); }
    int Count(bool (*match)(COLORREF)) const { return canvas.Count(kAll, match); }
    // The extent of the first count characters (-1: all).
    int Width(const std::wstring& text, int count = -1) const {
        SIZE size = {};
        GetTextExtentExPointW(dc(), text.c_str(), count < 0 ? static_cast<int>(text.size()) : count, 0, nullptr,
                              nullptr, &size);
        return size.cx;
    }

    Font font{16};
    Dib canvas{400, 60};
};

enum class Call { TextOut, ExtClipped, ExtNoRect, ExtOpaque, LpkExt, LpkDraw, LpkMeasure, LpkPSM, LpkTabbed, Script };

struct RunCase {
    const char* name;
    Call call;
    std::wstring text;
    int count;  // characters passed; -1: all
    COLORREF textColour;
    long returned;
    bool (*shown)(COLORREF);    // more than 20 such pixels; null: nothing drawn
    bool (*absent)(COLORREF);   // no such pixel; null: not checked
    const wchar_t* textBeyond;  // dark pixels reach further than this text: the marker was drawn as text
};

const RunCase kRuns[] = {
    {"CodeInTheTextColour", Call::TextOut, L"iconfont{61447}", -1, RGB(0, 0, 255), FALSE, Blue, nullptr, nullptr},
    {"CodeTheFontLacks", Call::TextOut, L"iconfont{59000}", -1, 0, FALSE, nullptr, nullptr, nullptr},
    {"EmptyColourIsBlack", Call::TextOut, L"iconfont{61447:}", -1, RGB(0, 0, 255), 0, Zero, Blue, nullptr},
    {"MarkerWithoutItsBrace", Call::TextOut, L"abc iconfont{61447:255", -1, 0, 0, Dark, Red, L"abc iconfont{614"},
    {"ExtTextOutCountedIcon", Call::ExtClipped, kRed + L"tail", 19, 0, TRUE, Red, DarkNotRed, nullptr},
    {"ExtTextOutWithoutARectangle", Call::ExtNoRect, kRed, 19, 0, TRUE, Dark, Red, L"iconfont{61447"},
    {"ExtTextOutPlainKeepsItsOptions", Call::ExtOpaque, L"plain", -1, 0, TRUE, Yellow, nullptr, nullptr},
    {"LpkExtTextOut", Call::LpkExt, kRed, -1, 0, FALSE, Red, nullptr, nullptr},
    {"LpkDrawTextEx", Call::LpkDraw, kRed, -1, 0, 0, Red, nullptr, nullptr},
    {"LpkDrawTextExMeasuring", Call::LpkMeasure, kRed, -1, 0, 19, Dark, Red, nullptr},
    {"LpkPSMTextOut", Call::LpkPSM, kRed, -1, 0, 0, Red, nullptr, nullptr},
    {"LpkPSMTextOutPlain", Call::LpkPSM, L"plain", -1, 0, 5, Dark, Red, nullptr},
    {"LpkTabbedTextOutDrawsWhenMeasuring", Call::LpkTabbed, kRed, -1, 0, 0, Red, nullptr, nullptr},
    {"ScriptTextOut", Call::Script, kRed, -1, 0, S_OK, Red, nullptr, nullptr},
};

template <class F>
F Lpk(const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"lpk.dll"), name)));
}

// Draws the case's text at (10, 10) through its call; what the call returned.
long DrawCase(HDC dc, const RunCase& c) {
    const wchar_t* text = c.text.c_str();
    const int n = c.count < 0 ? static_cast<int>(c.text.size()) : c.count;
    switch (c.call) {
    case Call::TextOut: return TextOutW(dc, 10, 10, text, n);
    case Call::ExtClipped: return ExtTextOutW(dc, 10, 10, ETO_CLIPPED, &kAll, text, n, nullptr);
    case Call::ExtNoRect: return ExtTextOutW(dc, 10, 10, 0, nullptr, text, n, nullptr);
    case Call::ExtOpaque: return ExtTextOutW(dc, 10, 10, ETO_OPAQUE, &kAll, text, n, nullptr);
    case Call::LpkExt:
        return Lpk<BOOL(WINAPI*)(HDC, int, int, UINT, const RECT*, LPCWSTR, UINT, const INT*, INT)>("LpkExtTextOut")(
            dc, 10, 10, 0, nullptr, text, n, nullptr, 0);
    case Call::LpkDraw:
    case Call::LpkMeasure:
        return Lpk<int(WINAPI*)(HDC, int, int, LPCWSTR, int, BOOL, UINT, LPVOID, UINT, int)>("LpkDrawTextEx")(
            dc, 10, 10, text, n, TRUE, c.call == Call::LpkDraw ? DT_LEFT : DT_CALCRECT, nullptr, 0, 0);
    case Call::LpkPSM:
        return Lpk<int(WINAPI*)(HDC, int, int, LPCWSTR, int, DWORD)>("LpkPSMTextOut")(dc, 10, 10, text, n, 0);
    case Call::LpkTabbed:
        return Lpk<LONG(WINAPI*)(HDC, int, int, LPCWSTR, int, int, const INT*, int, BOOL, int, int, int)>(
            "LpkTabbedTextOut")(dc, 10, 10, text, n, 0, nullptr, 0, FALSE, 8, 16, 0);
    case Call::Script: {
        SCRIPT_CACHE cache = nullptr;
        const HRESULT hr =
            ScriptTextOut(dc, &cache, 10, 10, 0, nullptr, nullptr, text, n, nullptr, 0, nullptr, nullptr, nullptr);
        ScriptFreeCache(&cache);
        return hr;
    }
    }
    return -1;
}

}  // namespace

// Where a marker is recognised, the icon's colour, what stays text; what the call answers tells whether the
// language-pack module was reached (its stand-in answers the count).
TEST_F(IconText, DrawnAsIconsOrAsText) {
    SetBkColor(dc(), RGB(255, 255, 0));
    for (const RunCase& c : kRuns) {
        SCOPED_TRACE(c.name);
        canvas.Fill(kWhite);
        SetTextColor(dc(), c.textColour);
        EXPECT_EQ(c.returned, DrawCase(dc(), c));
        EXPECT_TRUE(c.shown ? Count(c.shown) > 20 : Count(NotWhite) == 0) << "drawn";
        EXPECT_EQ(0, c.absent ? Count(c.absent) : 0);
        EXPECT_TRUE(!c.textBeyond || Bounds(canvas, Dark).right - 10 > Width(c.textBeyond)) << "marker drawn as text";
    }
}

// The user glyph in blue at (3, 2), 16-pixel font: '#' strongly covered (red below 100), '+' partly, ' ' white.
// The first draw renders the glyph, the later ones reuse what it kept.
TEST_F(IconText, TheUserIconPixelByPixel) {
    const char* const expected[] = {
        "                    ", "                    ", "        ++++        ", "       +#####+      ",
        "      +#######      ", "      +#######+     ", "      +#######+     ", "      +#######+     ",
        "      +#######      ", "      ++#####++     ", "     +##+++++##+    ", "    +###########+   ",
        "    ############+   ", "    #############   ", "    #############   ", "    #############   ",
        "    #############   ", "    +###########+   ", "      +++++++++     ", "                    ",
    };
    SetTextColor(dc(), RGB(0, 0, 255));
    for (int draw = 0; draw < 3; ++draw) {
        canvas.Fill(kWhite);
        EXPECT_FALSE(TextOutW(dc(), 3, 2, L"iconfont{61447}", 15));
        std::vector<std::string> rows(20);
        for (int i = 0; i < 400; ++i) {
            const COLORREF c = canvas.At(i % 20, i / 20);
            rows[i / 20] += c == kWhite ? ' ' : GetRValue(c) < 100 ? '#' : '+';
        }
        EXPECT_EQ(std::vector<std::string>(expected, expected + 20), rows) << "draw " << draw;
    }
}

// Texts with icon-font runs are measured with one full-width placeholder (U+56DE) per run, also by the language-pack
// module: pieces without markers measure the same (an unclosed marker is text; only the first count characters count).
TEST_F(IconText, RunsAreMeasuredAsOnePlaceholderEach) {
    const struct {
        std::wstring text;
        int count;
        std::vector<std::wstring> pieces;
    } cases[] = {{L"OK iconfont{59000} go", 21, {L"OK \x56DE go"}},
                 {L"a iconfont{1} b iconfont{2} c", 29, {L"a \x56DE b \x56DE c"}},
                 {L"abc iconfont{59000", 18, {L"abc iconfon", L"t{59000"}},
                 {L"OK iconfont{1}", 2, {L"OK"}}};
    for (const auto& c : cases) {
        int sum = 0;
        for (const std::wstring& piece : c.pieces) sum += Width(piece);
        EXPECT_EQ(sum, Width(c.text, c.count)) << c.text.size();
    }
    SIZE size = {};
    Lpk<BOOL(WINAPI*)(HDC, LPCWSTR, int, int, LPINT, LPINT, LPSIZE, DWORD, int)>("LpkGetTextExtentExPoint")(
        dc(), L"x iconfont{59000:255} y", 23, 0, nullptr, nullptr, &size, 0, 0);
    EXPECT_EQ(std::wstring(L"x \x56DE y"), Lpk<LPCWSTR(WINAPI*)()>("LpkStandinLastMeasured")());
}

// DrawText: left, centred, right and vertically centred in the cell; wider than a right-aligned cell it starts at
// the left edge; a glyph taller than its cell is cropped; nothing shows outside the cell, also where the cell runs
// off the bitmap's edges.
TEST_F(IconText, DrawTextAlignsClipsAndCrops) {
    const struct {
        std::wstring text;
        RECT cell;
        UINT format;
        int fontHeight, from, to;  // from, to: where the red pixels' left edge lies
    } cases[] = {{kRed, {20, 0, 180, 40}, DT_LEFT, 16, 20, 24},
                 {kRed, {20, 0, 180, 40}, DT_CENTER, 16, 91, 97},
                 {kRed, {20, 0, 180, 40}, DT_RIGHT, 16, 162, 167},
                 {kRed + L" WWWWWWWWWWWWWWWWWWWWWWWW", {20, 0, 90, 40}, DT_RIGHT, 16, 20, 24},
                 {kRed, {20, 20, 200, 30}, DT_LEFT, 60, 20, 26},
                 {kRed, {385, 44, 420, 64}, DT_LEFT, 16, 385, 389}};
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        Font font(c.fontHeight);
        SelectObject(dc(), font.h);
        canvas.Fill(kWhite);
        RECT cell = c.cell;
        EXPECT_EQ(0, DrawTextW(dc(), c.text.c_str(), -1, &cell, c.format));
        SelectObject(dc(), this->font.h);
        const RECT red = Bounds(canvas, Red);
        RECT shown;
        IntersectRect(&shown, &c.cell, &kAll);
        EXPECT_GT(canvas.Count(shown, Red), 50);
        EXPECT_LE(std::abs(red.top + red.bottom - c.cell.top - c.cell.bottom), 6);
        EXPECT_TRUE(red.left >= c.from && red.left <= c.to) << red.left;
        EXPECT_EQ(Count(NotWhite), canvas.Count(shown, NotWhite)) << "drawn outside the cell";
    }
}

// A label shows the glyph, a runtime list box's items stay plain. SetIconfont repaints them inside the call with the
// font's glyphs in its brightness (full: white, no: black).
TEST_F(IconText, WindowsShowGlyphsAndSetIconfontRepaintsThem) {
    HWND label = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", kRed.c_str(), WS_POPUP | WS_VISIBLE, 120, 0, 50, 30, nullptr,
                                 nullptr, nullptr, nullptr);
    HWND host = pb->CreateRuntimeWindow(nullptr, L"host", 180, 0, 220, 120);
    HWND list = host ? pb->CreateRuntimeListBox(host, 10, 10, 180, 60) : nullptr;
    ASSERT_TRUE(label && list);
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>((kRed + L" item").c_str()));
    PumpMessages();
    const struct {
        const wchar_t* font;
        int lighten;
        bool (*glyph)(COLORREF);  // more than 20 such pixels on the label; null: no red
    } steps[] = {{L"missing.ttf", 0, nullptr},
                 {L"iconfont.ttf", 0, Red},
                 {L"iconfont.ttf", 255, White},
                 {L"iconfont.ttf", -255, Zero}};
    for (const auto& s : steps) {
        SCOPED_TRACE(&s - steps);
        EXPECT_EQ(0, dll.SetIconfont(s.font, s.lighten));
        const WindowSurface shown(label, WindowSurface::Client), items(list, WindowSurface::Client);
        EXPECT_EQ(s.glyph != nullptr, shown.Count(RECT{0, 0, 50, 30}, s.glyph ? s.glyph : Red) > 20);
        EXPECT_EQ(s.glyph == Red, shown.Count(RECT{0, 0, 50, 30}, Red) > 20);
        EXPECT_EQ(0, items.Count(RECT{0, 0, 170, 50}, Red));
        EXPECT_GT(items.Count(RECT{0, 0, 170, 50}, Dark), 20);
    }
    DestroyWindow(host);
    DestroyWindow(label);
}
