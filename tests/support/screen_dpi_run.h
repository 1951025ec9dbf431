// Runs a test program at a given screen resolution under Wine: when
// TESSEL2U_TEST_DPI names one that the screen does not have, the program sets
// Wine's LogPixels for the user, runs itself again (Wine reads it when a
// process starts), puts the setting back and ends with the child's exit code.
// The setting it found is kept beside it until then, so that a run killed in
// between is put right by the next one.
#pragma once

#include <windows.h>

#include "env_number.h"

inline int ScreenDpiY() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

// -1: go on in this process; otherwise the exit code of the run at the
// wanted resolution.
inline int RunAtWantedDpi() {
    const unsigned wanted = EnvNumber("TESSEL2U_TEST_DPI", 0);
    if (wanted == 0 || static_cast<int>(wanted) == ScreenDpiY()) return -1;
    // The run started here goes on whatever it finds, so that a setting Wine
    // ignores fails the tests instead of starting runs without end.
    if (EnvNumber("TESSEL2U_TEST_DPI_CHILD", 0) != 0) return -1;
    SetEnvironmentVariableW(L"TESSEL2U_TEST_DPI_CHILD", L"1");
    HKEY desktop = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_SET_VALUE | KEY_QUERY_VALUE,
                        nullptr, &desktop, nullptr) != ERROR_SUCCESS)
        return 3;
    // "LogPixels" as it was before a run that never put it back, if any:
    // the value itself, or none when there was no value.
    const wchar_t* const kept = L"Tessel2UTestLogPixels";
    DWORD previous = 0, size = sizeof(previous), type = 0;
    if (RegQueryValueExW(desktop, kept, nullptr, &type, reinterpret_cast<BYTE*>(&previous), &size) == ERROR_SUCCESS) {
        if (type == REG_DWORD && size == sizeof(previous))
            RegSetValueExW(desktop, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&previous),
                           sizeof(previous));
        else RegDeleteValueW(desktop, L"LogPixels");
        RegDeleteValueW(desktop, kept);
    }
    size = sizeof(previous);
    const bool had = RegQueryValueExW(desktop, L"LogPixels", nullptr, &type, reinterpret_cast<BYTE*>(&previous),
                                      &size) == ERROR_SUCCESS &&
                     type == REG_DWORD;
    if (had) RegSetValueExW(desktop, kept, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&previous), sizeof(previous));
    else RegSetValueExW(desktop, kept, 0, REG_SZ, reinterpret_cast<const BYTE*>(L""), sizeof(wchar_t));
    const DWORD value = wanted;
    RegSetValueExW(desktop, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    DWORD code = 4;
    if (CreateProcessW(nullptr, GetCommandLineW(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        WaitForSingleObject(pi.hProcess, INFINITE);
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    if (had)
        RegSetValueExW(desktop, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&previous), sizeof(previous));
    else RegDeleteValueW(desktop, L"LogPixels");
    RegDeleteValueW(desktop, kept);
    RegCloseKey(desktop);
    return static_cast<int>(code);
}
