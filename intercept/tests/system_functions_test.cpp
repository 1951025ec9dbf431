// Real system functions called from another module (intercept_callee.dll)
// through its import table: the replacement runs, the real-entry variable
// reaches the real function, and after the removal the original is back.
#include <gtest/gtest.h>

#include "callee_dll.h"
#include "dib.h"
#include "intercept_test_support.h"

using namespace intercept_test;

namespace {

decltype(&GetSysColor) g_realGetSysColor = nullptr;
DWORD WINAPI FakeGetSysColor(int index) { return index == COLOR_WINDOW ? RGB(1, 2, 3) : g_realGetSysColor(index); }

decltype(&LineTo) g_realLineTo = nullptr;
BOOL WINAPI LowerLineTo(HDC dc, int x, int y) {  // every line five pixels lower
    POINT from;
    GetCurrentPositionEx(dc, &from);
    MoveToEx(dc, from.x, from.y + 5, nullptr);
    return g_realLineTo(dc, x, y + 5);
}

// The window colour: 10 when it is the replacement's, 1 otherwise.
int WindowColour(bool real) {
    return (real ? g_realGetSysColor(COLOR_WINDOW) : CalleeGetSysColor(COLOR_WINDOW)) == RGB(1, 2, 3) ? 10 : 1;
}

// A line from (2, 10) to (28, 10) on white: 10 for black at y 15, 1 for black at y 10.
int LineRow(bool real) {
    Dib canvas(32, 32);
    canvas.Fill(RGB(255, 255, 255));
    MoveToEx(canvas.Dc(), 2, 10, nullptr);
    if (!(real ? g_realLineTo(canvas.Dc(), 28, 10) : CalleeLineTo(canvas.Dc(), 28, 10))) return 0;
    return (canvas.At(15, 15) == RGB(0, 0, 0) ? 10 : 0) + (canvas.At(15, 10) == RGB(0, 0, 0) ? 1 : 0);
}

const struct SystemFunction {
    const char* name;
    const wchar_t* module;
    PVOID* real;
    PVOID replacement;
    int (*observe)(bool throughTheRealVariable);
} kFunctions[] = {
    {"GetSysColor", L"user32.dll", Slot(&g_realGetSysColor), Fn(FakeGetSysColor), WindowColour},
    {"LineTo", L"gdi32.dll", Slot(&g_realLineTo), Fn(LowerLineTo), LineRow},
};

}  // namespace

TEST(SystemFunctions, ReplacedFromAnotherModuleAndGivenBack) {
    for (const SystemFunction& c : kFunctions) {
        SCOPED_TRACE(c.name);
        const PVOID original = reinterpret_cast<PVOID>(GetProcAddress(GetModuleHandleW(c.module), c.name));
        ASSERT_NE(nullptr, original);
        *c.real = original;
        ASSERT_EQ(1, c.observe(false));
        ASSERT_EQ(NO_ERROR, AttachOne(c.real, c.replacement)) << OnlyRefusal();
        EXPECT_EQ(10, c.observe(false));
        EXPECT_EQ(1, c.observe(true));  // the trampoline is not intercepted
        ASSERT_EQ(NO_ERROR, DetachOne(c.real, c.replacement));
        EXPECT_EQ(original, *c.real);
        EXPECT_EQ(1, c.observe(false));
    }
}
