// The debug console: opening, its title, text colours, writing Chinese text,
// the release line at the start, closing, and the debug.txt trigger file
// looked up in the current folder when the library loads. CTest runs this
// program in a working folder of its own, so that no other program sees its
// debug.txt.
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

// No console to begin with; the test's standard output put back at the end
// (the library moves it onto the console it opens).
class ConsoleHost : public ::testing::Test {
protected:
    void SetUp() override {
        FreeConsole();
        m_saved = _dup(_fileno(stdout));
    }
    void TearDown() override {
        FILE* f = _wfreopen(L"NUL", L"w", stdout);
        (void)f;
        _dup2(m_saved, _fileno(stdout));
        _close(m_saved);
        DeleteFileW(L"debug.txt");
    }
    static UINT CloseState() {
        HWND console = GetConsoleWindow();
        return console ? GetMenuState(GetSystemMenu(console, FALSE), SC_CLOSE, MF_BYCOMMAND) : 0xFFFFFFFF;
    }
    int m_saved = -1;
};

class DebugConsole : public ConsoleHost {
protected:
    void TearDown() override {
        dll.CloseDebugWindow();
        ConsoleHost::TearDown();
    }
    TesselDll dll;
};

// A thread that owns a top-level window and stops pumping messages until
// released: a message sent to its window waits.
struct BlockedWindowThread {
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HWND window = nullptr;
    HANDLE thread = CreateThread(nullptr, 0, &Run, this, 0, nullptr);

    ~BlockedWindowThread() {
        SetEvent(release);
        WaitForSingleObject(thread, 10000);
        for (HANDLE h : {thread, ready, release}) CloseHandle(h);
    }
    static DWORD WINAPI Run(LPVOID p) {
        auto* self = static_cast<BlockedWindowThread*>(p);
        self->window = CreateWindowExW(0, L"STATIC", L"blocked", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                       nullptr, nullptr, nullptr, nullptr);
        SetEvent(self->ready);
        WaitForSingleObject(self->release, INFINITE);
        MSG msg;
        while (MsgWaitForMultipleObjects(0, nullptr, FALSE, 200, QS_ALLINPUT) == WAIT_OBJECT_0)
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        DestroyWindow(self->window);
        return 0;
    }
};

DWORD WINAPI LoadLibraryThread(LPVOID p) {
    *static_cast<HMODULE*>(p) = LoadLibraryW(L"Tessel2U.dll");
    return 0;
}

}  // namespace

// Catches a wrong title or colour attribute, writing without a console, a
// second open that opens again, and text cut or mangled on its way.
TEST_F(DebugConsole, OpenColourWriteClose) {
    {
        StdoutCapture out;
        EXPECT_EQ(dll.PrintDebugString(L"lost"), 0);
        EXPECT_EQ(out.Stop(), "");
    }
    EXPECT_EQ(dll.OpenDebugWindow(), 0);
    EXPECT_EQ(console_screen::Title(), L"Debug Window");
    EXPECT_EQ(dll.OpenDebugWindow(), 0);
    EXPECT_EQ(console_screen::Title(), L"Debug Window");
    EXPECT_EQ(dll.SetDebugWindowColor(0), 0);
    EXPECT_EQ(console_screen::Attribute(), 15);
    EXPECT_EQ(dll.SetDebugWindowColor(4), 0);
    EXPECT_EQ(console_screen::Attribute(), 12);
    const UINT closeState = CloseState();
    EXPECT_TRUE(closeState == 0xFFFFFFFF || (closeState & MF_GRAYED)) << closeState;

    const SHORT row = console_screen::CursorRow();
    const wchar_t* lines[] = {L"\u4E2D\u6587 line", L"\u7B80\u4F53\u4E2D\u6587\uFF1A\u884C", L"a\u00E9\u4E00b"};
    for (const wchar_t* line : lines) EXPECT_EQ(dll.PrintDebugString(line), 0);
    for (SHORT i = 0; i < 3; ++i)
        EXPECT_EQ(console_screen::Line(static_cast<SHORT>(row + i), static_cast<DWORD>(wcslen(lines[i]))), lines[i]);
    EXPECT_EQ(console_screen::CursorRow(), row + 3);

    EXPECT_EQ(dll.CloseDebugWindow(), 0);
    EXPECT_NE(console_screen::Title(), L"Debug Window");
    StdoutCapture out;
    EXPECT_EQ(dll.PrintDebugString(L"lost again"), 0);
    EXPECT_EQ(out.Stop(), "");
    EXPECT_EQ(dll.CloseDebugWindow(), 0);
}

// Catches the release line missing or after the runtime line.
TEST_F(DebugConsole, StartWritesTheReleaseBeforeTheRuntimeLine) {
    EXPECT_EQ(dll.OpenDebugWindow(), 0);
    const SHORT first = console_screen::CursorRow();
    ASSERT_EQ(dll.StartTessel(), 1);
    const SHORT end = console_screen::CursorRow();
    dll.StopTessel();
    std::vector<std::wstring> lines;
    for (SHORT row = first; row < end; ++row) {
        std::wstring line = console_screen::Line(row, 256);
        lines.push_back(line.erase(line.find_last_not_of(L' ') + 1));
    }
    std::vector<std::wstring> pair;
    for (size_t i = 0; i + 1 < lines.size(); ++i)
        if (lines[i].compare(0, 9, L"Tessel2U ") == 0) pair = {lines[i], lines[i + 1]};
    EXPECT_EQ(pair, (std::vector<std::wstring>{L"Tessel2U 1.0.0", L"pb version : 0"}));
}

// The trigger file opens the console at load, without sending a message to
// another thread's window (a load waiting on a hung thread hangs the host).
TEST_F(ConsoleHost, TriggerFileOpensTheConsoleAtLoadWithoutWaitingOnOtherThreads) {
    ASSERT_EQ(GetModuleHandleW(L"Tessel2U.dll"), nullptr);
    HANDLE trigger = CreateFileW(L"debug.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(trigger, INVALID_HANDLE_VALUE);
    CloseHandle(trigger);
    BlockedWindowThread blocked;
    ASSERT_EQ(WaitForSingleObject(blocked.ready, 10000), WAIT_OBJECT_0);
    HMODULE loaded = nullptr;
    HANDLE loader = CreateThread(nullptr, 0, LoadLibraryThread, &loaded, 0, nullptr);
    // Opening a console starts the console host: seconds in the emulated PC.
    const DWORD waited = WaitForSingleObject(loader, 30000);
    const std::wstring title = console_screen::Title();
    const std::wstring firstLine = console_screen::Line(0, 6);
    const UINT closeState = CloseState();
    SetEvent(blocked.release);  // a hung load finishes once the thread answers
    WaitForSingleObject(loader, 10000);
    CloseHandle(loader);
    if (loaded) {
        auto close =
            reinterpret_cast<int(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(loaded, "CloseDebugWindow")));
        if (close) close();
        FreeLibrary(loaded);
    }
    EXPECT_EQ(waited, static_cast<DWORD>(WAIT_OBJECT_0)) << "loading the library waited on the blocked thread";
    EXPECT_NE(loaded, nullptr);
    EXPECT_EQ(title, L"Debug Window");
    EXPECT_EQ(firstLine, L"ready ");
    EXPECT_TRUE(closeState == 0xFFFFFFFF || (closeState & MF_GRAYED)) << closeState;
}
