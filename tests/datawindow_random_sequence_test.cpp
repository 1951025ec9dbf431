// A random sequence of what a host and its user do to an attached DataWindow
// (modifies, describes, scrolls, mouse moves, clicks and drags, paints,
// titles, detaching and attaching again): the process survives every step
// and the DataWindow keeps answering. TESSEL2U_RANDOM_SEED (21) and
// TESSEL2U_RANDOM_STEPS (400) choose the sequence; a failure names both.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <random>
#include <string>

#include "env_number.h"
#include "tessel_host.h"

namespace {

const wchar_t* const kModifies[] = {L"a_t.Text='Name sort:A'",
                                    L"a_t.Text=' sort:A'",
                                    L"b_t.Text='progress{-3}'",
                                    L"b_t.Text='progress{100:1'",
                                    L"b_t.Text='iconfont{61441:255}Mail'",
                                    L"b_t.Text='iconfont{'",
                                    L"c_t.Text=''",
                                    L"DataWindow.Header.Height=40",
                                    L"DataWindow.Detail.Height=30",
                                    L"DataWindow.Selected='1/3/a/c'",
                                    L"DataWindow.Selected=''",
                                    L"DataWindow.Selected.Mouse=yes",
                                    L"a.Width=40"};
const wchar_t* const kTitles[] = {L"TOP", L"", L"Sales iconfont{61440}", L"progress{50}", L"A sort:A"};
const int kScrollCodes[] = {SB_LINEDOWN, SB_PAGEUP, SB_BOTTOM, SB_THUMBPOSITION, SB_THUMBTRACK, SB_ENDSCROLL};

template <typename T, size_t N>
const T& Pick(std::mt19937& random, const T (&items)[N]) {
    return items[std::uniform_int_distribution<size_t>(0, N - 1)(random)];
}

}  // namespace

using RandomSequence = TesselHost;

TEST_F(RandomSequence, DataWindowSurvivesAndAnswers) {
    const unsigned seed = EnvNumber("TESSEL2U_RANDOM_SEED", 21), steps = EnvNumber("TESSEL2U_RANDOM_STEPS", 400);
    std::printf("random sequence: seed %u, %u steps\n", seed, steps);
    std::fflush(stdout);
    // Forty rows: progress values, icon runs and plain text in column b.
    std::wstring data;
    for (int row = 1; row <= 40; ++row)
        data += std::to_wstring(row) + L" \"" +
                (row % 3 == 0 ? L"progress{" + std::to_wstring(row * 2) + L":255:0}" : L"x iconfont{61440} y") +
                L"\" " + std::to_wstring(row * 7) + L" ";
    HWND grid = Create(GridSyntax(1)
                           .Detail(20)
                           .Column(L"a", L"long", 120, L"A")
                           .Column(L"b", L"char(40)", 160, L"B")
                           .Column(L"c", L"long", 120, L"C")
                           .Data(data)
                           .Text(),
                       300, 200, WS_VSCROLL | WS_HSCROLL);
    ASSERT_EQ(1, dll.AttachDatawindow(grid, nullptr));
    bool attached = true;
    int titles = 0;
    std::mt19937 random(seed);
    auto number = [&random](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    auto point = [&number]() { return MAKELPARAM(number(-5, 320), number(-5, 220)); };
    wchar_t error[256];
    for (unsigned step = 0; step < steps; ++step) {
        SCOPED_TRACE("seed " + std::to_string(seed) + ", step " + std::to_string(step));
        switch (number(0, 10)) {
        case 0: pb->ScriptModify(grid, Pick(random, kModifies), error, 256); break;
        case 1: pb->Describe(grid, L"DataWindow.Selected a_t.Text nosuch.Property"); break;
        case 2:
            SendMessageW(grid, number(0, 1) ? WM_VSCROLL : WM_HSCROLL,
                         MAKEWPARAM(Pick(random, kScrollCodes), number(0, 60)), 0);
            break;
        case 3: SendMessageW(grid, WM_MOUSEMOVE, 0, point()); break;
        case 4:
            SendMessageW(grid, WM_LBUTTONDOWN, MK_LBUTTON, point());
            for (int i = number(0, 4); i > 0; --i) SendMessageW(grid, WM_MOUSEMOVE, MK_LBUTTON, point());
            SendMessageW(grid, WM_LBUTTONUP, 0, point());
            break;
        case 5:
            InvalidateRect(grid, nullptr, number(0, 1));
            UpdateWindow(grid);
            break;
        case 6:
            if (attached && titles < 3 && number(0, 1))
                titles +=
                    !!dll.AddDatawindowTitle(grid, Pick(random, kTitles), L"Tahoma", number(6, 14), number(10, 40));
            else if (attached && titles > 0)
                dll.ModifyDatawindowTitle(grid, number(1, titles), Pick(random, kTitles), L"Tahoma", number(6, 14));
            break;
        case 7:
            if (attached)
                dll.SetSpanTitle(grid, number(0, 1) ? L"a,b" : L"b;c", Pick(random, kTitles), L"Tahoma", number(6, 12),
                                 number(10, 30));
            break;
        case 8:
            if (attached) dll.DettachDatawindow(grid);
            else ASSERT_EQ(1, dll.AttachDatawindow(grid, nullptr));
            titles = 0;
            attached = !attached;
            break;
        default: PumpMessages(); break;
        }
        ASSERT_TRUE(IsWindow(grid));
    }
    PumpMessages();
    InvalidateRect(grid, nullptr, TRUE);
    UpdateWindow(grid);
    EXPECT_EQ(L"3\n1", pb->Describe(grid, L"DataWindow.Column.Count DataWindow.Units")) << "seed " << seed;
}
