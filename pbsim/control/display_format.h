// Display formats of columns and computed fields: "[general]" shows the value
// as stored; a number mask such as "#,##0.00" or "0.0%" shows numbers with a
// fixed count of decimals, optional thousands separators and the mask's
// literal text before and after the digits.
#pragma once

#include <string>

namespace pbsim {

// The text a cell shows for a stored value. Values that are not numbers, and
// masks without digit placeholders, leave the text unchanged.
std::wstring ApplyDisplayFormat(const std::wstring& value, const std::wstring& format);

}  // namespace pbsim
