// Title rows and span titles on screen: after AddDatawindowTitle the title
// text shows above the column headers, which move down under it, with the
// line under the titles; after SetSpanTitle the span text stands over its
// columns in the upper part of the header; the side bar continues both on
// its left.
#include <gtest/gtest.h>
#include <windows.h>

#include "message_pump.h"
#include "pbsim_runtime.h"
#include "tessel_dll.h"
#include "window_surface.h"

namespace {

const wchar_t kGrid[] =
    L"release 10;\n"
    L"datawindow(units=1 processing=1)\n"
    L"header(height=24)\n"
    L"detail(height=20)\n"
    L"table(column=(type=long name=a dbname=\"a\") column=(type=long name=b dbname=\"b\") "
    L"column=(type=long name=c dbname=\"c\"))\n"
    L"text(band=header text=\"A\" border=\"0\" x=\"1\" y=\"1\" height=\"20\" width=\"80\" name=a_t)\n"
    L"text(band=header text=\"B\" border=\"0\" x=\"82\" y=\"1\" height=\"20\" width=\"80\" name=b_t)\n"
    L"text(band=header text=\"C\" border=\"0\" x=\"163\" y=\"1\" height=\"20\" width=\"80\" name=c_t)\n"
    L"column(band=detail id=1 x=\"1\" y=\"1\" height=\"18\" width=\"80\" name=a visible=\"1\")\n"
    L"column(band=detail id=2 x=\"82\" y=\"1\" height=\"18\" width=\"80\" name=b visible=\"1\")\n"
    L"column(band=detail id=3 x=\"163\" y=\"1\" height=\"18\" width=\"80\" name=c visible=\"1\")\n"
    L"data(1 2 3 4 5 6)\n";

bool Dark(COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c) < 300; }

// The dark pixels of a band of the client area.
int DarkIn(HWND window, RECT area) { return WindowSurface(window, WindowSurface::Client).Count(area, Dark); }

}  // namespace

TEST(Titles, TitleRowAndSpanTitleOnScreen) {
    PbsimRuntime pb(105);
    ASSERT_TRUE(pb.ok());
    TesselDll dll;
    ASSERT_EQ(1, dll.StartTessel());
    HWND grid = pb.Create(kGrid, 0, 300, 200);
    ASSERT_NE(nullptr, grid);
    dll.AttachDatawindow(grid, nullptr);
    PumpMessages();
    UpdateWindow(grid);
    // Before: the header texts in the first 24 pixels.
    EXPECT_GT(DarkIn(grid, RECT{1, 0, 80, 24}), 5);

    ASSERT_EQ(1, dll.AddDatawindowTitle(grid, L"TOP", L"Tahoma", 12, 30));
    PumpMessages();
    UpdateWindow(grid);
    EXPECT_EQ(L"54", pb.Describe(grid, L"DataWindow.Header.Height"));
    // The title text centred over the columns, the header texts under it.
    EXPECT_GT(DarkIn(grid, RECT{90, 2, 160, 28}), 5);
    EXPECT_EQ(0, DarkIn(grid, RECT{1, 2, 60, 28}));
    EXPECT_GT(DarkIn(grid, RECT{1, 31, 80, 54}), 5);

    ASSERT_EQ(1, dll.SetSpanTitle(grid, L"a,b", L"SPAN", L"Tahoma", 9, 20));
    PumpMessages();
    UpdateWindow(grid);
    EXPECT_EQ(L"74", pb.Describe(grid, L"DataWindow.Header.Height"));
    // The span text over columns a and b, in the upper part of the header;
    // over column c, the header text takes the whole header height.
    EXPECT_GT(DarkIn(grid, RECT{40, 31, 130, 52}), 5);
    EXPECT_EQ(0, DarkIn(grid, RECT{170, 31, 240, 45}));
    EXPECT_GT(DarkIn(grid, RECT{163, 31, 243, 74}), 5);

    dll.DettachDatawindow(grid);
    ASSERT_EQ(1, dll.StopTessel());
    DestroyWindow(grid);
}
