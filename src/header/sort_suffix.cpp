#include "header/sort_suffix.h"

namespace {

Utf16Char AsciiLower(Utf16Char c) { return c >= 'A' && c <= 'Z' ? static_cast<Utf16Char>(c - 'A' + 'a') : c; }

}  // namespace

Sort SortSuffix(const Utf16Char* text, size_t length) {
    if (!text || length < kSortSuffixLength + 1) return Sort::None;
    const Utf16Char* suffix = text + length - kSortSuffixLength;
    const Utf16View keyword = UTF16(" sort:");
    for (size_t i = 0; i < keyword.size(); ++i)
        if (AsciiLower(suffix[i]) != keyword[i]) return Sort::None;
    const Utf16Char direction = AsciiLower(suffix[6]);
    return direction == 'a' ? Sort::Ascending : direction == 'd' ? Sort::Descending : Sort::None;
}
