// Binding to the PowerBuilder runtime already loaded in the process: the
// generation number from the virtual-machine module's file name, and the
// DataWindow engine and system modules of that generation. Without a
// numbered virtual machine, an unversioned runtime (pbvm.dll, pbdwe.dll,
// pbsysfunc.dll) is bound, its generation read from the virtual machine's
// file version.
#pragma once

#include <windows.h>

class DWList;

// Walks the loaded modules and fills the list's runtime members (virtual
// machine, generation, window class or class prefix, the unversioned flag,
// and the engine and system modules when they are loaded). Returns the
// generation number, 0 without a runtime.
int ScanRuntimeModules(DWList& list);

// Loads the system and engine modules of the bound generation when the scan
// did not find them; the list releases what it loaded.
void LoadRuntimeModules(DWList& list);
