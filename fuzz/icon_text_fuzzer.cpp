// IconTextRuns, HasIconMarker and ReadDecimal: the runs of any text alternate
// plain and icon runs, and the plain runs give back the text outside icons.
#include <cstdint>

#include "fuzz_input.h"
#include "text/icon_text_syntax.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Utf16String text = FuzzText(data, size);
    const long value = ReadDecimal(text);
    FUZZ_CHECK(value >= INT32_MIN && value <= INT32_MAX);

    const bool marker = HasIconMarker(text.data(), text.size());
    FUZZ_CHECK(marker == (text.find(kIconMarker) != Utf16String::npos));
    FUZZ_CHECK(!HasIconMarker(nullptr, text.size()));

    IconTextRuns runs(text, 0x123456);
    const std::vector<IconTextSegment>& segments = runs.Segments();
    FUZZ_CHECK(segments.size() % 2 == 1);
    FUZZ_CHECK(segments.size() == 1 || marker);
    size_t plainLength = 0;
    for (size_t i = 0; i < segments.size(); ++i) {
        const IconTextSegment& s = segments[i];
        FUZZ_CHECK(s.kind == (i % 2 == 0 ? IconTextSegment::kPlain : IconTextSegment::kIcon));
        if (s.kind == IconTextSegment::kPlain) {
            FUZZ_CHECK(s.text != nullptr);
            plainLength += Utf16Length(s.text);
        }
    }
    // Each icon run takes the marker, at least its braces' content and the brace.
    FUZZ_CHECK(plainLength + (segments.size() / 2) * (kIconMarker.size() + 1) <= text.size());
    return 0;
}
