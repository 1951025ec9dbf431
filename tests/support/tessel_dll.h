// Loads Tessel2U.dll the way a PowerBuilder application does (by name) and
// binds its eighteen exports.
#pragma once

#include <windows.h>

struct TesselDll {
    HMODULE h = Load();
    // An export of the library by name, null when it is missing.
    struct Export {
        HMODULE h;
        const char* name;
        template <typename F>
        operator F() const {
            return h ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(h, name))) : nullptr;
        }
    };
    int(WINAPI* StartTessel)() = Export{h, "StartTessel"};
    int(WINAPI* StopTessel)() = Export{h, "StopTessel"};
    int(WINAPI* AttachDatawindow)(HWND, LPCWSTR) = Export{h, "AttachDatawindow"};
    int(WINAPI* DettachDatawindow)(HWND) = Export{h, "DettachDatawindow"};
    int(WINAPI* ReplaceSysColor)(int, COLORREF) = Export{h, "ReplaceSysColor"};
    int(WINAPI* SetSkinFile)(LPCWSTR) = Export{h, "SetSkinFile"};
    int(WINAPI* AddDatawindowTitle)(HWND, LPCWSTR, LPCWSTR, int, int) = Export{h, "AddDatawindowTitle"};
    int(WINAPI* ModifyDatawindowTitle)(HWND, int, LPCWSTR, LPCWSTR, int) = Export{h, "ModifyDatawindowTitle"};
    int(WINAPI* SetSpanTitle)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, int, int) = Export{h, "SetSpanTitle"};
    int(WINAPI* SetIconfont)(LPCWSTR, int) = Export{h, "SetIconfont"};
    int(WINAPI* PrintDebugString)(LPCWSTR) = Export{h, "PrintDebugString"};
    int(WINAPI* SetDebugWindowColor)(int) = Export{h, "SetDebugWindowColor"};
    int(WINAPI* OpenDebugWindow)() = Export{h, "OpenDebugWindow"};
    int(WINAPI* CloseDebugWindow)() = Export{h, "CloseDebugWindow"};
    int(WINAPI* DWAbout)() = Export{h, "DWAbout"};
    int(WINAPI* GetAddColumnSyntax)(HWND, int, int, int, int) = Export{h, "GetAddColumnSyntax"};
    int(WINAPI* AddSystemEnv)(LPCWSTR, LPCWSTR, int) = Export{h, "AddSystemEnv"};
    int(WINAPI* SetInfoLabel)(LPCWSTR, LPCWSTR) = Export{h, "SetInfoLabel"};

    TesselDll() = default;
    ~TesselDll() {
        if (h) FreeLibrary(h);
    }
    TesselDll(const TesselDll&) = delete;
    TesselDll& operator=(const TesselDll&) = delete;

private:
    // TESSEL2U_DLL names another build of the library to test (the guard-page
    // heap build); by default the one a host loads by name.
    static HMODULE Load() {
        wchar_t other[MAX_PATH] = {};
        const DWORD n = GetEnvironmentVariableW(L"TESSEL2U_DLL", other, MAX_PATH);
        return LoadLibraryW(n > 0 && n < MAX_PATH ? other : L"Tessel2U.dll");
    }
};
