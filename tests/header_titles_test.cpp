// The exact modifies of title rows (AddDatawindowTitle, ModifyDatawindowTitle)
// and span titles (SetSpanTitle) on a grid with a header colour of its own.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tessel_host.h"

namespace {

class TitleModifies : public TesselHost {
protected:
    void SetUp() override {
        TesselHost::SetUp();
        if (HasFatalFailure()) return;
        GridSyntax syntax(1);
        for (const wchar_t* name : {L"a", L"b", L"c"}) syntax.Column(name, L"long", 80, name);
        std::wstring s = syntax.Detail(20).Data(L"1 2 3 4 5 6").Text();
        s.replace(s.find(L"header(height=24)"), 17, L"header(height=24 color=\"15780518\")");
        s.replace(s.find(L"name=a_t)"), 9, L"name=a_t background.color=\"12632256\")");
        grid = Attach(s, std::string(), 300, 200);
        pb->ClearModifyLog(grid);
    }
    // The modifies since the last call, joined by '|'.
    std::wstring Taken() {
        std::wstring joined;
        for (const std::wstring& m : pb->ModifyLog(grid)) joined += (joined.empty() ? L"" : L"|") + m;
        pb->ClearModifyLog(grid);
        return joined;
    }
    HWND grid = nullptr;
};

}  // namespace

// Title rows: the first's exact modifies; span titles: the exact creation under it, an update of the same list; a
// second title stacked on top (the header grows by both); bad heights, numbers and a span of one column refused.
TEST_F(TitleModifies, TitleRowsAndSpanTitles) {
    ASSERT_EQ(1, dll.AddDatawindowTitle(grid, L"TOP", L"Tahoma", 12, 30));
    EXPECT_EQ(
        L"create text(band=Foreground alignment='2' text='TOP' border='0' color='0' x='0' y='0' "
        L"height='30' width='243' html.valueishtml='0'  name=t_tessel2_title_1 visible='1'  "
        L"font.face='Tahoma' font.height='-12' background.mode='2' background.color='33554431' "
        L")|t_tessel2_title_1.width='1 ~t (long(describe(~'c_t.x~')) + long(describe(~'c_t.width~')) + "
        L"8)'|create line(band=foreground x1='0' y1='30' x2='243' y2='30' name=ln_title_line visible='1' "
        L"pen.style='0' pen.width='5')|ln_title_line.x2='1 ~t (long(describe(~'c_t.x~')) + "
        L"long(describe(~'c_t.width~')))'|Datawindow.Header.Height='54'|a_t.Y='30'|b_t.Y='30'|c_t.Y='30'",
        Taken());
    ASSERT_EQ(1, dll.SetSpanTitle(grid, L"a;b", L"SPAN", L"Tahoma", 9, 0));
    EXPECT_EQ(
        L"create text(band=Foreground alignment='2' text='SPAN' border='4' color='0' x='1' y='0' height='12' "
        L"width='161' html.valueishtml='0'  name=t_span_a_b visible='0'  font.face='Tahoma' font.height='-9' "
        L"background.mode='2' background.color='12632256' )|t_span_a_b.x='1 ~t (long(describe(~'a_t.x~')) + "
        L"2)'|t_span_a_b.y='1 ~t (long(describe(~'a_t.y~')) - 11 - 4)'|t_span_a_b.height='11'|t_span_a_b.width='1 "
        L"~t (2 + long(describe(~'b_t.x~')) + long(describe(~'b_t.width~')) - long(describe(~'a_t.x~')) - "
        L"4)'|a_t.Background.color='15780518'|b_t.Background.color='15780518'|c_t.Background.color='15780518'|t_"
        L"span_a_b.Background.color='15780518'|a_t.Y='43'|a_t.height='11'|b_t.Y='43'|b_t.height='11'|DataWindow."
        L"Grid.ColumnMove='No'|t_span_a_b.visible='1'",
        Taken());
    ASSERT_EQ(1, dll.SetSpanTitle(grid, L"a;b", L"AGAIN", L"Arial", 10, 100));
    EXPECT_EQ(L"t_span_a_b.text='AGAIN'|t_span_a_b.font.face='Arial'|t_span_a_b.font.height='-10'", Taken());
    ASSERT_EQ(2, dll.AddDatawindowTitle(grid, L"SECOND", L"Arial", 9, 20));  // on top, the line moved under both
    EXPECT_EQ(L"74\n20\n50\n63",
              pb->Describe(grid, L"DataWindow.Header.Height t_tessel2_title_1.y ln_title_line.y1 a_t.Y"));
    Taken();
    for (int height : {0, -5}) EXPECT_EQ(0, dll.AddDatawindowTitle(grid, L"NONE", L"Arial", 9, height));
    for (int number : {0, 3}) EXPECT_EQ(0, dll.ModifyDatawindowTitle(grid, number, L"X", L"Arial", 9));
    EXPECT_EQ(0, dll.SetSpanTitle(grid, L"c", L"ONE", L"Arial", 10, 0));  // one column
    EXPECT_EQ(L"", Taken());
    EXPECT_EQ(1, dll.ModifyDatawindowTitle(grid, 1, L"NEW", L"Courier New", 10));
    EXPECT_EQ(
        L"t_tessel2_title_1.text='NEW'|t_tessel2_title_1.font.face='Courier New'|t_tessel2_title_1.font.height='-10'",
        Taken());
}
