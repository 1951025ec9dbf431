#include "frame/debug_console.h"

#include <clocale>
#include <cstdio>
#include <cwchar>
#include <locale>
#include <vector>

namespace {

const wchar_t kTitle[] = L"Debug Window";

// Greys out the Close command of every console window of ours, so that the
// console cannot be closed (and the process with it) from its window.
BOOL CALLBACK DisableCloseProc(HWND hWnd, LPARAM) {
    wchar_t cls[64] = {};
    wchar_t title[64] = {};
    GetClassNameW(hWnd, cls, 64);
    GetWindowTextW(hWnd, title, 64);
    if (wcscmp(cls, L"ConsoleWindowClass") == 0 && wcscmp(title, kTitle) == 0) {
        HMENU menu = GetSystemMenu(hWnd, FALSE);
        if (menu) EnableMenuItem(menu, SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
    }
    return TRUE;
}

}  // namespace

bool IsDebugConsoleOpen(DWORD cchTitle) {
    std::vector<wchar_t> title(cchTitle + 1, L'\0');
    DWORD n = GetConsoleTitleW(title.data(), cchTitle);
    return n != 0 && _wcsicmp(title.data(), kTitle) == 0;
}

void OpenDebugConsole() {
    AllocConsole();  // fails harmlessly when the process already has a console
    HANDLE hOut = GetStdHandle(STD_OUTPUT_HANDLE);
    if (hOut == nullptr || hOut == INVALID_HANDLE_VALUE) return;
    if (IsDebugConsoleOpen(1024)) return;

    FILE* f = nullptr;
    f = _wfreopen(L"CONIN$", L"r+t", stdin);
    f = _wfreopen(L"CONOUT$", L"w+t", stdout);
    f = _wfreopen(L"CONOUT$", L"w+t", stderr);
    (void)f;
    SetConsoleTitleW(kTitle);

    HANDLE hCon = GetStdHandle(STD_OUTPUT_HANDLE);
    COORD size = {256, 4096};
    SetConsoleScreenBufferSize(hCon, size);
    SetConsoleTextAttribute(hCon, 7);

    setlocale(LC_ALL, "");
    try {
        std::locale::global(std::locale(""));
    } catch (const std::exception&) {
        // the stream library knows only the "C" locale here; the C runtime's
        // locale above still converts wide text
    }
    EnumWindows(DisableCloseProc, 0);
}

void CloseDebugConsole() {
    fclose(stderr);
    fclose(stdout);
    fclose(stdin);
    FreeConsole();
    try {
        std::locale::global(std::locale::classic());
    } catch (const std::exception&) {
    }
    setlocale(LC_ALL, "C");
}

void SetDebugConsoleColor(int nAttribute) {
    if (nAttribute == 0) nAttribute = 7;
    HANDLE hOut = GetStdHandle(STD_OUTPUT_HANDLE);
    if (hOut == nullptr || hOut == INVALID_HANDLE_VALUE) return;
    SetConsoleTextAttribute(hOut, static_cast<WORD>(nAttribute | 8));
}
