// What the painters make of the drawing calls on an attached DataWindow's
// device contexts: progress cells and sort marks in texts, vertical
// placement, pattern fills, thin header rectangles, the corner box and the
// text colour of selected rows. The calls are made on a memory context made
// from the DataWindow's own window context, which paints as the DataWindow.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "dib.h"
#include "message_pump.h"
#include "pbsim_runtime.h"
#include "tessel_dll.h"

namespace {

const wchar_t kGrid[] =
    L"release 10;\n"
    L"datawindow(units=1 processing=1)\n"
    L"header(height=24)\n"
    L"detail(height=20)\n"
    L"table(column=(type=long name=a dbname=\"a\"))\n"
    L"text(band=header text=\"A\" border=\"0\" x=\"1\" y=\"1\" height=\"20\" width=\"80\" name=a_t)\n"
    L"column(band=detail id=1 x=\"1\" y=\"1\" height=\"18\" width=\"80\" name=a visible=\"1\")\n"
    L"data(1 2 3)\n";

const COLORREF kWhite = RGB(255, 255, 255);

bool Dark(COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c) < 300; }

class HeaderPainting : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pb.ok());
        ASSERT_EQ(dll.StartTessel(), 1);
        // Too small for its rows and its column: both scroll bars.
        grid = pb.Create(kGrid, 0, 70, 70);
        ASSERT_NE(nullptr, grid);
        dll.AttachDatawindow(grid, nullptr);
        PumpMessages();
        window = GetDC(grid);
        dib.reset(new Dib(200, 100, window));  // made from the DataWindow's context: it paints as the DataWindow
        dib->Fill(kWhite);
        SetBkMode(dib->Dc(), TRANSPARENT);
        SetTextColor(dib->Dc(), RGB(0, 0, 0));
    }
    void TearDown() override {
        dib.reset();
        ReleaseDC(grid, window);
        dll.DettachDatawindow(grid);
        dll.StopTessel();
        DestroyWindow(grid);
    }
    int DarkIn(int left, int top, int right, int bottom) const {
        return dib->Count(RECT{left, top, right, bottom}, Dark);
    }
    PbsimRuntime pb{105};
    TesselDll dll;
    HWND grid = nullptr;
    HDC window = nullptr;
    std::unique_ptr<Dib> dib;
};

}  // namespace

TEST_F(HeaderPainting, ProgressCells) {
    // progress{45} in the cell (10, 10)-(110, 30): a bar from x = 9 to 55,
    // 3 pixels short of top and bottom, and no text.
    wchar_t bar[] = L"progress{45}";
    RECT cell = {10, 10, 110, 30};
    EXPECT_EQ(1, DrawTextExW(dib->Dc(), bar, -1, &cell, DT_LEFT, nullptr));
    EXPECT_TRUE(Dark(dib->At(9, 20)));
    EXPECT_TRUE(Dark(dib->At(54, 20)));
    EXPECT_EQ(kWhite, dib->At(57, 20));
    EXPECT_EQ(kWhite, dib->At(30, 11));
    EXPECT_TRUE(Dark(dib->At(30, 13)));
    EXPECT_EQ(kWhite, dib->At(30, 28));
    // 150 % is one and a half cells; 0, -5 and no closing brace are text.
    dib->Fill(kWhite);
    wchar_t wide[] = L"progress{150}";
    RECT long_cell = {10, 40, 60, 60};
    DrawTextExW(dib->Dc(), wide, -1, &long_cell, DT_LEFT, nullptr);
    EXPECT_TRUE(Dark(dib->At(80, 50)));
    EXPECT_EQ(kWhite, dib->At(90, 50));
    for (const wchar_t* text : {L"progress{0}", L"progress{-5}", L"progress{45"}) {
        dib->Fill(kWhite);
        std::wstring copy = text;
        RECT r = {10, 10, 190, 30};
        DrawTextExW(dib->Dc(), &copy[0], -1, &r, DT_LEFT, nullptr);
        EXPECT_GT(DarkIn(10, 10, 190, 30), 20) << "drawn as text";
        EXPECT_EQ(kWhite, dib->At(9, 20));
    }
    // With a bar and a text colour: a red bar with the white text 45% on it.
    dib->Fill(kWhite);
    wchar_t coloured[] = L"progress{45:255:16777215}";
    RECT r = {10, 10, 110, 30};
    DrawTextExW(dib->Dc(), coloured, -1, &r, DT_LEFT, nullptr);
    const COLORREF inBar = dib->At(50, 14);
    EXPECT_GT(GetRValue(inBar), 200);
    EXPECT_LT(GetGValue(inBar), 120);
    // The white text over the red bar: pixels with much green in them.
    EXPECT_GT(dib->Count(RECT{11, 13, 50, 27}, [](COLORREF c) { return GetGValue(c) > 180; }), 5);
}

namespace {

// Percentages whose bar, figured in int arithmetic, would overflow for a
// 100-pixel cell: each reaches past the cell and the whole picture.
struct HugePercentage {
    const wchar_t* text;
};
const HugePercentage kHugePercentages[] = {
    {L"progress{21474837}"},     // 100 * p just above the largest int
    {L"progress{100000000}"},    // 100 * p wraps to a positive width
    {L"progress{2147483647}"},   // the largest int
    {L"progress{99999999999}"},  // beyond the range of a number: the largest int
};

}  // namespace

TEST_F(HeaderPainting, HugePercentagesFillTheCellAndBeyond) {
    for (const HugePercentage& c : kHugePercentages) {
        dib->Fill(kWhite);
        std::wstring text = c.text;
        RECT cell = {10, 10, 110, 30};
        EXPECT_EQ(1, DrawTextExW(dib->Dc(), &text[0], -1, &cell, DT_LEFT, nullptr)) << c.text;
        // From one pixel left of the cell to the picture's right edge, 3
        // pixels short of top and bottom; nothing left of the bar.
        for (int x : {9, 10, 60, 109, 110, 150, 199}) {
            EXPECT_TRUE(Dark(dib->At(x, 20))) << c.text << " x " << x;
            EXPECT_TRUE(Dark(dib->At(x, 13))) << c.text << " x " << x;
        }
        EXPECT_EQ(kWhite, dib->At(7, 20)) << c.text;
        EXPECT_EQ(kWhite, dib->At(60, 11)) << c.text;
        EXPECT_EQ(kWhite, dib->At(60, 28)) << c.text;
    }
}

TEST_F(HeaderPainting, SortSuffixWithACountDrawsOnlyTheText) {
    // A counted text in a writable buffer: the suffix is cut off and not
    // drawn either (the mark stands for it).
    wchar_t text[] = L"Name sort:A";
    RECT cell = {10, 10, 190, 40};
    DrawTextExW(dib->Dc(), text, 11, &cell, DT_LEFT, nullptr);
    EXPECT_GT(DarkIn(10, 10, 50, 40), 5);
    EXPECT_EQ(0, DarkIn(50, 10, 170, 40)) << "nothing drawn after the text";
    EXPECT_GT(DarkIn(176, 10, 190, 40), 3) << "the mark";
}

TEST_F(HeaderPainting, ReadOnlySortTextWithACount) {
    // A header text in read-only memory, given with its count: the painter
    // draws from a shortened copy, and reads no further than the copy.
    // Under the guard-page heap a read past the copy faults.
    const wchar_t kText[] = L"Abcdefghijklmno sort:D";  // 15 characters and the suffix
    const int count = static_cast<int>(wcslen(kText));
    SYSTEM_INFO si;
    GetSystemInfo(&si);
    auto* page = static_cast<wchar_t*>(VirtualAlloc(nullptr, si.dwPageSize, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    ASSERT_NE(nullptr, page);
    wcscpy(page, kText);
    DWORD old = 0;
    ASSERT_TRUE(VirtualProtect(page, si.dwPageSize, PAGE_READONLY, &old));
    for (int n : {count, -1}) {
        dib->Fill(kWhite);
        RECT cell = {10, 10, 190, 40};
        EXPECT_GT(DrawTextExW(dib->Dc(), page, n, &cell, DT_LEFT, nullptr), 0) << n;
        EXPECT_EQ(std::wstring(kText), page) << "the read-only text is left as it is";
        EXPECT_EQ(179, cell.right);
        EXPECT_GT(DarkIn(10, 10, 120, 40), 20) << n;
        EXPECT_EQ(0, DarkIn(140, 10, 170, 40)) << n << ": nothing drawn after the text";
        EXPECT_GT(DarkIn(176, 10, 190, 40), 3) << n << ": the mark";
    }
    VirtualFree(page, 0, MEM_RELEASE);
}

TEST_F(HeaderPainting, SortMarksAndVerticalPlacement) {
    // "Name sort:a" in a grid: an upward triangle with its apex at
    // (right - 8, midY), the text ending 11 pixels left of the cell's edge.
    wchar_t text[] = L"Name sort:a";
    RECT cell = {10, 10, 110, 40};
    DrawTextExW(dib->Dc(), text, -1, &cell, DT_RIGHT, nullptr);
    EXPECT_EQ(std::wstring(L"Name"), text);  // the suffix is cut off in the caller's buffer
    EXPECT_EQ(99, cell.right);
    EXPECT_EQ(10, cell.top);                   // the top is given back
    const int midY = 10 + 30 / 2 - 1;
    EXPECT_TRUE(Dark(dib->At(102, midY + 2)));  // inside the triangle
    EXPECT_EQ(kWhite, dib->At(102, midY - 3));
    // The suffix alone is text.
    dib->Fill(kWhite);
    wchar_t alone[] = L" sort:A";
    RECT r = {10, 10, 110, 40};
    DrawTextExW(dib->Dc(), alone, -1, &r, DT_LEFT, nullptr);
    EXPECT_EQ(std::wstring(L" sort:A"), alone);
    // A short text sits in the middle of a tall cell.
    dib->Fill(kWhite);
    wchar_t word[] = L"Mid";
    RECT tall = {10, 0, 110, 100};
    DrawTextExW(dib->Dc(), word, -1, &tall, DT_LEFT | DT_TOP, nullptr);
    EXPECT_EQ(0, DarkIn(10, 0, 110, 35));
    EXPECT_GT(DarkIn(10, 40, 110, 60), 5);
    EXPECT_EQ(0, tall.top);
}

TEST_F(HeaderPainting, IconTextInCells) {
    // Cell texts with icon runs show the glyph (iconfont.ttf beside the
    // tests: 61447 is a user) in its colour; the painter reports it drawn.
    wchar_t text[] = L"iconfont{61447:255} Name";
    RECT cell = {10, 10, 150, 40};
    EXPECT_EQ(1, DrawTextExW(dib->Dc(), text, -1, &cell, DT_LEFT, nullptr));
    auto red = [](COLORREF c) { return GetRValue(c) > 200 && GetGValue(c) < 80 && GetBValue(c) < 80; };
    EXPECT_GT(dib->Count(RECT{10, 10, 40, 40}, red), 20);
    EXPECT_GT(DarkIn(35, 10, 150, 40), 10);  // the plain run after the icon
}

TEST_F(HeaderPainting, FillsOfTheDataWindow) {
    HDC dc = dib->Dc();
    // Pattern fills are one pixel wider to the left; black becomes the selected colour.
    HGDIOBJ old = SelectObject(dc, GetStockObject(BLACK_BRUSH));
    PatBlt(dc, 10, 10, 5, 5, PATCOPY);
    const COLORREF selected = 0xFFD5AA;
    EXPECT_EQ(selected, dib->At(9, 12));
    EXPECT_EQ(selected, dib->At(14, 12));
    EXPECT_EQ(kWhite, dib->At(15, 12));
    EXPECT_EQ(kWhite, dib->At(8, 12));
    // A thin dark rectangle in the header (drawn without a pen, as the
    // DataWindow draws its header lines): the grid-line colour, one pixel
    // narrower; below the header it is left as it is.
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
    Rectangle(dc, 10, 5, 40, 7);
    const COLORREF gridLine = GetSysColor(COLOR_3DLIGHT);
    EXPECT_EQ(gridLine, dib->At(20, 5));
    EXPECT_EQ(gridLine, dib->At(37, 5));
    EXPECT_EQ(kWhite, dib->At(38, 5));
    Rectangle(dc, 10, 40, 40, 42);
    EXPECT_EQ(RGB(0, 0, 0), dib->At(20, 40));
    EXPECT_EQ(RGB(0, 0, 0), dib->At(38, 40));
    SelectObject(dc, oldPen);
    SelectObject(dc, old);

    // The corner box between the two scroll bars takes the window colour.
    const LONG style = GetWindowLongW(grid, GWL_STYLE);
    ASSERT_TRUE((style & WS_HSCROLL) && (style & WS_VSCROLL));
    RECT window;
    GetWindowRect(grid, &window);
    OffsetRect(&window, -window.left, -window.top);
    RECT corner = {window.right - GetSystemMetrics(SM_CXVSCROLL), window.bottom - GetSystemMetrics(SM_CYHSCROLL),
                   window.right, window.bottom};
    HDC frame = GetWindowDC(grid);
    EXPECT_EQ(0, FillRect(frame, &corner, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))));
    ReleaseDC(grid, frame);
    RECT other = {0, 0, 10, 10};
    EXPECT_NE(0, FillRect(dc, &other, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))));

    // Selected rows keep their text colour.
    const COLORREF highlightText = GetSysColor(COLOR_HIGHLIGHTTEXT);
    SetTextColor(dc, RGB(1, 2, 3));
    EXPECT_EQ(GetSysColor(COLOR_WINDOWTEXT), SetTextColor(dc, highlightText));
    EXPECT_EQ(RGB(1, 2, 3), GetTextColor(dc));
    // With a table entry for the highlight text, that is the answer.
    dll.ReplaceSysColor(COLOR_HIGHLIGHTTEXT, RGB(9, 9, 9));
    EXPECT_EQ(RGB(9, 9, 9), SetTextColor(dc, highlightText));
    EXPECT_EQ(RGB(1, 2, 3), GetTextColor(dc));
    // Other contexts are left alone.
    HDC plain = CreateCompatibleDC(nullptr);
    EXPECT_EQ(RGB(0, 0, 0), SetTextColor(plain, RGB(7, 7, 7)));
    DeleteDC(plain);
}

TEST_F(HeaderPainting, SelectedRowRegionsAndPrinting) {
    HDC dc = dib->Dc();
    // A region filled in the highlight colour takes the selected-row colour.
    HBRUSH highlight = CreateSolidBrush(GetSysColor(COLOR_HIGHLIGHT));
    HGDIOBJ old = SelectObject(dc, highlight);
    HRGN region = CreateRectRgn(10, 10, 60, 20);
    EXPECT_TRUE(PaintRgn(dc, region));
    EXPECT_EQ(static_cast<COLORREF>(0xFFD5AA), dib->At(30, 15));
    SelectObject(dc, old);
    DeleteObject(region);
    DeleteObject(highlight);

    // While the DataWindow is printed, lines on any context are its grid lines.
    Dib other(50, 50);
    other.Fill(kWhite);
    HPEN black = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
    HGDIOBJ oldPen = SelectObject(other.Dc(), black);
    using Internal = LONG_PTR(WINAPI*)(LONG_PTR, LONG_PTR);
    auto getHandle = reinterpret_cast<Internal>(reinterpret_cast<void*>(GetProcAddress(pb.vm(), "FN_DWGetHandle")));
    ASSERT_NE(nullptr, getHandle);
    wchar_t name[] = L"Tessel2U test printer";
    HANDLE printer = nullptr;
    OpenPrinterW(name, &printer, nullptr);
    getHandle(reinterpret_cast<LONG_PTR>(grid), 0);
    MoveToEx(other.Dc(), 0, 10, nullptr);
    LineTo(other.Dc(), 40, 10);
    ClosePrinter(printer);
    MoveToEx(other.Dc(), 0, 30, nullptr);
    LineTo(other.Dc(), 40, 30);
    EXPECT_EQ(GetSysColor(COLOR_3DLIGHT), other.At(20, 10));
    EXPECT_EQ(RGB(0, 0, 0), other.At(20, 30));
    SelectObject(other.Dc(), oldPen);
    DeleteObject(black);
}

TEST(HeaderPaintingFreeform, SortSuffixIsCutWithoutAMark) {
    PbsimRuntime pb(105);
    ASSERT_TRUE(pb.ok());
    TesselDll dll;
    ASSERT_EQ(1, dll.StartTessel());
    HWND form = pb.Create(L"release 10;\ndatawindow(units=1 processing=0)\nheader(height=0)\ndetail(height=60)\n"
                          L"table(column=(type=long name=a dbname=\"a\"))\ndata(1)\n",
                          0, 200, 100);
    ASSERT_NE(nullptr, form);
    dll.AttachDatawindow(form, nullptr);
    HDC window = GetDC(form);
    {
        Dib dib(200, 60, window);
        dib.Fill(RGB(255, 255, 255));
        wchar_t text[] = L"Name sort:A";
        RECT cell = {10, 10, 110, 40};
        DrawTextExW(dib.Dc(), text, -1, &cell, DT_LEFT, nullptr);
        EXPECT_EQ(std::wstring(L"Name"), text);
        EXPECT_EQ(110, cell.right);
        EXPECT_EQ(0, dib.Count(RECT{100, 10, 110, 40}, Dark)) << "no mark";
        EXPECT_GT(dib.Count(RECT{10, 10, 110, 40}, Dark), 5);
    }
    ReleaseDC(form, window);
    dll.DettachDatawindow(form);
    ASSERT_EQ(1, dll.StopTessel());
    DestroyWindow(form);
}

TEST(HeaderPaintingNoHorizontalBar, AlternateRowRegionsEndAtTheContent) {
    PbsimRuntime pb(105);
    ASSERT_TRUE(pb.ok());
    TesselDll dll;
    ASSERT_EQ(1, dll.StartTessel());
    HWND grid = pb.Create(kGrid, 0, 300, 200);  // one 80-pixel column: no horizontal scroll bar
    ASSERT_NE(nullptr, grid);
    ASSERT_FALSE(GetWindowLongW(grid, GWL_STYLE) & WS_HSCROLL);
    dll.AttachDatawindow(grid, nullptr);
    PumpMessages();
    SendMessageW(grid, 11028, 0, RGB(0, 255, 0));  // the alternate-row colour
    HDC window = GetDC(grid);
    {
        Dib dib(250, 40, window);
        dib.Fill(RGB(255, 255, 255));
        HBRUSH green = CreateSolidBrush(RGB(0, 255, 0));
        HGDIOBJ old = SelectObject(dib.Dc(), green);
        HRGN region = CreateRectRgn(0, 0, 250, 20);
        PaintRgn(dib.Dc(), region);
        EXPECT_EQ(RGB(0, 255, 0), dib.At(40, 10));
        EXPECT_EQ(RGB(255, 255, 255), dib.At(200, 10)) << "cut at the content's right edge";
        SelectObject(dib.Dc(), old);
        DeleteObject(region);
        DeleteObject(green);
    }
    ReleaseDC(grid, window);
    dll.DettachDatawindow(grid);
    ASSERT_EQ(1, dll.StopTessel());
    DestroyWindow(grid);
}

TEST_F(HeaderPainting, FillRectWhilePrintingOnAnyContext) {
    // The corner box of the printed grid, in its window's coordinates.
    const LONG style = GetWindowLongW(grid, GWL_STYLE);
    ASSERT_TRUE((style & WS_HSCROLL) && (style & WS_VSCROLL));
    RECT window;
    GetWindowRect(grid, &window);
    OffsetRect(&window, -window.left, -window.top);
    const RECT corner = {window.right - GetSystemMetrics(SM_CXVSCROLL), window.bottom - GetSystemMetrics(SM_CYHSCROLL),
                         window.right, window.bottom};
    const RECT elsewhere = {2, 2, 12, 12};
    const COLORREF windowColour = GetSysColor(COLOR_WINDOW);
    const COLORREF red = RGB(255, 0, 0);
    HBRUSH redBrush = CreateSolidBrush(red);
    auto getHandle = reinterpret_cast<LONG_PTR(WINAPI*)(LONG_PTR, LONG_PTR)>(
        reinterpret_cast<void*>(GetProcAddress(pb.vm(), "FN_DWGetHandle")));
    ASSERT_NE(nullptr, getHandle);

    // Contexts that are not the DataWindow's: a memory context of the
    // screen, and another window's.
    HWND other = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 300, 300, 120, 120, nullptr,
                                 nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, other);
    UpdateWindow(other);
    Dib memory(120, 120);
    HDC otherDc = GetDC(other);
    struct Target {
        const char* name;
        HDC dc;
        bool window;
    };
    const Target targets[] = {{"memory", memory.Dc(), false}, {"other_window", otherDc, true}};
    auto pixel = [&](const Target& t, int x, int y) { return t.window ? GetPixel(t.dc, x, y) : memory.At(x, y); };

    for (int printing = 1; printing >= 0; --printing) {
        HANDLE printer = nullptr;
        if (printing) {
            wchar_t name[] = L"Tessel2U test printer";
            OpenPrinterW(name, &printer, nullptr);
            getHandle(reinterpret_cast<LONG_PTR>(grid), 0);
        }
        for (const Target& t : targets) {
            RECT all = {0, 0, 120, 120};
            FillRect(t.dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
            const int cornerResult = FillRect(t.dc, &corner, redBrush);
            const int otherResult = FillRect(t.dc, &elsewhere, redBrush);
            const int cx = (corner.left + corner.right) / 2, cy = (corner.top + corner.bottom) / 2;
            if (printing) {
                // The printed grid's corner box takes the window colour wherever it is filled.
                EXPECT_EQ(0, cornerResult) << t.name;
                EXPECT_EQ(windowColour, pixel(t, cx, cy)) << t.name;
            } else {
                EXPECT_NE(0, cornerResult) << t.name;
                EXPECT_EQ(red, pixel(t, cx, cy)) << t.name;
            }
            EXPECT_NE(0, otherResult) << t.name;
            EXPECT_EQ(red, pixel(t, 5, 5)) << t.name;
        }
        if (printing) ClosePrinter(printer);  // the last printer closed: the print is over
    }
    ReleaseDC(other, otherDc);
    DestroyWindow(other);
    DeleteObject(redBrush);
}
