// Small helpers for the UTF-16 texts of the DataWindow model: ASCII letter
// case, trimming, and the number readings the runtime uses everywhere.
#pragma once

#include <string>

namespace pbsim {

// Lower-cases the ASCII letters only; names and property keywords of the
// DataWindow syntax are ASCII, and this keeps comparisons locale-independent.
std::wstring ToLowerAscii(std::wstring text);
bool EqualsNoCase(const std::wstring& a, const std::wstring& b);
bool StartsWithNoCase(const std::wstring& text, const std::wstring& prefix);

bool IsBlank(wchar_t c);  // space, tab, carriage return, line feed
std::wstring Trim(const std::wstring& text);

// Decimal integer at the start of the text: leading blanks, optional sign,
// digits; 0 when the text does not start with a number. Saturates at the
// range of a 32-bit int.
int LeadingInteger(const std::wstring& text);

// The whole text (blanks around it ignored) is a decimal number, with an
// optional sign, fraction and exponent.
bool ParseNumber(const std::wstring& text, double* value);

// A number as the runtime writes it: integral values without a fraction,
// others with up to 15 significant digits and no trailing zeros.
std::wstring FormatNumber(double value);

std::wstring IntToText(long long value);

}  // namespace pbsim
