// The debug console: opening, its title, writing Chinese text,
// the release line at the start, closing, and the debug.txt trigger file looked
// up in the current folder when the library loads. CTest runs this program in a
// working folder of its own, so that no other program sees its debug.txt.
#include <gtest/gtest.h>
#include <io.h>
#include <stdio.h>
#include <windows.h>

#include <memory>
#include <string>

#include "console_screen.h"
#include "stdout_capture.h"
#include "tessel_dll.h"

namespace {

// No console to begin with; the test's standard output put back at the end
// (the library moves it onto the console it opens).
class DebugConsole : public ::testing::Test {
protected:
    void SetUp() override {
        FreeConsole();
        m_saved = _dup(_fileno(stdout));
    }
    void TearDown() override {
        if (dll) dll->CloseDebugWindow();
        dll.reset();
        (void)_wfreopen(L"NUL", L"w", stdout);
        _dup2(m_saved, _fileno(stdout));
        _close(m_saved);
        DeleteFileW(L"debug.txt");
    }
    std::unique_ptr<TesselDll> dll;
    int m_saved = -1;
};

// A thread that owns a top-level window and pumps no messages until released.
HANDLE g_ready, g_release;
DWORD WINAPI BlockedWindowThread(LPVOID) {
    HWND window = CreateWindowExW(0, L"STATIC", L"blocked", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                  nullptr, nullptr, nullptr);
    SetEvent(g_ready);
    WaitForSingleObject(g_release, INFINITE);
    MSG msg;
    while (MsgWaitForMultipleObjects(0, nullptr, FALSE, 200, QS_ALLINPUT) == WAIT_OBJECT_0)
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    DestroyWindow(window);
    return 0;
}

}  // namespace

// Catches the trigger file not opening the console at load, a load that sends a
// message to another thread's window (a load waiting on a hung thread hangs the
// host), a wrong title, a second open that opens again,
// text cut or mangled, the release line missing or after the runtime line, and
// writing without a console.
TEST_F(DebugConsole, TriggerFileOpensItAtLoadThenColourWriteClose) {
    ASSERT_EQ(GetModuleHandleW(L"Tessel2U.dll"), nullptr);
    CloseHandle(CreateFileW(L"debug.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    g_ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    g_release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE blocked = CreateThread(nullptr, 0, BlockedWindowThread, nullptr, 0, nullptr);
    ASSERT_EQ(WaitForSingleObject(g_ready, 10000), WAIT_OBJECT_0);
    HANDLE loader =
        CreateThread(nullptr, 0, reinterpret_cast<LPTHREAD_START_ROUTINE>(reinterpret_cast<void*>(LoadLibraryW)),
                     const_cast<wchar_t*>(L"Tessel2U.dll"), 0, nullptr);
    // The console host starts: seconds in the emulated PC.
    EXPECT_EQ(WaitForSingleObject(loader, 30000), static_cast<DWORD>(WAIT_OBJECT_0))
        << "loading the library waited on the blocked thread";
    SetEvent(g_release);  // a hung load finishes once the thread answers
    WaitForSingleObject(loader, 10000);
    WaitForSingleObject(blocked, 10000);
    for (HANDLE h : {loader, blocked, g_ready, g_release}) CloseHandle(h);
    HMODULE loaded = GetModuleHandleW(L"Tessel2U.dll");
    ASSERT_NE(loaded, nullptr);
    dll.reset(new TesselDll);
    FreeLibrary(loaded);
    HWND console = GetConsoleWindow();  // none where the console has no window
    EXPECT_TRUE(!console || (GetMenuState(GetSystemMenu(console, FALSE), SC_CLOSE, MF_BYCOMMAND) & MF_GRAYED));
    EXPECT_EQ(dll->OpenDebugWindow(), 0);
    EXPECT_EQ(console_screen::Title(), L"Debug Window");
    EXPECT_EQ(console_screen::Line(0, 6), L"ready ");
    SHORT row = console_screen::CursorRow();
    const wchar_t* lines[] = {L"\u4E2D\u6587 line", L"\u7B80\u4F53\u4E2D\u6587\uFF1A\u884C", L"a\u00E9\u4E00b"};
    for (const wchar_t* line : lines) EXPECT_EQ(dll->PrintDebugString(line), 0);
    for (const wchar_t* line : lines) EXPECT_EQ(console_screen::Line(row++, static_cast<DWORD>(wcslen(line))), line);

    // The release line, then the runtime line.
    ASSERT_EQ(dll->StartTessel(), 1);
    const SHORT end = console_screen::CursorRow();
    dll->StopTessel();
    std::wstring screen = L"\n";
    for (; row < end; ++row) screen += console_screen::Line(row, 14) + L"\n";  // the width of both lines
    EXPECT_NE(screen.find(L"\nTessel2U 1.0.0\npb version : 0\n"), std::wstring::npos) << screen;

    EXPECT_EQ(dll->CloseDebugWindow(), 0);
    EXPECT_NE(console_screen::Title(), L"Debug Window");
    StdoutCapture out;
    EXPECT_EQ(dll->PrintDebugString(L"lost"), 0);
    EXPECT_EQ(out.Stop(), "");
}
