// The process-wide interception set: installed by StartTessel, removed by
// StopTessel (or by the DWList when it is destroyed while still installed).
#pragma once

#include <windows.h>

void InstallInterceptions(BOOL* pbInstalled);
void RemoveInterceptions(BOOL* pbInstalled);
