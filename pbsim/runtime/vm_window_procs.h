// Windows of the virtual machine: runtime windows (class "FNWND<N>",
// procedure FN_WindowWnd) and runtime list boxes (class "FNLISTBOX<N>",
// procedure FN_ListBoxWnd, a superclass of the system LISTBOX).
#pragma once

#include <windows.h>

namespace pbsim {

// Registered when the virtual machine is loaded, unregistered when it is
// unloaded; the procedures are the module's exports.
bool RegisterRuntimeWindowClasses();
void UnregisterRuntimeWindowClasses();

LRESULT RuntimeWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT RuntimeListBoxProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace pbsim
