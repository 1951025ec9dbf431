// Reads the process's console back: its title, the attribute of new text, one
// line of its screen buffer and the row of its cursor.
#pragma once

#include <windows.h>

#include <string>

namespace console_screen {

inline HANDLE OpenOutput() {
    return CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, 0, nullptr);
}

inline CONSOLE_SCREEN_BUFFER_INFO BufferInfo() {
    HANDLE out = OpenOutput();
    CONSOLE_SCREEN_BUFFER_INFO info = {};
    GetConsoleScreenBufferInfo(out, &info);
    CloseHandle(out);
    return info;
}

inline std::wstring Title() {
    wchar_t title[256] = {};
    return GetConsoleTitleW(title, 255) ? title : L"";
}

inline WORD Attribute() { return BufferInfo().wAttributes; }

inline SHORT CursorRow() { return BufferInfo().dwCursorPosition.Y; }

// The characters of one line of the screen buffer.
inline std::wstring Line(SHORT row, DWORD length) {
    HANDLE out = OpenOutput();
    std::wstring line(length, L'\0');
    DWORD read = 0;
    ReadConsoleOutputCharacterW(out, &line[0], length, COORD{0, row}, &read);
    CloseHandle(out);
    line.resize(read);
    return line;
}

}  // namespace console_screen
