// The painters on grids in PowerBuilder units and in pixels, at the screen's
// resolution (CTest runs this program at 96 and at 144 dots per inch): the
// hover band under the pointer's row, the selection frame around the dragged
// cells, the side bar's row numbers beside their rows, progress cells and
// sort marks in their cells, title rows above the header and span titles over
// their columns, read back in
// pixels at the places a table of literal geometries gives; on a grid with
// group bands the hover band and the selection frame lie on the rows between
// the group headers and trailers.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "message_pump.h"
#include "pbsim_runtime.h"
#include "screen_dpi_run.h"
#include "tessel_dll.h"
#include "window_surface.h"

namespace {

// Where a grid's parts lie on screen, in client pixels.
struct Geometry {
    int units;  // 0 PowerBuilder units, 1 pixels
    int dpi;
    int header;
    int row;
    int ax, aw;  // column a
    int bx, bw;  // column b
    int cx, cw;  // column c (progress cells)
    int title;   // a title row of 120 units or 30 pixels
};

// PowerBuilder units: 4 down and 32/7 across per pixel at 96 dots per inch,
// two thirds of that at 144. The same grid in pixels does not change.
const Geometry kGeometries[] = {
    {1, 96, 24, 20, 14, 140, 154, 140, 294, 140, 30},
    {0, 96, 24, 20, 14, 140, 154, 140, 294, 140, 30},
    {1, 144, 24, 20, 14, 140, 154, 140, 294, 140, 30},
    {0, 144, 36, 30, 21, 210, 231, 210, 441, 210, 45},
};

std::wstring Grid(int units) {
    // Header 96 units or 24 pixels, detail 80 or 20; columns at 64, 704 and
    // 1344 units (14, 154, 294 pixels), each 640 units (140 pixels) wide.
    const bool pb = units == 0;
    auto v = [pb](int unitsValue, int pixelValue) { return std::to_wstring(pb ? unitsValue : pixelValue); };
    std::wstring s = L"release 19;\n";
    s += L"datawindow(units=" + std::to_wstring(units) + L" processing=1 selected.mouse=yes)\n";
    s += L"header(height=" + v(96, 24) + L")\n";
    s += L"detail(height=" + v(80, 20) + L")\n";
    s += L"table(column=(type=long name=a dbname=\"a\") column=(type=decimal(2) name=b dbname=\"b\") "
         L"column=(type=char(40) name=c dbname=\"c\"))\n";
    const wchar_t* names[] = {L"a", L"b", L"c"};
    const wchar_t* labels[] = {L"A", L"B", L"C sort:A"};
    for (int i = 0; i < 3; ++i) {
        const std::wstring x = v(64 + 640 * i, 14 + 140 * i), w = v(640, 140);
        s += std::wstring(L"text(band=header text=\"") + labels[i] + L"\" border=\"0\" x=\"" + x + L"\" y=\"" +
             v(8, 2) + L"\" height=\"" + v(80, 20) + L"\" width=\"" + w + L"\" name=" + names[i] + L"_t)\n";
        s += L"column(band=detail id=" + std::to_wstring(i + 1) + L" x=\"" + x + L"\" y=\"" + v(4, 1) +
             L"\" height=\"" + v(72, 18) + L"\" width=\"" + w + L"\" name=" + names[i] + L" visible=\"1\")\n";
    }
    s += L"data(";
    for (int r = 1; r <= 40; ++r) s += std::to_wstring(r) + L" " + std::to_wstring(r) + L".5 \"progress{50:255:0}\" ";
    return s + L")\n";
}

constexpr UINT kHoverColor = 11039;
constexpr UINT kSideBar = 11040;

bool Reddish(COLORREF c) { return GetRValue(c) > GetGValue(c) + 50 && GetRValue(c) > GetBValue(c) + 50; }
bool Dark(COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c) < 300; }
// A pixel of the side bar's thin digits on its white: anti-aliased, they are
// often grey rather than dark.
bool Ink(COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c) < 600; }

// One attached grid in the units of the parameter (0 PowerBuilder units, 1
// pixels), with the geometry its table gives at the screen's resolution.
template <typename G>
class AttachedGrid : public ::testing::TestWithParam<int> {
protected:
    template <size_t N>
    void Open(const G (&table)[N], const std::wstring& syntax, int width) {
        for (const G& g : table)
            if (g.units == GetParam() && g.dpi == ScreenDpiY()) geometry = g;
        ASSERT_NE(0, geometry.dpi) << "no expected geometry at " << ScreenDpiY() << " dots per inch";
        ASSERT_TRUE(pb.ok());
        ASSERT_EQ(dll.StartTessel(), 1);
        dw = pb.Create(syntax.c_str(), 0, width, 400);
        ASSERT_NE(dw, nullptr) << pb.LastError();
        dll.AttachDatawindow(dw, nullptr);
        PumpMessages();
        UpdateWindow(dw);
    }
    void TearDown() override {
        if (dw) dll.DettachDatawindow(dw);
        dll.StopTessel();
        if (dw) DestroyWindow(dw);
    }
    std::vector<COLORREF> Client(int* width) const {
        const WindowSurface surface(dw, WindowSurface::Client);
        *width = surface.Width();
        return surface.Pixels();
    }
    G geometry = {};
    PbsimRuntime pb{TestRuntimeGeneration()};
    TesselDll dll;
    HWND dw = nullptr;
};

class Units : public AttachedGrid<Geometry> {
protected:
    void SetUp() override { Open(kGeometries, Grid(GetParam()), 700); }
    // The client point in the middle of a row's cell of column a.
    LPARAM RowPoint(int row) const {
        return MAKELPARAM(geometry.ax + geometry.aw / 2, geometry.header + (row - 1) * geometry.row + geometry.row / 2);
    }
};

}  // namespace

TEST_P(Units, HoverBandUnderThePointersRow) {
    SendMessageW(dw, kHoverColor, 0, 0x0000FF);
    SendMessageW(dw, WM_MOUSEMOVE, 0, RowPoint(1));
    PumpMessages();
    SendMessageW(dw, WM_MOUSEMOVE, 0, RowPoint(3));
    int width = 0;
    const std::vector<COLORREF> pixels = Client(&width);
    const Geometry& g = geometry;
    const int x = g.bx + g.bw - 4;  // right of the numbers of column b
    EXPECT_TRUE(Reddish(pixels[(g.header + 2 * g.row + 2) * width + x]));
    EXPECT_TRUE(Reddish(pixels[(g.header + 3 * g.row - 2) * width + x]));
    EXPECT_FALSE(Reddish(pixels[(g.header + 2 * g.row - 3) * width + x]));  // row 2
    EXPECT_FALSE(Reddish(pixels[(g.header + 3 * g.row + 3) * width + x]));  // row 4
}

TEST_P(Units, SelectionFrameAroundTheDraggedCells) {
    const Geometry& g = geometry;
    SendMessageW(dw, WM_LBUTTONDOWN, MK_LBUTTON, RowPoint(2));
    PumpMessages();
    const LPARAM to = MAKELPARAM(g.bx + g.bw / 2, g.header + 3 * g.row + g.row / 2);  // row 4, column b
    SendMessageW(dw, WM_MOUSEMOVE, MK_LBUTTON, to);
    int width = 0;
    const std::vector<COLORREF> pixels = Client(&width);
    SendMessageW(dw, WM_LBUTTONUP, 0, to);
    PumpMessages();
    EXPECT_EQ(L"2/4/a/b", pb.Describe(dw, L"DataWindow.Selected"));
    auto redNear = [&](int x, int y, bool across) {
        for (int d = -1; d <= 1; ++d)
            if (Reddish(pixels[(across ? y + d : y) * width + (across ? x : x + d)])) return true;
        return false;
    };
    const int middle = g.header + 2 * g.row + g.row / 2;
    EXPECT_TRUE(redNear(g.ax, middle, false)) << "left edge";
    EXPECT_TRUE(redNear(g.bx + g.bw, middle, false)) << "right edge";
    EXPECT_TRUE(redNear(g.bx, g.header + g.row, true)) << "top edge";
    EXPECT_TRUE(redNear(g.bx, g.header + 4 * g.row, true)) << "bottom edge";
    EXPECT_FALSE(redNear(g.bx, g.header + 5 * g.row, true)) << "one row lower";
}

TEST_P(Units, SideBarNumbersBesideTheirRows) {
    SendMessageW(dw, kSideBar, 0, 1);
    RedrawWindow(dw, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    PumpMessages();
    const WindowSurface window(dw, WindowSurface::WholeWindow);
    const Geometry& g = geometry;
    const COLORREF gridLine = GetSysColor(COLOR_3DLIGHT);
    const int top = 1 + g.header;  // under the 1-pixel frame and the header
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(gridLine, window.At(30, top + k * g.row)) << "separator above row " << k + 1;
        int dark = 0;
        for (int y = top + k * g.row + 2; y < top + (k + 1) * g.row - 1; ++y)
            for (int x = 4; x < 44; ++x) dark += Ink(window.At(x, y));
        EXPECT_GT(dark, 3) << "number of row " << k + 1;
    }
}

TEST_P(Units, ProgressCellsAndSortMarkInTheirCells) {
    const WindowSurface surface(dw, WindowSurface::Client);
    const Geometry& g = geometry;
    const int y = g.header + g.row / 2;  // row 1
    // Half of column c's cell is the red bar; the other half is not.
    EXPECT_TRUE(Reddish(surface.At(g.cx + g.cw / 4, y)));
    EXPECT_FALSE(Reddish(surface.At(g.cx + g.cw * 3 / 4, y)));
    EXPECT_FALSE(Reddish(surface.At(g.bx + g.bw / 4, y)));
    // The sort mark at the right end of the header cell of c, none in b's.
    int markC = 0, markB = 0;
    for (int yy = 0; yy < g.header; ++yy)
        for (int dx = 2; dx < 14; ++dx) {
            markC += Dark(surface.At(g.cx + g.cw - dx, yy));
            markB += Dark(surface.At(g.bx + g.bw - dx, yy));
        }
    EXPECT_GT(markC, 3);
    EXPECT_EQ(0, markB);
}

TEST_P(Units, TitleRowAboveTheHeader) {
    const int height = GetParam() == 0 ? 120 : 30;
    ASSERT_EQ(1, dll.AddDatawindowTitle(dw, L"Title", L"Tahoma", 10, height));
    PumpMessages();
    UpdateWindow(dw);
    const WindowSurface surface(dw, WindowSurface::Client);
    const Geometry& g = geometry;
    auto darkIn = [&](int left, int top, int right, int bottom) {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) n += Dark(surface.At(x, y));
        return n;
    };
    // The label "A" now lies under the title row, the title's text above it.
    EXPECT_GT(darkIn(g.ax, g.title, g.ax + g.aw, g.title + g.header), 3) << "header label under the title";
    EXPECT_EQ(0, darkIn(g.ax, 0, g.ax + g.aw / 3, g.title - 1)) << "the label left where the title is";
    EXPECT_GT(darkIn(0, 0, surface.Width(), g.title - 1), 3) << "title text";
}

namespace {

// A grid grouped by column g: three rows a group, each group under a group
// header (64 units or 16 pixels) and over a trailer (48 units or 12 pixels).
struct GroupGeometry {
    int units;
    int dpi;
    int header, groupHeader, row, trailer;
    int ax, aw;
};

const GroupGeometry kGroupGeometries[] = {
    {1, 96, 24, 16, 20, 12, 14, 140},
    {0, 96, 24, 16, 20, 12, 14, 140},
    {1, 144, 24, 16, 20, 12, 14, 140},
    {0, 144, 36, 24, 30, 18, 21, 210},
};

std::wstring GroupedGrid(int units) {
    const bool pb = units == 0;
    auto v = [pb](int unitsValue, int pixelValue) { return std::to_wstring(pb ? unitsValue : pixelValue); };
    std::wstring s = L"release 19;\n";
    s += L"datawindow(units=" + std::to_wstring(units) + L" processing=1 selected.mouse=yes)\n";
    s += L"header(height=" + v(96, 24) + L")\n";
    s += L"detail(height=" + v(80, 20) + L")\n";
    s += L"table(column=(type=long name=g dbname=\"g\") column=(type=long name=n dbname=\"n\"))\n";
    s += L"group(level=1 header.height=" + v(64, 16) + L" trailer.height=" + v(48, 12) +
         L" by=(\"g\") header.color=\"12632256\" trailer.color=\"12632256\")\n";
    s += L"text(band=header text=\"G\" border=\"0\" x=\"" + v(64, 14) + L"\" y=\"" + v(8, 2) + L"\" height=\"" +
         v(80, 20) + L"\" width=\"" + v(640, 140) + L"\" name=g_t)\n";
    s += L"text(band=header text=\"N\" border=\"0\" x=\"" + v(704, 154) + L"\" y=\"" + v(8, 2) + L"\" height=\"" +
         v(80, 20) + L"\" width=\"" + v(640, 140) + L"\" name=n_t)\n";
    s += L"column(band=detail id=1 x=\"" + v(64, 14) + L"\" y=\"" + v(4, 1) + L"\" height=\"" + v(72, 18) +
         L"\" width=\"" + v(640, 140) + L"\" name=g visible=\"1\")\n";
    s += L"column(band=detail id=2 x=\"" + v(704, 154) + L"\" y=\"" + v(4, 1) + L"\" height=\"" + v(72, 18) +
         L"\" width=\"" + v(640, 140) + L"\" name=n visible=\"1\")\n";
    s += L"data(";
    for (int r = 1; r <= 30; ++r) s += std::to_wstring((r - 1) / 3 + 1) + L" " + std::to_wstring(r) + L" ";
    return s + L")\n";
}

class GroupedUnits : public AttachedGrid<GroupGeometry> {
protected:
    void SetUp() override { Open(kGroupGeometries, GroupedGrid(GetParam()), 500); }
    // Top of a row of the first page: the groups before it each add their
    // header and trailer, its own group its header.
    int RowTop(int row) const {
        const GroupGeometry& g = geometry;
        const int groupsBefore = (row - 1) / 3;
        return g.header + groupsBefore * (g.groupHeader + 3 * g.row + g.trailer) + g.groupHeader +
               ((row - 1) % 3) * g.row;
    }
};

}  // namespace

TEST_P(GroupedUnits, HoverBandOnTheRowBetweenGroupBands) {
    const GroupGeometry& g = geometry;
    const int x = g.ax + g.aw - 4;
    ASSERT_EQ(RowTop(5), g.header + 2 * g.groupHeader + 4 * g.row + g.trailer);
    SendMessageW(dw, kHoverColor, 0, 0x0000FF);
    SendMessageW(dw, WM_MOUSEMOVE, 0, MAKELPARAM(x, RowTop(1) + g.row / 2));
    PumpMessages();
    SendMessageW(dw, WM_MOUSEMOVE, 0, MAKELPARAM(x, RowTop(5) + g.row / 2));
    int width = 0;
    const std::vector<COLORREF> pixels = Client(&width);
    EXPECT_TRUE(Reddish(pixels[(RowTop(5) + 2) * width + x]));
    EXPECT_TRUE(Reddish(pixels[(RowTop(5) + g.row - 2) * width + x]));
    EXPECT_FALSE(Reddish(pixels[(RowTop(5) - 3) * width + x]));          // row 4
    EXPECT_FALSE(Reddish(pixels[(RowTop(5) + g.row + 3) * width + x]));  // row 6
}

TEST_P(GroupedUnits, SelectionFrameAcrossAGroupBreak) {
    const GroupGeometry& g = geometry;
    const int x = g.ax + g.aw / 2;
    SendMessageW(dw, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, RowTop(2) + g.row / 2));
    PumpMessages();
    SendMessageW(dw, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, RowTop(5) + g.row / 2));
    int width = 0;
    const std::vector<COLORREF> pixels = Client(&width);
    SendMessageW(dw, WM_LBUTTONUP, 0, MAKELPARAM(x, RowTop(5) + g.row / 2));
    PumpMessages();
    EXPECT_EQ(L"2/5/g", pb.Describe(dw, L"DataWindow.Selected"));
    auto redAcross = [&](int y) {
        for (int d = -1; d <= 1; ++d)
            if (Reddish(pixels[(y + d) * width + x])) return true;
        return false;
    };
    EXPECT_TRUE(redAcross(RowTop(2))) << "top edge over row 2";
    EXPECT_TRUE(redAcross(RowTop(5) + g.row)) << "bottom edge under row 5";
    EXPECT_FALSE(redAcross(RowTop(5) + 2 * g.row)) << "one row lower";
}

TEST_P(GroupedUnits, SideBarNumbersBesideTheirRows) {
    const GroupGeometry& g = geometry;
    SendMessageW(dw, kSideBar, 0, 1);
    RedrawWindow(dw, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    PumpMessages();
    const WindowSurface window(dw, WindowSurface::WholeWindow);
    auto darkIn = [&](int top, int bottom) {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = 4; x < 44; ++x) n += Ink(window.At(x, y));
        return n;
    };
    // Window rows are client rows one lower (the 1-pixel frame).
    for (int row : {1, 3, 4, 5}) EXPECT_GT(darkIn(1 + RowTop(row) + 2, RowTop(row) + g.row), 3) << "row " << row;
    // Nothing beside the trailer of group 1 and the header of group 2.
    EXPECT_EQ(0, darkIn(1 + RowTop(3) + g.row + 2, RowTop(4) - 1));
}

INSTANTIATE_TEST_SUITE_P(PowerBuilderUnitsAndPixels, GroupedUnits, ::testing::Values(0, 1),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(info.param == 0 ? "pb_units" : "pixels");
                         });

TEST_P(Units, SpanTitleOverItsColumns) {
    // The header grows by its own height: the span title over a and b fills
    // the upper half, their labels the lower half.
    const int grow = GetParam() == 0 ? 96 : 24;
    ASSERT_EQ(1, dll.SetSpanTitle(dw, L"a,b", L"Span", L"Tahoma", 10, grow));
    PumpMessages();
    UpdateWindow(dw);
    const WindowSurface surface(dw, WindowSurface::Client);
    const Geometry& g = geometry;
    const int header = 2 * g.header;
    auto darkIn = [&](int left, int top, int right, int bottom) {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) n += Dark(surface.At(x, y));
        return n;
    };
    EXPECT_GT(darkIn(g.ax, 0, g.bx + g.bw, header / 2), 3) << "the span title";
    EXPECT_EQ(0, darkIn(g.ax, 0, g.ax + g.aw / 3, header / 2 - 1)) << "the label of a left the upper half";
    EXPECT_GT(darkIn(g.ax, header / 2, g.ax + g.aw, header), 3) << "the label of a";
    EXPECT_GT(darkIn(g.bx, header / 2, g.bx + g.bw, header), 3) << "the label of b";
}

INSTANTIATE_TEST_SUITE_P(PowerBuilderUnitsAndPixels, Units, ::testing::Values(0, 1),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(info.param == 0 ? "pb_units" : "pixels");
                         });

int main(int argc, char** argv) {
    const int relaunched = RunAtWantedDpi();
    if (relaunched >= 0) return relaunched;
    ::testing::InitGoogleTest(&argc, argv);
    printf("screen: %d dots per inch\n", ScreenDpiY());
    return RUN_ALL_TESTS();
}
