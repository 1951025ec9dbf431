#include "frame/debug_console.h"

#include <clocale>
#include <cstdio>
#include <cwchar>
#include <vector>

#include "base/debug_log.h"

namespace {

const wchar_t kTitle[] = L"Debug Window";
const wchar_t kConsoleClass[] = L"ConsoleWindowClass";

void DisableClose(HWND hWnd) {
    HMENU menu = GetSystemMenu(hWnd, FALSE);
    if (menu) EnableMenuItem(menu, SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
}

// Greys out the Close command of every console window titled as ours, so
// that the console cannot be closed (and the process with it) from its
// window. The class is looked at first and the title is read without a
// message: no window of another thread is ever waited on.
BOOL CALLBACK DisableCloseProc(HWND hWnd, LPARAM) {
    wchar_t cls[64] = {};
    if (GetClassNameW(hWnd, cls, 64) == 0 || wcscmp(cls, kConsoleClass) != 0) return TRUE;
    wchar_t title[64] = {};
    InternalGetWindowText(hWnd, title, 64);
    if (wcscmp(title, kTitle) == 0) DisableClose(hWnd);
    return TRUE;
}

void Open(bool everyConsole) {
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

    // Narrow text in the user's code page. Wide text goes to the console as
    // it is (see DebugLogW), whatever this locale can convert.
    setlocale(LC_ALL, "");
    UpdateDebugLogListener(true);

    if (HWND own = GetConsoleWindow()) DisableClose(own);
    if (everyConsole) EnumWindows(DisableCloseProc, 0);
}

}  // namespace

bool IsDebugConsoleOpen(DWORD cchTitle) {
    std::vector<wchar_t> title(cchTitle + 1, L'\0');
    DWORD n = GetConsoleTitleW(title.data(), cchTitle);
    return n != 0 && _wcsicmp(title.data(), kTitle) == 0;
}

void OpenDebugConsole() { Open(true); }

void OpenDebugConsoleAtLoad() { Open(false); }

void CloseDebugConsole() {
    fclose(stderr);
    fclose(stdout);
    fclose(stdin);
    FreeConsole();
    setlocale(LC_ALL, "C");
    UpdateDebugLogListener(false);
}

void SetDebugConsoleColor(int nAttribute) {
    if (nAttribute == 0) nAttribute = 7;
    HANDLE hOut = GetStdHandle(STD_OUTPUT_HANDLE);
    if (hOut == nullptr || hOut == INVALID_HANDLE_VALUE) return;
    SetConsoleTextAttribute(hOut, static_cast<WORD>(nAttribute | 8));
}
