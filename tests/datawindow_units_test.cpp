// The painters on a grouped grid in PowerBuilder units and in pixels at 96 and 144 dots per inch (CTest runs both):
// hover band, selection frame, side-bar numbers and span rows;
// and the library's own conversion of PowerBuilder units on a runtime without one.
#include <gtest/gtest.h>
#include <process.h>
#include <windows.h>

#include <string>
#include <vector>

#include "private_messages.h"
#include "screen_dpi_run.h"
#include "tessel_host.h"
#include "window_surface.h"

namespace {

// Client pixels of the grid's parts: header, row, columns a and b (x and width), group header, trailer.
struct Geometry {
    int header, row, ax, aw, bx, bw, groupHeader, trailer;
};
// 4 units down and 32/7 across a pixel at 96 dots per inch: pixels, or units at 96, then units at 144.
const Geometry kGeometries[] = {{24, 20, 1, 140, 142, 140, 16, 12}, {36, 30, 2, 210, 213, 210, 24, 18}};

// Columns a and b 640 units / 140 pixels wide, header 96 / 24, detail 80 / 20; grouped by a, three rows a group, with a
// group header of 64 / 16 and a trailer of 48 / 12.
std::wstring Grid(int units) {
    auto v = [units](int u, int px) { return units == 0 ? u : px; };
    std::wstring data;
    for (int r = 1; r <= 40; ++r) data += std::to_wstring((r + 2) / 3) + L" " + std::to_wstring(r) + L" ";
    return GridSyntax(units)
        .Header(v(96, 24))
        .Detail(v(80, 20))
        .DataWindow(L"selected.mouse=yes")
        .Column(L"a", L"long", v(640, 140), L"a")
        .Column(L"b", L"long", v(640, 140), L"b")
        .Line(L"group(level=1 header.height=" + std::to_wstring(v(64, 16)) + L" trailer.height=" +
              std::to_wstring(v(48, 12)) + L" by=(\"a\") header.color=\"12632256\" trailer.color=\"12632256\")")
        .Data(data)
        .Text();
}

bool Reddish(COLORREF c) { return GetRValue(c) > GetGValue(c) + 50 && GetRValue(c) > GetBValue(c) + 50; }
bool Dark(COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c) < 300; }
bool Ink(COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c) < 600; }  // the side bar's grey digits
// The whole window with the side bar's numbers beside the rows; window rows are client rows one lower.
WindowSurface SideBarOf(HWND dw) {
    SendMessageW(dw, kSideBarMessage, 0, 1);
    RedrawWindow(dw, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    PumpMessages();
    return WindowSurface(dw, WindowSurface::WholeWindow);
}

class UnitGrid : public TesselHostP {
protected:
    void SetUp() override {
        TesselHostP::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_TRUE(ScreenDpiY() == 96 || ScreenDpiY() == 144) << ScreenDpiY();
        g = kGeometries[Units() == 0 && ScreenDpiY() == 144];
        dw = Attach(Grid(Units()), std::string(), 500, 400);
    }
    int RowTop(int row) const {  // of the first page
        return g.header + (row - 1) / 3 * (g.groupHeader + 3 * g.row + g.trailer) + g.groupHeader +
               (row - 1) % 3 * g.row;
    }
    LPARAM InRow(int x, int row) const { return MAKELPARAM(x, RowTop(row) + g.row / 2); }
    Geometry g = {};
    HWND dw = nullptr;
};

}  // namespace

// Numbers beside the rows only, not beside a trailer and the next group's header; a band over row 5 within that row
// only, after the mouse was over row 1.
TEST_P(UnitGrid, SideBarAndHoverBandBetweenGroupBands) {
    const WindowSurface w = SideBarOf(dw);
    for (int row : {1, 3, 4, 5})
        EXPECT_GT(w.Count(RECT{4, 1 + RowTop(row) + 2, 44, RowTop(row) + g.row}, Ink), 3) << row;
    EXPECT_EQ(0, w.Count(RECT{4, 1 + RowTop(3) + g.row + 2, 44, RowTop(4) - 1}, Ink))
        << "beside trailer and group header";
    const int x = g.ax + g.aw - 4, top = RowTop(5);
    SendMessageW(dw, kHoverColorMessage, 0, 0x0000FF);
    SendMessageW(dw, WM_MOUSEMOVE, 0, InRow(x, 1));
    PumpMessages();
    SendMessageW(dw, WM_MOUSEMOVE, 0, InRow(x, 5));
    const WindowSurface s(dw, WindowSurface::Client);
    EXPECT_TRUE(Reddish(s.At(x, top + 2)) && Reddish(s.At(x, top + g.row - 2)));
    EXPECT_FALSE(Reddish(s.At(x, top - 3)) || Reddish(s.At(x, top + g.row + 3)));
}

// A drag from row 2 of column a to row 5 of column b, across a group break: the frame's four edges.
TEST_P(UnitGrid, SelectionFrameAroundTheDraggedCells) {
    SendMessageW(dw, WM_LBUTTONDOWN, MK_LBUTTON, InRow(g.ax + g.aw / 2, 2));
    PumpMessages();
    SendMessageW(dw, WM_MOUSEMOVE, MK_LBUTTON, InRow(g.bx + g.bw / 2, 5));
    const WindowSurface s(dw, WindowSurface::Client);
    SendMessageW(dw, WM_LBUTTONUP, 0, InRow(g.bx + g.bw / 2, 5));
    PumpMessages();
    EXPECT_EQ(L"2/5/a/b", pb->Describe(dw, L"DataWindow.Selected"));
    auto red = [&](int x, int y, int w, int h) { return s.Count(RECT{x, y, x + w, y + h}, Reddish) > 0; };
    const int x = g.ax + g.aw / 2, middle = RowTop(3) + g.row / 2;
    EXPECT_TRUE(red(g.ax - 1, middle, 3, 1)) << "left edge";
    EXPECT_TRUE(red(g.bx + g.bw - 1, middle, 3, 1)) << "right edge";
    EXPECT_TRUE(red(x, RowTop(2) - 1, 1, 3)) << "top edge";
    EXPECT_TRUE(red(x, RowTop(5) + g.row - 1, 1, 3)) << "bottom edge";
    EXPECT_FALSE(red(x, RowTop(5) + 2 * g.row - 1, 1, 3)) << "one row lower";
}

TEST_P(UnitGrid, SpanTitleOverItsColumns) {  // the header grows by its own height: span above, labels below
    ASSERT_EQ(1, dll.SetSpanTitle(dw, L"a,b", L"Span", L"Tahoma", 10, Units() == 0 ? 96 : 24));
    PumpMessages();
    UpdateWindow(dw);
    const WindowSurface s(dw, WindowSurface::Client);
    EXPECT_GT(s.Count(RECT{g.ax, 0, g.bx + g.bw, g.header}, Dark), 3) << "the span title";
    EXPECT_EQ(0, s.Count(RECT{g.ax, 0, g.ax + g.aw / 3, g.header - 1}, Dark)) << "label a left the upper half";
    EXPECT_GT(s.Count(RECT{g.ax, g.header, g.ax + g.aw, 2 * g.header}, Dark), 3) << "label a";
    EXPECT_GT(s.Count(RECT{g.bx, g.header, g.bx + g.bw, 2 * g.header}, Dark), 3) << "label b";
}

INSTANTIATE_TEST_SUITE_P(Generations, UnitGrid, ::testing::Values(HostParams{105, 0}, HostParams{105, 1}),
                         HostParamsName());

// The reduced runtime, which offers no FN_ConvertUnits; in a process of its own (see main).
using OwnConversion = TesselHostP;

// The library's own conversion truncating, or converting down with the factor across. Down, a PowerBuilder unit is
// 1/64 of the system font's height of 16 pixels at 96 dpi, scaled with the resolution: 1/4 pixel at 96 dpi, 3/8 at
// 144, rounded half away from zero. A header of 98 units is 24.5 pixels (25) or 36.75 (37), rows of 82 units 20.5 (21)
// or 30.75 (31): the side bar's separators, one row apart from the header's bottom edge.
TEST_P(OwnConversion, SideBarRowsWhereTheLibraryConvertsThem) {  // at 96 dpi, else at 144
    const std::vector<int> expected =
        ScreenDpiY() == 96 ? std::vector<int>{26, 47, 68, 89} : std::vector<int>{38, 69, 100, 131};
    const WindowSurface w =
        SideBarOf(Attach(GridSyntax(0).Header(98).Detail(82).Column(L"a", L"long", 640, L"A").NumberedRows(9).Text()));
    std::vector<int> separators;
    for (int y = 2; y <= expected.back(); ++y)
        if (w.At(40, y) == GetSysColor(COLOR_3DLIGHT)) separators.push_back(y);
    EXPECT_EQ(expected, separators);
}

INSTANTIATE_TEST_SUITE_P(Reduced, OwnConversion, ::testing::Values(HostParams{PBSIM_REDUCED_GENERATION, 0}),
                         HostParamsName());

// The reduced runtime's case runs in a process of its own after the others: the library binds the runtime modules it
// finds loaded, and those of a runtime loaded before stay loaded.
int main(int argc, char** argv) {
    const int relaunched = RunAtWantedDpi();
    if (relaunched >= 0) return relaunched;
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(filter) != "*") return RUN_ALL_TESTS();
    ::testing::GTEST_FLAG(filter) = "-Reduced/*";
    const int others = RUN_ALL_TESTS();
    const char* const arguments[] = {argv[0], "--gtest_filter=Reduced/*", nullptr};
    const intptr_t reduced = _spawnv(_P_WAIT, argv[0], arguments);
    return others != 0 || reduced != 0;
}
