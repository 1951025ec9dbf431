// Icon fonts in the text of the whole process: "iconfont{code:colour}" runs drawn through any text function show the
// glyph of iconfont.ttf (Font Awesome: 61447 a user, 61441 a note) in their colour, blended onto what is there.
#include <gtest/gtest.h>

#include <ostream>
#include <usp10.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "dib.h"
#include "stdout_capture.h"
#include "tessel_host.h"
#include "window_surface.h"

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const RECT kAll = {0, 0, 400, 60};

bool Red(COLORREF c) { return GetRValue(c) > 200 && GetGValue(c) < 80 && GetBValue(c) < 80; }
bool Green(COLORREF c) { return GetGValue(c) > 100 && GetRValue(c) < 80 && GetBValue(c) < 80; }
bool Blue(COLORREF c) { return GetBValue(c) > 200 && GetRValue(c) < 80 && GetGValue(c) < 80; }
bool Dark(COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c) < 300; }
bool Black(COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c) < 60; }
bool NotWhite(COLORREF c) { return c != kWhite; }
bool DarkNotRed(COLORREF c) { return Dark(c) && !Red(c); }

// The smallest rectangle holding every matching pixel; empty when none.
RECT Bounds(const Dib& dib, const std::function<bool(COLORREF)>& match) {
    RECT r = {dib.Width(), dib.Height(), 0, 0};
    for (int y = 0; y < dib.Height(); ++y)
        for (int x = 0; x < dib.Width(); ++x)
            if (match(dib.At(x, y))) {
                r = RECT{std::min<LONG>(r.left, x), std::min<LONG>(r.top, y), std::max<LONG>(r.right, x + 1),
                         std::max<LONG>(r.bottom, y + 1)};
            }
    return r.right ? r : RECT{0, 0, 0, 0};
}

int CountIn(const Dib& dib, int left, int right, bool (*match)(COLORREF)) {
    return dib.Count(RECT{left, 0, right, dib.Height()}, match);
}

struct Font {
    explicit Font(int height)
        : h(CreateFontW(-height, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, NONANTIALIASED_QUALITY, 0,
                        L"Tahoma")) {}
    ~Font() { DeleteObject(h); }
    HFONT h;
};

// The host with the language-pack stand-in and a white 400 x 60 canvas: 16-pixel font, black transparent text.
template <class Base>
class IconTextFixture : public TesselHostFixture<Base> {
protected:
    void SetUp() override {
        ASSERT_NE(nullptr, LoadLibraryW(L"lpk\\lpk.dll"));
        ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(L"iconfont.ttf"));
        TesselHostFixture<Base>::SetUp();
        canvas.Fill(kWhite);
        SelectObject(dc(), font.h);
        SetBkMode(dc(), TRANSPARENT);
    }
    void Clear() { canvas.Fill(kWhite); }
    HDC dc() const { return canvas.Dc(); }
    int Count(bool (*match)(COLORREF)) const { return canvas.Count(kAll, match); }
    int Width(const std::wstring& text) const {
        SIZE size = {};
        GetTextExtentPoint32W(dc(), text.c_str(), static_cast<int>(text.size()), &size);
        return size.cx;
    }
    BOOL Out(const std::wstring& text, int x = 10, int y = 10) {
        return TextOutW(dc(), x, y, text.c_str(), static_cast<int>(text.size()));
    }
    int Draw(std::wstring text, RECT cell, UINT format) { return DrawTextW(dc(), &text[0], -1, &cell, format); }

    Font font{16};
    Dib canvas{400, 60};
};

using IconText = IconTextFixture<::testing::Test>;

enum class Call { TextOut, ExtClipped, ExtNoRect, LpkExt, LpkDraw, LpkMeasure, LpkPSM, LpkTabbed, Script };

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
    int moduleCalls;            // calls that reach the language-pack module
};

void PrintTo(const RunCase& c, std::ostream* out) { *out << c.name; }

const std::wstring kRed = L"iconfont{61447:255}";
const RunCase kRuns[] = {
    {"CodeInTheTextColour", Call::TextOut, L"iconfont{61447}", -1, RGB(0, 0, 255), FALSE, Blue, nullptr, nullptr, 0},
    {"CodeTheFontLacks", Call::TextOut, L"iconfont{59000}", -1, 0, FALSE, nullptr, nullptr, nullptr, 0},
    {"EmptyColourIsBlack", Call::TextOut, L"iconfont{61447:}", -1, RGB(0, 0, 255), 0, Black, Blue, nullptr, 0},
    {"ElevenCharactersAreText", Call::TextOut, L"iconfont{1}", -1, 0, TRUE, Dark, Red, L"iconfont{", 0},
    {"MarkerWithoutItsBrace", Call::TextOut, L"abc iconfont{61447:255", -1, 0, 0, Dark, Red, L"abc iconfont{614", 0},
    {"ContentOf127", Call::TextOut, L"iconfont{61447:255" + std::wstring(118, L' ') + L"}", -1, 0, 0, Red, nullptr,
     nullptr, 0},
    {"ContentOf128", Call::TextOut, L"iconfont{61447:255" + std::wstring(119, L' ') + L"}", -1, 0, 0, Dark, Red,
     L"iconfont{61447", 0},
    {"ExtTextOutCountedIcon", Call::ExtClipped, kRed + L"tail", 19, 0, TRUE, Red, DarkNotRed, nullptr, 0},
    {"ExtTextOutWithoutARectangle", Call::ExtNoRect, kRed, 19, 0, TRUE, Dark, Red, L"iconfont{61447", 0},
    {"ExtTextOutOfTenCharacters", Call::ExtClipped, kRed, 10, 0, TRUE, Dark, Red, L"iconfont", 0},
    {"LpkExtTextOut", Call::LpkExt, kRed, -1, 0, FALSE, Red, nullptr, nullptr, 0},
    {"LpkDrawTextEx", Call::LpkDraw, kRed, -1, 0, 0, Red, nullptr, nullptr, 0},
    {"LpkDrawTextExMeasuring", Call::LpkMeasure, kRed, -1, 0, 19, Dark, Red, nullptr, 1},
    {"LpkPSMTextOut", Call::LpkPSM, kRed, -1, 0, 0, Red, nullptr, nullptr, 0},
    {"LpkPSMTextOutPlain", Call::LpkPSM, L"plain", -1, 0, 5, Dark, Red, nullptr, 1},
    {"LpkTabbedTextOutDrawsWhenMeasuring", Call::LpkTabbed, kRed, -1, 0, 0, Red, nullptr, nullptr, 0},
    {"ScriptTextOut", Call::Script, kRed, -1, 0, S_OK, Red, nullptr, nullptr, 0},
    {"ScriptTextOutOfTenCharacters", Call::Script, kRed, 10, 0, E_INVALIDARG, nullptr, nullptr, nullptr, 0},
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

class IconRuns : public IconTextFixture<::testing::TestWithParam<RunCase>> {};

}  // namespace

// Where a marker is recognised, the icon's colour, what stays text, which calls still reach the module.
TEST_P(IconRuns, DrawnAsIconsOrAsText) {
    const RunCase& c = GetParam();
    auto calls = Lpk<LONG(WINAPI*)()>("LpkStandinCalls");
    ASSERT_NE(nullptr, calls);
    SetTextColor(dc(), c.textColour);
    const LONG before = calls();
    EXPECT_EQ(c.returned, DrawCase(dc(), c));
    EXPECT_EQ(before + c.moduleCalls, calls());
    EXPECT_EQ(0, c.shown ? 0 : Count(NotWhite));
    EXPECT_TRUE(!c.shown || Count(c.shown) > 20);
    EXPECT_EQ(0, c.absent ? Count(c.absent) : 0);
    EXPECT_TRUE(!c.textBeyond || Bounds(canvas, Dark).right - 10 > Width(c.textBeyond)) << "marker not drawn as text";
}

INSTANTIATE_TEST_SUITE_P(Texts, IconRuns, ::testing::ValuesIn(kRuns),
                         [](const ::testing::TestParamInfo<RunCase>& info) { return std::string(info.param.name); });

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
        Clear();
        EXPECT_FALSE(Out(L"iconfont{61447}", 3, 2));
        for (int y = 0; y < 20; ++y) {
            std::string row;
            for (int x = 0; x < 20; ++x) {
                const COLORREF c = canvas.At(x, y);
                row += c == kWhite ? ' ' : GetRValue(c) < 100 ? '#' : '+';
            }
            EXPECT_EQ(expected[y], row) << "draw " << draw << ", row " << y;
        }
    }
}

// Plain, icon, plain left to right; two icons in order; other text reaches the real function with its options.
TEST_F(IconText, RunsInOrder) {
    EXPECT_FALSE(Out(L"Save " + kRed + L" now"));
    const int save = 10 + Width(L"Save ");
    const RECT red = Bounds(canvas, Red);
    EXPECT_GT(CountIn(canvas, 10, save, Dark), 10);
    EXPECT_GE(red.left, save);
    EXPECT_LT(red.left, save + 4);
    EXPECT_GT(CountIn(canvas, red.right + 1, red.right + 40, Dark), 10);
    EXPECT_EQ(0, CountIn(canvas, red.right + 40, 400, Dark));
    Clear();
    EXPECT_FALSE(Out(kRed + L"iconfont{61441:65280}"));
    const RECT first = Bounds(canvas, Red), second = Bounds(canvas, Green);
    EXPECT_GT(second.right, second.left);
    EXPECT_LE(first.right, second.left);
    Clear();
    SetBkColor(dc(), RGB(255, 255, 0));
    RECT box = {200, 5, 300, 50};
    EXPECT_TRUE(ExtTextOutW(dc(), 210, 10, ETO_OPAQUE, &box, L"plain", 5, nullptr));
    EXPECT_EQ(RGB(255, 255, 0), canvas.At(295, 45));
    EXPECT_EQ(kWhite, canvas.At(305, 45));
}

// DrawText: left, centred, right and vertically centred in the cell; wider than a right-aligned cell it starts at
// the left edge, clipped; a glyph taller than its cell is cropped.
TEST_F(IconText, DrawTextAlignsClipsAndCrops) {
    const struct {
        UINT format;
        int from, to;  // where the red pixels' left edge (DT_LEFT), centre or right edge (DT_RIGHT) lies
    } placements[] = {{DT_LEFT, 20, 24}, {DT_CENTER, 97, 103}, {DT_RIGHT, 176, 180}};
    for (const auto& p : placements) {
        Clear();
        EXPECT_EQ(0, Draw(kRed, RECT{20, 0, 180, 40}, p.format));
        const RECT red = Bounds(canvas, Red);
        const int at = p.format == DT_LEFT ? red.left : p.format == DT_RIGHT ? red.right : (red.left + red.right) / 2;
        EXPECT_GT(red.right - red.left, 8) << p.format;
        EXPECT_LE(std::abs((red.top + red.bottom) / 2 - 20), 3) << p.format;
        EXPECT_GE(at, p.from) << p.format;
        EXPECT_LE(at, p.to) << p.format;
    }
    Clear();
    Draw(kRed + L" WWWWWWWWWWWWWWWWWWWWWWWW", RECT{20, 0, 90, 40}, DT_RIGHT);
    EXPECT_LE(Bounds(canvas, Red).left, 24);
    EXPECT_GT(CountIn(canvas, 60, 90, Dark), 10);
    EXPECT_EQ(0, CountIn(canvas, 0, 20, NotWhite) + CountIn(canvas, 90, 400, NotWhite));

    Clear();
    Font large(60);
    SelectObject(dc(), large.h);
    Draw(kRed, RECT{20, 20, 200, 30}, DT_LEFT);
    RECT measured = {0, 0, 0, 0};
    EXPECT_GT(DrawTextW(dc(), &std::wstring(kRed)[0], -1, &measured, DT_CALCRECT), 0);
    EXPECT_GT(measured.right, 0);
    SelectObject(dc(), font.h);
    EXPECT_GT(canvas.Count(RECT{20, 20, 200, 30}, Red), 50);
    EXPECT_EQ(0, canvas.Count(RECT{0, 0, 400, 20}, Red) + canvas.Count(RECT{0, 30, 400, 60}, Red));
}

namespace {

// A white DIB section of 8 (white, black, red, green, blue, grey), 16 (5-6-5) or 24 bits in memory that runs on past
// its pixels: the 4096 bytes after them must stay as they were.
struct SectionDib {
    SectionDib(int width, int height, int bits) : bytes(static_cast<size_t>(((width * bits + 31) / 32) * 4 * height)) {
        section = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, DWORD(bytes + 4096), nullptr);
        view = static_cast<BYTE*>(MapViewOfFile(section, FILE_MAP_ALL_ACCESS, 0, 0, 0));
        if (view) memset(view + bytes, 0xA5, 4096);
        struct {
            BITMAPINFOHEADER header;
            DWORD colours[256];
        } info = {{sizeof(BITMAPINFOHEADER), width, -height, 1, WORD(bits), DWORD(bits == 16 ? BI_BITFIELDS : BI_RGB),
                   0, 0, 0, bits == 8 ? 256u : 0u, 0},
                  {}};
        const DWORD masks[3] = {0xF800, 0x07E0, 0x001F}, palette[6] = {0xFFFFFF, 0, 0xFF0000, 0xFF00, 0xFF, 0x808080};
        if (bits == 16) memcpy(info.colours, masks, sizeof masks);
        if (bits == 8) memcpy(info.colours, palette, sizeof palette);
        bitmap = CreateDIBSection(dc, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &pixels, section, 0);
        old = SelectObject(dc, bitmap);
        RECT all = {0, 0, width, height};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    ~SectionDib() {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
        if (view) UnmapViewOfFile(view);
        CloseHandle(section);
    }
    bool TailIntact() const {
        GdiFlush();
        return view && std::all_of(view + bytes, view + bytes + 4096, [](BYTE b) { return b == 0xA5; });
    }
    size_t bytes;
    HANDLE section;
    BYTE* view;
    void* pixels = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap;
    HGDIOBJ old;
};

class IconDepths : public IconTextFixture<::testing::TestWithParam<int>> {};

}  // namespace

// Every depth the renderer reads back: the icon in its colour, nothing beyond its box (also where the box runs off
// the bitmap's edges), the memory after the bitmap untouched.
TEST_P(IconDepths, IconsStayInTheirBox) {
    SectionDib surface(61, 41, GetParam());
    ASSERT_TRUE(surface.view && surface.bitmap);
    SelectObject(surface.dc, font.h);
    SetBkMode(surface.dc, TRANSPARENT);
    EXPECT_FALSE(TextOutW(surface.dc, 10, 10, kRed.c_str(), 19));
    EXPECT_FALSE(TextOutW(surface.dc, 50, 32, L"iconfont{61447:16711680}", 24));
    RECT cell = {30, 0, 61, 8};
    DrawTextW(surface.dc, &std::wstring(L"iconfont{61447:65280}")[0], -1, &cell, DT_LEFT);
    Dib pixels(61, 41);
    pixels.CopyFrom(surface.dc);
    EXPECT_GT(pixels.Count(RECT{9, 9, 34, 34}, Red), 20);
    EXPECT_GT(pixels.Count(RECT{49, 31, 61, 41}, Blue), 5);
    EXPECT_GT(pixels.Count(cell, Green), 5);
    EXPECT_EQ(pixels.Count(RECT{0, 0, 61, 41}, NotWhite), pixels.Count(RECT{9, 9, 34, 34}, NotWhite) +
                                                              pixels.Count(RECT{49, 31, 61, 41}, NotWhite) +
                                                              pixels.Count(cell, NotWhite));
    EXPECT_TRUE(surface.TailIntact());
}

INSTANTIATE_TEST_SUITE_P(Bits, IconDepths, ::testing::Values(8, 16, 24));

// SetIconfont's brightness on grey: full brightness turns the glyph white, full darkness black.
TEST_F(IconText, Brightness) {
    for (int lighten : {255, -255}) {
        dll.SetIconfont(L"iconfont.ttf", lighten);
        canvas.Fill(RGB(128, 128, 128));
        Out(kRed);
        EXPECT_EQ(0, Count(Red)) << lighten;
        EXPECT_GT(canvas.Count(kAll, [&](COLORREF p) { return p == (lighten > 0 ? kWhite : 0); }), 20) << lighten;
    }
}

TEST_F(IconText, ControlsShowGlyphsButRuntimeListBoxesStayPlain) {
    HWND host = pb->CreateRuntimeWindow(nullptr, L"host", 0, 0, 420, 300);
    ASSERT_NE(nullptr, host);
    HWND button = CreateWindowExW(0, L"BUTTON", (kRed + L" Save").c_str(), WS_CHILD | WS_VISIBLE, 10, 10, 150, 30, host,
                                  nullptr, nullptr, nullptr);
    HWND runtimeList = pb->CreateRuntimeListBox(host, 10, 90, 180, 80);
    HWND systemList = CreateWindowExW(0, L"LISTBOX", L"", WS_CHILD | WS_VISIBLE | LBS_HASSTRINGS, 200, 90, 180, 80,
                                      host, nullptr, nullptr, nullptr);
    ASSERT_TRUE(button && runtimeList && systemList);
    for (HWND list : {runtimeList, systemList})
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>((kRed + L" item").c_str()));
    RedrawWindow(host, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpMessages();
    const RECT all = {0, 0, 150, 30};
    EXPECT_GT(WindowSurface(button, WindowSurface::Client).Count(all, Red), 20);
    const WindowSurface runtimeItems(runtimeList, WindowSurface::Client),
        systemItems(systemList, WindowSurface::Client);
    EXPECT_EQ(0, runtimeItems.Count(all, Red));
    EXPECT_GT(runtimeItems.Count(all, Dark), 20);
    EXPECT_GT(systemItems.Count(all, Red), 20);
    DestroyWindow(host);
}

namespace {

int g_paints = 0;
LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) ++g_paints;
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

// SetIconfont repaints, inside the call, the live windows created since the start, and only those.
TEST_F(IconText, SetIconfontRepaintsTheWindowsCreatedSinceTheStart) {
    WNDCLASSW wc = {0, CountingProc, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, L"T2uCountingPaints"};
    RegisterClassW(&wc);
    dll.StopTessel();
    auto popup = [&](const wchar_t* cls, const wchar_t* text, int x) {
        return CreateWindowExW(WS_EX_TOPMOST, cls, text, WS_POPUP | WS_VISIBLE, x, 0, 50, 30, nullptr, nullptr, nullptr,
                               nullptr);
    };
    HWND before = popup(wc.lpszClassName, L"", 0);
    ASSERT_EQ(1, dll.StartTessel());
    HWND counted = popup(wc.lpszClassName, L"", 60), label = popup(L"STATIC", kRed.c_str(), 120);
    ASSERT_TRUE(before && counted && label);
    PumpMessages();
    const struct {
        const wchar_t* font;
        bool destroyCounted;
        int paints;
        bool red;
    } steps[] = {
        {L"missing.ttf", false, 1, false}, {L"iconfont.ttf", false, 1, true}, {L"iconfont.ttf", true, 0, true}};
    for (const auto& s : steps) {
        if (s.destroyCounted) DestroyWindow(counted);
        g_paints = 0;
        EXPECT_EQ(0, dll.SetIconfont(s.font, 0));
        EXPECT_EQ(s.paints, g_paints) << s.font;
        EXPECT_EQ(s.red, WindowSurface(label, WindowSurface::Client).Count(RECT{0, 0, 50, 30}, Red) > 20) << s.font;
    }
    DestroyWindow(label);
    DestroyWindow(before);
}

// A rewritten font file shows at the next draw (another size, a later or an earlier time); while the file is no font
// (said on the debug output), renamed away or named by too long a name, the plain runs are drawn without the icons
// and the counted ExtTextOut declines. The library never holds the file open.
TEST_F(IconText, FontFileChangesShowAtTheNextDraw) {
    std::ifstream in("iconfont.ttf", std::ios::binary);
    const std::string font((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(font.size(), 1000u);
    const std::string words = "plain words, not a font", sameSize = words + std::string(font.size() - 23, ' ');
    const std::wstring path = temp.File(L"changing.ttf"), moved = temp.File(L"moved.ttf");
    const int save = 10 + Width(L"Save ");
    const struct {
        const std::string* bytes;  // null: the file renamed away, then (next step) back
        DWORD writtenLow;          // 0: as written; else 1 Jan 2020 plus this many 100 ns
        bool icon;
    } steps[] = {{&font, 0, true},        {&words, 0, false},    {&font, 0, true}, {&sameSize, 10000000, false},
                 {&font, 20000000, true}, {&sameSize, 1, false}, {&font, 0, true}, {nullptr, 0, false},
                 {nullptr, 0, true}};
    dll.SetIconfont(path.c_str(), 0);
    for (const auto& s : steps) {
        SCOPED_TRACE(&s - steps);
        FILETIME written = {0x69050000u + s.writtenLow, 0x01D5C036u};
        if (s.bytes) {
            HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            DWORD done = 0;
            EXPECT_TRUE(WriteFile(file, s.bytes->data(), DWORD(s.bytes->size()), &done, nullptr));
            if (s.writtenLow) SetFileTime(file, nullptr, nullptr, &written);
            CloseHandle(file);
        } else {
            ASSERT_TRUE(s.icon ? MoveFileW(moved.c_str(), path.c_str()) : MoveFileW(path.c_str(), moved.c_str()));
        }
        Clear();
        StdoutCapture capture;
        EXPECT_FALSE(Out(L"Save " + kRed + L" now"));
        const std::string log = capture.Stop();
        EXPECT_EQ(s.icon, Count(Red) > 20);
        EXPECT_EQ(s.bytes && !s.icon, log.find("error:fonts not support format!\n") != std::string::npos) << log;
        EXPECT_EQ(s.bytes && !s.icon, log.find("changing.ttf,18,") != std::string::npos) << log;
        if (!s.icon) {
            EXPECT_GT(CountIn(canvas, 10, save, Dark), 10);
            EXPECT_GT(CountIn(canvas, save, save + Width(L"  now") + 4, Dark), 10);
            EXPECT_EQ(0, CountIn(canvas, save + Width(L" now") + 6, 400, Dark));
        }
        HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_TRUE(file != INVALID_HANDLE_VALUE || !s.bytes) << "held open";
        CloseHandle(file);
    }
    for (const std::wstring& name : {moved, std::wstring(300, L'a')}) {
        dll.SetIconfont(name.c_str(), 0);
        Clear();
        EXPECT_TRUE(ExtTextOutW(dc(), 10, 10, 0, &kAll, kRed.c_str(), 19, nullptr));
        EXPECT_GT(Bounds(canvas, Dark).right - 10, Width(L"iconfont{61447"));
    }
}
