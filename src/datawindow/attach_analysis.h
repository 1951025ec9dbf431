// What a DataWindow tells about itself when it is attached, and the
// preparation of its grid for the enhanced look.
#pragma once

#include <windows.h>

class DWObject;

// Runs once per record, before it enters the registry.
void AnalyseAttach(DWObject& dw, HWND hWnd);
// Runs from the window procedure when the attach message arrives.
void CompleteAttach(DWObject& dw);
