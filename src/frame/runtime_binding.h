// Binding to the PowerBuilder runtime already loaded in the process: the
// generation number from the virtual-machine module's file name, and the
// DataWindow engine and system modules of that generation.
#pragma once

#include <windows.h>

class DWList;

// Walks the loaded modules and fills the list's runtime members (virtual
// machine, generation, window class, and the engine and system modules when
// they are loaded). Returns the generation number, 0 without a runtime.
int ScanRuntimeModules(DWList& list);

// Loads the system and engine modules of the bound generation when the scan
// did not find them; the list releases what it loaded.
void LoadRuntimeModules(DWList& list);
