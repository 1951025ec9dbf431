// The painters on grids in PowerBuilder units and in pixels at the screen's
// resolution (CTest runs this program at 96 and at 144 dots per inch): hover
// band, selection frame, side-bar numbers, progress cells, sort marks, title
// rows and span titles, read back in pixels where a table of literal
// geometries puts them; on a grid with group bands, the rows between the
// group headers and trailers.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "private_messages.h"
#include "screen_dpi_run.h"
#include "tessel_host.h"
#include "window_surface.h"

namespace {

// Where a grid's parts lie, in client pixels.
struct Geometry {
    int units, dpi;
    int header, row;
    int ax, aw, bx, bw, cx, cw;  // columns a, b and c (progress cells)
    int title;                   // a title row of 120 units or 30 pixels
    int groupHeader, trailer;    // the grouped grid's bands
};

// 4 units down and 32/7 across a pixel at 96 dots per inch, two thirds of that at 144.
const Geometry kGeometries[] = {
    {1, 96, 24, 20, 14, 140, 154, 140, 294, 140, 30, 16, 12},
    {0, 96, 24, 20, 14, 140, 154, 140, 294, 140, 30, 16, 12},
    {1, 144, 24, 20, 14, 140, 154, 140, 294, 140, 30, 16, 12},
    {0, 144, 36, 30, 21, 210, 231, 210, 441, 210, 45, 24, 18},
};

// Columns of 640 units or 140 pixels from 64 units or 14 pixels on, header 96
// or 24, detail 80 or 20; grouped: by g, group header 64 or 16, trailer 48 or 12.
std::wstring Grid(int units, bool grouped) {
    auto v = [units](int unitsValue, int pixelValue) { return std::to_wstring(units == 0 ? unitsValue : pixelValue); };
    std::wstring s = L"release 19;\ndatawindow(units=" + std::to_wstring(units) +
                     L" processing=1 selected.mouse=yes)\n" + L"header(height=" + v(96, 24) + L")\ndetail(height=" +
                     v(80, 20) + L")\n";
    const wchar_t* names[] = {L"a", L"b", L"c"};
    const wchar_t* labels[] = {L"A", L"B", L"C sort:A"};
    const int columns = grouped ? 2 : 3;
    if (grouped) {
        names[0] = L"g";
        s += L"table(column=(type=long name=g dbname=\"g\") column=(type=long name=b dbname=\"b\"))\n"
             L"group(level=1 header.height=" +
             v(64, 16) + L" trailer.height=" + v(48, 12) +
             L" by=(\"g\") header.color=\"12632256\" trailer.color=\"12632256\")\n";
    } else {
        s += L"table(column=(type=long name=a dbname=\"a\") column=(type=decimal(2) name=b dbname=\"b\") "
             L"column=(type=char(40) name=c dbname=\"c\"))\n";
    }
    for (int i = 0; i < columns; ++i) {
        const std::wstring x = v(64 + 640 * i, 14 + 140 * i), w = v(640, 140);
        s += std::wstring(L"text(band=header text=\"") + labels[i] + L"\" border=\"0\" x=\"" + x + L"\" y=\"" +
             v(8, 2) + L"\" height=\"" + v(80, 20) + L"\" width=\"" + w + L"\" name=" + names[i] + L"_t)\n";
        s += L"column(band=detail id=" + std::to_wstring(i + 1) + L" x=\"" + x + L"\" y=\"" + v(4, 1) +
             L"\" height=\"" + v(72, 18) + L"\" width=\"" + w + L"\" name=" + names[i] + L" visible=\"1\")\n";
    }
    s += L"data(";
    for (int r = 1; r <= 40; ++r)
        s += grouped ? std::to_wstring((r - 1) / 3 + 1) + L" " + std::to_wstring(r) + L" "
                     : std::to_wstring(r) + L" " + std::to_wstring(r) + L".5 \"progress{50:255:0}\" ";
    return s + L")\n";
}

bool Reddish(COLORREF c) { return GetRValue(c) > GetGValue(c) + 50 && GetRValue(c) > GetBValue(c) + 50; }
bool Dark(COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c) < 300; }
// The side bar's thin anti-aliased digits are often grey rather than dark.
bool Ink(COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c) < 600; }

class UnitGrid : public TesselHostP {
protected:
    void Open(bool grouped) {
        for (const Geometry& candidate : kGeometries)
            if (candidate.units == Units() && candidate.dpi == ScreenDpiY()) g = candidate;
        ASSERT_NE(0, g.dpi) << "no geometry at " << ScreenDpiY() << " dots per inch";
        dw = Attach(Grid(Units(), grouped), std::string(), grouped ? 500 : 700, 400);
        ASSERT_NE(nullptr, dw);
        this->grouped = grouped;
    }
    // The top of a row of the first page (the grouped grid: three rows a group).
    int RowTop(int row) const {
        if (!grouped) return g.header + (row - 1) * g.row;
        return g.header + (row - 1) / 3 * (g.groupHeader + 3 * g.row + g.trailer) + g.groupHeader +
               (row - 1) % 3 * g.row;
    }
    LPARAM InRow(int x, int row) const { return MAKELPARAM(x, RowTop(row) + g.row / 2); }
    int Count(const WindowSurface& s, int left, int top, int right, int bottom, bool (*match)(COLORREF)) const {
        return s.Count(RECT{left, top, right, bottom}, match);
    }
    // Hover over row 1, then over the row: the band within that row only.
    void ExpectHoverBand(int row) {
        const int x = g.ax + g.aw - 4;
        SendMessageW(dw, kHoverColorMessage, 0, 0x0000FF);
        SendMessageW(dw, WM_MOUSEMOVE, 0, InRow(x, 1));
        PumpMessages();
        SendMessageW(dw, WM_MOUSEMOVE, 0, InRow(x, row));
        const WindowSurface s(dw, WindowSurface::Client);
        EXPECT_TRUE(Reddish(s.At(x, RowTop(row) + 2)));
        EXPECT_TRUE(Reddish(s.At(x, RowTop(row) + g.row - 2)));
        EXPECT_FALSE(Reddish(s.At(x, RowTop(row) - 3))) << "the row above";
        EXPECT_FALSE(Reddish(s.At(x, RowTop(row) + g.row + 3))) << "the row below";
    }
    // A drag from row 2 of column a to the row at toX: the frame's edges
    // (its right one at right, when given).
    void ExpectSelectionFrame(int row, int toX, const wchar_t* selected, int right = -1) {
        SendMessageW(dw, WM_LBUTTONDOWN, MK_LBUTTON, InRow(g.ax + g.aw / 2, 2));
        PumpMessages();
        SendMessageW(dw, WM_MOUSEMOVE, MK_LBUTTON, InRow(toX, row));
        const WindowSurface s(dw, WindowSurface::Client);
        SendMessageW(dw, WM_LBUTTONUP, 0, InRow(toX, row));
        PumpMessages();
        EXPECT_EQ(selected, pb->Describe(dw, L"DataWindow.Selected"));
        auto redAcross = [&](int x, int y) { return Count(s, x, y - 1, x + 1, y + 2, Reddish) > 0; };
        const int x = g.ax + g.aw / 2;
        EXPECT_GT(Count(s, g.ax - 1, RowTop(3) + g.row / 2, g.ax + 2, RowTop(3) + g.row / 2 + 1, Reddish), 0)
            << "left edge";
        EXPECT_TRUE(redAcross(x, RowTop(2))) << "top edge";
        EXPECT_TRUE(redAcross(x, RowTop(row) + g.row)) << "bottom edge";
        EXPECT_FALSE(redAcross(x, RowTop(row) + 2 * g.row)) << "one row lower";
        const int middle = RowTop(3) + g.row / 2;
        if (right >= 0) {
            EXPECT_GT(Count(s, right - 1, middle, right + 2, middle + 1, Reddish), 0) << "right edge";
        }
    }
    // The side bar on: numbers beside the rows (window rows are client rows one lower).
    WindowSurface SideBar() {
        SendMessageW(dw, kSideBarMessage, 0, 1);
        RedrawWindow(dw, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
        PumpMessages();
        return WindowSurface(dw, WindowSurface::WholeWindow);
    }
    Geometry g = {};
    HWND dw = nullptr;
    bool grouped = false;
};

}  // namespace

TEST_P(UnitGrid, HoverBandUnderThePointersRow) {
    Open(false);
    ExpectHoverBand(3);
}

TEST_P(UnitGrid, SelectionFrameAroundTheDraggedCells) {
    Open(false);
    ExpectSelectionFrame(4, g.bx + g.bw / 2, L"2/4/a/b", g.bx + g.bw);
}

TEST_P(UnitGrid, SideBarNumbersBesideTheirRows) {
    Open(false);
    const WindowSurface w = SideBar();
    for (int row = 1; row <= 4; ++row) {
        EXPECT_EQ(GetSysColor(COLOR_3DLIGHT), w.At(30, 1 + RowTop(row))) << "separator above row " << row;
        EXPECT_GT(Count(w, 4, 1 + RowTop(row) + 2, 44, RowTop(row) + g.row, Ink), 3) << "number of row " << row;
    }
}

TEST_P(UnitGrid, ProgressCellsAndSortMarkInTheirCells) {
    Open(false);
    const WindowSurface s(dw, WindowSurface::Client);
    const int y = g.header + g.row / 2;
    EXPECT_TRUE(Reddish(s.At(g.cx + g.cw / 4, y)));  // half of c's cell is the red bar
    EXPECT_FALSE(Reddish(s.At(g.cx + g.cw * 3 / 4, y)));
    EXPECT_FALSE(Reddish(s.At(g.bx + g.bw / 4, y)));
    // The sort mark at the right end of c's header cell, none in b's.
    EXPECT_GT(Count(s, g.cx + g.cw - 13, 0, g.cx + g.cw - 1, g.header, Dark), 3);
    EXPECT_EQ(0, Count(s, g.bx + g.bw - 13, 0, g.bx + g.bw - 1, g.header, Dark));
}

TEST_P(UnitGrid, TitleRowAboveTheHeader) {
    Open(false);
    ASSERT_EQ(1, dll.AddDatawindowTitle(dw, L"Title", L"Tahoma", 10, Units() == 0 ? 120 : 30));
    PumpMessages();
    UpdateWindow(dw);
    const WindowSurface s(dw, WindowSurface::Client);
    EXPECT_GT(Count(s, g.ax, g.title, g.ax + g.aw, g.title + g.header, Dark), 3) << "label A under the title";
    EXPECT_EQ(0, Count(s, g.ax, 0, g.ax + g.aw / 3, g.title - 1, Dark)) << "label A left where the title is";
    EXPECT_GT(Count(s, 0, 0, s.Width(), g.title - 1, Dark), 3) << "title text";
}

TEST_P(UnitGrid, SpanTitleOverItsColumns) {
    Open(false);
    // The header grows by its own height: the span over a and b above, the labels below.
    ASSERT_EQ(1, dll.SetSpanTitle(dw, L"a,b", L"Span", L"Tahoma", 10, Units() == 0 ? 96 : 24));
    PumpMessages();
    UpdateWindow(dw);
    const WindowSurface s(dw, WindowSurface::Client);
    const int half = g.header;
    EXPECT_GT(Count(s, g.ax, 0, g.bx + g.bw, half, Dark), 3) << "the span title";
    EXPECT_EQ(0, Count(s, g.ax, 0, g.ax + g.aw / 3, half - 1, Dark)) << "label a left the upper half";
    EXPECT_GT(Count(s, g.ax, half, g.ax + g.aw, 2 * half, Dark), 3) << "label a";
    EXPECT_GT(Count(s, g.bx, half, g.bx + g.bw, 2 * half, Dark), 3) << "label b";
}

TEST_P(UnitGrid, GroupedHoverBandOnTheRowBetweenGroupBands) {
    Open(true);
    ASSERT_EQ(RowTop(5), g.header + 2 * g.groupHeader + 4 * g.row + g.trailer);
    ExpectHoverBand(5);
}

TEST_P(UnitGrid, GroupedSelectionFrameAcrossAGroupBreak) {
    Open(true);
    ExpectSelectionFrame(5, g.ax + g.aw / 2, L"2/5/g");
}

TEST_P(UnitGrid, GroupedSideBarNumbersBesideTheirRows) {
    Open(true);
    const WindowSurface w = SideBar();
    for (int row : {1, 3, 4, 5}) EXPECT_GT(Count(w, 4, 1 + RowTop(row) + 2, 44, RowTop(row) + g.row, Ink), 3) << row;
    EXPECT_EQ(0, Count(w, 4, 1 + RowTop(3) + g.row + 2, 44, RowTop(4) - 1, Ink)) << "beside trailer and group header";
}

INSTANTIATE_TEST_SUITE_P(Generations, UnitGrid, ::testing::Values(HostParams{105, 0}, HostParams{105, 1}),
                         HostParamsName());

int main(int argc, char** argv) {
    const int relaunched = RunAtWantedDpi();
    if (relaunched >= 0) return relaunched;
    ::testing::InitGoogleTest(&argc, argv);
    printf("screen: %d dots per inch\n", ScreenDpiY());
    return RUN_ALL_TESTS();
}
