// Exports of the virtual machine module PBVM<N>.DLL: stdcall, exported under
// their plain names (see the module definition files). The DataWindow
// functions find the engine of a DataWindow through the window's class and
// reach it through the engine's interface table; the script-level modify and
// print calls go to the engine's exported DW_Modify and DW_Print.
//
// Signatures:
//   FNX_DataWindowDescribe(HWND, LPCWSTR properties, LPWSTR buffer,
//       LONG capacity) -> LONG: the answer's length, -1 for other windows
//   FNX_DataWindowGetCurrentColumn / GetCurrentRow / GetRowCount(HWND) -> LONG
//   FNX_DataWindowSaveAs(HWND, LPCWSTR fileName) -> LONG 1 or -1
//   FNX_DataWindowSelectRow(HWND, LONG row, LONG select) -> LONG 1 or -1
//   FNX_DataWindowSetAllEvents(HWND, LONG on) -> LONG 1 or -1
//   FNX_ObjectClassName(HWND, LPWSTR buffer, LONG capacity) -> LONG length:
//       "datawindow", "window" or "listbox"; -1 for other windows
//   FN_ConvertUnits(LONG value, LONG mode) -> LONG: 1 pixels to units across,
//       2 pixels to units down, 3 units to pixels across, 4 units to pixels
//       down, at the screen's resolution; 0 for other modes
//   PBC_SetBorder(HWND, LONG flag) -> LONG: flag 0 takes the client edge away,
//       non-zero gives it back; 1 when the border changed
//   fndwPrint(LONG_PTR dw, LONG_PTR hdc) -> LONG_PTR: DW_Print's result
//   FN_DWGetHandle(LONG_PTR dw, LONG_PTR) -> LONG_PTR: the DataWindow's
//       control window, 0 when dw names none
//   fndwModify(LONG_PTR dw, LONG_PTR text) -> LONG_PTR: DW_Modify's result
//   FN_WindowWnd, FN_ListBoxWnd: window procedures
#include <windows.h>

#include "model/units.h"
#include "runtime/engine_interface.h"
#include "runtime/exported_entry.h"
#include "runtime/module_identity.h"
#include "runtime/screen_dpi.h"
#include "runtime/text_buffer.h"
#include "runtime/vm_window_procs.h"

namespace {

const wchar_t kNotADataWindow[] = L"the window is not a DataWindow control";

// The engine that registered the window's class, when it is a DataWindow
// engine of this process.
HMODULE EngineOfWindow(HWND window) {
    if (!window || !IsWindow(window)) return nullptr;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId()) return nullptr;
    return reinterpret_cast<HMODULE>(GetClassLongPtrW(window, GCLP_HMODULE));
}

const pbsim::EngineInterface* EngineFor(HWND window) {
    const pbsim::PFN_pbsim_EngineInterface get =
        pbsim::ExportedEntry<pbsim::PFN_pbsim_EngineInterface>(EngineOfWindow(window), PBSIM_ENGINE_INTERFACE);
    const pbsim::EngineInterface* engine = get ? get() : nullptr;
    if (!engine || engine->size < sizeof(pbsim::EngineInterface)) return nullptr;
    return engine->isDataWindow(window) ? engine : nullptr;
}

bool HasClass(HWND window, const wchar_t* format) {
    wchar_t name[128] = {};
    if (!window || !GetClassNameW(window, name, 128)) return false;
    return pbsim::GenerationName(format) == name;
}

}  // namespace

extern "C" {

LONG WINAPI FNX_DataWindowDescribe(HWND dw, LPCWSTR properties, LPWSTR buffer, LONG capacity) {
    const pbsim::EngineInterface* engine = EngineFor(dw);
    if (!engine) {
        pbsim::CopyToBuffer(std::wstring(), buffer, capacity);
        return -1;
    }
    return engine->describe(dw, properties, buffer, capacity);
}

LONG WINAPI FNX_DataWindowGetCurrentColumn(HWND dw) {
    const pbsim::EngineInterface* engine = EngineFor(dw);
    return engine ? engine->getCurrentColumn(dw) : -1;
}

LONG WINAPI FNX_DataWindowGetCurrentRow(HWND dw) {
    const pbsim::EngineInterface* engine = EngineFor(dw);
    return engine ? engine->getCurrentRow(dw) : -1;
}

LONG WINAPI FNX_DataWindowGetRowCount(HWND dw) {
    const pbsim::EngineInterface* engine = EngineFor(dw);
    return engine ? engine->getRowCount(dw) : -1;
}

LONG WINAPI FNX_DataWindowSaveAs(HWND dw, LPCWSTR fileName) {
    const pbsim::EngineInterface* engine = EngineFor(dw);
    return engine ? engine->saveAs(dw, fileName) : -1;
}

LONG WINAPI FNX_DataWindowSelectRow(HWND dw, LONG row, LONG select) {
    const pbsim::EngineInterface* engine = EngineFor(dw);
    return engine ? engine->selectRow(dw, row, select) : -1;
}

LONG WINAPI FNX_DataWindowSetAllEvents(HWND dw, LONG on) {
    const pbsim::EngineInterface* engine = EngineFor(dw);
    return engine ? engine->setAllEvents(dw, on) : -1;
}

LONG WINAPI FNX_ObjectClassName(HWND window, LPWSTR buffer, LONG capacity) {
    const wchar_t* name = nullptr;
    if (EngineFor(window)) {
        name = L"datawindow";
    } else if (HasClass(window, L"FNWND%d")) {
        name = L"window";
    } else if (HasClass(window, L"FNLISTBOX%d")) {
        name = L"listbox";
    }
    if (!name) {
        pbsim::CopyToBuffer(std::wstring(), buffer, capacity);
        return -1;
    }
    return pbsim::CopyToBuffer(name, buffer, capacity);
}

LONG WINAPI FN_ConvertUnits(LONG value, LONG mode) {
    const SIZE dpi = pbsim::ScreenDpi();
    return pbsim::ConvertUnits(value, mode, dpi.cx, dpi.cy);
}

LONG WINAPI PBC_SetBorder(HWND dw, LONG flag) {
    const pbsim::EngineInterface* engine = EngineFor(dw);
    return engine ? engine->setBorder(dw, flag) : 0;
}

LONG_PTR WINAPI FN_DWGetHandle(LONG_PTR dw, LONG_PTR) { return EngineFor(reinterpret_cast<HWND>(dw)) ? dw : 0; }

LONG_PTR WINAPI fndwPrint(LONG_PTR dw, LONG_PTR dc) {
    pbsim::PFN_RuntimeInternal print =
        pbsim::ExportedEntry<pbsim::PFN_RuntimeInternal>(EngineOfWindow(reinterpret_cast<HWND>(dw)), "DW_Print");
    return print ? print(dw, dc) : -1;
}

LONG_PTR WINAPI fndwModify(LONG_PTR dw, LONG_PTR text) {
    pbsim::PFN_RuntimeInternal modify =
        pbsim::ExportedEntry<pbsim::PFN_RuntimeInternal>(EngineOfWindow(reinterpret_cast<HWND>(dw)), "DW_Modify");
    return modify ? modify(dw, text) : reinterpret_cast<LONG_PTR>(kNotADataWindow);
}

LRESULT CALLBACK FN_WindowWnd(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return pbsim::RuntimeWindowProcedure(window, message, wParam, lParam);
}

LRESULT CALLBACK FN_ListBoxWnd(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return pbsim::RuntimeListBoxProcedure(window, message, wParam, lParam);
}

}  // extern "C"
