// Mouse feedback of an attached DataWindow: the hover highlight over the row
// under the mouse and the rectangular cell selection made by dragging, with
// the statistics of its numbers. Both do nothing while the mouse stays in
// the cell it was last seen in, across all DataWindows of the process.
#pragma once

#include <windows.h>

class DWObject;

// The cell last seen under the mouse, and the last selection frame and hover
// highlight drawn, in client pixels.
extern int g_nLastRow;
extern int g_nLastCol;
extern RECT g_rcSelection;
extern RECT g_rcHover;
// The DataWindow and row of the hover highlight in g_rcHover, and whether
// it is still on screen as drawn: a paint of the DataWindow that reaches it
// clears g_bHoverShown.
extern HWND g_hHoverWnd;
extern long g_nHoverRow;
extern bool g_bHoverShown;

// After the DataWindow has handled a mouse move (client pixels).
void MouseMove(DWObject& dw, int x, int y);
// After the DataWindow has handled the left button going down.
void SelectionStart(DWObject& dw);

// Before a DataWindow window paints (any DataWindow, attached or not):
// notes whether the paint covers the hover highlight.
void HoverPaintComing(HWND hWnd);
// The window of the hover highlight is going away.
void HoverWindowGone(HWND hWnd);

// The two branches of a mouse move.
void SelectionMove(DWObject& dw, int x, int y);
void HoverMove(DWObject& dw, int x, int y);

// Notes the cell under (x, y): false when there is none (or, with
// needsHit, when the DataWindow says the point is on no row), or when it is
// the cell last seen.
bool NewCellUnder(DWObject& dw, int x, int y, bool needsHit, long* row, long* column);
