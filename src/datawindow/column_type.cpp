#include "datawindow/column_type.h"

namespace {

Utf16Char Lower(Utf16Char c) { return (c >= 'A' && c <= 'Z') ? static_cast<Utf16Char>(c + ('a' - 'A')) : c; }

bool Equals(const Utf16String& text, size_t length, const char* word) {
    size_t i = 0;
    for (; word[i]; ++i)
        if (i >= length || Lower(text[i]) != static_cast<Utf16Char>(word[i])) return false;
    return i == length;
}

}  // namespace

bool IsNumericColumnType(const Utf16String& type) {
    // "decimal(2)": the precision does not matter.
    size_t length = type.size();
    const size_t open = type.find(static_cast<Utf16Char>('('));
    if (open != Utf16String::npos) {
        if (type.back() != ')') return false;
        length = open;
        if (!Equals(type, length, "decimal")) return false;
        for (size_t i = open + 1; i + 1 < type.size(); ++i)
            if (type[i] < '0' || type[i] > '9') return false;
        return true;
    }
    static const char* const kNumeric[] = {"number", "long", "ulong", "int", "integer", "real", "double", "decimal"};
    for (const char* word : kNumeric)
        if (Equals(type, length, word)) return true;
    return false;
}
