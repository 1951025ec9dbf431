// The stand-in PowerBuilder runtime as the demo's "application" has it: the
// three modules of one generation loaded (numbered, such as PBVM105.DLL, or
// the unversioned pbvm.dll of generation 220), and the control API bound.
#pragma once

#include <windows.h>

#include <string>

#include "pbsim/pbsim_api.h"

struct RuntimeHost {
    HMODULE hVM = nullptr;
    HMODULE hEngine = nullptr;
    HMODULE hSys = nullptr;
    PFN_pbsim_CreateDataWindow CreateDataWindow = nullptr;
    PFN_pbsim_ScriptModify ScriptModify = nullptr;
    PFN_pbsim_CreateRuntimeWindow CreateRuntimeWindow = nullptr;
    PFN_pbsim_CreateRuntimeListBox CreateRuntimeListBox = nullptr;
    // Optional: a DataWindow from an exported source file, and why the last
    // creation failed.
    PFN_pbsim_CreateDataWindowFromFile CreateDataWindowFromFile = nullptr;
    PFN_pbsim_GetLastError GetLastError = nullptr;

    int generation = 0;

    bool Load(int generation);
    // What the application runs on, for its caption line: "PowerBuilder 10.5
    // (PBVM105.DLL)", "PowerBuilder 2022 (pbvm.dll, file version 22.0)".
    std::wstring Description() const;
    ~RuntimeHost();
};
