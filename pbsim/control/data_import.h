// Rows given as text: one row per line, cells separated by tabs, in column
// order (what a script's ImportString takes).
#pragma once

#include <string>

#include "model/datawindow_model.h"

namespace pbsim {

// Replaces the rows of the DataWindow; a final line end adds no row, cells
// beyond the column count are ignored. Returns the number of rows.
long ImportRows(DataWindowModel& model, const std::wstring& text);

}  // namespace pbsim
