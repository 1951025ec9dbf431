#include "datawindow/dw_number.h"

#include <cwchar>

int DWNumber(const wchar_t* text) {
    if (!text) return 0;
    const wchar_t* p = text;
    while (*p == L' ' || *p == L'\t' || *p == L'\r' || *p == L'\n') ++p;
    bool negative = false;
    if (*p == L'+' || *p == L'-') negative = (*p++ == L'-');
    long long v = 0;
    for (; *p >= L'0' && *p <= L'9'; ++p) {
        v = v * 10 + (*p - L'0');
        if (v > 0x7FFFFFFFLL) v = 0x7FFFFFFFLL + 1;  // saturate; keep reading digits
    }
    if (negative) v = -v;
    if (v > 0x7FFFFFFFLL) v = 0x7FFFFFFFLL;
    if (v < -0x7FFFFFFFLL - 1) v = -0x7FFFFFFFLL - 1;
    return static_cast<int>(v);
}

int DWNumber(const std::wstring& text) { return DWNumber(text.c_str()); }
