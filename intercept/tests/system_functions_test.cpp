// Interceptions of real system functions called from another module
// (intercept_callee.dll) through its import table: the replacement runs, the
// real-entry variable reaches the real function, and after the removal the
// original behaviour is back.
#include <gtest/gtest.h>

#include <ostream>

#include "callee_dll.h"
#include "dib.h"
#include "intercept_test_support.h"

using namespace intercept_test;

namespace {

decltype(&GetSysColor) g_realGetSysColor = nullptr;
DWORD WINAPI FakeGetSysColor(int index) { return index == COLOR_WINDOW ? RGB(1, 2, 3) : g_realGetSysColor(index); }

decltype(&LineTo) g_realLineTo = nullptr;
// Draws every line five pixels lower.
BOOL WINAPI LowerLineTo(HDC dc, int x, int y) {
    POINT from;
    GetCurrentPositionEx(dc, &from);
    MoveToEx(dc, from.x, from.y + 5, nullptr);
    return g_realLineTo(dc, x, y + 5);
}

decltype(&DrawTextExW) g_realDrawTextExW = nullptr;
int g_drawTextCalls = 0;
int WINAPI CountingDrawTextExW(HDC dc, LPWSTR text, int length, LPRECT rect, UINT format, LPDRAWTEXTPARAMS params) {
    ++g_drawTextCalls;
    return g_realDrawTextExW(dc, text, length, rect, format, params);
}

decltype(&CreateWindowExW) g_realCreateWindowExW = nullptr;
HWND g_createdWindow = nullptr;
HWND WINAPI RecordingCreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR title, DWORD style, int x, int y,
                                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
    g_createdWindow =
        g_realCreateWindowExW(exStyle, className, title, style, x, y, width, height, parent, menu, instance, param);
    return g_createdWindow;
}

// 10 for the window colour the replacement gives, 1 for any other.
int WindowColour(bool real) {
    const DWORD c = real ? g_realGetSysColor(COLOR_WINDOW) : CalleeGetSysColor(COLOR_WINDOW);
    return c == RGB(1, 2, 3) ? 10 : 1;
}

// A line from (2, 10) to (28, 10) on white: 10 when it lands at y 15, 1 at y 10.
int LineRow(bool real) {
    Dib canvas(32, 32);
    canvas.Fill(RGB(255, 255, 255));
    MoveToEx(canvas.Dc(), 2, 10, nullptr);
    if (!(real ? g_realLineTo(canvas.Dc(), 28, 10) : CalleeLineTo(canvas.Dc(), 28, 10))) return 0;
    return (canvas.At(15, 15) == RGB(0, 0, 0) ? 10 : 0) + (canvas.At(15, 10) == RGB(0, 0, 0) ? 1 : 0);
}

// 10 for each call the replacement counted, 1 when the text was measured.
int MeasuredText(bool real) {
    Dib canvas(32, 32);
    wchar_t text[] = L"Tessel";
    RECT r = {0, 0, 0, 0};
    g_drawTextCalls = 0;
    const int height = real ? g_realDrawTextExW(canvas.Dc(), text, -1, &r, DT_CALCRECT | DT_SINGLELINE, nullptr)
                            : CalleeDrawTextExW(canvas.Dc(), text, -1, &r, DT_CALCRECT | DT_SINGLELINE);
    return g_drawTextCalls * 10 + (height > 0 && r.right > 0 ? 1 : 0);
}

// 10 when the replacement saw the window, 1 when it was made with its title.
int CreatedWindow(bool real) {
    g_createdWindow = nullptr;
    HWND window =
        real ? g_realCreateWindowExW(0, L"STATIC", L"made", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr)
             : CalleeCreateWindowExW(L"STATIC", L"made", WS_POPUP);
    wchar_t title[8] = {};
    GetWindowTextW(window, title, 8);
    const int seen =
        (window != nullptr && window == g_createdWindow ? 10 : 0) + (lstrcmpW(title, L"made") == 0 ? 1 : 0);
    DestroyWindow(window);
    return seen;
}

struct SystemFunction {
    const char* name;
    const wchar_t* module;
    const char* exported;
    PVOID* real;
    PVOID replacement;
    int (*observe)(bool throughTheRealVariable);
    int hooked;  // what observe answers through the callee while installed; 1 otherwise
};

void PrintTo(const SystemFunction& c, std::ostream* out) { *out << c.name; }

const SystemFunction kFunctions[] = {
    {"GetSysColor", L"user32.dll", "GetSysColor", Slot(&g_realGetSysColor), Fn(FakeGetSysColor), WindowColour, 10},
    {"LineTo", L"gdi32.dll", "LineTo", Slot(&g_realLineTo), Fn(LowerLineTo), LineRow, 10},
    {"DrawTextExW", L"user32.dll", "DrawTextExW", Slot(&g_realDrawTextExW), Fn(CountingDrawTextExW), MeasuredText, 11},
    {"CreateWindowExW", L"user32.dll", "CreateWindowExW", Slot(&g_realCreateWindowExW), Fn(RecordingCreateWindowExW),
     CreatedWindow, 11},
};

class SystemFunctions : public ::testing::TestWithParam<SystemFunction> {};

}  // namespace

TEST_P(SystemFunctions, ReplacedFromAnotherModuleAndGivenBack) {
    const SystemFunction& c = GetParam();
    const PVOID original = reinterpret_cast<PVOID>(GetProcAddress(GetModuleHandleW(c.module), c.exported));
    ASSERT_NE(nullptr, original);
    *c.real = original;
    ASSERT_EQ(1, c.observe(false));

    ASSERT_EQ(NO_ERROR, AttachOne(c.real, c.replacement)) << OnlyRefusal();
    EXPECT_NE(original, *c.real);
    EXPECT_EQ(c.hooked, c.observe(false));
    EXPECT_EQ(1, c.observe(true));  // the trampoline is not intercepted

    ASSERT_EQ(NO_ERROR, DetachOne(c.real, c.replacement));
    EXPECT_EQ(original, *c.real);
    EXPECT_EQ(1, c.observe(false));
}

INSTANTIATE_TEST_SUITE_P(Exports, SystemFunctions, ::testing::ValuesIn(kFunctions),
                         [](const ::testing::TestParamInfo<SystemFunction>& info) {
                             return std::string(info.param.name);
                         });
