// The text of a progress cell: "progress{value}", "progress{value:bar}" or
// "progress{value:bar:text}", the colours as COLORREF numbers.
#pragma once

#include <vector>

#include "base/utf16_text.h"

// The fields between the braces, split at ":", when text is a progress
// cell text: at least eleven characters, starting with the marker, with a
// closing brace at most 127 characters after it. Otherwise false.
bool ProgressFields(const Utf16Char* text, std::vector<Utf16String>* fields);
