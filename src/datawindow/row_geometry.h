// Where the rows of a grid lie on screen. Rows alone are stacked one detail
// height apart under the title rows and the header; between group headers
// and trailers only the runtime knows, so the rows it reports under the
// pixels of a column are asked for.
#pragma once

#include <windows.h>

#include <vector>

class DWObject;

// A row and the client pixel rows [top, bottom) that show it.
struct RowSpan {
    long row;
    int top;
    int bottom;
};

// Whether the DataWindow has group bands ("header.N", "trailer.N" among its
// bands); asked once when it is attached.
bool HasGroupBands(const DWObject& dw);

// The client pixel rows [top, bottom) in which the runtime reports `row` at
// x, searched outward from y (which must lie in that row). False without the
// runtime's hit test or when y is not in the row.
bool RowSpanAround(const DWObject& dw, int x, int y, long row, int* top, int* bottom);

// The rows the runtime reports down client column x between pixel rows
// `from` and `to`, in order; empty without the runtime's hit test.
std::vector<RowSpan> VisibleRowSpans(const DWObject& dw, int x, int from, int to);

// The first pixel row of `row` and the pixel row after the end of `last`
// at x, between client rows `from` and `to`; a row above the area gives
// `from` - 1, one below it `to` + 1.
void RowsSpan(const DWObject& dw, int x, int from, int to, long row, long last, int* top, int* bottom);
