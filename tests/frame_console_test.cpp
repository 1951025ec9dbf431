// The debug console: opening, the title that marks it, text colours, writing
// and closing. The process's standard streams are moved onto the console while
// it is open; the test puts its own output back afterwards.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <windows.h>

#include <string>
#include <vector>

#include "console_screen.h"
#include "stdout_capture.h"
#include "tessel_dll.h"

namespace {

// Puts the test's standard output back on the descriptor saved before.
void RestoreStdout(int saved) {
    FILE* f = _wfreopen(L"NUL", L"w", stdout);
    (void)f;
    _dup2(saved, _fileno(stdout));
}

}  // namespace

TEST(DebugConsole, OpenWriteColourClose) {
    TesselDll dll;
    ASSERT_NE(dll.h, nullptr);
    // Whatever console the process had, it is not ours: nothing is written.
    FreeConsole();
    {
        StdoutCapture out;
        EXPECT_EQ(dll.PrintDebugString(L"lost"), 0);
        EXPECT_EQ(out.Stop(), "");
    }

    const int saved = _dup(_fileno(stdout));
    EXPECT_EQ(dll.OpenDebugWindow(), 0);
    const std::wstring title = console_screen::Title();
    const HWND consoleWindow = GetConsoleWindow();
    EXPECT_EQ(dll.OpenDebugWindow(), 0);  // second open changes nothing
    const std::wstring titleAgain = console_screen::Title();
    EXPECT_EQ(dll.SetDebugWindowColor(0), 0);
    const WORD bright = console_screen::Attribute();
    EXPECT_EQ(dll.SetDebugWindowColor(4), 0);
    const WORD red = console_screen::Attribute();
    EXPECT_EQ(dll.PrintDebugString(L"\u4E2D\u6587 line"), 0);
    UINT closeState = 0xFFFF;
    if (consoleWindow) closeState = GetMenuState(GetSystemMenu(consoleWindow, FALSE), SC_CLOSE, MF_BYCOMMAND);
    EXPECT_EQ(dll.CloseDebugWindow(), 0);
    const std::wstring titleAfter = console_screen::Title();
    RestoreStdout(saved);

    EXPECT_EQ(title, L"Debug Window");
    EXPECT_EQ(titleAgain, L"Debug Window");
    EXPECT_EQ(bright, 15);
    EXPECT_EQ(red, 12);
    if (consoleWindow && closeState != 0xFFFFFFFF) {
        EXPECT_TRUE(closeState & MF_GRAYED) << closeState;
    }
    EXPECT_NE(titleAfter, L"Debug Window");

    // Closed again: writing is silent, closing twice is harmless.
    {
        StdoutCapture out;
        EXPECT_EQ(dll.PrintDebugString(L"lost again"), 0);
        EXPECT_EQ(out.Stop(), "");
    }
    EXPECT_EQ(dll.CloseDebugWindow(), 0);
    RestoreStdout(saved);
    _close(saved);
}

TEST(DebugConsole, TriggerFileOpensConsoleAtLoad) {
    // Only existence counts: an empty file named debug.txt in the current folder.
    HANDLE f = CreateFileW(L"debug.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    CloseHandle(f);
    FreeConsole();
    const int saved = _dup(_fileno(stdout));
    std::wstring title, firstLine;
    {
        TesselDll dll;
        title = console_screen::Title();
        HANDLE out = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, 0, nullptr);
        wchar_t line[16] = {};
        DWORD read = 0;
        ReadConsoleOutputCharacterW(out, line, 6, COORD{0, 0}, &read);
        CloseHandle(out);
        firstLine.assign(line, read);
        dll.CloseDebugWindow();
    }
    RestoreStdout(saved);
    _close(saved);
    DeleteFileW(L"debug.txt");
    EXPECT_EQ(title, L"Debug Window");
    EXPECT_EQ(firstLine, L"ready ");
}

TEST(DebugConsole, ChineseTextReachesTheConsoleIntact) {
    TesselDll dll;
    ASSERT_NE(dll.h, nullptr);
    FreeConsole();
    const int saved = _dup(_fileno(stdout));
    EXPECT_EQ(dll.OpenDebugWindow(), 0);
    const SHORT row = console_screen::CursorRow();
    // "中文 line", "简体中文：行" and a mixed line, each on its own line.
    EXPECT_EQ(dll.PrintDebugString(L"\u4E2D\u6587 line"), 0);
    EXPECT_EQ(dll.PrintDebugString(L"\u7B80\u4F53\u4E2D\u6587\uFF1A\u884C"), 0);
    EXPECT_EQ(dll.PrintDebugString(L"a\u00E9\u4E00b"), 0);
    const std::wstring first = console_screen::Line(row, 7);
    const std::wstring second = console_screen::Line(static_cast<SHORT>(row + 1), 6);
    const std::wstring third = console_screen::Line(static_cast<SHORT>(row + 2), 4);
    EXPECT_EQ(static_cast<SHORT>(row + 3), console_screen::CursorRow());
    dll.CloseDebugWindow();
    RestoreStdout(saved);
    _close(saved);
    EXPECT_EQ(std::wstring(L"\u4E2D\u6587 line"), first);
    EXPECT_EQ(std::wstring(L"\u7B80\u4F53\u4E2D\u6587\uFF1A\u884C"), second);
    EXPECT_EQ(std::wstring(L"a\u00E9\u4E00b"), third);
}

namespace {

// A thread of the host that owns a top-level window and then stops pumping
// messages until it is released: any message sent to its window waits.
struct BlockedWindowThread {
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = nullptr;
    HWND window = nullptr;

    BlockedWindowThread() {
        thread = CreateThread(nullptr, 0, &Run, this, 0, nullptr);
        WaitForSingleObject(ready, 10000);
    }
    ~BlockedWindowThread() {
        SetEvent(release);
        WaitForSingleObject(thread, 10000);
        CloseHandle(thread);
        CloseHandle(ready);
        CloseHandle(release);
    }
    static DWORD WINAPI Run(LPVOID p) {
        auto* self = static_cast<BlockedWindowThread*>(p);
        self->window = CreateWindowExW(0, L"STATIC", L"blocked host window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                       200, 100, nullptr, nullptr, nullptr, nullptr);
        SetEvent(self->ready);
        WaitForSingleObject(self->release, INFINITE);  // not pumping
        // Released: answer whatever was sent meanwhile, then go.
        MSG msg;
        for (int i = 0; i < 50; ++i) {
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
            Sleep(10);
        }
        DestroyWindow(self->window);
        return 0;
    }
};

DWORD WINAPI LoadLibraryThread(LPVOID p) {
    *static_cast<HMODULE*>(p) = LoadLibraryW(L"Tessel2U.dll");
    return 0;
}

}  // namespace

TEST(DebugConsole, TriggerFileAtLoadSendsNoMessageToOtherThreads) {
    HANDLE f = CreateFileW(L"debug.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    CloseHandle(f);
    FreeConsole();
    const int saved = _dup(_fileno(stdout));
    DWORD waited = WAIT_FAILED;
    HMODULE loaded = nullptr;
    std::wstring title;
    UINT closeState = 0xFFFFFFFF;
    HWND consoleWindow = nullptr;
    {
        BlockedWindowThread blocked;
        ASSERT_NE(nullptr, blocked.window);
        HANDLE loader = CreateThread(nullptr, 0, LoadLibraryThread, &loaded, 0, nullptr);
        // Opening a console starts the console host: seconds in the emulated
        // 32-bit PC. A load that waits on the blocked thread waits for good.
        waited = WaitForSingleObject(loader, 30000);
        if (waited == WAIT_OBJECT_0) {
            title = console_screen::Title();
            consoleWindow = GetConsoleWindow();
            if (consoleWindow) closeState = GetMenuState(GetSystemMenu(consoleWindow, FALSE), SC_CLOSE, MF_BYCOMMAND);
        }
        SetEvent(blocked.release);  // a hung load finishes once the thread answers
        WaitForSingleObject(loader, 10000);
        CloseHandle(loader);
    }
    if (loaded) {
        auto close = reinterpret_cast<int(WINAPI*)()>(
            reinterpret_cast<void*>(GetProcAddress(loaded, "CloseDebugWindow")));
        if (close) close();
        FreeLibrary(loaded);
    }
    RestoreStdout(saved);
    _close(saved);
    DeleteFileW(L"debug.txt");
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), waited) << "loading the library waited on the blocked thread";
    EXPECT_NE(nullptr, loaded);
    EXPECT_EQ(title, L"Debug Window");
    ASSERT_NE(nullptr, consoleWindow);
    // The console window belongs to the console host process; where its
    // system menu cannot be read from here (Wine), its state is not known.
    if (closeState != 0xFFFFFFFF) {
        EXPECT_TRUE(closeState & MF_GRAYED) << closeState;
    } else {
        std::printf("console: the console window's system menu is not readable from this process\n");
    }
}

TEST(DebugConsole, StartWritesTheReleaseBeforeTheRuntimeLine) {
    TesselDll dll;
    ASSERT_NE(dll.h, nullptr);
    FreeConsole();
    const int saved = _dup(_fileno(stdout));
    EXPECT_EQ(dll.OpenDebugWindow(), 0);
    const SHORT first = console_screen::CursorRow();
    const int started = dll.StartTessel();
    const SHORT end = console_screen::CursorRow();
    std::vector<std::wstring> lines;
    for (SHORT row = first; row < end; ++row) {
        std::wstring line = console_screen::Line(row, 256);
        line.erase(line.find_last_not_of(L' ') + 1);
        lines.push_back(line);
    }
    dll.StopTessel();
    dll.CloseDebugWindow();
    RestoreStdout(saved);
    _close(saved);

    EXPECT_EQ(started, 1);
    // No runtime in this process: generation 0, on the line after the release.
    std::vector<std::wstring> pair;
    for (size_t i = 0; i + 1 < lines.size(); ++i)
        if (lines[i].compare(0, 9, L"Tessel2U ") == 0) pair = {lines[i], lines[i + 1]};
    EXPECT_EQ(pair, (std::vector<std::wstring>{L"Tessel2U 1.0.0", L"pb version : 0"}))
        << "lines written by StartTessel: " << lines.size();
}
