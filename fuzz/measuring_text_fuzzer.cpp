// MeasuringText: no icon run survives, and the text never grows.
#include "fuzz_input.h"
#include "text/icon_text_syntax.h"
#include "text/measuring_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Utf16String text = FuzzText(data, size);
    const Utf16String measured = MeasuringText(text.data(), static_cast<int>(text.size()));
    FUZZ_CHECK(measured.size() <= text.size());
    FUZZ_CHECK(measured.find(kIconMarker) == Utf16String::npos);
    if (text.find(kIconMarker) == Utf16String::npos) FUZZ_CHECK(measured == text);
    else FUZZ_CHECK(measured.find(kMeasuringPlaceholder) != Utf16String::npos);
    return 0;
}
