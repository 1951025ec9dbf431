#include "runtime_host.h"

#include <cwchar>

namespace {
HMODULE LoadModule(pbsim::ModuleKind kind, int generation) {
    wchar_t name[64];
    pbsim::ModuleFileName(kind, generation, name);
    return LoadLibraryW(name);
}
}  // namespace

bool RuntimeHost::Load(int n) {
    generation = n;
    hVM = LoadModule(pbsim::ModuleKind::VirtualMachine, n);
    hEngine = LoadModule(pbsim::ModuleKind::Engine, n);
    hSys = LoadModule(pbsim::ModuleKind::System, n);
    if (hEngine) {
        CreateDataWindow = reinterpret_cast<PFN_pbsim_CreateDataWindow>(
            reinterpret_cast<void*>(GetProcAddress(hEngine, PBSIM_CREATE_DATAWINDOW)));
        ScriptModify = reinterpret_cast<PFN_pbsim_ScriptModify>(
            reinterpret_cast<void*>(GetProcAddress(hEngine, PBSIM_SCRIPT_MODIFY)));
        CreateRuntimeWindow = reinterpret_cast<PFN_pbsim_CreateRuntimeWindow>(
            reinterpret_cast<void*>(GetProcAddress(hEngine, PBSIM_CREATE_RUNTIME_WINDOW)));
        CreateRuntimeListBox = reinterpret_cast<PFN_pbsim_CreateRuntimeListBox>(
            reinterpret_cast<void*>(GetProcAddress(hEngine, PBSIM_CREATE_RUNTIME_LISTBOX)));
        CreateDataWindowFromFile = reinterpret_cast<PFN_pbsim_CreateDataWindowFromFile>(
            reinterpret_cast<void*>(GetProcAddress(hEngine, PBSIM_CREATE_DATAWINDOW_FROM_FILE)));
        GetLastError = reinterpret_cast<PFN_pbsim_GetLastError>(
            reinterpret_cast<void*>(GetProcAddress(hEngine, PBSIM_GET_LAST_ERROR)));
    }
    return hVM && hEngine && hSys && CreateDataWindow && ScriptModify && CreateRuntimeWindow && CreateRuntimeListBox;
}

RuntimeHost::~RuntimeHost() {
    if (hSys) FreeLibrary(hSys);
    if (hEngine) FreeLibrary(hEngine);
    if (hVM) FreeLibrary(hVM);
}

std::wstring RuntimeHost::Description() const {
    wchar_t module[64];
    pbsim::ModuleFileName(pbsim::ModuleKind::VirtualMachine, generation, module);
    wchar_t text[160];
    if (generation == PBSIM_UNVERSIONED_GENERATION) {
        // From 2019 on the releases are named by year: version 22 is 2022.
        _snwprintf(text, 160, L"PowerBuilder 20%d (%ls, file version %d.%d)", generation / 10, module, generation / 10,
                   generation % 10);
    } else {
        _snwprintf(text, 160, L"PowerBuilder %d.%d (%ls)", generation / 10, generation % 10, module);
    }
    text[159] = L'\0';
    return text;
}
