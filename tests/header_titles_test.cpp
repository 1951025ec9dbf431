// The exact modifies of title rows and span titles: AddDatawindowTitle
// stacks numbered title texts over the header and moves the header texts
// down under them; SetSpanTitle puts one text over a list of columns. How
// they look on screen is the units test's part.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tessel_host.h"

namespace {

// A header colour of its own and a grey background behind the first header text.
std::wstring ColouredGrid() {
    std::wstring s = GridSyntax(1)
                         .Detail(20)
                         .Column(L"a", L"long", 80, L"A")
                         .Column(L"b", L"long", 80, L"B")
                         .Column(L"c", L"long", 80, L"C")
                         .Data(L"1 2 3 4 5 6")
                         .Text();
    s.replace(s.find(L"header(height=24)"), 17, L"header(height=24 color=\"15780518\")");
    s.replace(s.find(L"name=a_t)"), 9, L"name=a_t background.color=\"12632256\")");
    return s;
}

typedef std::vector<std::wstring> Modifies;

class TitleModifies : public TesselHost {
protected:
    void SetUp() override {
        TesselHost::SetUp();
        if (HasFatalFailure()) return;
        grid = Attach(ColouredGrid(), std::string(), 300, 200);
        pb->ClearModifyLog(grid);
    }
    // What the DataWindow received since the last call.
    Modifies Taken(HWND h) {
        const Modifies log = pb->ModifyLog(h);
        pb->ClearModifyLog(h);
        return log;
    }
    HWND grid = nullptr;
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
    EXPECT_EQ(L"50\n50", pb->Describe(grid, L"ln_title_line.y1 ln_title_line.y2"));

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
    EXPECT_NE(std::wstring::npos, third[0].find(L"name=t_tessel2_title_3 "))
        << std::string(third[0].begin(), third[0].end());
    EXPECT_EQ(L"60", pb->Describe(grid, L"ln_title_line.y1"));

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
    EXPECT_EQ(L"54", pb->Describe(grid, L"DataWindow.Header.Height"));

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
    EXPECT_EQ(L"34", pb->Describe(grid, L"DataWindow.Header.Height"));
}
