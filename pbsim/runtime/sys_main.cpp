// The system module pbsys<N>.DLL. The runtime's applications load it with the
// other two modules; the stand-in only tells its generation.
#include <windows.h>

#include "runtime/module_identity.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(module);
    return TRUE;
}

// pbsim_SystemGeneration() -> LONG: the generation number N of the module.
extern "C" LONG WINAPI pbsim_SystemGeneration(void) { return pbsim::OwnIdentity().generation; }
