// The engine's window classes and its DataWindow controls: the class
// "pbdw<N>" whose procedure is the exported dwWinProc, the edit class
// "PBEdit<N>" whose procedure is the exported dwWinProcEdit, and the map
// from control windows to the controls that live in them.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "model/datawindow_model.h"

namespace pbsim {

class DataWindowControl;

HINSTANCE EngineModule();
const std::wstring& DataWindowClassName();
const std::wstring& EditClassName();

// Registered when the engine is loaded, unregistered when it is unloaded.
bool RegisterControlClasses();
void UnregisterControlClasses();

// The control living in a window; null for any other window, a destroyed
// one or null.
DataWindowControl* ControlFromWindow(HWND window);

// Creates a control window showing `model` (WS_EX_CLIENTEDGE; WS_CHILD,
// WS_VISIBLE, WS_CLIPCHILDREN, WS_TABSTOP and extraStyle).
HWND CreateControlWindow(HWND parent, std::unique_ptr<DataWindowModel> model, int x, int y, int width, int height,
                         DWORD extraStyle);

// Body of dwWinProc: makes the control on WM_NCCREATE (an empty DataWindow
// when the window was not made by CreateControlWindow), hands the messages
// to it and frees it on WM_NCDESTROY.
LRESULT DataWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace pbsim
