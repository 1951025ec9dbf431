// A stand-in for the language-pack module "lpk.dll", which Wine does not
// have: the five text functions the library intercepts there, exported under
// their names, drawing through ExtTextOutW and measuring through
// GetTextExtentExPointW. Tests load it (from its own folder, so that no other
// program picks it up) before the library starts. Each function counts its
// calls, readable through LpkStandinCalls.
#include <windows.h>

namespace {

LONG g_calls = 0;
wchar_t g_lastMeasured[256] = {};

}  // namespace

extern "C" {

LONG WINAPI LpkStandinCalls() { return g_calls; }

// The text LpkGetTextExtentExPoint was last given, cut to 255 characters.
LPCWSTR WINAPI LpkStandinLastMeasured() { return g_lastMeasured; }

BOOL WINAPI LpkExtTextOut(HDC hdc, int x, int y, UINT options, const RECT* rect, LPCWSTR string, UINT count,
                          const INT* dx, INT) {
    ++g_calls;
    return ExtTextOutW(hdc, x, y, options, rect, string, count, dx);
}

int WINAPI LpkDrawTextEx(HDC hdc, int x, int y, LPCWSTR string, int count, BOOL, UINT, LPVOID, UINT, int) {
    ++g_calls;
    return ExtTextOutW(hdc, x, y, 0, nullptr, string, static_cast<UINT>(count), nullptr) ? count : 0;
}

int WINAPI LpkPSMTextOut(HDC hdc, int x, int y, LPCWSTR string, int count, DWORD) {
    ++g_calls;
    return ExtTextOutW(hdc, x, y, 0, nullptr, string, static_cast<UINT>(count), nullptr) ? count : 0;
}

LONG WINAPI LpkTabbedTextOut(HDC hdc, int x, int y, LPCWSTR string, int count, int, const INT*, int, BOOL, int, int,
                             int) {
    ++g_calls;
    return ExtTextOutW(hdc, x, y, 0, nullptr, string, static_cast<UINT>(count), nullptr) ? count : 0;
}

BOOL WINAPI LpkGetTextExtentExPoint(HDC hdc, LPCWSTR string, int count, int maxExtent, LPINT fit, LPINT dx, LPSIZE size,
                                    DWORD, int) {
    ++g_calls;
    int n = 0;
    for (; string && n < count && n < 255; ++n) g_lastMeasured[n] = string[n];
    g_lastMeasured[n] = L'\0';
    return GetTextExtentExPointW(hdc, string, count, maxExtent, fit, dx, size);
}

}  // extern "C"
