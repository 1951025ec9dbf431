// Where a DataWindow shows a cell: found by asking the runtime's engine
// which row and column lie under each point of the client area, as a test
// robot would.
#pragma once

#include <windows.h>

// The client point in the middle of the visible cell (row, column) of the
// DataWindow; false when the cell is not on screen.
bool FindCellPoint(HMODULE engine, HWND dw, long row, long column, LPARAM* point);
