// What the painters make of drawing calls on a memory context made from an
// attached DataWindow's window context: progress cells, sort marks, icon
// runs, vertical placement, pattern fills, thin header rectangles, the corner
// box, the text colour of selected rows and the grid lines while printing.
#include <gtest/gtest.h>
#include <windows.h>

#include <initializer_list>
#include <memory>
#include <string>

#include "dib.h"
#include "tessel_host.h"

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
bool Dark(COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c) < 300; }

class HeaderPainting : public TesselHost {
protected:
    void SetUp() override {
        TesselHost::SetUp();
        if (HasFatalFailure()) return;
        // Too small for its rows and its column: both scroll bars.
        grid = Attach(GridSyntax(1).Detail(20).Column(L"a", L"long", 80, L"A").Data(L"1 2 3").Text(), std::string(), 70,
                      70);
        HDC window = GetDC(grid);  // the memory context stays the DataWindow's once it is given back
        dib.reset(new Dib(200, 100, window));
        ReleaseDC(grid, window);
        dib->Fill(kWhite);
        SetBkMode(dib->Dc(), TRANSPARENT);
    }
    int DarkIn(int l, int t, int r, int b) const { return dib->Count(RECT{l, t, r, b}, Dark); }
    // 'D' for a dark pixel, 'W' for a white one, 'L' for the grid-line colour, 'S' for the selected one, '.' else.
    std::string Shades(std::initializer_list<POINT> points) const {
        std::string s;
        for (POINT p : points) {
            const COLORREF c = dib->At(p.x, p.y);
            s += Dark(c) ? 'D' : c == kWhite ? 'W' : c == GetSysColor(COLOR_3DLIGHT) ? 'L' : c == 0xFFD5AA ? 'S' : '.';
        }
        return s;
    }
    int Draw(const wchar_t* text, RECT cell, UINT format = DT_LEFT) {
        dib->Fill(kWhite);
        std::wstring copy = text;
        return DrawTextExW(dib->Dc(), &copy[0], -1, &cell, format, nullptr);
    }
    HWND grid = nullptr;
    const RECT corner = {70 - 17, 70 - 17, 70, 70};  // between the scroll bars, in window coordinates
    std::unique_ptr<Dib> dib;
};

}  // namespace

// A bar of the wrong length or height, bad percentages taken as bars, overflow on huge ones, the colours.
TEST_F(HeaderPainting, ProgressCells) {
    // progress{45} in (10, 10)-(110, 30): a bar from x = 9 to 55, 3 pixels short of top and bottom.
    EXPECT_EQ(1, Draw(L"progress{45}", RECT{10, 10, 110, 30}));
    EXPECT_EQ("DDDWWW", Shades({{9, 20}, {54, 20}, {30, 13}, {57, 20}, {30, 11}, {30, 28}}));
    Draw(L"progress{150}", RECT{10, 40, 60, 60});  // one and a half cells
    EXPECT_EQ("DW", Shades({{80, 50}, {90, 50}}));
    for (const wchar_t* text : {L"progress{0}", L"progress{-5}", L"progress{45"}) {
        Draw(text, RECT{10, 10, 190, 30});
        EXPECT_GT(DarkIn(10, 10, 190, 30), 20) << "drawn as text";
        EXPECT_EQ("W", Shades({{9, 20}}));
    }
    Draw(L"progress{45:255:16777215}", RECT{10, 10, 110, 30});  // a red bar with the white text 45% on it
    EXPECT_TRUE(GetRValue(dib->At(50, 14)) > 200 && GetGValue(dib->At(50, 14)) < 120) << dib->At(50, 14);
    EXPECT_GT(dib->Count(RECT{11, 13, 50, 27}, [](COLORREF c) { return GetGValue(c) > 180; }), 5);
}

// A sort text with a count: the suffix drawn, the caller's read-only text written, or a read past it.
TEST_F(HeaderPainting, ReadOnlySortTextWithACount) {
    const wchar_t kText[] = L"Abcdefghijklmno sort:D";
    auto* page = static_cast<wchar_t*>(VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    ASSERT_NE(nullptr, page);
    wcscpy(page, kText);
    DWORD old = 0;
    ASSERT_TRUE(VirtualProtect(page, 4096, PAGE_READONLY, &old));
    for (int n : {static_cast<int>(wcslen(kText)), -1}) {
        SCOPED_TRACE(n);
        dib->Fill(kWhite);
        RECT cell = {10, 10, 190, 40};
        EXPECT_GT(DrawTextExW(dib->Dc(), page, n, &cell, DT_LEFT, nullptr), 0);
        EXPECT_EQ(std::wstring(kText), page);
        EXPECT_EQ(179, cell.right);
        EXPECT_GT(DarkIn(10, 10, 120, 40), 20);
        EXPECT_EQ(0, DarkIn(140, 10, 170, 40)) << "nothing drawn after the text";
        EXPECT_GT(DarkIn(176, 10, 190, 40), 3) << "the mark";
    }
    VirtualFree(page, 0, MEM_RELEASE);
}

// The mark's place and direction, the suffix left in the buffer, a short text not centred.
TEST_F(HeaderPainting, SortMarksAndVerticalPlacement) {
    wchar_t text[] = L"Name sort:a", alone[] = L" sort:A";  // the suffix alone is text
    RECT cell = {10, 10, 110, 40}, other = cell;
    DrawTextExW(dib->Dc(), text, -1, &cell, DT_RIGHT, nullptr);
    DrawTextExW(dib->Dc(), alone, -1, &other, DT_LEFT, nullptr);
    EXPECT_EQ(L"Name, sort:A", std::wstring(text) + L"," + alone);
    EXPECT_TRUE(cell.right == 99 && cell.top == 10) << cell.right << ", " << cell.top;
    EXPECT_EQ("DW", Shades({{102, 26}, {102, 21}}));  // an upward triangle, apex at (102, 24)
    Draw(L"Mid", RECT{10, 0, 110, 100}, DT_LEFT | DT_TOP);
    EXPECT_EQ(0, DarkIn(10, 0, 110, 35));
    EXPECT_GT(DarkIn(10, 40, 110, 60), 5);
}

// Pattern fills not widened or their brush left selected, header lines not recoloured, the corner box, text colours.
TEST_F(HeaderPainting, FillsOfTheDataWindow) {
    HDC dc = dib->Dc();
    SelectObject(dc, GetStockObject(BLACK_BRUSH));
    PatBlt(dc, 10, 10, 5, 5, PATCOPY);  // one pixel wider to the left, in the selected colour
    EXPECT_EQ(GetStockObject(BLACK_BRUSH), GetCurrentObject(dc, OBJ_BRUSH));
    EXPECT_EQ("WSSW", Shades({{8, 12}, {9, 12}, {14, 12}, {15, 12}}));
    // A thin dark rectangle without a pen in the header: the grid-line colour, one pixel narrower; below it, as it is.
    SelectObject(dc, GetStockObject(NULL_PEN));
    Rectangle(dc, 10, 5, 40, 7);
    Rectangle(dc, 10, 40, 40, 42);
    EXPECT_EQ("LLWDD", Shades({{20, 5}, {37, 5}, {38, 5}, {20, 40}, {38, 40}}));

    HDC frame = GetWindowDC(grid);  // the corner box is left in the window colour
    EXPECT_EQ(0, FillRect(frame, &corner, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))));
    ReleaseDC(grid, frame);

    // Selected rows keep their text colour, unless the table replaces the highlight text.
    SetTextColor(dc, RGB(1, 2, 3));
    EXPECT_EQ(GetSysColor(COLOR_WINDOWTEXT), SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT)));
    EXPECT_EQ(RGB(1, 2, 3), GetTextColor(dc));
    const COLORREF highlightText = GetSysColor(COLOR_HIGHLIGHTTEXT);
    dll.ReplaceSysColor(COLOR_HIGHLIGHTTEXT, RGB(9, 9, 9));
    EXPECT_EQ(RGB(9, 9, 9), SetTextColor(dc, highlightText));
}

// While the DataWindow prints, lines on any context are grid lines and its corner box keeps the window colour.
TEST_F(HeaderPainting, GridLinesAndCornerBoxWhilePrinting) {
    auto getHandle = PbsimRuntime::Proc<LONG_PTR(WINAPI*)(HWND, LONG_PTR)>(pb->vm(), "FN_DWGetHandle");
    ASSERT_NE(nullptr, getHandle);
    Dib memory(120, 120);  // of no window, black
    HDC dc = memory.Dc();
    SelectObject(dc, GetStockObject(BLACK_PEN));
    HANDLE printer = nullptr;
    OpenPrinterW(const_cast<wchar_t*>(L"Tessel2U test printer"), &printer, nullptr);
    getHandle(grid, 0);  // the runtime names the DataWindow it prints
    RECT elsewhere = {2, 2, 12, 12};
    EXPECT_EQ(0, FillRect(dc, &corner, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))));
    EXPECT_NE(0, FillRect(dc, &elsewhere, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))));
    MoveToEx(dc, 0, 20, nullptr);
    LineTo(dc, 40, 20);
    ClosePrinter(printer);
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), memory.At(60, 60)) << "the corner box";
    EXPECT_EQ(GetSysColor(COLOR_3DLIGHT), memory.At(20, 20)) << "the line";
}
