// The sort suffix of a header text: " sort:A" (ascending) or " sort:D"
// (descending), in either case, ending a text of at least eight characters.
#pragma once

#include <cstddef>

#include "base/utf16_text.h"

enum class Sort { None, Ascending, Descending };

// The suffix is kSortSuffixLength characters long.
constexpr size_t kSortSuffixLength = 7;

Sort SortSuffix(const Utf16Char* text, size_t length);
