// A random sequence of what a host and its user do to an attached
// DataWindow: modifies (header texts with sort suffixes, progress values and
// icons, selections, heights), describes, scrolls, mouse moves, clicks and
// drags, paints, titles, detaching and attaching again. The process has to
// survive every step and the DataWindow has to keep answering.
//
// The sequence comes from a seed: TESSEL2U_RANDOM_SEED (default 21), for
// TESSEL2U_RANDOM_STEPS steps (default 400). A failure names the seed and the
// step; the seed is also printed first, for a run that ends in a crash.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <random>
#include <string>

#include "env_number.h"
#include "tessel_host.h"

namespace {

// Forty rows: progress values, icon runs and plain text in column b.
std::wstring Grid() {
    std::wstring data;
    for (int row = 1; row <= 40; ++row)
        data += std::to_wstring(row) + L" \"" +
                (row % 3 == 0   ? L"progress{" + std::to_wstring(row * 2) + L":255:0}"
                 : row % 3 == 1 ? L"x iconfont{61440} y"
                                : L"plain") +
                L"\" " + std::to_wstring(row * 7) + L" ";
    return GridSyntax(1)
        .Detail(20)
        .Column(L"a", L"long", 120, L"A")
        .Column(L"b", L"char(40)", 160, L"B")
        .Column(L"c", L"long", 120, L"C")
        .Data(data)
        .Text();
}

const wchar_t* const kModifies[] = {
    L"a_t.Text='Name sort:A'",
    L"a_t.Text='Name sort:d'",
    L"a_t.Text=' sort:A'",
    L"b_t.Text='progress{45:255:65280}'",
    L"b_t.Text='progress{-3}'",
    L"b_t.Text='progress{100:1'",
    L"b_t.Text='iconfont{61441:255}Mail'",
    L"b_t.Text='iconfont{'",
    L"c_t.Text=''",
    L"c_t.Text='C'",
    L"DataWindow.Header.Height=40",
    L"DataWindow.Header.Height=24",
    L"DataWindow.Detail.Height=30",
    L"DataWindow.Detail.Height=20",
    L"DataWindow.Selected='1/3/a/c'",
    L"DataWindow.Selected='2/2/b/b'",
    L"DataWindow.Selected=''",
    L"DataWindow.Selected.Mouse=yes",
    L"DataWindow.Selected.Mouse=no",
    L"a.Width=40",
    L"a.Width=120",
};

const wchar_t* const kDescribes[] = {
    L"DataWindow.Column.Count",
    L"DataWindow.Header.Height",
    L"DataWindow.Detail.Height",
    L"DataWindow.Selected",
    L"DataWindow.Units",
    L"a_t.Text",
    L"b_t.Text",
    L"DataWindow.Syntax",
    L"nosuch.Property",
};

const wchar_t* const kTitles[] = {L"TOP", L"", L"Sales iconfont{61440}", L"progress{50}", L"A sort:A"};

template <typename T, size_t N>
const T& Pick(std::mt19937& random, const T (&items)[N]) {
    return items[std::uniform_int_distribution<size_t>(0, N - 1)(random)];
}

}  // namespace

using RandomSequence = TesselHost;

TEST_F(RandomSequence, DataWindowSurvivesAndAnswers) {
    const unsigned seed = EnvNumber("TESSEL2U_RANDOM_SEED", 21);
    const unsigned steps = EnvNumber("TESSEL2U_RANDOM_STEPS", 400);
    std::printf("random sequence: seed %u, %u steps (TESSEL2U_RANDOM_SEED, TESSEL2U_RANDOM_STEPS)\n", seed, steps);
    std::fflush(stdout);
    HWND grid = Create(Grid(), 300, 200, WS_VSCROLL | WS_HSCROLL);
    ASSERT_NE(nullptr, grid);
    ASSERT_EQ(1, dll.AttachDatawindow(grid, nullptr));
    bool attached = true;
    int titles = 0;

    std::mt19937 random(seed);
    auto number = [&random](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    wchar_t error[256];
    for (unsigned step = 0; step < steps; ++step) {
        SCOPED_TRACE("seed " + std::to_string(seed) + ", step " + std::to_string(step));
        const int action = number(0, 11);
        switch (action) {
        case 0: pb->ScriptModify(grid, Pick(random, kModifies), error, 256); break;
        case 1: pb->Describe(grid, Pick(random, kDescribes)); break;
        case 2: {
            const int codes[] = {SB_LINEDOWN, SB_LINEUP,        SB_PAGEDOWN,   SB_PAGEUP,   SB_TOP,
                                 SB_BOTTOM,   SB_THUMBPOSITION, SB_THUMBTRACK, SB_ENDSCROLL};
            const int code = Pick(random, codes);
            SendMessageW(grid, number(0, 1) ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, number(0, 60)), 0);
            break;
        }
        case 3:
        case 4: SendMessageW(grid, WM_MOUSEMOVE, 0, MAKELPARAM(number(-5, 320), number(-5, 220))); break;
        case 5: {
            const int x = number(0, 300), y = number(0, 200);
            SendMessageW(grid, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
            SendMessageW(grid, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
            break;
        }
        case 6: {
            int x = number(0, 300), y = number(0, 200);
            SendMessageW(grid, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
            for (int i = number(1, 5); i > 0; --i) {
                x = number(0, 300);
                y = number(0, 200);
                SendMessageW(grid, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y));
            }
            SendMessageW(grid, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
            break;
        }
        case 7:
            InvalidateRect(grid, nullptr, number(0, 1));
            UpdateWindow(grid);
            break;
        case 8:
            if (!attached) break;
            if (titles < 3 && number(0, 1)) {
                if (dll.AddDatawindowTitle(grid, Pick(random, kTitles), L"Tahoma", number(6, 14), number(10, 40)))
                    ++titles;
            } else if (titles > 0) {
                dll.ModifyDatawindowTitle(grid, number(1, titles), Pick(random, kTitles), L"Tahoma", number(6, 14));
            }
            break;
        case 9:
            if (!attached) break;
            dll.SetSpanTitle(grid, number(0, 1) ? L"a,b" : L"b;c", Pick(random, kTitles), L"Tahoma", number(6, 12),
                             number(10, 30));
            break;
        case 10:
            if (attached) {
                dll.DettachDatawindow(grid);
            } else {
                ASSERT_EQ(1, dll.AttachDatawindow(grid, nullptr));
                titles = 0;
            }
            attached = !attached;
            break;
        default: PumpMessages(); break;
        }
        ASSERT_TRUE(IsWindow(grid));
    }
    PumpMessages();
    InvalidateRect(grid, nullptr, TRUE);
    UpdateWindow(grid);
    EXPECT_EQ(L"3", pb->Describe(grid, L"DataWindow.Column.Count")) << "seed " << seed;
    EXPECT_EQ(L"1", pb->Describe(grid, L"DataWindow.Units")) << "seed " << seed;
}
