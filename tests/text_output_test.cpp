// Text output of the whole process: texts with icon-font runs are measured with one full-width placeholder (U+56DE)
// per run; the narrow and poly text functions write debug lines, and only when someone listens.
#include <gtest/gtest.h>
#include <io.h>
#include <stdio.h>
#include <windows.h>

#include <string>
#include <vector>

#include "console_screen.h"
#include "stdout_capture.h"
#include "tessel_dll.h"

namespace {

int Extent(HDC dc, const std::wstring& text, int count = -1) {
    SIZE size = {};
    GetTextExtentExPointW(dc, text.c_str(), count < 0 ? static_cast<int>(text.size()) : count, 0, nullptr, nullptr,
                          &size);
    return size.cx;
}

}  // namespace

TEST(TextOutput, IconRunsAreMeasuredAsOnePlaceholderEach) {
    ASSERT_NE(nullptr, LoadLibraryW(L"lpk\\lpk.dll"));
    TesselDll dll;
    ASSERT_EQ(1, dll.StartTessel());
    HDC dc = GetDC(nullptr);
    // The text measured, and pieces without markers whose widths add up to it (an unclosed marker is text).
    const struct {
        const wchar_t* text;
        std::vector<std::wstring> pieces;
    } cases[] = {{L"OK iconfont{59000} go", {L"OK \x56DE go"}},
                 {L"a iconfont{1} b iconfont{2} c", {L"a \x56DE b \x56DE c"}},
                 {L"abc iconfont{59000", {L"abc iconfon", L"t{59000"}},
                 {L"a iconfont{1} b iconfont{5", {L"a \x56DE b iconfon", L"t{5"}}};
    for (const auto& c : cases) {
        int sum = 0;
        for (const std::wstring& piece : c.pieces) sum += Extent(dc, piece);
        EXPECT_EQ(sum, Extent(dc, c.text)) << static_cast<int>(wcslen(c.text));
    }
    EXPECT_EQ(Extent(dc, L"OK"), Extent(dc, L"OK iconfont{1}", 2)) << "only the first count characters count";

    // The language-pack module's measuring gets the placeholder text too.
    HMODULE lpk = GetModuleHandleW(L"lpk.dll");
    auto measure = reinterpret_cast<BOOL(WINAPI*)(HDC, LPCWSTR, int, int, LPINT, LPINT, LPSIZE, DWORD, int)>(
        reinterpret_cast<void*>(GetProcAddress(lpk, "LpkGetTextExtentExPoint")));
    auto last =
        reinterpret_cast<LPCWSTR(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(lpk, "LpkStandinLastMeasured")));
    ASSERT_TRUE(measure && last);
    SIZE size = {};
    measure(dc, L"x iconfont{59000:255} y", 23, 0, nullptr, nullptr, &size, 0, 0);
    EXPECT_EQ(std::wstring(L"x \x56DE y"), last());

    StdoutCapture capture;
    POLYTEXTW poly = {0, 0, 1, L"p", 0, {0, 0, 0, 0}, nullptr};
    PolyTextOutW(dc, &poly, 1);
    EXPECT_EQ("*** HookPolyTextOut\n", capture.Stop());
    ReleaseDC(nullptr, dc);
    ASSERT_EQ(1, dll.StopTessel());
}

// A host as a PowerBuilder application is has no console and no standard output: debug lines flushed there would
// mark the runtime's stdout stream with an error. With the debug console open, they appear on it.
TEST(TextOutput, DebugLinesOnlyWhenSomeoneListens) {
    ASSERT_EQ(nullptr, GetModuleHandleW(L"Tessel2U.dll")) << "the library must load afresh";
    FreeConsole();
    fflush(stdout);
    const int saved = _dup(_fileno(stdout));
    ASSERT_GE(saved, 0);
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

    dll.OpenDebugWindow();
    const SHORT row = console_screen::CursorRow();
    ExtTextOutA(dc, 0, 0, 0, nullptr, "probe text", 5, nullptr);
    const std::wstring line = console_screen::Line(row, 40);
    dll.CloseDebugWindow();
    (void)_wfreopen(L"NUL", L"w", stdout);
    _dup2(saved, _fileno(stdout));
    _close(saved);
    ReleaseDC(nullptr, dc);
    if (started) dll.StopTessel();
    EXPECT_TRUE(started);
    EXPECT_EQ(std::wstring(L"*** HookExtTextOutA probe"), line.substr(0, 25));
    EXPECT_EQ(0, errorWithoutListener) << "debug lines were formatted and written with nobody listening";
}
