#include "runtime_host.h"

#include <cwchar>

namespace {
HMODULE LoadModule(const wchar_t* format, int generation) {
    wchar_t name[64];
    _snwprintf(name, 64, format, generation);
    name[63] = L'\0';
    return LoadLibraryW(name);
}
}  // namespace

bool RuntimeHost::Load(int generation) {
    hVM = LoadModule(PBSIM_VM_MODULE_FORMAT, generation);
    hEngine = LoadModule(PBSIM_ENGINE_MODULE_FORMAT, generation);
    hSys = LoadModule(PBSIM_SYSTEM_MODULE_FORMAT, generation);
    if (hEngine) {
        CreateDataWindow = reinterpret_cast<PFN_pbsim_CreateDataWindow>(
            reinterpret_cast<void*>(GetProcAddress(hEngine, PBSIM_CREATE_DATAWINDOW)));
        ScriptModify = reinterpret_cast<PFN_pbsim_ScriptModify>(
            reinterpret_cast<void*>(GetProcAddress(hEngine, PBSIM_SCRIPT_MODIFY)));
        CreateRuntimeWindow = reinterpret_cast<PFN_pbsim_CreateRuntimeWindow>(
            reinterpret_cast<void*>(GetProcAddress(hEngine, PBSIM_CREATE_RUNTIME_WINDOW)));
        CreateRuntimeListBox = reinterpret_cast<PFN_pbsim_CreateRuntimeListBox>(
            reinterpret_cast<void*>(GetProcAddress(hEngine, PBSIM_CREATE_RUNTIME_LISTBOX)));
    }
    return hVM && hEngine && hSys && CreateDataWindow && ScriptModify && CreateRuntimeWindow && CreateRuntimeListBox;
}

RuntimeHost::~RuntimeHost() {
    if (hSys) FreeLibrary(hSys);
    if (hEngine) FreeLibrary(hEngine);
    if (hVM) FreeLibrary(hVM);
}
