// Grid lines of an attached DataWindow: every line it draws gets the
// configured grid-line colour, and a grid's thin lines the configured style.
#pragma once

#include <windows.h>

class DWObject;

// Draws the line to (x, y) as the DataWindow asked, in the record's colours;
// the real LineTo's result.
BOOL PaintGridLine(DWObject& dw, HDC hdc, int x, int y);
