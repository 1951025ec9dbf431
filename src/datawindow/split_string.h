#pragma once

#include <vector>

#include "base/utf16_text.h"

// Splits text at every character of delimiters. Empty parts are kept, a text
// that ends with a delimiter gives an empty last part, and an empty text gives
// one empty part.
std::vector<Utf16String> SplitString(const Utf16String& text, const Utf16Char* delimiters);
