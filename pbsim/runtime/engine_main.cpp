// Load and unload of the DataWindow engine module pbdwe<N>.DLL: its window
// classes live exactly as long as the module is loaded.
#include <windows.h>

#include "control/control_registry.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        DisableThreadLibraryCalls(module);
        pbsim::RegisterControlClasses();
        break;
    case DLL_PROCESS_DETACH:
        // At process exit the classes go with the process.
        if (!reserved) pbsim::UnregisterControlClasses();
        break;
    default: break;
    }
    return TRUE;
}
