// Exports of the DataWindow engine module pbdwe<N>.DLL that the runtime and
// applications call: stdcall, exported under their plain names (see the
// module definition files). Every function takes the DataWindow's control
// window first and does nothing for any other window.
//
// Signatures:
//   dwModify(HWND, LPCWSTR text) -> LPCWSTR: null on success, else the error
//       text, valid until the next modify of that DataWindow
//   dwGetBandUnderMouse(HWND, LPWSTR buffer, LONG capacity) -> LONG length:
//       the band under the mouse pointer, with "\t" and the row in the detail
//       band ("detail\t5") and in group bands ("header.1\t4": the group's
//       first row; "trailer.1\t6": its last); -1 for other windows
//   dwGetObjectUnderMouse(HWND, LPWSTR buffer of 1024) -> LONG length: name
//       of the topmost object under the mouse pointer ("" for none)
//   dwGetRowColUnderPoint(HWND, LONG x, LONG y, LONG* row, LONG* column) ->
//       LONG: non-zero when the client point lies on a row; row and column
//       (0 when none) are written when their pointers are not null
//   dwGetProgram(HWND) -> LONG_PTR: an opaque non-zero handle of the
//       DataWindow object, 0 for other windows
//   dwInfoGetDWWidth(HWND) -> LONG: width of the content in pixels (0 for
//       other windows)
//   dwGetCurrentText(HWND, LPWSTR buffer, LONG capacity) -> LONG length and
//   dwGetCurrentTextLength(HWND) -> LONG: the current cell's text (the edit
//       control's while it is shown); -1 for other windows
//   dwPaintDC(HWND, HDC) -> LONG: paints what the client area shows into the
//       context; 1, or 0 for other windows
//   DW_Print(LONG_PTR dw, LONG_PTR hdc) -> LONG_PTR pages or -1: printing;
//       asks the virtual machine's FN_DWGetHandle for the window first
//   DW_Modify(LONG_PTR dw, LONG_PTR text) -> LONG_PTR error text or 0: the
//       engine side of a script-level modify (fndwModify)
//   dwWinProc, dwWinProcEdit: window procedures of the DataWindow control and
//       of its edit control
#include <windows.h>

#include "control/cell_editor.h"
#include "control/control_registry.h"
#include "control/datawindow_control.h"
#include "runtime/exported_entry.h"
#include "runtime/module_identity.h"
#include "runtime/text_buffer.h"

namespace {

const wchar_t kNotADataWindow[] = L"the window is not a DataWindow control";
const LONG kObjectNameCapacity = 1024;

}  // namespace

using pbsim::ControlFromWindow;
using pbsim::DataWindowControl;

extern "C" {

LPCWSTR WINAPI dwModify(HWND dw, LPCWSTR text) {
    DataWindowControl* control = ControlFromWindow(dw);
    if (!control) return kNotADataWindow;
    return control->Modify(pbsim::TextOrEmpty(text));
}

LONG WINAPI dwGetBandUnderMouse(HWND dw, LPWSTR buffer, LONG capacity) {
    DataWindowControl* control = ControlFromWindow(dw);
    if (!control) return -1;
    const pbsim::HitResult hit = control->HitTest(control->MousePosition());
    std::wstring band = hit.band;
    if (hit.bandRow > 0) band += L"\t" + std::to_wstring(hit.bandRow);
    return pbsim::CopyToBuffer(band, buffer, capacity);
}

LONG WINAPI dwGetObjectUnderMouse(HWND dw, LPWSTR buffer) {
    DataWindowControl* control = ControlFromWindow(dw);
    if (!control) return -1;
    const pbsim::HitResult hit = control->HitTest(control->MousePosition());
    return pbsim::CopyToBuffer(hit.object ? hit.object->name : std::wstring(), buffer, kObjectNameCapacity);
}

LONG WINAPI dwGetRowColUnderPoint(HWND dw, LONG x, LONG y, LONG* row, LONG* column) {
    if (row) *row = 0;
    if (column) *column = 0;
    DataWindowControl* control = ControlFromWindow(dw);
    if (!control) return 0;
    POINT point = {x, y};
    const pbsim::HitResult hit = control->HitTest(point);
    if (row) *row = hit.row;
    if (column) *column = hit.column;
    return hit.row > 0 ? 1 : 0;
}

LONG_PTR WINAPI dwGetProgram(HWND dw) {
    DataWindowControl* control = ControlFromWindow(dw);
    return control ? reinterpret_cast<LONG_PTR>(&control->Model()) : 0;
}

LONG WINAPI dwInfoGetDWWidth(HWND dw) {
    DataWindowControl* control = ControlFromWindow(dw);
    return control ? control->Model().ContentWidthPixels() : 0;
}

LONG WINAPI dwGetCurrentText(HWND dw, LPWSTR buffer, LONG capacity) {
    DataWindowControl* control = ControlFromWindow(dw);
    if (!control) return -1;
    return pbsim::CopyToBuffer(control->CurrentText(), buffer, capacity);
}

LONG WINAPI dwGetCurrentTextLength(HWND dw) {
    DataWindowControl* control = ControlFromWindow(dw);
    if (!control) return -1;
    return static_cast<LONG>(control->CurrentText().size());
}

LONG WINAPI dwPaintDC(HWND dw, HDC dc) {
    DataWindowControl* control = ControlFromWindow(dw);
    if (!control || !dc) return 0;
    control->PaintClient(dc);
    return 1;
}

LONG_PTR WINAPI DW_Print(LONG_PTR dw, LONG_PTR dc) {
    // The window being printed, as the virtual machine names it.
    pbsim::PFN_RuntimeInternal getHandle = pbsim::ExportedEntry<pbsim::PFN_RuntimeInternal>(
        pbsim::LoadedSibling(pbsim::RuntimeModule::VirtualMachine), "FN_DWGetHandle");
    if (!getHandle) return -1;
    DataWindowControl* control = ControlFromWindow(reinterpret_cast<HWND>(getHandle(dw, 0)));
    if (!control) return -1;
    return control->Print(reinterpret_cast<HDC>(dc));
}

LONG_PTR WINAPI DW_Modify(LONG_PTR dw, LONG_PTR text) {
    DataWindowControl* control = ControlFromWindow(reinterpret_cast<HWND>(dw));
    if (!control) return reinterpret_cast<LONG_PTR>(kNotADataWindow);
    return reinterpret_cast<LONG_PTR>(control->Modify(pbsim::TextOrEmpty(reinterpret_cast<LPCWSTR>(text))));
}

LRESULT CALLBACK dwWinProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return pbsim::DataWindowProcedure(window, message, wParam, lParam);
}

LRESULT CALLBACK dwWinProcEdit(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return pbsim::EditProcedure(window, message, wParam, lParam);
}

}  // extern "C"
