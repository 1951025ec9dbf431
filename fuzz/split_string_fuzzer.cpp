// SplitString on any text, with the units before the first zero as delimiters.
#include "datawindow/split_string.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Utf16String input = FuzzText(data, size);
    const size_t zero = input.find(Utf16Char(0));
    if (zero == Utf16String::npos) return 0;
    SplitString(input.substr(zero + 1), input.substr(0, zero).c_str());
    return 0;
}
