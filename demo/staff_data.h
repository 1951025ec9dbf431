// The demo application's data: a staff list of a few hundred employees for
// the grid, the same people's details for the freeform DataWindow, and the
// department totals for the graph.
#pragma once

#include <string>

// The grid's definition: id, name, department, salary, completion (shown as
// a progress cell) and a status whose texts carry icon-font glyphs.
extern const wchar_t* const kStaffGridSyntax;
extern const wchar_t* const kDepartmentGraphSyntax;

// Tab-separated rows for the grid, one line each, always the same.
std::wstring StaffRows(int count);
