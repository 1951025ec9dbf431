// Extra title rows above the column headers of a grid.
#pragma once

#include <windows.h>

class DWObject;

// Adds a title row on top; returns the number of title rows (0 for a
// non-positive height).
int AddTitleRow(DWObject& dw, LPCWSTR text, LPCWSTR face, int fontHeight, int height);
// Changes text and font of title row n; 1 when the row exists.
int ModifyTitleRow(DWObject& dw, int n, LPCWSTR text, LPCWSTR face, int fontHeight);
