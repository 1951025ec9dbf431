// Anti-aliased stand-ins for the polygons and polylines drawn into the device
// context of an attached DataWindow (its graphs).
#pragma once

#include <windows.h>

class DWObject;

// Fills the polygon in a fresh distinct colour at 80% and outlines it; 1, or
// 0 when count is below 1.
int PaintPolygon(HDC hdc, DWObject& dw, const POINT* points, int count);
// Strokes the open polyline in dark blue at 80%; 1, or 0 when count is below 1.
int PaintPolyline(HDC hdc, const POINT* points, int count);
