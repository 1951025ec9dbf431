// Load and unload of the virtual machine module PBVM<N>.DLL: the classes of
// its runtime windows and list boxes live as long as the module.
#include <windows.h>

#include "runtime/vm_window_procs.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        DisableThreadLibraryCalls(module);
        pbsim::RegisterRuntimeWindowClasses();
        break;
    case DLL_PROCESS_DETACH:
        if (!reserved) pbsim::UnregisterRuntimeWindowClasses();
        break;
    default: break;
    }
    return TRUE;
}
