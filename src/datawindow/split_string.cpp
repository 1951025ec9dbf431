#include "datawindow/split_string.h"

namespace {

bool IsDelimiter(const Utf16Char* delimiters, Utf16Char c) {
    if (c == 0) return false;
    for (const Utf16Char* d = delimiters; *d; ++d)
        if (*d == c) return true;
    return false;
}

}  // namespace

std::vector<Utf16String> SplitString(const Utf16String& text, const Utf16Char* delimiters) {
    std::vector<Utf16String> parts;
    const Utf16Char* delims = delimiters ? delimiters : UTF16("");
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (IsDelimiter(delims, text[i])) {
            parts.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    parts.push_back(text.substr(start));
    return parts;
}
