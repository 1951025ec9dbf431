// Text output of the whole process: texts that carry icon-font runs are
// measured with one full-width placeholder (U+56DE) per run, so that layout
// leaves room for each icon; the narrow and poly text functions write their
// debug lines.
#include <gtest/gtest.h>
#include <io.h>
#include <stdio.h>
#include <windows.h>

#include <string>

#include "console_screen.h"
#include "stdout_capture.h"
#include "tessel_dll.h"

namespace {

SIZE Extent(HDC dc, const std::wstring& text) {
    SIZE size = {};
    GetTextExtentExPointW(dc, text.c_str(), static_cast<int>(text.size()), 0, nullptr, nullptr, &size);
    return size;
}

}  // namespace

TEST(TextOutput, IconRunsAreMeasuredAsOnePlaceholderEach) {
    ASSERT_NE(nullptr, LoadLibraryW(L"lpk\\lpk.dll"));
    TesselDll dll;
    ASSERT_EQ(1, dll.StartTessel());
    HDC dc = GetDC(nullptr);
    const wchar_t placeholder[] = {0x56DE, 0};
    const std::wstring p(placeholder);
    EXPECT_EQ(Extent(dc, L"OK " + p + L" go").cx, Extent(dc, L"OK iconfont{59000} go").cx);
    EXPECT_EQ(Extent(dc, L"a " + p + L" b " + p + L" c").cx, Extent(dc, L"a iconfont{1} b iconfont{2} c").cx);
    // A marker without its closing brace is drawn as text and measured as text.
    // (Measured in two pieces that carry no marker, the text is the system's.)
    EXPECT_EQ(Extent(dc, L"abc iconfon").cx + Extent(dc, L"t{59000").cx, Extent(dc, L"abc iconfont{59000").cx);
    EXPECT_EQ(Extent(dc, L"a " + p + L" b iconfon").cx + Extent(dc, L"t{5").cx,
              Extent(dc, L"a iconfont{1} b iconfont{5").cx);
    // Only the first count characters count.
    SIZE cut = {};
    GetTextExtentExPointW(dc, L"OK iconfont{1}", 2, 0, nullptr, nullptr, &cut);
    EXPECT_EQ(Extent(dc, L"OK").cx, cut.cx);

    // The language-pack module's measuring gets the placeholder text too.
    HMODULE lpk = GetModuleHandleW(L"lpk.dll");
    using Measure = BOOL(WINAPI*)(HDC, LPCWSTR, int, int, LPINT, LPINT, LPSIZE, DWORD, int);
    using Last = LPCWSTR(WINAPI*)();
    auto measure = reinterpret_cast<Measure>(reinterpret_cast<void*>(GetProcAddress(lpk, "LpkGetTextExtentExPoint")));
    auto last = reinterpret_cast<Last>(reinterpret_cast<void*>(GetProcAddress(lpk, "LpkStandinLastMeasured")));
    ASSERT_TRUE(measure && last);
    SIZE size = {};
    const std::wstring icon = L"x iconfont{59000:255} y";
    measure(dc, icon.c_str(), static_cast<int>(icon.size()), 0, nullptr, nullptr, &size, 0, 0);
    EXPECT_EQ(L"x " + p + L" y", std::wstring(last()));

    // Debug lines of the narrow and poly text functions.
    StdoutCapture capture;
    TextOutA(dc, 0, 0, "unused", 0);
    ExtTextOutA(dc, 0, 0, 0, nullptr, "abcdef", 3, nullptr);
    POLYTEXTW poly = {};
    poly.lpstr = L"p";
    poly.n = 1;
    PolyTextOutW(dc, &poly, 1);
    const std::string log = capture.Stop();
    EXPECT_NE(std::string::npos, log.find("*** HookExtTextOutA abc\n")) << log;
    EXPECT_NE(std::string::npos, log.find("*** HookPolyTextOut\n")) << log;
    ReleaseDC(nullptr, dc);
    ASSERT_EQ(1, dll.StopTessel());
}

namespace {

// The narrow and poly text functions a hundred times each.
void ManyDebugLines(HDC dc) {
    POLYTEXTW poly = {};
    poly.lpstr = L"p";
    poly.n = 1;
    for (int i = 0; i < 100; ++i) {
        ExtTextOutA(dc, 0, 0, 0, nullptr, "probe text", 5, nullptr);
        PolyTextOutW(dc, &poly, 1);
    }
}

}  // namespace

TEST(TextOutput, DebugLinesOnlyWhenSomeoneListens) {
    // A host as a PowerBuilder application is: no console and no standard
    // output. A debug line formatted and flushed there fails to be written,
    // which marks the runtime's standard output stream with an error.
    ASSERT_EQ(nullptr, GetModuleHandleW(L"Tessel2U.dll")) << "the library must load afresh";
    FreeConsole();
    fflush(stdout);
    const int saved = _dup(_fileno(stdout));
    ASSERT_GE(saved, 0);
    _close(_fileno(stdout));
    clearerr(stdout);
    int errorWithoutListener = -1;
    {
        TesselDll dll;
        const bool started = dll.StartTessel() == 1;
        HDC dc = GetDC(nullptr);
        ManyDebugLines(dc);
        fflush(stdout);
        errorWithoutListener = ferror(stdout);
        clearerr(stdout);
        _dup2(saved, _fileno(stdout));

        // The debug console open: the lines appear on it.
        dll.OpenDebugWindow();
        const SHORT row = console_screen::CursorRow();
        ExtTextOutA(dc, 0, 0, 0, nullptr, "probe text", 5, nullptr);
        const std::wstring line = console_screen::Line(row, 40);
        dll.CloseDebugWindow();
        FILE* f = _wfreopen(L"NUL", L"w", stdout);
        (void)f;
        _dup2(saved, _fileno(stdout));
        ReleaseDC(nullptr, dc);
        if (started) dll.StopTessel();
        EXPECT_TRUE(started);
        EXPECT_EQ(std::wstring(L"*** HookExtTextOutA probe"), line.substr(0, 25));
    }
    _close(saved);
    EXPECT_EQ(0, errorWithoutListener) << "debug lines were formatted and written with nobody listening";
}
