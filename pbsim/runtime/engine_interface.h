// How the virtual machine reaches the DataWindows of the engine: the engine
// exports pbsim_EngineInterface, which returns this table. The virtual
// machine finds the engine of a DataWindow from the window's class (the
// module that registered it), so it needs no link to the engine.
//
// Every function takes the DataWindow's control window first and returns -1
// when that window is not a DataWindow control of this engine.
#pragma once

#include <windows.h>

namespace pbsim {

struct EngineInterface {
    DWORD size;  // sizeof(EngineInterface) of the engine that filled it
    // Copies the answer, cut to capacity - 1 characters and terminated, into
    // the buffer; returns the answer's full length.
    LONG (*describe)(HWND dw, LPCWSTR properties, LPWSTR buffer, LONG capacity);
    LONG (*getCurrentColumn)(HWND dw);
    LONG (*getCurrentRow)(HWND dw);
    LONG (*getRowCount)(HWND dw);
    // Writes the rows as tab-separated text (UTF-8) into a file; 1 or -1.
    LONG (*saveAs)(HWND dw, LPCWSTR fileName);
    // Selects (select != 0) or deselects a row, row 0 meaning every row; 1 or -1.
    LONG (*selectRow)(HWND dw, LONG row, LONG select);
    LONG (*setAllEvents)(HWND dw, LONG on);
    // Takes the sunken client edge away (flag 0) or gives it back; 1 when the
    // window's border changed, 0 when it already was so.
    LONG (*setBorder)(HWND dw, LONG flag);
    // 1 for a DataWindow control of this engine, else 0.
    LONG (*isDataWindow)(HWND dw);
};

typedef const EngineInterface*(WINAPI* PFN_pbsim_EngineInterface)(void);
#define PBSIM_ENGINE_INTERFACE "pbsim_EngineInterface"

}  // namespace pbsim
