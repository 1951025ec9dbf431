// The stand-in's DataWindow control: what it paints (read back from a DIB) and how it answers clicks, drags, scrolling
// and keys. The employee grid at 96 dpi: header 20 pixels, rows 17, column edges 1|71 72|181 182|248 249|325.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "dib.h"
#include "model/samples.h"
#include "pbsim_runtime.h"
#include "temp_folder.h"

namespace {

const int kRight[] = {71, 181, 248, 325};  // right edge of each column's cells
const COLORREF kWhite = RGB(255, 255, 255), kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0);

int RowTop(int row, int first = 1) { return 20 + (row - first) * 17; }
LPARAM At(POINT p) { return MAKELPARAM(p.x, p.y); }
// A point inside a cell of the employee grid, near its right edge.
POINT Cell(int row, int column, int first = 1) { return POINT{kRight[column - 1] - 4, RowTop(row, first) + 8}; }
bool IsDark(COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c) < 200; }

// A grid in pixels: header 20 high, a group by dept with a header 16 high
// (red) and a trailer 12 high (green) with the group's total, rows 18 high.
const wchar_t kGroupedGrid[] =
    L"release 19;\ndatawindow(units=1 processing=1 color=16777215 selected.mouse=no )\n"
    L"header(height=20 color=\"12632256\" )\ndetail(height=18 color=\"16777215\" )\n"
    L"table(column=(type=char(10) name=dept dbname=\"dept\" ) column=(type=long name=qty dbname=\"qty\" ) )\n"
    L"group(level=1 header.height=16 trailer.height=12 by=(\"dept\" ) header.color=\"255\" trailer.color=\"65280\" )\n"
    L"text(band=header text=\"Dept\" x=\"2\" y=\"2\" height=\"16\" width=\"60\" name=dept_t )\n"
    L"column(band=header.1 id=1 x=\"2\" y=\"1\" height=\"14\" width=\"60\" name=dept_head color=\"0\" "
    L"font.face=\"Tahoma\" font.height=\"-8\" background.mode=\"1\" )\n"
    L"column(band=detail id=1 x=\"2\" y=\"1\" height=\"16\" width=\"60\" tabsequence=10 name=dept )\n"
    L"column(band=detail id=2 x=\"64\" y=\"1\" height=\"16\" width=\"60\" tabsequence=20 name=qty )\n"
    L"compute(band=trailer.1 expression=\"sum(qty for group 1)\" x=\"64\" y=\"0\" height=\"12\" width=\"60\" "
    L"name=c_total color=\"0\" font.face=\"Tahoma\" font.height=\"-7\" background.mode=\"1\" )\n"
    L"data(\"A\", 5, \"A\", 7, \"B\", 9, )\n";

// One runtime and host for the suite: freeing a top-level window costs Wine seconds.
class ControlTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_rt.reset(new PbsimRuntime()); }
    static void TearDownTestSuite() { s_rt.reset(); }
    void SetUp() override { ASSERT_TRUE(rt.ok()) << "the modules of generation 105 are not all there"; }
    void TearDown() override {
        for (HWND dw : created) DestroyWindow(dw);
    }
    HWND Create(const wchar_t* definition = pbsim::kEmployeeGridSyntax, int width = 500, int height = 200,
                const wchar_t* rows = nullptr) {
        HWND dw = rt.CreateWithRows(definition, rows, width, height);
        EXPECT_NE(dw, nullptr) << std::string(rt.LastError().begin(), rt.LastError().end());
        if (dw) created.push_back(dw);
        return dw;
    }
    static std::wstring Rows(int count) {
        std::wstring text;
        for (int i = 1; i <= count; ++i)
            text += std::to_wstring(100 + i) + L"\tPerson " + std::to_wstring(i) + L"\tD\t1\n";
        return text;
    }
    static SIZE Client(HWND dw) {
        RECT rc;
        GetClientRect(dw, &rc);
        return SIZE{rc.right, rc.bottom};
    }
    // What the control paints, through its exported paint entry point, on a background of RGB(1, 2, 3).
    std::unique_ptr<Dib> Paint(HWND dw) {
        std::unique_ptr<Dib> dib(new Dib(Client(dw).cx, Client(dw).cy));
        dib->Fill(RGB(1, 2, 3));
        EXPECT_EQ(rt.PaintDC(dw, dib->Dc()), 1);
        return dib;
    }
    static void Click(HWND dw, POINT p) {
        SendMessageW(dw, WM_LBUTTONDOWN, MK_LBUTTON, At(p));
        SendMessageW(dw, WM_LBUTTONUP, 0, At(p));
    }
    // Puts the mouse pointer on a client point: the under-the-mouse entries read the real pointer.
    static void Pointer(HWND dw, POINT client) {
        ClientToScreen(dw, &client);
        ASSERT_TRUE(SetCursorPos(client.x, client.y));
        POINT now = {};
        GetCursorPos(&now);
        ASSERT_TRUE(now.x == client.x && now.y == client.y) << "the test display must let the pointer move";
    }
    // "object|band" under the pointer.
    std::wstring UnderMouse(HWND dw, POINT client) {
        Pointer(dw, client);
        wchar_t name[1024] = L"#", band[32] = L"#";
        rt.GetObjectUnderMouse(dw, name);
        rt.GetBandUnderMouse(dw, band, 32);
        return std::wstring(name) + L"|" + band;
    }

    static std::unique_ptr<PbsimRuntime> s_rt;
    PbsimRuntime& rt = *s_rt;
    std::vector<HWND> created;
};

std::unique_ptr<PbsimRuntime> ControlTest::s_rt;

}  // namespace

// Catches a wrong class, style, procedure, content width, creation error, a click on the wrong cell, an edit control
// of the wrong class, place or text, or typed text not written back when the row changes.
TEST_F(ControlTest, WindowAndTheEditControlAClickPutsOverTheCell) {
    HWND dw = Create();
    EXPECT_TRUE(GetWindowLongPtrW(dw, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_EQ(GetWindowLongPtrW(dw, GWL_STYLE) & (WS_CHILD | WS_CAPTION | WS_VSCROLL | WS_HSCROLL), WS_CHILD);
    EXPECT_EQ(GetClassLongPtrW(dw, GCLP_WNDPROC), reinterpret_cast<LONG_PTR>(GetProcAddress(rt.engine(), "dwWinProc")));
    EXPECT_EQ(rt.InfoGetDWWidth(dw), 325);
    EXPECT_EQ(rt.GetRowCount(dw) * 100 + rt.GetCurrentRow(dw) * 10 + rt.GetCurrentColumn(dw), 811);
    EXPECT_EQ(rt.CreateWithRows(L"datawindow(units=0", nullptr, 10, 10), nullptr);
    EXPECT_EQ(rt.LastError(), L"Line 1 Column 19: incorrect syntax.");
    EXPECT_EQ(rt.GetEditControl(dw), nullptr);
    Click(dw, Cell(3, 2));
    EXPECT_EQ(rt.GetCurrentRow(dw) * 10 + rt.GetCurrentColumn(dw), 32);
    HWND edit = rt.GetEditControl(dw);
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(IsWindowVisible(edit) && GetParent(edit) == dw);
    wchar_t text[64] = {};
    GetClassNameW(edit, text, 64);
    EXPECT_STREQ(text, L"PBEdit105");
    EXPECT_EQ(GetClassLongPtrW(edit, GCLP_WNDPROC),
              reinterpret_cast<LONG_PTR>(GetProcAddress(rt.engine(), "dwWinProcEdit")));
    EXPECT_TRUE(GetWindowLongPtrW(edit, GWL_STYLE) & ES_MULTILINE);
    RECT rc;
    GetWindowRect(edit, &rc);
    MapWindowPoints(nullptr, dw, reinterpret_cast<POINT*>(&rc), 2);
    GetWindowTextW(edit, text, 64);
    EXPECT_EQ(std::to_wstring(rc.left) + L" " + std::to_wstring(rc.top) + L" " + std::to_wstring(rc.right) + L" " +
                  std::to_wstring(rc.bottom) + L" " + text,
              L"72 55 181 70 Carla Ortiz");

    // Typing replaces the text; a key in the edit control moves on and writes it back.
    SendMessageW(edit, WM_CHAR, L'Z', 1);
    SendMessageW(edit, WM_CHAR, L'e', 1);
    SendMessageW(edit, WM_KEYDOWN, VK_DOWN, 1);
    EXPECT_EQ(rt.GetCurrentRow(dw), 4);
    EXPECT_EQ(rt.Describe(dw, L"Evaluate('emp_name', 3)"), L"Ze");
    GetWindowTextW(edit, text, 64);
    EXPECT_STREQ(text, L"Dinh Van An");
    // A click on the header or below the rows changes nothing.
    Click(dw, POINT{20, 5});
    Click(dw, POINT{20, RowTop(9) + 5});
    EXPECT_EQ(rt.GetCurrentRow(dw) * 10 + rt.GetCurrentColumn(dw), 42);
}

// Catches wrong band colours, row positions, borders, grid lines, focus mark, header font or selection colours.
TEST_F(ControlTest, PaintsStripedRowsHeaderTextsAndGridLines) {
    HWND dw = Create();
    const COLORREF odd = RGB(255, 224, 224), even = RGB(224, 255, 224);
    ASSERT_EQ(rt.Modify(dw, L"Datawindow.Detail.color='14737663 ~t if (mod(getrow(),2)=1,14737663,14745568)'"),
              nullptr);
    std::unique_ptr<Dib> dib = Paint(dw);
    const COLORREF dark = GetSysColor(COLOR_3DDKSHADOW), grid = RGB(192, 192, 192), black = 0;
    for (int row = 1; row <= 8; ++row) EXPECT_EQ(dib->At(490, RowTop(row) + 5), row % 2 ? odd : even) << row;
    // Below the rows, the header band, header cell borders, grid lines (stopping at the content's edge), focus mark.
    const long long pixels[][3] = {{490, 161, kWhite}, {490, 5, grid}, {71, 8, dark},   {181, 8, dark},  {325, 8, dark},
                                   {30, 19, dark},     {71, 45, grid}, {248, 96, grid}, {150, 36, grid}, {490, 36, odd},
                                   {21, 20, black},    {1, 26, black}, {70, 26, black}};
    for (const auto& p : pixels) EXPECT_EQ(dib->At(p[0], p[1]), static_cast<COLORREF>(p[2])) << p[0] << "," << p[1];
    EXPECT_NE(dib->At(72, 8), dark);
    EXPECT_NE(dib->At(92, RowTop(1)), black) << "the focus mark is on the current cell only";

    EXPECT_GT(dib->Count(RECT{1, 1, 71, 17}, IsDark), 20) << "Emp ID";

    // A selected row: the highlight colour, its text in the highlight text colour.
    ASSERT_EQ(rt.SelectRow(dw, 3, 1), 1);
    dib = Paint(dw);
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    EXPECT_EQ(dib->At(490, RowTop(3) + 5), highlight);
    const RECT nameCell = {72, RowTop(3) + 1, 181, RowTop(3) + 16};
    EXPECT_EQ(dib->Count(nameCell, IsDark), 0);
    EXPECT_GT(dib->Count(nameCell, [&](COLORREF c) { return c != highlight; }), 10);
    ASSERT_EQ(rt.SelectRow(dw, 3, 0), 1);
    EXPECT_EQ(Paint(dw)->At(490, RowTop(3) + 5), odd);
}

// Catches keys that move the current row or column wrongly or leave it off the page.
TEST_F(ControlTest, KeysMoveTheCurrentCellAndScrollItIntoView) {
    const std::wstring rows = Rows(40);
    HWND dw = Create(pbsim::kEmployeeGridSyntax, 500, 200, rows.c_str());  // ten whole rows a page
    const struct {
        WPARAM key;
        int repeat;
        long row, column, first, last;
    } steps[] = {{VK_DOWN, 2, 3, 1, 1, 10},   {VK_UP, 1, 2, 1, 1, 10},     {VK_RETURN, 1, 3, 1, 1, 10},
                 {VK_RIGHT, 2, 3, 3, 1, 10},  {VK_LEFT, 1, 3, 2, 1, 10},   {VK_NEXT, 1, 13, 2, 11, 20},
                 {VK_PRIOR, 1, 3, 2, 1, 10},  {VK_DOWN, 10, 13, 2, 4, 13}, {VK_DOWN, 50, 40, 2, 31, 40},
                 {VK_NEXT, 5, 40, 2, 31, 40}, {VK_PRIOR, 10, 1, 2, 1, 10}};
    EXPECT_EQ(rt.Describe(dw, L"DataWindow.FirstRowOnPage DataWindow.LastRowOnPage"), L"1\n10");
    for (const auto& s : steps) {
        for (int i = 0; i < s.repeat; ++i) SendMessageW(dw, WM_KEYDOWN, s.key, 1);
        EXPECT_EQ(std::vector<long>({rt.GetCurrentRow(dw), rt.GetCurrentColumn(dw),
                                     rt.DescribeNumber(dw, L"DataWindow.FirstRowOnPage"),
                                     rt.DescribeNumber(dw, L"DataWindow.LastRowOnPage")}),
                  std::vector<long>({s.row, s.column, s.first, s.last}))
            << "key " << s.key << " x" << s.repeat;
    }
    // Across group bands: rows after the first group need more room.
    std::wstring grouped = kGroupedGrid;
    grouped.replace(grouped.find(L"data("), std::wstring::npos,
                    L"data(\"A\", 1, \"A\", 2, \"A\", 3, \"A\", 4, \"B\", 5, \"C\", 6, \"D\", 7, )\n");
    dw = Create(grouped.c_str(), 300, 104);
    for (long r : {2, 3, 4, 5, 6, 7, 6, 5, 4, 3, 2, 1}) {
        SendMessageW(dw, WM_KEYDOWN, r > rt.GetCurrentRow(dw) ? VK_DOWN : VK_UP, 1);
        ASSERT_EQ(rt.GetCurrentRow(dw), r);
        EXPECT_LE(rt.DescribeNumber(dw, L"DataWindow.FirstRowOnPage"), r) << "row " << r << " is above the page";
        EXPECT_GE(rt.DescribeNumber(dw, L"DataWindow.LastRowOnPage"), r) << "row " << r << " is below the page";
    }
}

// Catches wrong scroll ranges, steps, limits or a first row painted off its place.
TEST_F(ControlTest, ScrollingByLinePageThumbAndWheel) {
    const std::wstring rows = Rows(40);
    HWND dw = Create(pbsim::kEmployeeGridSyntax, 500, 200, rows.c_str());
    EXPECT_EQ(GetWindowLongPtrW(dw, GWL_STYLE) & (WS_VSCROLL | WS_HSCROLL), WS_VSCROLL);
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    ASSERT_TRUE(GetScrollInfo(dw, SB_VERT, &info));
    EXPECT_TRUE(info.nMin == 0 && info.nMax == 39 && info.nPage == 10) << info.nMax << " " << info.nPage;
    // Message, scroll code, position or wheel delta, first row after it.
    // clang-format off
    const int steps[][4] = {
        {WM_VSCROLL, SB_LINEDOWN, 0, 2},     {WM_VSCROLL, SB_PAGEDOWN, 0, 12},       {WM_VSCROLL, SB_LINEUP, 0, 11},
        {WM_VSCROLL, SB_THUMBTRACK, 20, 21}, {WM_VSCROLL, SB_THUMBPOSITION, 39, 31}, {WM_VSCROLL, SB_PAGEUP, 0, 21},
        {WM_VSCROLL, SB_TOP, 0, 1},          {WM_VSCROLL, SB_LINEUP, 0, 1},          {WM_MOUSEWHEEL, 0, -WHEEL_DELTA, 4},
        {WM_MOUSEWHEEL, 0, WHEEL_DELTA, 1},  {WM_VSCROLL, SB_THUMBTRACK, 9, 10}};
    // clang-format on
    for (const auto& s : steps) {
        SendMessageW(dw, s[0], MAKEWPARAM(s[1], static_cast<WORD>(s[2])), 0);
        EXPECT_EQ(rt.Describe(dw, L"DataWindow.FirstRowOnPage DataWindow.LastRowOnPage"),
                  std::to_wstring(s[3]) + L"\n" + std::to_wstring(s[3] + 9))
            << s[0] << " " << s[1];
        EXPECT_EQ(GetScrollPos(dw, SB_VERT), s[3] - 1);
    }
    EXPECT_EQ(rt.GetCurrentRow(dw), 1) << "scrolling leaves the current row alone";
    ASSERT_EQ(rt.Modify(dw, L"Datawindow.Detail.color='16777215 ~t if (getrow() = 12, 255, 16777215)'"), nullptr);
    std::unique_ptr<Dib> dib = Paint(dw);
    EXPECT_EQ(dib->At(460, RowTop(12, 10) + 5), kRed);
    EXPECT_EQ(dib->At(460, RowTop(11, 10) + 5), kWhite);

    // Across, in pixels: 200 wide, the 325 pixels of content.
    dw = Create(pbsim::kEmployeeGridSyntax, 200, 200);
    ASSERT_TRUE(GetWindowLongPtrW(dw, GWL_STYLE) & WS_HSCROLL);
    const int limit = 325 - Client(dw).cx;
    const int across[][3] = {{SB_LINERIGHT, 0, 10},    {SB_THUMBTRACK, 80, 80}, {SB_RIGHT, 0, limit},
                             {SB_PAGERIGHT, 0, limit}, {SB_PAGELEFT, 0, 0},     {SB_LINELEFT, 0, 0},
                             {SB_THUMBTRACK, 80, 80}};
    for (const auto& s : across) {
        SendMessageW(dw, WM_HSCROLL, MAKEWPARAM(s[0], s[1]), 0);
        EXPECT_EQ(GetScrollPos(dw, SB_HORZ), s[2]) << s[0];
    }
    LONG row = 0, column = 0;
    EXPECT_NE(rt.GetRowColUnderPoint(dw, 10, RowTop(2) + 5, &row, &column), 0);
    EXPECT_EQ(row * 10 + column, 22) << "client x 10 lies at content x 90";
    EXPECT_EQ(Paint(dw)->At(181 - 80, 8), GetSysColor(COLOR_3DDKSHADOW));
}

// Catches a drag that selects the wrong cells, ignores Selected.Mouse, or paints the selection wrongly.
TEST_F(ControlTest, DragMakesTheDataWindowsOwnCellSelection) {
    HWND dw = Create();
    auto drag = [&](POINT from, POINT to) {
        SendMessageW(dw, WM_LBUTTONDOWN, MK_LBUTTON, At(from));
        SendMessageW(dw, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM((from.x + to.x) / 2, (from.y + to.y) / 2));
        SendMessageW(dw, WM_MOUSEMOVE, MK_LBUTTON, At(to));
        SendMessageW(dw, WM_LBUTTONUP, 0, At(to));
        return rt.Describe(dw, L"DataWindow.Selected");
    };
    ASSERT_EQ(rt.SetSelectedMouse(dw, 0), 1);
    EXPECT_EQ(drag(Cell(2, 1), Cell(4, 3)), L"");
    ASSERT_EQ(rt.SetSelectedMouse(dw, 1), 1);
    EXPECT_EQ(drag(Cell(2, 1), Cell(4, 3)), L"2/4/emp_id/dept");
    EXPECT_EQ(rt.GetCurrentRow(dw) * 10 + rt.GetCurrentColumn(dw), 21) << "the anchor cell is current";
    HWND edit = rt.GetEditControl(dw);
    EXPECT_TRUE(edit == nullptr || !IsWindowVisible(edit));
    std::unique_ptr<Dib> dib = Paint(dw);
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    EXPECT_EQ(dib->At(Cell(3, 2).x, Cell(3, 2).y), highlight);
    EXPECT_EQ(dib->At(Cell(4, 3).x, Cell(4, 3).y), highlight);
    EXPECT_NE(dib->At(Cell(3, 4).x, Cell(3, 4).y), highlight);
    EXPECT_NE(dib->At(Cell(5, 2).x, Cell(5, 2).y), highlight);
    EXPECT_EQ(drag(Cell(6, 4), Cell(5, 2)), L"5/6/emp_name/salary") << "backwards";
    EXPECT_EQ(drag(Cell(7, 2), Cell(7, 2)), L"") << "within one cell";
    drag(Cell(1, 1), Cell(2, 2));
    Click(dw, Cell(8, 4));
    EXPECT_EQ(rt.Describe(dw, L"DataWindow.Selected"), L"");
}

// Catches wrong hit tests of rows, columns, objects and bands.
TEST_F(ControlTest, RowColumnObjectAndBandUnderPoints) {
    HWND dw = Create();
    const struct {
        int x, y;
        LONG onRow, row, column;
    } hits[] = {{Cell(2, 3).x, Cell(2, 3).y, 1, 2, 3}, {197, 5, 0, 0, 3}, {345, RowTop(5) + 3, 1, 5, 0}};
    for (const auto& h : hits) {
        LONG row = -1, column = -1;
        EXPECT_EQ(rt.GetRowColUnderPoint(dw, h.x, h.y, &row, &column) != 0, h.onRow != 0) << h.x << "," << h.y;
        EXPECT_EQ(row * 10 + column, h.row * 10 + h.column) << h.x << "," << h.y;
    }
    LONG below = -1;
    EXPECT_EQ(rt.GetRowColUnderPoint(dw, 50, RowTop(9) + 3, &below, nullptr), 0);
    EXPECT_EQ(below, 0) << "below the last row";
    EXPECT_NE(rt.GetRowColUnderPoint(dw, Cell(2, 3).x, Cell(2, 3).y, nullptr, nullptr), 0);
    EXPECT_EQ(rt.GetRowColUnderPoint(rt.host(), 10, 10, nullptr, nullptr), 0);

    EXPECT_EQ(UnderMouse(dw, POINT{197, 5}), L"dept_t|header");
    EXPECT_EQ(UnderMouse(dw, Cell(2, 3)), L"dept|detail\t2");
    EXPECT_EQ(UnderMouse(dw, POINT{345, RowTop(5) + 3}), L"|detail\t5");
    ASSERT_EQ(rt.Modify(dw, L"create text(band=foreground text='T' x='800' y='0' height='40' width='400' name=t_over)"),
              nullptr);
    EXPECT_EQ(UnderMouse(dw, POINT{197, 5}), L"t_over|header");

    // Group bands name their group's first row (header) or last row (trailer).
    HWND grouped = Create(kGroupedGrid, 300, 204);
    const struct {
        int y;
        const wchar_t* band;
    } bands[] = {{25, L"|header.1\t1"}, {40, L"qty|detail\t1"},         {75, L"c_total|trailer.1\t2"},
                 {90, L"|header.1\t3"}, {125, L"c_total|trailer.1\t3"}, {140, L"|"}};
    for (const auto& b : bands) EXPECT_EQ(UnderMouse(grouped, POINT{70, b.y}), b.band) << "y " << b.y;
}

// Catches a preview that is no page view, clicks that act in it, or printing that leaves out rows or the focus mark.
TEST_F(ControlTest, PrintPreviewAndPrintingIntoADeviceContext) {
    HWND dw = Create();
    ASSERT_EQ(rt.Modify(dw, L"Datawindow.Detail.color='16777215 ~t if (mod(getrow(),2)=1, 255, 65280)'"), nullptr);
    ASSERT_EQ(rt.SetPrintPreview(dw, 1), 1);
    EXPECT_EQ(rt.Describe(dw, L"DataWindow.Print.Preview"), L"yes");
    std::unique_ptr<Dib> dib = Paint(dw);
    EXPECT_EQ(dib->At(2, 2), GetSysColor(COLOR_APPWORKSPACE)) << "the desk";
    int pageLeft = 0;
    while (pageLeft < dib->Width() && dib->At(pageLeft, 40) != kWhite) ++pageLeft;
    EXPECT_EQ(dib->At(pageLeft + 2, 38), kWhite) << "the page margin";
    EXPECT_GT(dib->Count(RECT{0, 0, dib->Width(), dib->Height()}, [](COLORREF c) { return c == kRed; }), 0);
    Click(dw, Cell(2, 2));
    EXPECT_EQ(rt.GetCurrentRow(dw), 1) << "a click in the preview does nothing";
    ASSERT_EQ(rt.SetPrintPreview(dw, 0), 1);
    EXPECT_EQ(Paint(dw)->At(490, RowTop(1) + 5), kRed);

    Dib page(600, 800);
    page.Fill(RGB(1, 2, 3));
    EXPECT_EQ(rt.PrintToDC(dw, page.Dc()), 1);
    // Rows in their colours, no focus mark.
    const long long pixels[][3] = {
        {590, 5, RGB(192, 192, 192)}, {590, 25, kRed}, {590, 42, kGreen}, {590, 161, kWhite}, {21, 20, kRed}};
    for (const auto& p : pixels) EXPECT_EQ(page.At(p[0], p[1]), static_cast<COLORREF>(p[2])) << p[0] << "," << p[1];
    EXPECT_GT(page.Count(RECT{1, 1, 71, 17}, IsDark), 20);
    EXPECT_EQ(rt.PrintToDC(dw, nullptr), -1);
    EXPECT_EQ(rt.PrintToDC(rt.host(), page.Dc()), -1);
}

namespace {

// An exported grid whose header text is `caption` as the file's bytes, without data.
std::string GridSource(const std::string& caption) {
    const std::string eol = "\r\n";
    return "release 12.5;" + eol + "datawindow(units=0 processing=1 color=16777215 )" + eol +
           "header(height=80 color=\"12632256\" )" + eol + "detail(height=68 color=\"536870912\" )" + eol +
           "table(column=(type=char(12) name=city dbname=\"city\" )" + eol +
           " column=(type=long name=visits dbname=\"visits\" ) column=(type=date name=since dbname=\"since\" ) )" +
           eol + "text(band=header text=\"" + caption + "\" x=\"5\" y=\"4\" height=\"64\" width=\"400\" name=city_t )" +
           eol + "column(band=detail id=1 x=\"5\" y=\"4\" height=\"60\" width=\"400\" name=city )" + eol;
}

// UTF-16LE bytes, with byte-order mark, of ASCII and \u escapes given as UTF-16 code units.
std::string Utf16(const std::wstring& text) {
    std::string bytes("\xFF\xFE", 2);
    for (wchar_t c : text) bytes += std::string{static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    return bytes;
}

}  // namespace

// Catches a source file read in the wrong encoding, sample rows given despite a data section or wrongly typed, or a
// bad file accepted.
TEST_F(ControlTest, SourceFilesInEveryEncodingAndTheirSampleRows) {
    wchar_t ansi[16] = {};  // what the system code page reads "A\xF1o \xE9t\xE9" as
    MultiByteToWideChar(CP_ACP, 0, "A\xF1o \xE9t\xE9", -1, ansi, 16);
    const struct {
        std::string bytes;
        std::wstring caption;
    } cases[] = {{"\xEF\xBB\xBF$PBExportHeader$d_cities.srd\r\n" + GridSource("a\xC3\xB1o \xC3\xA9t\xC3\xA9"),
                  L"a\u00f1o \u00e9t\u00e9"},
                 {Utf16(L"release 12.5;\r\ntable(column=(type=char(1) name=city dbname=\"c\"))\r\n"
                        L"text(band=header text=\"\u57ce\u5e02 \u00f1\" name=city_t)\r\n"),
                  L"\u57ce\u5e02 \u00f1"},
                 {"HA$PBExportHeader$d_cities.srd\r\n$PBExportComments$Ciudades\r\n" +
                      GridSource("A$$HEX1$$f100$$ENDHEX$$o $$HEX2$$c4b3dcc2$$ENDHEX$$"),
                  L"A\u00f1o \ub3c4\uc2dc"},
                 {"\xEF\xBB\xBF" + GridSource("Logo") +
                      "\r\nStart of PowerBuilder Binary Data Section : Do NOT Edit\r\n"
                      "0E0000000000000000000000000000000000000000\r\n1000000000000000ffffffff(((\r\n",
                  L"Logo"},
                 {"HA$PBExportHeader$d_cities.srd\r\n" + GridSource("A\xF1o \xE9t\xE9"), ansi}};
    TempFolder folder;
    for (const auto& c : cases) {
        HWND dw = rt.CreateFromFile(folder.Write(L"d_cities.srd", c.bytes).c_str(), 0);
        ASSERT_NE(dw, nullptr) << std::string(rt.LastError().begin(), rt.LastError().end());
        created.push_back(dw);
        EXPECT_EQ(rt.LastError() + L"|" + rt.Describe(dw, L"city_t.Text"), L"|" + c.caption);
        EXPECT_EQ(rt.GetRowCount(dw), 0) << "no sample rows were asked for";
    }
    const std::wstring bare = folder.Write(L"d_bare.srd", GridSource("City"));
    HWND dw = rt.CreateFromFile(bare.c_str(), 5);
    ASSERT_NE(dw, nullptr);
    EXPECT_EQ(rt.GetRowCount(dw) * 10 + rt.GetCurrentRow(dw), 51);
    EXPECT_EQ(rt.Describe(dw, L"Evaluate('city + \"/\" + string(visits) + \"/\" + string(since)', 4)"),
              L"city 4/-40/2024-01-04");
    const std::wstring withData =
        folder.Write(L"d_data.srd", GridSource("City") + "data( \"Lima\", 3, 2020-05-06, \"Oslo\", 7, null, )\r\n");
    dw = rt.CreateFromFile(withData.c_str(), 5);
    ASSERT_NE(dw, nullptr);
    EXPECT_EQ(rt.GetRowCount(dw), 2);
    EXPECT_EQ(rt.Describe(dw, L"Evaluate('city + string(visits)', 2)"), L"Oslo7");

    const std::wstring missing = folder.File(L"no_such.srd");
    EXPECT_EQ(rt.CreateFromFile(missing.c_str(), 5), nullptr);
    EXPECT_EQ(rt.LastError(), L"Cannot read file " + missing);
}

// Catches group headers or trailers painted, paged or hit-tested in the wrong place.
TEST_F(ControlTest, GroupBandsLieAroundTheirRows) {
    HWND dw = Create(kGroupedGrid, 300, 104);  // client 100 high
    ASSERT_EQ(Client(dw).cy, 100);
    const int x = Client(dw).cx - 6;
    std::unique_ptr<Dib> dib = Paint(dw);
    const int top[][2] = {{5, 0xC0C0C0}, {20, kRed},   {35, kRed}, {36, kWhite}, {71, kWhite},
                          {72, kGreen},  {83, kGreen}, {84, kRed}, {99, kRed}};
    for (const auto& p : top) EXPECT_EQ(dib->At(x, p[0]), static_cast<COLORREF>(p[1])) << "y " << p[0];
    EXPECT_EQ(rt.Describe(dw, L"DataWindow.FirstRowOnPage DataWindow.LastRowOnPage"), L"1\n2");
    EXPECT_GT(dib->Count(RECT{64, 72, 124, 84}, IsDark), 3) << "the group's total";
    EXPECT_GT(dib->Count(RECT{2, 21, 62, 35}, IsDark), 3) << "the group's value";
    const LONG rowAt[][2] = {{10, 0}, {25, 0}, {40, 1}, {60, 2}, {75, 0}, {90, 0}};
    for (const auto& h : rowAt) {
        LONG row = -1;
        rt.GetRowColUnderPoint(dw, 70, h[0], &row, nullptr);
        EXPECT_EQ(row, h[1]) << "y " << h[0];
    }
    SendMessageW(dw, WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(rt.Describe(dw, L"DataWindow.FirstRowOnPage DataWindow.LastRowOnPage"), L"2\n3");
    dib = Paint(dw);
    const int scrolled[][2] = {{20, kWhite}, {37, kWhite}, {38, kGreen}, {49, kGreen}, {50, kRed},
                               {65, kRed},   {66, kWhite}, {83, kWhite}, {84, kGreen}, {95, kGreen}};
    for (const auto& p : scrolled) EXPECT_EQ(dib->At(x, p[0]), static_cast<COLORREF>(p[1])) << "scrolled, y " << p[0];
    Click(dw, POINT{70, 70});
    EXPECT_EQ(rt.GetCurrentRow(dw), 3);
}

namespace {

bool Invalid(HWND dw, POINT p) {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    const int kind = GetUpdateRgn(dw, region, FALSE);
    const bool inside = kind != NULLREGION && kind != ERROR && PtInRegion(region, p.x, p.y);
    DeleteObject(region);
    return inside;
}

}  // namespace

// Catches a selection change that repaints too little (stale cells) or too much.
TEST_F(ControlTest, OnlyCellsWhoseSelectionChangedAreInvalidated) {
    // Selected before | after | cells (row column) repainted | cells kept.
    const wchar_t* cases[] = {L"|2/3/emp_id/emp_name|2 1 3 2|1 1 2 3 4 1",
                              L"2/4/emp_id/dept|2/5/emp_id/dept|5 1 5 3|2 1 4 3 5 4 6 1",
                              L"2/4/emp_id/dept|2/4/emp_id/emp_name|2 3 4 3|2 1 3 2 2 4 5 3",
                              L"2/4/emp_id/dept||2 1 4 3|5 1 2 4 1 1",
                              L"2/4/emp_id/dept|2/4/emp_id/dept||2 1 3 2 4 3",
                              L"2/3/emp_id/emp_id|5/6/salary/salary|2 1 3 1 5 4 6 4|4 1 4 4 2 4 5 1"};
    HWND dw = Create(pbsim::kEmployeeGridSyntax, 500, 400);
    for (const wchar_t* c : cases) {
        std::wistringstream in(c);
        std::wstring before, after, repainted, kept;
        std::getline(in, before, L'|'), std::getline(in, after, L'|'), std::getline(in, repainted, L'|');
        std::getline(in, kept);
        ASSERT_EQ(rt.Modify(dw, (L"DataWindow.Selected='" + before + L"'").c_str()), nullptr);
        UpdateWindow(dw);
        ValidateRect(dw, nullptr);
        ASSERT_EQ(rt.Modify(dw, (L"DataWindow.Selected='" + after + L"'").c_str()), nullptr);
        for (const std::wstring* cells : {&repainted, &kept}) {
            std::wistringstream list(*cells);
            for (int row, column; list >> row >> column;)
                EXPECT_EQ(Invalid(dw, Cell(row, column)), cells == &repainted) << row << "/" << column << " " << c;
        }
        EXPECT_FALSE(Invalid(dw, POINT{22, 10})) << "the header";
    }
}
