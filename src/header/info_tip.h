// The information tooltip of an attached DataWindow: short texts (page
// information, selection statistics) shown next to the mouse pointer, or
// written into the host's information target instead.
#pragma once

#include <windows.h>

class DWObject;

// Shows text; a null text removes the tooltip. 0 when the tooltip window
// could not be created, else 1.
int ShowInfoTip(DWObject& dw, const wchar_t* text);

// Destroys a tooltip made by ShowInfoTip, when the handle still names a
// tooltip window of the calling thread.
void DestroyOwnTooltip(HWND hToolTip);
