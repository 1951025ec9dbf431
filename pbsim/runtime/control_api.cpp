// The control API for hosts and tests (pbsim/include/pbsim/pbsim_api.h),
// exported by the engine. Script-level modifies and printing go through the
// virtual machine's exports, as a PowerBuilder script's calls do.
#include <windows.h>

#include <memory>
#include <string>

#include "control/control_registry.h"
#include "control/data_import.h"
#include "control/datawindow_control.h"
#include "runtime/exported_entry.h"
#include "runtime/module_identity.h"
#include "runtime/screen_dpi.h"
#include "runtime/source_file.h"
#include "model/sample_rows.h"
#include "runtime/text_buffer.h"

namespace {

std::wstring& LastError() {
    static std::wstring error;
    return error;
}

pbsim::PFN_RuntimeInternal VirtualMachineEntry(const char* name) {
    return pbsim::ExportedEntry<pbsim::PFN_RuntimeInternal>(pbsim::LoadedSibling(pbsim::RuntimeModule::VirtualMachine),
                                                            name);
}

LONG ScriptModify(HWND dw, LPCWSTR text, LPWSTR error, LONG capacity) {
    pbsim::PFN_RuntimeInternal modify = VirtualMachineEntry("fndwModify");
    if (!modify) {
        pbsim::CopyToBuffer(L"the virtual machine module is not loaded", error, capacity);
        return -1;
    }
    const LONG_PTR result = modify(reinterpret_cast<LONG_PTR>(dw), reinterpret_cast<LONG_PTR>(text ? text : L""));
    pbsim::CopyToBuffer(pbsim::TextOrEmpty(reinterpret_cast<LPCWSTR>(result)), error, capacity);
    return result ? -1 : 1;
}

// What both ways of creating a control share: the definition is read, then
// `data` (tab-separated rows) or, without rows, `sampleRows` made-up rows.
HWND CreateFromDefinition(HWND parent, const std::wstring& definition, LPCWSTR data, LONG sampleRows, LONG x, LONG y,
                          LONG width, LONG height, DWORD extraStyle) {
    std::unique_ptr<pbsim::DataWindowModel> model(new pbsim::DataWindowModel());
    const SIZE dpi = pbsim::ScreenDpi();
    model->SetScreenDpi(dpi.cx, dpi.cy);
    std::wstring error;
    if (!model->Load(definition, &error)) {
        LastError() = error.empty() ? L"the definition cannot be read" : error;
        return nullptr;
    }
    if (data && *data) pbsim::ImportRows(*model, data);
    if (model->RowCount() == 0 && sampleRows > 0) pbsim::FillSampleRows(*model, sampleRows);
    HWND window = pbsim::CreateControlWindow(parent, std::move(model), x, y, width, height, extraStyle);
    if (!window) LastError() = L"the control window cannot be created";
    return window;
}

}  // namespace

using pbsim::ControlFromWindow;
using pbsim::DataWindowControl;

extern "C" {

HWND WINAPI pbsim_CreateDataWindow(HWND parent, LPCWSTR definition, LPCWSTR data, LONG x, LONG y, LONG width,
                                   LONG height, DWORD extraStyle) {
    LastError().clear();
    if (!parent || !IsWindow(parent)) {
        LastError() = L"the parent is not a window";
        return nullptr;
    }
    return CreateFromDefinition(parent, pbsim::TextOrEmpty(definition), data, 0, x, y, width, height, extraStyle);
}

HWND WINAPI pbsim_CreateDataWindowFromFile(HWND parent, LPCWSTR path, LONG sampleRows, LONG x, LONG y, LONG width,
                                           LONG height, DWORD extraStyle) {
    LastError().clear();
    if (!parent || !IsWindow(parent)) {
        LastError() = L"the parent is not a window";
        return nullptr;
    }
    try {
        const std::wstring file = pbsim::TextOrEmpty(path);
        std::wstring text;
        if (!pbsim::ReadSourceFile(file, &text)) {
            LastError() = L"Cannot read file " + file;
            return nullptr;
        }
        return CreateFromDefinition(parent, text, nullptr, sampleRows, x, y, width, height, extraStyle);
    } catch (...) {
        // Out of memory for a file's text or rows: no window, and the host goes on.
        LastError() = L"not enough memory for the definition";
        return nullptr;
    }
}

LONG WINAPI pbsim_GetLastError(LPWSTR buffer, LONG capacity) {
    return pbsim::CopyToBuffer(LastError(), buffer, capacity);
}

LONG WINAPI pbsim_ScriptModify(HWND dw, LPCWSTR text, LPWSTR error, LONG capacity) {
    return ScriptModify(dw, text, error, capacity);
}

LONG WINAPI pbsim_SetSelectedMouse(HWND dw, LONG on) {
    return ScriptModify(dw, on ? L"DataWindow.Selected.Mouse='yes'" : L"DataWindow.Selected.Mouse='no'", nullptr, 0);
}

LONG WINAPI pbsim_SetPrintPreview(HWND dw, LONG on) {
    return ScriptModify(dw, on ? L"DataWindow.Print.Preview=yes" : L"DataWindow.Print.Preview=no", nullptr, 0);
}

LONG WINAPI pbsim_GetDescribeCount(HWND dw) {
    DataWindowControl* control = ControlFromWindow(dw);
    return control ? static_cast<LONG>(control->DescribeCount()) : -1;
}

LONG WINAPI pbsim_SetExportedSyntax(HWND dw, LONG on) {
    DataWindowControl* control = ControlFromWindow(dw);
    if (!control) return -1;
    control->Model().SetExportedSyntax(on != 0);
    return 1;
}

LONG WINAPI pbsim_GetModifyLogCount(HWND dw) {
    DataWindowControl* control = ControlFromWindow(dw);
    return control ? static_cast<LONG>(control->Model().ModifyLog().size()) : -1;
}

LONG WINAPI pbsim_GetModifyLogEntry(HWND dw, LONG index, LPWSTR text, LONG textCapacity, LPWSTR result,
                                    LONG resultCapacity) {
    DataWindowControl* control = ControlFromWindow(dw);
    if (!control || index < 0 || static_cast<size_t>(index) >= control->Model().ModifyLog().size()) return -1;
    const pbsim::ModifyRecord& record = control->Model().ModifyLog()[static_cast<size_t>(index)];
    pbsim::CopyToBuffer(record.result, result, resultCapacity);
    return pbsim::CopyToBuffer(record.text, text, textCapacity);
}

LONG WINAPI pbsim_ClearModifyLog(HWND dw) {
    DataWindowControl* control = ControlFromWindow(dw);
    if (!control) return -1;
    control->Model().ClearModifyLog();
    return 1;
}

LONG WINAPI pbsim_PrintToDC(HWND dw, HDC dc) {
    pbsim::PFN_RuntimeInternal print = VirtualMachineEntry("fndwPrint");
    if (!print || !ControlFromWindow(dw) || !dc) return -1;
    return static_cast<LONG>(print(reinterpret_cast<LONG_PTR>(dw), reinterpret_cast<LONG_PTR>(dc)));
}

HWND WINAPI pbsim_GetEditControl(HWND dw) {
    DataWindowControl* control = ControlFromWindow(dw);
    return control ? control->EditWindow() : nullptr;
}

HWND WINAPI pbsim_CreateRuntimeWindow(HWND parent, LPCWSTR title, LONG x, LONG y, LONG width, LONG height) {
    HMODULE vm = pbsim::LoadedSibling(pbsim::RuntimeModule::VirtualMachine);
    if (!vm || (parent && !IsWindow(parent))) return nullptr;
    const DWORD style = parent ? WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS
                               : WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN;
    return CreateWindowExW(0, pbsim::GenerationName(L"FNWND%d").c_str(), title ? title : L"", style, x, y, width,
                           height, parent, nullptr, vm, nullptr);
}

HWND WINAPI pbsim_CreateRuntimeListBox(HWND parent, LONG x, LONG y, LONG width, LONG height) {
    HMODULE vm = pbsim::LoadedSibling(pbsim::RuntimeModule::VirtualMachine);
    if (!vm || !parent || !IsWindow(parent)) return nullptr;
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_BORDER | LBS_NOTIFY | LBS_HASSTRINGS;
    return CreateWindowExW(0, pbsim::GenerationName(L"FNLISTBOX%d").c_str(), L"", style, x, y, width, height, parent,
                           nullptr, vm, nullptr);
}

}  // extern "C"
