// DWNumber on any text, counted and terminated.
#include "datawindow/dw_number.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Utf16String text = FuzzText(data, size);
    DWNumber(text);
    DWNumber(text.c_str());
    return 0;
}
