// DWNumber: any text reads without a crash; the counted and the terminated
// forms agree; a text without a digit reads as 0, one whose digits follow
// a minus sign directly as at most 0.
#include <cstdint>

#include "datawindow/dw_number.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Utf16String text = FuzzText(data, size);
    const int value = DWNumber(text);
    FUZZ_CHECK(value == DWNumber(text.c_str()));
    bool digit = false;
    for (Utf16Char c : text) digit = digit || (c >= '0' && c <= '9');
    if (!digit) FUZZ_CHECK(value == 0);
    if (!text.empty() && text[0] == '-') FUZZ_CHECK(value <= 0);
    return 0;
}
