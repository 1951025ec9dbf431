#pragma once

#include <string>
#include <vector>

// Splits text at every character of delimiters. Empty parts are kept, a text
// that ends with a delimiter gives an empty last part, and an empty text gives
// one empty part.
std::vector<std::wstring> SplitString(const std::wstring& text, const wchar_t* delimiters);
