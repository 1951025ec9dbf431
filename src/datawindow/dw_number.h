#pragma once

#include <string>

// A describe answer read as a decimal integer: leading white space, one sign,
// digits; text without a leading number (such as "!") reads as 0.
int DWNumber(const std::wstring& text);
int DWNumber(const wchar_t* text);
