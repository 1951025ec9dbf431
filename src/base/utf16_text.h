// Text as UTF-16 code units. On Windows these are wchar_t, so the parsers
// take the system's own strings unchanged; a Linux build of the parsers (for
// fuzzing) uses char16_t, which has the same size and range.
#pragma once

#include <string>
#include <string_view>

#if defined(_WIN32)
using Utf16Char = wchar_t;
#define UTF16(literal) L##literal
#else
using Utf16Char = char16_t;
#define UTF16(literal) u##literal
#endif

static_assert(sizeof(Utf16Char) == 2, "UTF-16 code units are 16 bits wide");

using Utf16String = std::basic_string<Utf16Char>;
using Utf16View = std::basic_string_view<Utf16Char>;

// The length of a zero-terminated text.
inline size_t Utf16Length(const Utf16Char* text) {
    size_t n = 0;
    while (text[n]) ++n;
    return n;
}
