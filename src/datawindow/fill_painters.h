// The fills an attached DataWindow makes while it paints: selected-row
// regions in the selected-row colour and clipped at the content's right
// edge, pattern fills one pixel wider, the header's thin grid rectangles in
// the grid-line colour, and the corner box between the scroll bars.
#pragma once

#include <windows.h>

class DWObject;

BOOL PaintRegion(DWObject& dw, HDC hdc, HRGN region);
BOOL PaintPattern(DWObject& dw, HDC hdc, int x, int y, int width, int height, DWORD rop);
BOOL PaintRectangle(DWObject& dw, HDC hdc, int left, int top, int right, int bottom);
// 0 when it filled the corner box itself, else the real FillRect's result.
int PaintCornerBox(DWObject& dw, HDC hdc, const RECT* rc, HBRUSH brush);
