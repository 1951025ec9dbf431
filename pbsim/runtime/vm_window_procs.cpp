#include "runtime/vm_window_procs.h"

#include <string>

#include "runtime/exported_entry.h"
#include "runtime/module_identity.h"

namespace pbsim {

namespace {

WNDPROC g_systemListBoxProcedure = nullptr;
bool g_windowClass = false;
bool g_listBoxClass = false;

const std::wstring& WindowClassName() {
    static const std::wstring name = GenerationName(L"FNWND%d");
    return name;
}

const std::wstring& ListBoxClassName() {
    static const std::wstring name = GenerationName(L"FNLISTBOX%d");
    return name;
}

}  // namespace

bool RegisterRuntimeWindowClasses() {
    HMODULE module = OwnModule();
    if (!g_windowClass) {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof(wc);
        // Global classes: hosts create these windows with their own instance.
        wc.style = CS_DBLCLKS | CS_GLOBALCLASS;
        wc.lpfnWndProc = ExportedEntry<WNDPROC>(module, "FN_WindowWnd");
        wc.hInstance = module;
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = WindowClassName().c_str();
        g_windowClass = wc.lpfnWndProc && RegisterClassExW(&wc) != 0;
    }
    if (!g_listBoxClass) {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof(wc);
        WNDPROC procedure = ExportedEntry<WNDPROC>(module, "FN_ListBoxWnd");
        if (procedure && GetClassInfoExW(nullptr, L"LISTBOX", &wc)) {
            g_systemListBoxProcedure = wc.lpfnWndProc;
            wc.cbSize = sizeof(wc);
            wc.style |= CS_GLOBALCLASS;
            wc.lpfnWndProc = procedure;
            wc.hInstance = module;
            wc.lpszClassName = ListBoxClassName().c_str();
            g_listBoxClass = RegisterClassExW(&wc) != 0;
        }
    }
    return g_windowClass && g_listBoxClass;
}

void UnregisterRuntimeWindowClasses() {
    if (g_listBoxClass) UnregisterClassW(ListBoxClassName().c_str(), OwnModule());
    if (g_windowClass) UnregisterClassW(WindowClassName().c_str(), OwnModule());
    g_listBoxClass = false;
    g_windowClass = false;
}

LRESULT RuntimeWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        if (BeginPaint(window, &paint)) EndPaint(window, &paint);
        return 0;
    }
    case WM_CLOSE: DestroyWindow(window); return 0;
    default: return DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT RuntimeListBoxProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!g_systemListBoxProcedure) return DefWindowProcW(window, message, wParam, lParam);
    return CallWindowProcW(g_systemListBoxProcedure, window, message, wParam, lParam);
}

}  // namespace pbsim
