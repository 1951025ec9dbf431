// The decorations around an attached grid, read back in pixels and texts:
// the row-number side bar in the left margin, the rounded border, the page
// information while the thumb is dragged, and the information tooltip or
// the host's information target that shows it.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h.
#include <commctrl.h>

#include <ostream>
#include <string>
#include <vector>

#include "ini_file.h"
#include "label_settings.h"
#include "message_pump.h"
#include "pbsim_runtime.h"
#include "tessel_dll.h"
#include "window_surface.h"

namespace {

// Eighty rows of 20 pixels under a 24-pixel header.
std::wstring GridWithRows() {
    std::wstring syntax =
        L"release 10;\n"
        L"datawindow(units=1 processing=1)\n"
        L"header(height=24)\n"
        L"detail(height=20)\n"
        L"table(column=(type=long name=a dbname=\"a\") column=(type=char(20) name=b dbname=\"b\"))\n"
        L"text(band=header text=\"A\" border=\"0\" x=\"1\" y=\"1\" height=\"20\" width=\"80\" name=a_t)\n"
        L"text(band=header text=\"B\" border=\"0\" x=\"82\" y=\"1\" height=\"20\" width=\"120\" name=b_t)\n"
        L"column(band=detail id=1 x=\"1\" y=\"1\" height=\"18\" width=\"80\" name=a visible=\"1\")\n"
        L"column(band=detail id=2 x=\"82\" y=\"1\" height=\"18\" width=\"120\" name=b visible=\"1\")\n"
        L"data(";
    for (int i = 1; i <= 80; ++i) syntax += std::to_wstring(i) + L" \"row " + std::to_wstring(i) + L"\" ";
    return syntax + L")\n";
}

constexpr UINT kPageInfo = 11021;
constexpr UINT kSideBar = 11040;
constexpr UINT kInfoTarget = 11041;

// The whole window, frame included.
class WindowPixels : public WindowSurface {
public:
    explicit WindowPixels(HWND window) : WindowSurface(window, WholeWindow) {}
    // Pixels of the rectangle darker than mid-grey (text).
    int Dark(int left, int top, int right, int bottom) const {
        return Count(RECT{left, top, right, bottom},
                     [](COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c) < 300; });
    }
};

class SideBar : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pb.ok());
        ASSERT_EQ(dll.StartTessel(), 1);
        // Twenty rows of 20 pixels fit under the header, with the 1-pixel frame.
        grid = pb.Create(syntax.c_str(), 0, 400, 24 + 20 * 20 + 2);
        ASSERT_NE(grid, nullptr) << pb.LastError();
        dll.AttachDatawindow(grid, nullptr);
        PumpMessages();
    }
    void TearDown() override {
        ClearProcessLabels(dll);
        dll.DettachDatawindow(grid);
        dll.StopTessel();
        DestroyWindow(grid);
    }
    std::wstring syntax = GridWithRows();
    PbsimRuntime pb{105};
    TesselDll dll;
    HWND grid = nullptr;
};

}  // namespace

TEST_F(SideBar, RowNumbersOfThePageWithTheCurrentRow) {
    SendMessageW(grid, kSideBar, 0, 1);
    for (int i = 0; i < 40; ++i) SendMessageW(grid, WM_VSCROLL, SB_LINEDOWN, 0);
    ASSERT_EQ(L"41", pb.Describe(grid, L"DataWindow.FirstRowOnPage"));
    ASSERT_EQ(L"60", pb.Describe(grid, L"DataWindow.LastRowOnPage"));
    // Row 45 becomes current: a click in its first cell.
    SendMessageW(grid, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 24 + 4 * 20 + 10));
    SendMessageW(grid, WM_LBUTTONUP, 0, MAKELPARAM(20, 24 + 4 * 20 + 10));
    RedrawWindow(grid, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    PumpMessages();

    const WindowPixels pixels(grid);
    const int top = 24 + 1;  // rows start under the header, below the 1-pixel frame
    const COLORREF gridLine = GetSysColor(COLOR_3DLIGHT);
    // The separator between side bar and grid, from the window's top edge.
    EXPECT_EQ(gridLine, pixels.At(47, 2));
    EXPECT_EQ(gridLine, pixels.At(47, pixels.Height() - 3));
    // Every visible row has its number; the current row is filled.
    for (int k = 0; k < 20; ++k) {
        EXPECT_GT(pixels.Dark(2, top + k * 20 + 2, 46, top + k * 20 + 19), 5) << "row " << 41 + k;
        EXPECT_EQ(gridLine, pixels.At(30, top + k * 20)) << "separator above row " << 41 + k;
    }
    EXPECT_EQ(static_cast<COLORREF>(0xFFD5AA), pixels.At(4, top + 4 * 20 + 3));
    EXPECT_NE(static_cast<COLORREF>(0xFFD5AA), pixels.At(4, top + 5 * 20 + 3));

    // Off again: the 1-pixel margin is back.
    SendMessageW(grid, kSideBar, 0, 0);
    POINT origin = {0, 0};
    ClientToScreen(grid, &origin);
    RECT window;
    GetWindowRect(grid, &window);
    EXPECT_EQ(1, origin.x - window.left);
}

TEST_F(SideBar, SeparatorsBesideTitleRows) {
    // A 30-pixel title row above the header: the separator starts under it,
    // a horizontal line closes it, and beside the title the side bar shows
    // the back colour.
    ASSERT_EQ(1, dll.AddDatawindowTitle(grid, L"Title", L"Tahoma", 10, 30));
    SendMessageW(grid, kSideBar, 0, 1);
    RedrawWindow(grid, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    PumpMessages();
    const WindowPixels pixels(grid);
    const COLORREF gridLine = GetSysColor(COLOR_3DLIGHT);
    EXPECT_EQ(gridLine, pixels.At(47, 31));
    EXPECT_EQ(gridLine, pixels.At(47, pixels.Height() - 3));
    EXPECT_EQ(gridLine, pixels.At(20, 31));
    EXPECT_NE(gridLine, pixels.At(47, 15));
    EXPECT_EQ(RGB(255, 255, 255), pixels.At(20, 15));
    // The first row's number sits under title and header.
    EXPECT_GT(pixels.Dark(2, 30 + 24 + 3, 46, 30 + 24 + 20), 5);
}

TEST_F(SideBar, PageInformationWhileTheThumbMoves) {
    HWND target = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, target);
    SendMessageW(grid, kInfoTarget, 0, reinterpret_cast<LPARAM>(target));
    for (int i = 0; i < 10; ++i) SendMessageW(grid, WM_VSCROLL, SB_LINEDOWN, 0);
    SendMessageW(grid, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 10), 0);
    PumpMessages();
    wchar_t text[256] = {};
    GetWindowTextW(target, text, 256);
    EXPECT_EQ(std::wstring(L"总 行 数 \t 80\r\n当前首行 \t 11\r\n当前末行 \t 30\r\n当 前 行 \t 1"), text);
    // The tooltip exists all the same, as the library makes it (a popup made
    // for a child window is owned by that window's top-level ancestor).
    HWND tip = nullptr;
    while ((tip = FindWindowExW(nullptr, tip, L"tooltips_class32", nullptr)) != nullptr) {
        if (GetWindow(tip, GW_OWNER) == GetAncestor(grid, GA_ROOT)) break;
    }
    ASSERT_NE(nullptr, tip);
    const LONG style = GetWindowLongW(tip, GWL_STYLE);
    EXPECT_EQ(static_cast<LONG>(WS_POPUP | 0x03), style & (WS_POPUP | 0x03));
    EXPECT_TRUE(GetWindowLongW(tip, GWL_EXSTYLE) & WS_EX_TOPMOST);

    // Back to the tooltip: the target is left as it was.
    SendMessageW(grid, kInfoTarget, 0, 0);
    SetWindowTextW(target, L"unchanged");
    SendMessageW(grid, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 10), 0);
    PumpMessages();
    GetWindowTextW(target, text, 256);
    EXPECT_EQ(std::wstring(L"unchanged"), text);
    DestroyWindow(target);
}

namespace {

// The tooltip the library made for a DataWindow: a popup of the tooltip
// class owned by the DataWindow's top-level window.
HWND TooltipOf(HWND dw) {
    HWND tip = nullptr;
    while ((tip = FindWindowExW(nullptr, tip, L"tooltips_class32", nullptr)) != nullptr) {
        if (GetWindow(tip, GW_OWNER) == GetAncestor(dw, GA_ROOT)) return tip;
    }
    return nullptr;
}

// The text of the tooltip's first tool, as the control gives it back.
std::wstring TooltipText(HWND tip) {
    TOOLINFOW tool = {};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    if (!SendMessageW(tip, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&tool))) return L"<no tool>";
    std::vector<wchar_t> text(1024, L'\0');
    tool.lpszText = text.data();
    SendMessageW(tip, TTM_GETTEXTW, text.size(), reinterpret_cast<LPARAM>(&tool));
    return text.data();
}

}  // namespace

TEST_F(SideBar, PageInformationInTheTooltip) {
    for (int i = 0; i < 10; ++i) SendMessageW(grid, WM_VSCROLL, SB_LINEDOWN, 0);
    SendMessageW(grid, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 10), 0);
    PumpMessages();
    const HWND tip = TooltipOf(grid);
    ASSERT_NE(nullptr, tip);
    EXPECT_EQ(std::wstring(L"总 行 数 \t 80\r\n当前首行 \t 11\r\n当前末行 \t 30\r\n当 前 行 \t 1"),
              TooltipText(tip));
    // Ten rows further: the text follows.
    for (int i = 0; i < 10; ++i) SendMessageW(grid, WM_VSCROLL, SB_LINEDOWN, 0);
    SendMessageW(grid, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 20), 0);
    PumpMessages();
    EXPECT_EQ(std::wstring(L"总 行 数 \t 80\r\n当前首行 \t 21\r\n当前末行 \t 40\r\n当 前 行 \t 1"),
              TooltipText(tip));
}

TEST_F(SideBar, TooltipGoesWithTheDataWindowDestroyedUnattached) {
    // The tooltip is owned by the top-level window, which outlives the
    // DataWindow: a DataWindow destroyed while still attached must take its
    // tooltip along.
    const HWND root = GetAncestor(grid, GA_ROOT);
    auto tooltips = [root]() {
        int n = 0;
        HWND tip = nullptr;
        while ((tip = FindWindowExW(nullptr, tip, L"tooltips_class32", nullptr)) != nullptr) {
            if (GetWindow(tip, GW_OWNER) == root) ++n;
        }
        return n;
    };
    const int before = tooltips();
    for (int cycle = 0; cycle < 5; ++cycle) {
        HWND other = pb.Create(syntax.c_str(), 0, 400, 24 + 20 * 20 + 2);
        ASSERT_NE(other, nullptr) << pb.LastError();
        ASSERT_EQ(GetAncestor(other, GA_ROOT), root);
        dll.AttachDatawindow(other, nullptr);
        PumpMessages();
        SendMessageW(other, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 10), 0);
        PumpMessages();
        EXPECT_EQ(before + 1, tooltips()) << "cycle " << cycle << ": the page information made no tooltip";
        DestroyWindow(other);
        PumpMessages();
        EXPECT_EQ(before, tooltips()) << "cycle " << cycle;
    }
}

namespace {

// The frames a DataWindow control can have in a PowerBuilder window, and the
// distance from the window's left edge to its client area with the side bar
// on (-1: the side bar is not applied, the client area stays where it was).
struct Frame {
    const char* name;
    DWORD style;
    bool clientEdge;
    int leftWithSideBar;
};

const Frame kFrames[] = {
    {"lowered", 0, true, 48},
    {"box", WS_BORDER, false, 49},
    {"box_lowered", WS_BORDER, true, 49},
    {"none", 0, false, 48},
    {"title_bar", WS_CAPTION, true, -1},
};

class SideBarFrame : public ::testing::TestWithParam<Frame> {
protected:
    void SetUp() override {
        ASSERT_TRUE(pb.ok());
        ASSERT_EQ(dll.StartTessel(), 1);
        grid = pb.Create(syntax.c_str(), GetParam().style, 400, 24 + 20 * 20 + 40);
        ASSERT_NE(grid, nullptr) << pb.LastError();
        if (!GetParam().clientEdge) {
            SetWindowLongW(grid, GWL_EXSTYLE, GetWindowLongW(grid, GWL_EXSTYLE) & ~WS_EX_CLIENTEDGE);
            SetWindowPos(grid, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
        }
        dll.AttachDatawindow(grid, nullptr);
        PumpMessages();
    }
    void TearDown() override {
        ClearProcessLabels(dll);
        dll.DettachDatawindow(grid);
        dll.StopTessel();
        DestroyWindow(grid);
    }
    int ClientLeft() const {
        POINT origin = {0, 0};
        ClientToScreen(grid, &origin);
        RECT window;
        GetWindowRect(grid, &window);
        return origin.x - window.left;
    }
    std::wstring syntax = GridWithRows();
    PbsimRuntime pb{105};
    TesselDll dll;
    HWND grid = nullptr;
};

}  // namespace

TEST_P(SideBarFrame, MarginAndRowNumbersBesideTheClientArea) {
    const int before = ClientLeft();
    const std::vector<COLORREF> client = WindowSurface(grid, WindowSurface::Client).Pixels();
    SendMessageW(grid, kSideBar, 0, 1);
    RedrawWindow(grid, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    PumpMessages();
    if (GetParam().leftWithSideBar < 0) {
        // No margin: the client area keeps its place and no number is
        // painted over the DataWindow's own first column.
        EXPECT_EQ(before, ClientLeft());
        EXPECT_EQ(client, WindowSurface(grid, WindowSurface::Client).Pixels());
        return;
    }
    EXPECT_EQ(GetParam().leftWithSideBar, ClientLeft());
    // The numbers of the first rows in the margin, and still there after the
    // DataWindow repaints itself.
    InvalidateRect(grid, nullptr, TRUE);
    UpdateWindow(grid);
    PumpMessages();
    const WindowPixels pixels(grid);
    const int top = GetParam().leftWithSideBar - 48 + 24;
    for (int k = 0; k < 3; ++k)
        EXPECT_GT(pixels.Dark(4, top + k * 20 + 3, 44, top + k * 20 + 19), 3) << "row " << k + 1;
}

INSTANTIATE_TEST_SUITE_P(Frames, SideBarFrame, ::testing::ValuesIn(kFrames),
                         [](const ::testing::TestParamInfo<Frame>& info) { return std::string(info.param.name); });

namespace {

// Pixels of the rounded border of the 400 x 426 window, counted from its
// corners (negative: from the right or bottom edge), with the side bar off
// and on: the anti-aliased corners, the edges' middles.
struct BorderPixel {
    int x;
    int y;
    COLORREF sideBarOff;
    COLORREF sideBarOn;
};

const BorderPixel kBorderPixels[] = {
    {0, 0, 0xF5F5F5, 0xF5F5F5},     {1, 0, 0xBFBFBF, 0xAEAEAE},     {2, 0, 0x7A7A7A, 0x787878},
    {1, 1, 0xFFFFFF, 0x6E6E6E},     {2, 1, 0xFFFFFF, 0x222222},     {200, 0, 0x939393, 0x858585},
    {0, 213, 0x979797, 0x878787},   {-1, 213, 0x979797, 0x878787},  {200, -1, 0x9C9C9C, 0x8B8B8B},
    {-1, -1, 0xF5F5F5, 0xF5F5F5},   {-2, -2, 0x838383, 0x838383},   {-2, 1, 0x838383, 0x838383},
    {1, -2, 0xE3E3E3, 0x848484},
};

}  // namespace

TEST_F(SideBar, RoundedBorderAlongTheWholeFrame) {
    for (int on = 0; on < 2; ++on) {
        SendMessageW(grid, kSideBar, 0, on);
        RedrawWindow(grid, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        PumpMessages();
        const WindowPixels pixels(grid);
        ASSERT_EQ(400, pixels.Width());
        ASSERT_EQ(426, pixels.Height());
        for (const BorderPixel& p : kBorderPixels) {
            const int x = p.x < 0 ? pixels.Width() + p.x : p.x, y = p.y < 0 ? pixels.Height() + p.y : p.y;
            EXPECT_EQ(on ? p.sideBarOn : p.sideBarOff, pixels.At(x, y))
                << "side bar " << (on ? "on" : "off") << " at " << p.x << ", " << p.y;
        }
    }
}

namespace {

// Page-information labels: the settings file's own keys, the process-wide
// labels of SetInfoLabel, and the default texts. Ten rows down and the thumb
// dragged: 80 rows, 11 to 30 on the page, row 1 current.
struct PageLabelCase {
    const char* name;
    std::string settings;  // the file's bytes; empty: attached without a file
    ProcessLabels process;
    const wchar_t* expected;
};

const PageLabelCase kPageLabelCases[] = {
    {"NoSettingsFile", "", {}, L"总 行 数 \t 80\r\n当前首行 \t 11\r\n当前末行 \t 30\r\n当 前 行 \t 1"},
    {"FileWithoutLabelKeys", "[datawindow]\r\nlineStyle=2\r\n", {},
     L"总 行 数 \t 80\r\n当前首行 \t 11\r\n当前末行 \t 30\r\n当 前 行 \t 1"},
    {"AllFourKeys",
     "[datawindow]\r\nrowcountlabel=Rows\r\nfirstrowlabel=First row\r\nlastrowlabel=Last row\r\n"
     "currentrowlabel=Current row\r\n",
     {},
     L"Rows \t 80\r\nFirst row \t 11\r\nLast row \t 30\r\nCurrent row \t 1"},
    {"StatisticsKeysLeavePageInformationAlone",
     "[datawindow]\r\nsumlabel=Sum\r\navglabel=Average\r\nmaxlabel=Maximum\r\nminlabel=Minimum\r\n", {},
     L"总 行 数 \t 80\r\n当前首行 \t 11\r\n当前末行 \t 30\r\n当 前 行 \t 1"},
    {"PercentSignsShownAsThey", "[datawindow]\r\ncurrentrowlabel=%d%s%n%ls\r\nrowcountlabel=50%\r\n", {},
     L"50% \t 80\r\n当前首行 \t 11\r\n当前末行 \t 30\r\n%d%s%n%ls \t 1"},
    {"OverLongLabelCutTo63", "[datawindow]\r\nlastrowlabel=" + std::string(63, 'L') + "MORE TEXT\r\n", {},
     L"总 行 数 \t 80\r\n当前首行 \t 11\r\nLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLL \t 30\r\n"
     L"当 前 行 \t 1"},
    {"Utf16File", Utf16File(L"[datawindow]\r\nfirstrowlabel=Premi\u00E8re\r\nlastrowlabel=Derni\u00E8re\r\n"), {},
     L"总 行 数 \t 80\r\nPremi\u00E8re \t 11\r\nDerni\u00E8re \t 30\r\n当 前 行 \t 1"},
    {"ProcessWideOnly", "",
     {{L"rowcountlabel", L"Rows"}, {L"firstrowlabel", L"From"}, {L"lastrowlabel", L"To"},
      {L"currentrowlabel", L"Current"}},
     L"Rows \t 80\r\nFrom \t 11\r\nTo \t 30\r\nCurrent \t 1"},
    {"OwnKeysWinOverProcessWide", "[datawindow]\r\nfirstrowlabel=Top\r\n",
     {{L"rowcountlabel", L"Total rows"}, {L"firstrowlabel", L"From"}},
     L"Total rows \t 80\r\nTop \t 11\r\n当前末行 \t 30\r\n当 前 行 \t 1"},
};

// A failure names the case.
void PrintTo(const PageLabelCase& c, std::ostream* os) { *os << c.name; }

class PageInfoLabels : public SideBar, public ::testing::WithParamInterface<PageLabelCase> {};

}  // namespace

TEST_P(PageInfoLabels, ExactTextInTheInformationTarget) {
    const PageLabelCase& c = GetParam();
    ASSERT_NE(nullptr, dll.SetInfoLabel);
    for (const auto& label : c.process) ASSERT_EQ(1, dll.SetInfoLabel(label.first, label.second));
    // A file of its own per case: the settings cache knows a file by its
    // path, size and time.
    const std::string name = std::string("t2u_page_") + c.name + ".ini";
    IniFile ini(dll.h, std::wstring(name.begin(), name.end()).c_str(), c.settings);
    if (!c.settings.empty()) {
        ASSERT_EQ(1, dll.AttachDatawindow(grid, ini.Name()));
        PumpMessages();
    }
    HWND target = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, target);
    SendMessageW(grid, kInfoTarget, 0, reinterpret_cast<LPARAM>(target));
    for (int i = 0; i < 10; ++i) SendMessageW(grid, WM_VSCROLL, SB_LINEDOWN, 0);
    SendMessageW(grid, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 10), 0);
    PumpMessages();
    wchar_t text[512] = {};
    GetWindowTextW(target, text, 512);
    EXPECT_EQ(std::wstring(c.expected), text);
    DestroyWindow(target);
}

INSTANTIATE_TEST_SUITE_P(Labels, PageInfoLabels, ::testing::ValuesIn(kPageLabelCases),
                         [](const ::testing::TestParamInfo<PageLabelCase>& info) {
                             return std::string(info.param.name);
                         });

// The labels reach the tooltip as they reach a target.
TEST_F(SideBar, PageInformationLabelsInTheTooltip) {
    ASSERT_NE(nullptr, dll.SetInfoLabel);
    ASSERT_EQ(1, dll.SetInfoLabel(L"rowcountlabel", L"Rows"));
    IniFile ini(dll.h, L"t2u_page_labels_tip.ini", "[datawindow]\r\ncurrentrowlabel=Current row\r\n");
    ASSERT_EQ(1, dll.AttachDatawindow(grid, ini.Name()));
    PumpMessages();
    for (int i = 0; i < 10; ++i) SendMessageW(grid, WM_VSCROLL, SB_LINEDOWN, 0);
    SendMessageW(grid, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 10), 0);
    PumpMessages();
    const HWND tip = TooltipOf(grid);
    ASSERT_NE(nullptr, tip);
    EXPECT_EQ(std::wstring(L"Rows \t 80\r\n当前首行 \t 11\r\n当前末行 \t 30\r\nCurrent row \t 1"), TooltipText(tip));
}
