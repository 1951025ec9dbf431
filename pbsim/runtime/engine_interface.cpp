// The table through which the virtual machine reaches this engine's
// DataWindows (FNX_DataWindow* and PBC_SetBorder of PBVM<N>.DLL).
#include "runtime/engine_interface.h"

#include "control/control_registry.h"
#include "control/datawindow_control.h"
#include "runtime/text_buffer.h"

namespace pbsim {

namespace {

LONG Describe(HWND dw, LPCWSTR properties, LPWSTR buffer, LONG capacity) {
    DataWindowControl* control = ControlFromWindow(dw);
    if (!control) return -1;
    control->CountDescribe();
    return CopyToBuffer(control->Model().Describe(TextOrEmpty(properties)), buffer, capacity);
}

LONG GetCurrentColumn(HWND dw) {
    DataWindowControl* control = ControlFromWindow(dw);
    return control ? control->Model().CurrentColumn() : -1;
}

LONG GetCurrentRow(HWND dw) {
    DataWindowControl* control = ControlFromWindow(dw);
    return control ? control->Model().CurrentRow() : -1;
}

LONG GetRowCount(HWND dw) {
    DataWindowControl* control = ControlFromWindow(dw);
    return control ? control->Model().RowCount() : -1;
}

LONG SaveAs(HWND dw, LPCWSTR fileName) {
    DataWindowControl* control = ControlFromWindow(dw);
    return control && control->SaveAs(TextOrEmpty(fileName)) ? 1 : -1;
}

LONG SelectRow(HWND dw, LONG row, LONG select) {
    DataWindowControl* control = ControlFromWindow(dw);
    return control && control->SelectRow(row, select != 0) ? 1 : -1;
}

LONG SetAllEvents(HWND dw, LONG on) {
    DataWindowControl* control = ControlFromWindow(dw);
    if (!control) return -1;
    control->SetAllEvents(on != 0);
    return 1;
}

LONG SetBorder(HWND dw, LONG flag) {
    DataWindowControl* control = ControlFromWindow(dw);
    return control ? control->SetBorder(flag) : -1;
}

LONG IsDataWindow(HWND dw) { return ControlFromWindow(dw) ? 1 : 0; }

const EngineInterface kInterface = {sizeof(EngineInterface),
                                    Describe,
                                    GetCurrentColumn,
                                    GetCurrentRow,
                                    GetRowCount,
                                    SaveAs,
                                    SelectRow,
                                    SetAllEvents,
                                    SetBorder,
                                    IsDataWindow};

}  // namespace

}  // namespace pbsim

extern "C" const pbsim::EngineInterface* WINAPI pbsim_EngineInterface(void) { return &pbsim::kInterface; }
