// Window registration: every window created in the process enters the
// WinList, and leaves it when it is destroyed.
#include "base/globals.h"
#include "base/real_functions.h"
#include "skin/win_list.h"

HWND WINAPI HookCreateWindowExW(DWORD dwExStyle, LPCWSTR lpClassName, LPCWSTR lpWindowName, DWORD dwStyle, int x, int y,
                                int nWidth, int nHeight, HWND hWndParent, HMENU hMenu, HINSTANCE hInstance,
                                LPVOID lpParam) {
    HWND window = Real_CreateWindowExW(dwExStyle, lpClassName, lpWindowName, dwStyle, x, y, nWidth, nHeight, hWndParent,
                                       hMenu, hInstance, lpParam);
    if (g_pWinlist) g_pWinlist->RegisterWindow(window);
    return window;
}

BOOL WINAPI HookDestroyWindow(HWND hWnd) {
    if (g_pWinlist) g_pWinlist->UnregisterWindow(hWnd);
    return Real_DestroyWindow(hWnd);
}
