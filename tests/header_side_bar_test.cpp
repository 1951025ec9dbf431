// The decorations around an attached grid, read back in pixels and texts:
// the row-number side bar in the left margin, the rounded border, and the
// page information while the thumb is dragged, in the tooltip or the host's
// information target.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "info_window.h"
#include "label_settings.h"
#include "private_messages.h"
#include "tessel_host.h"
#include "window_surface.h"

namespace {

const wchar_t kDefaultPage[] = L"总 行 数 \t 80\r\n当前首行 \t 11\r\n当前末行 \t 30\r\n当 前 行 \t 1";

// Eighty rows of 20 pixels under a 24-pixel header.
std::wstring Rows80() {
    return GridSyntax(1)
        .Detail(20)
        .Column(L"a", L"long", 80, L"A")
        .Column(L"b", L"char(20)", 120, L"B")
        .NumberedRows(80)
        .Text();
}

// Pixels of the rectangle darker than mid-grey (text).
int Dark(const WindowSurface& s, int left, int top, int right, int bottom) {
    return s.Count(RECT{left, top, right, bottom},
                   [](COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c) < 300; });
}

// The distance from the window's left edge to its client area.
int ClientLeft(HWND dw) {
    POINT origin = {0, 0};
    ClientToScreen(dw, &origin);
    RECT window;
    GetWindowRect(dw, &window);
    return origin.x - window.left;
}

class SideBar : public TesselHost {
protected:
    void TearDown() override {
        ClearProcessLabels(dll);
        TesselHost::TearDown();
    }
    // Twenty rows fit under the header, with the 1-pixel frame.
    HWND Open(const std::string& settings = std::string()) { return Attach(Rows80(), settings, 400, 24 + 20 * 20 + 2); }
    static void Repaint(HWND dw) {
        RedrawWindow(dw, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        PumpMessages();
    }
    // Ten rows down and the thumb dragged: 11 to 30 on the page.
    static void DragThumb(HWND dw, int lines = 10, int position = 10) {
        for (int i = 0; i < lines; ++i) SendMessageW(dw, WM_VSCROLL, SB_LINEDOWN, 0);
        SendMessageW(dw, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, position), 0);
        PumpMessages();
    }
};

}  // namespace

// Numbers of the wrong rows, separators out of place, the current row not filled.
TEST_F(SideBar, RowNumbersOfThePageWithTheCurrentRow) {
    HWND dw = Open();
    SendMessageW(dw, kSideBarMessage, 0, 1);
    for (int i = 0; i < 40; ++i) SendMessageW(dw, WM_VSCROLL, SB_LINEDOWN, 0);
    ASSERT_EQ(L"41", pb->Describe(dw, L"DataWindow.FirstRowOnPage"));
    SendMessageW(dw, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 24 + 4 * 20 + 10));  // row 45 current
    SendMessageW(dw, WM_LBUTTONUP, 0, MAKELPARAM(20, 24 + 4 * 20 + 10));
    Repaint(dw);
    const WindowSurface pixels(dw, WindowSurface::WholeWindow);
    const int top = 24 + 1;
    const COLORREF gridLine = GetSysColor(COLOR_3DLIGHT);
    EXPECT_EQ(gridLine, pixels.At(47, 2));
    EXPECT_EQ(gridLine, pixels.At(47, pixels.Height() - 3));
    for (int k = 0; k < 20; ++k) {
        EXPECT_GT(Dark(pixels, 2, top + k * 20 + 2, 46, top + k * 20 + 19), 5) << "row " << 41 + k;
        EXPECT_EQ(gridLine, pixels.At(30, top + k * 20)) << "separator above row " << 41 + k;
    }
    EXPECT_EQ(0xFFD5AAu, pixels.At(4, top + 4 * 20 + 3));
    EXPECT_NE(0xFFD5AAu, pixels.At(4, top + 5 * 20 + 3));
    SendMessageW(dw, kSideBarMessage, 0, 0);
    EXPECT_EQ(1, ClientLeft(dw));
}

// The separator drawn beside the title instead of under it.
TEST_F(SideBar, SeparatorsBesideTitleRows) {
    HWND dw = Open();
    ASSERT_EQ(1, dll.AddDatawindowTitle(dw, L"Title", L"Tahoma", 10, 30));
    SendMessageW(dw, kSideBarMessage, 0, 1);
    Repaint(dw);
    const WindowSurface pixels(dw, WindowSurface::WholeWindow);
    const COLORREF gridLine = GetSysColor(COLOR_3DLIGHT);
    EXPECT_EQ(gridLine, pixels.At(47, 31));
    EXPECT_EQ(gridLine, pixels.At(47, pixels.Height() - 3));
    EXPECT_EQ(gridLine, pixels.At(20, 31));
    EXPECT_NE(gridLine, pixels.At(47, 15));
    EXPECT_EQ(RGB(255, 255, 255), pixels.At(20, 15));
    EXPECT_GT(Dark(pixels, 2, 30 + 24 + 3, 46, 30 + 24 + 20), 5) << "row 1 under title and header";
}

// Page information missing, stale, in the wrong window, or a tooltip of the wrong kind.
TEST_F(SideBar, PageInformationInTargetOrTooltip) {
    HWND dw = Open();
    InfoTarget target;
    SendMessageW(dw, kInfoTargetMessage, 0, reinterpret_cast<LPARAM>(target.Window()));
    DragThumb(dw);
    EXPECT_EQ(kDefaultPage, target.Text());
    const HWND tip = TooltipOf(dw);
    ASSERT_NE(nullptr, tip);
    EXPECT_EQ(static_cast<LONG>(WS_POPUP | 0x03), GetWindowLongW(tip, GWL_STYLE) & (WS_POPUP | 0x03));
    EXPECT_TRUE(GetWindowLongW(tip, GWL_EXSTYLE) & WS_EX_TOPMOST);
    // Back to the tooltip: the target is left alone, the tooltip follows the page.
    SendMessageW(dw, kInfoTargetMessage, 0, 0);
    SetWindowTextW(target.Window(), L"unchanged");
    DragThumb(dw, 10, 20);
    EXPECT_EQ(L"unchanged", target.Text());
    EXPECT_EQ(L"总 行 数 \t 80\r\n当前首行 \t 21\r\n当前末行 \t 40\r\n当 前 行 \t 1", TooltipText(tip));
}

// A tooltip left behind by a DataWindow destroyed while attached.
TEST_F(SideBar, TooltipGoesWithTheDataWindowDestroyedUnattached) {
    HWND dw = Open();
    const HWND root = GetAncestor(dw, GA_ROOT);
    auto tooltips = [root]() {
        int n = 0;
        for (HWND tip = nullptr; (tip = FindWindowExW(nullptr, tip, L"tooltips_class32", nullptr)) != nullptr;)
            n += GetWindow(tip, GW_OWNER) == root;
        return n;
    };
    const int before = tooltips();
    for (int cycle = 0; cycle < 3; ++cycle) {
        const std::wstring syntax = Rows80();
        HWND other = pb->Create(syntax.c_str(), 0, 400, 300);
        ASSERT_EQ(GetAncestor(other, GA_ROOT), root);
        dll.AttachDatawindow(other, nullptr);
        PumpMessages();
        DragThumb(other, 0);
        EXPECT_EQ(before + 1, tooltips()) << "cycle " << cycle;
        DestroyWindow(other);
        PumpMessages();
        EXPECT_EQ(before, tooltips()) << "cycle " << cycle;
    }
}

namespace {

// The frames of a DataWindow control and the left edge of the client area
// with the side bar on (-1: no side bar, the client area stays).
struct Frame {
    const char* name;
    DWORD style;
    bool clientEdge;
    int leftWithSideBar;
};

const Frame kFrames[] = {
    {"lowered", 0, true, 48}, {"box", WS_BORDER, false, 49},       {"box_lowered", WS_BORDER, true, 49},
    {"none", 0, false, 48},   {"title_bar", WS_CAPTION, true, -1},
};

class SideBarFrame : public SideBar, public ::testing::WithParamInterface<Frame> {};

}  // namespace

// A margin of the wrong width, or numbers painted over a captioned DataWindow's own column.
TEST_P(SideBarFrame, MarginAndRowNumbersBesideTheClientArea) {
    HWND dw = Create(Rows80(), 400, 24 + 20 * 20 + 40, GetParam().style);
    if (!GetParam().clientEdge) {
        SetWindowLongW(dw, GWL_EXSTYLE, GetWindowLongW(dw, GWL_EXSTYLE) & ~WS_EX_CLIENTEDGE);
        SetWindowPos(dw, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
    }
    dll.AttachDatawindow(dw, nullptr);
    PumpMessages();
    const int before = ClientLeft(dw);
    const std::vector<COLORREF> client = WindowSurface(dw, WindowSurface::Client).Pixels();
    SendMessageW(dw, kSideBarMessage, 0, 1);
    Repaint(dw);
    if (GetParam().leftWithSideBar < 0) {
        EXPECT_EQ(before, ClientLeft(dw));
        EXPECT_EQ(client, WindowSurface(dw, WindowSurface::Client).Pixels());
        return;
    }
    EXPECT_EQ(GetParam().leftWithSideBar, ClientLeft(dw));
    InvalidateRect(dw, nullptr, TRUE);  // still there after the DataWindow repaints itself
    UpdateWindow(dw);
    PumpMessages();
    const WindowSurface pixels(dw, WindowSurface::WholeWindow);
    const int top = GetParam().leftWithSideBar - 48 + 24;
    for (int k = 0; k < 3; ++k)
        EXPECT_GT(Dark(pixels, 4, top + k * 20 + 3, 44, top + k * 20 + 19), 3) << "row " << k + 1;
}

INSTANTIATE_TEST_SUITE_P(Frames, SideBarFrame, ::testing::ValuesIn(kFrames),
                         [](const ::testing::TestParamInfo<Frame>& info) { return std::string(info.param.name); });

namespace {

// Pixels of the rounded border of the 400 x 426 window (negative: from the
// right or bottom edge), side bar off and on.
struct BorderPixel {
    int x, y;
    COLORREF off, on;
};

const BorderPixel kBorderPixels[] = {
    {0, 0, 0xF5F5F5, 0xF5F5F5},   {1, 0, 0xBFBFBF, 0xAEAEAE},    {2, 0, 0x7A7A7A, 0x787878},
    {1, 1, 0xFFFFFF, 0x6E6E6E},   {2, 1, 0xFFFFFF, 0x222222},    {200, 0, 0x939393, 0x858585},
    {0, 213, 0x979797, 0x878787}, {-1, 213, 0x979797, 0x878787}, {200, -1, 0x9C9C9C, 0x8B8B8B},
    {-1, -1, 0xF5F5F5, 0xF5F5F5}, {-2, -2, 0x838383, 0x838383},  {-2, 1, 0x838383, 0x838383},
    {1, -2, 0xE3E3E3, 0x848484},
};

}  // namespace

TEST_F(SideBar, RoundedBorderAlongTheWholeFrame) {
    HWND dw = Open();
    for (int on = 0; on < 2; ++on) {
        SendMessageW(dw, kSideBarMessage, 0, on);
        Repaint(dw);
        const WindowSurface pixels(dw, WindowSurface::WholeWindow);
        ASSERT_EQ(400, pixels.Width());
        ASSERT_EQ(426, pixels.Height());
        for (const BorderPixel& p : kBorderPixels) {
            const int x = p.x < 0 ? pixels.Width() + p.x : p.x, y = p.y < 0 ? pixels.Height() + p.y : p.y;
            EXPECT_EQ(on ? p.on : p.off, pixels.At(x, y)) << "side bar " << on << " at " << p.x << ", " << p.y;
        }
    }
}

namespace {

// Page-information labels from the file's keys, the process-wide labels and
// the defaults, in the target or the tooltip.
struct PageLabelCase {
    const char* name;
    std::string settings;
    ProcessLabels process;
    bool tooltip;
    const wchar_t* expected;
};

const PageLabelCase kPageLabelCases[] = {
    {"FileWithoutLabelKeys", "[datawindow]\r\nlineStyle=2\r\n", {}, false, kDefaultPage},
    {"AllFourKeys",
     "[datawindow]\r\nrowcountlabel=Rows\r\nfirstrowlabel=First row\r\nlastrowlabel=Last "
     "row\r\ncurrentrowlabel=Cur\r\n",
     {},
     false,
     L"Rows \t 80\r\nFirst row \t 11\r\nLast row \t 30\r\nCur \t 1"},
    {"StatisticsKeysLeavePageInformationAlone",
     "[datawindow]\r\nsumlabel=Sum\r\navglabel=Average\r\nmaxlabel=Maximum\r\nminlabel=Minimum\r\n",
     {},
     false,
     kDefaultPage},
    {"ProcessWideOnly",
     "",
     {{L"rowcountlabel", L"Rows"}, {L"firstrowlabel", L"From"}, {L"lastrowlabel", L"To"}, {L"currentrowlabel", L"Cur"}},
     false,
     L"Rows \t 80\r\nFrom \t 11\r\nTo \t 30\r\nCur \t 1"},
    {"OwnKeysWinOverProcessWide",
     "[datawindow]\r\nfirstrowlabel=Top\r\n",
     {{L"rowcountlabel", L"Total rows"}, {L"firstrowlabel", L"From"}},
     false,
     L"Total rows \t 80\r\nTop \t 11\r\n当前末行 \t 30\r\n当 前 行 \t 1"},
    {"InTheTooltip",
     "[datawindow]\r\ncurrentrowlabel=Current row\r\n",
     {{L"rowcountlabel", L"Rows"}},
     true,
     L"Rows \t 80\r\n当前首行 \t 11\r\n当前末行 \t 30\r\nCurrent row \t 1"},
};

class PageInfoLabels : public SideBar, public ::testing::WithParamInterface<PageLabelCase> {};

}  // namespace

TEST_P(PageInfoLabels, ExactText) {
    const PageLabelCase& c = GetParam();
    for (const auto& label : c.process) ASSERT_EQ(1, dll.SetInfoLabel(label.first, label.second));
    HWND dw = Open(c.settings);
    InfoTarget target;
    if (!c.tooltip) SendMessageW(dw, kInfoTargetMessage, 0, reinterpret_cast<LPARAM>(target.Window()));
    DragThumb(dw);
    EXPECT_EQ(std::wstring(c.expected), c.tooltip ? TooltipText(TooltipOf(dw)) : target.Text());
}

INSTANTIATE_TEST_SUITE_P(Labels, PageInfoLabels, ::testing::ValuesIn(kPageLabelCases),
                         [](const ::testing::TestParamInfo<PageLabelCase>& info) {
                             return std::string(info.param.name);
                         });
