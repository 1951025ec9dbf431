// The debug console: opening, the title that marks it, text colours, writing
// and closing. The process's standard streams are moved onto the console while
// it is open; the test puts its own output back afterwards.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <windows.h>

#include <string>

#include "stdout_capture.h"
#include "tessel_dll.h"

namespace {

std::wstring ConsoleTitle() {
    wchar_t title[256] = {};
    return GetConsoleTitleW(title, 255) ? title : L"";
}

WORD ConsoleAttribute() {
    HANDLE out = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, 0, nullptr);
    CONSOLE_SCREEN_BUFFER_INFO info = {};
    GetConsoleScreenBufferInfo(out, &info);
    CloseHandle(out);
    return info.wAttributes;
}

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
    const std::wstring title = ConsoleTitle();
    const HWND consoleWindow = GetConsoleWindow();
    EXPECT_EQ(dll.OpenDebugWindow(), 0);  // second open changes nothing
    const std::wstring titleAgain = ConsoleTitle();
    EXPECT_EQ(dll.SetDebugWindowColor(0), 0);
    const WORD bright = ConsoleAttribute();
    EXPECT_EQ(dll.SetDebugWindowColor(4), 0);
    const WORD red = ConsoleAttribute();
    EXPECT_EQ(dll.PrintDebugString(L"\u4E2D\u6587 line"), 0);
    UINT closeState = 0xFFFF;
    if (consoleWindow) closeState = GetMenuState(GetSystemMenu(consoleWindow, FALSE), SC_CLOSE, MF_BYCOMMAND);
    EXPECT_EQ(dll.CloseDebugWindow(), 0);
    const std::wstring titleAfter = ConsoleTitle();
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
        title = ConsoleTitle();
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
