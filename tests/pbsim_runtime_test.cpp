// The stand-in's runtime modules as the library binds to them: modules and exports of each generation; and on
// generation 105 its DataWindow control: what it paints (read back from a DIB), how it answers clicks, drags,
// scrolling and keys, answers into the caller's buffer and for windows that are no DataWindow, and internal
// functions called through their exports, where inline interception sees them. The employee grid at 96 dpi: header
// 20 pixels, rows 17, column edges 1|71 72|181 182|248 249|325.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "dib.h"
#include "intercept/intercept.h"
#include "model/samples.h"
#include "pbsim_runtime.h"

namespace {

const int kRight[] = {71, 181, 248, 325};  // right edge of each column's cells
const COLORREF kWhite = RGB(255, 255, 255), kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0);

int RowTop(int row, int first = 1) { return 20 + (row - first) * 17; }
LPARAM At(POINT p) { return MAKELPARAM(p.x, p.y); }
// A point inside a cell of the employee grid, near its right edge.
POINT Cell(int row, int column, int first = 1) { return POINT{kRight[column - 1] - 4, RowTop(row, first) + 8}; }
bool IsDark(COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c) < 200; }
std::wstring FileName(HMODULE module) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(module, path, MAX_PATH);
    return wcsrchr(path, L'\\') + 1;
}

// A grid in pixels: header 20 high, a group by dept with a header 16 high
// (red) and a trailer 12 high (green) with the group's total, rows 18 high.
const wchar_t kGroupedGrid[] =
    L"release 19;\ndatawindow(units=1 processing=1 color=16777215 selected.mouse=no )\n"
    L"header(height=20 color=\"12632256\" )\ndetail(height=18 color=\"16777215\" )\n"
    L"table(column=(type=char(10) name=dept dbname=\"dept\" ) column=(type=long name=qty dbname=\"qty\" ) )\n"
    L"group(level=1 header.height=16 trailer.height=12 by=(\"dept\" ) header.color=\"255\" trailer.color=\"65280\" )\n"
    L"text(band=header text=\"Dept\" x=\"2\" y=\"2\" height=\"16\" width=\"60\" name=dept_t )\n"
    L"column(band=header.1 id=1 x=\"2\" y=\"1\" height=\"14\" width=\"60\" name=dept_head )\n"
    L"column(band=detail id=1 x=\"2\" y=\"1\" height=\"16\" width=\"60\" tabsequence=10 name=dept )\n"
    L"column(band=detail id=2 x=\"64\" y=\"1\" height=\"16\" width=\"60\" tabsequence=20 name=qty )\n"
    L"compute(band=trailer.1 expression=\"sum(qty for group 1)\" x=\"64\" height=\"12\" width=\"60\" name=c_total )\n"
    L"data(\"A\", 5, \"A\", 7, \"B\", 9, )\n";

// A generation and its virtual machine, engine and system modules, then the DataWindow's class.
class RuntimeGeneration : public ::testing::TestWithParam<std::pair<int, const wchar_t*>> {};

// Generation 105: one runtime and host for the suite (freeing a top-level window costs Wine seconds); the test's
// controls on it are destroyed after each test.
class DataWindowControl : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(rt.ok()) << "the modules of generation 105 are not all there"; }
    void TearDown() override {
        while (HWND dw = GetWindow(rt.host(), GW_CHILD)) DestroyWindow(dw);
    }
    // A control with the definition's rows, or `rows` numbered rows of its own.
    HWND Create(const wchar_t* definition = pbsim::kEmployeeGridSyntax, int width = 500, int height = 200,
                int rows = 0) {
        std::wstring text;
        for (int i = 1; i <= rows; ++i)
            text += std::to_wstring(100 + i) + L"\tPerson " + std::to_wstring(i) + L"\tD\t1\n";
        HWND dw = rt.CreateWithRows(definition, rows ? text.c_str() : nullptr, width, height);
        EXPECT_NE(dw, nullptr) << std::string(rt.LastError().begin(), rt.LastError().end());
        return dw;
    }
    long RowColumn(HWND dw) { return rt.GetCurrentRow(dw) * 10 + rt.GetCurrentColumn(dw); }
    // What the control paints, through its exported paint entry point, on a background of RGB(1, 2, 3).
    std::unique_ptr<Dib> Paint(HWND dw) {
        RECT rc;
        GetClientRect(dw, &rc);
        std::unique_ptr<Dib> dib(new Dib(rc.right, rc.bottom));
        dib->Fill(RGB(1, 2, 3));
        EXPECT_EQ(rt.PaintDC(dw, dib->Dc()), 1);
        return dib;
    }
    static void Click(HWND dw, POINT p) {
        SendMessageW(dw, WM_LBUTTONDOWN, MK_LBUTTON, At(p));
        SendMessageW(dw, WM_LBUTTONUP, 0, At(p));
    }
    // "object|band|row/column" at a client point: the object and band under the mouse pointer put there (those
    // entries read the real pointer), and the row and column under the point ("-" when it is on no row).
    std::wstring Hit(HWND dw, POINT p) {
        LONG row = 0, column = 0;
        const bool onRow = rt.GetRowColUnderPoint(dw, p.x, p.y, &row, &column) != 0;
        POINT screen = p;
        ClientToScreen(dw, &screen);
        SetCursorPos(screen.x, screen.y);
        wchar_t name[1024] = L"#", band[32] = L"#";
        rt.GetObjectUnderMouse(dw, name);
        rt.GetBandUnderMouse(dw, band, 32);
        return std::wstring(name) + L"|" + band + L"|" +
               (onRow ? std::to_wstring(row) + L"/" + std::to_wstring(column) : L"-");
    }

    static inline PbsimRuntime rt{};
};

WNDPROC g_winProc = nullptr;
LONG_PTR(WINAPI* g_dwModify)(LONG_PTR, LONG_PTR) = nullptr;
int g_keys = 0, g_modifies = 0;

LRESULT CALLBACK WinProcDetour(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
    g_keys += message == WM_KEYDOWN;
    return g_winProc(w, message, wParam, lParam);
}
LONG_PTR WINAPI DWModifyDetour(LONG_PTR dw, LONG_PTR text) { return ++g_modifies, g_dwModify(dw, text); }

// Attaches or detaches both detours in one transaction.
LONG Detours(decltype(&InterceptAttach) change) {
    InterceptTransactionBegin();
    InterceptUpdateThread(GetCurrentThread());
    const LONG error = change(reinterpret_cast<PVOID*>(&g_winProc), reinterpret_cast<PVOID>(WinProcDetour)) |
                       change(reinterpret_cast<PVOID*>(&g_dwModify), reinterpret_cast<PVOID>(DWModifyDetour));
    return error ? (InterceptTransactionAbort(), error) : InterceptTransactionCommit();
}

}  // namespace

// Catches a wrong file name, class name or export of one generation.
TEST_P(RuntimeGeneration, HasItsThreeModulesAndExports) {
    PbsimRuntime rt(GetParam().first);
    ASSERT_TRUE(rt.ok());
    for (const char* name : {"FNX_DataWindowSaveAs", "FNX_DataWindowSetAllEvents", "FNX_ObjectClassName", "fndwPrint",
                             "FN_DWGetHandle", "FN_ListBoxWnd", "FN_WindowWnd", "fndwModify", "FNX_DataWindowDescribe"})
        EXPECT_NE(GetProcAddress(rt.vm(), name), nullptr) << name;
    for (const char* name :
         {"dwGetBandUnderMouse", "dwGetObjectUnderMouse", "dwGetProgram", "dwGetCurrentText", "dwGetCurrentTextLength",
          "dwPaintDC", "DW_Print", "DW_Modify", "dwWinProc", "dwWinProcEdit"})
        EXPECT_NE(GetProcAddress(rt.engine(), name), nullptr) << name;
    HWND dw = rt.Create(pbsim::kEmployeeGridSyntax, 0, 300, 150);
    wchar_t className[64] = {};
    GetClassNameW(dw, className, 64);
    EXPECT_EQ(FileName(rt.vm()) + L" " + FileName(rt.engine()) + L" " + FileName(rt.system()) + L" " + className +
                  L"|" + rt.Describe(dw, L"DataWindow.Column.Count") + std::to_wstring(rt.GetRowCount(dw)),
              GetParam().second + std::wstring(L"|48"));
}

const std::pair<int, const wchar_t*> kGenerations[] = {{105, L"PBVM105.DLL pbdwe105.DLL pbsys105.DLL pbdw105"},
                                                       {125, L"PBVM125.DLL pbdwe125.DLL pbsys125.DLL pbdw125"},
                                                       {170, L"pbvm170.dll pbdwe170.dll pbsys170.dll pbdw170"},
                                                       {115, L"PBVM115.DLL pbdwe115.DLL pbsys115.DLL pbdw115"},
                                                       {220, L"pbvm.dll pbdwe.dll pbsysfunc.dll pbdw220u"}};
INSTANTIATE_TEST_SUITE_P(Pbsim, RuntimeGeneration, ::testing::ValuesIn(kGenerations),
                         [](const auto& g) { return "G" + std::to_string(g.param.first); });

// Catches a wrong content width, a click on the wrong cell, an edit control in the wrong place or with the wrong text,
// or typed text not written back when the row changes.
TEST_F(DataWindowControl, AClickPutsTheEditControlOverTheCellAndItsTextIsWrittenBack) {
    HWND dw = Create();
    EXPECT_EQ(std::vector<long>({rt.InfoGetDWWidth(dw), RowColumn(dw)}), std::vector<long>({325, 11}));
    Click(dw, Cell(3, 2));
    EXPECT_EQ(RowColumn(dw), 32);
    HWND edit = rt.GetEditControl(dw);
    wchar_t text[64] = {};
    GetWindowTextW(edit, text, 64);
    RECT rc = {};
    GetWindowRect(edit, &rc);
    MapWindowPoints(nullptr, dw, reinterpret_cast<POINT*>(&rc), 2);
    EXPECT_EQ(std::vector<long>({rc.left, rc.top, rc.right, rc.bottom}), std::vector<long>({72, 55, 181, 70})) << text;
    EXPECT_STREQ(text, L"Carla Ortiz");

    // Typing replaces the text; a key in the edit control moves on and writes it back.
    SendMessageW(edit, WM_CHAR, L'Z', 1);
    SendMessageW(edit, WM_CHAR, L'e', 1);
    SendMessageW(edit, WM_KEYDOWN, VK_DOWN, 1);
    GetWindowTextW(edit, text, 64);
    EXPECT_EQ(rt.Describe(dw, L"Evaluate('emp_name', 3)") + L"|" + text, L"Ze|Dinh Van An");
}

// Catches wrong band colours, row positions, borders, grid lines, focus mark or header font on the screen; printing
// that leaves out rows or the header, or keeps the focus mark.
TEST_F(DataWindowControl, PaintsAndPrintsStripedRowsHeaderTextsAndGridLines) {
    HWND dw = Create();
    ASSERT_EQ(rt.Modify(dw, L"Datawindow.Detail.color='16777215 ~t if (mod(getrow(),2)=1, 255, 65280)'"), nullptr);
    std::unique_ptr<Dib> dib = Paint(dw);
    const COLORREF dark = GetSysColor(COLOR_3DDKSHADOW), grid = RGB(192, 192, 192), black = 0;
    for (int row = 1; row <= 8; ++row) EXPECT_EQ(dib->At(490, RowTop(row) + 5), row % 2 ? kRed : kGreen) << row;
    // Below the rows, the header band, header cell borders, grid lines (stopping at the content's edge), focus mark.
    // clang-format off
    const long long pixels[][3] = {{490, 161, kWhite}, {490, 5, grid}, {71, 8, dark}, {181, 8, dark}, {325, 8, dark},
                                   {30, 19, dark}, {71, 45, grid}, {248, 96, grid}, {150, 36, grid}, {490, 36, kRed},
                                   {21, 20, black}, {1, 26, black}, {70, 26, black}};
    // clang-format on
    for (const auto& p : pixels) EXPECT_EQ(dib->At(p[0], p[1]), static_cast<COLORREF>(p[2])) << p[0] << "," << p[1];
    EXPECT_GT(dib->Count(RECT{1, 1, 71, 17}, IsDark), 20) << "Emp ID";

    Dib page(600, 800);
    EXPECT_EQ(rt.PrintToDC(dw, page.Dc()), 1);
    // Rows in their colours, no focus mark.
    const long long printed[][3] = {
        {590, 5, grid}, {590, 25, kRed}, {590, 42, kGreen}, {590, 161, kWhite}, {21, 20, kRed}};
    for (const auto& p : printed) EXPECT_EQ(page.At(p[0], p[1]), static_cast<COLORREF>(p[2])) << p[0] << "," << p[1];
    EXPECT_EQ(rt.PrintToDC(dw, nullptr) + rt.PrintToDC(rt.host(), page.Dc()), -2);
}

// Catches keys that move the current row or column wrongly or leave it off the page; wrong scroll steps or limits.
TEST_F(DataWindowControl, KeysAndScrollBarsMoveTheCurrentCellAndThePage) {
    HWND dw = Create(pbsim::kEmployeeGridSyntax, 500, 200, 40);  // ten whole rows a page
    // Message, its wParam, how many times; the current row and column and the first row on the page after them.
    // clang-format off
    const struct { UINT message; WPARAM wParam; int repeat; long row, column, first; } steps[] = {
        {WM_KEYDOWN, VK_DOWN, 2, 3, 1, 1},    {WM_KEYDOWN, VK_UP, 1, 2, 1, 1},     {WM_KEYDOWN, VK_RETURN, 1, 3, 1, 1},
        {WM_KEYDOWN, VK_RIGHT, 2, 3, 3, 1},   {WM_KEYDOWN, VK_LEFT, 1, 3, 2, 1},   {WM_KEYDOWN, VK_NEXT, 1, 13, 2, 11},
        {WM_KEYDOWN, VK_PRIOR, 1, 3, 2, 1},   {WM_KEYDOWN, VK_DOWN, 10, 13, 2, 4}, {WM_KEYDOWN, VK_DOWN, 50, 40, 2, 31},
        {WM_KEYDOWN, VK_NEXT, 5, 40, 2, 31},  {WM_KEYDOWN, VK_PRIOR, 10, 1, 2, 1},
        // Scrolling leaves the current cell alone.
        {WM_VSCROLL, SB_LINEDOWN, 1, 1, 2, 2}, {WM_VSCROLL, SB_PAGEDOWN, 1, 1, 2, 12},
        {WM_VSCROLL, SB_LINEUP, 1, 1, 2, 11}, {WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 20), 1, 1, 2, 21},
        {WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 39), 1, 1, 2, 31}, {WM_VSCROLL, SB_PAGEUP, 1, 1, 2, 21},
        {WM_VSCROLL, SB_TOP, 1, 1, 2, 1}, {WM_VSCROLL, SB_LINEUP, 1, 1, 2, 1},
        {WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 1, 1, 2, 4},
        {WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 1, 1, 2, 1},
        {WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 9), 1, 1, 2, 10}};
    // clang-format on
    for (const auto& s : steps) {
        for (int i = 0; i < s.repeat; ++i) SendMessageW(dw, s.message, s.wParam, 0);
        EXPECT_EQ(std::vector<long>({rt.GetCurrentRow(dw), rt.GetCurrentColumn(dw),
                                     rt.DescribeNumber(dw, L"DataWindow.FirstRowOnPage"),
                                     rt.DescribeNumber(dw, L"DataWindow.LastRowOnPage"), GetScrollPos(dw, SB_VERT)}),
                  std::vector<long>({s.row, s.column, s.first, s.first + 9, s.first - 1}))
            << s.message << " " << s.wParam << " x" << s.repeat;
    }
}

// Catches a drag that selects the wrong cells, ignores Selected.Mouse, or paints the selection wrongly; a selection
// change that repaints too little (stale cells) or too much.
TEST_F(DataWindowControl, DragMakesTheDataWindowsOwnCellSelectionAndOnlyChangedCellsRepaint) {
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
    EXPECT_EQ(RowColumn(dw), 21) << "the anchor cell is current";
    std::unique_ptr<Dib> dib = Paint(dw);
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    for (POINT p : {Cell(3, 2), Cell(4, 3)}) EXPECT_EQ(dib->At(p.x, p.y), highlight) << p.x << "," << p.y;
    for (POINT p : {Cell(3, 4), Cell(5, 2)}) EXPECT_NE(dib->At(p.x, p.y), highlight) << p.x << "," << p.y;
    // A selection one row longer repaints the cells of that row, not the others.
    ValidateRect(dw, nullptr);
    ASSERT_EQ(rt.Modify(dw, L"DataWindow.Selected='2/5/emp_id/dept'"), nullptr);
    RECT update = {};
    GetUpdateRect(dw, &update, FALSE);
    for (POINT p : {Cell(5, 1), Cell(5, 3), Cell(4, 3), Cell(6, 1), Cell(5, 4), POINT{22, 10}})
        EXPECT_EQ(PtInRect(&update, p) != 0, p.y > RowTop(5) && p.y < RowTop(6) && p.x < kRight[2])
            << p.x << "," << p.y;
    EXPECT_EQ(drag(Cell(6, 4), Cell(5, 2)), L"5/6/emp_name/salary") << "backwards";
    drag(Cell(1, 1), Cell(2, 2));
    Click(dw, Cell(8, 4));
    EXPECT_EQ(rt.Describe(dw, L"DataWindow.Selected"), L"");
}

// Catches group headers or trailers painted, paged or hit-tested in the wrong place, wrong hit tests of rows, objects
// and bands: group bands name their group's first row (header) or last row (trailer).
TEST_F(DataWindowControl, GroupBandsLieAroundTheirRowsAndAnswerHitTests) {
    HWND dw = Create(kGroupedGrid, 300, 104);  // client 100 high
    std::unique_ptr<Dib> dib = Paint(dw);
    const int x = dib->Width() - 6;
    const int top[][2] = {{5, 0xC0C0C0}, {20, kRed},   {35, kRed}, {36, kWhite}, {71, kWhite},
                          {72, kGreen},  {83, kGreen}, {84, kRed}, {99, kRed}};
    for (const auto& p : top) EXPECT_EQ(dib->At(x, p[0]), static_cast<COLORREF>(p[1])) << "y " << p[0];
    EXPECT_EQ(rt.Describe(dw,
                          L"DataWindow.FirstRowOnPage DataWindow.LastRowOnPage DataWindow.Bands "
                          L"Evaluate('sum(qty for group 1)', 2) Evaluate('sum(qty for group 1)', 3)"),
              L"1\n2\nheader\theader.1\tdetail\ttrailer.1\tsummary\tfooter\n12\n9");
    // Text in the trailer (the group's total) and in the header (the group's value).
    EXPECT_TRUE(dib->Count(RECT{64, 72, 124, 84}, IsDark) > 3 && dib->Count(RECT{2, 21, 62, 35}, IsDark) > 3);
    const std::pair<POINT, const wchar_t*> hits[] = {
        {{30, 10}, L"dept_t|header|-"},    {{70, 25}, L"|header.1\t1|-"},         {{70, 40}, L"qty|detail\t1|1/2"},
        {{30, 60}, L"dept|detail\t2|2/1"}, {{70, 75}, L"c_total|trailer.1\t2|-"}, {{70, 90}, L"|header.1\t3|-"},
        {{200, 40}, L"|detail\t1|1/0"}};
    for (const auto& h : hits) EXPECT_EQ(Hit(dw, h.first), h.second);

    SendMessageW(dw, WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(rt.Describe(dw, L"DataWindow.FirstRowOnPage DataWindow.LastRowOnPage"), L"2\n3");
    EXPECT_EQ(Paint(dw)->At(x, 38), kGreen) << "the first group's trailer, scrolled";
    EXPECT_EQ(Hit(dw, POINT{70, 90}), L"c_total|trailer.1\t3|-");
    Click(dw, POINT{70, 70});
    EXPECT_EQ(rt.GetCurrentRow(dw), 3);
}

// Catches a describe that writes past the caller's buffer, does not cut, or answers for other windows; a border
// taken off twice; wrong row checks in SelectRow, a wrong runtime class name.
TEST_F(DataWindowControl, EntryPointsOnOneDataWindow) {
    HWND dw = Create();
    std::vector<wchar_t> buffer(16, L'#');
    const LONG length = rt.DescribeEntry(dw, L"DataWindow.Syntax", buffer.data(), 8);
    EXPECT_EQ(rt.Describe(dw, L"DataWindow.Syntax").size(), static_cast<size_t>(length));
    EXPECT_EQ(std::wstring(buffer.data()) + buffer[8], L"release#") << "cut to the buffer and no further";
    auto className = PbsimRuntime::Proc<LONG(WINAPI*)(HWND, LPWSTR, LONG)>(rt.vm(), "FNX_ObjectClassName");
    wchar_t answer[16] = L"unchanged", name[16] = L"#";
    // Windows that are no DataWindow, rows out of range, a border taken off twice, the class name.
    EXPECT_EQ(std::vector<LONG>({rt.DescribeEntry(rt.host(), L"DataWindow.Units", answer, 16),
                                 rt.DescribeEntry(nullptr, L"DataWindow.Units", answer, 16), rt.GetCurrentRow(nullptr),
                                 rt.GetRowCount(rt.host()), rt.InfoGetDWWidth(rt.host()), rt.SelectRow(dw, 0, 0),
                                 rt.SelectRow(dw, 9, 1), rt.SelectRow(rt.host(), 1, 1), rt.SetBorder(dw, 0),
                                 rt.SetBorder(dw, 0), rt.SetBorder(rt.host(), 0), className(dw, name, 16),
                                 className(rt.host(), answer, 16)}),
              std::vector<LONG>({-1, -1, -1, -1, 0, 1, -1, -1, 1, 0, 0, 10, -1}));
    EXPECT_EQ(std::wstring(answer) + L"|" + name, L"|datawindow") << "no answer for a window that is no DataWindow";
    EXPECT_NE(rt.Modify(rt.host(), L"DataWindow.Color='0'"), nullptr);
}

// Catches a runtime that calls its internal functions directly instead of through their exports: its window
// procedure handling keys, and DW_Modify under the script's modify (not under dwModify); modifies or their results
// left out of the log.
TEST_F(DataWindowControl, InlineInterceptionCatchesTheRuntimesOwnCalls) {
    HWND dw = Create();
    g_winProc = reinterpret_cast<WNDPROC>(InterceptFindFunction("pbdwe105.DLL", "dwWinProc"));
    g_dwModify = reinterpret_cast<decltype(g_dwModify)>(InterceptFindFunction("pbdwe105.DLL", "DW_Modify"));
    ASSERT_EQ(Detours(InterceptAttach), NO_ERROR);
    rt.ClearModifyLog(dw);
    SendMessageW(dw, WM_KEYDOWN, VK_DOWN, 1);
    EXPECT_EQ(rt.Modify(dw, L"emp_id_t.text='Direct'"), nullptr);
    const int direct = g_modifies;
    EXPECT_EQ(rt.ScriptModify(dw, L"dept_t.text='Script'", nullptr, 0), 1);
    EXPECT_EQ(std::vector<int>({g_keys, rt.GetCurrentRow(dw), direct, g_modifies}), std::vector<int>({1, 2, 0, 1}));
    ASSERT_EQ(Detours(InterceptDetach), NO_ERROR);
    EXPECT_EQ(rt.ScriptModify(dw, L"emp_id_t.text=", nullptr, 0), -1);
    EXPECT_EQ(rt.Describe(dw, L"emp_id_t.text dept_t.text"), L"Direct\nScript");
    std::vector<std::wstring> results;
    EXPECT_EQ(rt.ModifyLog(dw, &results),
              std::vector<std::wstring>({L"emp_id_t.text='Direct'", L"dept_t.text='Script'", L"emp_id_t.text="}));
    EXPECT_EQ(results, std::vector<std::wstring>({L"", L"", L"Line 1 Column 15 incorrect syntax"}));
}
