#include "datawindow/dw_number.h"

int DWNumber(const Utf16Char* text) {
    if (!text) return 0;
    const Utf16Char* p = text;
    while (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n') ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = (*p++ == '-');
    long long v = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        v = v * 10 + (*p - '0');
        if (v > 0x7FFFFFFFLL) v = 0x7FFFFFFFLL + 1;  // saturate; keep reading digits
    }
    if (negative) v = -v;
    if (v > 0x7FFFFFFFLL) v = 0x7FFFFFFFLL;
    if (v < -0x7FFFFFFFLL - 1) v = -0x7FFFFFFFLL - 1;
    return static_cast<int>(v);
}

int DWNumber(const Utf16String& text) { return DWNumber(text.c_str()); }
