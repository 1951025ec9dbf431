// The replaced window procedures of the runtime, driven through real
// messages: frame margins and hit test, the colour messages, double clicks on
// buttons, the refresh after a lost capture and the centred edit text.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "dib.h"
#include "private_messages.h"
#include "tessel_host.h"
#include "window_surface.h"

namespace {

std::wstring Grid() {
    return GridSyntax(1)
        .Column(L"a", L"long", 80, L"A")
        .With(L"tabsequence=10")
        .Column(L"b", L"char(20)", 120, L"B")
        .With(L"tabsequence=20 font.height=\"-12\"")
        .Data(L"1 \"one\" 2 \"two\" 3 \"three\"")
        .Text();
}

int Posted(HWND window, UINT message) {
    MSG msg;
    int n = 0;
    while (PeekMessageW(&msg, window, message, message, PM_REMOVE)) ++n;
    return n;
}

// Where the client area starts in the window, and its width and height: "left top width height".
std::string ClientPlace(HWND window) {
    RECT w, c;
    GetWindowRect(window, &w);
    GetClientRect(window, &c);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&c), 2);
    return std::to_string(c.left - w.left) + " " + std::to_string(c.top - w.top) + " " +
           std::to_string(c.right - c.left) + " " + std::to_string(c.bottom - c.top);
}

using WindowProcedures = TesselHost;

}  // namespace

// Margins of the wrong width, the hit test over them, a caption's frame taken, the side bar's margin kept in print
// preview: where the client area lies once attached, with the side bar, and in print preview.
TEST_F(WindowProcedures, MarginsOfWindowsWithAndWithoutCaption) {
    const struct {
        DWORD style;
        const char *attached, *sideBar;  // none: the frame as the attach leaves it, without the client edge
    } frames[] = {
        {0, "1 1 398 298", "48 1 351 298"}, {WS_BORDER, "2 2 396 296", "49 2 349 296"}, {WS_CAPTION, nullptr, nullptr}};
    for (const auto& f : frames) {
        HWND bare = Create(Grid(), 400, 300, f.style);
        SetWindowLongW(bare, GWL_EXSTYLE, GetWindowLongW(bare, GWL_EXSTYLE) & ~WS_EX_CLIENTEDGE);
        SetWindowPos(bare, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
        HWND h = Attach(Grid(), std::string(), 400, 300, f.style);
        EXPECT_EQ(f.attached ? f.attached : ClientPlace(bare), ClientPlace(h)) << f.style;
        if (!f.sideBar) continue;
        SendMessageW(h, kSideBarMessage, 0, 1);
        EXPECT_EQ(f.sideBar, ClientPlace(h)) << f.style;
        RECT r;  // the side bar's margin, then the client area
        GetWindowRect(h, &r);
        EXPECT_EQ(HTMENU, SendMessageW(h, WM_NCHITTEST, 0, MAKELPARAM(r.left + 20, r.top + 30)));
        EXPECT_EQ(HTCLIENT, SendMessageW(h, WM_NCHITTEST, 0, MAKELPARAM(r.left + 70, r.top + 30)));
        ASSERT_EQ(1, pb->SetPrintPreview(h, 1));
        EXPECT_EQ(f.attached, ClientPlace(h)) << f.style;
    }
}

namespace {

constexpr COLORREF kNew = RGB(200, 30, 40);  // 2629320
enum Colour { kNone, kLine, kBorder, kBack, kAlter, kSelected, kSelectRow };

struct ColourMessage {
    const char* name;
    UINT message;
    Colour sets;
    std::vector<std::wstring> modifies;
};

const ColourMessage kColourMessages[] = {
    {"line", 11025, kLine, {}},
    {"border", 11026, kBorder, {}},
    {"back", 11027, kBack, {L"Datawindow.Detail.color='2629320 ~t if (mod(getrow(),2)=1,2629320,16777215)'"}},
    {"alter",
     11028,
     kAlter,
     {L"#1.background.mode='1'", L"#2.background.mode='1'",
      L"Datawindow.Detail.color='16777215 ~t if (mod(getrow(),2)=1,16777215,2629320)'"}},
    {"selected", 11029, kSelected, {}},
    {"select_row", 11030, kSelectRow, {}},
    {"hover", 11039, kNone, {L"DataWindow.Row.Resize='0'"}},
    {"unused_11024", 11024, kNone, {}},
    {"unused_11031", 11031, kNone, {}},
};

class ColourMessages : public TesselHost, public ::testing::WithParamInterface<ColourMessage> {};

}  // namespace

// A message setting another colour than its own, or a colour drawn in the wrong place: what a DataWindow paint on a
// memory context made from its window shows, its rounded border, and the stripes the alternate colour message writes.
TEST_P(ColourMessages, SetExactlyTheirOwnColour) {
    const ColourMessage& c = GetParam();
    auto expected = [&c](Colour which, COLORREF otherwise) { return c.sets == which ? kNew : otherwise; };
    HWND grid = Attach(Grid());  // 203 pixels of content in 400: no horizontal scroll bar
    pb->ClearModifyLog(grid);
    SendMessageW(grid, c.message, 0, c.sets == kNone && c.message != 11039 ? 1 : kNew);
    EXPECT_EQ(c.modifies, pb->ModifyLog(grid));

    HDC window = GetDC(grid);
    {
        Dib dib(300, 80, window);
        dib.Fill(RGB(1, 2, 3));
        HDC dc = dib.Dc();
        HGDIOBJ oldPen = SelectObject(dc, CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));  // a thin line: a grid line
        MoveToEx(dc, 0, 5, nullptr);
        LineTo(dc, 100, 5);
        DeleteObject(SelectObject(dc, oldPen));
        HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(BLACK_BRUSH));  // a selected cell
        PatBlt(dc, 10, 20, 5, 5, PATCOPY);
        // A selected row, then an even row cut at the content's edge.
        for (const RECT& r : {RECT{10, 30, 60, 40}, RECT{0, 50, 300, 60}}) {
            SelectObject(dc, CreateSolidBrush(r.left ? GetSysColor(COLOR_HIGHLIGHT) : expected(kAlter, 0xFFFFFF)));
            HRGN region = CreateRectRgnIndirect(&r);
            PaintRgn(dc, region);
            DeleteObject(region);
            DeleteObject(SelectObject(dc, oldBrush));
        }
        EXPECT_EQ(expected(kLine, GetSysColor(COLOR_3DLIGHT)), dib.At(50, 5)) << "grid line";
        EXPECT_EQ(expected(kSelected, 0xFFD5AA), dib.At(12, 22)) << "selected cell";
        EXPECT_EQ(expected(kSelectRow, 0xFFD5AA), dib.At(30, 35)) << "selected row";
        EXPECT_EQ(expected(kAlter, 0xFFFFFF), dib.At(100, 55)) << "even row";
        EXPECT_EQ(RGB(1, 2, 3), dib.At(280, 55)) << "even row beyond the content";
    }
    ReleaseDC(grid, window);
    RedrawWindow(grid, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    PumpMessages();
    const COLORREF top = WindowSurface(grid, WindowSurface::WholeWindow).At(200, 0);
    EXPECT_EQ(c.sets == kBorder, GetRValue(top) > GetGValue(top) + 50 && GetRValue(top) > GetBValue(top) + 50)
        << "rounded border";
    pb->ClearModifyLog(grid);
    SendMessageW(grid, kAlterColorMessage, 0, 0);
    const std::vector<std::wstring> log = pb->ModifyLog(grid);  // the back colour as the message left it
    EXPECT_EQ(c.sets == kBack ? L"Datawindow.Detail.color='2629320 ~t if (mod(getrow(),2)=1,2629320,0)'"
                              : L"Datawindow.Detail.color='16777215 ~t if (mod(getrow(),2)=1,16777215,0)'",
              log.empty() ? std::wstring() : log.back());
}

INSTANTIATE_TEST_SUITE_P(Messages, ColourMessages, ::testing::ValuesIn(kColourMessages),
                         [](const ::testing::TestParamInfo<ColourMessage>& info) {
                             return std::string(info.param.name);
                         });

// A double click on a button object (named b_ in either case) not turned into a second press, or another object's
// turned: B_ok and b_go (x 10 to 190) pressed again, not b (from 210) nor the bare band.
TEST_F(WindowProcedures, DoubleClickOnAButtonPressesItAgain) {
    HWND form = Attach(
        L"release 10;\ndatawindow(units=1 processing=0)\nheader(height=0)\ndetail(height=200)\n"
        L"table(column=(type=long name=a dbname=\"a\"))\n"
        L"button(band=detail text=\"Ok\" x=\"10\" y=\"10\" height=\"30\" width=\"80\" name=B_ok)\n"
        L"button(band=detail text=\"Go\" x=\"110\" y=\"10\" height=\"30\" width=\"80\" name=b_go)\n"
        L"button(band=detail text=\"B\" x=\"210\" y=\"10\" height=\"30\" width=\"80\" name=b)\n"
        L"data(1)\n");
    SetForegroundWindow(pb->host());
    for (int x : {50, 150, 250, 350}) {
        POINT p = {x, 25};
        ClientToScreen(form, &p);
        SetCursorPos(p.x, p.y);
        SendMessageW(form, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(x, 25));
        EXPECT_EQ(x < 200, Posted(form, WM_LBUTTONDOWN)) << x;
    }
}

// No refresh after a lost capture; the edit text not centred on its 12-point font (16 pixels).
TEST_F(WindowProcedures, RefreshAfterALostCaptureAndEditTextCentred) {
    HWND grid = Attach(Grid());
    Posted(grid, kRefreshMessage);
    SetCapture(grid);
    ReleaseCapture();
    EXPECT_EQ(1, Posted(grid, kRefreshMessage));
    SetFocus(grid);
    SendMessageW(grid, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(120, 36));  // row 1, column b
    SendMessageW(grid, WM_LBUTTONUP, 0, MAKELPARAM(120, 36));
    SendMessageW(grid, WM_CHAR, L'x', 0);
    PumpMessages();
    HWND edit = pb->GetEditControl(grid);
    ASSERT_TRUE(edit && IsWindowVisible(edit));
    UpdateWindow(edit);
    RECT format = {};  // 16 pixels of text in an edit of 20: 2 above, less the edit's own pixel
    SendMessageW(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    EXPECT_EQ(1, format.top);
}
