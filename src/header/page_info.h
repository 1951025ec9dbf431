// Page information of a grid: which rows the visible page shows, in the side
// bar and as a text.
#pragma once

#include <windows.h>

class DWObject;

// After a scroll or a released mouse button: the content has moved; a thumb
// position or track (and a button released with Shift held) asks for the
// page information.
void NotifyScroll(DWObject& dw, WPARAM wParam, LPARAM lParam);
// The page-information message: repaints the side bar and shows the row
// count, the first and last row on the page and the current row.
void ShowPageInfo(DWObject& dw);
