// Sample DataWindow definitions shared by the demo and the tests.
#pragma once

namespace pbsim {

// Grid (processing=1) in PowerBuilder units: columns emp_id long,
// emp_name char(20), dept char(10), salary number; header texts named
// <column>_t; header 80 high, detail 68; eight data rows.
extern const wchar_t* const kEmployeeGridSyntax;

// Freeform (processing=0) in PowerBuilder units over the same table: labels
// and columns stacked in the detail band, a computed bonus, a separator line
// and a button; three data rows.
extern const wchar_t* const kEmployeeFormSyntax;

}  // namespace pbsim
