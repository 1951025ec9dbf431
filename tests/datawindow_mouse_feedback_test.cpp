// Hover and cell selection on attached grids, driven by real mouse messages:
// the translucent band over the row under the mouse, the selection written
// into the DataWindow with its red frame and highlighted cells, the statistics
// of its numbers with their captions, and the pen of the grid lines.
#include <gtest/gtest.h>
#include <windows.h>

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

// Columns a (long), n (number) and c (text) of widths 60, 80, 100; rows of 20 pixels; n holds the numbers given.
std::wstring Grid(const std::vector<const wchar_t*>& numbers = {L"0", L"1.5", L"2", L"2.5"}, int rows = 20,
                  int width = 0) {
    std::wstring data;
    for (int i = 0; i < rows; ++i)
        data += std::to_wstring(i + 1) + L" " + (i < static_cast<int>(numbers.size()) ? numbers[i] : L"0") +
                (width ? L" 0 " : L" \"x\" ");
    return GridSyntax(1)
        .Detail(kRow)
        .DataWindow(L"selected.mouse=no")
        .Column(L"a", L"long", width ? width : 60, L"A")
        .Column(L"n", L"number", width ? width : 80, L"N")
        .Column(L"c", width ? L"long" : L"char(20)", width ? width : 100, L"C")
        .Data(data)
        .Text();
}

LPARAM At(int x, int row) { return MAKELPARAM(x, kHeader + (row - 1) * kRow + 10); }
bool Red(COLORREF c) { return GetRValue(c) > GetGValue(c) + 60 && GetRValue(c) > GetBValue(c) + 60; }
// Which pixels of a row (dy 0) or column (dx 0) are red: "..RR..".
std::string RedRun(const std::vector<COLORREF>& p, int width, int x, int y, int dx, int dy, int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += Red(p[(y + i * dy) * width + x + i * dx]) ? 'R' : '.';
    return s;
}

class MouseFeedback : public TesselHost {
protected:
    HWND Open(const std::wstring& syntax, const std::string& settings = std::string()) {
        return Attach(syntax, settings, 300, kHeader + 10 * kRow + 2);
    }
    static void Send(HWND dw, UINT message, WPARAM w, LPARAM l) {
        SendMessageW(dw, message, w, l);
        PumpMessages();
    }
    static void Move(HWND dw, LPARAM point, WPARAM keys = 0) { Send(dw, WM_MOUSEMOVE, keys, point); }
    void Select(HWND dw) { ASSERT_EQ(1, pb->ScriptModify(dw, L"DataWindow.Selected.Mouse=yes", nullptr, 0)); }
    // The statistics of a drag in the target, by default from cell (2, a) over (3, n) to (4, c).
    std::wstring DragStatistics(HWND dw, LPARAM from = At(20, 2), std::vector<LPARAM> over = {At(100, 3), At(200, 4)}) {
        SetWindowTextW(target.Window(), L"");
        SendMessageW(dw, kInfoTargetMessage, 0, reinterpret_cast<LPARAM>(target.Window()));
        Select(dw);
        Send(dw, WM_LBUTTONDOWN, MK_LBUTTON, from);
        for (LPARAM p : over) Move(dw, p);
        Send(dw, WM_LBUTTONUP, 0, over.back());
        return target.Text();
    }
    static std::vector<COLORREF> Pixels(HWND dw) { return WindowSurface(dw, WindowSurface::Client).Pixels(); }
    static int Width(HWND dw) { return WindowSurface(dw, WindowSurface::Client).Width(); }
    InfoTarget target;
};

}  // namespace

// A band at the wrong row, blended wrongly, left behind or lost to a repaint.
TEST_F(MouseFeedback, HoverBandOverTheRowUnderTheMouse) {
    HWND dw = Open(Grid());
    const int w = Width(dw);
    auto pixel = [w](const std::vector<COLORREF>& p, int row) {
        return p[(kHeader + (row - 1) * kRow + 15) * w + 238];
    };
    SendMessageW(dw, kHoverColorMessage, 0, 0xFF0000);
    for (int i = 0; i < 2; ++i) SendMessageW(dw, WM_VSCROLL, SB_LINEDOWN, 0);
    UpdateWindow(dw);
    ASSERT_EQ(L"3", pb->Describe(dw, L"DataWindow.FirstRowOnPage"));
    Move(dw, At(10, 1));
    const std::vector<COLORREF> plain = Pixels(dw);
    Move(dw, At(100, 3));  // row 5 of the data, third on the page: white and blue blended half and half
    const std::vector<COLORREF> over3 = Pixels(dw);
    EXPECT_NEAR(0x7F, GetRValue(pixel(over3, 3)), 3);
    EXPECT_EQ(0xFF, GetBValue(pixel(over3, 3)));
    for (int row : {2, 4}) EXPECT_EQ(pixel(plain, row), pixel(over3, row)) << row;

    Move(dw, At(20, 5));  // row 3 restored from a row above to a row below it
    const std::vector<COLORREF> over5 = Pixels(dw);
    for (int y = kHeader + 2 * kRow - 2; y < kHeader + 3 * kRow + 2; ++y)
        for (int x : {150, 238}) ASSERT_EQ(plain[y * w + x], over5[y * w + x]) << "y " << y;
    EXPECT_EQ(pixel(over3, 3), pixel(over5, 5));
    RedrawWindow(dw, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);  // painted over: back at the next move
    Move(dw, At(200, 5));
    EXPECT_EQ(over5, Pixels(dw));
}

// A wrong selection string, the mouse not captured or not released, the statistics of columns a and n missing from
// the tooltip (there is no information target).
TEST_F(MouseFeedback, DraggedSelectionWrittenWithStatisticsInTheTooltip) {
    HWND dw = Open(Grid());
    Select(dw);
    Send(dw, WM_LBUTTONDOWN, MK_LBUTTON, At(20, 2));
    ASSERT_EQ(dw, GetCapture());
    pb->ClearModifyLog(dw);
    Move(dw, At(200, 4));
    EXPECT_EQ(std::vector<std::wstring>{L"DataWindow.Selected='2/4/a/n/c'"}, pb->ModifyLog(dw));
    Send(dw, WM_LBUTTONUP, 0, At(200, 4));
    EXPECT_EQ(nullptr, GetCapture());
    EXPECT_EQ(kDefaultStatistics, TooltipText(TooltipOf(dw)));
}

// Statistics over a single cell, over text, or with the sign of the maximum wrong.
TEST_F(MouseFeedback, StatisticsOnlyForCellsWithNumbers) {
    HWND dw = Open(Grid({L"-1", L"-2", L"-3", L"0", L"1.5", L"2", L"2.5"}));
    EXPECT_EQ(L"合计 \t -1\r\n平均 \t -1\r\n最大 \t -1\r\n最小 \t -1",
              DragStatistics(dw, At(100, 1), {MAKELPARAM(200, kHeader + 12)}));
    EXPECT_EQ(L"合计 \t -6\r\n平均 \t -2\r\n最大 \t -1\r\n最小 \t -3", DragStatistics(dw, At(100, 1), {At(100, 3)}));
    EXPECT_EQ(L"", DragStatistics(dw, At(200, 1), {At(200, 3)}));
}

// A frame drawn where the cells were before scrolling, or over the header.
TEST_F(MouseFeedback, FrameWhereTheCellsAreAfterScrolling) {
    HWND dw = Open(Grid({}, 30, 149));  // three columns of 150 pixels in 300: it scrolls both ways
    Select(dw);
    for (int i = 0; i < 3; ++i) SendMessageW(dw, WM_VSCROLL, SB_LINEDOWN, 0);
    for (int i = 0; i < 5; ++i) SendMessageW(dw, WM_HSCROLL, SB_LINERIGHT, 0);
    UpdateWindow(dw);
    PumpMessages();
    const int w = Width(dw);
    Send(dw, WM_LBUTTONDOWN, MK_LBUTTON, At(150, 2));  // (5, n) to (6, c): n from 101 (151 less 50)
    SendMessageW(dw, WM_MOUSEMOVE, 0, At(270, 3));
    const std::vector<COLORREF> p = Pixels(dw);
    PumpMessages();
    Send(dw, WM_LBUTTONUP, 0, At(270, 3));
    ASSERT_EQ(L"5/6/n/c", pb->Describe(dw, L"DataWindow.Selected"));
    EXPECT_EQ("...R...", RedRun(p, w, 97, kHeader + kRow + 20, 1, 0, 7));
    EXPECT_EQ("..R....", RedRun(p, w, 180, kHeader + kRow - 3, 0, 1, 7));
    EXPECT_EQ("..RR...", RedRun(p, w, 180, kHeader + 3 * kRow - 3, 0, 1, 7));
    EXPECT_FALSE(Red(p[(kHeader + kRow + 20) * w + 151]));
}

// A grid line of a grid in the configured style (a wide pen stays solid), a freeform's in the caller's
// pen, both in the line colour: the red along 40 pixels of a black line from x 20, then across it at x 21.
TEST_F(MouseFeedback, GridLinePensInTheLineColour) {
    const struct {
        const char* style;
        bool grid;
        int callerWidth;
        const char* alongAndAcross;
    } pens[] = {
        {"", true, 1, "RRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRR ...R..."},
        {"lineStyle=1", true, 1, "RRRRRRRRRRRRRRRRRR......RRRRRRRRRRRRRRRR ...R..."},
        {"lineStyle=2", true, 1, "RRR...RRR...RRR...RRR...RRR...RRR...RRR. ...R..."},
        {"lineStyle=2", true, 2, "RRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRR ..RR..."},
        {"lineStyle=2", false, 1, "RRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRRR ...R..."},
    };
    for (const auto& pen : pens) {
        std::wstring syntax = Grid();
        if (!pen.grid) syntax.replace(syntax.find(L"processing=1"), 12, L"processing=0");
        HWND dw = Open(syntax, std::string("[datawindow]\r\nlineColor=255\r\n") + pen.style + "\r\n");
        HDC window = GetDC(dw);
        {
            Dib dib(160, 30, window);  // paints as the DataWindow
            dib.Fill(RGB(255, 255, 255));
            HGDIOBJ old = SelectObject(dib.Dc(), CreatePen(PS_SOLID, pen.callerWidth, RGB(0, 0, 0)));
            MoveToEx(dib.Dc(), 20, 15, nullptr);
            EXPECT_TRUE(LineTo(dib.Dc(), 140, 15));
            DeleteObject(SelectObject(dib.Dc(), old));
            std::string seen;
            for (int x = 20; x < 60; ++x) seen += dib.At(x, 15) == RGB(255, 0, 0) ? 'R' : '.';
            seen += ' ';
            for (int y = 12; y < 19; ++y) seen += dib.At(21, y) == RGB(255, 0, 0) ? 'R' : '.';
            EXPECT_EQ(pen.alongAndAcross, seen) << pen.style << " " << pen.grid << " " << pen.callerWidth;
            EXPECT_EQ(0, dib.Count(RECT{0, 0, 160, 30}, [](COLORREF c) { return c == 0; })) << "no black left";
        }
        ReleaseDC(dw, window);
    }
}

// Cells left highlighted after the drag shrinks, or not highlighted as it grows: a drag from a cell (row, column)
// through further cells, and the cells selected after it (rows 1 to 5).
TEST_F(MouseFeedback, CellsShowTheirSelectionAfterEachDragStep) {
    const struct {
        POINT down;
        std::vector<POINT> steps;
        const char* selected;
    } drags[] = {{{1, 1}, {{5, 3}, {2, 3}}, "111111000000000"},
                 {{2, 1}, {{4, 3}, {4, 1}}, "000100100100000"},
                 {{3, 2}, {{5, 3}, {1, 1}}, "110110110000000"}};
    auto cell = [](POINT c) { return At(kColumnMiddle[c.y - 1], c.x); };
    for (const auto& drag : drags) {
        HWND dw = Open(Grid());
        Select(dw);
        UpdateWindow(dw);
        const std::vector<COLORREF> plain = Pixels(dw);
        Send(dw, WM_LBUTTONDOWN, MK_LBUTTON, cell(drag.down));
        for (POINT step : drag.steps) Move(dw, cell(step), MK_LBUTTON);
        const std::vector<COLORREF> pixels = Pixels(dw);
        for (int i = 0, w = Width(dw); i < 15; ++i) {
            const int at = (kHeader + (i / 3) * kRow + 2) * w + kColumnMiddle[i % 3] + 20;
            EXPECT_EQ(drag.selected[i] == '1' ? 0xFFD5AA : plain[at], pixels[at]) << drag.selected << " cell " << i;
        }
        Send(dw, WM_LBUTTONUP, 0, cell(drag.steps.back()));
    }
}

// Labels leaking to another DataWindow; a process-wide label for all.
TEST_F(MouseFeedback, LabelsOfEachDataWindowAndOfTheProcess) {
    HWND english = Open(Grid(), "[datawindow]\r\nsumlabel=Sum\r\nminlabel=Minimum\r\n");
    HWND plain = Open(Grid());
    EXPECT_EQ(L"Sum \t 15\r\n平均 \t 2.5\r\n最大 \t 4\r\nMinimum \t 1.5", DragStatistics(english));
    EXPECT_EQ(kDefaultStatistics, DragStatistics(plain));
    ASSERT_EQ(1, dll.SetInfoLabel(L"maxlabel", L"Top"));
    EXPECT_EQ(L"Sum \t 15\r\n平均 \t 2.5\r\nTop \t 4\r\nMinimum \t 1.5", DragStatistics(english));
    EXPECT_EQ(L"合计 \t 15\r\n平均 \t 2.5\r\nTop \t 4\r\n最小 \t 1.5", DragStatistics(plain));
    ClearProcessLabels(dll);  // the process-wide label does not outlive the test
}
