#include "datawindow/split_string.h"

#include <cwchar>

std::vector<std::wstring> SplitString(const std::wstring& text, const wchar_t* delimiters) {
    std::vector<std::wstring> parts;
    const wchar_t* delims = delimiters ? delimiters : L"";
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'\0' && wcschr(delims, text[i])) {
            parts.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    parts.push_back(text.substr(start));
    return parts;
}
