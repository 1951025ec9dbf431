// Text output of the whole process: the narrow and poly text functions write no debug lines while nobody listens.
#include <gtest/gtest.h>
#include <io.h>
#include <stdio.h>
#include <windows.h>

#include "tessel_dll.h"

// A host as a PowerBuilder application is has no console and no standard output: debug lines flushed there would
// mark the runtime's stdout stream with an error.
TEST(TextOutput, NoDebugLinesWhileNobodyListens) {
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
    for (int i = 0; i < 100; ++i) {
        ExtTextOutA(dc, 0, 0, 0, nullptr, "probe text", 5, nullptr);
        PolyTextOutW(dc, &poly, 1);
    }
    fflush(stdout);
    const int errorWithoutListener = ferror(stdout);
    clearerr(stdout);
    _dup2(saved, _fileno(stdout));
    _close(saved);
    ReleaseDC(nullptr, dc);
    if (started) dll.StopTessel();
    EXPECT_TRUE(started);
    EXPECT_EQ(0, errorWithoutListener) << "debug lines were formatted and written with nobody listening";
}
