// Loads Tessel2U.dll the way a PowerBuilder application does (by name) and
// binds its eighteen exports.
#pragma once

#include <windows.h>

struct TesselDll {
    HMODULE h = nullptr;
    int(WINAPI* StartTessel)() = nullptr;
    int(WINAPI* StopTessel)() = nullptr;
    int(WINAPI* AttachDatawindow)(HWND, LPCWSTR) = nullptr;
    int(WINAPI* DettachDatawindow)(HWND) = nullptr;
    int(WINAPI* ReplaceSysColor)(int, COLORREF) = nullptr;
    int(WINAPI* SetSkinFile)(LPCWSTR) = nullptr;
    int(WINAPI* AddDatawindowTitle)(HWND, LPCWSTR, LPCWSTR, int, int) = nullptr;
    int(WINAPI* ModifyDatawindowTitle)(HWND, int, LPCWSTR, LPCWSTR, int) = nullptr;
    int(WINAPI* SetSpanTitle)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, int, int) = nullptr;
    int(WINAPI* SetIconfont)(LPCWSTR, int) = nullptr;
    int(WINAPI* PrintDebugString)(LPCWSTR) = nullptr;
    int(WINAPI* SetDebugWindowColor)(int) = nullptr;
    int(WINAPI* OpenDebugWindow)() = nullptr;
    int(WINAPI* CloseDebugWindow)() = nullptr;
    int(WINAPI* DWAbout)() = nullptr;
    int(WINAPI* GetAddColumnSyntax)(HWND, int, int, int, int) = nullptr;
    int(WINAPI* AddSystemEnv)(LPCWSTR, LPCWSTR, int) = nullptr;
    int(WINAPI* SetInfoLabel)(LPCWSTR, LPCWSTR) = nullptr;

    TesselDll() {
        // TESSEL2U_DLL names another build of the library to test (the
        // guard-page heap build); by default the one a host loads by name.
        wchar_t other[MAX_PATH] = {};
        const DWORD n = GetEnvironmentVariableW(L"TESSEL2U_DLL", other, MAX_PATH);
        h = LoadLibraryW(n > 0 && n < MAX_PATH ? other : L"Tessel2U.dll");
        if (!h) return;
        Bind(StartTessel, "StartTessel");
        Bind(StopTessel, "StopTessel");
        Bind(AttachDatawindow, "AttachDatawindow");
        Bind(DettachDatawindow, "DettachDatawindow");
        Bind(ReplaceSysColor, "ReplaceSysColor");
        Bind(SetSkinFile, "SetSkinFile");
        Bind(AddDatawindowTitle, "AddDatawindowTitle");
        Bind(ModifyDatawindowTitle, "ModifyDatawindowTitle");
        Bind(SetSpanTitle, "SetSpanTitle");
        Bind(SetIconfont, "SetIconfont");
        Bind(PrintDebugString, "PrintDebugString");
        Bind(SetDebugWindowColor, "SetDebugWindowColor");
        Bind(OpenDebugWindow, "OpenDebugWindow");
        Bind(CloseDebugWindow, "CloseDebugWindow");
        Bind(DWAbout, "DWAbout");
        Bind(GetAddColumnSyntax, "GetAddColumnSyntax");
        Bind(AddSystemEnv, "AddSystemEnv");
        Bind(SetInfoLabel, "SetInfoLabel");
    }
    ~TesselDll() {
        if (h) FreeLibrary(h);
    }
    TesselDll(const TesselDll&) = delete;
    TesselDll& operator=(const TesselDll&) = delete;

private:
    template <typename F>
    void Bind(F& fn, const char* name) {
        fn = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(h, name)));
    }
};
