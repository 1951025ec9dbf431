// Text output of the whole process: the narrow and poly text functions write debug lines, and only when someone
// listens.
#include <gtest/gtest.h>
#include <io.h>
#include <stdio.h>
#include <windows.h>

#include <string>

#include "console_screen.h"
#include "tessel_dll.h"

// A host as a PowerBuilder application is has no console and no standard output: debug lines flushed there would
// mark the runtime's stdout stream with an error. With the debug console open, they appear on it.
TEST(TextOutput, DebugLinesOnlyWhenSomeoneListens) {
    ASSERT_EQ(nullptr, GetModuleHandleW(L"Tessel2U.dll")) << "the library must load afresh";
    FreeConsole();
    fflush(stdout);
    const int saved = _dup(_fileno(stdout));
    _close(_fileno(stdout));
    clearerr(stdout);
    TesselDll dll;
    const bool started = dll.StartTessel() == 1;
    HDC dc = GetDC(nullptr);
    POLYTEXTW poly = {0, 0, 1, L"p", 0, {0, 0, 0, 0}, nullptr};
    auto draw = [&] {
        return ExtTextOutA(dc, 0, 0, 0, nullptr, "probe text", 5, nullptr) + PolyTextOutW(dc, &poly, 1);
    };
    for (int i = 0; i < 100; ++i) draw();
    fflush(stdout);
    const int errorWithoutListener = ferror(stdout);
    clearerr(stdout);
    _dup2(saved, _fileno(stdout));
    dll.OpenDebugWindow();
    const SHORT row = console_screen::CursorRow();
    draw();
    const std::wstring lines = console_screen::Line(row, 25) + L"|" + console_screen::Line(row + 1, 19);
    dll.CloseDebugWindow();
    (void)_wfreopen(L"NUL", L"w", stdout);
    _dup2(saved, _fileno(stdout));
    _close(saved);
    ReleaseDC(nullptr, dc);
    if (started) dll.StopTessel();
    EXPECT_TRUE(started);
    EXPECT_EQ(std::wstring(L"*** HookExtTextOutA probe|*** HookPolyTextOut"), lines);
    EXPECT_EQ(0, errorWithoutListener) << "debug lines were formatted and written with nobody listening";
}
