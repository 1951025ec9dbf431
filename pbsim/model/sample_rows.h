// Rows made up for a DataWindow that comes without data: the same rows every
// time (they follow from the row number only), typed after the table's
// columns, so that a DataWindow opened from a source file shows something.
#pragma once

#include <string>
#include <vector>

#include "model/datawindow_model.h"

namespace pbsim {

// The value of a column of `type` ("char(10)", "long", "decimal(2)",
// "datetime" ...) named `name` in row `row` (1-based); `codes` is the
// column's code table ("Text\tcode/Text\tcode/"), empty when it has none.
//   char(n)                 "<name> <row>" cut to n characters
//   long, int, integer      row × 10, negative in every fourth row
//   ulong                   row × 10
//   number, real, double    row × 12.5 + 0.25, negative in every fourth row
//   decimal(n)              the same with n decimals
//   date, datetime, time    2024-01-01 stepping a day per row; times step
//                           by a minute from 08:00:00
//   with a code table       its codes in turn
// Other types (blob ...) give the empty string.
std::wstring SampleValue(const std::wstring& type, const std::wstring& name, const std::wstring& codes, long row);

// The codes of a code table: "North\tN/South\tS/" gives N, S.
std::vector<std::wstring> CodeTableCodes(const std::wstring& codes);

// Replaces the rows by `count` sample rows (none for count <= 0); returns the
// number of rows.
long FillSampleRows(DataWindowModel& model, long count);

}  // namespace pbsim
