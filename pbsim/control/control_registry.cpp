#include "control/control_registry.h"

#include <map>

#include "control/cell_editor.h"
#include "control/datawindow_control.h"
#include "runtime/exported_entry.h"
#include "runtime/module_identity.h"

namespace pbsim {

namespace {

std::map<HWND, std::unique_ptr<DataWindowControl>>& Controls() {
    static std::map<HWND, std::unique_ptr<DataWindowControl>> controls;
    return controls;
}

// The model for the window that CreateControlWindow is creating.
std::unique_ptr<DataWindowModel>& PendingModel() {
    static std::unique_ptr<DataWindowModel> model;
    return model;
}

bool g_dataWindowClass = false;
bool g_editClass = false;

}  // namespace

HINSTANCE EngineModule() { return OwnModule(); }

const std::wstring& DataWindowClassName() {
    static const std::wstring name = GenerationName(L"pbdw%d");
    return name;
}

const std::wstring& EditClassName() {
    static const std::wstring name = GenerationName(L"PBEdit%d");
    return name;
}

bool RegisterControlClasses() {
    HINSTANCE module = EngineModule();
    if (!g_dataWindowClass) {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof(wc);
        // Global, so that a host can create DataWindow windows with its own
        // instance handle too.
        wc.style = CS_DBLCLKS | CS_GLOBALCLASS;
        // Through the export, so that an interception of dwWinProc sees every
        // message of every DataWindow.
        wc.lpfnWndProc = ExportedEntry<WNDPROC>(module, "dwWinProc");
        wc.hInstance = module;
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.lpszClassName = DataWindowClassName().c_str();
        g_dataWindowClass = wc.lpfnWndProc && RegisterClassExW(&wc) != 0;
    }
    if (!g_editClass) {
        WNDPROC procedure = ExportedEntry<WNDPROC>(module, "dwWinProcEdit");
        g_editClass = procedure && RegisterEditClass(module, EditClassName().c_str(), procedure);
    }
    return g_dataWindowClass && g_editClass;
}

void UnregisterControlClasses() {
    if (g_editClass) UnregisterClassW(EditClassName().c_str(), EngineModule());
    if (g_dataWindowClass) UnregisterClassW(DataWindowClassName().c_str(), EngineModule());
    g_editClass = false;
    g_dataWindowClass = false;
}

DataWindowControl* ControlFromWindow(HWND window) {
    if (!window) return nullptr;
    auto found = Controls().find(window);
    return found == Controls().end() ? nullptr : found->second.get();
}

HWND CreateControlWindow(HWND parent, std::unique_ptr<DataWindowModel> model, int x, int y, int width, int height,
                         DWORD extraStyle) {
    if (!RegisterControlClasses() || !model) return nullptr;
    PendingModel() = std::move(model);
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_TABSTOP | extraStyle;
    HWND window = CreateWindowExW(WS_EX_CLIENTEDGE, DataWindowClassName().c_str(), L"", style, x, y, width, height,
                                  parent, nullptr, EngineModule(), nullptr);
    PendingModel().reset();
    return window;
}

LRESULT DataWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        std::unique_ptr<DataWindowModel> model = std::move(PendingModel());
        if (!model) model.reset(new DataWindowModel());
        Controls()[window].reset(new DataWindowControl(window, std::move(model)));
        return DefWindowProcW(window, message, wParam, lParam);
    }
    DataWindowControl* control = ControlFromWindow(window);
    if (!control) return DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        Controls().erase(window);
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return control->HandleMessage(message, wParam, lParam);
}

}  // namespace pbsim
