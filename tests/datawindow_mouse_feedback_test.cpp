// Hover and cell selection on attached grids, driven by real mouse messages:
// the translucent band over the row under the mouse, the selection written
// into the DataWindow with its red frame, the statistics of its numbers, and
// the pen of the grid lines.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "dib.h"
#include "info_window.h"
#include "label_settings.h"
#include "private_messages.h"
#include "tessel_host.h"
#include "window_surface.h"

namespace {

constexpr int kHeader = 24;
constexpr int kRow = 20;
const int kColumnMiddle[] = {31, 102, 193};  // columns a, n, c
const wchar_t kDefaultStatistics[] = L"合计 \t 15\r\n平均 \t 2.5\r\n最大 \t 4\r\n最小 \t 1.5";

// Columns a (long), n (number) and c (text); twenty rows of 20 pixels; n
// holds the numbers given, then zeros.
std::wstring Grid(const std::vector<const wchar_t*>& numbers = {L"0", L"1.5", L"2", L"2.5"}) {
    std::wstring data;
    for (size_t i = 0; i < 20; ++i)
        data += std::to_wstring(i + 1) + L" " + (i < numbers.size() ? numbers[i] : L"0") + L" \"x\" ";
    return GridSyntax(1)
        .Detail(kRow)
        .DataWindow(L"selected.mouse=no")
        .Column(L"a", L"long", 60, L"A")
        .Column(L"n", L"number", 80, L"N")
        .Column(L"c", L"char(20)", 100, L"C")
        .Data(data)
        .Text();
}

LPARAM At(int x, int row) { return MAKELPARAM(x, kHeader + (row - 1) * kRow + 10); }
bool Near(int a, int b) { return a - b <= 3 && b - a <= 3; }
bool Red(COLORREF c) { return GetRValue(c) > GetGValue(c) + 60 && GetRValue(c) > GetBValue(c) + 60; }

class MouseFeedback : public TesselHost {
protected:
    void TearDown() override {
        ClearProcessLabels(dll);
        TesselHost::TearDown();
    }
    HWND Open(const std::wstring& syntax, const std::string& settings = std::string()) {
        return Attach(syntax, settings, 300, kHeader + 10 * kRow + 2);
    }
    void Move(HWND dw, LPARAM point, WPARAM keys = 0) {
        SendMessageW(dw, WM_MOUSEMOVE, keys, point);
        PumpMessages();
    }
    void Select(HWND dw) { ASSERT_EQ(1, pb->ScriptModify(dw, L"DataWindow.Selected.Mouse=yes", nullptr, 0)); }
    // A drag from one point over others, the button released at the last.
    void Drag(HWND dw, LPARAM down, const std::vector<LPARAM>& over) {
        SendMessageW(dw, WM_LBUTTONDOWN, MK_LBUTTON, down);
        PumpMessages();
        for (LPARAM p : over) Move(dw, p);
        SendMessageW(dw, WM_LBUTTONUP, 0, over.back());
        PumpMessages();
    }
    // The statistics of a drag from cell (2, a) over (3, n) to (4, c) in
    // the target (the step between makes the last cell a new one: the last
    // cell is remembered across drags and DataWindows).
    std::wstring DragStatistics(HWND dw) {
        SetWindowTextW(target.Window(), L"");
        SendMessageW(dw, kInfoTargetMessage, 0, reinterpret_cast<LPARAM>(target.Window()));
        Select(dw);
        Drag(dw, At(20, 2), {At(100, 3), At(200, 4)});
        return target.Text();
    }
    static std::vector<COLORREF> Pixels(HWND dw) { return WindowSurface(dw, WindowSurface::Client).Pixels(); }
    static int Width(HWND dw) { return WindowSurface(dw, WindowSurface::Client).Width(); }
    InfoTarget target;
};

}  // namespace

// A band at the wrong row, blended wrongly, left behind, redrawn needlessly or drawn while a key scrolls.
TEST_F(MouseFeedback, HoverBandOverTheRowUnderTheMouse) {
    HWND dw = Open(Grid());
    const int w = Width(dw);
    auto pixel = [w](const std::vector<COLORREF>& p, int row, int x = 238) {
        return p[(kHeader + (row - 1) * kRow + 15) * w + x];
    };
    const std::vector<COLORREF> white = Pixels(dw);
    Move(dw, At(100, 3));
    EXPECT_EQ(white, Pixels(dw)) << "back and hover colours both white by default: no band";

    SendMessageW(dw, kHoverColorMessage, 0, 0xFF0000);
    SendMessageW(dw, WM_VSCROLL, SB_LINEDOWN, 0);
    SendMessageW(dw, WM_VSCROLL, SB_LINEDOWN, 0);
    UpdateWindow(dw);
    ASSERT_EQ(L"3", pb->Describe(dw, L"DataWindow.FirstRowOnPage"));
    Move(dw, At(10, 1));
    const std::vector<COLORREF> plain = Pixels(dw);
    Move(dw, At(100, 3));  // row 5 of the data, third on the page
    const std::vector<COLORREF> over3 = Pixels(dw);
    EXPECT_TRUE(Near(GetRValue(pixel(over3, 3)), GetRValue(pixel(plain, 3)) / 2));
    EXPECT_TRUE(Near(GetBValue(pixel(over3, 3)), (GetBValue(pixel(plain, 3)) + 255) / 2));
    EXPECT_EQ(pixel(plain, 4), pixel(over3, 4));
    // Within the cell: nothing drawn again, the DataWindow not asked.
    const LONG describes = pb->GetDescribeCount(dw);
    Move(dw, MAKELPARAM(110, kHeader + 2 * kRow + 12));
    EXPECT_EQ(over3, Pixels(dw));
    EXPECT_EQ(describes, pb->GetDescribeCount(dw));

    // On to page row 5: row 3 as it was, from a row above to a row below it.
    Move(dw, At(20, 5));
    const std::vector<COLORREF> over5 = Pixels(dw);
    for (int y = kHeader + 2 * kRow - 2; y < kHeader + 3 * kRow + 2; ++y) {
        ASSERT_EQ(plain[y * w + 238], over5[y * w + 238]) << "y " << y;
        ASSERT_EQ(plain[y * w + 150], over5[y * w + 150]) << "y " << y;
    }
    EXPECT_EQ(pixel(over3, 3), pixel(over5, 5));
    // A paint of another part leaves the band; a move within the row does not redraw it.
    RECT elsewhere = {0, kHeader + 7 * kRow, 300, kHeader + 9 * kRow};
    RedrawWindow(dw, &elsewhere, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    Move(dw, At(200, 5));
    EXPECT_EQ(over5, Pixels(dw));
    // Painted over by the DataWindow: the next move within the row brings it back, once.
    RedrawWindow(dw, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(pixel(plain, 5), pixel(Pixels(dw), 5));
    Move(dw, At(20, 5));
    EXPECT_EQ(over5, Pixels(dw));

    // With the down-arrow key held the band waits.
    INPUT key = {};
    key.type = INPUT_KEYBOARD;
    key.ki.wVk = VK_DOWN;
    SendInput(1, &key, sizeof(key));
    PumpMessages();
    ASSERT_TRUE(GetAsyncKeyState(VK_DOWN) & 0x8000);
    Move(dw, At(100, 7));
    const std::vector<COLORREF> held = Pixels(dw);
    key.ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(1, &key, sizeof(key));
    PumpMessages();
    EXPECT_EQ(pixel(plain, 7), pixel(held, 7));
}

// A wrong selection string, work within one cell, a missing frame, statistics in the wrong place.
TEST_F(MouseFeedback, DraggedSelectionWithFrameAndStatistics) {
    HWND dw = Open(Grid());
    SendMessageW(dw, kInfoTargetMessage, 0, reinterpret_cast<LPARAM>(target.Window()));
    Select(dw);
    SendMessageW(dw, WM_LBUTTONDOWN, MK_LBUTTON, At(20, 2));
    PumpMessages();
    ASSERT_EQ(dw, GetCapture());
    pb->ClearModifyLog(dw);
    const LONG describes = pb->GetDescribeCount(dw);
    Move(dw, At(25, 2));
    EXPECT_TRUE(pb->ModifyLog(dw).empty());
    EXPECT_EQ(describes, pb->GetDescribeCount(dw));
    // The frame is drawn at once; the next paint of the DataWindow takes it away.
    SendMessageW(dw, WM_MOUSEMOVE, 0, At(200, 4));
    const std::vector<COLORREF> pixels = Pixels(dw);
    PumpMessages();
    EXPECT_EQ(std::vector<std::wstring>{L"DataWindow.Selected='2/4/a/n/c'"}, pb->ModifyLog(dw));
    const COLORREF* left = &pixels[(kHeader + 2 * kRow) * Width(dw)];  // the left edge, anti-aliased around x 1
    EXPECT_TRUE(Red(left[0]) || Red(left[1]) || Red(left[2]));
    EXPECT_EQ(kDefaultStatistics, target.Text());  // of columns a and n
    SendMessageW(dw, WM_LBUTTONUP, 0, At(200, 4));
    PumpMessages();
    EXPECT_EQ(nullptr, GetCapture());
    // Without an information target the statistics go to the tooltip.
    SendMessageW(dw, kInfoTargetMessage, 0, 0);
    Drag(dw, At(20, 2), {At(100, 3), At(200, 4)});
    EXPECT_EQ(kDefaultStatistics, TooltipText(TooltipOf(dw)));
}

// Statistics over a single cell, over text, or with the sign of the maximum wrong.
TEST_F(MouseFeedback, StatisticsOnlyForCellsWithNumbers) {
    HWND dw = Open(Grid({L"-1", L"-2", L"-3"}));
    SendMessageW(dw, kInfoTargetMessage, 0, reinterpret_cast<LPARAM>(target.Window()));
    Select(dw);
    auto drag = [&](LPARAM from, LPARAM to) {
        SetWindowTextW(target.Window(), L"");
        Drag(dw, from, {to});
        return target.Text();
    };
    EXPECT_EQ(L"合计 \t -1\r\n平均 \t -1\r\n最大 \t -1\r\n最小 \t -1", drag(At(100, 1), MAKELPARAM(200, kHeader + 12)));
    EXPECT_EQ(L"合计 \t -6\r\n平均 \t -2\r\n最大 \t -1\r\n最小 \t -3", drag(At(100, 1), At(100, 3)));
    EXPECT_EQ(L"", drag(At(200, 1), At(200, 3)));
}

// The DataWindow's own selection, named by its first and last column, while it holds the mouse.
TEST_F(MouseFeedback, TheDataWindowsOwnSelectionByItsFirstAndLastColumn) {
    HWND dw = Open(Grid());
    SendMessageW(dw, kInfoTargetMessage, 0, reinterpret_cast<LPARAM>(target.Window()));
    ASSERT_EQ(1, pb->ScriptModify(dw, L"DataWindow.Selected='2/4/a/c'", nullptr, 0));
    SetCapture(dw);
    pb->ClearModifyLog(dw);
    Move(dw, At(100, 7));
    EXPECT_TRUE(pb->ModifyLog(dw).empty());
    EXPECT_EQ(kDefaultStatistics, target.Text());
    ReleaseCapture();
}

namespace {

struct ColumnType {
    const char* name;
    const wchar_t* type;
    const wchar_t* statistics;  // of 4, 2 and -3
};

const wchar_t kCounted[] = L"合计 \t 3\r\n平均 \t 1\r\n最大 \t 4\r\n最小 \t -3";
const ColumnType kColumnTypes[] = {
    {"number", L"number", kCounted},
    {"long", L"long", kCounted},
    {"ulong", L"ulong", kCounted},
    {"int", L"int", kCounted},
    {"real", L"real", kCounted},
    {"decimal_2", L"decimal(2)", kCounted},
    {"decimal_0", L"decimal(0)", kCounted},
    {"char", L"char(10)", L""},
};

class SelectionColumnTypes : public MouseFeedback, public ::testing::WithParamInterface<ColumnType> {};

}  // namespace

// A numeric column type not counted, or a text column counted.
TEST_P(SelectionColumnTypes, NumbersOfEveryNumericType) {
    HWND dw = Open(GridSyntax(1)
                       .Detail(kRow)
                       .DataWindow(L"selected.mouse=yes")
                       .Column(L"k", L"char(10)", 60, L"")
                       .Column(L"v", GetParam().type, 80, L"")
                       .Data(L"\"x\" 4 \"y\" 2 \"z\" -3 \"w\" 100")
                       .Text());
    SendMessageW(dw, kInfoTargetMessage, 0, reinterpret_cast<LPARAM>(target.Window()));
    Drag(dw, At(100, 1), {At(100, 3)});
    EXPECT_EQ(L"1/3/v", pb->Describe(dw, L"DataWindow.Selected"));
    EXPECT_EQ(std::wstring(GetParam().statistics), target.Text());
}

INSTANTIATE_TEST_SUITE_P(Types, SelectionColumnTypes, ::testing::ValuesIn(kColumnTypes),
                         [](const ::testing::TestParamInfo<ColumnType>& info) { return std::string(info.param.name); });

namespace {

// Three columns of 150 pixels in a window 300 wide: it scrolls both ways.
std::wstring WideGrid() {
    std::wstring rows;
    for (int i = 1; i <= 30; ++i) rows += std::to_wstring(i) + L" 0 0 ";
    return GridSyntax(1)
        .Detail(kRow)
        .DataWindow(L"selected.mouse=yes")
        .Column(L"a", L"long", 149, L"A")
        .Column(L"b", L"long", 149, L"B")
        .Column(L"c", L"long", 149, L"C")
        .Data(rows)
        .Text();
}

// Red across pixel row y at x (anti-aliased over y - 1 to y + 1).
bool RedAcross(const std::vector<COLORREF>& p, int width, int x, int y) {
    return Red(p[(y - 1) * width + x]) || Red(p[y * width + x]) || Red(p[(y + 1) * width + x]);
}

}  // namespace

// A frame drawn where the cells were before scrolling, or over the header.
TEST_F(MouseFeedback, FrameWhereTheCellsAreAfterScrolling) {
    HWND dw = Open(WideGrid());
    for (int i = 0; i < 3; ++i) SendMessageW(dw, WM_VSCROLL, SB_LINEDOWN, 0);
    for (int i = 0; i < 5; ++i) SendMessageW(dw, WM_HSCROLL, SB_LINERIGHT, 0);
    UpdateWindow(dw);
    PumpMessages();
    ASSERT_EQ(L"4", pb->Describe(dw, L"DataWindow.FirstRowOnPage"));
    const int w = Width(dw);
    // Cell (5, b) to (6, c): b starts at 101 (151 less 50 scrolled out).
    SendMessageW(dw, WM_LBUTTONDOWN, MK_LBUTTON, At(150, 2));
    PumpMessages();
    SendMessageW(dw, WM_MOUSEMOVE, 0, At(270, 3));
    std::vector<COLORREF> p = Pixels(dw);
    PumpMessages();
    SendMessageW(dw, WM_LBUTTONUP, 0, At(270, 3));
    PumpMessages();
    ASSERT_EQ(L"5/6/b/c", pb->Describe(dw, L"DataWindow.Selected"));
    const int middle = kHeader + kRow + 20;
    EXPECT_TRUE(Red(p[middle * w + 100]) || Red(p[middle * w + 101]) || Red(p[middle * w + 102]));
    EXPECT_TRUE(RedAcross(p, w, 180, kHeader + kRow));
    EXPECT_TRUE(RedAcross(p, w, 180, kHeader + 3 * kRow));
    EXPECT_FALSE(RedAcross(p, w, 180, kHeader + 4 * kRow));
    EXPECT_FALSE(Red(p[middle * w + 151]));

    // Rows 1 to 5 of a, rows 1 to 3 scrolled out: the sides run down from the header, which stays.
    SendMessageW(dw, WM_HSCROLL, SB_LEFT, 0);
    UpdateWindow(dw);
    PumpMessages();
    ASSERT_EQ(1, pb->ScriptModify(dw, L"DataWindow.Selected='1/5/a/a'", nullptr, 0));
    const std::vector<COLORREF> before = Pixels(dw);
    SetCapture(dw);
    SendMessageW(dw, WM_MOUSEMOVE, 0, At(100, 4));
    p = Pixels(dw);
    ReleaseCapture();
    PumpMessages();
    const COLORREF* side = &p[(kHeader + 10) * w];
    EXPECT_TRUE(Red(side[0]) || Red(side[1]) || Red(side[2]));
    EXPECT_TRUE(RedAcross(p, w, 100, kHeader + 2 * kRow));
    for (int y = 0; y < kHeader; ++y) EXPECT_EQ(before[y * w + 1], p[y * w + 1]) << "header row " << y;
}

namespace {

// Grid lines: the configured style for thin lines in grids, the caller's
// pen otherwise, always in the line colour (red here).
struct GridLinePen {
    const char* name;
    const char* settings;
    bool grid;
    int callerWidth;
    int longestRun, minRuns, maxRuns, thickness;  // of red along and across a 120-pixel line
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
    std::wstring syntax = Grid();
    if (!p.grid) syntax.replace(syntax.find(L"processing=1"), 12, L"processing=0");
    HWND dw = Open(syntax, p.settings);
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
        int run = 0, first = -1;
        for (int x = 20; x < 140; ++x) {
            const bool red = dib.At(x, 15) == RGB(255, 0, 0);
            if (red && first < 0) first = x;
            if (red && run == 0) ++runs;
            run = red ? run + 1 : 0;
            longest = std::max(longest, run);
        }
        for (int y = 0; y < 30; ++y) thickness += dib.At(first + 1, y) == RGB(255, 0, 0);
        EXPECT_EQ(0, dib.Count(RECT{0, 0, 160, 30}, [](COLORREF c) { return c == 0; })) << "no black left";
    }
    ReleaseDC(dw, window);
    EXPECT_EQ(p.longestRun, longest);
    EXPECT_GE(runs, p.minRuns);
    EXPECT_LE(runs, p.maxRuns);
    EXPECT_EQ(p.thickness, thickness);
}

INSTANTIATE_TEST_SUITE_P(Pens, GridLines, ::testing::ValuesIn(kGridLinePens),
                         [](const ::testing::TestParamInfo<GridLinePen>& info) {
                             return std::string(info.param.name);
                         });

namespace {

// A drag from a cell (row, column) through further cells, and the cells
// selected after it (rows 1 to 5, columns a, n, c).
struct DragCase {
    const char* name;
    POINT down;
    std::vector<POINT> steps;
    const char* selected[5];
};

class DragSteps : public MouseFeedback, public ::testing::WithParamInterface<DragCase> {};

LPARAM Cell(POINT cell) { return At(kColumnMiddle[cell.y - 1], cell.x); }

}  // namespace

// Cells left highlighted after the drag shrinks, or not highlighted as it grows.
TEST_P(DragSteps, CellsShowTheirSelectionAfterEachRepaint) {
    const DragCase& c = GetParam();
    HWND dw = Open(Grid());
    Select(dw);
    PumpMessages();
    UpdateWindow(dw);
    const std::vector<COLORREF> plain = Pixels(dw);
    SendMessageW(dw, WM_LBUTTONDOWN, MK_LBUTTON, Cell(c.down));
    PumpMessages();
    for (POINT step : c.steps) Move(dw, Cell(step), MK_LBUTTON);
    const std::vector<COLORREF> pixels = Pixels(dw);
    const int w = Width(dw);
    for (int row = 1; row <= 5; ++row)
        for (int column = 1; column <= 3; ++column) {
            const int at = (kHeader + (row - 1) * kRow + 2) * w + kColumnMiddle[column - 1] + 20;
            EXPECT_EQ(c.selected[row - 1][column - 1] == '1' ? 0xFFD5AA : plain[at], pixels[at])
                << "row " << row << " column " << column;
        }
    SendMessageW(dw, WM_LBUTTONUP, 0, Cell(c.steps.back()));
    PumpMessages();
}

INSTANTIATE_TEST_SUITE_P(
    MouseFeedback, DragSteps,
    ::testing::Values(DragCase{"Grow", {1, 1}, {{3, 2}}, {"110", "110", "110", "000", "000"}},
                      DragCase{"GrowThenShrinkRows", {1, 1}, {{5, 3}, {2, 3}}, {"111", "111", "000", "000", "000"}},
                      DragCase{"GrowThenShrinkColumns", {2, 1}, {{4, 3}, {4, 1}}, {"000", "100", "100", "100", "000"}},
                      DragCase{"AcrossTheAnchor", {3, 2}, {{5, 3}, {1, 1}}, {"110", "110", "110", "000", "000"}},
                      DragCase{"BackToTheAnchorRow", {2, 1}, {{5, 2}, {2, 3}}, {"000", "111", "000", "000", "000"}}),
    [](const ::testing::TestParamInfo<DragCase>& info) { return std::string(info.param.name); });

namespace {

// Statistics labels from the settings file's keys, the process-wide labels
// and the defaults; the drag always gives 15, 2.5, 4 and 1.5.
struct LabelCase {
    const char* name;
    std::string settings;  // empty: attached without a file
    ProcessLabels process;
    const wchar_t* expected;
};

const LabelCase kLabelCases[] = {
    {"NoSettingsFile", "", {}, kDefaultStatistics},
    {"PageKeysLeaveStatisticsAlone",
     "[datawindow]\r\nrowcountlabel=Rows\r\nfirstrowlabel=First\r\nlastrowlabel=Last\r\ncurrentrowlabel=Cur\r\n",
     {},
     kDefaultStatistics},
    {"AllFourKeys",
     "[datawindow]\r\nsumlabel=Sum\r\navglabel=Average\r\nmaxlabel=Maximum\r\nminlabel=Minimum\r\n",
     {},
     L"Sum \t 15\r\nAverage \t 2.5\r\nMaximum \t 4\r\nMinimum \t 1.5"},
    {"KeyNamesInAnyCaseAndBlanks",
     "[DataWindow]\r\n  SumLabel =  Total  \r\nMINLABEL=Least\r\n",
     {},
     L"Total \t 15\r\n平均 \t 2.5\r\n最大 \t 4\r\nLeast \t 1.5"},
    {"PercentSignsShownAsThey",
     "[datawindow]\r\nsumlabel=100% %s %d %n %ls\r\nmaxlabel=%%\r\n",
     {},
     L"100% %s %d %n %ls \t 15\r\n平均 \t 2.5\r\n%% \t 4\r\n最小 \t 1.5"},
    {"QuotesKeepBlanks",
     "[datawindow]\r\nsumlabel=\" Sum \"\r\navglabel='Avg'\r\nmaxlabel=\"Max'\r\n",
     {},
     L" Sum  \t 15\r\nAvg \t 2.5\r\n\"Max' \t 4\r\n最小 \t 1.5"},
    {"EmptyValueKeepsTheDefault", "[datawindow]\r\nsumlabel=\r\navglabel=\"\"\r\n", {}, kDefaultStatistics},
    {"OverLongLabelCutTo63",
     "[datawindow]\r\nsumlabel=" + std::string(63, 'x') + "yyyyy\r\n",
     {},
     L"xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx \t 15\r\n平均 \t 2.5\r\n最大 \t 4\r\n最小 \t "
     L"1.5"},
    {"Utf16FileWithOtherLetters",
     Utf16File(L"[datawindow]\r\nsumlabel=Summe\r\nmaxlabel=Gr\u00F6\u00DFte\r\nminlabel=\u041C\u0438\u043D\r\n"),
     {},
     L"Summe \t 15\r\n平均 \t 2.5\r\nGr\u00F6\u00DFte \t 4\r\n\u041C\u0438\u043D \t 1.5"},
    {"CutNeverHalvesACharacter",
     Utf16File(L"[datawindow]\r\nsumlabel=" + std::wstring(62, L'z') + L"\U0001F600t\r\n"),
     {},
     L"zzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzz \t 15\r\n平均 \t 2.5\r\n最大 \t 4\r\n最小 \t "
     L"1.5"},
    {"OwnKeysWinOverProcessWide",
     "[datawindow]\r\nsumlabel=Own sum\r\nminlabel=Own min\r\n",
     {{L"sumlabel", L"Sum"}, {L"avglabel", L"Average"}, {L"maxlabel", L"Max"}, {L"minlabel", L"Min"}},
     L"Own sum \t 15\r\nAverage \t 2.5\r\nMax \t 4\r\nOwn min \t 1.5"},
    {"ProcessWidePercentLongAndKeyCase",
     "",
     {{L"SumLabel", L"%d%% of %s"},
      {L"MAXLABEL", L"m\u00E1ximo"},
      {L"avglabel", L"0123456789012345678901234567890123456789012345678901234567890123456789"}},
     L"%d%% of %s \t 15\r\n012345678901234567890123456789012345678901234567890123456789012 \t 2.5\r\nm\u00E1ximo \t "
     L"4\r\n"
     L"最小 \t 1.5"},
    {"ProcessWideLabelRemovedAgain",
     "",
     {{L"sumlabel", L"Sum"}, {L"sumlabel", L""}, {L"avglabel", L"Avg"}, {L"avglabel", nullptr}},
     kDefaultStatistics},
};

class StatisticsLabels : public MouseFeedback, public ::testing::WithParamInterface<LabelCase> {};

}  // namespace

TEST_P(StatisticsLabels, ExactTextInTheInformationTarget) {
    for (const auto& label : GetParam().process) ASSERT_EQ(1, dll.SetInfoLabel(label.first, label.second));
    HWND dw = Open(Grid(), GetParam().settings);
    EXPECT_EQ(std::wstring(GetParam().expected), DragStatistics(dw));
}

INSTANTIATE_TEST_SUITE_P(Labels, StatisticsLabels, ::testing::ValuesIn(kLabelCases),
                         [](const ::testing::TestParamInfo<LabelCase>& info) { return std::string(info.param.name); });

// Labels leaking to another DataWindow, or surviving a reload without them.
TEST_F(MouseFeedback, LabelsBelongToEachDataWindowAndAReloadForgetsThem) {
    HWND english = Open(Grid(),
                        "[datawindow]\r\nsumlabel=Sum\r\navglabel=Average\r\nmaxlabel=Maximum\r\n"
                        "minlabel=Minimum\r\n");
    HWND plain = Open(Grid());
    EXPECT_EQ(L"Sum \t 15\r\nAverage \t 2.5\r\nMaximum \t 4\r\nMinimum \t 1.5", DragStatistics(english));
    EXPECT_EQ(kDefaultStatistics, DragStatistics(plain));
    ASSERT_EQ(
        1, dll.AttachDatawindow(english, temp.Write(L"colours.ini", "[datawindow]\r\nbackColor=16777215\r\n").c_str()));
    PumpMessages();
    EXPECT_EQ(kDefaultStatistics, DragStatistics(english));
    ASSERT_EQ(1, dll.SetInfoLabel(L"maxlabel", L"Top"));
    EXPECT_EQ(L"合计 \t 15\r\n平均 \t 2.5\r\nTop \t 4\r\n最小 \t 1.5", DragStatistics(english));
    EXPECT_EQ(L"合计 \t 15\r\n平均 \t 2.5\r\nTop \t 4\r\n最小 \t 1.5", DragStatistics(plain));
}
