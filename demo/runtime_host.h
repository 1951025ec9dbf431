// The stand-in PowerBuilder runtime as the demo's "application" has it: the
// three modules of one generation loaded, and the control API bound.
#pragma once

#include <windows.h>

#include "pbsim/pbsim_api.h"

struct RuntimeHost {
    HMODULE hVM = nullptr;
    HMODULE hEngine = nullptr;
    HMODULE hSys = nullptr;
    PFN_pbsim_CreateDataWindow CreateDataWindow = nullptr;
    PFN_pbsim_ScriptModify ScriptModify = nullptr;
    PFN_pbsim_CreateRuntimeWindow CreateRuntimeWindow = nullptr;
    PFN_pbsim_CreateRuntimeListBox CreateRuntimeListBox = nullptr;

    bool Load(int generation);
    ~RuntimeHost();
};
