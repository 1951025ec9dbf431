// Icon fonts in the text of the whole process: "iconfont{code:colour}" runs
// in any text drawn through the text functions show the glyph of the icon
// font (iconfont.ttf beside the tests: Font Awesome, where 61447 is a user
// and 61441 a note) in their colour, blended onto what is already there.
#include <gtest/gtest.h>

#include <ostream>
#include <usp10.h>
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dib.h"
#include "resource_census.h"
#include "stdout_capture.h"
#include "tessel_host.h"
#include "text/glyph_blend.h"
#include "window_surface.h"

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kGrey = RGB(128, 128, 128);
const RECT kAll = {0, 0, 400, 60};

bool Red(COLORREF c) { return GetRValue(c) > 200 && GetGValue(c) < 80 && GetBValue(c) < 80; }
bool Green(COLORREF c) { return GetGValue(c) > 100 && GetRValue(c) < 80 && GetBValue(c) < 80; }
bool Blue(COLORREF c) { return GetBValue(c) > 200 && GetRValue(c) < 80 && GetGValue(c) < 80; }
bool Dark(COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c) < 300; }
bool Black(COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c) < 60; }
bool NotWhite(COLORREF c) { return c != kWhite; }

// The smallest rectangle holding every pixel that matches; empty when none.
RECT Bounds(const Dib& dib, const std::function<bool(COLORREF)>& match) {
    RECT r = {dib.Width(), dib.Height(), 0, 0};
    for (int y = 0; y < dib.Height(); ++y)
        for (int x = 0; x < dib.Width(); ++x)
            if (match(dib.At(x, y))) {
                r.left = std::min<LONG>(r.left, x);
                r.top = std::min<LONG>(r.top, y);
                r.right = std::max<LONG>(r.right, x + 1);
                r.bottom = std::max<LONG>(r.bottom, y + 1);
            }
    if (r.right == 0) r = RECT{0, 0, 0, 0};
    return r;
}

int CountIn(const Dib& dib, int left, int right, const std::function<bool(COLORREF)>& match) {
    return dib.Count(RECT{left, 0, right, dib.Height()}, [&](COLORREF c) { return match(c); });
}

class Font {
public:
    explicit Font(int height)
        : m_h(CreateFontW(-height, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, NONANTIALIASED_QUALITY, 0,
                          L"Tahoma")) {}
    ~Font() { DeleteObject(m_h); }
    HFONT get() const { return m_h; }

private:
    HFONT m_h;
};

// The host (the stand-in loaded before the library starts, as in a
// PowerBuilder application, and the language-pack stand-in) with a white
// 400 x 60 canvas: a 16-pixel font, black text on a transparent background.
template <class Base>
class IconTextFixture : public TesselHostFixture<Base> {
protected:
    void SetUp() override {
        ASSERT_NE(nullptr, LoadLibraryW(L"lpk\\lpk.dll"));
        ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(L"iconfont.ttf")) << "iconfont.ttf missing";
        TesselHostFixture<Base>::SetUp();
        canvas.reset(new Dib(400, 60));
        ASSERT_TRUE(canvas->Ok());
        Prepare(*canvas);
    }
    void TearDown() override {
        canvas.reset();
        TesselHostFixture<Base>::TearDown();
    }
    void Prepare(Dib& dib) {
        dib.Fill(kWhite);
        SelectObject(dib.Dc(), font.get());
        SetBkMode(dib.Dc(), TRANSPARENT);
        SetTextColor(dib.Dc(), RGB(0, 0, 0));
    }
    void Clear() { canvas->Fill(kWhite); }
    HDC dc() const { return canvas->Dc(); }
    int Count(bool (*match)(COLORREF)) const { return canvas->Count(kAll, match); }
    int TextWidth(const wchar_t* text) const {
        SIZE size = {};
        GetTextExtentPoint32W(canvas->Dc(), text, static_cast<int>(wcslen(text)), &size);
        return size.cx;
    }
    // How far right of x = 10 the dark pixels reach.
    int DarkReach() const { return Bounds(*canvas, Dark).right - 10; }
    BOOL Out(const std::wstring& text, int x = 10, int y = 10) {
        return TextOutW(dc(), x, y, text.c_str(), static_cast<int>(text.size()));
    }

    Font font{16};
    std::unique_ptr<Dib> canvas;
};

using IconText = IconTextFixture<::testing::Test>;

// The text functions a host reaches: the system's, the language-pack
// module's (which the library intercepts as well) and Uniscribe's.
enum class Call {
    TextOut,
    ExtTextOutInARectangle,
    ExtTextOutWithoutOne,
    LpkExtTextOut,
    LpkDrawTextEx,
    LpkMeasureDrawTextEx,
    LpkPSMTextOut,
    LpkTabbedTextOut,
    ScriptTextOut
};
enum class Shows { Nothing, RedIconOnly, Red, Blue, BlackNotBlue, TextNoIcon };

struct RunCase {
    const char* name;
    Call call;
    std::wstring text;
    int count;  // characters passed; -1: all
    COLORREF textColour;
    long returned;
    Shows shows;
    const wchar_t* textBeyond;  // the dark pixels reach further than this text: markers drawn as text
    int moduleCalls;            // calls that reach the language-pack module
};

void PrintTo(const RunCase& c, std::ostream* out) { *out << c.name; }

const RunCase kRuns[] = {
    {"CodeInTheTextColour", Call::TextOut, L"iconfont{61447}", -1, RGB(0, 0, 255), FALSE, Shows::Blue, nullptr, 0},
    {"CodeTheFontLacks", Call::TextOut, L"iconfont{59000}", -1, 0, FALSE, Shows::Nothing, nullptr, 0},
    {"EmptyColourIsBlack", Call::TextOut, L"iconfont{61447:}", -1, RGB(0, 0, 255), FALSE, Shows::BlackNotBlue, nullptr,
     0},
    {"ElevenCharactersAreText", Call::TextOut, L"iconfont{1}", -1, 0, TRUE, Shows::TextNoIcon, L"iconfont{", 0},
    {"TenWithTheMarkerAreText", Call::TextOut, L"iconfont{1", -1, 0, TRUE, Shows::TextNoIcon, L"iconfont", 0},
    {"MarkerWithoutItsBrace", Call::TextOut, L"abc iconfont{61447:255", -1, 0, FALSE, Shows::TextNoIcon,
     L"abc iconfont{614", 0},
    {"ContentOf127", Call::TextOut, L"iconfont{61447:255" + std::wstring(118, L' ') + L"}", -1, 0, FALSE, Shows::Red,
     nullptr, 0},
    {"ContentOf128", Call::TextOut, L"iconfont{61447:255" + std::wstring(119, L' ') + L"}", -1, 0, FALSE,
     Shows::TextNoIcon, L"iconfont{61447", 0},
    {"ExtTextOutCountedIcon", Call::ExtTextOutInARectangle, L"iconfont{61447:255}tail", 19, 0, TRUE, Shows::RedIconOnly,
     nullptr, 0},
    {"ExtTextOutWithoutARectangle", Call::ExtTextOutWithoutOne, L"iconfont{61447:255}tail", 19, 0, TRUE,
     Shows::TextNoIcon, L"iconfont{61447", 0},
    {"ExtTextOutOfTenCharacters", Call::ExtTextOutInARectangle, L"iconfont{61447:255}tail", 10, 0, TRUE,
     Shows::TextNoIcon, L"iconfont", 0},
    {"LpkExtTextOut", Call::LpkExtTextOut, L"iconfont{61447:255}", -1, 0, FALSE, Shows::Red, nullptr, 0},
    {"LpkDrawTextEx", Call::LpkDrawTextEx, L"iconfont{61447:255}", -1, 0, 0, Shows::Red, nullptr, 0},
    // Measuring reaches the module (the stand-in then draws it as plain text).
    {"LpkDrawTextExMeasuring", Call::LpkMeasureDrawTextEx, L"iconfont{61447:255}", -1, 0, 19, Shows::TextNoIcon,
     nullptr, 1},
    {"LpkPSMTextOut", Call::LpkPSMTextOut, L"iconfont{61447:255}", -1, 0, 0, Shows::Red, nullptr, 0},
    {"LpkPSMTextOutPlain", Call::LpkPSMTextOut, L"plain", -1, 0, 5, Shows::TextNoIcon, nullptr, 1},
    // Drawn although the caller only measures.
    {"LpkTabbedTextOut", Call::LpkTabbedTextOut, L"iconfont{61447:255}", -1, 0, 0, Shows::Red, nullptr, 0},
    {"ScriptTextOut", Call::ScriptTextOut, L"iconfont{61447:255}", -1, 0, S_OK, Shows::Red, nullptr, 0},
    {"ScriptTextOutOfTenCharacters", Call::ScriptTextOut, L"iconfont{61447:255}", 10, 0, E_INVALIDARG, Shows::Nothing,
     nullptr, 0},
};

template <class F>
F LpkFunction(const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"lpk.dll"), name)));
}

// Draws the case's text at (10, 10) the way its call does; answers what the call returned.
long Draw(HDC dc, const RunCase& c) {
    const wchar_t* text = c.text.c_str();
    const int n = c.count < 0 ? static_cast<int>(c.text.size()) : c.count;
    RECT clip = kAll;
    switch (c.call) {
    case Call::TextOut: return TextOutW(dc, 10, 10, text, n);
    case Call::ExtTextOutInARectangle: return ExtTextOutW(dc, 10, 10, ETO_CLIPPED, &clip, text, n, nullptr);
    case Call::ExtTextOutWithoutOne: return ExtTextOutW(dc, 10, 10, 0, nullptr, text, n, nullptr);
    case Call::LpkExtTextOut:
        return LpkFunction<BOOL(WINAPI*)(HDC, int, int, UINT, const RECT*, LPCWSTR, UINT, const INT*, INT)>(
            "LpkExtTextOut")(dc, 10, 10, 0, nullptr, text, n, nullptr, 0);
    case Call::LpkDrawTextEx:
    case Call::LpkMeasureDrawTextEx:
        return LpkFunction<int(WINAPI*)(HDC, int, int, LPCWSTR, int, BOOL, UINT, LPVOID, UINT, int)>("LpkDrawTextEx")(
            dc, 10, 10, text, n, TRUE, c.call == Call::LpkDrawTextEx ? DT_LEFT : DT_CALCRECT, nullptr, 0, 0);
    case Call::LpkPSMTextOut:
        return LpkFunction<int(WINAPI*)(HDC, int, int, LPCWSTR, int, DWORD)>("LpkPSMTextOut")(dc, 10, 10, text, n, 0);
    case Call::LpkTabbedTextOut:
        return LpkFunction<LONG(WINAPI*)(HDC, int, int, LPCWSTR, int, int, const INT*, int, BOOL, int, int, int)>(
            "LpkTabbedTextOut")(dc, 10, 10, text, n, 0, nullptr, 0, FALSE, 8, 16, 0);
    case Call::ScriptTextOut: {
        SCRIPT_CACHE cache = nullptr;
        const HRESULT result =
            ScriptTextOut(dc, &cache, 10, 10, 0, nullptr, nullptr, text, n, nullptr, 0, nullptr, nullptr, nullptr);
        ScriptFreeCache(&cache);
        return result;
    }
    }
    return -1;
}

class IconRuns : public IconTextFixture<::testing::TestWithParam<RunCase>> {};

}  // namespace

// Where a marker is recognised, which colour an icon takes, what stays text,
// which calls still reach the language-pack module.
TEST_P(IconRuns, DrawnAsIconsOrAsText) {
    const RunCase& c = GetParam();
    auto calls = LpkFunction<LONG(WINAPI*)()>("LpkStandinCalls");
    ASSERT_NE(nullptr, calls);
    SetTextColor(dc(), c.textColour);
    const LONG before = calls();
    EXPECT_EQ(c.returned, Draw(dc(), c));
    EXPECT_EQ(before + c.moduleCalls, calls());
    switch (c.shows) {
    case Shows::Nothing: EXPECT_EQ(0, Count(NotWhite)); break;
    case Shows::RedIconOnly:
        EXPECT_GT(Count(Red), 20);
        EXPECT_EQ(0, canvas->Count(kAll, [](COLORREF p) { return Dark(p) && !Red(p); }));
        break;
    case Shows::Red: EXPECT_GT(Count(Red), 20); break;
    case Shows::Blue: EXPECT_GT(Count(Blue), 20); break;
    case Shows::BlackNotBlue:
        EXPECT_GT(Count(Black), 20);
        EXPECT_EQ(0, Count(Blue));
        break;
    case Shows::TextNoIcon:
        EXPECT_EQ(0, Count(Red));
        EXPECT_GT(Count(Dark), 20);
        break;
    }
    if (c.textBeyond) {
        EXPECT_GT(DarkReach(), TextWidth(c.textBeyond));
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, IconRuns, ::testing::ValuesIn(kRuns),
                         [](const ::testing::TestParamInfo<RunCase>& info) { return std::string(info.param.name); });

// Plain, icon and plain runs left to right; two icons in order; and, with a
// font file missing or unusable, the plain runs without the icons.
TEST_F(IconText, RunsLeftToRightAndMissingFonts) {
    EXPECT_FALSE(Out(L"Save iconfont{61447:255} now"));
    const int save = 10 + TextWidth(L"Save ");
    const RECT red = Bounds(*canvas, Red);
    EXPECT_GT(CountIn(*canvas, 10, save, Dark), 10);
    EXPECT_GE(red.left, save);
    EXPECT_LT(red.left, save + 4);
    EXPECT_GT(red.right - red.left, 8);
    EXPECT_GT(CountIn(*canvas, red.right + 1, red.right + 40, Dark), 10);
    EXPECT_EQ(0, CountIn(*canvas, red.right + 40, 400, Dark));

    Clear();
    SetTextColor(dc(), RGB(0, 160, 0));
    EXPECT_FALSE(Out(L"iconfont{61447:255}iconfont{61441}"));
    const RECT first = Bounds(*canvas, Red), second = Bounds(*canvas, Green);
    EXPECT_GT(first.right, first.left);
    EXPECT_GT(second.right, second.left);
    EXPECT_LE(first.right, second.left);
    SetTextColor(dc(), RGB(0, 0, 0));

    // Other text reaches the real function with its options: an opaque box.
    Clear();
    SetBkColor(dc(), RGB(255, 255, 0));
    RECT box = {200, 5, 300, 50};
    EXPECT_TRUE(ExtTextOutW(dc(), 210, 10, ETO_OPAQUE, &box, L"plain text here", 15, nullptr));
    EXPECT_EQ(RGB(255, 255, 0), canvas->At(295, 45));
    EXPECT_EQ(kWhite, canvas->At(305, 45));

    RECT clip = kAll;
    for (const std::wstring& name : {temp.File(L"missing.ttf"), std::wstring(300, L'a')}) {
        dll.SetIconfont(name.c_str(), 0);
        // The counted entry declines: the markers are text.
        Clear();
        EXPECT_TRUE(ExtTextOutW(dc(), 10, 10, 0, &clip, L"iconfont{61447:255}", 19, nullptr));
        EXPECT_GT(DarkReach(), TextWidth(L"iconfont{61447"));
        // The others draw the plain runs and leave the icons out.
        Clear();
        EXPECT_FALSE(Out(L"Save iconfont{61447:255} now"));
        EXPECT_EQ(0, Count(Red));
        EXPECT_GT(CountIn(*canvas, 10, save, Dark), 10);
        EXPECT_GT(CountIn(*canvas, save, save + TextWidth(L"  now") + 4, Dark), 10);
        EXPECT_EQ(0, CountIn(*canvas, save + TextWidth(L" now") + 6, 400, Dark));
    }
    // A file FreeType cannot read says so on the debug output.
    const std::wstring notFont = temp.Write(L"notafont.ttf", "plain words, not a font\r\n");
    dll.SetIconfont(notFont.c_str(), 0);
    StdoutCapture capture;
    Clear();
    EXPECT_FALSE(Out(L"Save iconfont{61447:255} now"));
    const std::string log = capture.Stop();
    EXPECT_NE(std::string::npos, log.find("error:fonts not support format!\n")) << log;
    EXPECT_NE(std::string::npos, log.find("FT_New_Face(m_pFTLib,szFontName ,  0 ,  &m_pFTFace); error:")) << log;
    EXPECT_NE(std::string::npos, log.find("notafont.ttf,18,")) << log;
    EXPECT_EQ(0, Count(Red));
}

// DrawText: left, centred and right in the cell, vertically centred; text
// wider than a right-aligned cell starts at its left edge, clipped; a glyph
// taller than its cell is cropped; measuring passes through.
TEST_F(IconText, DrawTextAlignsClipsAndCrops) {
    wchar_t icon[] = L"iconfont{61447:255}";
    struct Placement {
        UINT format;
        int centre;       // the expected centre of the red pixels, or -1
        int left, right;  // the range the red pixels' left (DT_LEFT) or right (DT_RIGHT) edge lies in
    } placements[] = {{DT_LEFT, -1, 20, 24}, {DT_CENTER, 100, 0, 0}, {DT_RIGHT, -1, 176, 180}};
    for (const Placement& p : placements) {
        Clear();
        RECT cell = {20, 0, 180, 40};
        EXPECT_EQ(0, DrawTextW(dc(), icon, -1, &cell, p.format));
        const RECT red = Bounds(*canvas, Red);
        EXPECT_GT(red.right - red.left, 8) << p.format;
        EXPECT_LE(std::abs((red.top + red.bottom) / 2 - 20), 3) << p.format;
        if (p.format == DT_LEFT) {
            EXPECT_GE(red.left, p.left);
            EXPECT_LE(red.left, p.right);
        } else if (p.format == DT_RIGHT) {
            EXPECT_GE(red.right, p.left);
            EXPECT_LE(red.right, p.right);
        } else {
            EXPECT_LE(std::abs((red.left + red.right) / 2 - p.centre), 3);
        }
    }
    Clear();
    wchar_t wide[] = L"iconfont{61447:255} WWWWWWWWWWWWWWWWWWWWWWWW";
    RECT narrow = {20, 0, 90, 40};
    DrawTextW(dc(), wide, -1, &narrow, DT_RIGHT);
    RECT red = Bounds(*canvas, Red);
    EXPECT_GE(red.left, 20);
    EXPECT_LE(red.left, 24);
    EXPECT_GT(CountIn(*canvas, 60, 90, Dark), 10);
    EXPECT_EQ(0, CountIn(*canvas, 0, 20, NotWhite));
    EXPECT_EQ(0, CountIn(*canvas, 90, 400, NotWhite));

    Clear();
    Font large(60);
    HGDIOBJ old = SelectObject(dc(), large.get());
    RECT flat = {20, 20, 200, 30};
    DrawTextW(dc(), icon, -1, &flat, DT_LEFT);
    SelectObject(dc(), old);
    red = Bounds(*canvas, Red);
    EXPECT_GT(canvas->Count(flat, Red), 50);
    EXPECT_GE(red.top, 20);
    EXPECT_LE(red.bottom, 30);

    RECT measured = {0, 0, 0, 0};
    EXPECT_GT(DrawTextW(dc(), icon, -1, &measured, DT_CALCRECT), 0);
    EXPECT_GT(measured.right, 0);
}

namespace {

// A DIB section of 8 (white, black, red, green, blue, the rest grey), 16
// (5-6-5) or 24 bits, white, in memory that runs on past its pixels: the
// bytes after them must stay as they were.
class SectionDib {
public:
    static constexpr BYTE kCanary = 0xA5;
    static constexpr size_t kTail = 4096;
    SectionDib(int width, int height, int bits) : m_width(width), m_height(height) {
        m_bytes = static_cast<size_t>(((width * bits + 31) / 32) * 4) * static_cast<size_t>(height);
        m_section = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                       static_cast<DWORD>(m_bytes + kTail), nullptr);
        m_view = static_cast<BYTE*>(MapViewOfFile(m_section, FILE_MAP_ALL_ACCESS, 0, 0, 0));
        if (m_view) memset(m_view + m_bytes, kCanary, kTail);
        struct {
            BITMAPINFOHEADER header;
            RGBQUAD colours[256];
        } info = {};
        info.header.biSize = sizeof(info.header);
        info.header.biWidth = width;
        info.header.biHeight = -height;
        info.header.biPlanes = 1;
        info.header.biBitCount = static_cast<WORD>(bits);
        info.header.biCompression = bits == 16 ? BI_BITFIELDS : BI_RGB;
        if (bits == 16) {
            const DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
            memcpy(info.colours, masks, sizeof masks);
        } else if (bits == 8) {
            info.header.biClrUsed = 256;
            for (int i = 0; i < 256; ++i) info.colours[i] = RGBQUAD{128, 128, 128, 0};
            info.colours[0] = RGBQUAD{255, 255, 255, 0};
            info.colours[1] = RGBQUAD{0, 0, 0, 0};
            info.colours[2] = RGBQUAD{0, 0, 255, 0};  // red (blue, green, red order)
            info.colours[3] = RGBQUAD{0, 255, 0, 0};
            info.colours[4] = RGBQUAD{255, 0, 0, 0};
        }
        m_dc = CreateCompatibleDC(nullptr);
        void* pixels = nullptr;
        m_bitmap = CreateDIBSection(m_dc, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &pixels, m_section, 0);
        m_old = SelectObject(m_dc, m_bitmap);
        RECT all = {0, 0, width, height};
        FillRect(m_dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    ~SectionDib() {
        SelectObject(m_dc, m_old);
        DeleteObject(m_bitmap);
        DeleteDC(m_dc);
        if (m_view) UnmapViewOfFile(m_view);
        if (m_section) CloseHandle(m_section);
    }
    bool Ok() const { return m_view && m_bitmap; }
    HDC Dc() const { return m_dc; }
    // The pixels as a 32-bit copy.
    std::unique_ptr<Dib> Read() const {
        std::unique_ptr<Dib> copy(new Dib(m_width, m_height));
        copy->CopyFrom(m_dc);
        return copy;
    }
    bool TailIntact() const {
        GdiFlush();
        for (size_t i = 0; i < kTail; ++i)
            if (m_view[m_bytes + i] != kCanary) return false;
        return true;
    }

private:
    int m_width, m_height;
    size_t m_bytes = 0;
    HANDLE m_section = nullptr;
    BYTE* m_view = nullptr;
    HBITMAP m_bitmap = nullptr;
    HDC m_dc = nullptr;
    HGDIOBJ m_old = nullptr;
};

class IconDepths : public IconTextFixture<::testing::TestWithParam<int>> {};

}  // namespace

// Every depth the renderer reads back: the icon in its colour, nothing drawn
// beyond its box (also where the box runs off the bitmap's edges), the
// memory after the bitmap untouched.
TEST_P(IconDepths, IconsStayInTheirBox) {
    SectionDib surface(61, 41, GetParam());
    ASSERT_TRUE(surface.Ok());
    SelectObject(surface.Dc(), font.get());
    SetBkMode(surface.Dc(), TRANSPARENT);
    EXPECT_FALSE(TextOutW(surface.Dc(), 10, 10, L"iconfont{61447:255}", 19));
    EXPECT_FALSE(TextOutW(surface.Dc(), 50, 32, L"iconfont{61447:16711680}", 24));
    std::unique_ptr<Dib> pixels = surface.Read();
    EXPECT_GT(pixels->Count(RECT{9, 9, 34, 34}, Red), 20);
    EXPECT_GT(pixels->Count(RECT{49, 31, 61, 41}, Blue), 5);
    int outside = 0;
    for (int y = 0; y < 41; ++y)
        for (int x = 0; x < 61; ++x) {
            const bool first = x >= 9 && x < 34 && y >= 9 && y < 34, second = x >= 49 && y >= 31;
            if (!first && !second && pixels->At(x, y) != kWhite) ++outside;
        }
    EXPECT_EQ(0, outside);
    EXPECT_TRUE(surface.TailIntact());
    RECT cell = {30, 0, 61, 12};
    wchar_t green[] = L"iconfont{61447:65280}";
    DrawTextW(surface.Dc(), green, -1, &cell, DT_LEFT);
    pixels = surface.Read();
    EXPECT_GT(pixels->Count(cell, Green), 5);
    EXPECT_TRUE(surface.TailIntact());
}

INSTANTIATE_TEST_SUITE_P(Bits, IconDepths, ::testing::Values(8, 16, 24));

TEST_F(IconText, BrightnessAndPixelFormats) {
    // On grey, full brightness turns the glyph white and full darkness black;
    // darkness beyond the range is full darkness.
    auto draw = [&](int lighten) {
        dll.SetIconfont(L"iconfont.ttf", lighten);
        canvas->Fill(kGrey);
        Out(L"iconfont{61447:255}");
        return Count(Red);
    };
    EXPECT_EQ(0, draw(255));
    EXPECT_GT(canvas->Count(kAll, [](COLORREF c) { return c == kWhite; }), 20);
    EXPECT_EQ(0, draw(-255));
    EXPECT_GT(canvas->Count(kAll, [](COLORREF c) { return c == RGB(0, 0, 0); }), 20);
    std::vector<COLORREF> darkest;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 400; ++x) darkest.push_back(canvas->At(x, y));
    draw(-1000);
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 400; ++x) ASSERT_EQ(darkest[static_cast<size_t>(y * 400 + x)], canvas->At(x, y));
    EXPECT_GT(draw(0), 20);
}

TEST_F(IconText, ControlsShowGlyphsButRuntimeListBoxesStayPlain) {
    HWND host = pb->CreateRuntimeWindow(nullptr, L"host", 0, 0, 420, 300);
    ASSERT_NE(nullptr, host);
    HWND button = CreateWindowExW(0, L"BUTTON", L"iconfont{61447:255} Save", WS_CHILD | WS_VISIBLE, 10, 10, 150, 30,
                                  host, nullptr, nullptr, nullptr);
    HWND label = CreateWindowExW(0, L"STATIC", L"Owner iconfont{61447:255}", WS_CHILD | WS_VISIBLE, 10, 50, 150, 24,
                                 host, nullptr, nullptr, nullptr);
    HWND runtimeList = pb->CreateRuntimeListBox(host, 10, 90, 180, 80);
    HWND systemList = CreateWindowExW(0, L"LISTBOX", L"", WS_CHILD | WS_VISIBLE | WS_BORDER | LBS_HASSTRINGS, 200, 90,
                                      180, 80, host, nullptr, nullptr, nullptr);
    ASSERT_TRUE(button && label && runtimeList && systemList);
    for (HWND list : {runtimeList, systemList})
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"iconfont{61447:255} item"));
    UpdateWindow(host);
    RedrawWindow(host, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpMessages();

    EXPECT_GT(WindowSurface(button, WindowSurface::Client).Count(RECT{0, 0, 150, 30}, Red), 20);
    EXPECT_GT(WindowSurface(label, WindowSurface::Client).Count(RECT{0, 0, 150, 24}, Red), 20);
    const WindowSurface runtimeItems(runtimeList, WindowSurface::Client);
    EXPECT_EQ(0, runtimeItems.Count(RECT{0, 0, runtimeItems.Width(), runtimeItems.Height()}, Red));
    EXPECT_GT(runtimeItems.Count(RECT{0, 0, runtimeItems.Width(), runtimeItems.Height()}, Dark), 20);
    const WindowSurface systemItems(systemList, WindowSurface::Client);
    EXPECT_GT(systemItems.Count(RECT{0, 0, systemItems.Width(), systemItems.Height()}, Red), 20);
    DestroyWindow(host);
}

TEST_F(IconText, UnclosedMarkerDrawnWholeAsText) {
    // The same words drawn by the system without any layout: where they end.
    const std::wstring text = L"abc iconfont{61447 WWW";
    ExtTextOutW(dc(), 20, 10, 0, nullptr, text.c_str(), static_cast<UINT>(text.size()), nullptr);
    const RECT reference = Bounds(*canvas, Dark);
    ASSERT_GT(reference.right, 150) << "the reference text";

    // Through DrawText, left-aligned in a wide cell: the whole text, as text.
    struct Case {
        UINT format;
        int left, right;  // the cell
    };
    const Case cases[] = {{DT_LEFT, 20, 390}, {DT_CENTER, 20, 390}, {DT_RIGHT, 20, 390}};
    for (const Case& c : cases) {
        Clear();
        std::wstring copy = text;
        RECT cell = {c.left, 0, c.right, 40};
        DrawTextW(dc(), &copy[0], -1, &cell, c.format);
        const RECT drawn = Bounds(*canvas, Dark);
        EXPECT_EQ(0, canvas->Count(kAll, Red)) << c.format;
        EXPECT_EQ(reference.right - reference.left, drawn.right - drawn.left) << "format " << c.format;
        if (c.format == DT_LEFT) {
            EXPECT_EQ(reference.left, drawn.left);
        } else if (c.format == DT_RIGHT) {
            EXPECT_GE(drawn.right, c.right - 2);
        } else {
            EXPECT_LE(std::abs((drawn.left + drawn.right) / 2 - (c.left + c.right) / 2), 3)
                << drawn.left << " " << drawn.right;
        }
    }
}

namespace {

// A window that counts its paints.
int g_paints = 0;
LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) ++g_paints;
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

TEST_F(IconText, SetIconfontRepaintsTheWindowsCreatedSinceTheStart) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = CountingProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"T2uCountingPaints";
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    RegisterClassW(&wc);
    dll.StopTessel();
    HWND before = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                                  nullptr, nullptr);
    ASSERT_EQ(1, dll.StartTessel());
    HWND counted = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 60, 0, 50, 50, nullptr, nullptr,
                                   nullptr, nullptr);
    // A label showing an icon, on top.
    HWND label = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"iconfont{61447:255}", WS_POPUP | WS_VISIBLE, 120, 0, 60,
                                 30, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(before && counted && label);
    UpdateWindow(before);
    UpdateWindow(counted);
    UpdateWindow(label);
    PumpMessages();
    ASSERT_GT(WindowSurface(label, WindowSurface::Client).Count(RECT{0, 0, 60, 30}, Red), 20);

    // Without a message loop turning: the repaint happens inside the call.
    g_paints = 0;
    EXPECT_EQ(0, dll.SetIconfont(temp.File(L"missing.ttf").c_str(), 0));
    EXPECT_EQ(1, g_paints) << "only the window created since the start";
    const WindowSurface plain(label, WindowSurface::Client);
    EXPECT_EQ(0, plain.Count(RECT{0, 0, 60, 30}, Red));

    g_paints = 0;
    EXPECT_EQ(0, dll.SetIconfont(L"iconfont.ttf", 0));
    EXPECT_EQ(1, g_paints);
    EXPECT_GT(WindowSurface(label, WindowSurface::Client).Count(RECT{0, 0, 60, 30}, Red), 20);

    // A destroyed window is skipped.
    DestroyWindow(counted);
    g_paints = 0;
    EXPECT_EQ(0, dll.SetIconfont(L"iconfont.ttf", 0));
    EXPECT_EQ(0, g_paints);
    DestroyWindow(label);
    DestroyWindow(before);
}

namespace {

// Every pixel of two canvases of the same size; the first that differs.
std::string FirstDifference(const Dib& a, const Dib& b) {
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (a.At(x, y) != b.At(x, y)) return "(" + std::to_string(x) + ", " + std::to_string(y) + ")";
    return "";
}

// Copies a file's bytes, or writes text padded with blanks to a length.
std::vector<char> FileBytes(const wchar_t* name) {
    std::vector<char> bytes;
    HANDLE file = CreateFileW(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    bytes.resize(GetFileSize(file, nullptr));
    DWORD read = 0;
    if (!bytes.empty()) ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    return bytes;
}

bool WriteBytes(const wchar_t* name, const std::vector<char>& bytes, const FILETIME* written) {
    HANDLE file = CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD done = 0;
    const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) &&
                    done == bytes.size() && (!written || SetFileTime(file, nullptr, nullptr, written));
    CloseHandle(file);
    return ok;
}

// Nobody holds the file open: it opens with no sharing at all.
bool NotHeldOpen(const wchar_t* name) {
    HANDLE file = CreateFileW(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

}  // namespace

TEST_F(IconText, DrawsFromKeptFacesMatchTheFirstDraw) {
    // Each text drawn on a fresh canvas just after the start (nothing kept
    // yet), then twice more from what the first draws kept: the same pixels.
    struct Case {
        const wchar_t* text;
        int fontHeight;
        UINT format;  // ~0u: TextOutW at (10, 10); else DrawTextW in (20, 0, 380, 50)
    };
    const Case cases[] = {
        {L"Save iconfont{61447:255} now", 16, ~0u},
        {L"iconfont{61447:255}iconfont{61441}", 16, ~0u},
        {L"a iconfont{61447} b iconfont{61441} c iconfont{61452} d", 16, DT_LEFT},
        {L"iconfont{61441:16711680} x", 30, DT_CENTER},
        {L"iconfont{61452:255} tall", 9, DT_RIGHT},
    };
    auto draw = [&](const Case& c, Dib& dib) {
        Prepare(dib);
        Font font(c.fontHeight);
        SelectObject(dib.Dc(), font.get());
        std::wstring text = c.text;
        if (c.format == ~0u) {
            TextOutW(dib.Dc(), 10, 10, text.c_str(), static_cast<int>(text.size()));
        } else {
            RECT cell = {20, 0, 380, 50};
            DrawTextW(dib.Dc(), &text[0], -1, &cell, c.format);
        }
        SelectObject(dib.Dc(), GetStockObject(SYSTEM_FONT));
    };
    std::vector<std::unique_ptr<Dib>> first;
    for (const Case& c : cases) {
        first.emplace_back(new Dib(400, 60));
        draw(c, *first.back());
        ASSERT_GT(first.back()->Count(kAll, Dark), 20) << std::string(c.text, c.text + wcslen(c.text));
    }
    for (int round = 0; round < 2; ++round) {
        for (size_t i = 0; i < first.size(); ++i) {
            Dib again(400, 60);
            draw(cases[i], again);
            EXPECT_EQ("", FirstDifference(*first[i], again)) << "case " << i << ", round " << round;
        }
    }
}

TEST_F(IconText, FontFileChangesShowAtTheNextDrawAndTheFileIsNeverHeldOpen) {
    const std::vector<char> font = FileBytes(L"iconfont.ttf");
    ASSERT_GT(font.size(), 1000u);
    std::vector<char> sameSize(font.size(), ' ');
    const char words[] = "plain words, not a font";
    std::copy(words, words + sizeof words - 1, sameSize.begin());
    const std::vector<char> shortText(words, words + sizeof words - 1);

    // Each step rewrites the file, with the last-write time given or left to
    // the system, and draws: the icon shows only while the bytes are a font.
    struct Step {
        const std::vector<char>* bytes;
        DWORD writtenLow;  // 0: as written; else 1 Jan 2020 plus this many 100 ns
        bool icon;
        bool unknownFormat;  // the debug line of a file that is no font
    };
    const FILETIME base = {0x69050000u, 0x01D5C036u};  // 2020-01-01 00:00 UTC
    const Step steps[] = {
        {&font, 0, true, false},        {&shortText, 0, false, true},        // another size
        {&font, 0, true, false},        {&sameSize, 10000000, false, true},  // the same size, written one second later
        {&font, 20000000, true, false},                                      // the same size again
        {&sameSize, 1, false, true},  // an older time (a copy put back), two seconds apart
    };
    const std::wstring path = temp.File(L"changing_font.ttf"), moved = temp.File(L"moved.ttf");
    const wchar_t* name = path.c_str();
    dll.SetIconfont(name, 0);
    int index = 0;
    for (const Step& s : steps) {
        FILETIME written = base;
        written.dwLowDateTime += s.writtenLow;
        ASSERT_TRUE(WriteBytes(name, *s.bytes, s.writtenLow ? &written : nullptr)) << "step " << index;
        Clear();
        StdoutCapture capture;
        EXPECT_FALSE(Out(L"Save iconfont{61447:255} now")) << "step " << index;
        const std::string log = capture.Stop();
        EXPECT_EQ(s.icon, canvas->Count(kAll, Red) > 20) << "step " << index;
        EXPECT_EQ(s.unknownFormat, log.find("error:fonts not support format!\n") != std::string::npos)
            << "step " << index << ": " << log;
        EXPECT_TRUE(NotHeldOpen(name)) << "step " << index;
        ++index;
    }

    // Renamed away while the library runs: no icon; back under its name: the icon.
    ASSERT_TRUE(WriteBytes(name, font, nullptr));
    Clear();
    Out(L"iconfont{61447:255}");
    EXPECT_GT(canvas->Count(kAll, Red), 20);
    ASSERT_TRUE(MoveFileW(name, moved.c_str()));
    Clear();
    Out(L"iconfont{61447:255}");
    EXPECT_EQ(0, canvas->Count(kAll, Red));
    ASSERT_TRUE(MoveFileW(moved.c_str(), name));
    Clear();
    Out(L"iconfont{61447:255}");
    EXPECT_GT(canvas->Count(kAll, Red), 20);
    EXPECT_TRUE(DeleteFileW(name));
}

TEST_F(IconText, StopFreesWhatTheIconsKept) {
    // What the library creates from here is counted; each life draws icons
    // at two sizes, in a cell too tall to keep a box for, and on a 16-bit
    // surface. After a warm-up life, further lives leave nothing more behind,
    // and after the last stop no GDI object of the library is left.
    ASSERT_EQ(1, dll.StopTessel());
    census::ResourceCensus census(dll.h);
    ASSERT_TRUE(census.HeapCounted());
    auto life = [&]() {
        ASSERT_EQ(1, dll.StartTessel());
        dll.SetIconfont(L"iconfont.ttf", 0);
        Clear();
        Out(L"Save iconfont{61447:255} now");
        EXPECT_GT(canvas->Count(kAll, Red), 20);
        Font large(30);
        HGDIOBJ old = SelectObject(dc(), large.get());
        wchar_t text[] = L"iconfont{61441:255} x";
        RECT tall = {0, 0, 200, 70000};
        DrawTextW(dc(), text, -1, &tall, DT_LEFT);
        SelectObject(dc(), old);
        SectionDib surface(100, 40, 16);
        SelectObject(surface.Dc(), font.get());
        TextOutW(surface.Dc(), 10, 10, L"iconfont{61447:255}", 19);
        EXPECT_EQ(1, dll.StopTessel());
    };
    life();
    const size_t gdiAfterOne = census::Now().gdiLive.size();
    const size_t heapAfterOne = census::Now().heapLive.size();
    for (int i = 0; i < 5; ++i) life();
    EXPECT_GT(census::Now().gdiCreated, 0) << "the census saw no GDI object: the counting does not work";
    EXPECT_EQ(0u, gdiAfterOne);
    EXPECT_EQ(0u, census::Now().gdiLive.size());
    EXPECT_LE(census::Now().heapLive.size(), heapAfterOne);
    ASSERT_EQ(1, dll.StartTessel());  // for the fixture's stop
}

TEST_F(IconText, TheUserIconPixelByPixel) {
    // The user glyph (61447) in blue at (3, 2) with the 16-pixel font, as the
    // renderer has always drawn it: '#' strongly covered (red below 100), '+'
    // partly, ' ' untouched white. The first draw renders the glyph, the
    // later ones reuse what it kept.
    const char* const expected[] = {
        "                    ",  //
        "                    ",  //
        "        ++++        ",  //
        "       +#####+      ",  //
        "      +#######      ",  //
        "      +#######+     ",  //
        "      +#######+     ",  //
        "      +#######+     ",  //
        "      +#######      ",  //
        "      ++#####++     ",  //
        "     +##+++++##+    ",  //
        "    +###########+   ",  //
        "    ############+   ",  //
        "    #############   ",  //
        "    #############   ",  //
        "    #############   ",  //
        "    #############   ",  //
        "    +###########+   ",  //
        "      +++++++++     ",  //
        "                    ",  //
        "                    ",  //
    };
    for (int draw = 0; draw < 3; ++draw) {
        Clear();
        SetTextColor(dc(), RGB(0, 0, 255));
        EXPECT_FALSE(Out(L"iconfont{61447}", 3, 2));
        for (int y = 0; y < static_cast<int>(sizeof expected / sizeof expected[0]); ++y) {
            std::string row;
            for (int x = 0; x < 20; ++x) {
                const COLORREF c = canvas->At(x, y);
                row += c == kWhite ? ' ' : GetRValue(c) < 100 ? '#' : '+';
            }
            EXPECT_EQ(expected[y], row) << "draw " << draw << ", row " << y;
        }
    }
}

namespace {

// The blend itself on every pixel layout the renderer reads back, including
// the 16-bit one a 32-bit display never produces: a glyph of coverage
// {{255, 181, 180}, {128, 0, 255}} (or, for the stride case,
// {{255, 0}, {0, 255}}) on bytes that all start at fill; expected bytes by
// offset, or every byte untouched.
struct BlendCase {
    const char* name;
    bool smallGlyph;
    int width, height, bits, stride;  // stride 0: the width's
    bool topDown;
    size_t bytes;  // of the buffer
    BYTE fill;
    COLORREF colour;
    int lighten, xoff, yoff;
    std::vector<std::pair<size_t, BYTE>> expected;  // empty: all bytes stay fill
};

void PrintTo(const BlendCase& c, std::ostream* out) { *out << c.name; }

const BlendCase kBlends[] = {
    // 5-6-5, bottom-up: glyph row 0 is the last row in memory; 180 and 128 are not enough.
    {"SixteenBits",
     false,
     4,
     2,
     16,
     0,
     false,
     16,
     0xFF,
     RGB(255, 0, 0),
     0,
     0,
     0,
     {{8, 0x00},
      {9, 0xF8},
      {10, 0x00},
      {11, 0xF8},
      {12, 0xFF},
      {13, 0xFF},
      {0, 0xFF},
      {1, 0xFF},
      {4, 0x00},
      {5, 0xF8}}},
    // Channels move by the coverage: 200 + 55 * 128 / 255, truncated, is 227.
    {"TwentyFourBits",
     false,
     3,
     2,
     24,
     0,
     false,
     24,
     200,
     RGB(0, 100, 255),
     0,
     0,
     0,
     {{12, 255}, {13, 100}, {14, 0}, {0, 227}, {3, 200}}},
    {"Lightened", false, 3, 2, 24, 0, false, 24, 200, RGB(0, 100, 255), 255, 0, 0, {{14, 255}, {3, 200}}},
    {"Darkened", false, 3, 2, 24, 0, false, 24, 200, RGB(0, 100, 255), -255, 0, 0, {{12, 0}, {13, 0}, {0, 0}}},
    {"DarkenedBeyondTheRange",
     false,
     3,
     2,
     24,
     0,
     false,
     24,
     200,
     RGB(0, 100, 255),
     -1000,
     0,
     0,
     {{12, 0}, {13, 0}, {14, 0}, {0, 0}, {2, 0}, {3, 200}}},
    // One pixel left and down: the first column and the last row drop out.
    {"Moved",
     false,
     3,
     2,
     24,
     0,
     false,
     24,
     200,
     RGB(0, 100, 255),
     0,
     -1,
     1,
     {{12, 200}, {15, 200}, {0, 239}, {1, 129}, {2, 58}, {3, 238}}},
    // Top-down 32-bit rows of 5 pixels, a 3 x 2 box, the glyph at x 1.
    {"TopDownInAWiderStride",
     true,
     3,
     2,
     32,
     20,
     true,
     60,
     7,
     RGB(10, 20, 30),
     0,
     1,
     0,
     {{4, 30}, {5, 20}, {6, 10}, {7, 7}, {8, 7}, {24, 7}, {28, 30}, {29, 20}, {30, 10}, {12, 7}, {32, 7}, {48, 7}}},
    {"StrideShorterThanTheRows", true, 3, 2, 32, 8, true, 16, 7, RGB(10, 20, 30), 0, 0, 0, {}},
};

class GlyphBlend : public ::testing::TestWithParam<BlendCase> {};

}  // namespace

TEST_P(GlyphBlend, BytesOfTheBitmap) {
    const BlendCase& c = GetParam();
    const unsigned char large[2][3] = {{255, 181, 180}, {128, 0, 255}};
    const unsigned char small[2][2] = {{255, 0}, {0, 255}};
    GlyphCoverage glyph;
    glyph.buffer = c.smallGlyph ? &small[0][0] : &large[0][0];
    glyph.width = glyph.pitch = c.smallGlyph ? 2 : 3;
    glyph.rows = 2;
    std::vector<BYTE> pixels(c.bytes, c.fill);
    DibPixels dib;
    dib.bits = pixels.data();
    dib.size = c.stride ? static_cast<size_t>(c.stride) * c.height : pixels.size();
    dib.width = c.width;
    dib.height = c.height;
    dib.bitsPerPixel = c.bits;
    dib.stride = c.stride;
    dib.topDown = c.topDown;
    BlendGlyph(dib, glyph, c.xoff, c.yoff, c.colour, c.lighten);
    if (c.expected.empty()) {
        EXPECT_EQ(std::vector<BYTE>(c.bytes, c.fill), pixels);
    }
    for (const auto& e : c.expected) EXPECT_EQ(e.second, pixels[e.first]) << "byte " << e.first;
}

INSTANTIATE_TEST_SUITE_P(Layouts, GlyphBlend, ::testing::ValuesIn(kBlends),
                         [](const ::testing::TestParamInfo<BlendCase>& info) { return std::string(info.param.name); });
