// DWNumber: a describe answer read as a number, compared with a plain
// reading of the same text.
#include <cstdint>

#include "datawindow/dw_number.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Utf16String text = FuzzText(data, size);
    const int value = DWNumber(text);
    FUZZ_CHECK(value == DWNumber(text.c_str()));
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n')) ++i;
    const bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    int64_t expected = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        expected = expected > INT64_C(1) << 40 ? expected : expected * 10 + (text[i] - '0');
    if (negative) expected = -expected;
    if (expected > INT32_MAX) expected = INT32_MAX;
    if (expected < INT32_MIN) expected = INT32_MIN;
    FUZZ_CHECK(value == expected);
    return 0;
}
