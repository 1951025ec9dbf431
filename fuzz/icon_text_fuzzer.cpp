// The icon text syntax on any text: ReadDecimal, HasIconMarker, IconTextRuns.
#include "fuzz_input.h"
#include "text/icon_text_syntax.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Utf16String text = FuzzText(data, size);
    ReadDecimal(text);
    HasIconMarker(text.data(), text.size());
    IconTextRuns runs(text, 0x123456);
    runs.Segments();
    return 0;
}
