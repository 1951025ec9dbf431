#include "runtime_host.h"

#include <cwchar>

namespace {
HMODULE LoadModule(pbsim::ModuleKind kind, int generation) {
    wchar_t name[64];
    pbsim::ModuleFileName(kind, generation, name);
    return LoadLibraryW(name);
}
}  // namespace

bool RuntimeHost::Load(int generation) {
    hVM = LoadModule(pbsim::ModuleKind::VirtualMachine, generation);
    hEngine = LoadModule(pbsim::ModuleKind::Engine, generation);
    hSys = LoadModule(pbsim::ModuleKind::System, generation);
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
