// MeasuringText on any text.
#include "fuzz_input.h"
#include "text/measuring_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Utf16String text = FuzzText(data, size);
    MeasuringText(text.data(), static_cast<int>(text.size()));
    return 0;
}
