// The DataWindow control window of the stand-in runtime: what it paints (read
// back from a DIB), and how it reacts to clicks, drags, scrolling and keys
// sent as real window messages, as observed through the runtime functions
// the library calls.
#include <gtest/gtest.h>
#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

#include "message_pump.h"
#include "model/samples.h"
#include "pbsim_test_host.h"
#include "window_surface.h"

using pbsim_test::Dib;
using pbsim_test::Point;
using pbsim_test::Rect;

namespace {

// The modules and the host window serve the whole suite: destroying a
// top-level window takes Wine about two seconds.
class ControlTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_runtime = new pbsim_test::Runtime();
    s_loaded = s_runtime->Load();
    s_hostWindow = new pbsim_test::HostWindow();
  }
  static void TearDownTestSuite() {
    delete s_hostWindow;
    delete s_runtime;
    s_hostWindow = nullptr;
    s_runtime = nullptr;
  }
  void SetUp() override {
    ASSERT_TRUE(s_loaded) << "the modules of generation 105 are not all there";
    ASSERT_NE(host.Get(), nullptr);
  }
  void TearDown() override {
    for (HWND dw : created) DestroyWindow(dw);
  }

  HWND Create(const wchar_t* definition = pbsim::kEmployeeGridSyntax, const wchar_t* data = nullptr, int width = 500,
              int height = 200, DWORD style = 0) {
    HWND dw = rt.modules.CreateDataWindow(host.Get(), definition, data, 10, 10, width, height, style);
    if (dw) created.push_back(dw);
    return dw;
  }

  // Pixel geometry of the employee grid, converted the way the runtime does.
  int X(int units) const { return rt.ConvertUnits(units, 3); }
  int Y(int units) const { return rt.ConvertUnits(units, 4); }
  int HeaderHeight() const { return Y(80); }
  int RowTop(int row, int first = 1) const { return HeaderHeight() + (row - first) * Y(68); }

  SIZE ClientSize(HWND dw) const {
    RECT rc;
    GetClientRect(dw, &rc);
    SIZE size = {rc.right, rc.bottom};
    return size;
  }

  // What the control paints, through its exported paint entry point.
  void Paint(HWND dw, Dib& dib) const {
    dib.Fill(RGB(1, 2, 3));
    ASSERT_EQ(rt.PaintDC(dw, dib.Dc()), 1);
  }

  void Click(HWND dw, int x, int y) const {
    SendMessageW(dw, WM_LBUTTONDOWN, MK_LBUTTON, Point(x, y));
    SendMessageW(dw, WM_LBUTTONUP, 0, Point(x, y));
  }

  // A point inside a cell of the employee grid (columns 1 to 4), near its
  // right edge, away from left-aligned text.
  POINT Cell(int row, int column, int first = 1) const {
    static const int kRightEdges[] = {325, 829, 1133, 1487};
    POINT p;
    p.x = X(kRightEdges[column - 1]) - 4;
    p.y = RowTop(row, first) + 8;
    return p;
  }

  void Key(HWND target, WPARAM key) const { SendMessageW(target, WM_KEYDOWN, key, 1); }

  static pbsim_test::Runtime* s_runtime;
  static pbsim_test::HostWindow* s_hostWindow;
  static bool s_loaded;
  pbsim_test::Runtime& rt = *s_runtime;
  pbsim_test::HostWindow& host = *s_hostWindow;
  std::vector<HWND> created;
};

pbsim_test::Runtime* ControlTest::s_runtime = nullptr;
pbsim_test::HostWindow* ControlTest::s_hostWindow = nullptr;
bool ControlTest::s_loaded = false;

}  // namespace

TEST_F(ControlTest, WindowClassStyleAndContentWidth) {
  HWND dw = Create();
  ASSERT_NE(dw, nullptr);
  wchar_t name[64] = {};
  GetClassNameW(dw, name, 64);
  EXPECT_STREQ(name, L"pbdw105");
  EXPECT_TRUE(GetWindowLongPtrW(dw, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  const LONG_PTR style = GetWindowLongPtrW(dw, GWL_STYLE);
  EXPECT_TRUE(style & WS_CHILD);
  EXPECT_EQ(style & WS_CAPTION, 0);
  // Eight rows fit: no scroll bars.
  EXPECT_EQ(style & (WS_VSCROLL | WS_HSCROLL), 0);
  // The class procedure is the exported dwWinProc.
  EXPECT_EQ(GetClassLongPtrW(dw, GCLP_WNDPROC),
            reinterpret_cast<LONG_PTR>(GetProcAddress(rt.modules.engine, "dwWinProc")));
  // The right edge of the salary column: x 1137 + width 350.
  EXPECT_EQ(rt.InfoGetDWWidth(dw), X(1487));
  EXPECT_EQ(rt.GetRowCount(dw), 8);
  EXPECT_EQ(rt.GetCurrentRow(dw), 1);
  EXPECT_EQ(rt.GetCurrentColumn(dw), 1);

  // A definition that cannot be read makes no window and tells why.
  EXPECT_EQ(Create(L"datawindow(units=0"), nullptr);
  wchar_t error[256] = {};
  EXPECT_GT(rt.modules.GetLastError(error, 256), 0);
  EXPECT_NE(std::wstring(error), L"");
  EXPECT_EQ(rt.modules.CreateDataWindow(nullptr, pbsim::kEmployeeGridSyntax, nullptr, 0, 0, 10, 10, 0), nullptr);
}

TEST_F(ControlTest, PaintsStripedRowsHeaderTextsAndGridLines) {
  HWND dw = Create();
  ASSERT_NE(dw, nullptr);
  const COLORREF odd = RGB(255, 224, 224);
  const COLORREF even = RGB(224, 255, 224);
  wchar_t striping[256];
  swprintf(striping, 256, L"Datawindow.Detail.color='%lu ~t if (mod(getrow(),2)=1,%lu,%lu)'",
           static_cast<unsigned long>(odd), static_cast<unsigned long>(odd), static_cast<unsigned long>(even));
  ASSERT_EQ(rt.Modify(dw, striping), nullptr);

  const SIZE client = ClientSize(dw);
  Dib dib(client.cx, client.cy);
  ASSERT_TRUE(dib.Ok());
  Paint(dw, dib);
  const int right = client.cx - 5;  // beyond the content: only the band colours
  for (int row = 1; row <= 8; ++row) {
    EXPECT_EQ(dib.At(right, RowTop(row) + 5), row % 2 ? odd : even) << "row " << row;
  }
  // Below the last row: the DataWindow's own colour (white).
  EXPECT_EQ(dib.At(right, RowTop(9) + 5), RGB(255, 255, 255));
  // The header band's colour 12632256.
  EXPECT_EQ(dib.At(right, 5), RGB(192, 192, 192));

  // Header cell borders: one dark pixel wide at the right edge of each column
  // and along the bottom of the header.
  const COLORREF dark = GetSysColor(COLOR_3DDKSHADOW);
  EXPECT_EQ(dib.At(X(325), 8), dark);
  EXPECT_EQ(dib.At(X(829), 8), dark);
  EXPECT_EQ(dib.At(X(1487), 8), dark);
  EXPECT_EQ(dib.At(30, HeaderHeight() - 1), dark);
  EXPECT_NE(dib.At(X(325) + 1, 8), dark);
  EXPECT_NE(dib.At(X(325) - 1, 8), dark);

  // Grid lines: under every row and at the right edge of every column.
  const COLORREF grid = RGB(192, 192, 192);
  EXPECT_EQ(dib.At(X(325), RowTop(2) + 8), grid);
  EXPECT_EQ(dib.At(X(1133), RowTop(5) + 8), grid);
  EXPECT_EQ(dib.At(150, RowTop(1) + Y(68) - 1), grid);
  EXPECT_EQ(dib.At(150, RowTop(4) + Y(68) - 1), grid);
  EXPECT_NE(dib.At(150, RowTop(4) + Y(68) - 2), grid);
  // Grid lines stop at the content's right edge.
  EXPECT_EQ(dib.At(right, RowTop(1) + Y(68) - 1), odd);

  // The current cell (row 1, emp_id) carries the black focus mark.
  EXPECT_EQ(dib.At(X(5) + 20, RowTop(1)), RGB(0, 0, 0));
  EXPECT_EQ(dib.At(X(5), RowTop(1) + 6), RGB(0, 0, 0));
  EXPECT_EQ(dib.At(X(325) - 1, RowTop(1) + 6), RGB(0, 0, 0));
  EXPECT_NE(dib.At(X(329) + 20, RowTop(1)), RGB(0, 0, 0));

  // The header text "Emp ID": exactly what DrawTextExW paints with the
  // object's font, centred in the object's rectangle.
  const RECT textRect = Rect(X(5), Y(4), X(325), Y(68));
  Dib reference(client.cx, client.cy);
  reference.Fill(RGB(192, 192, 192));
  HFONT font = CreateFontW(-MulDiv(10, GetDeviceCaps(reference.Dc(), LOGPIXELSY), 72), 0, 0, 0, 700, 0, 0, 0,
                           DEFAULT_CHARSET, 0, 0, DEFAULT_QUALITY, 0, L"Tahoma");
  HGDIOBJ old = SelectObject(reference.Dc(), font);
  SetBkMode(reference.Dc(), TRANSPARENT);
  SetTextColor(reference.Dc(), RGB(0, 0, 0));
  RECT draw = textRect;
  wchar_t text[] = L"Emp ID";
  DrawTextExW(reference.Dc(), text, -1, &draw, DT_CENTER | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX, nullptr);
  SelectObject(reference.Dc(), old);
  DeleteObject(font);
  int differences = 0;
  for (int y = textRect.top; y < textRect.bottom; ++y) {
    for (int x = textRect.left; x < textRect.right; ++x) differences += dib.At(x, y) != reference.At(x, y);
  }
  EXPECT_EQ(differences, 0);
  EXPECT_GT(dib.Count(textRect, pbsim_test::IsDark), 20);
  // Each header shows its own text: "Department" is wider than "Name".
  const int name = dib.Count(Rect(X(329), 0, X(829), HeaderHeight() - 1), pbsim_test::IsDark);
  const int department = dib.Count(Rect(X(833), 0, X(1133), HeaderHeight() - 1), pbsim_test::IsDark);
  EXPECT_GT(name, 10);
  EXPECT_GT(department, name);

  // A selected row is a region in the highlight colour with its text in the
  // highlight text colour.
  ASSERT_EQ(rt.SelectRow(dw, 3, 1), 1);
  Paint(dw, dib);
  const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
  EXPECT_EQ(dib.At(right, RowTop(3) + 5), highlight);
  const RECT nameCell = Rect(X(329), RowTop(3) + Y(4), X(829), RowTop(3) + Y(64));
  EXPECT_EQ(dib.Count(nameCell, pbsim_test::IsDark), 0);
  EXPECT_GT(dib.Count(nameCell, [&](COLORREF c) { return c != highlight; }), 10);
  EXPECT_EQ(dib.At(right, RowTop(2) + 5), even);
  ASSERT_EQ(rt.SelectRow(dw, 3, 0), 1);
  Paint(dw, dib);
  EXPECT_EQ(dib.At(right, RowTop(3) + 5), odd);
}

TEST_F(ControlTest, ForegroundObjectsButtonsAndExpressionsArePainted) {
  HWND dw = Create();
  ASSERT_NE(dw, nullptr);
  // A title in the foreground layer whose width follows the first header text,
  // and a line under it, as the library creates them.
  ASSERT_EQ(rt.Modify(dw,
                      L"create text(band=Foreground alignment='2' text='' border='0' color='0' x='0' y='0' "
                      L"height='40' width='100' name=t_title visible='1' background.mode='2' "
                      L"background.color='255' )"),
            nullptr);
  ASSERT_EQ(rt.Modify(dw, L"t_title.width='1 ~t (long(describe(~'emp_id_t.width~')) + 100)'"), nullptr);
  ASSERT_EQ(rt.Modify(dw,
                      L"create line(band=foreground x1='0' y1='60' x2='1000' y2='60' name=ln_title visible='1' "
                      L"pen.style='0' pen.width='5' pen.color='16711680')"),
            nullptr);
  ASSERT_EQ(rt.Modify(dw,
                      L"create button(band=header text='Go' x='1600' y='4' height='64' width='200' "
                      L"name=b_go visible='1')"),
            nullptr);
  const SIZE client = ClientSize(dw);
  Dib dib(client.cx, client.cy);
  Paint(dw, dib);
  // emp_id_t is 320 wide: the title covers 420 units.
  EXPECT_EQ(dib.At(X(420) - 2, Y(20)), RGB(255, 0, 0));
  EXPECT_NE(dib.At(X(420) + 2, Y(20)), RGB(255, 0, 0));
  EXPECT_EQ(dib.At(X(800), Y(60)), RGB(0, 0, 255));
  // The button face.
  EXPECT_EQ(dib.At(X(1600) + 4, Y(10)), GetSysColor(COLOR_BTNFACE));

  // The width expression is evaluated again at every paint.
  ASSERT_EQ(rt.Modify(dw, L"emp_id_t.width='600'"), nullptr);
  Paint(dw, dib);
  EXPECT_EQ(dib.At(X(700) - 2, Y(20)), RGB(255, 0, 0));
  // Made invisible, the title paints nothing.
  ASSERT_EQ(rt.Modify(dw, L"t_title.visible='0'"), nullptr);
  Paint(dw, dib);
  EXPECT_NE(dib.At(X(700) - 2, Y(20)), RGB(255, 0, 0));
}

TEST_F(ControlTest, GraphsPaintBarsAndALineSeries) {
  const wchar_t* definition = LR"DW(release 10;
datawindow(units=1 processing=0 color=16777215 )
header(height=0 color="536870912" )
summary(height=0 color="536870912" )
footer(height=0 color="536870912" )
detail(height=120 color="16777215" )
table(column=(type=number name=a dbname="a" )
 column=(type=number name=b dbname="b" )
 )
graph(band=detail x="10" y="10" height="100" width="200" graphtype="7" values="a, b" series="b, a, b" name=gr_1 visible="1" background.mode="0" background.color="16777215" )
data( 10, 30, 20, 10, )
)DW";
  HWND dw = Create(definition);
  ASSERT_NE(dw, nullptr) << [&] {
    wchar_t error[256] = {};
    rt.modules.GetLastError(error, 256);
    return std::string(error, error + wcslen(error));
  }();
  const SIZE client = ClientSize(dw);
  Dib dib(client.cx, client.cy);
  Paint(dw, dib);
  const COLORREF firstBar = RGB(70, 130, 180);
  const COLORREF secondBar = RGB(230, 140, 50);
  const COLORREF line = RGB(160, 0, 0);
  const RECT graph1 = Rect(10, 10, 210, 110);
  const RECT graph2 = Rect(10, 130, 210, 230);
  auto is = [](COLORREF wanted) { return [wanted](COLORREF c) { return c == wanted; }; };
  // Row 1: a = 10, b = 30: the second bar is three times as high.
  const int bar1 = dib.Count(graph1, is(firstBar));
  const int bar2 = dib.Count(graph1, is(secondBar));
  EXPECT_GT(bar1, 50);
  EXPECT_GT(bar2, 2 * bar1);
  EXPECT_GT(dib.Count(graph1, is(line)), 20);
  // Row 2 shows its own values: a = 20, b = 10.
  EXPECT_GT(dib.Count(graph2, is(firstBar)), dib.Count(graph2, is(secondBar)));
}

TEST_F(ControlTest, ClickMakesTheCellCurrentAndPutsTheEditControlOverIt) {
  HWND dw = Create();
  ASSERT_NE(dw, nullptr);
  EXPECT_EQ(rt.modules.GetEditControl(dw), nullptr);
  const POINT p = Cell(3, 2);
  Click(dw, p.x, p.y);
  EXPECT_EQ(rt.GetCurrentRow(dw), 3);
  EXPECT_EQ(rt.GetCurrentColumn(dw), 2);

  HWND edit = rt.modules.GetEditControl(dw);
  ASSERT_NE(edit, nullptr);
  EXPECT_TRUE(IsWindowVisible(edit));
  EXPECT_EQ(GetParent(edit), dw);
  wchar_t name[64] = {};
  GetClassNameW(edit, name, 64);
  EXPECT_STREQ(name, L"PBEdit105");
  EXPECT_EQ(GetClassLongPtrW(edit, GCLP_WNDPROC),
            reinterpret_cast<LONG_PTR>(GetProcAddress(rt.modules.engine, "dwWinProcEdit")));
  EXPECT_TRUE(GetWindowLongPtrW(edit, GWL_STYLE) & ES_MULTILINE);
  // Over the emp_name object of row 3.
  RECT rc;
  GetWindowRect(edit, &rc);
  MapWindowPoints(nullptr, dw, reinterpret_cast<POINT*>(&rc), 2);
  EXPECT_EQ(rc.left, X(329));
  EXPECT_EQ(rc.right, X(829));
  EXPECT_EQ(rc.top, RowTop(3) + Y(4));
  EXPECT_EQ(rc.bottom, RowTop(3) + Y(64));
  wchar_t text[64] = {};
  GetWindowTextW(edit, text, 64);
  EXPECT_STREQ(text, L"Carla Ortiz");
  auto currentText = pbsim_test::Entry<LONG(WINAPI*)(HWND, LPWSTR, LONG)>(rt.modules.engine, "dwGetCurrentText");
  auto currentLength = pbsim_test::Entry<LONG(WINAPI*)(HWND)>(rt.modules.engine, "dwGetCurrentTextLength");
  ASSERT_TRUE(currentText && currentLength);
  wchar_t current[64] = {};
  EXPECT_EQ(currentText(dw, current, 64), 11);
  EXPECT_STREQ(current, L"Carla Ortiz");
  EXPECT_EQ(currentLength(dw), 11);

  // The formatting rectangle can be read and moved.
  RECT format = {};
  SendMessageW(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
  RECT moved = format;
  OffsetRect(&moved, 0, 3);
  SendMessageW(edit, EM_SETRECT, 0, reinterpret_cast<LPARAM>(&moved));
  RECT back = {};
  SendMessageW(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&back));
  EXPECT_EQ(back.top, format.top + 3);

  // Typing replaces the cell's text; moving on with a key in the edit control
  // moves the DataWindow's current row and writes the text into the row left.
  SendMessageW(edit, WM_CHAR, L'Z', 1);
  SendMessageW(edit, WM_CHAR, L'e', 1);
  Key(edit, VK_DOWN);
  EXPECT_EQ(rt.GetCurrentRow(dw), 4);
  EXPECT_EQ(rt.DescribeText(dw, L"Evaluate('emp_name', 3)"), L"Ze");
  GetWindowTextW(edit, text, 64);
  EXPECT_STREQ(text, L"Dinh Van An");
  GetWindowRect(edit, &rc);
  MapWindowPoints(nullptr, dw, reinterpret_cast<POINT*>(&rc), 2);
  EXPECT_EQ(rc.top, RowTop(4) + Y(4));

  // A click on the header or below the rows changes nothing.
  Click(dw, 20, 5);
  Click(dw, 20, RowTop(9) + 5);
  EXPECT_EQ(rt.GetCurrentRow(dw), 4);
  EXPECT_EQ(rt.GetCurrentColumn(dw), 2);
}

TEST_F(ControlTest, KeysMoveTheCurrentRowAndScrollItIntoView) {
  HWND dw = Create(pbsim::kEmployeeGridSyntax, pbsim_test::EmployeeRows(40).c_str());
  ASSERT_NE(dw, nullptr);
  ASSERT_EQ(rt.GetRowCount(dw), 40);
  const long perPage = (ClientSize(dw).cy - HeaderHeight()) / Y(68);
  ASSERT_GE(perPage, 3);
  EXPECT_EQ(rt.DescribeNumber(dw, L"DataWindow.FirstRowOnPage"), 1);
  EXPECT_EQ(rt.DescribeNumber(dw, L"DataWindow.LastRowOnPage"), perPage);

  Key(dw, VK_DOWN);
  Key(dw, VK_DOWN);
  EXPECT_EQ(rt.GetCurrentRow(dw), 3);
  Key(dw, VK_UP);
  EXPECT_EQ(rt.GetCurrentRow(dw), 2);
  Key(dw, VK_RETURN);
  EXPECT_EQ(rt.GetCurrentRow(dw), 3);
  Key(dw, VK_RIGHT);
  Key(dw, VK_RIGHT);
  EXPECT_EQ(rt.GetCurrentColumn(dw), 3);
  Key(dw, VK_LEFT);
  EXPECT_EQ(rt.GetCurrentColumn(dw), 2);

  // Page Down moves the row and the page by a page.
  Key(dw, VK_NEXT);
  EXPECT_EQ(rt.GetCurrentRow(dw), 3 + perPage);
  EXPECT_EQ(rt.DescribeNumber(dw, L"DataWindow.FirstRowOnPage"), 1 + perPage);
  EXPECT_EQ(rt.DescribeNumber(dw, L"DataWindow.LastRowOnPage"), 2 * perPage);
  Key(dw, VK_PRIOR);
  EXPECT_EQ(rt.GetCurrentRow(dw), 3);
  EXPECT_EQ(rt.DescribeNumber(dw, L"DataWindow.FirstRowOnPage"), 1);

  // Down past the last row on the page scrolls it into view at the bottom.
  for (long i = 0; i < perPage; ++i) Key(dw, VK_DOWN);
  EXPECT_EQ(rt.GetCurrentRow(dw), 3 + perPage);
  EXPECT_EQ(rt.DescribeNumber(dw, L"DataWindow.LastRowOnPage"), 3 + perPage);
  EXPECT_EQ(rt.DescribeNumber(dw, L"DataWindow.FirstRowOnPage"), 4);

  // The current row stops at the last row, and at the first.
  for (int i = 0; i < 50; ++i) Key(dw, VK_DOWN);
  EXPECT_EQ(rt.GetCurrentRow(dw), 40);
  EXPECT_EQ(rt.DescribeNumber(dw, L"DataWindow.LastRowOnPage"), 40);
  for (int i = 0; i < 5; ++i) Key(dw, VK_NEXT);
  EXPECT_EQ(rt.GetCurrentRow(dw), 40);
  for (int i = 0; i < 10; ++i) Key(dw, VK_PRIOR);
  EXPECT_EQ(rt.GetCurrentRow(dw), 1);
  EXPECT_EQ(rt.DescribeNumber(dw, L"DataWindow.FirstRowOnPage"), 1);

  // The focus mark follows the current row.
  Key(dw, VK_DOWN);
  const SIZE client = ClientSize(dw);
  Dib dib(client.cx, client.cy);
  Paint(dw, dib);
  EXPECT_EQ(dib.At(X(329) + 20, RowTop(2)), RGB(0, 0, 0));
  EXPECT_NE(dib.At(X(329) + 20, RowTop(1)), RGB(0, 0, 0));
}

TEST_F(ControlTest, VerticalScrollingByLinePageAndThumb) {
  HWND dw = Create(pbsim::kEmployeeGridSyntax, pbsim_test::EmployeeRows(40).c_str());
  ASSERT_NE(dw, nullptr);
  EXPECT_TRUE(GetWindowLongPtrW(dw, GWL_STYLE) & WS_VSCROLL);
  EXPECT_FALSE(GetWindowLongPtrW(dw, GWL_STYLE) & WS_HSCROLL);
  const long perPage = (ClientSize(dw).cy - HeaderHeight()) / Y(68);
  auto first = [&] { return rt.DescribeNumber(dw, L"DataWindow.FirstRowOnPage"); };
  auto last = [&] { return rt.DescribeNumber(dw, L"DataWindow.LastRowOnPage"); };
  SCROLLINFO info = {};
  info.cbSize = sizeof(info);
  info.fMask = SIF_ALL;
  ASSERT_TRUE(GetScrollInfo(dw, SB_VERT, &info));
  EXPECT_EQ(info.nMin, 0);
  EXPECT_EQ(info.nMax, 39);
  EXPECT_EQ(static_cast<long>(info.nPage), perPage);

  SendMessageW(dw, WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(first(), 2);
  EXPECT_EQ(last(), 1 + perPage);
  SendMessageW(dw, WM_VSCROLL, SB_PAGEDOWN, 0);
  EXPECT_EQ(first(), 2 + perPage);
  SendMessageW(dw, WM_VSCROLL, SB_LINEUP, 0);
  EXPECT_EQ(first(), 1 + perPage);
  SendMessageW(dw, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 20), 0);
  EXPECT_EQ(first(), 21);
  EXPECT_EQ(last(), 20 + perPage);
  EXPECT_EQ(GetScrollPos(dw, SB_VERT), 20);
  // The thumb cannot scroll past a full last page.
  SendMessageW(dw, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 39), 0);
  EXPECT_EQ(first(), 41 - perPage);
  EXPECT_EQ(last(), 40);
  SendMessageW(dw, WM_VSCROLL, SB_PAGEUP, 0);
  EXPECT_EQ(first(), 41 - 2 * perPage);
  SendMessageW(dw, WM_VSCROLL, SB_TOP, 0);
  EXPECT_EQ(first(), 1);
  // The wheel turns three rows a notch.
  SendMessageW(dw, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
  EXPECT_EQ(first(), 4);
  SendMessageW(dw, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
  EXPECT_EQ(first(), 1);
  SendMessageW(dw, WM_VSCROLL, SB_LINEUP, 0);
  EXPECT_EQ(first(), 1);
  // Scrolling leaves the current row alone.
  EXPECT_EQ(rt.GetCurrentRow(dw), 1);

  // The first row on the page is painted under the header.
  SendMessageW(dw, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 9), 0);
  ASSERT_EQ(rt.Modify(dw, L"Datawindow.Detail.color='16777215 ~t if (getrow() = 12, 255, 16777215)'"), nullptr);
  const SIZE client = ClientSize(dw);
  Dib dib(client.cx, client.cy);
  Paint(dw, dib);
  EXPECT_EQ(dib.At(client.cx - 5, RowTop(12, 10) + 5), RGB(255, 0, 0));
  EXPECT_EQ(dib.At(client.cx - 5, RowTop(11, 10) + 5), RGB(255, 255, 255));

  // A page taller than all rows needs no vertical scroll bar.
  HWND small = Create();
  EXPECT_FALSE(GetWindowLongPtrW(small, GWL_STYLE) & WS_VSCROLL);
  SendMessageW(small, WM_VSCROLL, SB_PAGEDOWN, 0);
  EXPECT_EQ(rt.DescribeNumber(small, L"DataWindow.FirstRowOnPage"), 1);
  EXPECT_EQ(rt.DescribeNumber(small, L"DataWindow.LastRowOnPage"), 8);
}

TEST_F(ControlTest, HorizontalScrollingByPixels) {
  HWND dw = Create(pbsim::kEmployeeGridSyntax, nullptr, 200, 200);
  ASSERT_NE(dw, nullptr);
  ASSERT_TRUE(GetWindowLongPtrW(dw, GWL_STYLE) & WS_HSCROLL);
  const int width = ClientSize(dw).cx;
  const int limit = X(1487) - width;
  ASSERT_GT(limit, 0);
  SendMessageW(dw, WM_HSCROLL, SB_LINERIGHT, 0);
  EXPECT_EQ(GetScrollPos(dw, SB_HORZ), 10);
  SendMessageW(dw, WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 80), 0);
  EXPECT_EQ(GetScrollPos(dw, SB_HORZ), 80);
  // Scrolled 80 pixels, client x 10 lies at content x 90: the emp_name column.
  LONG row = 0;
  LONG column = 0;
  EXPECT_NE(rt.GetRowColUnderPoint(dw, 10, RowTop(2) + 5, &row, &column), 0);
  EXPECT_EQ(row, 2);
  EXPECT_EQ(column, 2);
  // The header border at the right edge of emp_name moved left by 80.
  Dib dib(width, ClientSize(dw).cy);
  Paint(dw, dib);
  EXPECT_EQ(dib.At(X(829) - 80, 8), GetSysColor(COLOR_3DDKSHADOW));
  SendMessageW(dw, WM_HSCROLL, SB_RIGHT, 0);
  EXPECT_EQ(GetScrollPos(dw, SB_HORZ), limit);
  SendMessageW(dw, WM_HSCROLL, SB_PAGERIGHT, 0);
  EXPECT_EQ(GetScrollPos(dw, SB_HORZ), limit);
  SendMessageW(dw, WM_HSCROLL, SB_PAGELEFT, 0);
  EXPECT_EQ(GetScrollPos(dw, SB_HORZ), limit - width > 0 ? limit - width : 0);
  SendMessageW(dw, WM_HSCROLL, SB_LEFT, 0);
  EXPECT_EQ(GetScrollPos(dw, SB_HORZ), 0);
  SendMessageW(dw, WM_HSCROLL, SB_LINELEFT, 0);
  EXPECT_EQ(GetScrollPos(dw, SB_HORZ), 0);
}

TEST_F(ControlTest, DragMakesTheDataWindowsOwnCellSelection) {
  HWND dw = Create();
  ASSERT_NE(dw, nullptr);
  auto drag = [&](POINT from, POINT to) {
    SendMessageW(dw, WM_LBUTTONDOWN, MK_LBUTTON, Point(from.x, from.y));
    const POINT middle = {(from.x + to.x) / 2, (from.y + to.y) / 2};
    SendMessageW(dw, WM_MOUSEMOVE, MK_LBUTTON, Point(middle.x, middle.y));
    SendMessageW(dw, WM_MOUSEMOVE, MK_LBUTTON, Point(to.x, to.y));
    SendMessageW(dw, WM_LBUTTONUP, 0, Point(to.x, to.y));
  };
  // The sample grid allows it; switched off, a drag selects nothing.
  ASSERT_EQ(rt.modules.SetSelectedMouse(dw, 0), 1);
  drag(Cell(2, 1), Cell(4, 3));
  EXPECT_EQ(rt.DescribeText(dw, L"DataWindow.Selected"), L"");
  EXPECT_EQ(rt.GetCurrentRow(dw), 2);

  ASSERT_EQ(rt.modules.SetSelectedMouse(dw, 1), 1);
  EXPECT_EQ(rt.DescribeText(dw, L"DataWindow.Selected.Mouse"), L"yes");
  drag(Cell(2, 1), Cell(4, 3));
  EXPECT_EQ(rt.DescribeText(dw, L"DataWindow.Selected"), L"2/4/emp_id/dept");
  EXPECT_EQ(rt.DescribeText(dw, L"DataWindow.Selected.Data"),
            L"102\tBob Marsh\tSales\n103\tCarla Ortiz\tR&D\n104\tDinh Van An\tR&D\n");
  // The anchor cell is the current one; no edit control during a selection.
  EXPECT_EQ(rt.GetCurrentRow(dw), 2);
  EXPECT_EQ(rt.GetCurrentColumn(dw), 1);
  HWND edit = rt.modules.GetEditControl(dw);
  EXPECT_TRUE(edit == nullptr || !IsWindowVisible(edit));

  // Selected cells are painted as a highlight region; others are not.
  const SIZE client = ClientSize(dw);
  Dib dib(client.cx, client.cy);
  Paint(dw, dib);
  const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
  EXPECT_EQ(dib.At(X(829) - 4, RowTop(3) + 8), highlight);
  EXPECT_EQ(dib.At(X(1133) - 4, RowTop(4) + 8), highlight);
  EXPECT_NE(dib.At(X(1487) - 4, RowTop(3) + 8), highlight);
  EXPECT_NE(dib.At(X(829) - 4, RowTop(5) + 8), highlight);

  // Dragging backwards selects the same rectangle from the other corner.
  drag(Cell(6, 4), Cell(5, 2));
  EXPECT_EQ(rt.DescribeText(dw, L"DataWindow.Selected"), L"5/6/emp_name/salary");
  // A drag within one cell selects nothing; a click clears the selection.
  drag(Cell(7, 2), Cell(7, 2));
  EXPECT_EQ(rt.DescribeText(dw, L"DataWindow.Selected"), L"");
  drag(Cell(1, 1), Cell(2, 2));
  Click(dw, Cell(8, 4).x, Cell(8, 4).y);
  EXPECT_EQ(rt.DescribeText(dw, L"DataWindow.Selected"), L"");
  // Moves without the button do not select.
  SendMessageW(dw, WM_MOUSEMOVE, 0, Point(Cell(3, 3).x, Cell(3, 3).y));
  EXPECT_EQ(rt.DescribeText(dw, L"DataWindow.Selected"), L"");
}

TEST_F(ControlTest, RowColumnAndObjectUnderPoints) {
  HWND dw = Create();
  ASSERT_NE(dw, nullptr);
  LONG row = -1;
  LONG column = -1;
  const POINT cell = Cell(2, 3);
  EXPECT_NE(rt.GetRowColUnderPoint(dw, cell.x, cell.y, &row, &column), 0);
  EXPECT_EQ(row, 2);
  EXPECT_EQ(column, 3);
  // The header: no row, but the column under the point.
  EXPECT_EQ(rt.GetRowColUnderPoint(dw, X(900), 5, &row, &column), 0);
  EXPECT_EQ(row, 0);
  EXPECT_EQ(column, 3);
  // Right of the content: a row, no column.
  EXPECT_NE(rt.GetRowColUnderPoint(dw, X(1487) + 20, RowTop(5) + 3, &row, &column), 0);
  EXPECT_EQ(row, 5);
  EXPECT_EQ(column, 0);
  // Below the last row.
  EXPECT_EQ(rt.GetRowColUnderPoint(dw, cell.x, RowTop(9) + 3, &row, &column), 0);
  EXPECT_EQ(row, 0);
  // Null outputs are allowed; other windows have no rows.
  EXPECT_NE(rt.GetRowColUnderPoint(dw, cell.x, cell.y, nullptr, nullptr), 0);
  EXPECT_EQ(rt.GetRowColUnderPoint(host.Get(), cell.x, cell.y, &row, &column), 0);

  // The object under the mouse pointer.
  auto objectAt = [&](POINT client) {
    POINT screen = client;
    ClientToScreen(dw, &screen);
    SetCursorPos(screen.x, screen.y);
    wchar_t name[1024];
    for (wchar_t& c : name) c = L'#';
    rt.GetObjectUnderMouse(dw, name);
    return std::wstring(name);
  };
  POINT probe = {X(900), 5};
  ClientToScreen(dw, &probe);
  SetCursorPos(probe.x, probe.y);
  POINT cursor = {};
  GetCursorPos(&cursor);
  if (cursor.x != probe.x || cursor.y != probe.y) GTEST_SKIP() << "the mouse pointer cannot be moved here";
  EXPECT_EQ(objectAt(POINT{X(900), 5}), L"dept_t");
  EXPECT_EQ(objectAt(cell), L"dept");
  auto bandUnderMouse = pbsim_test::Entry<LONG(WINAPI*)(HWND, LPWSTR, LONG)>(rt.modules.engine, "dwGetBandUnderMouse");
  ASSERT_NE(bandUnderMouse, nullptr);
  wchar_t band[32] = {};
  bandUnderMouse(dw, band, 32);
  EXPECT_STREQ(band, L"detail\t2");
  objectAt(POINT{5, 5});
  bandUnderMouse(dw, band, 32);
  EXPECT_STREQ(band, L"header");
  EXPECT_EQ(objectAt(POINT{X(1487) + 20, RowTop(5) + 3}), L"");
  ASSERT_EQ(rt.Modify(dw, L"create text(band=foreground text='T' x='800' y='0' height='40' width='400' name=t_over)"),
            nullptr);
  EXPECT_EQ(objectAt(POINT{X(900), 5}), L"t_over");
}

TEST_F(ControlTest, PrintPreviewAndPrintingIntoADeviceContext) {
  HWND dw = Create();
  ASSERT_NE(dw, nullptr);
  ASSERT_EQ(rt.Modify(dw, L"Datawindow.Detail.color='16777215 ~t if (mod(getrow(),2)=1, 255, 65280)'"), nullptr);
  const SIZE client = ClientSize(dw);
  Dib dib(client.cx, client.cy);

  ASSERT_EQ(rt.modules.SetPrintPreview(dw, 1), 1);
  EXPECT_EQ(rt.DescribeText(dw, L"DataWindow.Print.Preview"), L"yes");
  Paint(dw, dib);
  // A page on the desk: the desk colour at the corner, a white page margin,
  // and the rows inside the page.
  EXPECT_EQ(dib.At(2, 2), GetSysColor(COLOR_APPWORKSPACE));
  int pageLeft = -1;
  for (int x = 0; x < client.cx && pageLeft < 0; ++x) {
    if (dib.At(x, 40) == RGB(255, 255, 255)) pageLeft = x;
  }
  ASSERT_GT(pageLeft, 0);
  const int top = 12 + 24;  // desk margin and page margin
  EXPECT_EQ(dib.At(pageLeft + 2, top + 2), RGB(255, 255, 255));
  EXPECT_EQ(dib.Count(Rect(0, 0, client.cx, client.cy), [](COLORREF c) { return c == RGB(255, 0, 0); }) > 0, true);
  // No focus mark and no edit control in the preview; clicks do nothing.
  Click(dw, Cell(2, 2).x, Cell(2, 2).y);
  EXPECT_EQ(rt.GetCurrentRow(dw), 1);
  HWND edit = rt.modules.GetEditControl(dw);
  EXPECT_TRUE(edit == nullptr || !IsWindowVisible(edit));

  ASSERT_EQ(rt.modules.SetPrintPreview(dw, 0), 1);
  Paint(dw, dib);
  EXPECT_EQ(dib.At(client.cx - 5, RowTop(1) + 5), RGB(255, 0, 0));

  // Printing into a memory context paints the first page at its origin,
  // without the focus mark of the screen.
  Dib page(600, 800);
  page.Fill(RGB(1, 2, 3));
  EXPECT_EQ(rt.modules.PrintToDC(dw, page.Dc()), 1);
  EXPECT_EQ(page.At(590, 5), RGB(192, 192, 192));
  EXPECT_EQ(page.At(590, RowTop(1) + 5), RGB(255, 0, 0));
  EXPECT_EQ(page.At(590, RowTop(2) + 5), RGB(0, 255, 0));
  EXPECT_EQ(page.At(590, RowTop(9) + 5), RGB(255, 255, 255));
  EXPECT_EQ(page.At(X(5) + 20, RowTop(1)), RGB(255, 0, 0));
  EXPECT_GT(page.Count(Rect(X(5), Y(4), X(325), Y(68)), pbsim_test::IsDark), 20);
  EXPECT_EQ(rt.modules.PrintToDC(dw, nullptr), -1);
  EXPECT_EQ(rt.modules.PrintToDC(host.Get(), page.Dc()), -1);
}

TEST_F(ControlTest, ModifyLogRecordsEveryModify) {
  HWND dw = Create();
  ASSERT_NE(dw, nullptr);
  ASSERT_EQ(rt.modules.ClearModifyLog(dw), 1);
  EXPECT_EQ(rt.modules.GetModifyLogCount(dw), 0);
  EXPECT_EQ(rt.Modify(dw, L"emp_id_t.text='Id'"), nullptr);
  const wchar_t* error = rt.Modify(dw, L"no_such_object.x='5'");
  ASSERT_NE(error, nullptr);
  const std::wstring errorText = error;
  EXPECT_FALSE(errorText.empty());
  wchar_t scriptError[256] = {};
  EXPECT_EQ(rt.modules.ScriptModify(dw, L"emp_id_t.x='7'", scriptError, 256), 1);
  EXPECT_STREQ(scriptError, L"");
  EXPECT_EQ(rt.modules.ScriptModify(dw, L"emp_id_t.x='seven'", scriptError, 256), -1);
  EXPECT_STRNE(scriptError, L"");

  ASSERT_EQ(rt.modules.GetModifyLogCount(dw), 4);
  wchar_t text[256];
  wchar_t result[256];
  EXPECT_EQ(rt.modules.GetModifyLogEntry(dw, 0, text, 256, result, 256), 18);
  EXPECT_STREQ(text, L"emp_id_t.text='Id'");
  EXPECT_STREQ(result, L"");
  rt.modules.GetModifyLogEntry(dw, 1, text, 256, result, 256);
  EXPECT_STREQ(text, L"no_such_object.x='5'");
  EXPECT_EQ(std::wstring(result), errorText);
  rt.modules.GetModifyLogEntry(dw, 3, text, 256, result, 256);
  EXPECT_STREQ(text, L"emp_id_t.x='seven'");
  EXPECT_STREQ(result, scriptError);
  // Buffers too small get a cut, terminated text; the full length is returned.
  wchar_t small[5];
  EXPECT_EQ(rt.modules.GetModifyLogEntry(dw, 0, small, 5, nullptr, 0), 18);
  EXPECT_STREQ(small, L"emp_");
  EXPECT_EQ(rt.modules.GetModifyLogEntry(dw, 4, text, 256, result, 256), -1);
  EXPECT_EQ(rt.modules.GetModifyLogEntry(dw, -1, text, 256, result, 256), -1);
  EXPECT_EQ(rt.DescribeText(dw, L"emp_id_t.text"), L"Id");
  EXPECT_EQ(rt.DescribeText(dw, L"emp_id_t.x"), L"7");
  EXPECT_EQ(rt.modules.ClearModifyLog(dw), 1);
  EXPECT_EQ(rt.modules.GetModifyLogCount(dw), 0);
  EXPECT_EQ(rt.modules.GetModifyLogCount(host.Get()), -1);
}

// ---- Exported sources read from files --------------------------------------

namespace {

// A folder of its own under the temporary folder for one test, removed with
// the files in it at the end.
class TempFolder {
 public:
  explicit TempFolder(const wchar_t* name) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    m_path = std::wstring(temp) + L"pbsim_" + name + L"_" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(m_path.c_str(), nullptr);
  }
  ~TempFolder() {
    for (const std::wstring& file : m_files) DeleteFileW(file.c_str());
    RemoveDirectoryW(m_path.c_str());
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  std::wstring Write(const wchar_t* name, const std::string& bytes) {
    const std::wstring file = m_path + L"\\" + name;
    HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
      CloseHandle(h);
      m_files.push_back(file);
    }
    return file;
  }
  const std::wstring& Path() const { return m_path; }

 private:
  std::wstring m_path;
  std::vector<std::wstring> m_files;
};

// An exported grid with a header text of non-ASCII letters, `caption`
// written as the file's bytes, without a data section.
std::string GridSource(const std::string& caption, const std::string& eol = "\r\n") {
  return "release 12.5;" + eol + "datawindow(units=0 processing=1 color=16777215 )" + eol +
         "header(height=80 color=\"12632256\" )" + eol + "summary(height=0 color=\"536870912\" )" + eol +
         "footer(height=0 color=\"536870912\" )" + eol + "detail(height=68 color=\"536870912\" )" + eol +
         "table(column=(type=char(12) updatewhereclause=yes name=city dbname=\"city\" )" + eol +
         " column=(type=long updatewhereclause=yes name=visits dbname=\"visits\" )" + eol +
         " column=(type=date updatewhereclause=yes name=since dbname=\"since\" ) )" + eol +
         "text(band=header alignment=\"2\" text=\"" + caption +
         "\" border=\"0\" color=\"0\" x=\"5\" y=\"4\" height=\"64\" width=\"400\" name=city_t visible=\"1\" "
         "font.face=\"Tahoma\" font.height=\"-10\" font.charset=\"0\" background.mode=\"1\" "
         "background.color=\"536870912\" )" + eol +
         "column(band=detail id=1 alignment=\"0\" tabsequence=10 border=\"0\" color=\"0\" x=\"5\" y=\"4\" "
         "height=\"60\" width=\"400\" format=\"[general]\" name=city visible=\"1\" font.face=\"Tahoma\" "
         "font.height=\"-10\" background.mode=\"1\" background.color=\"536870912\" )" + eol +
         "column(band=detail id=2 alignment=\"1\" tabsequence=20 border=\"0\" color=\"0\" x=\"409\" y=\"4\" "
         "height=\"60\" width=\"200\" format=\"[general]\" name=visits visible=\"1\" font.face=\"Tahoma\" "
         "font.height=\"-10\" background.mode=\"1\" background.color=\"536870912\" )" + eol;
}

// UTF-16LE bytes, with byte-order mark, of UTF-8 text.
std::string Utf16FromUtf8(const std::string& utf8) {
  std::string bytes("\xFF\xFE", 2);
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], n);
  for (wchar_t c : wide) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>((c >> 8) & 0xFF);
  }
  return bytes;
}

struct EncodingCase {
  const char* what;
  std::string bytes;
  const wchar_t* caption;  // Describe("city_t.Text")
  UINT ansiCodePage;       // the system code page the bytes need; 0 for any
};

class SourceFileEncoding : public ControlTest, public ::testing::WithParamInterface<EncodingCase> {};

}  // namespace

TEST_P(SourceFileEncoding, LoadsTheTextOfNonAsciiLetters) {
  const EncodingCase& c = GetParam();
  if (c.ansiCodePage != 0 && GetACP() != c.ansiCodePage) {
    GTEST_SKIP() << "the system code page is " << GetACP() << ", not " << c.ansiCodePage;
  }
  ASSERT_NE(rt.modules.CreateDataWindowFromFile, nullptr);
  TempFolder folder(L"encoding");
  const std::wstring path = folder.Write(L"d_cities.srd", c.bytes);
  HWND dw = rt.modules.CreateDataWindowFromFile(host.Get(), path.c_str(), 0, 10, 10, 400, 200, 0);
  wchar_t error[512] = {};
  rt.modules.GetLastError(error, 512);
  ASSERT_NE(dw, nullptr) << c.what << ": " << std::string(error, error + wcslen(error));
  created.push_back(dw);
  EXPECT_STREQ(error, L"");
  EXPECT_EQ(rt.DescribeText(dw, L"city_t.Text"), c.caption) << c.what;
  EXPECT_EQ(rt.GetRowCount(dw), 0) << c.what << ": no sample rows were asked for";
}

INSTANTIATE_TEST_SUITE_P(
    Control, SourceFileEncoding,
    ::testing::Values(
        EncodingCase{"UTF-8 with byte-order mark",
                     "\xEF\xBB\xBF$PBExportHeader$d_cities.srd\r\n" + GridSource("Ciudad a\xC3\xB1o \xC3\xA9t\xC3\xA9"),
                     L"Ciudad a\u00f1o \u00e9t\u00e9", 0},
        EncodingCase{"UTF-8 without byte-order mark, line feeds",
                     "$PBExportHeader$d_cities.srd\n" + GridSource("\xEB\x8F\x84\xEC\x8B\x9C", "\n"),
                     L"\ub3c4\uc2dc", 0},
        EncodingCase{"UTF-16LE with byte-order mark",
                     Utf16FromUtf8("$PBExportHeader$d_cities.srd\r\n" + GridSource("\xE5\x9F\x8E\xE5\xB8\x82 \xC3\xB1")),
                     L"\u57ce\u5e02 \u00f1", 0},
        EncodingCase{"ANSI export with hex runs",
                     "HA$PBExportHeader$d_cities.srd\r\n$PBExportComments$Ciudades\r\n" +
                         GridSource("A$$HEX1$$f100$$ENDHEX$$o $$HEX2$$c4b3dcc2$$ENDHEX$$"),
                     L"A\u00f1o \ub3c4\uc2dc", 0},
        EncodingCase{"ANSI in code page 1252", "HA$PBExportHeader$d_cities.srd\r\n" + GridSource("A\xF1o \xE9t\xE9"),
                     L"A\u00f1o \u00e9t\u00e9", 1252}));

TEST_F(ControlTest, SourceFileGetsSampleRowsOnlyWithoutData) {
  ASSERT_NE(rt.modules.CreateDataWindowFromFile, nullptr);
  TempFolder folder(L"samples");
  const std::wstring bare = folder.Write(L"d_bare.srd", GridSource("City"));
  HWND dw = rt.modules.CreateDataWindowFromFile(host.Get(), bare.c_str(), 5, 10, 10, 400, 300, 0);
  ASSERT_NE(dw, nullptr);
  created.push_back(dw);
  EXPECT_EQ(rt.GetRowCount(dw), 5);
  EXPECT_EQ(rt.DescribeText(dw, L"Evaluate('city + \"/\" + string(visits) + \"/\" + string(since)', 4)"),
            L"city 4/-40/2024-01-04");
  EXPECT_EQ(rt.DescribeText(dw, L"Evaluate('sum(visits for all)', 1)"), L"70");
  EXPECT_EQ(rt.GetCurrentRow(dw), 1);

  // A data section wins over sample rows.
  const std::wstring withData =
      folder.Write(L"d_data.srd", GridSource("City") + "data( \"Lima\", 3, 2020-05-06, \"Oslo\", 7, null, )\r\n");
  dw = rt.modules.CreateDataWindowFromFile(host.Get(), withData.c_str(), 5, 10, 10, 400, 300, 0);
  ASSERT_NE(dw, nullptr);
  created.push_back(dw);
  EXPECT_EQ(rt.GetRowCount(dw), 2);
  EXPECT_EQ(rt.DescribeText(dw, L"Evaluate('city + string(visits)', 2)"), L"Oslo7");

  // What cannot be read, and what is no DataWindow source.
  const std::wstring missing = folder.Path() + L"\\no_such.srd";
  EXPECT_EQ(rt.modules.CreateDataWindowFromFile(host.Get(), missing.c_str(), 5, 10, 10, 400, 300, 0), nullptr);
  wchar_t error[512] = {};
  rt.modules.GetLastError(error, 512);
  EXPECT_EQ(std::wstring(error), L"Cannot read file " + missing);
  EXPECT_EQ(rt.modules.CreateDataWindowFromFile(host.Get(), nullptr, 5, 10, 10, 400, 300, 0), nullptr);
  rt.modules.GetLastError(error, 512);
  EXPECT_STREQ(error, L"Cannot read file ");
  const std::wstring window = folder.Write(L"w_main.srw", "$PBExportHeader$w_main.srw\r\nforward\r\nglobal type w_main from window\r\n");
  EXPECT_EQ(rt.modules.CreateDataWindowFromFile(host.Get(), window.c_str(), 5, 10, 10, 400, 300, 0), nullptr);
  rt.modules.GetLastError(error, 512);
  EXPECT_STREQ(error, L"Line 3 Column 1: incorrect syntax.");
  EXPECT_EQ(rt.modules.CreateDataWindowFromFile(nullptr, bare.c_str(), 5, 10, 10, 400, 300, 0), nullptr);
}

// ---- Group bands, crosstab header rows and drawing objects on the screen ---

namespace {

// A grid in pixels (units=1): header 20 high, a group by dept with a header
// 16 high (red) and a trailer 12 high (green) holding the group's total,
// detail rows 18 high (white). Rows: A 5, A 7, B 9.
const wchar_t kGroupedGrid[] =
    L"release 19;\r\n"
    L"datawindow(units=1 processing=1 color=16777215 selected.mouse=no )\r\n"
    L"header(height=20 color=\"12632256\" )\r\n"
    L"summary(height=0 color=\"536870912\" )\r\n"
    L"footer(height=0 color=\"536870912\" )\r\n"
    L"detail(height=18 color=\"16777215\" )\r\n"
    L"table(column=(type=char(10) name=dept dbname=\"dept\" )\r\n"
    L" column=(type=long name=qty dbname=\"qty\" ) )\r\n"
    L"group(level=1 header.height=16 trailer.height=12 by=(\"dept\" ) header.color=\"255\" "
    L"trailer.color=\"65280\" )\r\n"
    L"text(band=header text=\"Dept\" x=\"2\" y=\"2\" height=\"16\" width=\"60\" name=dept_t )\r\n"
    L"column(band=header.1 id=1 x=\"2\" y=\"1\" height=\"14\" width=\"60\" name=dept_head color=\"0\" "
    L"font.face=\"Tahoma\" font.height=\"-8\" background.mode=\"1\" )\r\n"
    L"column(band=detail id=1 x=\"2\" y=\"1\" height=\"16\" width=\"60\" tabsequence=10 name=dept )\r\n"
    L"column(band=detail id=2 x=\"64\" y=\"1\" height=\"16\" width=\"60\" tabsequence=20 name=qty )\r\n"
    L"compute(band=trailer.1 expression=\"sum(qty for group 1)\" x=\"64\" y=\"0\" height=\"12\" width=\"60\" "
    L"name=c_total color=\"0\" font.face=\"Tahoma\" font.height=\"-7\" background.mode=\"1\" )\r\n"
    L"data(\"A\", 5, \"A\", 7, \"B\", 9, )\r\n";

struct BandPixel {
  int y;          // client pixel row, probed right of the content
  COLORREF color;
};

}  // namespace

TEST_F(ControlTest, GroupHeadersAndTrailersLieAroundTheirRows) {
  // The client area is 100 high: the header, then 80 for the rows.
  HWND dw = Create(kGroupedGrid, nullptr, 300, 104);
  ASSERT_NE(dw, nullptr);
  ASSERT_EQ(ClientSize(dw).cy, 100);
  const int probeX = ClientSize(dw).cx - 6;
  Dib dib(ClientSize(dw).cx, ClientSize(dw).cy);
  Paint(dw, dib);
  const COLORREF red = RGB(255, 0, 0);
  const COLORREF green = RGB(0, 255, 0);
  const COLORREF white = RGB(255, 255, 255);
  const BandPixel top[] = {
      {5, RGB(192, 192, 192)}, {20, red},   {35, red},   {36, white}, {71, white}, {72, green},
      {83, green},             {84, red},   {99, red},
  };
  for (const BandPixel& p : top) EXPECT_EQ(dib.At(probeX, p.y), p.color) << "y " << p.y;
  // Rows 1 and 2 are wholly on the page; row 3 lies below its group header.
  EXPECT_EQ(rt.DescribeText(dw, L"DataWindow.FirstRowOnPage"), L"1");
  EXPECT_EQ(rt.DescribeText(dw, L"DataWindow.LastRowOnPage"), L"2");
  // The group's total in its trailer, the group's value in its header.
  EXPECT_GT(dib.Count(Rect(64, 72, 124, 84), pbsim_test::IsDark), 3);
  EXPECT_GT(dib.Count(Rect(2, 21, 62, 35), pbsim_test::IsDark), 3);
  EXPECT_EQ(dib.Count(Rect(2, 73, 62, 83), pbsim_test::IsDark), 0) << "nothing left in the trailer";

  // Rows, columns and bands under points.
  struct Hit {
    int y;
    LONG row;
  };
  const Hit hits[] = {{10, 0}, {25, 0}, {40, 1}, {60, 2}, {75, 0}, {90, 0}};
  for (const Hit& h : hits) {
    LONG row = -1;
    LONG column = -1;
    rt.GetRowColUnderPoint(dw, 70, h.y, &row, &column);
    EXPECT_EQ(row, h.row) << "y " << h.y;
  }

  // Scrolled to the end: from row 2 every row and band fits.
  SendMessageW(dw, WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(rt.DescribeText(dw, L"DataWindow.FirstRowOnPage"), L"2");
  EXPECT_EQ(rt.DescribeText(dw, L"DataWindow.LastRowOnPage"), L"3");
  Paint(dw, dib);
  const BandPixel scrolled[] = {{20, white}, {37, white}, {38, green}, {49, green}, {50, red},
                                {65, red},   {66, white}, {83, white}, {84, green}, {95, green}};
  for (const BandPixel& p : scrolled) EXPECT_EQ(dib.At(probeX, p.y), p.color) << "scrolled, y " << p.y;
  LONG row = -1;
  EXPECT_NE(rt.GetRowColUnderPoint(dw, 70, 70, &row, nullptr), 0);
  EXPECT_EQ(row, 3);

  // A click on the last row's detail band makes it current.
  Click(dw, 70, 70);
  EXPECT_EQ(rt.GetCurrentRow(dw), 3);
}

TEST_F(ControlTest, GroupBandsUnderTheMousePointerNameTheirRow) {
  HWND dw = Create(kGroupedGrid, nullptr, 300, 204);
  ASSERT_NE(dw, nullptr);
  auto bandUnderMouse = pbsim_test::Entry<LONG(WINAPI*)(HWND, LPWSTR, LONG)>(rt.modules.engine, "dwGetBandUnderMouse");
  ASSERT_NE(bandUnderMouse, nullptr);
  auto bandAt = [&](int y) {
    POINT screen = {70, y};
    ClientToScreen(dw, &screen);
    SetCursorPos(screen.x, screen.y);
    wchar_t band[32] = {};
    bandUnderMouse(dw, band, 32);
    return std::wstring(band);
  };
  POINT probe = {70, 25};
  ClientToScreen(dw, &probe);
  SetCursorPos(probe.x, probe.y);
  POINT cursor = {};
  GetCursorPos(&cursor);
  if (cursor.x != probe.x || cursor.y != probe.y) GTEST_SKIP() << "the mouse pointer cannot be moved here";
  struct Case {
    int y;
    const wchar_t* band;
  };
  const Case cases[] = {{5, L"header"},         {25, L"header.1\t1"},   {40, L"detail\t1"},    {75, L"trailer.1\t2"},
                        {90, L"header.1\t3"},   {110, L"detail\t3"},    {125, L"trailer.1\t3"}, {140, L""}};
  for (const Case& c : cases) EXPECT_EQ(bandAt(c.y), c.band) << "y " << c.y;
}

TEST_F(ControlTest, CrosstabHeaderRowsAreDrawnUnderTheHeader) {
  HWND dw = Create(L"release 19;\n"
                   L"datawindow(units=1 processing=4 color=16777215 )\n"
                   L"header[1](height=30 color=\"255\" )\n"
                   L"header[2](height=25 color=\"16711680\" )\n"
                   L"detail(height=20 color=\"65280\" )\n"
                   L"table(column=(type=char(10) name=region dbname=\"region\" ) )\n"
                   L"text(band=header[2] text=\"@region\" x=\"2\" y=\"2\" height=\"20\" width=\"60\" name=t_region )\n"
                   L"column(band=detail id=1 x=\"2\" y=\"2\" height=\"16\" width=\"60\" name=region )\n"
                   L"data(\"North\", \"South\", )\n",
                   nullptr, 300, 204);
  ASSERT_NE(dw, nullptr);
  Dib dib(ClientSize(dw).cx, ClientSize(dw).cy);
  Paint(dw, dib);
  const int x = ClientSize(dw).cx - 6;
  const BandPixel pixels[] = {{0, RGB(255, 0, 0)},   {29, RGB(255, 0, 0)},   {30, RGB(0, 0, 255)},
                              {54, RGB(0, 0, 255)},  {55, RGB(0, 255, 0)},   {94, RGB(0, 255, 0)},
                              {95, RGB(255, 255, 255)}};
  for (const BandPixel& p : pixels) EXPECT_EQ(dib.At(x, p.y), p.color) << "y " << p.y;
  EXPECT_GT(dib.Count(Rect(2, 32, 62, 52), pbsim_test::IsDark), 3) << "the text of the second header row";
  LONG row = -1;
  EXPECT_NE(rt.GetRowColUnderPoint(dw, 30, 80, &row, nullptr), 0);
  EXPECT_EQ(row, 2);
}

namespace {

// Drawing objects of a freeform DataWindow in pixels (units=1) on white.
const wchar_t kShapesForm[] =
    L"release 19;\n"
    L"datawindow(units=1 processing=0 color=16777215 )\n"
    L"header(height=0 color=\"536870912\" )\n"
    L"detail(height=120 color=\"16777215\" )\n"
    L"table(column=(type=char(10) name=a dbname=\"a\" ) )\n"
    L"rectangle(band=detail x=\"10\" y=\"10\" height=\"30\" width=\"40\" name=r_1 brush.hatch=\"6\" "
    L"brush.color=\"16711680\" pen.style=\"0\" pen.width=\"1\" pen.color=\"255\" background.mode=\"2\" "
    L"background.color=\"0\" )\n"
    L"roundrectangle(band=detail ellipseheight=\"20\" ellipsewidth=\"20\" x=\"60\" y=\"10\" height=\"30\" "
    L"width=\"40\" name=rr_1 brush.hatch=\"6\" brush.color=\"65280\" pen.style=\"5\" pen.width=\"1\" "
    L"pen.color=\"0\" )\n"
    L"ellipse(band=detail x=\"110\" y=\"10\" height=\"30\" width=\"40\" name=oval_1 brush.hatch=\"6\" "
    L"brush.color=\"0~tif(getrow() = 1, 255, 0)\" pen.style=\"5\" )\n"
    L"rectangle(band=detail x=\"160\" y=\"50\" height=\"30\" width=\"30\" name=r_2 brush.hatch=\"7\" "
    L"brush.color=\"0\" pen.style=\"0\" pen.width=\"1\" pen.color=\"16711680\" )\n"
    L"bitmap(band=detail filename=\"no_such_picture.bmp\" x=\"160\" y=\"10\" height=\"30\" width=\"30\" "
    L"border=\"0\" name=p_missing )\n"
    L"bitmap(band=detail filename=\"\" x=\"200\" y=\"10\" height=\"30\" width=\"30\" border=\"0\" name=p_file )\n"
    L"groupbox(band=detail text=\"Box\" border=\"5\" color=\"0\" x=\"10\" y=\"50\" height=\"50\" width=\"140\" "
    L"name=gb_1 font.face=\"Tahoma\" font.height=\"-10\" background.mode=\"2\" background.color=\"16777215\" )\n"
    L"report(band=detail dataobject=\"d_other\" x=\"200\" y=\"50\" height=\"40\" width=\"60\" border=\"0\" "
    L"name=dw_1 )\n"
    L"data(\"x\", )\n";

// A 24-bit .bmp file of 2 × 2 pixels of one colour.
std::string BitmapFile(BYTE red, BYTE green, BYTE blue) {
  const DWORD rowBytes = 8;  // 2 pixels × 3 bytes, padded to 4
  BITMAPFILEHEADER file = {};
  BITMAPINFOHEADER info = {};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof(file) + sizeof(info);
  file.bfSize = file.bfOffBits + rowBytes * 2;
  info.biSize = sizeof(info);
  info.biWidth = 2;
  info.biHeight = 2;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
  bytes.append(reinterpret_cast<const char*>(&info), sizeof(info));
  for (int row = 0; row < 2; ++row) {
    const char pixels[8] = {static_cast<char>(blue), static_cast<char>(green), static_cast<char>(red),
                            static_cast<char>(blue), static_cast<char>(green), static_cast<char>(red), 0, 0};
    bytes.append(pixels, 8);
  }
  return bytes;
}

}  // namespace

TEST_F(ControlTest, DrawingObjectsPicturesGroupBoxesAndReportsArePainted) {
  HWND dw = Create(kShapesForm, nullptr, 320, 160);
  ASSERT_NE(dw, nullptr);
  EXPECT_EQ(rt.DescribeText(dw, L"r_1.type rr_1.type oval_1.type p_missing.type gb_1.type dw_1.type"),
            L"rectangle\nroundrectangle\nellipse\nbitmap\ngroupbox\nreport");
  TempFolder folder(L"pictures");
  const std::wstring picture = folder.Write(L"orange.bmp", BitmapFile(255, 128, 0));
  ASSERT_EQ(rt.Modify(dw, (L"p_file.filename='" + picture + L"'").c_str()), nullptr);

  Dib dib(ClientSize(dw).cx, ClientSize(dw).cy);
  Paint(dw, dib);
  const COLORREF white = RGB(255, 255, 255);
  const COLORREF frame = GetSysColor(COLOR_WINDOWFRAME);
  struct Pixel {
    const char* what;
    int x;
    int y;
    COLORREF color;
  };
  const Pixel pixels[] = {
      {"rectangle brush", 30, 25, RGB(0, 0, 255)},     {"rectangle pen, left", 10, 25, RGB(255, 0, 0)},
      {"rectangle pen, right", 49, 25, RGB(255, 0, 0)}, {"rectangle pen, bottom", 30, 39, RGB(255, 0, 0)},
      {"outside the rectangle", 50, 25, white},         {"roundrectangle inside", 80, 25, RGB(0, 255, 0)},
      {"roundrectangle corner", 61, 11, white},         {"roundrectangle edge", 60, 25, RGB(0, 255, 0)},
      {"ellipse centre (row 1: red)", 130, 25, RGB(255, 0, 0)},
      {"ellipse's box corner", 111, 11, white},         {"hollow rectangle inside", 175, 65, white},
      {"hollow rectangle pen", 160, 65, RGB(0, 0, 255)}, {"missing picture frame", 160, 25, frame},
      {"missing picture inside", 175, 25, white},       {"picture from its file", 215, 25, RGB(255, 128, 0)},
      {"picture's corner", 200, 10, RGB(255, 128, 0)},  {"report frame", 200, 70, frame},
      {"report frame, right", 259, 70, frame},          {"report inside", 230, 70, white},
  };
  for (const Pixel& p : pixels) EXPECT_EQ(dib.At(p.x, p.y), p.color) << p.what;
  // The group box: its text at the top left, an etched frame around.
  EXPECT_GT(dib.Count(Rect(14, 50, 50, 66), pbsim_test::IsDark), 5) << "the group box's text";
  EXPECT_NE(dib.At(10, 80), white) << "the group box's left edge";
  EXPECT_NE(dib.At(80, 98), white) << "the group box's bottom edge";
  EXPECT_EQ(dib.At(80, 80), white) << "inside the group box";

  // Modified like any other object.
  ASSERT_EQ(rt.Modify(dw, L"r_1.brush.color='65280' oval_1.visible='0' rr_1.x='70'"), nullptr);
  Paint(dw, dib);
  EXPECT_EQ(dib.At(30, 25), RGB(0, 255, 0));
  EXPECT_EQ(dib.At(130, 25), white);
  EXPECT_EQ(dib.At(65, 25), white);
}

namespace {

// A grid in PowerBuilder units as PowerBuilder exports one: fonts in points
// (font.height="-10") with face, family, pitch and charset; every row shows
// "HHHH" in the second column.
const wchar_t kPointFontGrid[] =
    L"release 19;\r\n"
    L"datawindow(units=0 processing=1 color=16777215 selected.mouse=no )\r\n"
    L"header(height=80 color=\"12632256\" )\r\n"
    L"summary(height=0 color=\"536870912\" )\r\n"
    L"footer(height=0 color=\"536870912\" )\r\n"
    L"detail(height=88 color=\"16777215\" )\r\n"
    L"table(column=(type=long name=id dbname=\"id\" )\r\n"
    L" column=(type=char(10) name=code dbname=\"code\" ) )\r\n"
    L"column(band=detail id=1 alignment=\"1\" tabsequence=10 border=\"0\" color=\"33554432\" x=\"9\" y=\"8\" "
    L"height=\"72\" width=\"300\" format=\"[general]\" name=id visible=\"1\" font.face=\"Arial\" "
    L"font.height=\"-10\" font.weight=\"400\" font.family=\"2\" font.pitch=\"2\" font.charset=\"0\" "
    L"background.mode=\"1\" background.color=\"536870912\" )\r\n"
    L"column(band=detail id=2 alignment=\"0\" tabsequence=20 border=\"0\" color=\"33554432\" x=\"318\" y=\"8\" "
    L"height=\"72\" width=\"500\" format=\"[general]\" name=code visible=\"1\" edit.limit=10 "
    L"edit.autoselect=yes font.face=\"Tahoma\" font.height=\"-10\" font.weight=\"400\" font.family=\"2\" "
    L"font.pitch=\"2\" font.charset=\"0\" background.mode=\"1\" background.color=\"536870912\" )\r\n"
    L"data(1, \"HHHH\", 2, \"HHHH\", 3, \"HHHH\", )\r\n";

// Height in pixels of the text on white inside a rectangle: from the first
// pixel row with a pixel that is not white to the last; 0 when there is none.
int InkHeight(const Dib& dib, RECT area) {
  int first = -1;
  int last = -1;
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) {
      if (dib.At(x, y) == RGB(255, 255, 255)) continue;
      if (first < 0) first = y;
      last = y;
      break;
    }
  }
  return first < 0 ? 0 : last - first + 1;
}

}  // namespace

TEST_F(ControlTest, TheCurrentRowKeepsItsFontAfterAClick) {
  HWND dw = Create(kPointFontGrid, nullptr, 500, 240);
  ASSERT_NE(dw, nullptr);
  const int left = X(318) + 2;
  const int right = X(818) - 2;
  // Rows lie under the 80-unit header, 88 units each; inside a row, above
  // its grid line.
  auto rowArea = [&](int row) {
    const int top = Y(80) + (row - 1) * Y(88);
    return Rect(left, top + 1, right, top + Y(88) - 2);
  };
  RedrawWindow(dw, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  PumpMessages();
  const WindowSurface before(dw, WindowSurface::Client);
  const int reference = InkHeight(before, rowArea(2));
  ASSERT_GT(reference, 5) << "row 2 shows its text";
  EXPECT_EQ(InkHeight(before, rowArea(1)), reference);

  // The click arrives through the message loop, as a user's does.
  PostMessageW(dw, WM_LBUTTONDOWN, MK_LBUTTON, Point(right - 10, rowArea(2).top + 8));
  PostMessageW(dw, WM_LBUTTONUP, 0, Point(right - 10, rowArea(2).top + 8));
  PumpMessages();
  ASSERT_EQ(rt.GetCurrentRow(dw), 2);
  ASSERT_EQ(rt.GetCurrentColumn(dw), 2);
  HWND edit = rt.modules.GetEditControl(dw);
  ASSERT_TRUE(edit && IsWindowVisible(edit));
  // Nothing selected in the edit control: its text shows as a row's text does.
  SendMessageW(edit, EM_SETSEL, 4, 4);
  HideCaret(edit);
  RedrawWindow(dw, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  PumpMessages();
  const WindowSurface editSurface(edit, WindowSurface::Client);
  EXPECT_EQ(InkHeight(editSurface, Rect(0, 0, editSurface.Width(), editSurface.Height())), reference)
      << "the current row's text, in the edit control";
  const WindowSurface after(dw, WindowSurface::Client);
  EXPECT_EQ(InkHeight(after, rowArea(3)), reference) << "row 3";
  EXPECT_EQ(InkHeight(after, rowArea(1)), reference) << "row 1";

  // Another row's cell, then the next row by key: the edit control follows
  // with the font of the row it lies in.
  for (int step = 0; step < 2; ++step) {
    if (step == 0) {
      PostMessageW(dw, WM_LBUTTONDOWN, MK_LBUTTON, Point(right - 10, rowArea(3).top + 8));
      PostMessageW(dw, WM_LBUTTONUP, 0, Point(right - 10, rowArea(3).top + 8));
      PumpMessages();
    } else {
      PostMessageW(edit, WM_KEYDOWN, VK_UP, 1);
      PumpMessages();
    }
    SendMessageW(edit, EM_SETSEL, 4, 4);
    HideCaret(edit);
    RedrawWindow(dw, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpMessages();
    const WindowSurface moved(edit, WindowSurface::Client);
    EXPECT_EQ(InkHeight(moved, Rect(0, 0, moved.Width(), moved.Height())), reference) << "step " << step;
    const WindowSurface rows(dw, WindowSurface::Client);
    EXPECT_EQ(InkHeight(rows, rowArea(step == 0 ? 2 : 3)), reference) << "step " << step;
  }
}

TEST_F(ControlTest, KeysKeepTheCurrentRowOnThePageAcrossGroupBands) {
  // The grouped grid with a group of four rows, then groups of one row: the
  // rows after the first group need more room for their group bands.
  std::wstring source = kGroupedGrid;
  source.replace(source.find(L"data("), std::wstring::npos,
                 L"data(\"A\", 1, \"A\", 2, \"A\", 3, \"A\", 4, \"B\", 5, \"C\", 6, \"D\", 7, )\r\n");
  HWND dw = Create(source.c_str(), nullptr, 300, 104);
  ASSERT_NE(dw, nullptr);
  ASSERT_EQ(ClientSize(dw).cy, 100);
  EXPECT_EQ(rt.DescribeText(dw, L"DataWindow.LastRowOnPage"), L"3");
  for (long row = 2; row <= 7; ++row) {
    Key(dw, VK_DOWN);
    ASSERT_EQ(rt.GetCurrentRow(dw), row);
    EXPECT_LE(rt.DescribeNumber(dw, L"DataWindow.FirstRowOnPage"), row);
    EXPECT_GE(rt.DescribeNumber(dw, L"DataWindow.LastRowOnPage"), row) << "row " << row << " is below the page";
  }
  for (long row = 6; row >= 1; --row) {
    Key(dw, VK_UP);
    ASSERT_EQ(rt.GetCurrentRow(dw), row);
    EXPECT_LE(rt.DescribeNumber(dw, L"DataWindow.FirstRowOnPage"), row) << "row " << row << " is above the page";
    EXPECT_GE(rt.DescribeNumber(dw, L"DataWindow.LastRowOnPage"), row);
  }
}

namespace {

// A change of "DataWindow.Selected" by Modify and the cells (row, column of
// the employee grid) that the change must and must not repaint.
struct SelectionChange {
  const char* name;
  const wchar_t* before;
  const wchar_t* after;
  std::vector<std::pair<int, int>> repainted;
  std::vector<std::pair<int, int>> kept;
};

void PrintTo(const SelectionChange& c, std::ostream* os) { *os << c.name; }

class SelectionRepaint : public ControlTest, public ::testing::WithParamInterface<SelectionChange> {
 protected:
  // Whether the point of a cell lies in the window's update region.
  static bool Invalid(HWND dw, POINT p) {
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    const int kind = GetUpdateRgn(dw, region, FALSE);
    const bool inside = kind != NULLREGION && kind != ERROR && PtInRegion(region, p.x, p.y);
    DeleteObject(region);
    return inside;
  }
};

}  // namespace

TEST_P(SelectionRepaint, OnlyCellsWhoseSelectionChangedAreInvalidated) {
  const SelectionChange& c = GetParam();
  HWND dw = Create(pbsim::kEmployeeGridSyntax, nullptr, 500, 400);
  ASSERT_NE(dw, nullptr);
  std::wstring modify = std::wstring(L"DataWindow.Selected='") + c.before + L"'";
  ASSERT_EQ(rt.Modify(dw, modify.c_str()), nullptr);
  UpdateWindow(dw);
  ValidateRect(dw, nullptr);
  modify = std::wstring(L"DataWindow.Selected='") + c.after + L"'";
  ASSERT_EQ(rt.Modify(dw, modify.c_str()), nullptr);
  for (const auto& cell : c.repainted) {
    EXPECT_TRUE(Invalid(dw, Cell(cell.first, cell.second))) << "row " << cell.first << " column " << cell.second;
  }
  for (const auto& cell : c.kept) {
    EXPECT_FALSE(Invalid(dw, Cell(cell.first, cell.second))) << "row " << cell.first << " column " << cell.second;
  }
  // The header never changes with the selection.
  EXPECT_FALSE(Invalid(dw, POINT{X(100), HeaderHeight() / 2}));
  ValidateRect(dw, nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    ControlTest, SelectionRepaint,
    ::testing::Values(
        SelectionChange{"FromNothing", L"", L"2/3/emp_id/emp_name", {{2, 1}, {3, 2}}, {{1, 1}, {2, 3}, {4, 1}}},
        SelectionChange{"OneRowMore", L"2/4/emp_id/dept", L"2/5/emp_id/dept", {{5, 1}, {5, 3}},
                        {{2, 1}, {4, 3}, {5, 4}, {6, 1}}},
        SelectionChange{"OneColumnLess", L"2/4/emp_id/dept", L"2/4/emp_id/emp_name", {{2, 3}, {4, 3}},
                        {{2, 1}, {3, 2}, {2, 4}, {5, 3}}},
        SelectionChange{"Cleared", L"2/4/emp_id/dept", L"", {{2, 1}, {4, 3}}, {{5, 1}, {2, 4}, {1, 1}}},
        SelectionChange{"Unchanged", L"2/4/emp_id/dept", L"2/4/emp_id/dept", {}, {{2, 1}, {3, 2}, {4, 3}}},
        SelectionChange{"Moved", L"2/3/emp_id/emp_id", L"5/6/salary/salary", {{2, 1}, {3, 1}, {5, 4}, {6, 4}},
                        {{4, 1}, {4, 4}, {2, 4}, {5, 1}}}),
    [](const ::testing::TestParamInfo<SelectionChange>& info) { return std::string(info.param.name); });

TEST_F(ControlTest, OtherModifiesAndDragStepsRepaintAsBefore) {
  HWND dw = Create(pbsim::kEmployeeGridSyntax, nullptr, 500, 400);
  ASSERT_NE(dw, nullptr);
  UpdateWindow(dw);
  // A statement besides the selection: everything is shown anew.
  ValidateRect(dw, nullptr);
  ASSERT_EQ(rt.Modify(dw, L"DataWindow.Selected='2/3/emp_id/emp_id' emp_name.color='255'"), nullptr);
  RECT update = {};
  ASSERT_TRUE(GetUpdateRect(dw, &update, FALSE));
  RECT client = {};
  GetClientRect(dw, &client);
  EXPECT_TRUE(EqualRect(&update, &client));

  // The mouse's own drag: one row more repaints that row's cells only.
  ValidateRect(dw, nullptr);
  SendMessageW(dw, WM_LBUTTONDOWN, MK_LBUTTON, Point(Cell(2, 1).x, Cell(2, 1).y));
  SendMessageW(dw, WM_MOUSEMOVE, MK_LBUTTON, Point(Cell(4, 2).x, Cell(4, 2).y));
  UpdateWindow(dw);
  ValidateRect(dw, nullptr);
  SendMessageW(dw, WM_MOUSEMOVE, MK_LBUTTON, Point(Cell(5, 2).x, Cell(5, 2).y));
  ASSERT_TRUE(GetUpdateRect(dw, &update, FALSE));
  EXPECT_EQ(update.top, RowTop(5));
  EXPECT_EQ(update.bottom, RowTop(6));
  EXPECT_LE(update.left, Cell(5, 1).x);
  EXPECT_GE(update.right, Cell(5, 2).x);
  EXPECT_LT(update.right, Cell(5, 3).x);
  SendMessageW(dw, WM_LBUTTONUP, 0, Point(Cell(5, 2).x, Cell(5, 2).y));
}
