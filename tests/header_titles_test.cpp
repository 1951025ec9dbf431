// Title rows and span titles on screen: after AddDatawindowTitle the title
// text shows above the column headers, which move down under it, with the
// line under the titles; after SetSpanTitle the span text stands over its
// columns in the upper part of the header; the side bar continues both on
// its left.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

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

namespace {

// The grid of the exact-modify tests: a header colour of its own and a grey
// background behind the first header text.
const wchar_t kColouredGrid[] =
    L"release 10;\n"
    L"datawindow(units=1 processing=1)\n"
    L"header(height=24 color=\"15780518\")\n"
    L"detail(height=20)\n"
    L"table(column=(type=long name=a dbname=\"a\") column=(type=long name=b dbname=\"b\") "
    L"column=(type=long name=c dbname=\"c\"))\n"
    L"text(band=header text=\"A\" border=\"0\" x=\"1\" y=\"1\" height=\"20\" width=\"80\" name=a_t "
    L"background.color=\"12632256\")\n"
    L"text(band=header text=\"B\" border=\"0\" x=\"82\" y=\"1\" height=\"20\" width=\"80\" name=b_t)\n"
    L"text(band=header text=\"C\" border=\"0\" x=\"163\" y=\"1\" height=\"20\" width=\"80\" name=c_t)\n"
    L"column(band=detail id=1 x=\"1\" y=\"1\" height=\"18\" width=\"80\" name=a visible=\"1\")\n"
    L"column(band=detail id=2 x=\"82\" y=\"1\" height=\"18\" width=\"80\" name=b visible=\"1\")\n"
    L"column(band=detail id=3 x=\"163\" y=\"1\" height=\"18\" width=\"80\" name=c visible=\"1\")\n"
    L"data(1 2 3 4 5 6)\n";

typedef std::vector<std::wstring> Modifies;

class TitleModifies : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pb.ok());
        ASSERT_EQ(1, dll.StartTessel());
        grid = Attached();
    }
    void TearDown() override {
        for (HWND h : windows) dll.DettachDatawindow(h);
        dll.StopTessel();
        for (HWND h : windows) DestroyWindow(h);
    }
    HWND Attached() {
        HWND h = pb.Create(kColouredGrid, 0, 300, 200);
        EXPECT_NE(nullptr, h) << pb.LastError();
        windows.push_back(h);
        dll.AttachDatawindow(h, nullptr);
        PumpMessages();
        pb.ClearModifyLog(h);
        return h;
    }
    // What the DataWindow received since the last call.
    Modifies Taken(HWND h) {
        const Modifies log = pb.ModifyLog(h);
        pb.ClearModifyLog(h);
        return log;
    }
    PbsimRuntime pb{105};
    TesselDll dll;
    HWND grid = nullptr;
    std::vector<HWND> windows;
};

}  // namespace

TEST_F(TitleModifies, TitleRowsNumberedStackedAndModified) {
    ASSERT_EQ(1, dll.AddDatawindowTitle(grid, L"TOP", L"Tahoma", 12, 30));
    EXPECT_EQ(Modifies({
                  L"create text(band=Foreground alignment='2' text='TOP' border='0' color='0' x='0' y='0' "
                  L"height='30' width='243' html.valueishtml='0'  name=t_tessel2_title_1 visible='1'  "
                  L"font.face='Tahoma' font.height='-12' background.mode='2' background.color='33554431' )",
                  L"t_tessel2_title_1.width='1 ~t (long(describe(~'c_t.x~')) + long(describe(~'c_t.width~')) + 8)'",
                  L"create line(band=foreground x1='0' y1='30' x2='243' y2='30' name=ln_title_line visible='1' "
                  L"pen.style='0' pen.width='5')",
                  L"ln_title_line.x2='1 ~t (long(describe(~'c_t.x~')) + long(describe(~'c_t.width~')))'",
                  L"Datawindow.Header.Height='54'",
                  L"a_t.Y='30'",
                  L"b_t.Y='30'",
                  L"c_t.Y='30'",
              }),
              Taken(grid));

    // A second title goes on top: the first one, the line and the header
    // texts move down by its height; the line is moved, not made again.
    ASSERT_EQ(2, dll.AddDatawindowTitle(grid, L"SECOND", L"Arial", 9, 20));
    EXPECT_EQ(Modifies({
                  L"create text(band=Foreground alignment='2' text='SECOND' border='0' color='0' x='0' y='0' "
                  L"height='20' width='243' html.valueishtml='0'  name=t_tessel2_title_2 visible='1'  "
                  L"font.face='Arial' font.height='-9' background.mode='2' background.color='33554431' )",
                  L"t_tessel2_title_2.width='1 ~t (long(describe(~'c_t.x~')) + long(describe(~'c_t.width~')) + 8)'",
                  L"ln_title_line.y1='50'",
                  L"ln_title_line.y2='50'",
                  L"t_tessel2_title_1.y='20'",
                  L"Datawindow.Header.Height='74'",
                  L"a_t.Y='50'",
                  L"b_t.Y='50'",
                  L"c_t.Y='50'",
              }),
              Taken(grid));
    EXPECT_EQ(L"50\n50", pb.Describe(grid, L"ln_title_line.y1 ln_title_line.y2"));

    // Height 0: nothing, and the numbering goes on at 3.
    EXPECT_EQ(0, dll.AddDatawindowTitle(grid, L"NONE", L"Arial", 9, 0));
    EXPECT_EQ(0, dll.AddDatawindowTitle(grid, L"NONE", L"Arial", 9, -5));
    EXPECT_EQ(Modifies(), Taken(grid));
    EXPECT_EQ(0, dll.ModifyDatawindowTitle(grid, 3, L"X", L"Arial", 9));
    EXPECT_EQ(0, dll.ModifyDatawindowTitle(grid, 0, L"X", L"Arial", 9));
    EXPECT_EQ(Modifies(), Taken(grid));
    ASSERT_EQ(3, dll.AddDatawindowTitle(grid, L"THIRD", L"Arial", 8, 10));
    const Modifies third = Taken(grid);
    ASSERT_FALSE(third.empty());
    EXPECT_NE(std::wstring::npos, third[0].find(L"name=t_tessel2_title_3 ")) << std::string(third[0].begin(), third[0].end());
    EXPECT_EQ(L"60", pb.Describe(grid, L"ln_title_line.y1"));

    EXPECT_EQ(1, dll.ModifyDatawindowTitle(grid, 1, L"NEW", L"Courier New", 10));
    EXPECT_EQ(Modifies({L"t_tessel2_title_1.text='NEW'", L"t_tessel2_title_1.font.face='Courier New'",
                        L"t_tessel2_title_1.font.height='-10'"}),
              Taken(grid));
}

TEST_F(TitleModifies, SpanTitleCreatedOnceThenUpdated) {
    ASSERT_EQ(1, dll.AddDatawindowTitle(grid, L"TOP", L"Tahoma", 12, 30));
    Taken(grid);
    // Header 24 (half 12) under 30 of titles, first header text without a border.
    ASSERT_EQ(1, dll.SetSpanTitle(grid, L"a;b", L"SPAN", L"Tahoma", 9, 0));
    EXPECT_EQ(Modifies({
                  L"create text(band=Foreground alignment='2' text='SPAN' border='4' color='0' x='1' y='0' "
                  L"height='12' width='161' html.valueishtml='0'  name=t_span_a_b visible='0'  "
                  L"font.face='Tahoma' font.height='-9' background.mode='2' background.color='12632256' )",
                  L"t_span_a_b.x='1 ~t (long(describe(~'a_t.x~')) + 2)'",
                  L"t_span_a_b.y='1 ~t (long(describe(~'a_t.y~')) - 11 - 4)'",
                  L"t_span_a_b.height='11'",
                  L"t_span_a_b.width='1 ~t (2 + long(describe(~'b_t.x~')) + long(describe(~'b_t.width~')) - "
                  L"long(describe(~'a_t.x~')) - 4)'",
                  L"a_t.Background.color='15780518'",
                  L"b_t.Background.color='15780518'",
                  L"c_t.Background.color='15780518'",
                  L"t_span_a_b.Background.color='15780518'",
                  L"a_t.Y='43'",
                  L"a_t.height='11'",
                  L"b_t.Y='43'",
                  L"b_t.height='11'",
                  L"DataWindow.Grid.ColumnMove='No'",
                  L"t_span_a_b.visible='1'",
              }),
              Taken(grid));

    // The same list again: the existing title's text and font only, the
    // header keeps its height whatever growth is asked for.
    ASSERT_EQ(1, dll.SetSpanTitle(grid, L"a;b", L"AGAIN", L"Arial", 10, 100));
    EXPECT_EQ(Modifies({L"t_span_a_b.text='AGAIN'", L"t_span_a_b.font.face='Arial'", L"t_span_a_b.font.height='-10'"}),
              Taken(grid));
    EXPECT_EQ(L"54", pb.Describe(grid, L"DataWindow.Header.Height"));

    // One column is no span.
    EXPECT_EQ(0, dll.SetSpanTitle(grid, L"c", L"ONE", L"Arial", 10, 0));
    EXPECT_EQ(Modifies(), Taken(grid));
}

TEST_F(TitleModifies, SpanListsWithCommaAndGrowth) {
    // b,c with growth 10 on the bare header: 34 high, every header text as
    // high as the band, the span over b and c.
    ASSERT_EQ(1, dll.SetSpanTitle(grid, L"b,c", L"BC", L"Tahoma", 9, 10));
    EXPECT_EQ(Modifies({
                  L"DataWindow.Header.Height='34'",
                  L"a_t.height='34'",
                  L"b_t.height='34'",
                  L"c_t.height='34'",
                  L"create text(band=Foreground alignment='2' text='BC' border='4' color='0' x='82' y='0' "
                  L"height='17' width='161' html.valueishtml='0'  name=t_span_b_c visible='0'  "
                  L"font.face='Tahoma' font.height='-9' background.mode='2' background.color='536870912' )",
                  L"t_span_b_c.x='1 ~t (long(describe(~'b_t.x~')) + 2)'",
                  L"t_span_b_c.y='1 ~t (long(describe(~'b_t.y~')) - 16 - 4)'",
                  L"t_span_b_c.height='16'",
                  L"t_span_b_c.width='1 ~t (2 + long(describe(~'c_t.x~')) + long(describe(~'c_t.width~')) - "
                  L"long(describe(~'b_t.x~')) - 4)'",
                  L"a_t.Background.color='15780518'",
                  L"b_t.Background.color='15780518'",
                  L"c_t.Background.color='15780518'",
                  L"t_span_b_c.Background.color='15780518'",
                  L"b_t.Y='18'",
                  L"b_t.height='16'",
                  L"c_t.Y='18'",
                  L"c_t.height='16'",
                  L"DataWindow.Grid.ColumnMove='No'",
                  L"t_span_b_c.visible='1'",
              }),
              Taken(grid));
    EXPECT_EQ(L"34", pb.Describe(grid, L"DataWindow.Header.Height"));
}
