// The demo reaches Tessel2U.dll the way a PowerBuilder application does: it
// loads the library by name and calls its exports by their plain names.
#pragma once
#include <windows.h>

struct TesselApi {
    HMODULE hModule = nullptr;
    int(WINAPI* StartTessel)() = nullptr;
    int(WINAPI* StopTessel)() = nullptr;
    int(WINAPI* AttachDatawindow)(HWND, LPCWSTR) = nullptr;
    int(WINAPI* DettachDatawindow)(HWND) = nullptr;
    int(WINAPI* OpenDebugWindow)() = nullptr;
    int(WINAPI* PrintDebugString)(LPCWSTR) = nullptr;
    int(WINAPI* AddDatawindowTitle)(HWND, LPCWSTR, LPCWSTR, int, int) = nullptr;
    int(WINAPI* SetSpanTitle)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, int, int) = nullptr;
    int(WINAPI* SetIconfont)(LPCWSTR, int) = nullptr;
    int(WINAPI* ReplaceSysColor)(int, COLORREF) = nullptr;
    int(WINAPI* ModifyDatawindowTitle)(HWND, int, LPCWSTR, LPCWSTR, int) = nullptr;
    int(WINAPI* DWAbout)() = nullptr;
    int(WINAPI* SetSkinFile)(LPCWSTR) = nullptr;
    int(WINAPI* SetInfoLabel)(LPCWSTR, LPCWSTR) = nullptr;  // optional

    bool Load(const wchar_t* path);
    ~TesselApi();
};
