// MeasuringText: the text never grows; text without a marker is measured as
// it is; a first marker closed within an icon's content becomes the
// placeholder (an unclosed one is drawn, and measured, as text).
#include "fuzz_input.h"
#include "text/icon_text_syntax.h"
#include "text/measuring_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Utf16String text = FuzzText(data, size);
    const Utf16String measured = MeasuringText(text.data(), static_cast<int>(text.size()));
    FUZZ_CHECK(measured.size() <= text.size());
    const size_t marker = text.find(kIconMarker);
    if (marker == Utf16String::npos) {
        FUZZ_CHECK(measured == text);
        return 0;
    }
    const size_t content = marker + kIconMarker.size();
    const size_t close = text.find(Utf16Char('}'), content);
    if (close != Utf16String::npos && close - content <= kMaxIconContent)
        FUZZ_CHECK(measured.find(kMeasuringPlaceholder) != Utf16String::npos);
    else FUZZ_CHECK(measured == text);
    return 0;
}
