// Hover and cell selection on attached grids, driven by real mouse messages:
// the translucent band over the row under the mouse, read back in pixels;
// the selection written into the DataWindow, its red frame, and the
// statistics of its numbers in the host's information target.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h.
#include <commctrl.h>

#include <ostream>
#include <string>
#include <vector>

#include "dib.h"
#include "ini_file.h"
#include "label_settings.h"
#include "message_pump.h"
#include "pbsim_runtime.h"
#include "tessel_dll.h"
#include "window_surface.h"

namespace {

// Columns a (long), n (number) and c (text); twenty rows of 20 pixels.
std::wstring Grid(const wchar_t* numbers) {
    std::wstring syntax =
        L"release 10;\n"
        L"datawindow(units=1 processing=1 selected.mouse=no)\n"
        L"header(height=24)\n"
        L"detail(height=20)\n"
        L"table(column=(type=long name=a dbname=\"a\") column=(type=number name=n dbname=\"n\") "
        L"column=(type=char(20) name=c dbname=\"c\"))\n"
        L"text(band=header text=\"A\" border=\"0\" x=\"1\" y=\"1\" height=\"20\" width=\"60\" name=a_t)\n"
        L"text(band=header text=\"N\" border=\"0\" x=\"62\" y=\"1\" height=\"20\" width=\"80\" name=n_t)\n"
        L"text(band=header text=\"C\" border=\"0\" x=\"143\" y=\"1\" height=\"20\" width=\"100\" name=c_t)\n"
        L"column(band=detail id=1 x=\"1\" y=\"1\" height=\"18\" width=\"60\" name=a visible=\"1\")\n"
        L"column(band=detail id=2 x=\"62\" y=\"1\" height=\"18\" width=\"80\" name=n visible=\"1\")\n"
        L"column(band=detail id=3 x=\"143\" y=\"1\" height=\"18\" width=\"100\" name=c visible=\"1\")\n"
        L"data(";
    return syntax + numbers + L")\n";
}

std::wstring Rows(const std::vector<const wchar_t*>& numbers) {
    std::wstring data;
    for (size_t i = 0; i < 20; ++i) {
        data += std::to_wstring(i + 1) + L" " + (i < numbers.size() ? numbers[i] : L"0") + L" \"x\" ";
    }
    return data;
}

constexpr UINT kHoverColor = 11039;
constexpr UINT kInfoTarget = 11041;
constexpr int kHeader = 24;
constexpr int kRow = 20;

// The client area, row by row.
std::vector<COLORREF> ClientPixels(HWND window, int* width) {
    const WindowSurface surface(window, WindowSurface::Client);
    *width = surface.Width();
    return surface.Pixels();
}

bool Near(int a, int b) { return a - b <= 3 && b - a <= 3; }

class MouseFeedback : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pb.ok());
        ASSERT_EQ(dll.StartTessel(), 1);
    }
    void TearDown() override {
        ClearProcessLabels(dll);
        for (HWND h : windows) dll.DettachDatawindow(h);
        dll.StopTessel();
        for (HWND h : windows) DestroyWindow(h);
        if (target) DestroyWindow(target);
    }
    HWND Attached(const std::wstring& syntax) {
        HWND h = pb.Create(syntax.c_str(), 0, 300, kHeader + 10 * kRow + 2);
        EXPECT_NE(h, nullptr) << pb.LastError();
        windows.push_back(h);
        dll.AttachDatawindow(h, nullptr);
        PumpMessages();
        UpdateWindow(h);
        return h;
    }
    void Move(HWND dw, int x, int y) {
        SendMessageW(dw, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
        PumpMessages();
    }
    std::wstring InfoText() const {
        wchar_t text[512] = {};
        GetWindowTextW(target, text, 512);
        return text;
    }
    // The statistics of a drag from cell (2, 1) over cell (3, 2) to cell
    // (4, 3), in an information target of their own. The step between makes
    // the last cell a new one for every drag (the last cell under the mouse
    // is remembered across drags and DataWindows).
    std::wstring DragStatistics(HWND grid) {
        if (!target)
            target = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
        SetWindowTextW(target, L"");
        SendMessageW(grid, kInfoTarget, 0, reinterpret_cast<LPARAM>(target));
        wchar_t error[64];
        EXPECT_EQ(1, pb.ScriptModify(grid, L"DataWindow.Selected.Mouse=yes", error, 64));
        SendMessageW(grid, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, kHeader + kRow + 10));
        PumpMessages();
        Move(grid, 100, kHeader + 2 * kRow + 10);
        Move(grid, 200, kHeader + 3 * kRow + 10);
        SendMessageW(grid, WM_LBUTTONUP, 0, MAKELPARAM(200, kHeader + 3 * kRow + 10));
        PumpMessages();
        return InfoText();
    }
    PbsimRuntime pb{TestRuntimeGeneration()};
    TesselDll dll;
    std::vector<HWND> windows;
    HWND target = nullptr;
};

}  // namespace

TEST_F(MouseFeedback, HoverBandOverTheRowUnderTheMouse) {
    HWND grid = Attached(Grid(Rows({}).c_str()));
    // Default settings: back and hover colours are both white, no band.
    int width = 0;
    const std::vector<COLORREF> before = ClientPixels(grid, &width);
    Move(grid, 100, kHeader + 2 * kRow + 10);
    EXPECT_EQ(before, ClientPixels(grid, &width));

    // Blue hover, rows 3 on at the top: over row 5 the band lies two rows
    // under the header, one row high, and blends half and half.
    SendMessageW(grid, kHoverColor, 0, 0xFF0000);
    SendMessageW(grid, WM_VSCROLL, SB_LINEDOWN, 0);
    SendMessageW(grid, WM_VSCROLL, SB_LINEDOWN, 0);
    UpdateWindow(grid);
    ASSERT_EQ(L"3", pb.Describe(grid, L"DataWindow.FirstRowOnPage"));
    Move(grid, 10, kHeader + 5);  // row 3 first, so that row 5 is a new cell
    const std::vector<COLORREF> plain = ClientPixels(grid, &width);
    Move(grid, 100, kHeader + 2 * kRow + 10);
    const std::vector<COLORREF> hovered = ClientPixels(grid, &width);
    const int inside = (kHeader + 2 * kRow + 15) * width + 238;   // right of the text in column c
    const int outside = (kHeader + 3 * kRow + 10) * width + 238;
    EXPECT_TRUE(Near(GetRValue(hovered[inside]), (GetRValue(plain[inside]) + 0) / 2));
    EXPECT_TRUE(Near(GetBValue(hovered[inside]), (GetBValue(plain[inside]) + 255) / 2));
    EXPECT_EQ(plain[outside], hovered[outside]);
    // The same cell again: nothing is drawn over the band a second time, and
    // the DataWindow is not asked anything.
    const LONG describes = pb.GetDescribeCount(grid);
    Move(grid, 110, kHeader + 2 * kRow + 12);
    EXPECT_EQ(hovered[inside], ClientPixels(grid, &width)[inside]);
    EXPECT_EQ(describes, pb.GetDescribeCount(grid));

    // With the down-arrow key held the band waits: moving on to row 7 leaves
    // row 7 as it was.
    auto key = [](WORD vk, DWORD flags) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = vk;
        input.ki.dwFlags = flags;
        SendInput(1, &input, sizeof(input));
    };
    const int row7 = (kHeader + 4 * kRow + 15) * width + 238;
    const std::vector<COLORREF> beforeKey = ClientPixels(grid, &width);
    key(VK_DOWN, 0);
    PumpMessages();
    ASSERT_TRUE(GetAsyncKeyState(VK_DOWN) & 0x8000);
    Move(grid, 100, kHeader + 4 * kRow + 10);
    const std::vector<COLORREF> held = ClientPixels(grid, &width);
    key(VK_DOWN, KEYEVENTF_KEYUP);
    PumpMessages();
    EXPECT_EQ(beforeKey[row7], held[row7]);
}

TEST_F(MouseFeedback, DraggedSelectionWithFrameAndStatistics) {
    HWND grid = Attached(Grid(Rows({L"0", L"1.5", L"2", L"2.5"}).c_str()));
    target = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    SendMessageW(grid, kInfoTarget, 0, reinterpret_cast<LPARAM>(target));
    wchar_t error[64];
    ASSERT_EQ(1, pb.ScriptModify(grid, L"DataWindow.Selected.Mouse=yes", error, 64));

    // Button down in cell (2, 1), then over cell (2, 1) again: nothing yet.
    const int row2 = kHeader + kRow + 10;
    SendMessageW(grid, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, row2));
    PumpMessages();
    ASSERT_EQ(grid, GetCapture());
    pb.ClearModifyLog(grid);
    const LONG describes = pb.GetDescribeCount(grid);
    Move(grid, 25, row2 + 2);
    EXPECT_TRUE(pb.ModifyLog(grid).empty());
    EXPECT_EQ(describes, pb.GetDescribeCount(grid));  // nothing asked within the cell
    // Over cell (4, 3). The frame is drawn on the window at once; the
    // DataWindow's next paint takes it away again, so it is read before.
    SendMessageW(grid, WM_MOUSEMOVE, 0, MAKELPARAM(200, kHeader + 3 * kRow + 10));
    int width = 0;
    const std::vector<COLORREF> pixels = ClientPixels(grid, &width);
    PumpMessages();
    EXPECT_EQ(std::vector<std::wstring>{L"DataWindow.Selected='2/4/a/n/c'"}, pb.ModifyLog(grid));
    EXPECT_EQ(L"2/4/a/n/c", pb.Describe(grid, L"DataWindow.Selected"));
    // Columns a (long) and n (number) count: 2, 3, 4 and 1.5, 2, 2.5.
    EXPECT_EQ(std::wstring(L"合计 \t 15\r\n平均 \t 2.5\r\n最大 \t 4\r\n最小 \t 1.5"), InfoText());
    // The red frame around the cells, from column a's left to column c's right.
    const COLORREF onLeft = pixels[(kHeader + 2 * kRow) * width + 1];
    EXPECT_GT(GetRValue(onLeft), GetGValue(onLeft) + 60);
    SendMessageW(grid, WM_LBUTTONUP, 0, MAKELPARAM(200, kHeader + 3 * kRow + 10));
    PumpMessages();
    EXPECT_EQ(nullptr, GetCapture());
}

TEST_F(MouseFeedback, StatisticsInTheTooltip) {
    // Without an information target the statistics go to the tooltip, which
    // the library makes for the DataWindow (owned by its top-level window).
    HWND grid = Attached(Grid(Rows({L"0", L"1.5", L"2", L"2.5"}).c_str()));
    wchar_t error[64];
    ASSERT_EQ(1, pb.ScriptModify(grid, L"DataWindow.Selected.Mouse=yes", error, 64));
    SendMessageW(grid, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, kHeader + kRow + 10));
    PumpMessages();
    Move(grid, 200, kHeader + 3 * kRow + 10);
    HWND tip = nullptr;
    while ((tip = FindWindowExW(nullptr, tip, L"tooltips_class32", nullptr)) != nullptr) {
        if (GetWindow(tip, GW_OWNER) == GetAncestor(grid, GA_ROOT)) break;
    }
    ASSERT_NE(nullptr, tip);
    TOOLINFOW tool = {};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    ASSERT_TRUE(SendMessageW(tip, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&tool)));
    std::vector<wchar_t> text(1024, L'\0');
    tool.lpszText = text.data();
    SendMessageW(tip, TTM_GETTEXTW, text.size(), reinterpret_cast<LPARAM>(&tool));
    EXPECT_EQ(std::wstring(L"合计 \t 15\r\n平均 \t 2.5\r\n最大 \t 4\r\n最小 \t 1.5"), std::wstring(text.data()));
    SendMessageW(grid, WM_LBUTTONUP, 0, MAKELPARAM(200, kHeader + 3 * kRow + 10));
    PumpMessages();
}

TEST_F(MouseFeedback, StatisticsOnlyForMoreThanOneCellWithNumbers) {
    HWND grid = Attached(Grid(Rows({L"-1", L"-2", L"-3"}).c_str()));
    target = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    SendMessageW(grid, kInfoTarget, 0, reinterpret_cast<LPARAM>(target));
    wchar_t error[64];
    ASSERT_EQ(1, pb.ScriptModify(grid, L"DataWindow.Selected.Mouse=yes", error, 64));
    auto drag = [&](int x1, int y1, int x2, int y2) {
        SetWindowTextW(target, L"");
        SendMessageW(grid, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x1, y1));
        PumpMessages();
        Move(grid, x2, y2);
        const std::wstring text = InfoText();
        SendMessageW(grid, WM_LBUTTONUP, 0, MAKELPARAM(x2, y2));
        PumpMessages();
        return text;
    };
    // One row, columns n and c: statistics over the one number; the empty
    // line after the data's last line feed is no number.
    EXPECT_EQ(std::wstring(L"合计 \t -1\r\n平均 \t -1\r\n最大 \t -1\r\n最小 \t -1"),
              drag(100, kHeader + 10, 200, kHeader + 12));
    // Rows 1 to 3 of column n only: the maximum of negative numbers.
    EXPECT_EQ(std::wstring(L"合计 \t -6\r\n平均 \t -2\r\n最大 \t -1\r\n最小 \t -3"),
              drag(100, kHeader + 10, 100, kHeader + 2 * kRow + 10));
    // Rows 1 to 3 of the text column c: no number, no statistics.
    EXPECT_EQ(L"", drag(200, kHeader + 10, 200, kHeader + 2 * kRow + 10));
}

TEST_F(MouseFeedback, TheDataWindowsOwnSelectionByItsFirstAndLastColumn) {
    HWND grid = Attached(Grid(Rows({L"0", L"1.5", L"2", L"2.5"}).c_str()));
    target = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    SendMessageW(grid, kInfoTarget, 0, reinterpret_cast<LPARAM>(target));
    // A selection the DataWindow made itself, named by its first and last
    // column, while it holds the mouse: columns a to c, so n is among them.
    wchar_t error[64];
    ASSERT_EQ(1, pb.ScriptModify(grid, L"DataWindow.Selected='2/4/a/c'", error, 64));
    SetCapture(grid);
    pb.ClearModifyLog(grid);
    Move(grid, 100, kHeader + 6 * kRow + 10);
    EXPECT_TRUE(pb.ModifyLog(grid).empty());  // nothing is written into the DataWindow
    EXPECT_EQ(std::wstring(L"合计 \t 15\r\n平均 \t 2.5\r\n最大 \t 4\r\n最小 \t 1.5"), InfoText());
    ReleaseCapture();
}

namespace {

// Column types and whether the statistics count them; rows 1 to 3 of column
// v hold 4, 2 and -3.
struct ColumnType {
    const char* name;
    const wchar_t* type;
    const wchar_t* statistics;
};

const ColumnType kColumnTypes[] = {
    {"number", L"number", L"合计 \t 3\r\n平均 \t 1\r\n最大 \t 4\r\n最小 \t -3"},
    {"long", L"long", L"合计 \t 3\r\n平均 \t 1\r\n最大 \t 4\r\n最小 \t -3"},
    {"ulong", L"ulong", L"合计 \t 3\r\n平均 \t 1\r\n最大 \t 4\r\n最小 \t -3"},
    {"int", L"int", L"合计 \t 3\r\n平均 \t 1\r\n最大 \t 4\r\n最小 \t -3"},
    {"real", L"real", L"合计 \t 3\r\n平均 \t 1\r\n最大 \t 4\r\n最小 \t -3"},
    {"decimal_2", L"decimal(2)", L"合计 \t 3\r\n平均 \t 1\r\n最大 \t 4\r\n最小 \t -3"},
    {"decimal_0", L"decimal(0)", L"合计 \t 3\r\n平均 \t 1\r\n最大 \t 4\r\n最小 \t -3"},
    {"char", L"char(10)", L""},
};

class SelectionColumnTypes : public MouseFeedback, public ::testing::WithParamInterface<ColumnType> {};

// Three columns of 150 pixels in a window 300 wide: the grid scrolls both ways.
std::wstring WideGrid() {
    std::wstring syntax =
        L"release 10;\n"
        L"datawindow(units=1 processing=1 selected.mouse=yes)\n"
        L"header(height=24)\n"
        L"detail(height=20)\n"
        L"table(column=(type=long name=a dbname=\"a\") column=(type=long name=b dbname=\"b\") "
        L"column=(type=long name=c dbname=\"c\"))\n"
        L"text(band=header text=\"A\" border=\"0\" x=\"1\" y=\"1\" height=\"20\" width=\"150\" name=a_t)\n"
        L"text(band=header text=\"B\" border=\"0\" x=\"151\" y=\"1\" height=\"20\" width=\"150\" name=b_t)\n"
        L"text(band=header text=\"C\" border=\"0\" x=\"301\" y=\"1\" height=\"20\" width=\"150\" name=c_t)\n"
        L"column(band=detail id=1 x=\"1\" y=\"1\" height=\"18\" width=\"150\" name=a visible=\"1\")\n"
        L"column(band=detail id=2 x=\"151\" y=\"1\" height=\"18\" width=\"150\" name=b visible=\"1\")\n"
        L"column(band=detail id=3 x=\"301\" y=\"1\" height=\"18\" width=\"150\" name=c visible=\"1\")\n"
        L"data(";
    for (int i = 1; i <= 30; ++i) syntax += std::to_wstring(i) + L" 0 0 ";
    return syntax + L")\n";
}

bool Red(COLORREF c) { return GetRValue(c) > GetGValue(c) + 60 && GetRValue(c) > GetBValue(c) + 60; }

// A red line across pixel row y (anti-aliased over y - 1 to y + 1) at x.
bool RedAcross(const std::vector<COLORREF>& pixels, int width, int x, int y) {
    return Red(pixels[(y - 1) * width + x]) || Red(pixels[y * width + x]) || Red(pixels[(y + 1) * width + x]);
}

}  // namespace

TEST_P(SelectionColumnTypes, NumbersOfEveryNumericType) {
    const std::wstring syntax = std::wstring(
        L"release 10;\n"
        L"datawindow(units=1 processing=1 selected.mouse=yes)\n"
        L"header(height=24)\n"
        L"detail(height=20)\n"
        L"table(column=(type=char(10) name=k dbname=\"k\") column=(type=") + GetParam().type +
        L" name=v dbname=\"v\"))\n"
        L"column(band=detail id=1 x=\"1\" y=\"1\" height=\"18\" width=\"60\" name=k visible=\"1\")\n"
        L"column(band=detail id=2 x=\"62\" y=\"1\" height=\"18\" width=\"80\" name=v visible=\"1\")\n"
        L"data(\"x\" 4 \"y\" 2 \"z\" -3 \"w\" 100)\n";
    HWND grid = Attached(syntax);
    target = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    SendMessageW(grid, kInfoTarget, 0, reinterpret_cast<LPARAM>(target));
    SendMessageW(grid, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, kHeader + 10));
    PumpMessages();
    Move(grid, 100, kHeader + 2 * kRow + 10);
    SendMessageW(grid, WM_LBUTTONUP, 0, MAKELPARAM(100, kHeader + 2 * kRow + 10));
    PumpMessages();
    EXPECT_EQ(L"1/3/v", pb.Describe(grid, L"DataWindow.Selected"));
    EXPECT_EQ(std::wstring(GetParam().statistics), InfoText());
}

INSTANTIATE_TEST_SUITE_P(Types, SelectionColumnTypes, ::testing::ValuesIn(kColumnTypes),
                         [](const ::testing::TestParamInfo<ColumnType>& info) { return std::string(info.param.name); });

TEST_F(MouseFeedback, FrameWhereTheCellsAreAfterScrolling) {
    HWND grid = Attached(WideGrid());
    // Rows 4 on at the top, 50 pixels scrolled out at the left.
    for (int i = 0; i < 3; ++i) SendMessageW(grid, WM_VSCROLL, SB_LINEDOWN, 0);
    for (int i = 0; i < 5; ++i) SendMessageW(grid, WM_HSCROLL, SB_LINERIGHT, 0);
    UpdateWindow(grid);
    PumpMessages();
    ASSERT_EQ(L"4", pb.Describe(grid, L"DataWindow.FirstRowOnPage"));
    // From cell (5, b) to cell (6, c): b starts 101 pixels into the client
    // area (151 less the 50 scrolled out), row 5 one row under the header.
    SendMessageW(grid, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(150, kHeader + kRow + 10));
    PumpMessages();
    ASSERT_EQ(grid, GetCapture());
    SendMessageW(grid, WM_MOUSEMOVE, 0, MAKELPARAM(270, kHeader + 2 * kRow + 10));
    int width = 0;
    const std::vector<COLORREF> pixels = ClientPixels(grid, &width);
    PumpMessages();
    SendMessageW(grid, WM_LBUTTONUP, 0, MAKELPARAM(270, kHeader + 2 * kRow + 10));
    PumpMessages();
    ASSERT_EQ(L"5/6/b/c", pb.Describe(grid, L"DataWindow.Selected"));
    const int middle = kHeader + kRow + 20;  // between rows 5 and 6
    EXPECT_TRUE(Red(pixels[middle * width + 101]));
    EXPECT_TRUE(RedAcross(pixels, width, 180, kHeader + kRow));       // top edge over row 5
    EXPECT_TRUE(RedAcross(pixels, width, 180, kHeader + 3 * kRow));   // bottom edge under row 6
    EXPECT_FALSE(RedAcross(pixels, width, 180, kHeader + 4 * kRow));  // where row 5 is unscrolled
    EXPECT_FALSE(Red(pixels[middle * width + 151]));                // where b is unscrolled
}

TEST_F(MouseFeedback, FrameClippedToTheDetailArea) {
    HWND grid = Attached(WideGrid());
    for (int i = 0; i < 3; ++i) SendMessageW(grid, WM_VSCROLL, SB_LINEDOWN, 0);
    UpdateWindow(grid);
    PumpMessages();
    // Rows 1 to 5, of which rows 1 to 3 are scrolled out above the page: the
    // frame's sides run down from the header, whose cells stay as they are.
    wchar_t error[64];
    ASSERT_EQ(1, pb.ScriptModify(grid, L"DataWindow.Selected='1/5/a/a'", error, 64));
    int width = 0;
    const std::vector<COLORREF> before = ClientPixels(grid, &width);
    SetCapture(grid);
    SendMessageW(grid, WM_MOUSEMOVE, 0, MAKELPARAM(100, kHeader + 3 * kRow + 10));
    const std::vector<COLORREF> pixels = ClientPixels(grid, &width);
    ReleaseCapture();
    PumpMessages();
    // The left side, anti-aliased over the pixel columns either side of x 1.
    const COLORREF* side = &pixels[(kHeader + 10) * width];
    EXPECT_TRUE(Red(side[0]) || Red(side[1]) || Red(side[2]))
        << std::hex << side[0] << " " << side[1] << " " << side[2];
    EXPECT_TRUE(RedAcross(pixels, width, 100, kHeader + 2 * kRow));  // bottom edge under row 5
    for (int y = 0; y < kHeader; ++y)
        EXPECT_EQ(before[y * width + 1], pixels[y * width + 1]) << "header row " << y;
}

namespace {

// The grid lines: the configured pen style for thin lines in grids, the
// caller's own pen otherwise, always in the line colour (red here).
struct GridLinePen {
    const char* name;
    const char* settings;
    bool grid;
    int callerWidth;
    int longestRun;  // of red pixels along the line, over 120 pixels
    int minRuns;     // separate pieces of the line
    int maxRuns;
    int thickness;   // red pixels across the line
};

const GridLinePen kGridLinePens[] = {
    {"solid", "[datawindow]\r\nlineColor=255\r\n", true, 1, 120, 1, 1, 1},
    {"dash", "[datawindow]\r\nlineColor=255\r\nlineStyle=1\r\n", true, 1, 18, 4, 7, 1},
    {"dot", "[datawindow]\r\nlineColor=255\r\nlineStyle=2\r\n", true, 1, 3, 15, 25, 1},
    {"wide_pen_stays_solid", "[datawindow]\r\nlineColor=255\r\nlineStyle=2\r\n", true, 2, 120, 1, 1, 2},
    {"freeform_keeps_its_pen", "[datawindow]\r\nlineColor=255\r\nlineStyle=2\r\n", false, 1, 120, 1, 1, 1},
};

class GridLines : public MouseFeedback, public ::testing::WithParamInterface<GridLinePen> {};

}  // namespace

TEST_P(GridLines, PenStyleAndWidthOfTheLineColour) {
    const GridLinePen& p = GetParam();
    std::wstring syntax = Grid(Rows({}).c_str());
    if (!p.grid) syntax.replace(syntax.find(L"processing=1"), 12, L"processing=0");
    HWND dw = Attached(syntax);
    IniFile settings(dll.h, L"t2u_grid_lines.ini", p.settings);
    ASSERT_EQ(1, dll.AttachDatawindow(dw, settings.Name()));

    HDC window = GetDC(dw);
    int longest = 0, runs = 0, thickness = 0;
    {
        Dib dib(160, 30, window);  // paints as the DataWindow
        dib.Fill(RGB(255, 255, 255));
        HPEN black = CreatePen(PS_SOLID, p.callerWidth, RGB(0, 0, 0));
        HGDIOBJ old = SelectObject(dib.Dc(), black);
        MoveToEx(dib.Dc(), 20, 15, nullptr);
        EXPECT_TRUE(LineTo(dib.Dc(), 140, 15));
        SelectObject(dib.Dc(), old);
        DeleteObject(black);
        int run = 0;
        for (int x = 20; x < 140; ++x) {
            const bool red = dib.At(x, 15) == RGB(255, 0, 0);
            if (red && run == 0) ++runs;
            run = red ? run + 1 : 0;
            if (run > longest) longest = run;
        }
        // Across the line where its first piece starts.
        int across = 20;
        while (across < 140 && dib.At(across, 15) != RGB(255, 0, 0)) ++across;
        for (int y = 0; y < 30; ++y) thickness += dib.At(across + 1, y) == RGB(255, 0, 0) ? 1 : 0;
        EXPECT_EQ(0, dib.Count(RECT{0, 0, 160, 30}, [](COLORREF c) { return c == RGB(0, 0, 0); })) << "no black left";
    }
    ReleaseDC(dw, window);
    EXPECT_EQ(p.longestRun, longest);
    EXPECT_GE(runs, p.minRuns);
    EXPECT_LE(runs, p.maxRuns);
    EXPECT_EQ(p.thickness, thickness);
}

INSTANTIATE_TEST_SUITE_P(Pens, GridLines, ::testing::ValuesIn(kGridLinePens),
                         [](const ::testing::TestParamInfo<GridLinePen>& info) { return std::string(info.param.name); });

namespace {

// WM_PAINT messages a window receives, counted by a subclass over the
// DataWindow's own procedure.
struct PaintCounter {
    static WNDPROC s_previous;
    static int s_paints;
    static LRESULT CALLBACK Procedure(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_PAINT) ++s_paints;
        return CallWindowProcW(s_previous, h, msg, wParam, lParam);
    }
    explicit PaintCounter(HWND window) : m_window(window) {
        s_paints = 0;
        s_previous = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PaintCounter::Procedure)));
    }
    ~PaintCounter() { SetWindowLongPtrW(m_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(s_previous)); }
    HWND m_window;
};
WNDPROC PaintCounter::s_previous = nullptr;
int PaintCounter::s_paints = 0;

// The pixels of one detail row (rows counted on the page from 1), right of
// the text of column c.
COLORREF RowPixel(const std::vector<COLORREF>& pixels, int width, int row) {
    return pixels[(kHeader + (row - 1) * kRow + 15) * width + 238];
}

}  // namespace

TEST_F(MouseFeedback, HoverBandFollowsTheRowAndStaysWithinIt) {
    HWND grid = Attached(Grid(Rows({}).c_str()));
    SendMessageW(grid, kHoverColor, 0, 0xFF0000);
    PumpMessages();
    UpdateWindow(grid);
    int width = 0;
    const std::vector<COLORREF> plain = ClientPixels(grid, &width);

    Move(grid, 20, kHeader + 1 * kRow + 10);  // row 2
    const std::vector<COLORREF> overRow2 = ClientPixels(grid, &width);
    EXPECT_NE(RowPixel(plain, width, 2), RowPixel(overRow2, width, 2));
    EXPECT_TRUE(Near(GetBValue(RowPixel(overRow2, width, 2)), (GetBValue(RowPixel(plain, width, 2)) + 255) / 2));

    // On to row 4: row 2 shows its own colours again, row 4 the band.
    Move(grid, 20, kHeader + 3 * kRow + 10);
    const std::vector<COLORREF> overRow4 = ClientPixels(grid, &width);
    for (int y = kHeader + kRow - 2; y < kHeader + 2 * kRow + 2; ++y) {
        ASSERT_EQ(plain[y * width + 238], overRow4[y * width + 238]) << "y " << y;
        ASSERT_EQ(plain[y * width + 150], overRow4[y * width + 150]) << "y " << y;
    }
    EXPECT_EQ(RowPixel(overRow2, width, 2), RowPixel(overRow4, width, 4));

    // Over columns n and c of row 4: nothing is painted, the band stays.
    {
        PaintCounter counter(grid);
        Move(grid, 100, kHeader + 3 * kRow + 12);
        Move(grid, 200, kHeader + 3 * kRow + 8);
        EXPECT_EQ(0, PaintCounter::s_paints);
    }
    EXPECT_EQ(overRow4, ClientPixels(grid, &width));

    // A paint of another part of the grid leaves the band; within the row
    // it is not drawn a second time over itself.
    RECT elsewhere = {0, kHeader + 6 * kRow, 300, kHeader + 8 * kRow};
    RedrawWindow(grid, &elsewhere, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    Move(grid, 100, kHeader + 3 * kRow + 10);
    EXPECT_EQ(overRow4, ClientPixels(grid, &width));

    // Once the DataWindow has painted over the band, the next move within
    // the row brings it back, once.
    RedrawWindow(grid, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(RowPixel(plain, width, 4), RowPixel(ClientPixels(grid, &width), width, 4));
    Move(grid, 20, kHeader + 3 * kRow + 10);
    EXPECT_EQ(overRow4, ClientPixels(grid, &width));
}

namespace {

// A drag from the cell (row, column) of the button-down through further
// cells, and which cells are selected after it (rows 1 to 5, columns a, n, c).
struct DragCase {
    const char* name;
    POINT down;  // row, column
    std::vector<POINT> steps;
    const char* selected[5];  // per row: '1' selected, '0' not, per column
};

void PrintTo(const DragCase& c, std::ostream* os) { *os << c.name; }

class DragSteps : public MouseFeedback, public ::testing::WithParamInterface<DragCase> {};

const int kColumnMiddle[] = {31, 102, 193};

LPARAM CellPoint(POINT cell) {
    return MAKELPARAM(kColumnMiddle[cell.y - 1], kHeader + (cell.x - 1) * kRow + 10);
}

}  // namespace

TEST_P(DragSteps, CellsShowTheirSelectionAfterEachRepaint) {
    const DragCase& c = GetParam();
    HWND grid = Attached(Grid(Rows({}).c_str()));
    wchar_t error[64];
    ASSERT_EQ(1, pb.ScriptModify(grid, L"DataWindow.Selected.Mouse=yes", error, 64));
    PumpMessages();
    UpdateWindow(grid);
    int width = 0;
    const std::vector<COLORREF> plain = ClientPixels(grid, &width);
    SendMessageW(grid, WM_LBUTTONDOWN, MK_LBUTTON, CellPoint(c.down));
    PumpMessages();
    for (POINT step : c.steps) {
        SendMessageW(grid, WM_MOUSEMOVE, MK_LBUTTON, CellPoint(step));
        PumpMessages();
    }
    const std::vector<COLORREF> pixels = ClientPixels(grid, &width);
    // Selected cells in the library's default selection colour.
    const COLORREF highlight = 0xFFD5AA;
    for (int row = 1; row <= 5; ++row) {
        for (int column = 1; column <= 3; ++column) {
            // Inside the cell, clear of the frame and of the text.
            const int at = (kHeader + (row - 1) * kRow + 2) * width + kColumnMiddle[column - 1] + 20;
            if (c.selected[row - 1][column - 1] == '1') {
                EXPECT_EQ(highlight, pixels[at]) << "row " << row << " column " << column;
            } else {
                EXPECT_EQ(plain[at], pixels[at]) << "row " << row << " column " << column;
            }
        }
    }
    SendMessageW(grid, WM_LBUTTONUP, 0, CellPoint(c.steps.back()));
    PumpMessages();
}

INSTANTIATE_TEST_SUITE_P(
    MouseFeedback, DragSteps,
    ::testing::Values(
        DragCase{"Grow", {1, 1}, {{3, 2}}, {"110", "110", "110", "000", "000"}},
        DragCase{"GrowThenShrinkRows", {1, 1}, {{5, 3}, {2, 3}}, {"111", "111", "000", "000", "000"}},
        DragCase{"GrowThenShrinkColumns", {2, 1}, {{4, 3}, {4, 1}}, {"000", "100", "100", "100", "000"}},
        DragCase{"AcrossTheAnchor", {3, 2}, {{5, 3}, {1, 1}}, {"110", "110", "110", "000", "000"}},
        DragCase{"BackToTheAnchorRow", {2, 1}, {{5, 2}, {2, 3}}, {"000", "111", "000", "000", "000"}}),
    [](const ::testing::TestParamInfo<DragCase>& info) { return std::string(info.param.name); });

namespace {

// Statistics labels: the settings file's own keys, the process-wide labels
// of SetInfoLabel, and the default texts. The drag from (2, 1) to (4, 3)
// over 1.5, 2 and 2.5 always gives sum 15, average 2.5, maximum 4 and
// minimum 1.5.
struct StatisticsLabelCase {
    const char* name;
    std::string settings;  // the file's bytes; empty: attached without a file
    ProcessLabels process;
    const wchar_t* expected;
};

const std::string kLong80 = std::string(8, 'x') + "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789" +
                            std::string(10, 'y');

const StatisticsLabelCase kStatisticsLabelCases[] = {
    {"NoSettingsFile", "", {}, L"合计 \t 15\r\n平均 \t 2.5\r\n最大 \t 4\r\n最小 \t 1.5"},
    {"FileWithoutLabelKeys", "[datawindow]\r\nHoverColor=255\r\n", {},
     L"合计 \t 15\r\n平均 \t 2.5\r\n最大 \t 4\r\n最小 \t 1.5"},
    {"AllFourKeys",
     "[datawindow]\r\nsumlabel=Sum\r\navglabel=Average\r\nmaxlabel=Maximum\r\nminlabel=Minimum\r\n", {},
     L"Sum \t 15\r\nAverage \t 2.5\r\nMaximum \t 4\r\nMinimum \t 1.5"},
    {"OneKeyTheOthersDefault", "[datawindow]\r\navglabel=Mean\r\n", {},
     L"合计 \t 15\r\nMean \t 2.5\r\n最大 \t 4\r\n最小 \t 1.5"},
    {"KeyNamesInAnyCaseAndBlanks", "[DataWindow]\r\n  SumLabel =  Total  \r\nMINLABEL=Least\r\n", {},
     L"Total \t 15\r\n平均 \t 2.5\r\n最大 \t 4\r\nLeast \t 1.5"},
    {"PageKeysLeaveStatisticsAlone",
     "[datawindow]\r\nrowcountlabel=Rows\r\nfirstrowlabel=First\r\nlastrowlabel=Last\r\ncurrentrowlabel=Current\r\n", {},
     L"合计 \t 15\r\n平均 \t 2.5\r\n最大 \t 4\r\n最小 \t 1.5"},
    {"PercentSignsShownAsThey", "[datawindow]\r\nsumlabel=100% %s %d %n %ls\r\nmaxlabel=%%\r\n", {},
     L"100% %s %d %n %ls \t 15\r\n平均 \t 2.5\r\n%% \t 4\r\n最小 \t 1.5"},
    {"QuotesKeepBlanks", "[datawindow]\r\nsumlabel=\" Sum \"\r\navglabel='Avg'\r\nmaxlabel=\"Max'\r\n", {},
     L" Sum  \t 15\r\nAvg \t 2.5\r\n\"Max' \t 4\r\n最小 \t 1.5"},
    {"EmptyValueKeepsTheDefault", "[datawindow]\r\nsumlabel=\r\navglabel=\"\"\r\n", {},
     L"合计 \t 15\r\n平均 \t 2.5\r\n最大 \t 4\r\n最小 \t 1.5"},
    {"OverLongLabelCutTo63", "[datawindow]\r\nsumlabel=" + kLong80 + "\r\n", {},
     L"xxxxxxxxabcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ012 \t 15\r\n平均 \t 2.5\r\n最大 \t 4\r\n"
     L"最小 \t 1.5"},
    {"Utf16FileWithOtherLetters",
     Utf16File(L"[datawindow]\r\nsumlabel=Summe\r\nmaxlabel=Gr\u00F6\u00DFte\r\nminlabel=\u041C\u0438\u043D\r\n"), {},
     L"Summe \t 15\r\n平均 \t 2.5\r\nGr\u00F6\u00DFte \t 4\r\n\u041C\u0438\u043D \t 1.5"},
    // A character outside the basic plane that the cut would halve goes whole.
    {"CutNeverHalvesACharacter",
     Utf16File(L"[datawindow]\r\nsumlabel=" + std::wstring(62, L'z') + L"\U0001F600tail\r\n"), {},
     L"zzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzz \t 15\r\n平均 \t 2.5\r\n最大 \t 4\r\n"
     L"最小 \t 1.5"},
    {"ProcessWideOnly", "",
     {{L"sumlabel", L"Sum"}, {L"avglabel", L"Average"}, {L"maxlabel", L"Max"}, {L"minlabel", L"Min"}},
     L"Sum \t 15\r\nAverage \t 2.5\r\nMax \t 4\r\nMin \t 1.5"},
    {"OwnKeysWinOverProcessWide", "[datawindow]\r\nsumlabel=Own sum\r\nminlabel=Own min\r\n",
     {{L"sumlabel", L"Sum"}, {L"avglabel", L"Average"}, {L"maxlabel", L"Max"}, {L"minlabel", L"Min"}},
     L"Own sum \t 15\r\nAverage \t 2.5\r\nMax \t 4\r\nOwn min \t 1.5"},
    {"ProcessWidePercentLongAndKeyCase", "",
     {{L"SumLabel", L"%d%% of %s"}, {L"MAXLABEL", L"m\u00E1ximo"},
      {L"avglabel", L"0123456789012345678901234567890123456789012345678901234567890123456789"}},
     L"%d%% of %s \t 15\r\n012345678901234567890123456789012345678901234567890123456789012 \t 2.5\r\n"
     L"m\u00E1ximo \t 4\r\n最小 \t 1.5"},
    {"ProcessWideLabelRemovedAgain", "", {{L"sumlabel", L"Sum"}, {L"sumlabel", L""}, {L"avglabel", L"Avg"},
                                          {L"avglabel", nullptr}},
     L"合计 \t 15\r\n平均 \t 2.5\r\n最大 \t 4\r\n最小 \t 1.5"},
};

// A failure names the case.
void PrintTo(const StatisticsLabelCase& c, std::ostream* os) { *os << c.name; }

class StatisticsLabels : public MouseFeedback, public ::testing::WithParamInterface<StatisticsLabelCase> {};

}  // namespace

TEST_P(StatisticsLabels, ExactTextInTheInformationTarget) {
    const StatisticsLabelCase& c = GetParam();
    ASSERT_NE(nullptr, dll.SetInfoLabel);
    for (const auto& label : c.process) ASSERT_EQ(1, dll.SetInfoLabel(label.first, label.second));
    HWND grid = Attached(Grid(Rows({L"0", L"1.5", L"2", L"2.5"}).c_str()));
    // A file of its own per case: the settings cache knows a file by its
    // path, size and time.
    const std::string name = std::string("t2u_statistics_") + c.name + ".ini";
    IniFile ini(dll.h, std::wstring(name.begin(), name.end()).c_str(), c.settings);
    if (!c.settings.empty()) {
        ASSERT_EQ(1, dll.AttachDatawindow(grid, ini.Name()));
        PumpMessages();
    }
    EXPECT_EQ(std::wstring(c.expected), DragStatistics(grid));
}

INSTANTIATE_TEST_SUITE_P(Labels, StatisticsLabels, ::testing::ValuesIn(kStatisticsLabelCases),
                         [](const ::testing::TestParamInfo<StatisticsLabelCase>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(MouseFeedback, LabelsBelongToEachDataWindowAndAReloadForgetsThem) {
    ASSERT_NE(nullptr, dll.SetInfoLabel);
    HWND english = Attached(Grid(Rows({L"0", L"1.5", L"2", L"2.5"}).c_str()));
    HWND plain = Attached(Grid(Rows({L"0", L"1.5", L"2", L"2.5"}).c_str()));
    IniFile labels(dll.h, L"t2u_labels_en.ini",
                   "[datawindow]\r\nsumlabel=Sum\r\navglabel=Average\r\nmaxlabel=Maximum\r\nminlabel=Minimum\r\n");
    IniFile colours(dll.h, L"t2u_labels_none.ini", "[datawindow]\r\nbackColor=16777215\r\n");
    ASSERT_EQ(1, dll.AttachDatawindow(english, labels.Name()));
    PumpMessages();
    EXPECT_EQ(std::wstring(L"Sum \t 15\r\nAverage \t 2.5\r\nMaximum \t 4\r\nMinimum \t 1.5"), DragStatistics(english));
    // The other DataWindow keeps the default texts.
    EXPECT_EQ(std::wstring(L"合计 \t 15\r\n平均 \t 2.5\r\n最大 \t 4\r\n最小 \t 1.5"), DragStatistics(plain));
    // Settings reloaded from a file without label keys: the defaults again;
    // reloaded after a process-wide label came: that label.
    ASSERT_EQ(1, dll.AttachDatawindow(english, colours.Name()));
    PumpMessages();
    EXPECT_EQ(std::wstring(L"合计 \t 15\r\n平均 \t 2.5\r\n最大 \t 4\r\n最小 \t 1.5"), DragStatistics(english));
    ASSERT_EQ(1, dll.SetInfoLabel(L"maxlabel", L"Top"));
    EXPECT_EQ(std::wstring(L"合计 \t 15\r\n平均 \t 2.5\r\nTop \t 4\r\n最小 \t 1.5"), DragStatistics(english));
    EXPECT_EQ(std::wstring(L"合计 \t 15\r\n平均 \t 2.5\r\nTop \t 4\r\n最小 \t 1.5"), DragStatistics(plain));
}
